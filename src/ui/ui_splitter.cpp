#include "ui/ui_splitter.h"

#include <algorithm>
#include <initializer_list>

#include "ui/ui_mesh.h"
#include "ui/ui_messages.h"
#include "ui/ui_options.h"
#include "ui/ui_root_services.h"

UiSplitter::UiSplitter() { color.Set(SplitterRestColor()); }

bool UiSplitter::Vertical() const {
    const UiBox* parent = ParentBox();
    return parent && parent->ChildLayoutType() == kLayoutVertical;
}

float UiSplitter::EdgeOf(const Rect& r) const { return Vertical() ? r.y1 : r.x0; }

void UiSplitter::Measure() {
    if (!IsChanged()) return;
    const float thickness = SizeRule() ? SizeRule()->value : 0;
    measuredWidth = measuredHeight = Visibility() == 0 ? 0 : thickness;
}

// ---- behaviour ------------------------------------------------------------------------

void UiSplitter::SetState(int32_t next) {
    if (next == state) return;
    state = next;
    if (state == kRest) color.FadeTo(SplitterRestColor());
    else if (state == kHover) color.PulseTo(SplitterHoverColor());
    else color.Set(UiOptions::Get().Color(UiOptions::kSplitterDragged));
    if (UiRootServices* services = Services()) services->JoinTimer(*this);
    MarkChanged();
}

void UiSplitter::KeepSiblingSizes() {
    UiBox* parent = ParentBox();
    if (!parent) return;
    for (int32_t i = 0; i < parent->children.count; ++i)
        if (UiBox* sibling = parent->ChildBox(i))
            if (FltParamCell* rule = sibling->SizeRule(); rule && rule->rule.mode == kRuleFlexible)
                rule->rule.weight = rule->value;
}

void UiSplitter::MoveEdge(float to) {
    UiBox* parent = ParentBox();
    const int32_t at = parent ? parent->children.IndexOf(this) : -1;
    UiBox* before = at > 0 ? parent->ChildBox(at - 1) : nullptr;
    UiBox* after = parent && at + 1 < parent->children.count ? parent->ChildBox(at + 1) : nullptr;
    FltParamCell* grow = before ? before->SizeRule() : nullptr;
    FltParamCell* shrink = after ? after->SizeRule() : nullptr;
    if (!grow || !shrink) return;
    // Along the stack: rightwards in a horizontal one, downwards in a
    // vertical one (whose y grows upwards).
    const float current = EdgeOf(Box());
    float delta = Vertical() ? current - to : to - current;
    delta = std::min(delta, grow->rule.Maximum() - grow->value);
    delta = std::max(delta, grow->rule.Minimum() - grow->value);
    delta = std::min(delta, shrink->value - shrink->rule.Minimum());
    delta = std::max(delta, shrink->value - shrink->rule.Maximum());
    if (delta == 0) return;
    grow->value += delta;
    shrink->value -= delta;
    for (FltParamCell* rule : {grow, shrink})
        if (rule->rule.mode == kRuleFlexible) rule->rule.weight = rule->value;
    parent->InvalidateLayout();
}

bool UiSplitter::Input(const WndEvent& event) {
    const Rect r = Box();
    if (!r.valid || Visibility() == 0) return false;
    const bool inside = HitTest(event.x, event.y);
    const float along = Vertical() ? event.y : event.x;
    switch (ui_pointer::StepOf(event, inside, state == kDragged)) {
        case ui_pointer::Step::kPress:
            grip.Take(along, EdgeOf(r));
            edge = EdgeOf(r);
            KeepSiblingSizes();
            SetState(kDragged);
            MarkChanged();
            return true;
        case ui_pointer::Step::kDrag:
            edge = grip.HandleAt(along);
            MoveEdge(edge);
            MarkChanged();
            return true;
        case ui_pointer::Step::kRelease:
            // The release that ends this splitter's own drag lets the layout
            // go again; other drags' releases leave it as it is (and go on to
            // whoever takes them).
            SetState(inside ? kHover : kRest);
            return false;
        case ui_pointer::Step::kMove:
            if (!inside) SetState(kRest);
            else if (state == kRest) SetState(kHover);
            return false;
        case ui_pointer::Step::kLeave:
            SetState(kRest);
            return false;
        default: return false;
    }
}

void UiSplitter::TimePassed(float seconds) {
    color.Advance(seconds);
    if (!color.Animating())
        if (UiRootServices* services = Services()) services->LeaveTimer(*this);
    MarkChanged();
}

// ---- drawing ----------------------------------------------------------------------------

void UiSplitter::Process() {
    if (!IsChanged()) return;
    const Rect r = Box();
    UiMesh mesh;
    if (r.valid && Visibility() != 0) mesh.Rect(GxBox{r.x0, r.y0, r.x1, r.y1, true}, color.CurrentArgb());
    mesh.StoreShapes(barMesh, WhiteMaterial());
    UiBox::Process();
}

void UiSplitter::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    if (barMesh) draw.QueueMesh(*barMesh);
}
