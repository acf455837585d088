#include "gx_window.h"

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app/log.h"
#include "support/test_support.h"
#include "ui/ui_messages.h"

extern char** environ;

namespace test {

SSlave<Cell> RecordingRoot::Receive(Cell& message) {
    if (message.ClassKey() == UiBox_Process_TimeDelta_Act::kClassKey)
        lastDelta = static_cast<UiBox_Process_TimeDelta_Act&>(message).value;
    return SSlave<Cell>();
}

bool CreateTestWindow(GlWndGx& window, int32_t x, int32_t y, int32_t width, int32_t height, const WChar* title) {
    static TempDir logDir;
    const std::string log = logDir / "gx.log";
    if (!LogPathOrNull()) StartLogAt(W(log).CStr());
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (window.Create(x, y, width, height, true, title)) return true;
        std::fprintf(stderr, "The window was refused; the log says:\n%s\n", ReadFile(log).c_str());
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    return false;
}

void WindowFixture::SetUp() {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    ASSERT_TRUE(CreateTestWindow(window, 120, 100, width, height, WTXT("Test window")));
    root = new RecordingRoot;
    window.AddChild(root);
    Pump(200);
    root->events.clear();
}

void WindowFixture::Pump(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        window.Frame();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void WindowFixture::XDoTool(const std::string& args) {
    const std::string command = "xdotool " + args;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

void WindowFixture::Drive(const std::string& args) {
    const std::string command = "xdotool " + args;
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ), 0);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        window.Frame();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    Pump(200);
}

std::string WindowFixture::At(int32_t x, int32_t y) const {
    int32_t left, top;
    window.GetClientOrigin(left, top);
    return std::to_string(left + x) + " " + std::to_string(top + y);
}

}  // namespace test
