// The program in its window mode, as a whole process on the X server: the
// main window opens where it should, shows the wizard, and closing it ends
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
#include <vector>

#include "support/test_support.h"

extern char** environ;

namespace {

// An X connection that finds top-level windows by title and asks them to
// close as a window manager would.
class XServer {
public:
    // Windows come and go while it looks at them: a request about one that
    // is gone is no reason to end the test process.
    XServer() : display_(XOpenDisplay(nullptr)) { XSetErrorHandler([](Display*, XErrorEvent*) { return 0; }); }
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
