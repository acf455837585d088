#include "ui/ui_scroll_view.h"

#include <algorithm>
#include <cmath>

#include "cell/tags.h"
#include "ui/ui_messages.h"
#include "ui/ui_options.h"

void UiScrollView::DeclareTags() {
    UiBox::DeclareTags();
    DeclareTag(WTXT("ViewOffsetY"), new FloatCell);
}

float UiScrollView::Offset() const {
    const auto* offset = TagValueAs<FloatCell>(kViewOffsetY);
    return offset ? offset->value : 0;
}

float UiScrollView::ContentHeight() const { return children.count == 1 && ChildBox(0) ? ChildBox(0)->measuredHeight : 0; }

float UiScrollView::ViewHeight() const {
    const Rect r = Box();
    return r.valid ? r.y1 - r.y0 : 0;
}

void UiScrollView::SetOffset(float offset) {
    if (children.count != 1) return;
    if (Box().valid) {
        const float most = ContentHeight() - ViewHeight();
        if (offset > most) offset = most;
        if (offset < 0) offset = 0;  // the lower bound wins for short content
    }
    if (auto* cell = TagValueAs<FloatCell>(kViewOffsetY)) cell->value = offset;
    if (Tag* tag = ValueTagAt(kViewOffsetY)) tag->MarkChanged();  // and so what shows the offset
    InvalidateLayout();
}

void UiScrollView::ScrollBy(float steps) {
    const UiOptions& o = UiOptions::Get();
    SetOffset(Offset() + steps * (o.Row() + o.Margin()));
}

bool UiScrollView::ButtonsShown() const {
    return !(children.count == 1 && Box().valid && ContentHeight() <= ViewHeight());
}

void UiScrollView::Measure() {
    if (!IsChanged()) return;
    for (int32_t i = 0; i < children.count; ++i)
        if (UiBox* child = ChildBox(i)) child->Measure();
    measuredWidth = measuredHeight = UiOptions::Get().Row();
}

void UiScrollView::Arrange() {
    const Rect r = Box();
    UiBox* content = children.count == 1 ? ChildBox(0) : nullptr;
    if (!r.valid || !content) return;
    const float view = r.y1 - r.y0;
    const float extent = content->measuredHeight > view ? content->measuredHeight : view;
    float offset = Offset();
    if (offset > extent - view) offset = extent - view;
    if (offset < 0) offset = 0;
    if (auto* cell = TagValueAs<FloatCell>(kViewOffsetY)) cell->value = offset;
    // What shows the offset (a scroll bar) follows the view's new extents.
    if (Tag* tag = ValueTagAt(kViewOffsetY)) tag->MarkChanged();
    content->SetBox(r.x0, r.y1 - extent + offset, r.x1, r.y1 + offset);
}

bool UiScrollView::Input(const WndEvent& event) {
    if (!Box().valid || Visibility() == 0) return false;
    const bool inside = HitTest(event.x, event.y);
    switch (event.type) {
        case kWndScroll:
            if (!inside) return false;
            // Whole steps, and at least one for any turn of the wheel.
            if (event.scrollY != 0) ScrollBy(-(event.scrollY > 0 ? std::ceil(event.scrollY) : std::floor(event.scrollY)));
            return true;
        case kWndLeftPress:
        case kWndRightPress:
        case kWndMiddlePress:
        case kWndDoubleClick:
        case kWndLeftDragStart:
        case kWndRightDragStart:
        case kWndLeftDrop:
        case kWndRightDrop:
            if (!inside) return false;
            break;
        default: break;
    }
    if (UiBox* content = children.count == 1 ? ChildBox(0) : nullptr) return content->Input(event);
    return false;
}

void UiScrollView::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    const Rect r = Box();
    if (frameMesh) draw.QueueMesh(*frameMesh);
    if (!r.valid) return;
    draw.PushClip(GxBox{r.x0, r.y0, r.x1, r.y1, true});
    DrawChildren(draw);
    draw.PopClip();
}

bool UiScrollView::TakesKeyboardFocus() const { return Box().valid && Visibility() != 0 && ButtonsShown(); }

bool UiScrollView::FocusKey(const WndEvent& event) {
    const UiOptions& o = UiOptions::Get();
    const float page = std::max(1.0f, std::floor(ViewHeight() / (o.Row() + o.Margin())));
    switch (event.key) {
        case kWndKeyUp: ScrollBy(-1); return true;
        case kWndKeyDown: ScrollBy(1); return true;
        case kWndKeyPageUp: ScrollBy(-page); return true;
        case kWndKeyPageDown: ScrollBy(page); return true;
        default: return false;
    }
}

bool UiScrollView::Accepts(CellKey key) const {
    return UiBox::Accepts(key) || key == UiScrollView_ScrollUp_Msg::kClassKey ||
           key == UiScrollView_ScrollDown_Msg::kClassKey || key == UiScrollView_Button_Vis_Act::kClassKey;
}

SSlave<Cell> UiScrollView::Receive(Cell& message) {
    const CellKey key = message.ClassKey();
    if (key == UiScrollView_ScrollUp_Msg::kClassKey) ScrollBy(-1);
    else if (key == UiScrollView_ScrollDown_Msg::kClassKey) ScrollBy(1);
    else if (key == UiScrollView_Button_Vis_Act::kClassKey)
        static_cast<UiScrollView_Button_Vis_Act&>(message).value = ButtonsShown();  // the answer, in the act
    else return UiBox::Receive(message);
    return {};
}
