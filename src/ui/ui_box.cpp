#include "ui/ui_box.h"

#include "cell/gate_table.h"
#include "cell/gates.h"
#include "cell/registry.h"
#include "cell/tags.h"
#include "gx/font_gx.h"
#include "ui/size_rule.h"
#include "ui/ui_choice_cells.h"
#include "ui/ui_mesh.h"
#include "ui/ui_options.h"
#include "ui/ui_root_services.h"

void UiBox::DeclareTags() {
    HCell::DeclareTags();
    DeclareTag(WTXT("Box"), new FltBox2);
    DeclareTag(WTXT("ChildLayoutType"), new ec_LayHV);
    // Flexible by default: value and weight 100, from 0 to the largest float.
    auto* layout = new FltParamCell;
    ApplySizeKind(kSizeFlexible, *layout);
    DeclareTag(WTXT("Layout"), layout);
    DeclareTag(WTXT("BoxTitle"), new StringCell);
    DeclareTag(WTXT("Visible"), new ec_UiBoxVisibility);
}

bool UiBox::AcceptsChild(CellKey key) const { return IsA(key, UiBox::kClassKey); }

void UiBox::InsertChild(int32_t index, HCell* child) {
    HCell::InsertChild(index, child);
    if (auto* box = CellAs<UiBox>(child)) box->InvalidateLayout();  // and so this box's
    else InvalidateLayout();
}

int32_t UiBox::AddChild(HCell* child) {
    const int32_t index = HCell::AddChild(child);
    if (auto* box = CellAs<UiBox>(child)) box->InvalidateLayout();
    else InvalidateLayout();
    return index;
}

// ---- tags and shape -------------------------------------------------------------

void UiBox::Shape(int32_t childLayout, int32_t sizeKind) {
    if (auto* layout = TagValueAs<ec_LayHV>(kChildLayoutType)) layout->value = childLayout;
    if (FltParamCell* rule = SizeRule()) ApplySizeKind(sizeKind, *rule);
}

void UiBox::SetTitle(const WChar* title) {
    auto* cell = TagValueAs<StringCell>(kBoxTitle);
    if (!cell) return;
    cell->value.Assign(title);
    if (Tag* tag = ValueTagAt(kBoxTitle)) tag->MarkChanged();
    InvalidateLayout();  // a title band takes room from the children
}

int32_t UiBox::ChildLayoutType() const {
    const auto* layout = TagValueAs<ec_LayHV>(kChildLayoutType);
    return layout ? layout->value : kLayoutNone;
}

int32_t UiBox::Visibility() const {
    const auto* visible = TagValueAs<ec_UiBoxVisibility>(kVisible);
    return visible ? visible->value : -1;
}

bool UiBox::HasTitle() const {
    const auto* title = TagValueAs<StringCell>(kBoxTitle);
    return title && !title->value.IsEmpty();
}

const WChar* UiBox::Title() const {
    const auto* title = TagValueAs<StringCell>(kBoxTitle);
    return title ? title->value.CStr() : WTXT("");
}

FltParamCell* UiBox::SizeRule() const { return TagValueAs<FltParamCell>(kLayout); }

UiBox::Rect UiBox::Box() const {
    const auto* box = TagValueAs<FltBox2>(kBox);
    return box ? box->value : Rect{};
}

void UiBox::SetBox(float x0, float y0, float x1, float y1) {
    auto* box = TagValueAs<FltBox2>(kBox);
    if (!box) return;
    const Rect next{x0, y0, x1, y1, true};
    // The same rectangle again leaves the box as it is: a layout that did
    // not move it needs no new meshes below.
    if (box->value == next) return;
    box->value = next;
    if (Tag* tag = ValueTagAt(kBox)) tag->MarkChanged();
}

UiBox* UiBox::ChildBox(int32_t index) const { return CellAs<UiBox>(children.At(index)); }

UiBox* UiBox::ParentBox() const { return CellAs<UiBox>(ParentCell()); }

UiRootServices* UiBox::Services() const {
    for (HCell* cell = const_cast<UiBox*>(this); cell; cell = cell->ParentCell())
        if (auto* services = dynamic_cast<UiRootServices*>(cell)) return services;
    return nullptr;
}

MaterialGx* UiBox::WhiteMaterial() const {
    UiRootServices* services = Services();
    return services ? services->WhiteMaterial() : nullptr;
}

const FontGx* UiBox::BodyFont() const {
    UiRootServices* services = Services();
    return services ? services->Font(UiRootServices::kBodyFont) : nullptr;
}

// ---- measure and arrange ----------------------------------------------------------

void UiBox::Measure() {
    if (!IsChanged()) return;
    const float row = UiOptions::Get().Row();
    if (Visibility() == 0) {
        measuredWidth = measuredHeight = 0;
        return;
    }
    const int32_t layout = ChildLayoutType();
    if (layout == kLayoutNone) {
        measuredWidth = measuredHeight = row;
        return;
    }
    float along = 0, across = 0;
    for (int32_t i = 0; i < children.count; ++i) {
        UiBox* child = ChildBox(i);
        if (!child) continue;
        child->Measure();
        const float minimum = child->SizeRule() ? child->SizeRule()->rule.Minimum() : 0;
        const float extent = layout == kLayoutHorizontal ? child->measuredWidth : child->measuredHeight;
        const float breadth = layout == kLayoutHorizontal ? child->measuredHeight : child->measuredWidth;
        along += extent > minimum ? extent : minimum;
        if (child->Visibility() == 1 && breadth > across) across = breadth;
    }
    measuredWidth = layout == kLayoutHorizontal ? along : across;
    measuredHeight = layout == kLayoutHorizontal ? across : along;
}

void UiBox::Arrange() {
    Rect r = Box();
    const int32_t layout = ChildLayoutType();
    if (!r.valid || layout == kLayoutNone || children.count == 0) return;
    if (HasTitle()) r.y1 -= UiOptions::Get().Margin() + UiOptions::Get().Row();
    DynamicArray<FltParamCell*> rules;
    bool held = false;
    for (int32_t i = 0; i < children.count; ++i) {
        UiBox* child = ChildBox(i);
        rules.Append(child ? child->SizeRule() : nullptr);
        held = held || (child && child->HoldsLayout());
    }
    if (!held) DistributeLength(layout == kLayoutHorizontal ? r.x1 - r.x0 : r.y1 - r.y0, rules.data, rules.count);
    // Hidden children keep their share.
    float at = layout == kLayoutHorizontal ? r.x0 : r.y1;
    for (int32_t i = 0; i < children.count; ++i) {
        UiBox* child = ChildBox(i);
        if (!child || !rules[i]) continue;
        const float size = rules[i]->value;
        if (layout == kLayoutHorizontal) {
            child->SetBox(at, r.y0, at + size, r.y1);
            at += size;
        } else {
            child->SetBox(r.x0, at - size, r.x1, at);
            at -= size;
        }
    }
}

void UiBox::InvalidateLayout() {
    for (UiBox* box = this; box; box = box->ParentBox()) {
        if (Tag* tag = box->ValueTagAt(kBox)) tag->MarkChanged();
        box->MarkChanged();
    }
}

// ---- processing -----------------------------------------------------------------

bool UiBox::FitRuleToContent() {
    UiBox* parent = ParentBox();
    FltParamCell* rule = SizeRule();
    // An empty plain box (a spacer, a filler) has no content to fit: its
    // rule says its size, also below one row.
    if (!parent || !rule || (children.count == 0 && ClassKey() == UiBox::kClassKey)) return false;
    Measure();
    const float extent = parent->ChildLayoutType() == kLayoutVertical ? measuredHeight : measuredWidth;
    bool changed = false;
    if (rule->rule.mode == kRuleClamped && extent > rule->value) {
        SetRuleMaximum(*rule, extent);
        rule->rule.weight = extent;
        rule->SetValue(extent);
        changed = true;
    }
    if (extent > rule->rule.Minimum()) {
        SetRuleMinimum(*rule, extent);
        changed = true;
    }
    return changed;
}

void UiBox::Process() {
    if (!IsChanged()) return;
    Tag* title = ValueTagAt(kBoxTitle);
    Tag* box = ValueTagAt(kBox);
    const bool boxChanged = box && box->IsChanged();
    // The title sits in the rectangle's top band: it follows both.
    if ((title && title->IsChanged()) || boxChanged) RebuildTitleMesh();
    if (boxChanged) {
        RebuildFrameMesh();
        if (FitRuleToContent() && ParentBox()) ParentBox()->InvalidateLayout();
        Arrange();
    }
    HCell::Process();
}

void UiBox::RebuildTitleMesh() {
    const FontGx* font = BodyFont();
    const Rect r = Box();
    UiMesh mesh;
    // Hidden boxes show no title.
    if (HasTitle() && Visibility() != 0 && r.valid && font) {
        const float row = UiOptions::Get().Row();
        mesh.AlignedText(*font, GxBox{r.x0, r.y1 - row, r.x1, r.y1, true}, Title(), kAlignLeft, kAlignCenterY,
                         UiOptions::Get().Color(UiOptions::kTitleColor));
    }
    mesh.StoreText(titleMesh, font);
}

void UiBox::RebuildFrameMesh() {
    const Rect r = Box();
    UiMesh mesh;
    if (r.valid && Visibility() != 0) mesh.Outline(GxBox{r.x0, r.y0, r.x1, r.y1, true}, kFrameColor);
    mesh.StoreShapes(frameMesh, WhiteMaterial());
}

// ---- drawing ----------------------------------------------------------------------

void UiBox::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    if (frameMesh) draw.QueueMesh(*frameMesh);
    if (titleMesh) draw.QueueMesh(*titleMesh);
    DrawChildren(draw);
}

void UiBox::DrawChildren(DrawGx& draw) {
    for (int32_t i = 0; i < children.count; ++i)
        if (UiBox* child = ChildBox(i)) child->Draw(draw);
}

// ---- input --------------------------------------------------------------------------

bool UiBox::HitTest(float x, float y) const { return Box().Contains(x, y); }

bool UiBox::TitleHitTest(float x, float y) const {
    const Rect r = Box();
    const UiOptions& o = UiOptions::Get();
    return HasTitle() && HitTest(x, y) && y >= r.y1 - (o.Margin() + o.Row());
}

bool UiBox::TakesDrops() const { return ClassKey() == UiBox::kClassKey; }

bool UiBox::InsideAnyChild(float x, float y) const {
    for (int32_t i = 0; i < children.count; ++i)
        if (UiBox* child = ChildBox(i); child && child->HitTest(x, y)) return true;
    return false;
}

bool UiBox::Input(const WndEvent& event) {
    if (!Box().valid || Visibility() == 0) return false;
    const float x = event.x, y = event.y;
    switch (event.type) {
        case kWndLeftDragStart:
            // A titled plain box is picked up by its title band.
            if (ClassKey() == UiBox::kClassKey && TitleHitTest(x, y)) {
                if (DragDropGate* gate = FindDragDropGate()) gate->BeginDrag(*this);
                return true;
            }
            break;
        case kWndLeftDrag:
            if (HitTest(x, y) && !InsideAnyChild(x, y)) return false;
            break;
        case kWndLeftDrop: {
            // The innermost box that takes drops gets the dropped cell: the
            // children are asked first. A release that ends some other drag
            // (a splitter's) goes down to every child as any event.
            DragDropGate* gate = FindDragDropGate();
            if (!gate || !gate->Dragging()) break;
            for (int32_t i = 0; i < children.count; ++i)
                if (UiBox* child = ChildBox(i); child && child->Input(event)) return true;
            if (!TakesDrops() || !(HasTitle() ? TitleHitTest(x, y) : HitTest(x, y))) return false;
            if (Cell* dropped = gate->Payload()) Receive(*dropped);
            gate->DropComplete();
            return true;
        }
        default: break;
    }
    for (int32_t i = 0; i < children.count; ++i)
        if (UiBox* child = ChildBox(i)) child->Input(event);
    return false;
}
