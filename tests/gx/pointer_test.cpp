// The pointer state machine and the event queue without a window: what each
// move and button becomes, given what came before and when.
#include <gtest/gtest.h>

#include <vector>

#include "gx/window_cells.h"

namespace {

// One input: a button (0 left, 1 right, 2 middle) pressed or released at
// x, y, ms; or a move with the held buttons (1 left, 2 right).
struct Input {
    enum Kind { kPress, kRelease, kMove } kind;
    int32_t button;  // the button, or the held buttons of a move
    float x, y;
    double ms;
    int32_t code;  // what it becomes
};

constexpr auto P = Input::kPress;
constexpr auto R = Input::kRelease;
constexpr auto M = Input::kMove;

struct Case {
    const char* name;
    std::vector<Input> inputs;
};

const Case kCases[] = {
    {"a click", {{P, 0, 5, 5, 1000, kWndLeftPress}, {R, 0, 5, 5, 1050, kWndLeftRelease}}},
    {"plain moves", {{M, 0, 1, 1, 0, kWndMove}, {M, 0, 2, 1, 5, kWndMove}}},
    {"a left drag",
     {{P, 0, 5, 5, 1000, kWndLeftPress},
      {M, 1, 6, 5, 1010, kWndLeftDragStart},
      {M, 1, 7, 5, 1020, kWndLeftDrag},
      {M, 1, 8, 5, 1030, kWndLeftDrag},
      {R, 0, 8, 5, 1040, kWndLeftDrop},
      {M, 0, 9, 5, 1050, kWndMove}}},
    {"a right drag",
     {{P, 1, 5, 5, 1000, kWndRightPress},
      {M, 2, 6, 5, 1010, kWndRightDragStart},
      {M, 2, 7, 5, 1020, kWndRightDrag},
      {R, 1, 7, 5, 1030, kWndRightDrop}}},
    {"a drag start released at once is a drop",
     {{P, 0, 5, 5, 1000, kWndLeftPress}, {M, 1, 6, 5, 1010, kWndLeftDragStart}, {R, 0, 6, 5, 1020, kWndLeftDrop}}},
    {"the middle button never drags",
     {{P, 2, 5, 5, 1000, kWndMiddlePress}, {M, 0, 6, 5, 1010, kWndMove}, {R, 2, 6, 5, 1020, kWndMiddleRelease}}},
    {"a double click, then a third press counts as a first",
     {{P, 0, 5, 5, 1000, kWndLeftPress},
      {R, 0, 5, 5, 1050, kWndLeftRelease},
      {P, 0, 5, 5, 1200, kWndDoubleClick},
      {R, 0, 5, 5, 1250, kWndLeftRelease},
      {P, 0, 5, 5, 1400, kWndLeftPress},
      {R, 0, 5, 5, 1450, kWndLeftRelease}}},
    {"exactly 300 ms apart is still double",
     {{P, 0, 5, 5, 1000, kWndLeftPress}, {R, 0, 5, 5, 1010, kWndLeftRelease}, {P, 0, 5, 5, 1300, kWndDoubleClick}}},
    {"301 ms apart is two presses",
     {{P, 0, 5, 5, 1000, kWndLeftPress}, {R, 0, 5, 5, 1010, kWndLeftRelease}, {P, 0, 5, 5, 1301, kWndLeftPress}}},
    {"one pixel off is still double",
     {{P, 0, 5, 5, 1000, kWndLeftPress}, {R, 0, 5, 5, 1010, kWndLeftRelease}, {P, 0, 6, 6, 1100, kWndDoubleClick}}},
    {"two pixels off is two presses",
     {{P, 0, 5, 5, 1000, kWndLeftPress}, {R, 0, 5, 5, 1010, kWndLeftRelease}, {P, 0, 7, 5, 1100, kWndLeftPress}}},
    {"three pixels off is two presses",
     {{P, 0, 30, 30, 1000, kWndLeftPress}, {R, 0, 30, 30, 1010, kWndLeftRelease}, {P, 0, 33, 30, 1100, kWndLeftPress}}},
    {"a right press between does not break a double click",
     {{P, 0, 5, 5, 1000, kWndLeftPress},
      {R, 0, 5, 5, 1010, kWndLeftRelease},
      {P, 1, 5, 5, 1050, kWndRightPress},
      {R, 1, 5, 5, 1060, kWndRightRelease},
      {P, 0, 5, 5, 1100, kWndDoubleClick}}},
    {"the second press of a new window is not double",  // the window starts 1000 ms in the past
     {{P, 0, -2147483648.0f, -2147483648.0f, 0, kWndLeftPress}}},
};

TEST(WndPointer, EveryCaseInOrder) {
    for (const Case& c : kCases) {
        WndPointerState pointer;
        pointer.lastPressMs = -1000;  // as a new window sets it
        for (size_t i = 0; i < c.inputs.size(); ++i) {
            const Input& in = c.inputs[i];
            const int32_t code = in.kind == Input::kMove ? pointer.Move(in.button & 1, in.button & 2)
                                                         : pointer.Button(in.button, in.kind == P, in.x, in.y, in.ms);
            EXPECT_EQ(code, in.code) << c.name << ", input " << i;
        }
    }
}

// A window never holds more than eight events: the ninth empties the queue
// first. Handing them over leaves it empty.
TEST(WndQueue, TheNinthEventEmptiesTheQueue) {
    WndGx window;
    for (int i = 1; i <= 17; ++i) {
        auto* e = new WndEvent{kWndCharacter};
        e->character = i;
        window.QueueEvent(e);
    }
    Container<WndEvent> events;
    window.TakeQueuedEvents(events);
    ASSERT_EQ(events.count, 1);
    EXPECT_EQ(events[0]->character, 17);
    for (int i = 1; i <= 8; ++i) window.QueueEvent(new WndEvent{kWndMove});
    events.Clear();
    window.TakeQueuedEvents(events);
    EXPECT_EQ(events.count, 8);
    Container<WndEvent> none;
    window.TakeQueuedEvents(none);
    EXPECT_EQ(none.count, 0);
}

}  // namespace
