// Boxes measured and arranged without a window: small trees in, the
// children's rectangles (x0, y0, x1, y1, y up) out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cell/core/links.h"
#include "cell/std_cells.h"
#include "ui/size_rule.h"
#include "ui/ui_choice_cells.h"
#include "support/test_support.h"
#include "ui/ui_box.h"

namespace {

// A child: its size kind, and a minimum to raise its rule to (0: none).
struct Child {
    int32_t kind = kSizeFlexible;
    float minimum = 0;
};

UiBox* MakeBox(int32_t layout, int32_t kind) {
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

}  // namespace
