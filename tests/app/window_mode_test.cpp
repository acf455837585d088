// The program in its window mode, as a whole process on the X server: the
// main window opens where it should, draws its UI tree, and closing it ends
// the program.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/test_support.h"

extern char** environ;

namespace {

// An X connection that finds top-level windows by title and asks them to
// close as a window manager would.
class XServer {
public:
    XServer() : display_(XOpenDisplay(nullptr)) {}
    ~XServer() {
        if (display_) XCloseDisplay(display_);
    }
    explicit operator bool() const { return display_ != nullptr; }

    Window Find(const std::string& title) {
        Window root = DefaultRootWindow(display_), parent = 0, *children = nullptr;
        unsigned count = 0;
        Window found = 0;
        if (XQueryTree(display_, root, &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && !found; ++i) {
                char* name = nullptr;
                if (XFetchName(display_, children[i], &name) && name) {
                    if (title == name) found = children[i];
                    XFree(name);
                }
            }
            if (children) XFree(children);
        }
        return found;
    }

    // Waits (a minute at most: a loaded machine starts slowly) for a window
    // with the title to be shown.
    Window WaitForWindow(const std::string& title) {
        Window shown = 0;
        test::WaitFor(
            [&] {
                if (Window w = Find(title)) {
                    XWindowAttributes a{};
                    if (XGetWindowAttributes(display_, w, &a) && a.map_state == IsViewable) shown = w;
                }
                return shown != 0;
            },
            60000);
        return shown;
    }

    void Box(Window w, int& x, int& y, int& width, int& height) {
        XWindowAttributes a{};
        XGetWindowAttributes(display_, w, &a);
        Window child = 0;
        XTranslateCoordinates(display_, w, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
        width = a.width;
        height = a.height;
    }

    // The colour the window shows at a pixel (0xRRGGBB).
    uint32_t Pixel(Window w, int x, int y) {
        XImage* image = XGetImage(display_, w, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return 0;
        const uint32_t pixel = uint32_t(XGetPixel(image, 0, 0)) & 0xFFFFFFu;
        XDestroyImage(image);
        return pixel;
    }

    void AskToClose(Window w) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = long(XInternAtom(display_, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, w, False, NoEventMask, &e);
        XFlush(display_);
    }

private:
    Display* display_;
};

// Waits (a minute at most) for the process; its exit code, or -1.
int WaitForExit(pid_t pid) {
    int status = 0;
    if (test::WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 60000))
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

TEST(WindowMode, TheMainWindowOpensAndClosingItEndsTheProgram) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    XServer x;
    ASSERT_TRUE(x);
    test::WinePrefix prefix;
    test::ScopedEnv user("USER", "player");
    // Under the leak checker: ending the windowing library unloads the GL
    // driver, and what the driver still held then is reported as lost,
    // although it went with the driver. The window tests check the window
    // code for leaks with the driver loaded.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    const std::string noLeakCheck = std::string(sanitizer ? sanitizer : "") + ":detect_leaks=0";
    test::ScopedEnv keepDriverMemory("ASAN_OPTIONS", sanitizer ? noLeakCheck.c_str() : nullptr);
    const char* argv[] = {VELDO_INSTALLER_EXE, nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, VELDO_INSTALLER_EXE, nullptr, nullptr, const_cast<char* const*>(argv), environ), 0);

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
    // The window draws its UI tree: the root's faint frame along the edge,
    // nothing inside yet.
    EXPECT_TRUE(test::WaitFor([&] { return x.Pixel(w, 0, 300) == 0x0F0F0F; }, 60000)) << std::hex << x.Pixel(w, 0, 300);
    EXPECT_EQ(x.Pixel(w, 400, 300), 0u);

    x.AskToClose(w);
    EXPECT_EQ(WaitForExit(pid), 0);
    EXPECT_EQ(x.Find("VELDO installation"), 0u);
    const std::string log = test::ReadFile(prefix.driveC() + "/users/player/.Brimvale/veldo.log");
    EXPECT_EQ(log.find("Glfw error"), std::string::npos) << log;
}

}  // namespace
