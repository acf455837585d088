// What a pointer event means to a box that the pointer presses, drags and
// releases, written once for every such box (the splitter, the scroll bar's
// thumb, the button, the grid's lines): which events press, drag, release,
// move or leave, and a handle dragged along one axis that keeps the offset
// at which the press took it. Whether the pointer is on a box is its
// rectangle's Contains.
#pragma once

#include "gx/wnd_event.h"

namespace ui_pointer {

// A left press, or the second press of a double click.
inline bool IsPress(int32_t type) { return type == kWndLeftPress || type == kWndDoubleClick; }
// A left release, plain or ending a drag.
inline bool IsRelease(int32_t type) { return type == kWndLeftRelease || type == kWndLeftDrop; }
// The pointer moving with no button held.
inline bool IsPlainMove(int32_t type) { return type == kWndMove; }
// The pointer gone from the window (the window lost the focus).
inline bool IsLeaving(int32_t type) { return type == kWndUnfocus; }

// One event's step for a box: pressed on it, dragged or released while it
// holds the press, dragged far enough to start a drag and drop, moved over
// the window, or gone from it.
enum class Step { kNone, kPress, kDrag, kRelease, kDragStart, kMove, kLeave };

// inside: the pointer is on the box (or on its handle); held: the box holds
// a press it took.
inline Step StepOf(const WndEvent& event, bool inside, bool held) {
    const int32_t type = event.type;
    if (IsPress(type)) return inside ? Step::kPress : Step::kNone;
    if (type == kWndLeftDrag) return held ? Step::kDrag : Step::kNone;
    if (IsRelease(type)) return held ? Step::kRelease : Step::kNone;
    if (type == kWndLeftDragStart) return held ? Step::kDragStart : Step::kNone;
    if (IsPlainMove(type)) return Step::kMove;
    if (IsLeaving(type)) return Step::kLeave;
    return Step::kNone;
}

// A handle dragged along one axis: taken at some point of it, it follows
// the pointer with that point under it.
struct DragGrip {
    float grabOffset = 0;
    // The press at along took the handle that starts at handleStart.
    void Take(float along, float handleStart) { grabOffset = along - handleStart; }
    // Where the handle starts with the pointer at along.
    float HandleAt(float along) const { return along - grabOffset; }
};

}  // namespace ui_pointer
