// The Windows build of the program under Wine beside the Linux build, on
// identical demo prefixes: the same hosts listed (the Windows build reads
// the registry through the real registry calls, the Linux build parses
// system.reg), and installing and removing leave the hosts' folders byte for
// byte the same. The cross-built executable is named by VELDO_WINDOWS_EXE
// (the test script builds it); without it there is nothing to compare.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/test_support.h"

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

}  // namespace
