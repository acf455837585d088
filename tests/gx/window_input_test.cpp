// Real pointer and key input sent by xdotool to a real window under X,
// arriving as the window's event codes in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "gx_window.h"

namespace {

using Codes = std::vector<int32_t>;

struct WindowInput : test::WindowFixture {
    // The codes without plain moves and focus changes.
    Codes PointerCodes() const {
        Codes out;
        for (int32_t c : root->Codes())
            if (c != kWndMove && c != kWndFocus && c != kWndUnfocus) out.push_back(c);
        return out;
    }
};

TEST_F(WindowInput, ContextAndWindowForm) {
    int32_t w, h;
    window.GetClientSize(w, h);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    int32_t x, y;
    window.GetClientOrigin(x, y);
    EXPECT_EQ(x, 120);
    EXPECT_EQ(y, 100);
    EXPECT_GT(root->draws, 0);
    EXPECT_GE(root->lastDelta, 0.0f);
    // Titles show "?" for every character from U+0080.
    NString shown;
    WindowTitleText(WTXT("Caf\u00e9 \u30c6"), shown);
    EXPECT_STREQ(shown.CStr(), "Caf? ?");
}

TEST_F(WindowInput, ClickAtTheTopLeftPixel) {
    XDoTool("mousemove " + At(0, 0) + " click 1");
    Pump();
    ASSERT_EQ(PointerCodes(), (Codes{kWndLeftPress, kWndLeftRelease}));
    const auto press = std::find_if(root->events.begin(), root->events.end(),
                                    [](const WndEvent& e) { return e.type == kWndLeftPress; });
    EXPECT_EQ(press->x, 0);
    EXPECT_EQ(press->y, height - 1);  // y counts up from the bottom
}

TEST_F(WindowInput, DragAndDrop) {
    XDoTool("mousemove " + At(50, 50) + " mousedown 1 mousemove " + At(60, 50) + " mousemove " + At(70, 55) +
            " mouseup 1");
    Pump();
    EXPECT_EQ(PointerCodes(), (Codes{kWndLeftPress, kWndLeftDragStart, kWndLeftDrag, kWndLeftDrop}));
    const auto drop = std::find_if(root->events.begin(), root->events.end(),
                                   [](const WndEvent& e) { return e.type == kWndLeftDrop; });
    ASSERT_NE(drop, root->events.end());
    EXPECT_EQ(drop->handledElsewhere, 1);  // dropped inside the window
    EXPECT_EQ(drop->x, 70);
    EXPECT_EQ(drop->y, height - 1 - 55);
    // A release without a drag move is a plain release.
    root->events.clear();
    XDoTool("sleep 0.4 mousedown 1 mouseup 1");
    Pump();
    EXPECT_EQ(PointerCodes(), (Codes{kWndLeftPress, kWndLeftRelease}));
}

TEST_F(WindowInput, DoubleAndThirdClick) {
    XDoTool("mousemove " + At(30, 30) + " click --repeat 3 --delay 100 1");
    Pump();
    EXPECT_EQ(PointerCodes(), (Codes{kWndLeftPress, kWndLeftRelease, kWndDoubleClick, kWndLeftRelease,
                                     kWndLeftPress, kWndLeftRelease}));
    // Two presses three pixels apart are two presses.
    root->events.clear();
    XDoTool("sleep 0.4 click 1 sleep 0.1 mousemove --sync " + At(33, 30) + " sleep 0.05 click 1");
    Pump();
    EXPECT_EQ(PointerCodes(), (Codes{kWndLeftPress, kWndLeftRelease, kWndLeftPress, kWndLeftRelease}));
}

TEST_F(WindowInput, KeysAndCharacters) {
    XDoTool("mousemove " + At(20, 20) + " key --window $(xdotool search --name 'Test window' | head -1) shift+a");
    Pump();
    Codes keys;
    for (int32_t c : root->Codes())
        if (c >= kWndKeyPress && c <= kWndCharacter) keys.push_back(c);
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys.front(), kWndKeyPress);
    const auto character = std::find_if(root->events.begin(), root->events.end(),
                                        [](const WndEvent& e) { return e.type == kWndCharacter; });
    ASSERT_NE(character, root->events.end());
    EXPECT_EQ(character->character, 'A');
}

TEST_F(WindowInput, OnlyTheNinthOfNineQueuedEventsSurvives) {
    std::string moves;
    for (int i = 1; i <= 9; ++i) moves += " mousemove " + At(10 + 5 * i, 40);
    XDoTool(moves);
    // Let X deliver everything, then pump once: eight queued events are
    // dropped when the ninth arrives.
    XDoTool("sleep 0.3");
    window.MakeCurrent();
    window.PollEvents();
    ASSERT_EQ(window.queue.count, 1);
    EXPECT_EQ(window.queue[0]->type, kWndMove);
    EXPECT_EQ(window.queue[0]->x, 55);
}

TEST_F(WindowInput, TheWindowGrowsToItsMinimumSize) {
    root->minWidth = 260;
    root->minHeight = 100;
    Pump(300);
    int32_t w, h;
    window.GetClientSize(w, h);
    EXPECT_EQ(w, 261);
    EXPECT_EQ(h, height);
}

}  // namespace
