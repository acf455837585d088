// One input event of a window. x and y are whole pixels of the client area,
// y counted upward from its bottom edge.
#pragma once

#include <cstdint>

enum WndEventCode : int32_t {
    kWndLeftPress = 1,
    kWndLeftRelease = 2,
    kWndRightPress = 3,
    kWndRightRelease = 4,
    kWndMiddlePress = 5,
    kWndMiddleRelease = 6,
    kWndMove = 7,
    kWndLeftDragStart = 8,
    kWndRightDragStart = 9,
    kWndLeftDrag = 10,
    kWndRightDrag = 11,
    kWndLeftDrop = 12,
    kWndRightDrop = 13,
    kWndDoubleClick = 14,
    kWndFocus = 15,
    kWndUnfocus = 16,
    kWndKeyPress = 17,
    kWndKeyRelease = 18,
    kWndKeyRepeat = 19,
    kWndCharacter = 20,
    kWndScroll = 21,
};

// Key codes of key events: the windowing library's (GLFW's), which are
// the characters' own codes for letters.
enum WndKey : int32_t {
    kWndKeySpace = 32,
    kWndKeyA = 65,
    kWndKeyC = 67,
    kWndKeyV = 86,
    kWndKeyX = 88,
    kWndKeyEscape = 256,
    kWndKeyEnter = 257,
    kWndKeyTab = 258,
    kWndKeyBackspace = 259,
    kWndKeyInsert = 260,
    kWndKeyDelete = 261,
    kWndKeyRight = 262,
    kWndKeyLeft = 263,
    kWndKeyDown = 264,
    kWndKeyUp = 265,
    kWndKeyPageUp = 266,
    kWndKeyPageDown = 267,
    kWndKeyHome = 268,
    kWndKeyEnd = 269,
    kWndKeyPadEnter = 335,
};

struct WndEvent {
    int32_t type = 0;
    float x = 0, y = 0;
    int32_t character = 0;
    int32_t key = 0, scancode = 0;
    float scrollX = 0, scrollY = 0;
    uint8_t control = 0, alt = 0, shift = 0, super = 0;
    uint8_t handledElsewhere = 0;  // drops: landed here or went to another window of ours
};

// The pointer state machine every window runs: which code a move or a
// button becomes, given what came before.
struct WndPointerState {
    int32_t lastMouseState = -1;
    double lastPressMs = 0;  // set to "now - 1000" when the window is made
    float lastPressX = -2147483648.0f, lastPressY = -2147483648.0f;

    // 7, or 8 to 11 while a button is held (these become the last state).
    int32_t Move(bool leftHeld, bool rightHeld);
    // button: 0 left, 1 right, 2 middle (anything else counts as left).
    // Presses within 0.3 s and 2 pixels of the recorded left press become 14.
    int32_t Button(int32_t button, bool press, float x, float y, double nowMs);
    bool IsDragging() const { return lastMouseState == kWndLeftDrag || lastMouseState == kWndRightDrag; }
};
