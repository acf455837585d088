#include "ui/widgets/scroll_view_builder.h"

#include "cell/scripts.h"
#include "cell/tags.h"
#include "ui/size_rule.h"
#include "ui/ui_messages.h"
#include "ui/ui_scroll_view.h"
#include "ui/widgets/ui_button.h"
#include "ui/widgets/ui_scroll.h"

namespace {

// A transparent button that scrolls the view while the pointer rests on
// it, shown only while there is something to scroll.
UiButton* ScrollButton(const WChar* title, Cell* message, UiScrollView& view) {
    auto* button = new UiButton(title, kSizeRow, UiButton::kHoverRepeat | UiButton::kTransparent, kAlignCenterX, kAlignCenterY);
    SetScript(*button->ValueTagAt(UiButton::kButtonDownScript), message, &view);
    SetScript(*button->ValueTagAt(UiButton::kIsVisibleScript), new UiScrollView_Button_Vis_Act, &view);
    return button;
}

}  // namespace

UiScrollView* AddScrollView(const FltParamCell& rule, UiBox& parent, UiBox* content) {
    auto* outer = new UiBox;
    outer->Shape(UiBox::kLayoutHorizontal, kSizeAsGiven);
    outer->SizeRule()->CopyFrom(rule);
    auto* column = new UiBox;
    column->Shape(UiBox::kLayoutVertical, kSizeFlexible);
    auto* view = new UiScrollView;
    view->Shape(UiBox::kLayoutVertical, kSizeFlexible);
    if (content) {
        if (HCell* from = content->ParentCell())
            if (int32_t at = from->children.IndexOf(content); at >= 0) from->DetachChild(at);
        view->AddChild(content);
    }
    column->AddChild(ScrollButton(WTXT("[ up ]"), new UiScrollView_ScrollUp_Msg, *view));
    column->AddChild(view);
    column->AddChild(ScrollButton(WTXT("[ down ]"), new UiScrollView_ScrollDown_Msg, *view));
    outer->AddChild(column);
    auto* bar = new UiScroll;
    bar->Bind(*view);
    outer->AddChild(bar);
    parent.AddChild(outer);
    return view;
}
