// What GLFW does not offer the window: marking a native window as the
// program's own, the pointer buttons the system sees held, and handing a
// pointer event that left one of our windows during a drag to the window of
// ours under it. Linux (gx/posix/posix_native_windows.cpp): the windows of this
// process, through the window list. Windows (gx/win32/win32_native_windows.cpp):
// WindowFromPoint, the marker in the window's user data and SendMessageW,
// which reach the windows of other running copies of the program too.
#pragma once

#include <cstdint>

class GlWndGx;

enum class PointerHandOver { kMove, kLeftRelease, kRightRelease };

// Puts the program's marker on the window's native window (or takes it off).
void MarkNativeWindow(GlWndGx& window, bool mark);

// The buttons held now: 1 left, 2 right.
int HeldButtons(GlWndGx& window);

// Hands a move or a release at (x, y) of from's client area (GLFW's, from
// the top) to the program's window under that point, as if it had happened
// there; held and mods are what from saw. False when no window of ours is
// there. With the window list locked.
bool HandPointerOver(GlWndGx& from, double x, double y, PointerHandOver what, int held, int mods);
