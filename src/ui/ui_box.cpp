#include "ui/ui_box.h"

#include "cell/gates.h"
#include "cell/registry.h"
#include "cell/tags.h"
#include "ui/size_rule.h"
#include "ui/ui_options.h"
#include "ui/ui_choice_cells.h"
#include "ui/ui_messages.h"

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

// ---- shape and tags ------------------------------------------------------------

void UiBox::Shape(int32_t childLayout, int32_t sizeKind) {
    if (auto* layout = TagValueAs<ec_LayHV>(kChildLayoutType)) layout->value = childLayout;
    if (FltParamCell* rule = SizeRule()) ApplySizeKind(sizeKind, *rule);
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

FltParamCell* UiBox::SizeRule() const { return TagValueAs<FltParamCell>(kLayout); }

UiBox::Rect UiBox::Box() const {
    const auto* box = TagValueAs<FltBox2>(kBox);
    return box ? box->value : Rect{};
}

void UiBox::SetBox(float x0, float y0, float x1, float y1) {
    auto* box = TagValueAs<FltBox2>(kBox);
    if (!box) return;
    box->value = Rect{x0, y0, x1, y1, true};
    if (Tag* tag = ValueTagAt(kBox)) tag->MarkChanged();
}

UiBox* UiBox::ChildBox(int32_t index) const { return CellAs<UiBox>(children.At(index)); }

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
    for (int32_t i = 0; i < children.count; ++i) rules.Append(ChildBox(i) ? ChildBox(i)->SizeRule() : nullptr);
    DistributeLength(layout == kLayoutHorizontal ? r.x1 - r.x0 : r.y1 - r.y0, rules.data, rules.count);
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

// ---- messages -------------------------------------------------------------------

void UiBox::InvalidateLayout() {
    for (UiBox* box = this; box; box = CellAs<UiBox>(box->ParentCell())) {
        if (Tag* tag = box->ValueTagAt(kBox)) tag->MarkChanged();
        else box->MarkChanged();
    }
}

void UiBox::SplitInto(int32_t k) {
    const int32_t across = ChildLayoutType() == kLayoutHorizontal ? kLayoutVertical : kLayoutHorizontal;
    const bool wasEmpty = children.count == 0;
    for (int32_t i = 0; i < k; ++i) {
        if (i > 0 || !wasEmpty) {
            // A splitter is one margin thick along the stack: enough to grab.
            auto* splitter = new UiSplitter;
            splitter->Shape(kLayoutNone, kSizeMargin);
            AddChild(splitter);
        }
        auto* box = new UiBox;
        box->Shape(across, kSizeFlexible);
        AddChild(box);
    }
    if (Box().valid) Arrange();
    else MarkChanged();
}

bool UiBox::Accepts(CellKey key) const {
    return HCell::Accepts(key) || IsA(key, UiBox_Delete_Msg::kClassKey) ||
           IsA(key, UiBox_DeleteAllChildren_Msg::kClassKey) || IsA(key, UiBox_SplitTo2_Msg::kClassKey) ||
           IsA(key, UiBox_SplitTo3_Msg::kClassKey) || IsA(key, UiBox_Set_ChildLayout_Horizontal_Msg::kClassKey) ||
           IsA(key, UiBox_Set_ChildLayout_Vertical_Msg::kClassKey) || IsA(key, UiBox_Visibility::kClassKey) ||
           IsA(key, UiBox_Title::kClassKey) || IsA(key, UiBox_Process_TimeDelta_Act::kClassKey);
}

SSlave<Cell> UiBox::Receive(Cell& message) {
    const CellKey key = message.ClassKey();
    if (key == UiBox_SplitTo2_Msg::kClassKey || key == UiBox_SplitTo3_Msg::kClassKey) {
        SplitInto(key == UiBox_SplitTo2_Msg::kClassKey ? 2 : 3);
    } else if (key == UiBox_Set_ChildLayout_Horizontal_Msg::kClassKey ||
               key == UiBox_Set_ChildLayout_Vertical_Msg::kClassKey) {
        if (auto* layout = TagValueAs<ec_LayHV>(kChildLayoutType))
            layout->value = key == UiBox_Set_ChildLayout_Vertical_Msg::kClassKey ? kLayoutVertical : kLayoutHorizontal;
        InvalidateLayout();
    } else if (key == UiBox_Visibility::kClassKey) {
        if (auto* visible = TagValueAs<ec_UiBoxVisibility>(kVisible))
            visible->value = static_cast<UiBox_Visibility&>(message).value;
        InvalidateLayout();
    } else if (key == UiBox_Title::kClassKey) {
        // consumed without effect
    } else if (key == UiBox_Delete_Msg::kClassKey) {
        InvalidateLayout();
        HCell* parent = ParentCell();
        const int32_t index = parent ? parent->children.IndexOf(this) : -1;
        if (index >= 0) parent->children.Remove(index);  // this box is gone from here on
    } else if (key == UiBox_DeleteAllChildren_Msg::kClassKey) {
        InvalidateLayout();
        while (children.count > 0) children.Remove(0);
    } else if (key == UiBox_Process_TimeDelta_Act::kClassKey) {
        MarkChanged();
    } else if (key == HCell_AddChild_Act::kClassKey) {
        // The act carries its cells as children: boxes among them join here.
        auto& act = static_cast<HCell&>(message);
        bool added = false;
        for (int32_t i = 0; i < act.children.count; ++i)
            if (act.children[i] && IsA(act.children[i]->ClassKey(), UiBox::kClassKey))
                if (HCell* copy = act.children[i]->DeepCopy()) added = AddChild(copy) >= 0 || added;
        if (added) {
            Arrange();
            MarkChanged();
        }
    } else if (key == HCell_Replace_Act::kClassKey) {
        // consumed without effect
    } else {
        return HCell::Receive(message);
    }
    return {};
}
