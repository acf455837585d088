// The X server as the window-mode tests see it: top-level windows found by
// title, their place, pixels and icons, a window asked to close as a window
// manager would, a screenshot saved; and waiting for a program to end.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <lodepng.h>
#include <signal.h>
#include <sys/wait.h>

#include <string>
#include <utility>
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

    // The window's pixels (0xRRGGBB), row by row from the top; empty when
    // they cannot be read.
    std::vector<uint32_t> Image(Window w, int& width, int& height) {
        int x0 = 0, y0 = 0;
        Box(w, x0, y0, width, height);
        XImage* image = width > 0 && height > 0 ? XGetImage(display_, w, 0, 0, unsigned(width), unsigned(height),
                                                             AllPlanes, ZPixmap)
                                                : nullptr;
        if (!image) return {};
        std::vector<uint32_t> pixels(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[size_t(y) * size_t(width) + size_t(x)] = uint32_t(XGetPixel(image, x, y)) & 0xFFFFFFu;
        XDestroyImage(image);
        return pixels;
    }

    // The window's pixels as a PNG file; false when they cannot be read.
    bool SavePng(Window w, const std::string& path) {
        int width = 0, height = 0;
        const std::vector<uint32_t> pixels = Image(w, width, height);
        if (pixels.empty()) return false;
        std::vector<unsigned char> rgba(pixels.size() * 4);
        for (size_t i = 0; i < pixels.size(); ++i) {
            rgba[i * 4 + 0] = (pixels[i] >> 16) & 0xFF;
            rgba[i * 4 + 1] = (pixels[i] >> 8) & 0xFF;
            rgba[i * 4 + 2] = pixels[i] & 0xFF;
            rgba[i * 4 + 3] = 0xFF;
        }
        return lodepng_encode32_file(path.c_str(), rgba.data(), unsigned(width), unsigned(height)) == 0;
    }

    // The sizes of the icons the window gives the desktop (_NET_WM_ICON:
    // width, height, then that many pixels, for each icon).
    std::vector<std::pair<long, long>> IconSizes(Window w) {
        std::vector<std::pair<long, long>> sizes;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        const Atom icon = XInternAtom(display_, "_NET_WM_ICON", False);
        if (XGetWindowProperty(display_, w, icon, 0, 1 << 20, False, AnyPropertyType, &type, &format, &count, &after,
                               &data) == Success &&
            data && format == 32) {
            const long* v = reinterpret_cast<const long*>(data);  // Xlib hands 32-bit items as longs
            for (unsigned long i = 0; i + 2 <= count;) {
                const long width = v[i], height = v[i + 1];
                sizes.emplace_back(width, height);
                i += 2 + static_cast<unsigned long>(width * height);
            }
        }
        if (data) XFree(data);
        return sizes;
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
