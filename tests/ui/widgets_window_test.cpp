// Widgets in a real window under X, driven by xdotool: a click on a button
// and the colours of its four states on the screen, typing into an edit
// with the real clipboard, dragging a scroll bar's thumb, and the lines of
// a word-wrapped text.
#include <gtest/gtest.h>

#include <string>

#include "cell/gate_keys.h"
#include "cell/gate_table.h"
#include "cell/gates.h"
#include "cell/register_cells.h"
#include "cell/scripts.h"
#include "cell/tags.h"
#include "support/gx_window.h"
#include "support/test_support.h"
#include "ui/register_ui_cells.h"
#include "ui/size_rule.h"
#include "ui/ui_messages.h"
#include "ui/ui_root.h"
#include "ui/ui_scroll_view.h"
#include "ui/widgets/register_widget_cells.h"
#include "ui/widgets/scroll_view_builder.h"
#include "ui/widgets/ui_button.h"
#include "ui/widgets/ui_edit.h"
#include "ui/widgets/ui_scroll.h"
#include "ui/widgets/ui_text.h"
#include "support/register_once.h"

namespace {

// Counts the messages a button sends: its down and up scripts.
struct Counter : HCell {
    std::string log;
    SSlave<Cell> Receive(Cell& message) override {
        if (message.ClassKey() == UiScrollView_ScrollDown_Msg::kClassKey) log += "D";
        if (message.ClassKey() == UiScrollView_ScrollUp_Msg::kClassKey) log += "U";
        return {};
    }
};

// A string value in a tag, for the edit.
struct Value : HCell {
    void DeclareTags() override {
        HCell::DeclareTags();
        DeclareTag(WTXT("Text"), new StringCell);
    }
};

// A 200 x 150 window. Top row (20 px): a toggle button (0..100) and an
// edit (100..200). Then a word-wrapped text 50 px high, then a scroll view
// over twenty rows with its bar at the right edge.
struct WidgetWindow : test::WindowFixture {
    UiRoot* ui = nullptr;
    UiButton* button = nullptr;
    UiEdit* edit = nullptr;
    UiText* text = nullptr;
    UiScrollView* view = nullptr;
    SObject<Counter> counter{new Counter};
    SObject<Value> value{new Value};

    void AddRoot() override {
        test::RegisterOnce<RegisterModelCellClasses, RegisterUiCellClasses, RegisterWidgetCellClasses>();
        // The clipboard goes through this window, as through the main one.
        auto* clipboard = dynamic_cast<ClipboardGate*>(MakeGateCell(ClipboardGateKey())->Gate());
        clipboard->window.PointAt(window.EnsureSelfLink());
        ui = new UiRoot;
        ui->Shape(UiBox::kLayoutVertical, kSizeFlexible);
        auto* top = new UiBox;
        top->Shape(UiBox::kLayoutHorizontal, kSizeRow);
        button = new UiButton(WTXT("OK"), kSizeFlexible, UiButton::kToggle, 2, 2);
        SetScript(*button->ValueTagAt(UiButton::kButtonDownScript), new UiScrollView_ScrollDown_Msg, counter.Get());
        SetScript(*button->ValueTagAt(UiButton::kButtonUpScript), new UiScrollView_ScrollUp_Msg, counter.Get());
        edit = new UiEdit(kSizeFlexible, 0);
        edit->Bind(UiEdit::kStrValue, *value->ValueTagAt(0));
        top->AddChild(button);
        top->AddChild(edit);
        ui->AddChild(top);
        text = new UiText(WTXT("The plug-in goes into every host found"), kSizeAsGiven, 0, 1, false);
        MakeFixedRule(*text->SizeRule(), 50);
        text->SetWordWrap(true);
        ui->AddChild(text);
        auto* content = new UiBox;
        content->Shape(UiBox::kLayoutVertical, kSizeFlexible);
        for (int i = 0; i < 20; ++i) {
            auto* row = new UiBox;
            row->Shape(UiBox::kLayoutNone, kSizeRow);
            content->AddChild(row);
        }
        FltParamCell rule;
        ApplySizeKind(kSizeFlexible, rule);
        view = AddScrollView(rule, *ui, content);
        window.AddChild(ui);
    }
    std::function<bool()> Shows(int32_t x, int32_t y, uint32_t rgb) {
        return [=, this] { return test::NearColor(Pixel(x, y), rgb); };
    }
    int32_t BrightRows(int32_t x0, int32_t x1, int32_t y0, int32_t y1) const {
        int32_t rows = 0;
        for (int32_t y = y0; y < y1; ++y) {
            bool bright = false;
            for (int32_t x = x0; x < x1 && !bright; ++x) bright = test::NearColor(Pixel(x, y), 0xFFFFFF, 60);
            rows += bright;
        }
        return rows;
    }
};

TEST_F(WidgetWindow, AButtonClickedAndItsFourStatesOnScreen) {
    // Up, hover, down and hover, down: entries 18, 18 + 36, 22 + 36, 22.
    EXPECT_TRUE(PumpUntil(Shows(4, 10, 0x223344)));
    Drive("mousemove " + At(4, 10), [&] { return button->state == UiButton::kHover; });
    EXPECT_TRUE(PumpUntil(Shows(4, 10, 0x445566)));
    Drive("mousedown 1", [&] { return button->state == UiButton::kDownHover; });
    EXPECT_TRUE(PumpUntil(Shows(4, 10, 0x8899AA)));
    Drive("mouseup 1 mousemove " + At(50, 100), [&] { return button->state == UiButton::kDown; });
    EXPECT_TRUE(PumpUntil(Shows(4, 10, 0x667788)));
    EXPECT_EQ(counter->log, "D");
    Drive("mousemove " + At(4, 10) + " click 1", [&] { return counter->log == "DU"; });
}

TEST_F(WidgetWindow, TypingIntoAnEditWithTheClipboard) {
    const std::string win = "--window $(xdotool search --name 'Test window' | head -1) ";
    Drive("mousemove " + At(150, 10) + " click 1", [&] { return edit->state == UiEdit::kFocused; });
    Drive("type " + win + "plug", [&] { return edit->Text().Length() == 4; });
    Drive("key " + win + "ctrl+a ctrl+c End ctrl+v", [&] { return edit->Text().Length() == 8; });
    const auto* stored = value->TagValueAs<StringCell>(0);
    EXPECT_EQ(test::U(stored->value), "plugplug");
    Drive("key " + win + "BackSpace Home Delete", [&] { return edit->Text().Length() == 6; });
    EXPECT_EQ(test::U(stored->value), "lugplu");
    WString clip;
    window.GetClipboardText(clip);
    EXPECT_EQ(test::U(clip), "plug");
}

TEST_F(WidgetWindow, DraggingTheScrollBarsThumb) {
    auto* bar = CellAs<UiScroll>(view->ParentBox()->ParentBox()->ChildBox(1));
    ASSERT_NE(bar, nullptr);
    PumpUntil([&] { return bar->Track().valid; });
    const UiBox::Rect track = bar->Track();
    float start = 0, length = 0;
    bar->Thumb(start, length);
    // Client coordinates count from the top; the track's top is at height - y1.
    const int32_t x = int32_t((track.x0 + track.x1) / 2), top = height - int32_t(track.y1);
    const int32_t grab = top + int32_t(start + length / 2);
    Drive("mousemove " + At(x, grab) + " mousedown 1 mousemove " + At(x, grab + 5) + " mousemove " + At(x, grab + 15),
          [&] { return view->Offset() > 0; });
    Drive("mouseup 1", [&] { return bar->state != UiScroll::kDragging; });
    float range = view->ContentHeight(), trackLength = track.y1 - track.y0;
    EXPECT_NEAR(view->Offset(), 15 * range / trackLength, range / trackLength + 1);
}

TEST_F(WidgetWindow, AWordWrappedTextOnTwoLines) {
    // The text's rows 20..70 from the top: glyphs on more than one line.
    EXPECT_TRUE(PumpUntil([&] { return BrightRows(2, 198, 20, 70) > 0; }));
    int32_t lines = 1;
    for (const WChar* c = text->Shown().CStr(); *c; ++c) lines += *c == '\r';
    EXPECT_GE(lines, 2);
    // Glyph rows show up in each line's band.
    const int32_t advance = int32_t(ui->Font(UiRootServices::kBodyFont)->lineAdvance);
    for (int32_t line = 0; line < lines && line < 2; ++line)
        EXPECT_GT(BrightRows(2, 198, 20 + line * advance, 20 + (line + 1) * advance), 0) << line;
}

}  // namespace
