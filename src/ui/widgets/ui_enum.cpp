#include "ui/widgets/ui_enum.h"

#include <cstdio>

#include "core/text_convert.h"
#include "cell/enum_cells.h"
#include "cell/scripts.h"
#include "cell/synapser.h"
#include "cell/tags.h"
#include "ui/size_rule.h"
#include "ui/ui_messages.h"
#include "ui/widgets/ui_button.h"

// ---- layout ------------------------------------------------------------------------------

UiEnum::UiEnum() { Shape(kLayoutHorizontal, kSizeRow); }

void UiEnum::DeclareTags() {
    UiBox::DeclareTags();
    DeclareTag(WTXT("ItemIsVisible_Script"), new UiEnum_Button_Visibility_Act);
    DeclareTag(WTXT("ExEnum"), new Cell);
}

void UiEnum::Show(Cell& enumeration, const WChar* const* names, int32_t nameCount) {
    names_.Clear();
    for (int32_t i = 0; i < nameCount; ++i) names_.Add(new WString(names[i]));
    BTag* tag = TagAt(kExEnum);
    if (!tag) return;
    tag->Links().links.Clear();
    tag->Links().Add(&enumeration);
    if (Tag* own = tag->AsTag()) own->MarkChanged();
}

Cell* UiEnum::Enumeration(Cell** link) const {
    BTag* tag = TagAt(kExEnum);
    Cell* linked = tag && tag->links ? tag->links->FirstLive() : nullptr;
    if (link) *link = linked;
    return LinkedValue(linked);
}

int32_t UiEnum::ItemCount() const {
    const auto* items = CellAs<EnumICell>(Enumeration());
    return items ? items->ItemCount() : 0;
}

int32_t UiEnum::Value() const {
    const auto* items = CellAs<EnumICell>(Enumeration());
    return items ? items->value : -1;
}

void UiEnum::MakeButtons() {
    while (children.count > 0) children.Remove(0);
    for (int32_t i = 0; i < ItemCount(); ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", i);
        WString title;
        if (i < names_.count) title = *names_[i];
        else Utf8ToWide(number, title);
        auto* button = new UiButton(title.CStr(), kSizeFlexible, 0, kAlignCenterX, kAlignCenterY);
        auto* choose = new IdxCell;
        choose->value = i;
        SetScript(*button->ValueTagAt(UiButton::kButtonDownScript), choose, this);
        auto* down = new UiEnum_Button_State_Act;
        down->item = i;
        SetScript(*button->ValueTagAt(UiButton::kIsDownScript), down, this);
        auto* visible = new UiEnum_Button_Visibility_Act;
        visible->item = i;
        SetScript(*button->ValueTagAt(UiButton::kIsVisibleScript), visible, this);
        AddChild(button);
    }
}

void UiEnum::Process() {
    if (!IsChanged()) return;
    if (Tag* tag = ValueTagAt(kExEnum); tag && tag->IsChanged()) MakeButtons();
    UiBox::Process();
}

// ---- behaviour ------------------------------------------------------------------------------

bool UiEnum::Accepts(CellKey key) const {
    return UiBox::Accepts(key) || key == IdxCell::kClassKey || key == UiEnum_Button_State_Act::kClassKey ||
           key == UiEnum_Button_Visibility_Act::kClassKey;
}

SSlave<Cell> UiEnum::Receive(Cell& message) {
    const CellKey key = message.ClassKey();
    if (key == IdxCell::kClassKey) {
        // The chosen item becomes the enumeration's value; every button asks
        // again whether it is down.
        Cell* link = nullptr;
        auto* items = CellAs<EnumICell>(Enumeration(&link));
        const int32_t item = static_cast<IdxCell&>(message).value;
        if (!items || item < 0 || item >= items->ItemCount()) return {};
        items->value = item;
        link->MarkChanged();
        for (int32_t i = 0; i < children.count; ++i)
            if (auto* button = CellAs<UiButton>(children[i]))
                if (Tag* down = button->ValueTagAt(UiButton::kIsDownScript)) down->MarkChanged();
        return {};
    }
    if (key == UiEnum_Button_State_Act::kClassKey) {
        auto& question = static_cast<UiEnum_Button_State_Act&>(message);
        question.value = question.item >= 0 && question.item == Value();
        return {};
    }
    if (key == UiEnum_Button_Visibility_Act::kClassKey) {
        auto& question = static_cast<UiEnum_Button_Visibility_Act&>(message);
        BTag* script = TagAt(kItemIsVisibleScript);
        question.value = true;
        if (ScriptIsSet(script)) {
            // The page's answer for this item.
            if (auto* own = CellAs<UiEnum_Button_Visibility_Act>(script->AsTag() ? script->AsTag()->Value() : nullptr))
                own->item = question.item;
            question.value = EvaluateScriptBool(script, true);
        }
        return {};
    }
    return UiBox::Receive(message);
}
