#include "ui/register_ui_cells.h"

#include "cell/registry.h"
#include "ui/ui_box.h"
#include "ui/ui_choice_cells.h"
#include "ui/ui_messages.h"
#include "ui/ui_grid.h"
#include "ui/ui_panel.h"
#include "ui/ui_root.h"
#include "ui/ui_scroll_view.h"
#include "ui/ui_shared_cells.h"
#include "ui/ui_splitter.h"

void RegisterUiCellClasses() {
    RegisterCellClass<UiBox>();
    RegisterCellClass<UiRoot>();
    RegisterCellClass<UiGrid>();
    RegisterCellClass<UiScrollView>();
    RegisterCellClass<UiMasterCell>();
    RegisterCellClass<UiSlaveCell>();
    RegisterCellClass<UiPanel>();
    RegisterCellClass<UiSplitter>();

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
