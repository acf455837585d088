// Input events as the UI tests write them.
#pragma once

#include "gx/wnd_event.h"

namespace test {

inline WndEvent Event(int32_t type, float x, float y, float scrollY = 0) {
    WndEvent e;
    e.type = type;
    e.x = x;
    e.y = y;
    e.scrollY = scrollY;
    return e;
}

}  // namespace test
