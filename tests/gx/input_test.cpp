// Real pointer and key input sent by xdotool to a real window under X,
// arriving as the window's event codes in order: one run for each kind of
// input (the rules themselves are table cases in pointer_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "cell/chunks.h"
#include "cell/gate_table.h"
#include "core/mem_block.h"
#include "cell/register_cells.h"
#include "cell/registry.h"
#include "cell/value_cells.h"
#include "gx/embedded_data.h"
#include "gx/font_gx.h"
#include "support/gx_window.h"
#include "support/test_support.h"

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
    // A condition for Drive: the pointer codes have reached the expected
    // number (what arrives beyond shows in the comparison).
    std::function<bool()> PointerCodesReach(size_t n) {
        return [this, n] { return PointerCodes().size() >= n; };
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
    // Clipboard text round-trips in full Unicode.
    window.SetClipboardText(WTXT("Gr\u00fc\u00dfe \u2713"));
    WString clip;
    window.GetClipboardText(clip);
    EXPECT_TRUE(clip == WTXT("Gr\u00fc\u00dfe \u2713"));
    // A text cursor is made from the text's image; empty text keeps the old one.
    FontGx font;
    const EmbeddedBlock block = BuiltinFont(0);
    ASSERT_TRUE(font.LoadFont(block.data, block.size));
    window.SetTextCursor(WTXT("Drop here"), font);
    GLFWcursor* made = window.textCursor;
    EXPECT_NE(made, nullptr);
    window.SetTextCursor(WTXT(""), font);
    EXPECT_EQ(window.textCursor, made);
    // Titles show "?" for every character from U+0080.
    NString shown;
    WindowTitleText(WTXT("Caf\u00e9 \u30c6"), shown);
    EXPECT_STREQ(shown.CStr(), "Caf? ?");
}

// Cells through the window's clipboard: a StringCell as its own text, any
// other cell as one line of Base64; other programs' text pastes as text.
TEST_F(WindowInput, CellsThroughTheClipboard) {
    RegisterModelCellClasses();
    ClipboardGate gate;
    EXPECT_FALSE(gate.Open(VirtualGate::kRead));  // no window yet
    gate.window.PointAt(window.EnsureSelfLink());

    StringCell text;
    text.value = WTXT("Gr\u00fc\u00dfe");
    ASSERT_TRUE(WriteOneCell(gate, text));
    WString clip;
    window.GetClipboardText(clip);
    EXPECT_TRUE(clip == text.value);
    SObject<Cell> pasted(ReadOneCellOrText(gate));
    ASSERT_TRUE(pasted && pasted->ClassKey() == StringCell::kClassKey);
    EXPECT_TRUE(pasted->Equals(text));

    Vec3DCell point;
    point.value = {1.5, -2.0, 3.25};
    ASSERT_TRUE(WriteOneCell(gate, point));
    window.GetClipboardText(clip);
    const std::string line = test::U(clip);
    EXPECT_FALSE(line.empty());
    EXPECT_EQ(line.size() % 4, 0u);
    EXPECT_EQ(line.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
              std::string::npos);
    pasted.Reset(ReadOneCellOrText(gate));
    ASSERT_TRUE(pasted);
    EXPECT_TRUE(pasted->Equals(point));

    for (const WChar* foreign : {WTXT("from another program"), WTXT("Zm9vYmFy")}) {  // the second: Base64, not cells
        window.SetClipboardText(foreign);
        pasted.Reset(ReadOneCellOrText(gate));
        ASSERT_TRUE(pasted && pasted->ClassKey() == StringCell::kClassKey);
        EXPECT_TRUE(static_cast<StringCell&>(*pasted).value == foreign);
    }
    // One transfer at a time.
    ASSERT_TRUE(gate.Open(VirtualGate::kWrite));
    EXPECT_FALSE(gate.Open(VirtualGate::kRead));
    EXPECT_TRUE(gate.Close());
}

TEST_F(WindowInput, TheStoredFormMakesTheSameWindow) {
    MemBlock block;
    MemBlockCursor out(block);
    ASSERT_TRUE(window.Export(out, 0));
    RegisterWindowCellClasses();
    std::unique_ptr<Cell> copy(CreateCell(WndGx::kClassKey));
    ASSERT_NE(dynamic_cast<GlWndGx*>(copy.get()), nullptr);
    MemBlockCursor in(block);
    ASSERT_TRUE(copy->Import(in, 5.5, nullptr));
    auto& other = static_cast<GlWndGx&>(*copy);
    int32_t x, y, w, h;
    other.GetClientOrigin(x, y);
    other.GetClientSize(w, h);
    EXPECT_EQ(x, 120);
    EXPECT_EQ(y, 100);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    EXPECT_TRUE(other.GetTitle() == WTXT("Test window"));
    other.Destroy();
    window.MakeCurrent();
}

TEST_F(WindowInput, ClickAtTheTopLeftPixel) {
    // Coming from outside: GLFW takes a move inside the window onto (0, 0)
    // for one of its own pointer warps and drops it.
    Drive("mousemove " + At(-5, -5) + " mousemove " + At(0, 0) + " click 1", PointerCodesReach(2));
    ASSERT_EQ(PointerCodes(), (Codes{kWndLeftPress, kWndLeftRelease}));
    const auto press = std::find_if(root->events.begin(), root->events.end(),
                                    [](const WndEvent& e) { return e.type == kWndLeftPress; });
    EXPECT_EQ(press->x, 0);
    EXPECT_EQ(press->y, height - 1);  // y counts up from the bottom
}

TEST_F(WindowInput, DragAndDrop) {
    Drive("mousemove " + At(50, 50) + " mousedown 1 mousemove " + At(60, 50) + " mousemove " + At(70, 55) +
              " mouseup 1",
          PointerCodesReach(4));
    EXPECT_EQ(PointerCodes(), (Codes{kWndLeftPress, kWndLeftDragStart, kWndLeftDrag, kWndLeftDrop}));
    const auto drop = std::find_if(root->events.begin(), root->events.end(),
                                   [](const WndEvent& e) { return e.type == kWndLeftDrop; });
    ASSERT_NE(drop, root->events.end());
    EXPECT_EQ(drop->handledElsewhere, 1);  // dropped inside the window
    EXPECT_EQ(drop->x, 70);
    EXPECT_EQ(drop->y, height - 1 - 55);
    // A release without a drag move is a plain release.
    root->events.clear();
    Drive("mousedown 1 mouseup 1", PointerCodesReach(2));
    EXPECT_EQ(PointerCodes(), (Codes{kWndLeftPress, kWndLeftRelease}));
}

// A drag that leaves one window of ours and ends over another is handed
// to that one: it sees the drag and the drop, and the first window's drop
// says it was handled elsewhere.
TEST_F(WindowInput, ADragHandedToAnotherWindow) {
    GlWndGx other;
    ASSERT_TRUE(test::CreateTestWindow(other, 340, 100, 200, 150, WTXT("Other window")));
    auto* otherRoot = new test::RecordingRoot;
    other.AddChild(otherRoot);
    // Both windows frame while the drag runs, until the other one has the drop.
    const auto otherHasDrop = [&] {
        for (const WndEvent& e : otherRoot->events)
            if (e.type == kWndLeftDrop) return true;
        return false;
    };
    const auto pumpBoth = [&](const std::function<bool()>& until) {
        return PumpUntil([&] {
            other.Frame();
            return until();
        });
    };
    ASSERT_TRUE(pumpBoth([&] { return otherRoot->draws > 0; }));
    root->events.clear();
    otherRoot->events.clear();
    Drive("mousemove " + At(50, 50) + " mousedown 1 mousemove " + At(60, 50) + " mousemove " + At(150, 50) +
              " mousemove " + At(280, 60) + " mousemove " + At(290, 60) + " mouseup 1",
          [&] {
              other.Frame();
              return otherHasDrop() && !PointerCodes().empty() && PointerCodes().back() == kWndLeftDrop;
          });
    const Codes mine = PointerCodes();
    ASSERT_FALSE(mine.empty());
    EXPECT_EQ(mine.front(), kWndLeftPress);
    EXPECT_EQ(mine.back(), kWndLeftDrop);
    for (const WndEvent& e : root->events) {
        if (e.type == kWndLeftDrop) {
            EXPECT_EQ(e.handledElsewhere, 1);
        }
    }
    Codes theirs;
    for (const WndEvent& e : otherRoot->events)
        if (e.type == kWndLeftDrag || e.type == kWndLeftDrop) theirs.push_back(e.type);
    EXPECT_EQ(theirs, (Codes{kWndLeftDrag, kWndLeftDrag, kWndLeftDrop}));
    const auto found = std::find_if(otherRoot->events.begin(), otherRoot->events.end(),
                                    [](const WndEvent& e) { return e.type == kWndLeftDrop; });
    ASSERT_NE(found, otherRoot->events.end());
    const WndEvent& drop = *found;
    EXPECT_EQ(drop.x, 290 - 220);  // in the other window's own pixels
    EXPECT_EQ(drop.handledElsewhere, 1);
    other.Destroy();
    window.MakeCurrent();
}

// A window-creation message dragged out of every window of the program
// starts a new instance of the program where it is dropped; anything else
// dropped there just ends the drag.
TEST_F(WindowInput, ADropOutsideEveryWindow) {
    test::WinePrefix prefix;
    test::TempDir dir;
    const std::string record = dir / "launched";
    test::ScopedEnv recordEnv("VELDO_DROP_RECORD", record.c_str());
    RegisterModelCellClasses();
    RegisterWindowCellClasses();
    auto* gate = dynamic_cast<DragDropGate*>(MakeGateCell(DragDropGateKey())->Gate());
    ASSERT_NE(gate, nullptr);
    const auto dragOut = [&](int32_t x, int32_t y) {
        root->events.clear();
        Drive("mousemove " + At(50, 50) + " mousedown 1 mousemove " + At(60, 50) + " mousemove " + At(x, y) +
                  " mouseup 1",
              [&] { return !root->events.empty() && root->Codes().back() == kWndLeftDrop; });
    };
    int32_t left, top;
    window.GetClientOrigin(left, top);
    const auto launchLine = [&](int32_t x, int32_t y) {
        return "-drop -window_pos " + std::to_string(left + x) + " " + std::to_string(top + y) + "\n";
    };

    // Anything but a window-creation message just ends the drag.
    StringCell text;
    text.value = WTXT("not a window");
    ASSERT_TRUE(gate->BeginDrag(text));
    dragOut(400, 300);
    EXPECT_FALSE(gate->Dragging());

    // The message starts one instance where it is dropped; each instance
    // adds its line, so the first drop, had it started one, would show too.
    WndGx_CreateNew_Msg message;
    ASSERT_TRUE(gate->BeginDrag(message));
    dragOut(420, 320);
    EXPECT_FALSE(gate->Dragging());
    ASSERT_TRUE(test::WaitFor([&] { return test::Exists(record) && !test::ReadFile(record).empty(); }));
    EXPECT_EQ(test::ReadFile(record), launchLine(420, 320));
}

// The rule (300 ms, two pixels) is tested with times as data; here the
// real clicks reach it with the window's clock, which the test gives: each
// button event a fixed step later, however fast the machine handles them.
double g_testClockMs = 1e12;
double g_testClockStepMs = 0;
double TestClock() { return g_testClockMs += g_testClockStepMs; }

TEST_F(WindowInput, ADoubleClick) {
    window.pointerClockMs = TestClock;
    g_testClockStepMs = 10;  // the second press 20 ms after the first
    Drive("mousemove " + At(30, 30) + " click --repeat 2 --delay 50 1", PointerCodesReach(4));
    EXPECT_EQ(PointerCodes(), (Codes{kWndLeftPress, kWndLeftRelease, kWndDoubleClick, kWndLeftRelease}));
    root->events.clear();
    g_testClockStepMs = 200;  // 400 ms apart: two clicks
    Drive("mousemove " + At(30, 30) + " click --repeat 2 --delay 50 1", PointerCodesReach(4));
    EXPECT_EQ(PointerCodes(), (Codes{kWndLeftPress, kWndLeftRelease, kWndLeftPress, kWndLeftRelease}));
}

TEST_F(WindowInput, KeysAndCharacters) {
    const auto hasCharacter = [&] {
        for (const WndEvent& e : root->events)
            if (e.type == kWndCharacter) return true;
        return false;
    };
    Drive("mousemove " + At(20, 20) + " key --window $(xdotool search --name 'Test window' | head -1) shift+a",
          hasCharacter);
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

TEST_F(WindowInput, TheWindowGrowsToItsMinimumSize) {
    root->minWidth = 260;
    root->minHeight = 100;
    int32_t w = 0, h = 0;
    EXPECT_TRUE(PumpUntil([&] {
        window.GetClientSize(w, h);
        return w != width;
    }));
    EXPECT_EQ(w, 261);
    EXPECT_EQ(h, height);
}

}  // namespace
