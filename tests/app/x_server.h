// The X server as the window-mode tests see it: top-level windows found by
// title, their place and pixels, a window asked to close as a window
// manager would, a screenshot saved; and waiting for a program to end.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <lodepng.h>
#include <signal.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace test {

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

    // The window's pixels as a PNG file; false when they cannot be read.
    bool SavePng(Window w, const std::string& path) {
        int x0 = 0, y0 = 0, width = 0, height = 0;
        Box(w, x0, y0, width, height);
        XImage* image = width > 0 && height > 0 ? XGetImage(display_, w, 0, 0, unsigned(width), unsigned(height),
                                                             AllPlanes, ZPixmap)
                                                : nullptr;
        if (!image) return false;
        std::vector<unsigned char> rgba(size_t(width) * size_t(height) * 4);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                unsigned char* out = &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4];
                out[0] = (p >> 16) & 0xFF;
                out[1] = (p >> 8) & 0xFF;
                out[2] = p & 0xFF;
                out[3] = 0xFF;
            }
        XDestroyImage(image);
        return lodepng_encode32_file(path.c_str(), rgba.data(), unsigned(width), unsigned(height)) == 0;
    }

private:
    Display* display_;
};

// Waits (a minute at most) for the process; its exit code, or -1.
inline int WaitForExit(pid_t pid) {
    int status = 0;
    if (test::WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 60000))
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

}  // namespace test
