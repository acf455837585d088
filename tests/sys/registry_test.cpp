// HKEY_LOCAL_MACHINE from a prefix's system.reg: hand-written files for the
// format's corners, and one made by the real `wine reg add`.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "support/test_support.h"
#include "sys/platform.h"
#include "sys/posix/wine_registry.h"

namespace {

using test::U;
using test::W;

const char* kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// A key's string value, or "<status>" when the query fails.
std::string Query(SysRegKey* key, const char* name, uint32_t bufferSize = 8192) {
    std::string buffer(bufferSize, '\0');
    uint32_t size = bufferSize;
    const SysRegStatus s = SysRegQueryString(key, W(name).CStr(), buffer.data(), size);
    if (s != SysRegStatus::kOk) return "<" + std::to_string(int(s)) + ":" + std::to_string(size) + ">";
    return U(reinterpret_cast<const WChar*>(buffer.data()));
}

std::vector<std::string> Subkeys(SysRegKey* key, uint32_t capacity = 4096) {
    std::vector<std::string> names;
    std::vector<WChar> name(capacity);
    for (uint32_t i = 0;; ++i) {
        const SysRegStatus s = SysRegEnumKey(key, i, name.data(), capacity);
        if (s == SysRegStatus::kNotFound) break;
        names.push_back(s == SysRegStatus::kOk ? U(name.data()) : "<too long>");
    }
    return names;
}

struct Registry {
    test::WinePrefix prefix;
    explicit Registry(const std::string& text) { test::WriteFile(prefix.path() + "/system.reg", text); }
    SysRegKey* Open(const char* path, SysRegView view = SysRegView::k64) {
        SysRegKey* key = nullptr;
        return SysRegOpenKey(nullptr, W(path).CStr(), view, key) == SysRegStatus::kOk ? key : nullptr;
    }
};

const char* kHandWritten =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\LW2015] 1796883218\n"
    "#time=1d6b0c2d2f0e1a2\n"
    "\"DisplayName\"=\"LightWave 3D\\xae 2015\"\n"
    "\"InstallLocation\"=str(2):\"C:\\\\Program Files\\\\NewTek\\\\LightWave_2015\"\n"
    "\"Quoted\"=\"say \\\"hi\\\"\\ttab\\\\end\"\n"
    "\"Padded\"=\"\\x00fca\"\n"
    "\"Count\"=dword:0000000a\n"
    "\"Blob\"=hex:01,02,\\\n"
    "  03,04\n"
    "@=\"default text\"\n"
    "\"Broken\"=\"runs off\\\n"
    "\"After\"=\"still read\"\n"
    "\n"
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\{C0FFEE00-0000-0000-0000-000000000001}] 1\n"
    "\"DisplayName\"=\"LightWave 11.6\"\n"
    "\n"
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\aaa] 1\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\LW32] 1\n"
    "\"DisplayName\"=\"LightWave 32-bit\"\n";

TEST(Registry, ReadsStringsOfEveryForm) {
    Registry reg(kHandWritten);
    SysRegKey* uninstall = reg.Open(kUninstall);
    ASSERT_NE(uninstall, nullptr);
    SysRegKey* lw = nullptr;
    ASSERT_EQ(SysRegOpenKey(uninstall, W("lw2015").CStr(), SysRegView::k64, lw), SysRegStatus::kOk);
    EXPECT_EQ(Query(lw, "DisplayName"), "LightWave 3D\xc2\xae 2015");
    EXPECT_EQ(Query(lw, "installlocation"), "C:\\Program Files\\NewTek\\LightWave_2015");
    EXPECT_EQ(Query(lw, "Quoted"), "say \"hi\"\ttab\\end");
    EXPECT_EQ(Query(lw, "Padded"), "\xc3\xbc" "a");  // \x takes at most four digits
    EXPECT_EQ(Query(lw, ""), "default text");
    EXPECT_EQ(Query(lw, "Count"), "<3:8192>");   // not a string
    EXPECT_EQ(Query(lw, "Broken"), "<1:8192>");  // its escape ran off the line
    EXPECT_EQ(Query(lw, "After"), "still read");
    // "LightWave 3D® 2015" is 18 units plus the terminator: 38 bytes.
    EXPECT_EQ(Query(lw, "DisplayName", 37), "<2:38>");
    EXPECT_EQ(Query(lw, "DisplayName", 38), "LightWave 3D\xc2\xae 2015");
    SysRegCloseKey(lw);
    SysRegCloseKey(uninstall);
}

TEST(Registry, EnumeratesSortedAndReportsLongNames) {
    Registry reg(kHandWritten);
    SysRegKey* uninstall = reg.Open(kUninstall);
    ASSERT_NE(uninstall, nullptr);
    const std::vector<std::string> all = Subkeys(uninstall);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0], "aaa");
    EXPECT_EQ(all[1], "LW2015");
    EXPECT_EQ(all[2], "{C0FFEE00-0000-0000-0000-000000000001}");
    const std::vector<std::string> narrow = Subkeys(uninstall, 7);  // "LW2015" needs 7 units
    EXPECT_EQ(narrow[0], "aaa");
    EXPECT_EQ(narrow[1], "LW2015");
    EXPECT_EQ(narrow[2], "<too long>");  // that index only
    SysRegCloseKey(uninstall);
}

TEST(Registry, ViewsAndArchitecture) {
    {
        Registry reg(kHandWritten);
        SysRegKey* k32 = reg.Open(kUninstall, SysRegView::k32);
        ASSERT_NE(k32, nullptr);
        EXPECT_EQ(Subkeys(k32), std::vector<std::string>{"LW32"});
        SysRegCloseKey(k32);
        EXPECT_EQ(reg.Open("Software\\Microsoft\\Nothing"), nullptr);
        SysRegKey* k = reg.Open("SOFTWARE\\MICROSOFT");  // names ignore case; intermediate keys exist
        EXPECT_NE(k, nullptr);
        SysRegCloseKey(k);
    }
    {
        std::string win32 = kHandWritten;
        win32.replace(win32.find("#arch=win64"), 11, "#arch=win32");
        Registry reg(win32);
        SysRegKey* k32 = reg.Open(kUninstall, SysRegView::k32);
        ASSERT_NE(k32, nullptr);
        EXPECT_EQ(Subkeys(k32).size(), 3u);  // one tree for both views
        SysRegCloseKey(k32);
    }
}

TEST(Registry, MissingFileFailsAndGarbageYieldsWhatItCan) {
    {
        test::WinePrefix prefix;  // no system.reg at all
        SysRegKey* key = nullptr;
        EXPECT_NE(SysRegOpenKey(nullptr, W(kUninstall).CStr(), SysRegView::k64, key), SysRegStatus::kOk);
    }
    const std::string full = kHandWritten;
    for (size_t cut : {size_t(10), full.size() / 3, full.size() / 2, full.size() - 3}) {
        WineRegistry r;
        r.Parse(full.data(), cut);  // truncated anywhere: no crash
    }
    WineRegistry garbled;
    const char junk[] = "[\\\\\\\n\"=\"\\x\n[]]\n@=hex(zz):\\\n\"a\"=str(2:\"\n[Software\\\\A] 1\n\"v\"=\"ok\"\n";
    garbled.Parse(junk, sizeof junk - 1);
    const RegNode* a = garbled.Find(nullptr, WTXT("software\\a"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->Value(WTXT("v")), nullptr);
}

// Keys as deep as Windows allows are read; deeper ones are skipped with a
// line in the log, however deep (the reader once overflowed its stack).
TEST(Registry, KeysDeeperThanWindowsAllowsAreSkipped) {
    const auto key = [](int depth, const char* value) {
        std::string line = "[Software";
        for (int i = 1; i < depth; ++i) line += "\\\\k";
        return line + "] 1\n\"v\"=\"" + value + "\"\n\n";
    };
    const std::string text = "WINE REGISTRY Version 2\n\n" + key(512, "deepest") + key(513, "too deep") + key(400000, "far too deep");
    test::LogCapture log;
    WineRegistry r;
    r.Parse(text.data(), text.size());
    std::string path = "Software";
    for (int i = 1; i < 512; ++i) path += "\\k";
    const RegNode* deepest = r.Find(nullptr, W(path).CStr());
    ASSERT_NE(deepest, nullptr);
    ASSERT_NE(deepest->Value(WTXT("v")), nullptr);
    EXPECT_EQ(deepest->childCount, 0);  // nothing of the deeper keys
    EXPECT_TRUE(log.Has("Registry: 2 keys deeper than 512 levels skipped.\n")) << log.text();
}

TEST(Registry, ReadsAFileWrittenByWine) {
    if (std::system("command -v wine >/dev/null 2>&1") != 0) GTEST_SKIP() << "wine is not installed";
    test::TempDir dir;
    const std::string prefix = dir / "prefix";
    // Wine wants a home of its own; the prefix is made by this first call.
    const std::string add = "HOME='" + dir.path() + "' WINEPREFIX='" + prefix + "' WINEDEBUG=-all wine reg add 'HKLM\\" + kUninstall +
                            "\\LW11' /v DisplayName /t REG_SZ /d 'LightWave 3D\xc2\xae 11 \"q\" \\ end' /f >/dev/null 2>&1";
    const std::string add32 = "HOME='" + dir.path() + "' WINEPREFIX='" + prefix + "' WINEDEBUG=-all wine reg add 'HKLM\\" + kUninstall +
                              "\\LW9' /v DisplayVersion /t REG_EXPAND_SZ /d '9.6' /reg:32 /f >/dev/null 2>&1";
    const std::string flush = "HOME='" + dir.path() + "' WINEPREFIX='" + prefix + "' wineserver -w";
    ASSERT_EQ(std::system(add.c_str()), 0);
    ASSERT_EQ(std::system(add32.c_str()), 0);
    ASSERT_EQ(std::system(flush.c_str()), 0);

    test::ScopedEnv env("WINEPREFIX", prefix.c_str());
    SysRegKey* key = nullptr;
    ASSERT_EQ(SysRegOpenKey(nullptr, W(std::string(kUninstall) + "\\LW11").CStr(), SysRegView::k64, key),
              SysRegStatus::kOk);
    EXPECT_EQ(Query(key, "DisplayName"), "LightWave 3D\xc2\xae 11 \"q\" \\ end");
    SysRegCloseKey(key);
    ASSERT_EQ(SysRegOpenKey(nullptr, W(std::string(kUninstall) + "\\LW9").CStr(), SysRegView::k32, key),
              SysRegStatus::kOk);
    EXPECT_EQ(Query(key, "DisplayVersion"), "9.6");
    SysRegCloseKey(key);
}

}  // namespace
