// UiBox's messages: splitting into 2 or 3 with splitters between,
// the child layout, visibility, deleting, time deltas and added children.
#include "cell/gates.h"
#include "cell/registry.h"
#include "ui/size_rule.h"
#include "ui/ui_box.h"
#include "ui/ui_choice_cells.h"
#include "ui/ui_messages.h"
#include "ui/ui_splitter.h"

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

namespace {
UiBoxBuilder g_cellsListBuilder = nullptr;
}

void SetCellsListBuilder(UiBoxBuilder builder) { g_cellsListBuilder = builder; }

bool UiBox::Accepts(CellKey key) const {
    return HCell::Accepts(key) || IsA(key, UiBox_Delete_Msg::kClassKey) ||
           IsA(key, UiBox_DeleteAllChildren_Msg::kClassKey) || IsA(key, UiBox_SplitTo2_Msg::kClassKey) ||
           IsA(key, UiBox_SplitTo3_Msg::kClassKey) || IsA(key, UiBox_Set_ChildLayout_Horizontal_Msg::kClassKey) ||
           IsA(key, UiBox_Set_ChildLayout_Vertical_Msg::kClassKey) || IsA(key, UiBox_Visibility::kClassKey) ||
           IsA(key, UiBox_Title::kClassKey) || IsA(key, UiBox_Process_TimeDelta_Act::kClassKey) ||
           IsA(key, UiBox_Generate_CellsList_Msg::kClassKey);
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
    } else if (key == UiBox_Generate_CellsList_Msg::kClassKey) {
        if (g_cellsListBuilder) g_cellsListBuilder(*this);
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
        TimePassed(static_cast<UiBox_Process_TimeDelta_Act&>(message).value);
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

void UiBox::TimePassed(float seconds) {
    (void)seconds;
    MarkChanged();
}
