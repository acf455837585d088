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

inline WndEvent KeyEvent(int32_t key, bool shift = false, bool control = false) {
    WndEvent e;
    e.type = kWndKeyPress;
    e.key = key;
    e.shift = shift;
    e.control = control;
    return e;
}

inline WndEvent CharacterEvent(WChar c) {
    WndEvent e;
    e.type = kWndCharacter;
    e.character = c;
    return e;
}

}  // namespace test
