// Widgets fed tables of input events in a small tree under a UiRoot (the
// recording device, no window): the scripts they fire, their states and
// colours, word wrapping, and the scroll view with its buttons and bar.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cell/gate_keys.h"
#include "cell/gate_table.h"
#include "cell/enum_cells.h"
#include "cell/gates.h"
#include "cell/chunks.h"
#include "cell/register_cells.h"
#include "cell/std_cells.h"
#include "cell/scripts.h"
#include "cell/tags.h"
#include "gx/window_cells.h"
#include "support/recording_gx.h"
#include "support/ui_events.h"
#include "support/ui_find.h"
#include "support/test_support.h"
#include "ui/register_ui_cells.h"
#include "ui/ui_choice_cells.h"
#include "ui/size_rule.h"
#include "ui/ui_messages.h"
#include "ui/ui_options.h"
#include "ui/ui_root.h"
#include "ui/ui_scroll_view.h"
#include "ui/widgets/cell_browser.h"
#include "ui/widgets/register_widget_cells.h"
#include "ui/widgets/scroll_view_builder.h"
#include "ui/widgets/ui_button.h"
#include "ui/widgets/ui_combo.h"
#include "ui/widgets/ui_edit.h"
#include "ui/widgets/ui_enum.h"
#include "ui/widgets/ui_image.h"
#include "ui/widgets/ui_scroll.h"
#include "ui/widgets/ui_skey.h"
#include "ui/widgets/ui_text.h"
#include "ui/widgets/ui_viewport.h"
#include "support/register_once.h"

namespace {

// A script target that writes down what reaches it: "D" for the down
// message, "U" for the up message.
struct Recorder : HCell {
    std::string log;
    bool down = false;  // its answer to a down question
    std::vector<uint64_t> keys;  // its answers to key questions, the keys sent to it
    SSlave<Cell> Receive(Cell& message) override {
        if (message.ClassKey() == UiScrollView_ScrollDown_Msg::kClassKey) log += "D";
        else if (message.ClassKey() == UiScrollView_ScrollUp_Msg::kClassKey) log += "U";
        else if (auto* question = CellAs<BoolCell>(&message)) question->value = down;
        else if (auto* key = CellAs<U64Cell>(&message)) {
            if (key->value) keys.push_back(key->value);  // a key sent
            else if (!keys.empty()) key->value = keys.front();  // a question
        }
        return {};
    }
};

using test::Event;

// A vertical box of n rows, one row high each: content to scroll.
UiBox* Rows(int n) {
    auto* content = new UiBox;
    content->Shape(UiBox::kLayoutVertical, kSizeFlexible);
    for (int i = 0; i < n; ++i) {
        auto* row = new UiBox;
        row->Shape(UiBox::kLayoutNone, kSizeRow);
        content->AddChild(row);
    }
    return content;
}

struct Widgets : ::testing::Test {
    test::UseRecordingGx gx;
    SObject<UiRoot> root;
    SObject<Recorder> target{new Recorder};

    void SetUp() override {
        test::RegisterOnce<RegisterModelCellClasses, RegisterUiCellClasses, RegisterWidgetCellClasses>();
        root.Reset(new UiRoot);
        root->Shape(UiBox::kLayoutVertical, kSizeFlexible);
    }
    // A button 100 x 20 at the top of a 100 x 100 root, its down and up
    // scripts going to the recorder.
    UiButton* AddButton(int32_t flags) {
        auto* button = new UiButton(WTXT("Install"), kSizeRow, flags, 2, 2);
        SetScript(*button->ValueTagAt(UiButton::kButtonDownScript), new UiScrollView_ScrollDown_Msg, target.Get());
        SetScript(*button->ValueTagAt(UiButton::kButtonUpScript), new UiScrollView_ScrollUp_Msg, target.Get());
        root->AddChild(button);
        auto* rest = new UiBox;
        rest->Shape(UiBox::kLayoutNone, kSizeFlexible);
        root->AddChild(rest);
        root->Layout(100, 100);
        return button;
    }
};

// ---- buttons ----------------------------------------------------------------------------

TEST_F(Widgets, ButtonsFireTheirScriptsByTheirKind) {
    // Each case: the flags and a sequence of (event, x, y) or a time delta
    // (type 0, x = seconds); the recorder's log and the final state.
    struct Step {
        int32_t type;
        float x, y;
    };
    const struct {
        const char* what;
        int32_t flags;
        std::vector<Step> steps;
        const char* log;
        int32_t state;
    } cases[] = {
        {"a click", 0, {{kWndMove, 50, 90}, {kWndLeftPress, 50, 90}, {kWndLeftRelease, 50, 90}}, "DU", UiButton::kHover},
        {"pressed, dragged off and released elsewhere",
         0,
         {{kWndLeftPress, 50, 90}, {kWndLeftDragStart, 50, 60}, {kWndLeftDrag, 50, 30}, {kWndLeftDrop, 50, 30}},
         "DU",
         UiButton::kUp},
        {"pressed, then the pointer leaves the window", 0,
         {{kWndLeftPress, 50, 90}, {kWndUnfocus, 50, 90}, {kWndLeftRelease, 50, 90}}, "D", UiButton::kUp},
        {"a press outside does nothing", 0, {{kWndLeftPress, 50, 50}, {kWndLeftRelease, 50, 90}}, "", UiButton::kUp},
        // The hit rectangle leaves out the right column and the top row.
        {"the top row is not the button's", 0, {{kWndLeftPress, 50, 100}, {kWndLeftRelease, 50, 100}}, "", UiButton::kUp},
        {"hover-repeat: once on entry, then every frame", UiButton::kHoverRepeat,
         {{kWndMove, 50, 90}, {kWndMove, 51, 90}, {0, 0.016f, 0}, {0, 0.016f, 0}, {kWndMove, 50, 40}, {0, 0.016f, 0}},
         "DDD",
         UiButton::kUp},
        {"toggle: each press flips it", UiButton::kToggle,
         {{kWndLeftPress, 50, 90}, {kWndLeftRelease, 50, 90}, {kWndLeftPress, 50, 90}, {kWndLeftRelease, 50, 90},
          {kWndLeftPress, 50, 90}, {kWndMove, 50, 40}},
         "DUD",
         UiButton::kDown},
    };
    for (const auto& c : cases) {
        SetUp();
        target->log.clear();
        UiButton* button = AddButton(c.flags);
        for (const Step& s : c.steps) {
            if (s.type == 0) root->TimeDelta(s.x);
            else root->HandleEvent(Event(s.type, s.x, s.y));
            root->Layout(100, 100);
        }
        EXPECT_EQ(target->log, c.log) << c.what;
        EXPECT_EQ(button->state, c.state) << c.what;
    }
}

TEST_F(Widgets, ButtonsShowTheirStateInColourAndText) {
    UiButton* button = AddButton(UiButton::kBooleanDisplay);
    const auto& back = static_cast<const test::RecordingMesh&>(*button->backgroundMesh);
    const auto& text = static_cast<const test::RecordingMesh&>(*button->textMesh);
    const struct {
        WndEvent event;
        int32_t state;
        uint32_t background;
        size_t glyphs;  // "FALSE" 5, "TRUE" 4
    } steps[] = {
        {Event(kWndMove, 10, 40), UiButton::kUp, 0xFF223344, 5},
        {Event(kWndMove, 50, 90), UiButton::kHover, 0xFF445566, 5},
        {Event(kWndLeftPress, 50, 90), UiButton::kDownHover, 0xFF8899AA, 4},
        {Event(kWndUnfocus, 50, 90), UiButton::kUp, 0xFF223344, 5},
    };
    for (const auto& s : steps) {
        root->HandleEvent(s.event);
        root->Layout(100, 100);
        EXPECT_EQ(button->state, s.state);
        ASSERT_FALSE(back.textured.empty());
        EXPECT_EQ(back.textured[0].color, s.background) << s.state;
        EXPECT_EQ(text.textured.size(), s.glyphs * 6) << s.state;
    }
    // A down script decides the down state; a transparent button keeps only
    // its colour's channels.
    target->down = true;
    SetScript(*button->ValueTagAt(UiButton::kIsDownScript), new BoolCell, target.Get());
    button->SetFlags(UiButton::kTransparent);
    root->Layout(100, 100);
    EXPECT_EQ(button->state, UiButton::kDown);
    EXPECT_EQ(back.textured[0].color, 0x00667788u);
    // A visibility script that answers false hides it: no input, no drawing.
    SetScript(*button->ValueTagAt(UiButton::kIsVisibleScript), new BoolCell, target.Get());
    target->down = false;
    EXPECT_EQ(button->Visibility(), 0);
    EXPECT_FALSE(button->Input(Event(kWndLeftPress, 50, 90)));
}

// ---- texts ----------------------------------------------------------------------------------

TEST_F(Widgets, WordWrap) {
    const FontGx* font = root->Font(UiRootServices::kBodyFont);
    ASSERT_NE(font, nullptr);
    auto width = [&](const char* text) {
        int32_t w = 0, h = 0;
        font->MeasureText(test::W(text).CStr(), w, h);
        return float(w);
    };
    const float room = width("install the");  // two short words fit, three do not
    const struct {
        const char* text;
        const char* wrapped;
    } cases[] = {
        {"install the plug-in", "install the\rplug-in"},
        {"a\r\nb\n\rc\rd\x01", "a\nb\nc d"},
        {"install the host now", "install the\rhost now"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::U(WrapText(*font, test::W(c.text).CStr(), room)), c.wrapped) << c.text;
    // A 40-character word is cut inside, each line as full as it can be.
    const std::string word(40, 'm');
    const std::string wrapped = test::U(WrapText(*font, test::W(word.c_str()).CStr(), width("mmmmmmmmmm")));
    EXPECT_EQ(wrapped, "mmmmmmmmmm\rmmmmmmmmmm\rmmmmmmmmmm\rmmmmmmmmmm");
    // A long word after others is cut where the line ends.
    const std::string longWord = "an " + std::string(20, 'x');
    const std::string cut = test::U(WrapText(*font, test::W(longWord.c_str()).CStr(), width("an xxxxx")));
    EXPECT_EQ(cut.substr(0, 9), "an xxxxx\r");
}

TEST_F(Widgets, TextsMeasureAndDraw) {
    const std::string longText(300, 'w');
    auto* plain = new UiText(test::W(longText.c_str()).CStr(), kSizeAsGiven, 0, 2, false);
    root->AddChild(plain);
    plain->Measure();
    EXPECT_EQ(plain->measuredWidth, 20);  // however long
    EXPECT_EQ(plain->measuredHeight, 20);

    auto* wrapped = new UiText(WTXT("one two three four five six seven eight nine ten"), kSizeFlexible, 0, 2, false);
    wrapped->SetWordWrap(true);
    wrapped->SetType(1);
    root->AddChild(wrapped);
    root->Layout(120, 200);
    const FontGx* font = root->Font(UiRootServices::kBodyFont);
    int32_t lines = 1;
    for (const WChar* c = wrapped->Shown().CStr(); *c; ++c) lines += *c == '\r';
    EXPECT_GT(lines, 1);
    EXPECT_EQ(wrapped->measuredHeight, float(lines * font->lineAdvance));
    EXPECT_LE(wrapped->measuredWidth, 116);
    const auto& mesh = static_cast<const test::RecordingMesh&>(*wrapped->textMesh);
    ASSERT_FALSE(mesh.textured.empty());
    EXPECT_EQ(mesh.textured[0].color, 0xFFFF0000u);  // type 1: the warning colour
    for (const auto& v : mesh.textured) {
        EXPECT_GE(v.x, wrapped->Box().x0 + 2);
        EXPECT_LE(v.x, wrapped->Box().x1 - 2);
    }
}

// ---- the scroll view and its bar -------------------------------------------------------------

TEST_F(Widgets, AScrollViewWithButtonsAndABar) {
    root->Shape(UiBox::kLayoutHorizontal, kSizeFlexible);
    UiBox* content = Rows(20);
    FltParamCell rule;
    ApplySizeKind(kSizeFlexible, rule);
    UiScrollView* view = AddScrollView(rule, *root, content);
    root->Layout(108, 140);  // the view: 100 x 100 between two rows of buttons
    ASSERT_EQ(view->children.count, 1);
    EXPECT_EQ(view->ChildBox(0), content);
    const UiBox::Rect r = view->Box();
    EXPECT_EQ(r.y1 - r.y0, 100);
    auto* column = view->ParentBox();
    auto* up = CellAs<UiButton>(column->ChildBox(0));
    auto* down = CellAs<UiButton>(column->ChildBox(2));
    auto* bar = CellAs<UiScroll>(column->ParentBox()->ChildBox(1));
    ASSERT_TRUE(up && down && bar);
    EXPECT_STREQ(test::U(up->Text()).c_str(), "[ up ]");
    EXPECT_EQ(up->Visibility(), -1);  // content taller than the view: shown

    // Resting on "[ down ]" scrolls a step on entry and one every frame.
    root->HandleEvent(Event(kWndMove, 50, 10));
    root->TimeDelta(0.016f);
    root->Layout(108, 140);
    EXPECT_EQ(view->Offset(), 50);
    root->HandleEvent(Event(kWndMove, 50, 70));  // off it: it stops
    root->TimeDelta(0.016f);
    EXPECT_EQ(view->Offset(), 50);

    // The bar: its thumb is the view's share of the content (100 of 400),
    // a quarter of the track, 50 px down; dragging it moves the view.
    root->Layout(108, 140);
    const UiBox::Rect track = bar->Track();
    EXPECT_EQ(track.x1 - track.x0, 8);
    float start = 0, length = 0;
    bar->Thumb(start, length);
    EXPECT_FLOAT_EQ(length, (track.y1 - track.y0) / 4);
    EXPECT_FLOAT_EQ(start, (track.y1 - track.y0) * 50 / 400);
    const float x = (track.x0 + track.x1) / 2, thumbY = track.y1 - start - 1;
    root->HandleEvent(Event(kWndLeftPress, x, thumbY));
    EXPECT_EQ(bar->state, UiScroll::kDragging);
    EXPECT_EQ(bar->color.CurrentArgb(), UiOptions::Get().Color(38));
    root->HandleEvent(Event(kWndLeftDrag, x, thumbY - 14));  // 14 px of track: 40 px of content
    EXPECT_FLOAT_EQ(view->Offset(), 50 + 14 * 400 / (track.y1 - track.y0));
    root->HandleEvent(Event(kWndLeftDrag, x, track.y0 - 500));
    EXPECT_EQ(view->Offset(), 300);  // no further than the end
    root->HandleEvent(Event(kWndLeftDrop, x, track.y0 - 500));
    EXPECT_EQ(bar->state, UiScroll::kOverBar);
    // A press on the track away from the thumb brings the thumb there first.
    root->Layout(108, 140);
    root->HandleEvent(Event(kWndLeftPress, x, track.y1 - 1));
    EXPECT_EQ(view->Offset(), 0);

    // Content that fits: the buttons hide.
    while (content->children.count > 2) content->children.Remove(0);
    content->InvalidateLayout();
    root->Layout(108, 140);
    EXPECT_EQ(up->Visibility(), 0);
    EXPECT_EQ(down->Visibility(), 0);
}

}  // namespace

namespace {

// A window without a screen whose clipboard is a string.
struct ClipboardWindow : WndGx {
    WString clip;
    void SetClipboardText(const WChar* text) override { clip.Assign(text); }
    void GetClipboardText(WString& text) override { text = clip; }
};

// Values as the program holds them: in the tags of a cell.
struct Values : HCell {
    enum { kStr, kInt, kWide };
    void DeclareTags() override {
        HCell::DeclareTags();
        DeclareTag(WTXT("Str"), new StringCell);
        DeclareTag(WTXT("Int"), new IntCell);
        DeclareTag(WTXT("Wide"), new U64Cell);
    }
    Tag& At(int32_t index) { return *ValueTagAt(index); }
};

struct Edits : Widgets {
    SObject<ClipboardWindow> window{new ClipboardWindow};
    SObject<Values> values{new Values};
    StringCell* value = nullptr;
    UiEdit* edit = nullptr;

    void SetUp() override {
        Widgets::SetUp();
        auto* clipboard = dynamic_cast<ClipboardGate*>(MakeGateCell(ClipboardGateKey())->Gate());
        clipboard->window.PointAt(window->EnsureSelfLink());
        edit = new UiEdit(kSizeRow, 0);
        root->AddChild(edit);
        auto* rest = new UiBox;
        rest->Shape(UiBox::kLayoutNone, kSizeFlexible);
        root->AddChild(rest);
    }
    // The edit holding text, focused, the cursor at its end.
    void Start(const char* text) {
        value = values->TagValueAs<StringCell>(Values::kStr);
        value->value = test::W(text);
        edit->Bind(UiEdit::kStrValue, values->At(Values::kStr));
        root->Layout(200, 100);
        root->HandleEvent(Event(kWndLeftPress, 199 - 2, 90));
        root->Layout(200, 100);
    }
    std::string Shown() const { return test::U(edit->Text()); }
};

TEST_F(Edits, TheKeyTable) {
    const struct {
        const char* what;
        const char* text;
        std::vector<WndEvent> keys;
        const char* after;
        int32_t cursor, selStart, selEnd;
        const char* clipboard;
    } cases[] = {
        {"Backspace at 0 changes nothing", "abc", {test::KeyEvent(kWndKeyHome), test::KeyEvent(kWndKeyBackspace)}, "abc", 0, -1, -1, ""},
        {"Backspace", "abc", {test::KeyEvent(kWndKeyBackspace)}, "ab", 2, -1, -1, ""},
        {"Delete at the cursor", "abc", {test::KeyEvent(kWndKeyLeft), test::KeyEvent(kWndKeyLeft), test::KeyEvent(kWndKeyDelete)}, "ac", 1,
         -1, -1, ""},
        {"Right at the end stays", "abc", {test::KeyEvent(kWndKeyRight)}, "abc", 3, -1, -1, ""},
        {"Shift+Home selects to the start", "abc", {test::KeyEvent(kWndKeyHome, true)}, "abc", 0, 3, 0, ""},
        {"Shift+Left extends, Left clears", "abc", {test::KeyEvent(kWndKeyLeft, true), test::KeyEvent(kWndKeyLeft)}, "abc", 1, -1, -1,
         ""},
        {"typing replaces the selection", "abc", {test::KeyEvent(kWndKeyA, false, true), test::CharacterEvent('x')}, "x", 1, -1, -1,
         ""},
        {"copy", "abc", {test::KeyEvent(kWndKeyLeft, true), test::KeyEvent(kWndKeyLeft, true), test::KeyEvent(kWndKeyC, false, true)},
         "abc", 1, 3, 1, "bc"},
        {"cut", "abc", {test::KeyEvent(kWndKeyHome, true), test::KeyEvent(kWndKeyX, false, true)}, "", 0, -1, -1, "abc"},
        {"Shift+Delete cuts", "abc", {test::KeyEvent(kWndKeyLeft, true), test::KeyEvent(kWndKeyDelete, true)}, "ab", 2, -1, -1, "c"},
        {"paste over a selection", "abc",
         {test::KeyEvent(kWndKeyLeft, true), test::KeyEvent(kWndKeyC, false, true), test::KeyEvent(kWndKeyA, false, true),
          test::KeyEvent(kWndKeyV, false, true)},
         "c", 1, -1, -1, "c"},
        {"characters at the cursor", "ac", {test::KeyEvent(kWndKeyLeft), test::CharacterEvent('b'), test::CharacterEvent(0x00E9)},
         "ab\u00e9c", 3, -1, -1, ""},
    };
    for (const auto& c : cases) {
        window->clip.Assign(WTXT(""));
        Start(c.text);
        for (const WndEvent& key : c.keys) root->HandleEvent(key);
        root->Layout(200, 100);
        EXPECT_EQ(Shown(), c.after) << c.what;
        EXPECT_EQ(test::U(value->value), c.after) << c.what;  // written back
        EXPECT_EQ(edit->Cursor(), c.cursor) << c.what;
        EXPECT_EQ(edit->SelectionStart(), c.selStart) << c.what;
        EXPECT_EQ(edit->SelectionEnd(), c.selEnd) << c.what;
        EXPECT_EQ(test::U(window->clip), c.clipboard) << c.what;
        EXPECT_EQ(edit->ScrollX(), 0) << c.what;  // the text fits
    }
}

TEST_F(Edits, NumbersFocusAndScrolling) {
    // "IntValue": one integer or 0; "U64Value": the number the text starts with.
    auto* integer = values->TagValueAs<IntCell>(Values::kInt);
    integer->value = 7;
    edit->Bind(UiEdit::kIntValue, values->At(Values::kInt));
    root->Layout(200, 100);
    EXPECT_EQ(Shown(), "7");
    root->HandleEvent(Event(kWndLeftPress, 190, 90));
    for (WChar c : {u'1', u'2'}) root->HandleEvent(test::CharacterEvent(c));
    EXPECT_EQ(integer->value, 712);
    root->HandleEvent(test::CharacterEvent('a'));
    EXPECT_EQ(integer->value, 0);  // "712a" is not one integer
    for (int i = 0; i < 4; ++i) root->HandleEvent(test::KeyEvent(kWndKeyBackspace));
    EXPECT_EQ(integer->value, 0);  // empty

    // One focused edit a root: pressing another takes the keys.
    auto* other = new UiEdit(kSizeRow, UiEdit::kSelectAllOnFocus);
    auto* wide = values->TagValueAs<U64Cell>(Values::kWide);
    wide->value = 18446744073709551615ull;
    other->Bind(UiEdit::kU64Value, values->At(Values::kWide));
    root->InsertChild(1, other);
    root->Layout(200, 100);
    EXPECT_EQ(test::U(other->Text()), "18446744073709551615");
    root->HandleEvent(Event(kWndLeftPress, 50, 70));
    root->Layout(200, 100);
    EXPECT_EQ(other->state, UiEdit::kFocused);
    EXPECT_EQ(edit->state, UiEdit::kIdle);
    EXPECT_EQ(other->SelectionEnd(), 20);  // its style selects everything on focus
    root->HandleEvent(test::CharacterEvent('9'));
    EXPECT_EQ(wide->value, 9u);
    root->HandleEvent(test::CharacterEvent('x'));
    EXPECT_EQ(wide->value, 9u);  // "9x" starts with 9

    // A text longer than the edit scrolls to keep the cursor in sight.
    for (int i = 0; i < 60; ++i) root->HandleEvent(test::CharacterEvent('m'));
    root->Layout(200, 100);
    EXPECT_LT(other->ScrollX(), 0);
    root->HandleEvent(test::KeyEvent(kWndKeyHome));
    root->Layout(200, 100);
    EXPECT_EQ(other->ScrollX(), 0);
}

}  // namespace

namespace {

// ---- the other widgets ----------------------------------------------------------------------

TEST_F(Widgets, KeyDisplaysNameTheirKeys) {
    auto* skey = new UiSKey;
    root->AddChild(skey);
    EXPECT_EQ(test::U(skey->Shown()), "no cell (0x0000000000000000)");
    SetScript(*skey->ValueTagAt(UiSKey::kSKeyScript), new U64Cell, target.Get());
    target->keys = {UiButton::kClassKey};
    EXPECT_EQ(test::U(skey->Shown()), "UiButton (0x7bc68cd795ac697f)");
    target->keys = {0x0123456789ABCDEFull};
    EXPECT_EQ(test::U(skey->Shown()), "invalid key (0x0123456789abcdef)");

    // A dropped cell sends its class key to the script's target.
    test::WinePrefix prefix;
    auto* gate = dynamic_cast<DragDropGate*>(MakeGateCell(DragDropGateKey())->Gate());
    root->Layout(200, 100);
    UiCombo dragged;
    ASSERT_TRUE(gate->BeginDrag(dragged));
    target->keys.clear();
    EXPECT_TRUE(skey->Input(Event(kWndLeftDrop, 10, 90)));
    EXPECT_EQ(target->keys, (std::vector<uint64_t>{UiCombo::kClassKey}));
    EXPECT_FALSE(gate->Dragging());
}

// An enumeration in a tag, as pages hold them.
struct Choice : HCell {
    void DeclareTags() override {
        HCell::DeclareTags();
        DeclareTag(WTXT("Stretch"), new ec_ScaleType);
    }
};

TEST_F(Widgets, EnumerationRowsChooseOneItem) {
    SObject<Choice> choice(new Choice);
    auto* items = choice->TagValueAs<ec_ScaleType>(0);
    items->value = 1;
    auto* row = new UiEnum;
    const WChar* names[] = {WTXT("None"), WTXT("Fit")};
    row->Show(*choice->ValueTagAt(0), names, 2);
    root->AddChild(row);
    root->Layout(300, 100);  // three buttons of 100 px in the top row
    ASSERT_EQ(row->children.count, 3);
    auto button = [&](int i) { return CellAs<UiButton>(row->ChildBox(i)); };
    EXPECT_STREQ(test::U(button(1)->Text()).c_str(), "Fit");
    EXPECT_STREQ(test::U(button(2)->Text()).c_str(), "2");  // no name: its number
    EXPECT_EQ(button(1)->state, UiButton::kDown);
    EXPECT_EQ(button(0)->state, UiButton::kUp);

    root->HandleEvent(Event(kWndLeftPress, 250, 90));
    root->HandleEvent(Event(kWndLeftRelease, 250, 90));
    root->Layout(300, 100);
    EXPECT_EQ(items->value, 2);
    EXPECT_EQ(button(2)->state, UiButton::kDownHover);
    EXPECT_EQ(button(1)->state, UiButton::kUp);

    // The page may hide items.
    SetScript(*row->ValueTagAt(UiEnum::kItemIsVisibleScript), new UiEnum_Button_Visibility_Act, target.Get());
    target->down = false;
    EXPECT_EQ(button(0)->Visibility(), 0);
}

TEST_F(Widgets, CombosImagesAndViewports) {
    auto* combo = new UiCombo;
    combo->SetText(WTXT("LightWave"));
    auto* image = new UiImage(WTXT("Z:\\no\\such\\image.png"), kSizeRow);
    auto* viewport = new UiViewport;
    SetScript(*viewport->ValueTagAt(UiViewport::kRefreshMeshScript), new UiScrollView_ScrollDown_Msg, target.Get());
    viewport->AddText(4, 4, WTXT("Preview"), 0xFFFFFFFF);
    for (UiBox* box : {static_cast<UiBox*>(combo), static_cast<UiBox*>(image), static_cast<UiBox*>(viewport)})
        root->AddChild(box);
    root->Layout(200, 100);

    // A combo takes the colours of its state.
    const auto& back = static_cast<const test::RecordingMesh&>(*combo->backgroundMesh);
    for (int32_t state : {0, 1, 2, 3}) {
        combo->SetState(state);
        root->Layout(200, 100);
        uint32_t background = 0, text = 0;
        UiCombo::StateColors(state, background, text);
        EXPECT_EQ(back.textured[0].color, background) << state;
    }
    EXPECT_EQ(UiOptions::Get().Color(20), 0xFF334455u);

    // An image that cannot be read leaves the texture empty; the quad is there.
    EXPECT_EQ(image->texture->width, 0);
    const auto& quad = static_cast<const test::RecordingMesh&>(*image->quadMesh);
    ASSERT_EQ(quad.textured.size(), 6u);
    EXPECT_EQ(quad.textured[0].x, image->Box().x0);
    EXPECT_EQ(quad.textured[2].y, image->Box().y1);

    // A viewport: a target of its size, the scene asked for once a size,
    // and rendered.
    const UiBox::Rect r = viewport->Box();
    ASSERT_TRUE(viewport->target);
    EXPECT_EQ(viewport->target->ColorTexture()->width, int32_t(r.x1 - r.x0));
    EXPECT_EQ(viewport->target->ColorTexture()->height, int32_t(r.y1 - r.y0));
    EXPECT_EQ(target->log, "D");
    EXPECT_GE(viewport->renders, 1);
    root->Layout(200, 120);
    EXPECT_EQ(target->log, "DD");
    EXPECT_EQ(viewport->target->ColorTexture()->height, int32_t(viewport->Box().y1 - viewport->Box().y0));
}

}  // namespace

namespace {

// ---- the cell browser -------------------------------------------------------------------------

// A gate cell with a tag of each kind the browser edits, and one it cannot.
struct Browsed : GCell {
    void DeclareTags() override {
        GCell::DeclareTags();
        DeclareTag(WTXT("Name"), new StringCell);
        DeclareTag(WTXT("Count"), new IntCell);
        DeclareTag(WTXT("Size"), new Vec2FCell);
    }
};

// The texts of the UiText boxes below box, in tree order.
void Texts(const UiBox& box, std::vector<std::string>& out) {
    for (int32_t i = 0; i < box.children.count; ++i) {
        const UiBox* child = box.ChildBox(i);
        if (!child) continue;
        if (const auto* text = CellAs<UiText>(child)) out.push_back(test::U(text->Text()));
        Texts(*child, out);
    }
}

TEST_F(Edits, TheCellBrowser) {
    RegisterWindowCellClasses();
    auto* browsed = new Browsed;
    MakeGateCell(HddGateKey(WTXT("browsed.veldo")), browsed);
    browsed->AddChild(new Browsed);
    root->children.Clear();
    UiBox_Generate_CellsList_Msg build;
    root->Receive(build);
    root->Layout(600, 400);

    // The drag button carries the window-creation message.
    auto* create = CellAs<UiButton>(root->ChildBox(0));
    ASSERT_NE(create, nullptr);
    EXPECT_STREQ(test::U(create->Text()).c_str(), "Drag to create new Window");
    EXPECT_NE(CellAs<WndGx_CreateNew_Msg>(EvaluateScript(create->TagAt(UiButton::kStartDragScript))), nullptr);
    UiBox* row = root->ChildBox(1);
    EXPECT_STREQ(test::U(CellAs<UiButton>(row->ChildBox(0))->Text()).c_str(), "Expand all");
    EXPECT_STREQ(test::U(CellAs<UiButton>(row->ChildBox(1))->Text()).c_str(), "Collapse all");
    auto* view = test::Find<UiScrollView>(root.Get());
    ASSERT_NE(view, nullptr);
    EXPECT_GE(view->Box().y1 - view->Box().y0, 60);  // three rows at least

    std::vector<std::string> texts;
    Texts(*view, texts);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "-undefined control-"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Size"), texts.end());
    // Collapsed at first; "Expand all" shows every editor view.
    auto* editor = test::Find<UiCellEditor>(view);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Visibility(), 0);
    FireScript(CellAs<UiButton>(row->ChildBox(0))->TagAt(UiButton::kButtonUpScript));
    EXPECT_EQ(editor->Visibility(), 1);

    // The browsed cell's editor: its string tag is edited in place.
    UiCellEditor* mine = nullptr;
    for (UiBox* up = test::Find<UiEdit>(view); up && !mine; up = up->ParentBox()) mine = CellAs<UiCellEditor>(up);
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(mine->edited.Get(), browsed);

    // "Add bundle to children" takes the cell on the clipboard.
    auto* clipboard = dynamic_cast<ClipboardGate*>(FindGateCell(ClipboardGateKey())->Gate());
    StdHCell bundle;
    ASSERT_TRUE(WriteOneCell(*clipboard, bundle));
    IdxCell add;
    add.value = UiCellEditor::kAddBundleToChildren;
    mine->Receive(add);
    ASSERT_EQ(browsed->children.count, 2);
    EXPECT_EQ(browsed->children[1]->ClassKey(), StdHCell::kClassKey);
    // "Process" runs the cell's processing pass.
    IdxCell process;
    process.value = UiCellEditor::kProcess;
    browsed->MarkChanged();
    mine->Receive(process);
    EXPECT_FALSE(browsed->IsChanged());
}

}  // namespace

namespace {

// A pressed button with a drag script hands the script's cell to the drag
// and drop when the pointer starts dragging; its symbol is drawn in lines.
TEST_F(Widgets, ButtonsStartDragsAndDrawSymbols) {
    RegisterWindowCellClasses();
    test::WinePrefix prefix;
    auto* gate = dynamic_cast<DragDropGate*>(MakeGateCell(DragDropGateKey())->Gate());
    UiButton* button = AddButton(0);
    SetScript(*button->ValueTagAt(UiButton::kStartDragScript), new WndGx_CreateNew_Msg, target.Get());
    button->SetSymbol(UiButton::kArrowDown);
    root->Layout(100, 100);
    EXPECT_EQ(static_cast<const test::RecordingMesh&>(*button->symbolMesh).lines.size(), 6u);  // three strokes

    root->HandleEvent(Event(kWndLeftDragStart, 50, 90));  // not pressed: no drag
    EXPECT_FALSE(gate->Dragging());
    root->HandleEvent(Event(kWndLeftPress, 50, 90));
    root->HandleEvent(Event(kWndLeftDragStart, 50, 80));
    EXPECT_TRUE(gate->Dragging());
    EXPECT_NE(CellAs<WndGx_CreateNew_Msg>(gate->Payload()), nullptr);
    gate->DropComplete();
}

}  // namespace

namespace {

// Tab and Shift+Tab walk the buttons that can take the focus, in tree
// order, skipping hidden and hover-repeat ones; Enter and Space click the
// focused one; Escape clicks the cancel button.
TEST_F(Widgets, TheKeyboardMovesAmongButtons) {
    auto* row = new UiBox;
    row->Shape(UiBox::kLayoutHorizontal, kSizeRow);
    UiButton* buttons[4];
    const int32_t flags[4] = {0, UiButton::kHoverRepeat, 0, 0};
    for (int i = 0; i < 4; ++i) {
        buttons[i] = new UiButton(WTXT("B"), kSizeFlexible, flags[i], 2, 2);
        SetScript(*buttons[i]->ValueTagAt(UiButton::kButtonDownScript), new UiScrollView_ScrollDown_Msg, target.Get());
        SetScript(*buttons[i]->ValueTagAt(UiButton::kButtonUpScript), new UiScrollView_ScrollUp_Msg, target.Get());
        row->AddChild(buttons[i]);
    }
    buttons[3]->TagValueAs<ec_UiBoxVisibility>(UiBox::kVisible)->value = 0;
    root->AddChild(row);
    root->Layout(200, 100);

    const struct {
        WndEvent key;
        int focused;  // index, -1 none
        const char* log;
    } steps[] = {
        {test::KeyEvent(kWndKeyEnter), -1, ""},  // nothing focused: nothing happens
        {test::KeyEvent(kWndKeyTab), 0, ""},
        {test::KeyEvent(kWndKeyTab), 2, ""},     // the hover-repeat one is passed over
        {test::KeyEvent(kWndKeyTab), 0, ""},     // round, the hidden one passed over too
        {test::KeyEvent(kWndKeyTab, true), 2, ""},
        {test::KeyEvent(kWndKeyEnter), 2, "DU"},
        {test::KeyEvent(kWndKeySpace), 2, "DUDU"},
        {test::KeyEvent(kWndKeyEscape), 2, "DUDU"},  // no cancel button yet
    };
    for (const auto& s : steps) {
        root->HandleEvent(s.key);
        EXPECT_EQ(root->KeyboardFocus(), s.focused < 0 ? nullptr : buttons[s.focused]) << s.key.key;
        EXPECT_EQ(target->log, s.log) << s.key.key;
    }
    root->SetCancelBox(buttons[0]);
    root->HandleEvent(test::KeyEvent(kWndKeyEscape));
    EXPECT_EQ(target->log, "DUDUDU");

    // The ring shows around the focused button.
    root->Layout(200, 100);
    root->Draw(200, 100);
    ASSERT_TRUE(root->focusMesh);
    const auto& ring = static_cast<const test::RecordingMesh&>(*root->focusMesh);
    ASSERT_EQ(ring.lines.size(), 16u);
    EXPECT_EQ(ring.lines[0].x, buttons[2]->Box().x0 + 0.5f);
}

TEST_F(Widgets, AFocusedScrollViewFollowsTheKeys) {
    UiBox* content = Rows(40);
    FltParamCell rule;
    ApplySizeKind(kSizeFlexible, rule);
    UiScrollView* view = AddScrollView(rule, *root, content);
    root->Layout(200, 140);  // a 100 px view: four steps a page
    root->SetKeyboardFocus(view);
    for (const auto& [key, offset] : {std::pair{kWndKeyDown, 25.0f}, std::pair{kWndKeyPageDown, 125.0f},
                                      std::pair{kWndKeyUp, 100.0f}, std::pair{kWndKeyPageUp, 0.0f}}) {
        root->HandleEvent(test::KeyEvent(key));
        EXPECT_EQ(view->Offset(), offset) << key;
    }
}

}  // namespace
