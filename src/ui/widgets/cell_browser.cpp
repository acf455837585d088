#include "ui/widgets/cell_browser.h"

#include <cstdio>
#include <initializer_list>

#include "cell/chunks.h"
#include "core/text_convert.h"
#include "cell/gate_keys.h"
#include "cell/gate_table.h"
#include "cell/gates.h"
#include "cell/registry.h"
#include "cell/scripts.h"
#include "cell/synapser.h"
#include "cell/tags.h"
#include "gx/window_cells.h"
#include "sys/sys_io.h"
#include "ui/size_rule.h"
#include "ui/ui_messages.h"
#include "ui/ui_options.h"
#include "ui/ui_scroll_view.h"
#include "ui/widgets/scroll_view_builder.h"
#include "ui/widgets/ui_button.h"
#include "ui/widgets/ui_edit.h"
#include "ui/widgets/ui_text.h"

namespace {

UiBox* Row(int32_t layout, int32_t kind) {
    auto* box = new UiBox;
    box->Shape(layout, kind);
    return box;
}

UiText* Label(const WChar* text) { return new UiText(text, kSizeFlexible, kAlignLeft, kAlignCenterY, false); }

// "ClassName" and, for a cell with children, how many.
WString Heading(const HCell& cell) {
    const s_CellDescriptor* d = FindCellDescriptor(cell.ClassKey());
    WString heading;
    heading.Assign(d && d->className ? d->className : WTXT("?"));
    if (cell.children.count > 0) {
        char count[32];
        std::snprintf(count, sizeof count, " (%d)", cell.children.count);
        WString tail;
        Utf8ToWide(count, tail);
        heading.Append(tail);
    }
    return heading;
}

// An entry of the list: the cell's heading, then its editor view, collapsed.
UiBox* Entry(HCell& cell, int32_t depth, Synapser& editors) {
    // As tall as what it shows: it grows to its content when expanded.
    auto* entry = Row(UiBox::kLayoutVertical, kSizeRow);
    entry->AddChild(new UiText(Heading(cell).CStr(), kSizeRow, kAlignLeft, kAlignCenterY, true));
    auto* editor = new UiCellEditor;
    editor->Build(cell, depth, editors);
    UiBox_Visibility collapse;
    collapse.value = 0;
    editor->Receive(collapse);
    editors.Add(editor);
    entry->AddChild(editor);
    return entry;
}

// The tag's editing widget: an edit for strings and numbers.
UiBox* TagControl(Tag& tag) {
    Cell* value = tag.Value();
    int32_t binding = -1;
    if (CellAs<StringCell>(value)) binding = UiEdit::kStrValue;
    else if (CellAs<IntCell>(value)) binding = UiEdit::kIntValue;
    else if (CellAs<U64Cell>(value)) binding = UiEdit::kU64Value;
    if (binding < 0) return Label(WTXT("-undefined control-"));
    auto* edit = new UiEdit(kSizeFlexible, 0);
    edit->Bind(binding, tag);
    return edit;
}

UiButton* ActionButton(const WChar* title, int32_t action, UiCellEditor& editor) {
    auto* button = new UiButton(title, kSizeFlexible, 0, kAlignCenterX, kAlignCenterY);
    auto* choice = new IdxCell;
    choice->value = action;
    SetScript(*button->ValueTagAt(UiButton::kButtonUpScript), choice, &editor);
    return button;
}

// The cell on the clipboard, or null.
Cell* ClipboardCell() {
    ClipboardGate* gate = FindClipboardGate();
    return gate ? ReadOneCellOrText(*gate) : nullptr;
}

}  // namespace

// ---- the editor view ---------------------------------------------------------------------------

void UiCellEditor::Build(HCell& cell, int32_t depth, Synapser& editors) {
    Shape(kLayoutVertical, kSizeFlexible);
    edited = cell.SelfSlave();
    auto* actions = Row(kLayoutHorizontal, kSizeRow);
    actions->AddChild(ActionButton(WTXT("Process"), kProcess, *this));
    actions->AddChild(ActionButton(WTXT("Replace with bundle"), kReplaceWithBundle, *this));
    actions->AddChild(ActionButton(WTXT("Add bundle to children"), kAddBundleToChildren, *this));
    actions->AddChild(ActionButton(WTXT("Save to file"), kSaveToFile, *this));
    actions->AddChild(ActionButton(WTXT("Add from file"), kAddFromFile, *this));
    AddChild(actions);
    for (int32_t i = 0; i < cell.TagCount(); ++i) {
        BTag* tag = cell.TagAt(i);
        if (!tag) continue;
        auto* row = Row(kLayoutHorizontal, kSizeRow);
        row->AddChild(Label(tag->name.CStr()));
        if (Tag* own = tag->AsTag()) row->AddChild(TagControl(*own));
        else row->AddChild(Label(WTXT("-undefined control-")));
        AddChild(row);
    }
    if (depth + 1 >= kDepthLimit) return;
    for (int32_t i = 0; i < cell.children.count && i < kChildLimit; ++i)
        if (HCell* child = cell.children[i]) AddChild(Entry(*child, depth + 1, editors));
}

bool UiCellEditor::Accepts(CellKey key) const { return UiBox::Accepts(key) || key == IdxCell::kClassKey; }

SSlave<Cell> UiCellEditor::Receive(Cell& message) {
    if (message.ClassKey() == UiBox_Visibility::kClassKey) {
        // Collapsed, the view takes no room; expanded, what it holds. Its
        // entry starts again from one row and grows to what it shows.
        if (FltParamCell* rule = SizeRule()) {
            if (static_cast<UiBox_Visibility&>(message).value == 0) MakeFixedRule(*rule, 0);
            else ApplySizeKind(kSizeFlexible, *rule);
        }
        if (UiBox* entry = ParentBox(); entry && entry->SizeRule())
            MakeFixedRule(*entry->SizeRule(), UiOptions::Get().Row());
        return UiBox::Receive(message);
    }
    if (message.ClassKey() != IdxCell::kClassKey) return UiBox::Receive(message);
    auto* cell = CellAs<HCell>(edited.Get());
    if (!cell) return {};
    switch (static_cast<IdxCell&>(message).value) {
        case kProcess: cell->Process(); break;
        case kReplaceWithBundle:
        case kAddBundleToChildren: {
            SObject<Cell> bundle(ClipboardCell());
            auto* tree = CellAs<HCell>(bundle.Get());
            if (!tree) break;
            const bool replace = static_cast<IdxCell&>(message).value == kReplaceWithBundle;
            SObject<HCell> act(replace ? static_cast<HCell*>(new HCell_Replace_Act) : new HCell_AddChild_Act);
            act->Receive(*tree);
            if (cell->Accepts(act->ClassKey())) cell->Receive(*act);
            // A plain cell takes the bundle as the act says.
            if (!replace && !CellAs<UiBox>(cell) && cell->AcceptsChild(tree->ClassKey()))
                if (HCell* copy = tree->DeepCopy()) cell->AddChild(copy);
            if (replace && !CellAs<UiBox>(cell) && tree->ClassKey() == cell->ClassKey()) cell->CopyFrom(*tree);
            cell->MarkChanged();
            break;
        }
        case kSaveToFile: {
            // A new document: its gate asks where it goes.
            HddGate document;
            document.SetKey(HddGateKey());
            // A cancelled dialog places nothing and says nothing.
            if (!WriteOneCell(document, *cell) && *document.ChosenPath())
                GetSysIO().ShowError(WTXT("The file could not be written:"), document.ChosenPath());
            break;
        }
        case kAddFromFile: {
            HddGate document;
            document.SetKey(HddGateKey());
            SObject<Cell> read(ReadOneCell(document, true));
            auto* tree = CellAs<HCell>(read.Get());
            if (tree && cell->AcceptsChild(tree->ClassKey())) {
                read.Detach();
                cell->AddChild(tree);
                cell->MarkChanged();
            } else if (*document.ChosenPath()) {
                GetSysIO().ShowError(WTXT("The file holds no cell that fits here:"), document.ChosenPath());
            }
            break;
        }
        default: break;
    }
    return {};
}

// ---- the browser ---------------------------------------------------------------------------------

void BuildCellBrowser(UiBox& box) {
    while (box.children.count > 0) box.children.Remove(0);
    box.Shape(UiBox::kLayoutVertical, kSizeAsGiven);

    // Its drag carries the message that opens a new window where it lands.
    auto* create = new UiButton(WTXT("Drag to create new Window"), kSizeRow, 0, kAlignCenterX, kAlignCenterY);
    SetScript(*create->ValueTagAt(UiButton::kStartDragScript), new WndGx_CreateNew_Msg, &box);
    box.AddChild(create);

    auto* list = Row(UiBox::kLayoutVertical, kSizeFlexible);
    Synapser editors;
    GateTable& gates = Gates();
    for (int32_t i = 0; i < gates.Size(); ++i)
        if (GateTable::Entry* entry = gates.Slot(i))
            if (GCell* cell = entry->value.Get()) list->AddChild(Entry(*cell, 0, editors));

    // Expand and collapse send visibility to every editor view.
    auto* row = Row(UiBox::kLayoutHorizontal, kSizeRow);
    for (int32_t visible : {1, 0}) {
        auto* button = new UiButton(visible ? WTXT("Expand all") : WTXT("Collapse all"), kSizeFlexible, 0, kAlignCenterX, kAlignCenterY);
        auto* message = new UiBox_Visibility;
        message->value = visible;
        Tag& script = *button->ValueTagAt(UiButton::kButtonUpScript);
        SetScript(script, message, nullptr);
        for (int32_t e = 0; e < editors.Count(); ++e)
            if (Cell* editor = editors.At(e)) script.Links().Add(editor);
        row->AddChild(button);
    }
    box.AddChild(row);

    // At least three rows high.
    FltParamCell rule;
    ApplySizeKind(kSizeFlexible, rule);
    SetRuleMinimum(rule, 3 * UiOptions::Get().Row());
    AddScrollView(rule, box, list);
    box.InvalidateLayout();
}
