// The Windows build of the program under Wine beside the Linux build, on
// identical demo prefixes: the same hosts listed (the Windows build reads
// the registry through the real registry calls, the Linux build parses
// system.reg), and installing and removing leave the hosts' folders byte for
// byte the same. A drag between two windows of a Windows program under Wine
// reaches the other window through the system's window messages. The
// cross-built executable is named by VELDO_WINDOWS_EXE (the test script
// builds it, its test programs beside it); without it there is nothing to
// compare.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/test_support.h"
#include "x_server.h"

extern char** environ;

namespace {

struct DemoPrefix : test::DemoPrefix {
    DemoPrefix() : test::DemoPrefix(VELDO_DEMO_SCRIPT) {}
    // Runs a build's unattended mode; its standard output, line ends as on
    // Linux. code gets the exit code.
    std::string Run(const std::string& program, const std::string& word, int& code) const {
        const std::string command = "cd '" + dir.path() + "' && WINEPREFIX='" + prefix +
                                    "' USER=player WINEDEBUG=-all " + program + " -unattended " + word +
                                    " 2>/dev/null";
        std::string out;
        FILE* p = popen(command.c_str(), "r");
        char buffer[512];
        while (p && fgets(buffer, sizeof buffer, p)) out += buffer;
        const int status = p ? pclose(p) : -1;
        code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::string lf;
        for (char c : out)
            if (c != '\r') lf += c;
        return lf;
    }
    // The folders the batches change, with their content.
    std::string Hosts() const {
        std::string out;
        for (const char* folder : {"Program Files/Autodesk", "Program Files/MAXON", "Program Files/NewTek",
                                   "users/player/.Brimvale/Presets", "users/player/.NewTek"})
            out += std::string(folder) + ":\n" + test::TreeSnapshot(prefix + "/drive_c/" + folder);
        return out;
    }
};

TEST(WindowsBuild, UnderWineItDoesWhatTheLinuxBuildDoes) {
    const char* exe = std::getenv("VELDO_WINDOWS_EXE");
    if (!exe || !*exe) GTEST_SKIP() << "no Windows build (VELDO_WINDOWS_EXE) to compare";
    if (std::system("command -v wine >/dev/null 2>&1") != 0) GTEST_SKIP() << "wine is not installed";
    const std::string windows = std::string("wine '") + exe + "'";
    const std::string linux = "'" VELDO_INSTALLER_EXE "'";
    DemoPrefix underWine, onLinux;
    for (const char* word : {"list", "install", "list", "remove"}) {
        int wineCode = -1, linuxCode = -1;
        const std::string wineOut = underWine.Run(windows, word, wineCode);
        const std::string linuxOut = onLinux.Run(linux, word, linuxCode);
        EXPECT_EQ(wineCode, linuxCode) << word;
        EXPECT_EQ(wineCode, 0) << word << "\n" << wineOut;
        EXPECT_EQ(wineOut, linuxOut) << word;
        EXPECT_EQ(underWine.Hosts(), onLinux.Hosts()) << "after " << word;
    }
    // Wine's server for the prefix ends with it.
    std::system(("WINEPREFIX='" + underWine.prefix + "' wineserver -k 2>/dev/null").c_str());
}

// Real pointer input on two windows of a Windows program under Wine: a drag
// that leaves the first window and is let go over the second reaches the
// second as a drag and a drop at its own pixels (WindowFromPoint, the
// marker, the messages sent), and the first window's drop says it was
// handled elsewhere.
TEST(WindowsBuild, UnderWineADragReachesTheOtherWindow) {
    const char* exe = std::getenv("VELDO_WINDOWS_EXE");
    if (!exe || !*exe) GTEST_SKIP() << "no Windows build (VELDO_WINDOWS_EXE)";
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    const std::string folder = std::string(exe).substr(0, std::string(exe).rfind('/'));
    const std::string probe = folder + "/drag_probe.exe";
    if (!test::Exists(probe)) GTEST_SKIP() << "the Windows build has no test programs";
    test::XServer x;
    ASSERT_TRUE(x);
    DemoPrefix demo;
    test::ScopedEnv prefix("WINEPREFIX", demo.prefix.c_str()), quiet("WINEDEBUG", "-all");
    const std::string output = demo.dir / "events.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const char* argv[] = {"wine", probe.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawnp(&pid, "wine", &actions, nullptr, const_cast<char* const*>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    const Window source = x.WaitForWindow("Drag source"), target = x.WaitForWindow("Drag target");
    EXPECT_NE(source, 0u);
    EXPECT_NE(target, 0u);
    // Its lines, in Windows' line ends as printed there.
    const auto printed = [&] {
        std::string lines;
        for (char c : test::ReadFile(output))
            if (c != '\r') lines += c;
        return lines;
    };
    // Each step waits for the program to have handled the one before: the
    // system coalesces pointer moves that wait in its queue.
    const auto step = [&](const std::string& input, const std::string& line) {
        std::system(("xdotool " + input).c_str());
        const bool seen = test::WaitFor([&] { return printed().find(line + "\n") != std::string::npos; }, 60000);
        EXPECT_TRUE(seen) << "after " << input << ", no " << line << " in:\n" << printed();
        return seen;
    };
    // Pressed at (150, 150) in the source, dragged within it, over the gap
    // into the target and let go 70 pixels into it (89 from its bottom).
    const bool all = step("mousemove 150 150 mousedown 1", "source 1") && step("mousemove 160 150", "source 8") &&
                     step("mousemove 250 155", "source 10") && step("mousemove 400 160", "target 10") &&
                     step("mousemove 410 160 mouseup 1", "target 12/1@70,89");
    if (!all) std::system("xdotool mouseup 1");
    EXPECT_EQ(test::WaitForExit(pid), all ? 0 : -1);
    // The source's own drop ended over the target: handled there.
    EXPECT_NE(printed().find("source 12/1@"), std::string::npos) << printed();
    std::system(("WINEPREFIX='" + demo.prefix + "' wineserver -k 2>/dev/null").c_str());
}

}  // namespace
