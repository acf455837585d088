// What every widget asks of a pointer event, written once: whether the
// pointer is on the widget (its hit rectangle leaves out the right column
// and the top row, so that neighbours sharing an edge never both claim a
// pixel), and which events press, release, move or leave.
#pragma once

#include "gx/wnd_event.h"
#include "ui/ui_box.h"

namespace ui_pointer {

// x0 <= x <= x1 - 1 and y0 <= y <= y1 - 1.
inline bool Inside(const UiBox::Rect& r, float x, float y) {
    return r.valid && x >= r.x0 && x <= r.x1 - 1 && y >= r.y0 && y <= r.y1 - 1;
}
// A left press, or the second press of a double click.
inline bool IsPress(int32_t type) { return type == kWndLeftPress || type == kWndDoubleClick; }
// A left release, plain or ending a drag.
inline bool IsRelease(int32_t type) { return type == kWndLeftRelease || type == kWndLeftDrop; }
// The pointer moving with no button held.
inline bool IsPlainMove(int32_t type) { return type == kWndMove; }
// The pointer gone from the window (the window lost the focus).
inline bool IsLeaving(int32_t type) { return type == kWndUnfocus; }

}  // namespace ui_pointer
