#include "support/gx_window.h"

#include <GLFW/glfw3.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "support/test_support.h"

extern char** environ;

namespace test {

bool CreateTestWindow(GlWndGx& window, int32_t x, int32_t y, int32_t width, int32_t height, const WChar* title) {
    static LogCapture log;  // GLFW's reasons, for a refused window
    if (window.Create(x, y, width, height, true, title)) return true;
    // The display is shared with the rest of the run: try again until it
    // takes the window, for a while.
    std::fprintf(stderr, "The window was refused; the log says:\n%s\n", log.text().c_str());
    return WaitFor([&] { return window.Create(x, y, width, height, true, title); }, 10000);
}

void WindowFixture::SetUp() {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    ASSERT_TRUE(CreateTestWindow(window, 120, 100, width, height, WTXT("Test window")));
    AddRoot();
    // Placed where asked and drawn once: the window is ready for input.
    ASSERT_TRUE(PumpUntil([&] {
        int32_t x, y;
        window.GetClientOrigin(x, y);
        return x == 120 && y == 100 && window.drawnFrames > 0;
    }));
    if (root) root->events.clear();
}

void WindowFixture::AddRoot() {
    root = new RecordingRoot;
    window.AddChild(root);
}

bool WindowFixture::PumpUntil(const std::function<bool()>& condition, int boundMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        glfwWaitEventsTimeout(0.005);  // wakes as soon as an event arrives
        window.Frame();
    }
    return true;
}

void WindowFixture::XDoTool(const std::string& args) {
    const std::string command = "xdotool " + args;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

void WindowFixture::Drive(const std::string& args, const std::function<bool()>& until) {
    const std::string command = "xdotool " + args;
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ), 0);
    int status = 0;
    PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 60000);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    EXPECT_TRUE(PumpUntil(until)) << command;
}

std::string WindowFixture::At(int32_t x, int32_t y) const {
    int32_t left, top;
    window.GetClientOrigin(left, top);
    return std::to_string(left + x) + " " + std::to_string(top + y);
}

uint32_t ScreenPixel(int32_t x, int32_t y) {
    static Display* display = XOpenDisplay(nullptr);  // for the whole run
    if (!display) return 0;
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const uint32_t pixel = uint32_t(XGetPixel(image, 0, 0)) & 0xFFFFFFu;
    XDestroyImage(image);
    return pixel;
}

bool NearColor(uint32_t a, uint32_t b, int32_t tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int32_t d = int32_t((a >> shift) & 0xFF) - int32_t((b >> shift) & 0xFF);
        if (d > tolerance || d < -tolerance) return false;
    }
    return true;
}

uint32_t WindowFixture::Pixel(int32_t x, int32_t y) const {
    int32_t left, top;
    window.GetClientOrigin(left, top);
    return ScreenPixel(left + x, top + y);
}

}  // namespace test
