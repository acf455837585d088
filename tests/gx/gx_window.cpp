#include "gx_window.h"

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>

#include "ui/ui_messages.h"

extern char** environ;

namespace test {

SSlave<Cell> RecordingRoot::Receive(Cell& message) {
    if (message.ClassKey() == UiBox_Process_TimeDelta_Act::kClassKey)
        lastDelta = static_cast<UiBox_Process_TimeDelta_Act&>(message).value;
    return SSlave<Cell>();
}

void WindowFixture::SetUp() {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    ASSERT_TRUE(window.Create(120, 100, width, height, true, WTXT("Test window")));
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
