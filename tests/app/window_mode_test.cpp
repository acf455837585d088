// The program in its window mode, as a whole process on the X server: the
// main window opens where it should, shows the wizard, and closing it ends
// the program.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"
#include "support/x_server.h"

extern char** environ;

namespace {

using test::WaitForExit;
using test::XServer;

// The program in its window mode on a fresh prefix, with extra options.
struct WindowMode : ::testing::Test {
    XServer x;
    test::WinePrefix prefix;
    test::ScopedEnv user{"USER", "player"};
    // Under the leak checker: ending the windowing library unloads the GL
    // driver, and what the driver still held then is reported as lost,
    // although it went with the driver. The window tests check the window
    // code for leaks with the driver loaded.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    const std::string noLeakCheck = std::string(sanitizer ? sanitizer : "") + ":detect_leaks=0";
    test::ScopedEnv keepDriverMemory{"ASAN_OPTIONS", sanitizer ? noLeakCheck.c_str() : nullptr};
    pid_t pid = 0;

    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        ASSERT_TRUE(x);
    }
    void Start(std::vector<const char*> options) {
        options.insert(options.begin(), VELDO_INSTALLER_EXE);
        options.push_back(nullptr);
        ASSERT_EQ(posix_spawn(&pid, VELDO_INSTALLER_EXE, nullptr, nullptr, const_cast<char* const*>(options.data()),
                              environ),
                  0);
    }
    // Waits for the window to reach its place; false when it never does.
    bool ReachesPlace(Window w, int left, int top) {
        int x0 = 0, y0 = 0, width = 0, height = 0;
        return test::WaitFor(
            [&] {
                x.Box(w, x0, y0, width, height);
                return x0 == left && y0 == top;
            },
            60000);
    }
};

TEST_F(WindowMode, TheMainWindowOpensAndClosingItEndsTheProgram) {
    Start({});

    const Window w = x.WaitForWindow("VELDO installation");
    ASSERT_NE(w, 0u);
    // Shown first, then moved to its place.
    int left = 0, top = 0, width = 0, height = 0;
    test::WaitFor(
        [&] {
            x.Box(w, left, top, width, height);
            return left == 100 && top == 100;
        },
        60000);
    EXPECT_EQ(left, 100);
    EXPECT_EQ(top, 100);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    // The window shows the wizard's first page: the banner on the left, the
    // buttons along the bottom in their resting colour.
    EXPECT_TRUE(test::WaitFor([&] { return x.Pixel(w, 700, 590) == 0x223344; }, 60000))
        << std::hex << x.Pixel(w, 700, 590);
    EXPECT_NE(x.Pixel(w, 48, 100), 0u);

    x.AskToClose(w);
    EXPECT_EQ(WaitForExit(pid), 0);
    EXPECT_EQ(x.Find("VELDO installation"), 0u);
    const std::string log = test::ReadFile(prefix.driveC() + "/users/player/.Brimvale/veldo.log");
    EXPECT_EQ(log.find("Glfw error"), std::string::npos) << log;
}

// A new instance started by a drop opens its window where the drop was.
TEST_F(WindowMode, ADroppedInstanceOpensWhereTheDropWas) {
    Start({"-drop", "-window_pos", "300", "240"});
    const Window w = x.WaitForWindow("VELDO installation");
    ASSERT_NE(w, 0u);
    EXPECT_TRUE(ReachesPlace(w, 300, 240));
    x.AskToClose(w);
    EXPECT_EQ(WaitForExit(pid), 0);
}

// "-cell_list" opens the cell browser beside the main window; it closes on
// its own, and the program goes on until the main window closes.
TEST_F(WindowMode, TheCellBrowserOpensBesideTheMainWindow) {
    Start({"-cell_list"});
    const Window cells = x.WaitForWindow("VELDO cells");
    ASSERT_NE(cells, 0u);
    EXPECT_TRUE(ReachesPlace(cells, 920, 100));
    // It shows its buttons: light pixels along its top row.
    EXPECT_TRUE(test::WaitFor([&] { return x.Pixel(cells, 5, 10) != 0; }, 60000));
    x.AskToClose(cells);
    EXPECT_TRUE(test::WaitFor([&] { return x.Find("VELDO cells") == 0; }, 60000));
    const Window w = x.Find("VELDO installation");
    ASSERT_NE(w, 0u);
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, WNOHANG), 0);  // still running
    x.AskToClose(w);
    EXPECT_EQ(WaitForExit(pid), 0);
}

}  // namespace
