#include "gx/wnd_event.h"

int32_t WndPointerState::Move(bool leftHeld, bool rightHeld) {
    int32_t code = kWndMove;
    if (leftHeld) code = lastMouseState == kWndLeftPress ? kWndLeftDragStart : kWndLeftDrag;
    else if (rightHeld) code = lastMouseState == kWndRightPress ? kWndRightDragStart : kWndRightDrag;
    if (code != kWndMove) lastMouseState = code;
    return code;
}

int32_t WndPointerState::Button(int32_t button, bool press, float x, float y, double nowMs) {
    int32_t code;
    if (button == 1) code = press ? kWndRightPress : kWndRightRelease;
    else if (button == 2) code = press ? kWndMiddlePress : kWndMiddleRelease;
    else code = press ? kWndLeftPress : kWndLeftRelease;
    if (code == kWndLeftRelease && (lastMouseState == kWndLeftDragStart || lastMouseState == kWndLeftDrag))
        code = kWndLeftDrop;
    if (code == kWndRightRelease && (lastMouseState == kWndRightDragStart || lastMouseState == kWndRightDrag))
        code = kWndRightDrop;
    if (code == kWndLeftPress) {
        const float dx = x - lastPressX, dy = y - lastPressY;
        if (nowMs - lastPressMs <= 300.0 && dx * dx + dy * dy < 4.0f) {
            code = kWndDoubleClick;
            lastPressMs -= 1000.0;  // a third click does not count again
        } else {
            lastPressMs = nowMs;
            lastPressX = x;
            lastPressY = y;
        }
    }
    lastMouseState = code;
    return code;
}
