// Boxes measured and arranged without a window: small trees in, the
// children's rectangles (x0, y0, x1, y1, y up) out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/links.h"
#include "cell/gates.h"
#include "cell/register_cells.h"
#include "cell/std_cells.h"
#include "ui/size_rule.h"
#include "ui/ui_choice_cells.h"
#include "ui/ui_messages.h"
#include "ui/ui_scroll_view.h"
#include "support/test_support.h"
#include "ui/register_ui_cells.h"
#include "ui/ui_box.h"
#include "ui/ui_splitter.h"
#include "support/register_once.h"

namespace {

// A child: its size kind, and a minimum to raise its rule to (0: none).
struct Child {
    int32_t kind = kSizeFlexible;
    float minimum = 0;
};

// Boxes know their kinds through the class registry, as in the program.
void RegisterClasses() {
    test::RegisterOnce<RegisterModelCellClasses, RegisterUiCellClasses>();
}

UiBox* MakeBox(int32_t layout, int32_t kind) {
    RegisterClasses();
    auto* box = new UiBox;
    box->Shape(layout, kind);
    return box;
}

std::string Rects(const UiBox& parent) {
    std::string out;
    char buffer[96];
    for (int32_t i = 0; i < parent.children.count; ++i) {
        const UiBox::Rect r = parent.ChildBox(i)->Box();
        std::snprintf(buffer, sizeof buffer, "%s(%g %g %g %g)", i ? " " : "", r.x0, r.y0, r.x1, r.y1);
        out += buffer;
    }
    return out;
}

TEST(UiLayout, StacksShareTheirLength) {
    const struct {
        const char* name;
        int32_t layout;
        float width, height;
        const char* title;
        std::vector<Child> children;
        const char* rects;
    } cases[] = {
        {"two flexible children in 300 px", UiBox::kLayoutHorizontal, 300, 40, "", {{}, {}},
         "(0 0 150 40) (150 0 300 40)"},
        {"one with a minimum of 200", UiBox::kLayoutHorizontal, 300, 40, "", {{kSizeFlexible, 200}, {}},
         "(0 0 200 40) (200 0 300 40)"},
        {"three rows stack from the top", UiBox::kLayoutVertical, 60, 100, "", {{kSizeRow}, {kSizeRow}, {kSizeRow}},
         "(0 80 60 100) (0 60 60 80) (0 40 60 60)"},
        {"three rows in 50 px keep their height and overflow at the bottom", UiBox::kLayoutVertical, 60, 50, "",
         {{kSizeRow}, {kSizeRow}, {kSizeRow}}, "(0 30 60 50) (0 10 60 30) (0 -10 60 10)"},
        {"a title band takes margin and row off the top", UiBox::kLayoutVertical, 60, 100, "Title", {{}, {}},
         "(0 37.5 60 75) (0 0 60 37.5)"},
        {"a fixed margin between flexible boxes", UiBox::kLayoutHorizontal, 105, 20, "",
         {{}, {kSizeMargin}, {}}, "(0 0 50 20) (50 0 55 20) (55 0 105 20)"},
    };
    for (const auto& c : cases) {
        SObject<UiBox> parent(MakeBox(c.layout, kSizeFlexible));
        parent->TagValueAs<StringCell>(UiBox::kBoxTitle)->SetText(test::W(c.title).CStr());
        for (const Child& child : c.children) {
            UiBox* box = MakeBox(UiBox::kLayoutNone, child.kind);
            if (child.minimum > 0) box->SizeRule()->rule.values[0] = child.minimum;
            parent->AddChild(box);
        }
        parent->SetBox(0, 0, c.width, c.height);
        parent->Arrange();
        EXPECT_EQ(Rects(*parent), c.rects) << c.name;
    }
}

TEST(UiLayout, Measuring) {
    // A leaf is one row square; a hidden box 0 x 0.
    SObject<UiBox> leaf(MakeBox(UiBox::kLayoutNone, kSizeFlexible));
    leaf->Measure();
    EXPECT_EQ(leaf->measuredWidth, 20);
    EXPECT_EQ(leaf->measuredHeight, 20);
    SObject<UiBox> hidden(MakeBox(UiBox::kLayoutVertical, kSizeFlexible));
    hidden->TagValueAs<ec_UiBoxVisibility>(UiBox::kVisible)->value = 0;
    hidden->AddChild(MakeBox(UiBox::kLayoutNone, kSizeRow));
    hidden->Measure();
    EXPECT_EQ(hidden->measuredWidth, 0);
    EXPECT_EQ(hidden->measuredHeight, 0);

    // A horizontal stack: the children's widths (each at least its rule's
    // minimum) add up; its height is the tallest visible child's.
    SObject<UiBox> row(MakeBox(UiBox::kLayoutHorizontal, kSizeFlexible));
    UiBox* a = MakeBox(UiBox::kLayoutNone, kSizeFlexible);
    UiBox* b = MakeBox(UiBox::kLayoutNone, kSizeTwoRows);  // minimum 40
    UiBox* c = MakeBox(UiBox::kLayoutNone, kSizeFlexible);
    a->TagValueAs<ec_UiBoxVisibility>(UiBox::kVisible)->value = 1;
    row->AddChild(a);
    row->AddChild(b);
    row->AddChild(c);
    row->Measure();
    EXPECT_EQ(row->measuredWidth, 20 + 40 + 20);
    EXPECT_EQ(row->measuredHeight, 20);  // only a says it is visible
}

// The kinds of the children in order: B a box, S a splitter.
std::string Kinds(const UiBox& parent) {
    std::string out;
    for (int32_t i = 0; i < parent.children.count; ++i)
        out += parent.children[i]->ClassKey() == UiSplitter::kClassKey ? 'S' : 'B';
    return out;
}

TEST(UiBoxMessages, Splitting) {
    // An empty box: box, splitter, box, stacked across its own direction.
    SObject<UiBox> empty(MakeBox(UiBox::kLayoutHorizontal, kSizeFlexible));
    UiBox_SplitTo2_Msg two;
    empty->Receive(two);
    EXPECT_EQ(Kinds(*empty), "BSB");
    EXPECT_EQ(empty->ChildBox(0)->ChildLayoutType(), UiBox::kLayoutVertical);
    EXPECT_FALSE(empty->ChildBox(0)->Box().valid);  // no rectangle yet: arranged later

    // A box with children: splitter, box, splitter, box after them; with a
    // rectangle it is arranged at once.
    SObject<UiBox> filled(MakeBox(UiBox::kLayoutVertical, kSizeFlexible));
    filled->AddChild(MakeBox(UiBox::kLayoutNone, kSizeFlexible));
    filled->SetBox(0, 0, 100, 210);
    UiBox_SplitTo3_Msg three;
    filled->Receive(three);
    EXPECT_EQ(Kinds(*filled), "BSBSBSB");
    EXPECT_EQ(filled->ChildBox(2)->ChildLayoutType(), UiBox::kLayoutHorizontal);
    // Four flexible boxes share 210 - 3 x 5 pixels.
    EXPECT_EQ(Rects(*filled),
              "(0 161.25 100 210) (0 156.25 100 161.25) (0 107.5 100 156.25) (0 102.5 100 107.5) "
              "(0 53.75 100 102.5) (0 48.75 100 53.75) (0 0 100 48.75)");
}

TEST(UiBoxMessages, LayoutVisibilityDeletingAndAdding) {
    SObject<UiBox> root(MakeBox(UiBox::kLayoutVertical, kSizeFlexible));
    UiBox* middle = MakeBox(UiBox::kLayoutVertical, kSizeFlexible);
    UiBox* leaf = MakeBox(UiBox::kLayoutNone, kSizeRow);
    root->AddChild(middle);
    middle->AddChild(leaf);
    root->ClearChanged();
    middle->ClearChanged();
    leaf->ClearChanged();

    UiBox_Set_ChildLayout_Horizontal_Msg horizontal;
    middle->Receive(horizontal);
    EXPECT_EQ(middle->ChildLayoutType(), UiBox::kLayoutHorizontal);
    EXPECT_TRUE(root->IsChanged());  // the layout is invalid up the tree

    UiBox_Visibility hide;
    hide.value = 0;
    leaf->Receive(hide);
    EXPECT_EQ(leaf->Visibility(), 0);

    root->ClearChanged();
    UiBox_Process_TimeDelta_Act tick;
    tick.value = 0.016f;
    leaf->Receive(tick);
    EXPECT_TRUE(leaf->IsChanged());

    // Only boxes are added from an act's bundle.
    HCell_AddChild_Act add;
    add.AddChild(MakeBox(UiBox::kLayoutNone, kSizeRow));
    add.AddChild(new StdHCell);
    middle->Receive(add);
    EXPECT_EQ(middle->children.count, 2);

    UiBox_DeleteAllChildren_Msg clear;
    middle->Receive(clear);
    EXPECT_EQ(middle->children.count, 0);
    UiBox_Delete_Msg remove;
    middle->Receive(remove);  // gone from its parent, and destroyed
    EXPECT_EQ(root->children.count, 0);
}

// A view 100 px tall over a content of rows 20 px each.
struct ScrollFixture {
    SObject<UiScrollView> view{new UiScrollView};
    explicit ScrollFixture(int rows) {
        RegisterClasses();
        view->Shape(UiBox::kLayoutVertical, kSizeFlexible);
        UiBox* content = MakeBox(UiBox::kLayoutVertical, kSizeFlexible);
        for (int i = 0; i < rows; ++i) content->AddChild(MakeBox(UiBox::kLayoutNone, kSizeRow));
        view->AddChild(content);
        view->SetBox(0, 0, 50, 100);
        view->Measure();
        view->Arrange();
    }
    UiBox::Rect Content() const { return view->ChildBox(0)->Box(); }
};

TEST(UiScrollView, ScrollingAndTheButtons) {
    {
        ScrollFixture shortContent(3);  // 60 px in a 100 px view
        EXPECT_EQ(shortContent.view->measuredHeight, 20);  // a row, whatever the content
        EXPECT_FALSE(shortContent.view->ButtonsShown());
        UiScrollView_ScrollDown_Msg down;
        shortContent.view->Receive(down);
        EXPECT_EQ(shortContent.view->Offset(), 0);
        // The content is at least as tall as the view, from its top.
        const UiBox::Rect c = shortContent.Content();
        EXPECT_EQ(c.y0, 0);
        EXPECT_EQ(c.y1, 100);
    }
    ScrollFixture tall(10);  // 200 px in a 100 px view
    UiScrollView_Button_Vis_Act shown;
    tall.view->Receive(shown);
    EXPECT_TRUE(shown.value);
    UiScrollView_ScrollDown_Msg down;
    tall.view->Receive(down);
    EXPECT_EQ(tall.view->Offset(), 25);  // one step: row + margin
    tall.view->Arrange();
    EXPECT_EQ(tall.Content().y1, 125);  // its top 25 px above the view's
    EXPECT_EQ(tall.Content().y0, -75);
    tall.view->ScrollBy(10);
    EXPECT_EQ(tall.view->Offset(), 100);  // stops at content - view
    UiScrollView_ScrollUp_Msg up;
    tall.view->Receive(up);
    EXPECT_EQ(tall.view->Offset(), 75);
    tall.view->ScrollBy(-10);
    EXPECT_EQ(tall.view->Offset(), 0);
}

}  // namespace
