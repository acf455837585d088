// The Windows file calls as the program meets them (run under Wine): what
// each failure is called, so that a refusal is retried elevated and nothing
// else is; that a refused change leaves the file as it was; and names
// beyond ASCII through the wide calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "sys/platform.h"

namespace {

using test::W;

void MakeReadOnly(const std::string& path) {
    std::filesystem::permissions(test::FsPath(path), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
}

std::string Read(const std::string& path) {
    NString bytes;
    bool opened = false;
    return SysReadFile(W(path).CStr(), bytes, 1 << 20, opened) == SysStatus::kOk ? bytes.CStr() : "(unread)";
}

TEST(Win32Files, WhatEachFailureIsCalled) {
    test::TempDir dir;
    test::MakeDirs(dir / "full");
    test::WriteFile(dir / "full\\keep.txt", "keep");
    test::WriteFile(dir / "locked.txt", "locked");
    MakeReadOnly(dir / "locked.txt");
    test::WriteFile(dir / "source.txt", "source");
    test::MakeDirs(dir / "tree\\inner");
    test::WriteFile(dir / "tree\\inner\\locked.txt", "locked");
    MakeReadOnly(dir / "tree\\inner\\locked.txt");

    const struct {
        const char* what;
        SysStatus got;
        SysStatus wanted;
    } cases[] = {
        {"a folder made twice", SysCreateFolder(W(dir / "full").CStr()), SysStatus::kExists},
        {"a folder in a missing one", SysCreateFolder(W(dir / "missing\\new").CStr()), SysStatus::kNotFound},
        {"a folder with a file in it removed", SysRemoveFolder(W(dir / "full").CStr()), SysStatus::kFailed},
        {"a missing file deleted", SysDeleteFile(W(dir / "missing.txt").CStr()), SysStatus::kNotFound},
        {"a read-only file deleted", SysDeleteFile(W(dir / "locked.txt").CStr()), SysStatus::kAccessDenied},
        {"a rename onto an existing file", SysRenamePath(W(dir / "source.txt").CStr(), W(dir / "locked.txt").CStr()),
         SysStatus::kExists},
        {"a tree with a read-only file in it", SysDeleteTree(W(dir / "tree").CStr()), SysStatus::kAccessDenied},
        {"a tree", SysDeleteTree(W(dir / "full").CStr()), SysStatus::kOk},
    };
    for (const auto& c : cases) EXPECT_EQ(int(c.got), int(c.wanted)) << c.what;

    // Every refusal left its files as they were.
    EXPECT_EQ(Read(dir / "locked.txt"), "locked");
    EXPECT_EQ(Read(dir / "source.txt"), "source");
    EXPECT_EQ(Read(dir / "tree\\inner\\locked.txt"), "locked");
    EXPECT_FALSE(test::Exists(dir / "full")) << "the tree went, its files first";
    EXPECT_FALSE(SysMayWrite(W(dir / "locked.txt").CStr()));
    EXPECT_TRUE(SysMayWrite(W(dir / "source.txt").CStr()));

    NString bytes;
    bool opened = true;
    EXPECT_EQ(SysReadFile(W(dir / "missing.txt").CStr(), bytes, 100, opened), SysStatus::kNotFound);
    EXPECT_FALSE(opened);
    EXPECT_EQ(SysReadFile(W(dir / "source.txt").CStr(), bytes, 3, opened), SysStatus::kFailed) << "over the limit";
    EXPECT_TRUE(opened);
}

// A replaced file gets its new content whole; a read-only one is refused
// and keeps its old content; a left-over new file of a run that died goes,
// that of a live process (this one) stays.
TEST(Win32Files, ReplacingAFile) {
    test::TempDir dir;
    test::WriteFile(dir / "config.cfg", "old");
    bool opened = false;
    const std::string fresh = "new content\r\n";
    ASSERT_EQ(SysReplaceFile(W(dir / "config.cfg").CStr(), fresh.data(), int64_t(fresh.size()), opened),
              SysStatus::kOk);
    EXPECT_EQ(Read(dir / "config.cfg"), fresh);

    test::WriteFile(dir / "config.cfg.veldo-new-999999-0", "dead run");
    const std::string mine = "config.cfg.veldo-new-" + std::to_string(SysProcessId()) + "-77";
    test::WriteFile(dir / mine, "live run");
    ASSERT_EQ(SysReplaceFile(W(dir / "config.cfg").CStr(), "again", 5, opened), SysStatus::kOk);
    EXPECT_FALSE(test::Exists(dir / "config.cfg.veldo-new-999999-0"));
    EXPECT_TRUE(test::Exists(dir / mine));

    test::WriteFile(dir / "locked.cfg", "locked");
    MakeReadOnly(dir / "locked.cfg");
    EXPECT_EQ(SysReplaceFile(W(dir / "locked.cfg").CStr(), "lost?", 5, opened), SysStatus::kAccessDenied);
    EXPECT_EQ(Read(dir / "locked.cfg"), "locked");
}

// Names beyond ASCII, one beyond the first 65536 characters (two UTF-16
// units), listed and read back as they were written.
TEST(Win32Files, NamesBeyondAscii) {
    test::TempDir dir;
    const std::vector<std::string> names = {"Größe.txt", "日本語.cfg", "emoji-\xF0\x9F\x98\x80.txt"};
    for (const auto& name : names) test::WriteFile(dir / name, name);
    std::vector<std::string> listed;
    ASSERT_EQ(SysListFolder(
                  W(dir.path()).CStr(),
                  [](void* context, const WChar* name, bool, bool) {
                      static_cast<std::vector<std::string>*>(context)->push_back(test::U(name));
                  },
                  &listed),
              SysStatus::kOk);
    std::sort(listed.begin(), listed.end());
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(listed, sorted);
    for (const auto& name : names) EXPECT_EQ(Read(dir / name), name);
    SysFileInfo info;
    ASSERT_EQ(SysQueryPath(W(dir / names[1]).CStr(), info), SysStatus::kOk);
    EXPECT_TRUE(info.exists);
    EXPECT_FALSE(info.isFolder);
    EXPECT_EQ(info.size, int64_t(names[1].size()));
}

}  // namespace
