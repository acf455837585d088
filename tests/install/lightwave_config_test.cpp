// LightWave's configuration files edited byte for byte: the menu file, the
// extension file and the check before installing.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "install/batch_jobs.h"
#include "install/lightwave_config.h"
#include "support/test_support.h"

namespace {

using test::U;
using test::W;

std::string CrLf(std::string s) {
    std::string out;
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string RemovedMenu(const std::string& text) {
    NString t(text.c_str());
    lightwave_config::RemoveMenuBranches(t);
    return t.CStr();
}

TEST(MenuConfig, RemovingBranches) {
    const struct {
        const char* name;
        std::string before;
        std::string after;
    } cases[] = {
        {"a marked branch and its wrapper go",
         CrLf("A\nMenuEntry 65537\nMenuEntry 1 \"V\"\nMenuEntry 131073 \"MENU_VELDO5_X\" \"x\"\nMenuEntry 0 .\nB\n"),
         CrLf("A\nMenuEntry 65537\nB\n")},
        {"a branch that keeps other entries stays",
         CrLf("A\nMenuEntry 1 \"V\"\nMenuEntry 2 \"MENU_VELDO5_X\"\nMenuEntry 2 \"mine\"\nMenuEntry 0 .\n"),
         CrLf("A\nMenuEntry 1 \"V\"\nMenuEntry 2 \"mine\"\nMenuEntry 0 .\n")},
        {"nested empty branches unwrap outward",
         CrLf("A\nMenuEntry 1 \"o\"\nMenuEntry 1 \"i\"\nMenuEntry 2 \"MENU_VELDO5_X\"\nMenuEntry 0 .\nMenuEntry 0 .\nB\n"),
         CrLf("A\nB\n")},
        {"the older release's branch goes whole",
         CrLf("A\nMenuEntry 1 \"Veldo5 Tools\"\nMenuEntry 1 \"sub\"\nMenuEntry 0 .\nMenuEntry 0 .\nB\n"), CrLf("A\nB\n")},
        {"an older line that is not an entry is a block of its own",
         CrLf("A\n  Veldo5 note\nB\n"), CrLf("A\nB\n")},
        {"an older branch holding other entries is not removable",
         CrLf("A\nMenuEntry 1 \"Veldo5\"\nMenuEntry 2 \"x\"\nMenuEntry 0 .\nB\n"),
         CrLf("A\nMenuEntry 1 \"Veldo5\"\nMenuEntry 2 \"x\"\nMenuEntry 0 .\nB\n")},
        {"a mark on the first line is left", "MENU_VELDO5_ at the start\r\n", "MENU_VELDO5_ at the start\r\n"},
        {"a mark without a line feed after it is left", "A\r\nMENU_VELDO5_", "A\r\nMENU_VELDO5_"},
    };
    for (const auto& c : cases) EXPECT_EQ(RemovedMenu(c.before), c.after) << c.name;
}

TEST(MenuConfig, BranchFilesBecomeMenuBlocks) {
    NString branch(CrLf("BranchEntry 65536 \"V\" _\nBranchEntry 131073 \"MENU_VELDO5_A\" \"a\" _\nBranchEntry 65536 \"x\"\n").c_str());
    lightwave_config::BranchToMenuBlock(branch);
    EXPECT_EQ(std::string(branch.CStr()),
              CrLf("MenuEntry 1 \"V\" \nMenuEntry 131073 \"MENU_VELDO5_A\" \"a\" \nMenuEntry 65536 \"x\"\nMenuEntry 0 . \n"));
}

TEST(MenuConfig, InsertionPointFollowsTheMarker) {
    int32_t at = -1;
    EXPECT_EQ(lightwave_config::FindMenuInsertionPoint(NString("A\r\nB\r\n"), at), lightwave_config::MarkerState::kMissing);
    EXPECT_EQ(lightwave_config::FindMenuInsertionPoint(NString("MenuEntry 65537\r\nMenuEntry 65537\r\n"), at),
              lightwave_config::MarkerState::kMany);
    ASSERT_EQ(lightwave_config::FindMenuInsertionPoint(NString("A\r\nMenuEntry 65537\r\n\r\nB\r\n"), at),
              lightwave_config::MarkerState::kOnce);
    EXPECT_EQ(at, 22);  // past the marker line and the blank line
}

TEST(ExtensionConfig, BlocksAndTemplate) {
    NString text(CrLf("{ mine\n}\n{ Entry\n  Module \"C:\\\\x\\\\veldo_5.p\"\n}\n{ again veldo_5.p }\n{ last }\n").c_str());
    lightwave_config::RemoveExtensionBlocks(text);
    EXPECT_EQ(std::string(text.CStr()), CrLf("{ mine\n}\n{ last }\n"));
    NString blocks("{ Module \"%PATH%%VELDO%\" \"%PATH%%VELDO_CUR%\" %VELDO_DIM% v%VELDO_VERSION% }");
    EXPECT_TRUE(lightwave_config::FillExtensionTemplate(blocks, WTXT("C:\\Program Files\\LW\\Veldo5"), 1252));
    EXPECT_EQ(std::string(blocks.CStr()),
              "{ Module \"C:\\\\Program Files\\\\LW\\\\Veldo5\\\\veldo_5.p\" \"C:\\\\Program Files\\\\LW\\\\Veldo5\\\\veldo_cur.p\" "
              "veldo_dim.p v5.5 }");
}

// The module path goes in the code page the host reads its configuration
// in; a path that has no form there is not written at all.
TEST(ExtensionConfig, ThePathInTheHostsCodePage) {
    const struct {
        const WChar* folder;
        uint32_t codePage;
        const char* written;  // null: cannot be written
    } cases[] = {
        {WTXT("C:\\LightWave \u00dc 2015.3"), 1252, "C:\\\\LightWave \xdc 2015.3\\\\"},
        {WTXT("C:\\LightWave \u00dc 2015.3"), 65001, "C:\\\\LightWave \xc3\x9c 2015.3\\\\"},
        {WTXT("C:\\\u041b\u0430\u0439\u0442"), 1251, "C:\\\\\xcb\xe0\xe9\xf2\\\\"},
        {WTXT("C:\\\u30c6"), 932, "C:\\\\\x83\x65\\\\"},
        {WTXT("C:\\\u30c6"), 1252, nullptr},
        {WTXT("C:\\\u041b"), 1252, nullptr},
        {WTXT("C:\\x"), 12345, nullptr},  // no such code page
    };
    for (const auto& c : cases) {
        NString text("%PATH%");
        EXPECT_EQ(lightwave_config::FillExtensionTemplate(text, c.folder, c.codePage), c.written != nullptr) << U(c.folder);
        EXPECT_EQ(std::string(text.CStr()), c.written ? c.written : "%PATH%") << U(c.folder) << " " << c.codePage;
    }
}

// ---- the editors on real files -------------------------------------------

// A LightWave batch whose configuration lives in a temporary folder.
struct LwFixture {
    test::TempDir dir;
    LwInstallBatch batch;
    BatchList list;
    InstallBatchProcessor processor{list};
    FileTransfer* menu;
    FileTransfer* extension;

    LwFixture() {
        batch.configPath = W(dir.path());
        batch.pathValue = W("C:\\LW\\support\\plugins\\Brimvale\\Veldo5");
        extension = batch.AddTransfer(kTransferLwExtension, WTXT("LightWave\\Extensions\\LWEXT_new.CFG"),
                                      WTXT("%CONFIG_PATH%/LWEXT-64.CFG"), batch.pathValue.CStr(), false);
        menu = batch.AddTransfer(kTransferLwMenu, WTXT("LightWave\\Menu branches"), WTXT("%CONFIG_PATH%/LWM-64.CFG"),
                                 W(dir / "Modeler.exe").CStr(), false);
    }
    std::string MenuPath() const { return dir / "LWM-64.CFG"; }
    std::string ExtensionPath() const { return dir / "LWEXT-64.CFG"; }
};

const std::string kMenu = CrLf("LWMenuConfig 1\nMenuEntry 1 \"Create\"\nMenuEntry 0 .\nMenuEntry 65537\nMenuEntry 1 \"Modify\"\nMenuEntry 0 .\n");

TEST(MenuConfig, InstallTwiceThenRemoveGivesTheFileBack) {
    LwFixture f;
    test::WriteFile(f.MenuPath(), kMenu);
    f.batch.menuAction.value = kChoiceInstall;
    ASSERT_TRUE(EditMenuConfig(f.batch, f.processor, *f.menu));
    const std::string once = test::ReadFile(f.MenuPath());
    EXPECT_NE(once.find("MenuEntry 1 \"Veldo5 Modeling\" \r\n"), std::string::npos);
    // The branches follow the marker in the order of their files.
    EXPECT_LT(once.find("Veldo5 Modeling"), once.find("Veldo5 Tools"));
    EXPECT_GT(once.find("Veldo5 Modeling"), once.find("MenuEntry 65537"));
    ASSERT_TRUE(EditMenuConfig(f.batch, f.processor, *f.menu));
    EXPECT_EQ(test::ReadFile(f.MenuPath()), once);
    f.batch.menuAction.value = kChoiceRemove;
    ASSERT_TRUE(EditMenuConfig(f.batch, f.processor, *f.menu));
    EXPECT_EQ(test::ReadFile(f.MenuPath()), kMenu);
    EXPECT_EQ(f.processor.reportLines.count, 3);
    EXPECT_EQ(U(*f.processor.reportLines[0]), "Modifying:  " + f.dir.path() + "/LWM-64.CFG");
    EXPECT_EQ(f.processor.warningLines.count, 0);
}

// Menu files as other tools and hands leave them: every kind of line end,
// and the marker on the last line with no line end after it. Installing
// puts the branches on the lines after the marker in the file's own line
// ends, reinstalling changes nothing more, and removing gives back the
// file (plus the line end the marker's line had to get).
TEST(MenuConfig, AnyLineEndsAndAMarkerThatEndsTheFile) {
    const struct {
        const char* name;
        std::string menu;
        std::string removed;  // after install and remove
        const char* lineEnd;
    } cases[] = {
        {"LF", "LWMenuConfig 1\nMenuEntry 65537\nMenuEntry 1 \"Modify\"\nMenuEntry 0 .\n", "", "\n"},
        {"CR", "LWMenuConfig 1\rMenuEntry 65537\rMenuEntry 1 \"Modify\"\rMenuEntry 0 .\r", "", "\r"},
        {"CR LF, marker last without a line end", CrLf("LWMenuConfig 1\nMenuEntry 1 \"Create\"\nMenuEntry 0 .\n") + "MenuEntry 65537",
         CrLf("LWMenuConfig 1\nMenuEntry 1 \"Create\"\nMenuEntry 0 .\nMenuEntry 65537\n"), "\r\n"},
        {"LF, marker last without a line end", "LWMenuConfig 1\nMenuEntry 65537", "LWMenuConfig 1\nMenuEntry 65537\n", "\n"},
        {"the marker alone", "MenuEntry 65537", "MenuEntry 65537\r\n", "\r\n"},
    };
    for (const auto& c : cases) {
        LwFixture f;
        test::WriteFile(f.MenuPath(), c.menu);
        f.batch.menuAction.value = kChoiceInstall;
        ASSERT_TRUE(EditMenuConfig(f.batch, f.processor, *f.menu)) << c.name;
        const std::string once = test::ReadFile(f.MenuPath());
        const std::string end = c.lineEnd;
        EXPECT_NE(once.find("MenuEntry 65537" + end + "MenuEntry 1 \"Veldo5 Modeling\" " + end), std::string::npos)
            << c.name << ": " << once;
        // No other kind of line end came in.
        std::string others = once;
        for (size_t at = 0; (at = others.find(end, at)) != std::string::npos;) others.erase(at, end.size());
        EXPECT_EQ(others.find_first_of("\r\n"), std::string::npos) << c.name;
        ASSERT_TRUE(EditMenuConfig(f.batch, f.processor, *f.menu)) << c.name;
        EXPECT_EQ(test::ReadFile(f.MenuPath()), once) << c.name;
        f.batch.menuAction.value = kChoiceRemove;
        ASSERT_TRUE(EditMenuConfig(f.batch, f.processor, *f.menu)) << c.name;
        EXPECT_EQ(test::ReadFile(f.MenuPath()), c.removed.empty() ? c.menu : c.removed) << c.name;
    }
}

TEST(MenuConfig, WithoutTheMarkerTheFileStaysAndAWarningIsListed) {
    LwFixture f;
    const std::string noMarker = CrLf("LWMenuConfig 1\nMenuEntry 1 \"Create\"\nMenuEntry 0 .\n");
    test::WriteFile(f.MenuPath(), noMarker);
    f.batch.menuAction.value = kChoiceInstall;
    ASSERT_TRUE(EditMenuConfig(f.batch, f.processor, *f.menu));
    EXPECT_EQ(test::ReadFile(f.MenuPath()), noMarker);
    ASSERT_EQ(f.processor.warningLines.count, 1);
    EXPECT_EQ(U(*f.processor.warningLines[0]), "LW menu branches are missing: " + f.dir.path() + "/LWM-64.CFG");
    EXPECT_EQ(f.processor.manualMenuFlag, 1);
    EXPECT_EQ(f.processor.errorLines.count, 0);

    test::WriteFile(f.MenuPath(), kMenu + CrLf("MenuEntry 65537\n"));
    ASSERT_TRUE(EditMenuConfig(f.batch, f.processor, *f.menu));
    EXPECT_EQ(U(*f.processor.warningLines[1]), "Unknow LW menu format: " + f.dir.path() + "/LWM-64.CFG");
}

// Either configuration file missing fails the batch, says why and asks for
// LightWave to be closed.
TEST(MenuConfig, AnUnreadableConfigurationFileIsAnError) {
    {
        LwFixture f;
        f.batch.menuAction.value = kChoiceInstall;
        EXPECT_FALSE(EditMenuConfig(f.batch, f.processor, *f.menu));
        EXPECT_EQ(U(*f.processor.errorLines[0]), "File not found: " + f.dir.path() + "/LWM-64.CFG");
        EXPECT_EQ(f.processor.lightWaveFlag, 1);
    }
    {
        LwFixture f;
        f.batch.fileAction.value = kChoiceInstall;
        EXPECT_FALSE(EditExtensionConfig(f.batch, f.processor, *f.extension));
        EXPECT_EQ(U(*f.processor.errorLines[0]), "File not found: " + f.dir.path() + "/LWEXT-64.CFG");
        EXPECT_EQ(f.processor.lightWaveFlag, 1);
    }
}

TEST(ExtensionConfig, InstallTwiceThenRemove) {
    LwFixture f;
    const std::string mine = CrLf("{ Entry\n  Module \"C:\\\\mine.p\"\n}\n");
    test::WriteFile(f.ExtensionPath(), mine);
    f.batch.fileAction.value = kChoiceInstall;
    ASSERT_TRUE(EditExtensionConfig(f.batch, f.processor, *f.extension));
    const std::string once = test::ReadFile(f.ExtensionPath());
    EXPECT_NE(once.find("Module \"C:\\\\LW\\\\support\\\\plugins\\\\Brimvale\\\\Veldo5\\\\veldo_5.p\""), std::string::npos);
    ASSERT_TRUE(EditExtensionConfig(f.batch, f.processor, *f.extension));
    EXPECT_EQ(test::ReadFile(f.ExtensionPath()), once);
    f.batch.fileAction.value = kChoiceRemove;
    ASSERT_TRUE(EditExtensionConfig(f.batch, f.processor, *f.extension));
    EXPECT_EQ(test::ReadFile(f.ExtensionPath()), mine);
}

// An extension file whose last line has no line end: the template starts on
// a line of its own, and removing gives the file back with that line ended.
TEST(ExtensionConfig, ALastLineWithoutALineEnd) {
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        LwFixture f;
        const std::string mine = "{ Entry" + end + "  Module \"C:\\\\mine.p\"" + end + "}";
        test::WriteFile(f.ExtensionPath(), mine);
        f.batch.fileAction.value = kChoiceInstall;
        ASSERT_TRUE(EditExtensionConfig(f.batch, f.processor, *f.extension));
        const std::string once = test::ReadFile(f.ExtensionPath());
        EXPECT_EQ(once.find("}{"), std::string::npos) << once;
        EXPECT_EQ(once.substr(0, mine.size() + end.size() + 1), mine + end + "{");
        ASSERT_TRUE(EditExtensionConfig(f.batch, f.processor, *f.extension));
        EXPECT_EQ(test::ReadFile(f.ExtensionPath()), once);
        f.batch.fileAction.value = kChoiceRemove;
        ASSERT_TRUE(EditExtensionConfig(f.batch, f.processor, *f.extension));
        EXPECT_EQ(test::ReadFile(f.ExtensionPath()), mine + end);
    }
}

// ---- the check before installing ---------------------------------------

// Modeler is a program that starts: on Linux a stand-in Wine loader that
// notes its calls (Modeler.exe itself only has to be there), on Windows a
// real small program.
struct CheckFixture : LwFixture {
    test::TempDir loaderDir;
    std::string calls = loaderDir / "calls";
    test::ScopedEnv wine{"WINE", (loaderDir / "wine").c_str()};
    CheckFixture() {
#ifdef _WIN32
        test::WriteFile(dir / "Modeler.exe", test::ReadFile(VELDO_STAND_IN_EXE));
#else
        test::WriteFile(loaderDir / "wine", "#!/bin/sh\necho \"$@\" >> '" + calls + "'\n");
        chmod((loaderDir / "wine").c_str(), 0755);
        test::WriteFile(dir / "Modeler.exe", "MZ");
#endif
        batch.menuAction.value = kChoiceInstall;
    }
    // From now on Modeler cannot be started.
    void BreakModeler() {
#ifdef _WIN32
        test::WriteFile(dir / "Modeler.exe", "MZ");  // no program
#else
        setenv("WINE", (loaderDir / "missing-loader").c_str(), 1);  // the fixture's ScopedEnv puts it back
#endif
    }
};

TEST(CheckFix, Codes) {
    {
        CheckFixture f;
        EXPECT_EQ(CheckMenuFix(f.batch, *f.menu), kFixModelerStarted);  // no menu file yet
        test::WriteFile(f.MenuPath(), kMenu);
        EXPECT_EQ(CheckMenuFix(f.batch, *f.menu), kFixNone);
        test::WriteFile(f.MenuPath(), kMenu + CrLf("MenuEntry 65537\n"));
        EXPECT_EQ(CheckMenuFix(f.batch, *f.menu), kFixCannotModify);
        f.batch.menuAction.value = kChoiceLeave;
        EXPECT_EQ(CheckMenuFix(f.batch, *f.menu), kFixNone);
        f.batch.menuAction.value = kChoiceInstall;
        EXPECT_EQ(CheckMenuFix(f.batch, *f.extension), kFixNone);
    }
    {
        // The tools branch is the last entry: a dummy branch is added and
        // Modeler started to write the file anew.
        CheckFixture f;
        const std::string fresh = CrLf("MenuEntry 131072 1 GraphEditor\nX\nMenuEntry 131072 1 _\n");
        test::WriteFile(f.MenuPath(), fresh);
        EXPECT_EQ(CheckMenuFix(f.batch, *f.menu), kFixMenuPatched);
        EXPECT_EQ(test::ReadFile(f.MenuPath()), fresh + "MenuEntry 1 \"a\"\nMenuEntry 0 .\n");
        // Another entry after it: customised.
        test::WriteFile(f.MenuPath(), fresh + CrLf("MenuEntry 2 \"x\"\n"));
        EXPECT_EQ(CheckMenuFix(f.batch, *f.menu), kFixCannotModify);
    }
    {
        // Modeler cannot be started: the patch is taken back.
        CheckFixture f;
        f.BreakModeler();
        const std::string fresh = CrLf("MenuEntry 131072 1 GraphEditor\nMenuEntry 131072 1 _\n");
        test::WriteFile(f.MenuPath(), fresh);
        EXPECT_EQ(CheckMenuFix(f.batch, *f.menu), kFixCannotModify);
        EXPECT_EQ(test::ReadFile(f.MenuPath()), fresh);
    }
}

}  // namespace
