// The Windows build of the program under Wine beside the Linux build, on
// identical demo prefixes: the same hosts listed (the Windows build reads
// the registry through the real registry calls, the Linux build parses
// system.reg), and installing and removing leave the hosts' folders byte for
// byte the same. A drag between two windows of a Windows program under Wine
// reaches the other window through the system's window messages, and the
// system's file and colour dialogs give back what the user chose. The
// cross-built executable is named by VELDO_WINDOWS_EXE (the test script
// builds it, its test programs beside it); without it there is nothing to
// compare.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "support/x_server.h"

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
        const test::CommandResult r = test::RunCommand(command);
        code = r.code;
        std::string lf;
        for (char c : r.out)
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

// The Windows build packs itself with its payload into one .exe under Wine
// (appended after the PE image), which checks itself at start and reads
// its payload from its own file: alone in its folder, it lists, installs
// and removes what the packed Linux program does, byte for byte; a byte
// changed, or cut off after the program, it changes nothing and ends with
// code 5.
TEST(WindowsBuild, UnderWineAPackedExeDoesWhatThePackedLinuxProgramDoes) {
    const char* exe = std::getenv("VELDO_WINDOWS_EXE");
    if (!exe || !*exe) GTEST_SKIP() << "no Windows build (VELDO_WINDOWS_EXE) to pack";
    if (std::system("command -v wine >/dev/null 2>&1") != 0) GTEST_SKIP() << "wine is not installed";
    DemoPrefix underWine, onLinux;
    const std::string packedExe = underWine.dir / "alone/veldo-installer.exe";
    const std::string packedLinux = onLinux.dir / "alone/veldo-installer";
    test::MakeDirs(underWine.dir / "alone");
    test::MakeDirs(onLinux.dir / "alone");
    // The payload folder once, packed by each build; the Windows one is
    // given Windows paths.
    ASSERT_EQ(test::PackDemoPayload("'" VELDO_INSTALLER_EXE "'", test::FolderOf(exe), onLinux.dir / "payload",
                                    packedLinux),
              "");
    const test::CommandResult pack =
        test::RunCommand("cd '" + underWine.dir.path() + "' && WINEPREFIX='" + underWine.prefix +
                         "' WINEDEBUG=-all wine '" + exe + "' -pack '" + test::WindowsForm(onLinux.dir / "payload") +
                         "' '" + test::WindowsForm(packedExe) + "' 2>/dev/null");
    ASSERT_EQ(pack.code, 0) << pack.out;
    for (const char* word : {"list", "install", "list", "remove"}) {
        int wineCode = -1, linuxCode = -1;
        const std::string wineOut = underWine.Run("wine '" + packedExe + "'", word, wineCode);
        const std::string linuxOut = onLinux.Run("'" + packedLinux + "'", word, linuxCode);
        EXPECT_EQ(wineCode, 0) << word << "\n" << wineOut;
        EXPECT_EQ(wineCode, linuxCode) << word;
        EXPECT_EQ(wineOut, linuxOut) << word;
        EXPECT_EQ(underWine.Hosts(), onLinux.Hosts()) << "after " << word;
    }
    const std::string bytes = test::ReadFile(packedExe);
    const size_t image = test::ReadFile(exe).size();
    std::string flipped = bytes;
    flipped[image + (bytes.size() - image) / 2] ^= 0x01;
    const std::string before = underWine.Hosts();
    for (const std::string& damaged : {flipped, bytes.substr(0, image + 10)}) {
        test::WriteFile(packedExe, damaged);
        int code = -1;
        const std::string out = underWine.Run("wine '" + packedExe + "'", "install", code);
        EXPECT_EQ(code, 5) << out;
        EXPECT_EQ(out, "The installer file is damaged. Nothing was changed. Please download it again.\n");
        EXPECT_EQ(underWine.Hosts(), before);
    }
    std::system(("WINEPREFIX='" + underWine.prefix + "' wineserver -k 2>/dev/null").c_str());
}

// A test program of the Windows build (beside its executable) for a test on
// the display; empty, with the reason, when there is none or no display.
std::string WindowsTestProgram(const char* name, std::string& why) {
    const char* exe = std::getenv("VELDO_WINDOWS_EXE");
    why = !exe || !*exe ? "no Windows build (VELDO_WINDOWS_EXE)" : !std::getenv("DISPLAY") ? "no X display" : "";
    if (!why.empty()) return "";
    const std::string program = std::string(exe).substr(0, std::string(exe).rfind('/') + 1) + name;
    if (test::Exists(program)) return program;
    why = "the Windows build has no test programs";
    return "";
}

// Real pointer input on two windows of a Windows program under Wine: a drag
// that leaves the first window and is let go over the second reaches the
// second as a drag and a drop at its own pixels (WindowFromPoint, the
// marker, the messages sent), and the first window's drop says it was
// handled elsewhere.
TEST(WindowsBuild, UnderWineADragReachesTheOtherWindow) {
    std::string why;
    const std::string probe = WindowsTestProgram("drag_probe.exe", why);
    if (probe.empty()) GTEST_SKIP() << why;
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

// The system's dialogs shown by a Windows program under Wine and answered
// with real keys: the chosen path in Windows form, cancelled dialogs giving
// nothing, the colour picker starting at the colour it was given (each
// component truncated to a byte) and answering with alpha 1, or all zeros.
TEST(WindowsBuild, UnderWineTheDialogsGiveWhatWasChosen) {
    std::string why;
    const std::string probe = WindowsTestProgram("dialog_probe.exe", why);
    if (probe.empty()) GTEST_SKIP() << why;
    test::XServer x;
    ASSERT_TRUE(x);
    test::TempDir dir;
    const std::string prefix = dir / "prefix";
    test::ScopedEnv wine("WINEPREFIX", prefix.c_str()), quiet("WINEDEBUG", "-all");
    // Runs the probe, answers its dialog (found by title) with xdotool steps,
    // and gives what it printed, without the line end. A dialog still being
    // built can drop keys: the answer is given again while the dialog stays
    // (so typed answers start by selecting what an earlier try typed).
    const auto answer = [&](const std::string& args, const std::string& title,
                            const std::vector<std::string>& steps) {
        const std::string output = dir / "printed.txt";
        test::WriteFile(output, "");
        const std::string command = "wine '" + probe + "' " + args + " > '" + output + "' 2>/dev/null &";
        std::system(command.c_str());
        const Window dialog = x.WaitForWindow(title);
        EXPECT_NE(dialog, 0u) << title;
        std::string printed;
        const auto done = [&] {
            printed = test::ReadFile(output);
            return printed.find('\n') != std::string::npos;
        };
        // Painted first: its light face.
        if (dialog) test::WaitFor([&] { return (x.Pixel(dialog, 2, 2) & 0xFF) >= 0xC0; }, 30000);
        if (dialog) test::AnswerDialog(std::to_string(dialog), steps, done, 6, 10000);
        while (!printed.empty() && (printed.back() == '\n' || printed.back() == '\r')) printed.pop_back();
        return printed;
    };
    // A name typed over whatever the field holds, then Return.
    const auto typed = [](const std::string& name) {
        return std::vector<std::string>{"key End shift+Home", "type --delay 20 '" + name + "'", "key Return"};
    };
    // The prefix is made here. Wine's folder picker keeps a title of its own.
    EXPECT_EQ(answer("folder", "Select Folder", {"key Escape"}), "cancelled");
    test::WriteFile(prefix + "/drive_c/picked.veldo", "picked");
    EXPECT_EQ(answer("open", "Open Veldo file", typed("C:\\picked.veldo")),
              "C:\\picked.veldo");
    EXPECT_EQ(answer("save", "Save Veldo file", typed("C:\\scene.veldo")),
              "C:\\scene.veldo");
    EXPECT_EQ(answer("save", "Save Veldo file", {"key Escape"}), "cancelled");
    EXPECT_EQ(answer("colour 0.5 0.25 1 0.3", "Color", {"key Return"}), "127 63 255 1");
    EXPECT_EQ(answer("colour 0.5 0.25 1 0.3", "Color", {"key Escape"}), "0 0 0 0");
    std::system(("WINEPREFIX='" + prefix + "' wineserver -k 2>/dev/null").c_str());
}

}  // namespace
