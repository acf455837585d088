// The per-user log on real files: emptied at start, stamped header, CR LF
// lines, the diagnostic columns, the fallback path and lost lines.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <regex>

#include "app/log_file.h"
#include "app/register_all_cells.h"
#include "app/wsys_io.h"
#include "cell/std_cells.h"
#include "cell/tags.h"
#include "support/test_support.h"
#include "sys/sys_io.h"

namespace {

using test::W;

TEST(Log, EachStartLeavesOnlyItsOwnRun) {
    test::TempDir dir;
    const WString path = W(dir / "veldo.log");
    StartLogAt(path.CStr());
    LogLine(WTXT("first run %i"), 1);
    StartLogAt(path.CStr());
    LogLine(WTXT("second run"));
    const std::string text = test::ReadFile(dir / "veldo.log");
    EXPECT_EQ(text.find("first run"), std::string::npos);
    EXPECT_TRUE(std::regex_match(text, std::regex("\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\] "
                                                  "VELDO version: 5\\.5 \\(VELDO\\)\r\nsecond run\r\n")))
        << text;
}

TEST(Log, StartDeterminesThePathInTheProfile) {
    test::WinePrefix prefix;
    test::ScopedEnv user("USER", "tester");
    StartLog();
    EXPECT_EQ(test::U(LogPath()), "C:\\users\\tester\\.Brimvale\\veldo.log");
    EXPECT_TRUE(test::Exists(prefix.driveC() + "/users/tester/.Brimvale/veldo.log"));
}

// A profile the user cannot write in: the log goes to the fallback file
// without asking for the administrator's password.
TEST(Log, AProfileWithoutRoomNeverAsksForElevation) {
    if (!test::IsRoot()) GTEST_SKIP() << "needs an ordinary user beside root";
    test::WinePrefix prefix;
    test::ScopedEnv user("USER", "tester");
    test::MakeDirs(prefix.driveC() + "/users/tester");  // root's
    test::TempDir dir;
    chmod(dir.path().c_str(), 0777);
    const std::string asked = dir / "asked";
    test::WriteFile(dir / "elevate.sh", "#!/bin/sh\ntouch '" + asked + "'\nexit 126\n");
    chmod((dir / "elevate.sh").c_str(), 0755);
    test::ScopedEnv elevate("VELDO_ELEVATE", (dir / "elevate.sh").c_str());
    EXPECT_EQ(test::RunUnprivileged(
                  [](void*) {
                      StartLog();
                      return LogPath().IsEmpty() ? 0 : 1;
                  },
                  nullptr),
              0);
    EXPECT_FALSE(test::Exists(asked));
    EXPECT_FALSE(test::Exists(prefix.driveC() + "/users/tester/.Brimvale"));
}

// The two prefixes exactly as the import diagnostics use them (the message
// columns differ by eight places; readers of old logs rely on the texts).
TEST(Log, DiagnosticColumns) {
    test::TempDir dir;
    StartLogAt(W(dir / "d.log").CStr());
    LogCellDiagnostic(WTXT("Error"), WTXT("StdHCell"), 5.5, WTXT("IntCell"), WTXT("Count"), WTXT("Tag import failed!"));
    LogCellDiagnostic(WTXT("Error"), WTXT("StdHCell"), 5.5, nullptr, nullptr, WTXT("Invalid tags count!"));
    std::string text = test::ReadFile(dir / "d.log");
    text.erase(0, text.find("\r\n") + 2);  // the version header
    const std::string first = "Error  : StdHCell     5.5000,IntCell   ,Count        : Tag import failed!\r\n";
    const std::string second = "Error  : StdHCell     5.5000                 : Invalid tags count!\r\n";
    EXPECT_EQ(text, first + second);
}

// Names with control characters in them never start a line of the log.
TEST(Log, ControlCharactersInNamesAreEscaped) {
    test::LogCapture log;
    LogLine(WTXT("Creating: %s"), WTXT("C:\\a\nVELDO version: 9\x2028\x1b[2J"));
    LogLine(WTXT("%s|%s"), "tab\there", WTXT("plain \x00e9"));
    EXPECT_EQ(log.text(), "Creating: C:\\a\\x0AVELDO version: 9\\x2028\\x1B[2J\n"
                          "tab\\x09here|plain \xc3\xa9\n");
}

TEST(Log, ImportDiagnosticsReachTheLog) {
    test::TempDir dir;
    RegisterAllCellClasses();
    StartLogAt(W(dir / "veldo.log").CStr());
    MemBlock block;
    MemBlockCursor w(block);
    w.WriteValue(int32_t(7));
    StdHCell cell;
    MemBlockCursor r(block);
    EXPECT_FALSE(cell.Import(r, 5.6, nullptr));
    EXPECT_NE(test::ReadFile(dir / "veldo.log")
                  .find("Error  : StdHCell     5.5000                 : Cannot import newer version: 5.6000!\r\n"),
              std::string::npos);
}

TEST(Log, NoPathMeansTheFallbackFile) {
    test::WinePrefix prefix;
    test::MakeDirs(prefix.driveC() + "/tmp");
    StartLogAt(nullptr);
    LogLine(WTXT("%s"), WTXT("to the fallback"));
    const std::string text = test::ReadFile(prefix.driveC() + "/tmp/veldo_debug.log");
    EXPECT_EQ(text.substr(text.find("\r\n") + 2), "to the fallback\r\n");
}

TEST(Log, AnUnwritableLogLosesTheLineQuietly) {
    test::TempDir dir;
    StartLogAt(W(dir / "no/such/folder/veldo.log").CStr());
    LogLine(WTXT("lost"));
    EXPECT_FALSE(test::Exists(dir / "no"));
}

TEST(MessageBoxes, WithoutADisplayTheTextGoesToStandardErrorAndTheLog) {
    test::TempDir dir;
    test::ScopedEnv noDisplay("DISPLAY", nullptr);
    test::ScopedEnv noWayland("WAYLAND_DISPLAY", nullptr);
    StartLogAt(W(dir / "veldo.log").CStr());
    RegisterProgramSysIO();
    testing::internal::CaptureStderr();
    GetSysIO().ShowError(WTXT("Cannot copy files into: "), WTXT("C:\\x"));
    const bool ok = GetSysIO().AskOkCancel(WTXT("Continue?"), nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(ok);  // a question without a display answers Cancel
    EXPECT_NE(err.find("Error: Cannot copy files into: \nC:\\x"), std::string::npos) << err;
    EXPECT_NE(test::ReadFile(dir / "veldo.log").find("VELDO: Continue?\r\n"), std::string::npos);
    EXPECT_EQ(test::U(GetSysIO().FileTypeName(5)), "VELDO files");
    EXPECT_EQ(test::U(GetSysIO().FileTypePattern(5)), "*.veldo");
    EXPECT_EQ(test::U(GetSysIO().FileTypePattern(6)), "");
    EXPECT_EQ(test::U(GetSysIO().ProductName()), "VELDO");
}

// Lines written anywhere in the program, whatever the layer, reach the one
// sink installed at start-up.
TEST(Log, WithoutASinkLinesAreDropped) {
    test::TempDir dir;
    StartLogAt(W(dir / "veldo.log").CStr());
    SetLogSink(nullptr);
    LogLine(WTXT("dropped"));
    StartLogAt(W(dir / "veldo.log").CStr(), true);
    LogLine(WTXT("kept"));
    const std::string text = test::ReadFile(dir / "veldo.log");
    EXPECT_EQ(text.find("dropped"), std::string::npos);
    EXPECT_NE(text.find("kept\r\n"), std::string::npos);
}

}  // namespace
