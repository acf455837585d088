// The program's windows on Windows: the marker in each native window's user
// data, the window under the pointer from WindowFromPoint, the event sent as
// the window message it stands for, its point in the target's client pixels
// where its window procedure reads it. A copy of the program that hangs
// does not hang this one: the send gives up after a while.
//
// The buttons held are those of the pointer message being handled (its
// MK_ flags), kept by a thin window procedure in front of GLFW's: the
// system's state now (GetAsyncKeyState) may already be past a quick
// press, drag and release whose messages are still being handled, and a
// move handed over from another copy of the program carries its buttons
// only in the message.
#include <windows.h>
#define GLFW_EXPOSE_NATIVE_WIN32
#include <GLFW/glfw3.h>
#include <GLFW/glfw3native.h>

#include <cmath>

#include "gx/glfw/gl_wnd_gx.h"
#include "gx/glfw/native_windows.h"

namespace {

WNDPROC g_glfwProcedure = nullptr;
WPARAM g_pointerKeys = 0;  // the MK_ flags of the pointer message being handled

LRESULT CALLBACK KeepPointerKeys(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) g_pointerKeys = LOWORD(wParam);
    return CallWindowProcW(g_glfwProcedure, hwnd, message, wParam, lParam);
}

}  // namespace

void MarkNativeWindow(GlWndGx& window, bool mark) {
    HWND hwnd = window.handle ? glfwGetWin32Window(window.handle) : nullptr;
    if (!hwnd) return;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, mark ? LONG_PTR(GlWndGx::kMarker) : 0);
    if (mark) {
        const auto previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(KeepPointerKeys)));
        if (previous && previous != KeepPointerKeys) g_glfwProcedure = previous;
    } else if (g_glfwProcedure) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_glfwProcedure));
    }
}

int HeldButtons(GlWndGx&) { return (g_pointerKeys & MK_LBUTTON ? 1 : 0) | (g_pointerKeys & MK_RBUTTON ? 2 : 0); }

bool HandPointerOver(GlWndGx& from, double x, double y, PointerHandOver what, int, int) {
    HWND self = glfwGetWin32Window(from.handle);
    POINT at{LONG(std::floor(x)), LONG(std::floor(y))};
    ClientToScreen(self, &at);
    HWND target = WindowFromPoint(at);
    if (!target || target == self || GetWindowLongPtrW(target, GWLP_USERDATA) != LONG_PTR(GlWndGx::kMarker))
        return false;
    ScreenToClient(target, &at);
    const UINT message = what == PointerHandOver::kMove          ? WM_MOUSEMOVE
                         : what == PointerHandOver::kLeftRelease ? WM_LBUTTONUP
                                                                 : WM_RBUTTONUP;
    // Shift 4, control 8, left 1, middle 16, right 2: as the message being
    // handled here has them.
    const WPARAM keys = g_pointerKeys & (MK_SHIFT | MK_CONTROL | MK_LBUTTON | MK_MBUTTON | MK_RBUTTON);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(target, message, keys, MAKELPARAM(at.x, at.y), SMTO_ABORTIFHUNG, 2000, &ignored);
    return true;
}
