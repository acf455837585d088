#include "ui/ui_box.h"

#include "cell/registry.h"
#include "ui/size_rule.h"
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

void RegisterUiCellClasses() {
    RegisterCellClass<UiBox>();
    RegisterCellClass<UiRoot>();
    RegisterCellClass<UiGrid>();
    RegisterCellClass<UiScrollView>();
    RegisterCellClass<UiMasterCell>();
    RegisterCellClass<UiSlaveCell>();
    RegisterCellClass<UiPanel>();
    RegisterCellClass<UiSplitter>();
    RegisterCellClass<UiViewport>();
    RegisterCellClass<UiButton>();
    RegisterCellClass<UiCombo>();
    RegisterCellClass<UiEdit>();
    RegisterCellClass<UiEnum>();
    RegisterCellClass<UiImage>();
    RegisterCellClass<UiScroll>();
    RegisterCellClass<UiSKey>();
    RegisterCellClass<UiText>();

    RegisterCellClass<ec_UiTextType>();
    RegisterCellClass<ec_UiSymbol>();
    RegisterCellClass<ec_UiComboState>();
    RegisterCellClass<ec_LayHV>();
    RegisterCellClass<ec_UiBoxVisibility>();
    RegisterCellClass<fc_UiButtMode>();
    RegisterCellClass<fc_UiEditStyle>();

    RegisterCellClass<UiBox_Delete_Msg>();
    RegisterCellClass<UiBox_DeleteAllChildren_Msg>();
    RegisterCellClass<UiBox_SplitTo2_Msg>();
    RegisterCellClass<UiBox_SplitTo3_Msg>();
    RegisterCellClass<UiBox_Set_ChildLayout_Horizontal_Msg>();
    RegisterCellClass<UiBox_Set_ChildLayout_Vertical_Msg>();
    RegisterCellClass<UiBox_Generate_CellsList_Msg>();
    RegisterCellClass<UiScrollView_ScrollUp_Msg>();
    RegisterCellClass<UiScrollView_ScrollDown_Msg>();
    RegisterCellClass<UiBox_Process_TimeDelta_Act>();
    RegisterCellClass<UiScrollView_Button_Vis_Act>();
    RegisterCellClass<UiEnum_Button_Visibility_Act>();
    RegisterCellClass<UiEnum_Button_State_Act>();
    RegisterCellClass<UiBox_Visibility>();
    RegisterCellClass<UiBox_Title>();
}
