// The installer's file work on real folders: listings, trees with their
// progress lines, text files and their status codes, executables, the
// permission boundary and a full file system.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "support/test_support.h"
#include "sys/file_system.h"
#include "sys/move_aside.h"
#include "sys/text_files.h"

namespace {

using test::U;
using test::W;

struct Recorder : SysIOInfoCallback {
    std::vector<std::string> lines;
    void Report(bool created, const WChar* path) override {
        lines.push_back(std::string(created ? "Creating: " : "Deleting: ") + U(path));
    }
};

// A payload tree: a.txt, b.dat, sub/c.txt, sub/deeper/d.txt.
void MakePayload(const std::string& root) {
    test::MakeDirs(root + "/sub/deeper");
    test::WriteFile(root + "/a.txt", "A");
    test::WriteFile(root + "/b.dat", "B");
    test::WriteFile(root + "/sub/c.txt", "C");
    test::WriteFile(root + "/sub/deeper/d.txt", "D");
}

TEST(FileSystem, WildcardsAndListings) {
    const struct {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*", "x", true},           {"*.*", "noext", true},    {"*.txt", "A.TXT", true},
        {"*.txt", "a.txt.bak", false}, {"?.dat", "b.dat", true}, {"?.dat", "bb.dat", false},
        {"a*b*c", "aXbYc", true},   {"a*b*c", "aXbY", false},  {"", "", true},
    };
    for (const auto& c : cases) EXPECT_EQ(WildcardMatch(W(c.pattern).CStr(), W(c.name).CStr()), c.match) << c.pattern << " " << c.name;

    test::TempDir dir;
    MakePayload(dir.path());
    Container<WFILE> files;
    ListFiles(W(dir.path()).CStr(), WTXT("*.txt"), true, files);
    std::vector<std::string> names;
    for (int32_t i = 0; i < files.count; ++i) names.push_back(U(files[i]->name));
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "c.txt", "d.txt"}));
    EXPECT_EQ(U(files[1]->path), dir.path() + "\\sub\\c.txt");  // joined the Windows way
    Container<WDIR> folders;
    ListFolders(W(dir.path()).CStr(), WTXT("d*"), true, folders);
    ASSERT_EQ(folders.count, 1);
    EXPECT_EQ(U(folders[0]->name), "deeper");
}

TEST(FileSystem, CreateDirectoryPath) {
    test::WinePrefix prefix;
    test::TempDir d;
    prefix.MapDrive('d', d.path());
    test::MakeDirs(d / "A");
    EXPECT_TRUE(CreateDirectoryPath(WTXT("D:\\A\\B")));
    EXPECT_TRUE(test::Exists(d / "A/B"));
    EXPECT_TRUE(CreateDirectoryPath(WTXT("D:")));  // only a drive: nothing to make
    EXPECT_TRUE(CreateDirectoryPath(WTXT("D:\\x\\\\y\\")));
    EXPECT_TRUE(test::Exists(d / "x/y"));
    EXPECT_FALSE(CreateDirectoryPath(WTXT("")));
    EXPECT_FALSE(CreateDirectoryPath(WTXT("\\\\")));
    test::WriteFile(d / "file", "");
    EXPECT_FALSE(CreateDirectoryPath(WTXT("D:\\file\\below")));
}

TEST(FileSystem, CopyTreeReportsWhatItCreates) {
    test::TempDir src, dst;
    MakePayload(src.path());
    test::MakeDirs(dst / "sub");  // exists already: no "Creating:" line for it
    Recorder r;
    ASSERT_TRUE(CopyFolderTree(W(src.path()).CStr(), W(dst.path()).CStr(), false, &r));
    const std::string t = dst.path();
    EXPECT_EQ(r.lines, (std::vector<std::string>{
                           "Creating: " + t + "\\a.txt",
                           "Creating: " + t + "\\b.dat",
                           "Creating: " + t + "\\sub\\c.txt",
                           "Creating: " + t + "\\sub\\deeper",
                           "Creating: " + t + "\\sub\\deeper\\d.txt",
                       }));
    EXPECT_EQ(test::ReadFile(dst / "sub/deeper/d.txt"), "D");

    // Keeping existing files leaves a changed copy alone.
    test::WriteFile(dst / "a.txt", "mine");
    ASSERT_TRUE(CopyFolderTree(W(src.path()).CStr(), W(dst.path()).CStr(), true, nullptr));
    EXPECT_EQ(test::ReadFile(dst / "a.txt"), "mine");
    ASSERT_TRUE(CopyFolderTree(W(src.path()).CStr(), W(dst.path()).CStr(), false, nullptr));
    EXPECT_EQ(test::ReadFile(dst / "a.txt"), "A");
}

TEST(FileSystem, RemovePayloadLeavesTheUsersFiles) {
    test::TempDir src, dst;
    MakePayload(src.path());
    ASSERT_TRUE(CopyFolderTree(W(src.path()).CStr(), W(dst.path()).CStr(), false, nullptr));
    test::WriteFile(dst / "sub/mine.txt", "user");
    Recorder r;
    ASSERT_TRUE(RemoveFolderFiles(W(src.path()).CStr(), W(dst.path()).CStr(), true, &r));
    EXPECT_FALSE(test::Exists(dst / "a.txt"));
    EXPECT_FALSE(test::Exists(dst / "sub/deeper"));  // emptied and removed
    EXPECT_TRUE(test::Exists(dst / "sub/mine.txt"));  // still holds the user's file
    const std::string t = dst.path();
    EXPECT_EQ(r.lines.front(), "Deleting: " + t + "\\a.txt");
    EXPECT_NE(std::find(r.lines.begin(), r.lines.end(), "Deleting: " + t + "\\sub"), r.lines.end());
    // Removing again finds nothing to delete and still succeeds.
    EXPECT_TRUE(RemoveFolderFiles(W(src.path()).CStr(), W(dst.path()).CStr(), false, nullptr));
}

// Windows names are case-blind: a host folder spelled in another case than
// the payload still loses exactly the payload's files.
TEST(FileSystem, RemoveFindsFilesSpelledInAnotherCase) {
    test::WinePrefix prefix;
    test::TempDir src;
    MakePayload(src.path());
    test::MakeDirs(prefix.driveC() + "/Host/SUB/Deeper");
    test::WriteFile(prefix.driveC() + "/Host/A.TXT", "A");
    test::WriteFile(prefix.driveC() + "/Host/SUB/c.txt", "C");
    test::WriteFile(prefix.driveC() + "/Host/SUB/Deeper/D.txt", "D");
    test::WriteFile(prefix.driveC() + "/Host/SUB/mine.txt", "user");
    ASSERT_TRUE(RemoveFolderFiles(W(src.path()).CStr(), W("C:\\host").CStr(), true, nullptr));
    EXPECT_FALSE(test::Exists(prefix.driveC() + "/Host/A.TXT"));
    EXPECT_FALSE(test::Exists(prefix.driveC() + "/Host/SUB/c.txt"));
    EXPECT_FALSE(test::Exists(prefix.driveC() + "/Host/SUB/Deeper"));
    EXPECT_EQ(test::ReadFile(prefix.driveC() + "/Host/SUB/mine.txt"), "user");
    // A target that is not there is nothing to remove.
    EXPECT_TRUE(RemoveFolderFiles(W(src.path()).CStr(), W("C:\\elsewhere").CStr(), true, nullptr));
}

TEST(FileSystem, DeleteTree) {
    test::TempDir dir;
    MakePayload(dir / "victim");
    Recorder r;
    ASSERT_TRUE(DeleteFolderTree(W(dir / "victim").CStr(), &r));
    EXPECT_FALSE(test::Exists(dir / "victim"));
    EXPECT_EQ(r.lines.back(), "Deleting: " + dir.path() + "/victim");
    EXPECT_EQ(r.lines.size(), 7u);  // four files, two folders, the root
    EXPECT_FALSE(DeleteFolderTree(W(dir / "victim").CStr(), nullptr));
}

// A user's links inside the plug-in folder (to their own documents, or to a
// file) go as links; what they point to is never touched, whether the
// whole folder is deleted or only the payload's files are removed.
TEST(FileSystem, LinksAreDeletedNeverFollowed) {
    test::TempDir dir;
    const std::string mine = dir / "documents";
    test::MakeDirs(mine + "/deep");
    test::WriteFile(mine + "/a.txt", "mine");
    test::WriteFile(mine + "/deep/c.txt", "mine too");
    test::WriteFile(dir / "note.txt", "mine");
    const auto makeHost = [&](const std::string& host) {
        MakePayload(host);
        ASSERT_EQ(symlink(mine.c_str(), (host + "/shortcut").c_str()), 0);
        ASSERT_EQ(symlink(mine.c_str(), (host + "/sub/deeper/link").c_str()), 0);
        ASSERT_EQ(symlink((dir / "note.txt").c_str(), (host + "/note").c_str()), 0);
        ASSERT_EQ(symlink((dir / "nowhere").c_str(), (host + "/dangling").c_str()), 0);
    };
    const auto mineIntact = [&] {
        EXPECT_EQ(test::ReadFile(mine + "/a.txt"), "mine");
        EXPECT_EQ(test::ReadFile(mine + "/deep/c.txt"), "mine too");
        EXPECT_EQ(test::ReadFile(dir / "note.txt"), "mine");
    };

    makeHost(dir / "host");
    Recorder progress;
    EXPECT_TRUE(DeleteFolderTree(W(dir / "host").CStr(), &progress));
    EXPECT_FALSE(test::Exists(dir / "host"));
    mineIntact();

    // The payload names a folder "shortcut": the host's link of that name
    // is not entered.
    makeHost(dir / "host2");
    MakePayload(dir / "payload");
    test::MakeDirs(dir / "payload/shortcut/deep");
    test::WriteFile(dir / "payload/shortcut/a.txt", "payload");
    test::WriteFile(dir / "payload/shortcut/deep/c.txt", "payload");
    EXPECT_TRUE(RemoveFolderFiles(W(dir / "payload").CStr(), W(dir / "host2").CStr(), true, &progress));
    mineIntact();
    EXPECT_FALSE(test::Exists(dir / "host2/a.txt"));
    struct stat st;
    EXPECT_EQ(lstat((dir / "host2/shortcut").c_str(), &st), 0);

    // A plug-in folder that is itself a link goes as a link.
    ASSERT_EQ(symlink(mine.c_str(), (dir / "linked").c_str()), 0);
    EXPECT_TRUE(DeleteFolderTree(W(dir / "linked").CStr(), &progress));
    EXPECT_NE(lstat((dir / "linked").c_str(), &st), 0);
    mineIntact();
}

// A folder that cannot be read is not an empty folder.
TEST(FileSystem, AnUnreadableFolderIsAFailedListing) {
    test::TempDir dir;
    MakePayload(dir / "payload");
    Container<WFILE> files;
    EXPECT_TRUE(ListFiles(W(dir / "payload").CStr(), WTXT("*"), true, files));
    EXPECT_EQ(files.count, 4);
    EXPECT_FALSE(CanListFolder(W(dir / "missing").CStr()));
    EXPECT_FALSE(CopyFolderTree(W(dir / "missing").CStr(), W(dir / "out").CStr(), false, nullptr));
    // A subfolder nobody may read, tried as an ordinary user (root reads
    // any folder).
    chmod((dir / "payload/sub").c_str(), 0);
    const std::string payload = dir / "payload", out = dir / "out";
    struct Paths {
        const std::string *payload, *out;
    } paths{&payload, &out};
    EXPECT_EQ(test::RunUnprivileged(
                  [](void* context) {
                      const auto& p = *static_cast<Paths*>(context);
                      Container<WFILE> found;
                      const bool listed = ListFiles(W(*p.payload).CStr(), WTXT("*"), true, found);
                      const bool copied = CopyFolderTree(W(*p.payload).CStr(), W(*p.out).CStr(), false, nullptr);
                      return (listed ? 1 : 0) + (copied ? 2 : 0) + (found.count == 2 ? 0 : 4);
                  },
                  &paths),
              0);
    chmod((dir / "payload/sub").c_str(), 0755);
}

TEST(FileSystem, TextFileStatusCodes) {
    test::TempDir dir;
    NString text;
    EXPECT_EQ(ReadTextFile(W(dir / "missing").CStr(), text), kTextNotFound);
    EXPECT_EQ(ReadTextFile(W(dir.path()).CStr(), text), kTextNotFound);
    test::WriteFile(dir / "empty", "");
    EXPECT_EQ(ReadTextFile(W(dir / "empty").CStr(), text), kTextOk);
    EXPECT_EQ(text.Length(), 0);
    test::WriteFile(dir / "crlf", std::string("a\r\nb\0c", 6));
    EXPECT_EQ(ReadTextFile(W(dir / "crlf").CStr(), text), kTextOk);
    EXPECT_EQ(std::string(text.CStr(), 4), "a\r\nb");  // bytes as they are

    NString out("x\r\ny");
    EXPECT_EQ(WriteTextFile(W(dir / "new.cfg").CStr(), out), kTextOk);
    EXPECT_EQ(test::ReadFile(dir / "new.cfg"), "x\r\ny");
    EXPECT_EQ(WriteTextFile(W(dir / "nofolder/new.cfg").CStr(), out), kTextCannotCreate);
    EXPECT_EQ(WriteTextFile(W(dir.path()).CStr(), out), kTextCannotCreate);
}

TEST(FileSystem, WriteReplacesAtomicallyAndKeepsPermissions) {
    test::TempDir dir;
    const std::string cfg = dir / "LWM2015-64.CFG";
    test::WriteFile(cfg, "old");
    chmod(cfg.c_str(), 0640);
    struct stat before;
    stat(cfg.c_str(), &before);
    ASSERT_EQ(WriteTextFile(W(cfg).CStr(), NString("new content")), kTextOk);
    struct stat after;
    stat(cfg.c_str(), &after);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_NE(after.st_ino, before.st_ino);  // a new file took its place
    EXPECT_EQ(test::ReadFile(cfg), "new content");
    // Nothing is left beside it.
    Container<WFILE> files;
    ListFiles(W(dir.path()).CStr(), WTXT("*"), false, files);
    EXPECT_EQ(files.count, 1);
}

struct DeniedCase {
    std::string dir;
};

int TryDeniedOperations(void* context) {
    auto* c = static_cast<DeniedCase*>(context);
    int failures = 0;
    failures += CopyOneFile(W(c->dir + "/src.txt").CStr(), W(c->dir + "/root_only/copy.txt").CStr(), false) ? 1 : 0;
    failures += CreateDirectoryPath(W(c->dir + "/root_only/new").CStr()) ? 2 : 0;
    failures += DeleteOneFile(W(c->dir + "/root_only/keep.txt").CStr()) ? 4 : 0;
    failures += DeleteFolderTree(W(c->dir + "/root_only").CStr(), nullptr) ? 8 : 0;
    NString text;
    if (ReadTextFile(W(c->dir + "/root_only/secret.txt").CStr(), text) != kTextCannotOpen) failures += 16;
    return failures;
}

TEST(FileSystem, AccessDeniedFailsCleanlyWithoutTheService) {
    test::TempDir dir;
    DeniedCase c{dir.path()};
    test::WriteFile(dir / "src.txt", "payload");
    test::MakeDirs(dir / "root_only");
    test::WriteFile(dir / "root_only/keep.txt", "keep");
    test::WriteFile(dir / "root_only/secret.txt", "secret");
    chmod((dir / "root_only/secret.txt").c_str(), 0600);
    chmod((dir / "root_only").c_str(), 0755);
    if (!test::IsRoot()) {
        chmod((dir / "root_only/secret.txt").c_str(), 0);
        chmod((dir / "root_only").c_str(), 0555);
    }
    EXPECT_EQ(test::RunUnprivileged(TryDeniedOperations, &c), 0);
    EXPECT_EQ(test::ReadFile(dir / "root_only/keep.txt"), "keep");
    EXPECT_FALSE(test::Exists(dir / "root_only/copy.txt"));
}

// ---- writing configuration files the user's way ---------------------------

// A configuration file that is a link is written through it: the link
// stays a link and the file behind it gets the text. Hard links keep
// sharing one file.
// An ordinary user with a profile of their own in a prefix, for writes
// that need a place to keep copies.
struct UserProfile {
    test::WinePrefix prefix;
    test::ScopedEnv user{"USER", "player"};
    test::TempDir dir;
    UserProfile() {
        test::MakeDirs(prefix.driveC() + "/users/player");
        if (chown((prefix.driveC() + "/users/player").c_str(), 65534, 65534) != 0) {}
        chmod(dir.path().c_str(), 0777);
    }
    std::string KeptCopies() const { return prefix.driveC() + "/users/player/.Brimvale/VELDO/ver0.0"; }
    int KeptCopyCount() const {
        Container<WFILE> copies;
        ListFiles(W(KeptCopies()).CStr(), WTXT("*.veldo-keep"), false, copies);
        return copies.count;
    }
};

TEST(FileSystem, WritesGoThroughLinks) {
    UserProfile user;
    const test::TempDir& dir = user.dir;
    test::MakeDirs(dir / "elsewhere");
    test::WriteFile(dir / "elsewhere/real.cfg", "old");
    ASSERT_EQ(symlink((dir / "elsewhere/real.cfg").c_str(), (dir / "LWM-64.CFG").c_str()), 0);
    ASSERT_EQ(WriteTextFile(W(dir / "LWM-64.CFG").CStr(), NString("new")), kTextOk);
    struct stat st;
    ASSERT_EQ(lstat((dir / "LWM-64.CFG").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(test::ReadFile(dir / "elsewhere/real.cfg"), "new");

    test::WriteFile(dir / "a.cfg", "old");
    ASSERT_EQ(link((dir / "a.cfg").c_str(), (dir / "b.cfg").c_str()), 0);
    ASSERT_EQ(WriteTextFile(W(dir / "a.cfg").CStr(), NString("shared")), kTextOk);
    EXPECT_EQ(test::ReadFile(dir / "b.cfg"), "shared");
    struct stat a, b;
    stat((dir / "a.cfg").c_str(), &a);
    stat((dir / "b.cfg").c_str(), &b);
    EXPECT_EQ(a.st_ino, b.st_ino);
    EXPECT_EQ(user.KeptCopyCount(), 0);  // kept while rewriting in place, then gone

    // A link that leads nowhere is not replaced by a file.
    ASSERT_EQ(symlink((dir / "gone.cfg").c_str(), (dir / "dangling.cfg").c_str()), 0);
    EXPECT_EQ(WriteTextFile(W(dir / "dangling.cfg").CStr(), NString("x")), kTextCannotCreate);
    EXPECT_EQ(lstat((dir / "dangling.cfg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

int WriteUserCfg(void* context) {
    return WriteTextFile(W(*static_cast<std::string*>(context)).CStr(), NString("written"));
}

// A file the user may not write stays as it is, even in a folder where a
// new file could replace it.
TEST(FileSystem, AFileTheUserMayNotWriteStays) {
    UserProfile user;
    std::string readOnly = user.dir / "readonly.cfg", others = user.dir / "others.cfg";
    test::WriteFile(readOnly, "mine, read-only");
    chmod(readOnly.c_str(), 0444);
    if (chown(readOnly.c_str(), 65534, 65534) != 0) {}
    test::WriteFile(others, "root's");  // owned by root, 0644, in a folder anyone may write
    chmod(others.c_str(), 0644);
    EXPECT_EQ(test::RunUnprivileged(WriteUserCfg, &readOnly), kTextCannotCreate);
    EXPECT_EQ(test::ReadFile(readOnly), "mine, read-only");
    if (test::IsRoot()) {  // as anyone else, root's file is someone else's
        EXPECT_EQ(test::RunUnprivileged(WriteUserCfg, &others), kTextCannotCreate);
        EXPECT_EQ(test::ReadFile(others), "root's");
    }
}

// The folder refuses new files but the file may be written: it is
// rewritten in place, and a copy of its old content is kept meanwhile and
// removed afterwards.
TEST(FileSystem, InPlaceWritesKeepACopyUntilDone) {
    UserProfile user;
    test::MakeDirs(user.dir / "locked");
    std::string cfg = user.dir / "locked/user.cfg";
    test::WriteFile(cfg, "before");
    chmod(cfg.c_str(), 0666);
    chmod((user.dir / "locked").c_str(), 0555);
    if (!test::IsRoot()) GTEST_SKIP() << "needs an ordinary user beside root";
    EXPECT_EQ(test::RunUnprivileged(WriteUserCfg, &cfg), kTextOk);
    EXPECT_EQ(test::ReadFile(cfg), "written");
    EXPECT_EQ(user.KeptCopyCount(), 0);
}

// Killed right after keeping the copy, while rewriting in place: the file
// may be torn, and the next start puts the old content back and removes
// the copy.
TEST(FileSystem, AnInterruptedInPlaceWriteIsUndoneAtTheNextStart) {
    if (!test::IsRoot()) GTEST_SKIP() << "needs an ordinary user beside root";
    UserProfile user;
    test::MakeDirs(user.dir / "locked");
    std::string cfg = user.dir / "locked/LWM-64.CFG";
    const std::string old(1 << 20, 'o');
    test::WriteFile(cfg, old);
    chmod(cfg.c_str(), 0666);
    chmod((user.dir / "locked").c_str(), 0555);
    // The run dies the moment it says it rewrites the file.
    const int died = test::RunUnprivileged(
        [](void* context) {
            struct DieOnRewrite : test::LogCapture {
                void Append(const WString& text) override {
                    if (U(text).find("Rewriting") != std::string::npos) kill(getpid(), SIGKILL);
                }
            } sink;
            return WriteTextFile(W(*static_cast<std::string*>(context)).CStr(), NString("new"));
        },
        &cfg);
    EXPECT_EQ(died, -1);  // killed
    ASSERT_EQ(user.KeptCopyCount(), 1);
    truncate(cfg.c_str(), 1000);  // as a write cut off half-way leaves it
    test::LogCapture log;
    RestoreKeptCopies();
    EXPECT_EQ(test::ReadFile(cfg), old);
    EXPECT_EQ(user.KeptCopyCount(), 0);
    EXPECT_TRUE(log.Has("Restored " + cfg + " from the copy kept in ")) << log.text();
}

// New files that a killed run left beside the file it was writing are
// removed by the next write of it; those of a live run stay.
TEST(FileSystem, LeftoverNewFilesOfDeadRunsGo) {
    test::TempDir dir;
    const std::string cfg = dir / "LWM-64.CFG";
    test::WriteFile(cfg, "old");
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    const std::string dead = cfg + ".veldo-new-" + std::to_string(gone) + "-3";
    const std::string live = cfg + ".veldo-new-" + std::to_string(getppid()) + "-0";
    test::WriteFile(dead, std::string(4096, 'x'));
    test::WriteFile(live, "another run's");
    ASSERT_EQ(WriteTextFile(W(cfg).CStr(), NString("new")), kTextOk);
    EXPECT_FALSE(test::Exists(dead));
    EXPECT_TRUE(test::Exists(live));
    EXPECT_EQ(test::ReadFile(cfg), "new");
}

// Putting back what a batch set aside, in each state a cut-off run can
// leave it: never moved (nothing aside), moved whole (nothing left where it
// was, or a new file of the batch there), and moved by copying cut off
// half-way (files at both ends, one at both): every file ends where it was,
// with its old content, and nothing stays aside. A real folder standing
// where a file was is not the batch's to delete: that one fails.
TEST(FileSystem, MovingBackPutsEveryFileWhereItWas) {
    test::TempDir dir;
    const auto back = [&](const std::string& aside, const std::string& original) {
        return MoveBack(W(dir / aside).CStr(), W(dir / original).CStr());
    };
    test::WriteFile(dir / "kept.txt", "kept");
    EXPECT_TRUE(back("kept.txt.veldo-old-1-0", "kept.txt"));
    EXPECT_EQ(test::ReadFile(dir / "kept.txt"), "kept");

    MakePayload(dir / "whole.veldo-old-1-1");
    EXPECT_TRUE(back("whole.veldo-old-1-1", "whole"));
    EXPECT_EQ(test::ReadFile(dir / "whole/sub/deeper/d.txt"), "D");

    test::WriteFile(dir / "file.veldo-old-1-2", "old");
    test::WriteFile(dir / "file", "the batch's new one");
    EXPECT_TRUE(back("file.veldo-old-1-2", "file"));
    EXPECT_EQ(test::ReadFile(dir / "file"), "old");

    // Half moved: a.txt and sub/c.txt went, b.dat was copied but not yet
    // deleted, sub/deeper/d.txt never moved.
    test::MakeDirs(dir / "half/sub/deeper");
    test::MakeDirs(dir / "half.veldo-old-1-3/sub");
    test::WriteFile(dir / "half.veldo-old-1-3/a.txt", "A");
    test::WriteFile(dir / "half.veldo-old-1-3/b.dat", "B");
    test::WriteFile(dir / "half.veldo-old-1-3/sub/c.txt", "C");
    test::WriteFile(dir / "half/b.dat", "B");
    test::WriteFile(dir / "half/sub/deeper/d.txt", "D");
    EXPECT_TRUE(back("half.veldo-old-1-3", "half"));
    test::TempDir expected;
    MakePayload(expected.path());
    EXPECT_EQ(test::TreeSnapshot(dir / "half"), test::TreeSnapshot(expected.path()));

    test::WriteFile(dir / "x.veldo-old-1-4", "old");
    test::MakeDirs(dir / "x/user's");
    EXPECT_FALSE(back("x.veldo-old-1-4", "x"));
    EXPECT_TRUE(test::Exists(dir / "x/user's"));
    EXPECT_EQ(test::TreeSnapshot(dir.path()).find("veldo-old-1-3"), std::string::npos);
}

// A small tmpfs filled to the brim: copies and text writes report failure,
// and the old text file survives.
TEST(FileSystem, FullDiskIsAFailure) {
    if (!test::IsRoot()) GTEST_SKIP() << "mounting a tmpfs needs root";
    test::TempDir dir;
    const std::string mnt = dir / "small";
    test::MakeDirs(mnt);
    test::ScopedTmpfs small(mnt, "64k");
    if (!small.ok()) GTEST_SKIP() << "cannot mount tmpfs here";
    test::WriteFile(mnt + "/LWEXT2015-64.CFG", "precious configuration");
    test::WriteFile(dir / "big.bin", std::string(200 * 1024, 'x'));
    EXPECT_FALSE(CopyOneFile(W(dir / "big.bin").CStr(), W(mnt + "/big.bin").CStr(), false));
    test::WriteFile(mnt + "/filler", std::string(60 * 1024, 'f'));
    EXPECT_EQ(WriteTextFile(W(mnt + "/LWEXT2015-64.CFG").CStr(), NString(std::string(32 * 1024, 'n').c_str())),
              kTextWriteFailed);
    EXPECT_EQ(test::ReadFile(mnt + "/LWEXT2015-64.CFG"), "precious configuration");
}

// A read-only mount refuses everyone: the administrator is not asked.
TEST(FileSystem, AReadOnlyMountNeverAsksForElevation) {
    if (!test::IsRoot()) GTEST_SKIP() << "mounting a tmpfs needs root";
    test::TempDir dir;
    const std::string mnt = dir / "readonly";
    test::MakeDirs(mnt);
    test::ScopedTmpfs readOnly(mnt, "64k", true);
    if (!readOnly.ok()) GTEST_SKIP() << "cannot mount tmpfs here";
    const std::string asked = dir / "asked";
    test::WriteFile(dir / "elevate.sh", "#!/bin/sh\ntouch '" + asked + "'\nexit 126\n");
    chmod((dir / "elevate.sh").c_str(), 0755);
    test::ScopedEnv elevate("VELDO_ELEVATE", (dir / "elevate.sh").c_str());
    test::WriteFile(dir / "payload.txt", "payload");
    EXPECT_FALSE(CopyOneFile(W(dir / "payload.txt").CStr(), W(mnt + "/payload.txt").CStr(), false));
    EXPECT_FALSE(CreateDirectoryPath(W(mnt + "/folder").CStr()));
    EXPECT_FALSE(test::Exists(asked));
}

}  // namespace
