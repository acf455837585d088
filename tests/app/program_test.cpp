// The program as a whole process: its start-up order and its exit code.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <string>

#include "support/test_support.h"

namespace {

std::string RunProgramProcess(const std::string& arguments, int& code) {
    const std::string command = "'" VELDO_INSTALLER_EXE "' " + arguments + " 2>&1";
    const test::CommandResult r = test::RunCommand(command);
    code = r.code;
    return r.out;
}

// Without a display the window cannot be made: the error box says so and
// how to run without one (on standard error here), the log keeps the
// windowing library's reason, and the program ends with the code of a
// window that could not be made.
TEST(Program, WithoutADisplayItSaysSoAndEndsWithItsCode) {
    test::WinePrefix prefix;
    test::ScopedEnv user("USER", "player");
    test::ScopedEnv noDisplay("DISPLAY", nullptr), noWayland("WAYLAND_DISPLAY", nullptr);
    int code = -1;
    const std::string out = RunProgramProcess("-debug \"an unknown argument\"", code);
    EXPECT_EQ(code, 4);
    EXPECT_NE(out.find("Cannot open a window: there is no display."), std::string::npos) << out;
    EXPECT_NE(out.find("-unattended"), std::string::npos) << out;
    EXPECT_EQ(out.find("OpenGL 3.2"), std::string::npos) << out;
    const std::string log = test::ReadFile(prefix.driveC() + "/users/player/.Brimvale/veldo.log");
    EXPECT_NE(log.find("VELDO version: 5.5 (VELDO)\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Glfw error (65544) : X11: The DISPLAY environment variable is missing\r\n"),
              std::string::npos)
        << log;
}

TEST(Program, TheServiceKeepsTheLogOfItsRun) {
    test::WinePrefix prefix;
    test::ScopedEnv user("USER", "player");
    const std::string logPath = prefix.driveC() + "/users/player/.Brimvale/veldo.log";
    test::ScopedEnv noDisplay("DISPLAY", nullptr), noWayland("WAYLAND_DISPLAY", nullptr);
    int code = -1;
    RunProgramProcess("", code);
    test::WriteFile(logPath, test::ReadFile(logPath) + "line of the running installer\r\n");
    RunProgramProcess("-admin_service 00000000-0000-4000-8000-000000000000 1", code);
    EXPECT_EQ(code, 0);
    EXPECT_NE(test::ReadFile(logPath).find("line of the running installer"), std::string::npos);
}

}  // namespace
