// The program's windows on Linux (X11): one process's windows, found in the
// window list, each handed the event directly.
#include <GLFW/glfw3.h>

#include <cmath>

#include "gx/glfw/gl_wnd_gx.h"
#include "gx/glfw/native_windows.h"

void MarkNativeWindow(GlWndGx&, bool) {}  // the list keeps the marker

int HeldButtons(GlWndGx& window) {
    return (glfwGetMouseButton(window.handle, GLFW_MOUSE_BUTTON_LEFT) == GLFW_PRESS ? 1 : 0) |
           (glfwGetMouseButton(window.handle, GLFW_MOUSE_BUTTON_RIGHT) == GLFW_PRESS ? 2 : 0);
}

bool HandPointerOver(GlWndGx& from, double x, double y, PointerHandOver what, int held, int mods) {
    int32_t left, top;
    from.GetClientOrigin(left, top);
    const int32_t sx = left + int32_t(std::floor(x)), sy = top + int32_t(std::floor(y));
    GlWndGx* other = OwnWindowAt(from, sx, sy);
    if (!other) return false;
    int32_t otherLeft, otherTop;
    other->GetClientOrigin(otherLeft, otherTop);
    const double ox = double(sx - otherLeft), oy = double(sy - otherTop);
    if (what == PointerHandOver::kMove) {
        other->OnCursor(ox, oy, held);
    } else {
        other->cursorX = ox;
        other->cursorY = oy;
        other->OnButton(what == PointerHandOver::kLeftRelease ? GLFW_MOUSE_BUTTON_LEFT : GLFW_MOUSE_BUTTON_RIGHT, false,
                        mods);
    }
    return true;
}
