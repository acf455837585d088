#include "ui/widgets/register_widget_cells.h"

#include "cell/registry.h"
#include "ui/widgets/cell_browser.h"
#include "ui/widgets/ui_button.h"
#include "ui/widgets/ui_combo.h"
#include "ui/widgets/ui_edit.h"
#include "ui/widgets/ui_enum.h"
#include "ui/widgets/ui_image.h"
#include "ui/widgets/ui_progress_bar.h"
#include "ui/widgets/ui_scroll.h"
#include "ui/widgets/ui_skey.h"
#include "ui/widgets/ui_text.h"
#include "ui/widgets/ui_viewport.h"

void RegisterWidgetCellClasses() {
    RegisterCellClass<UiButton>();
    RegisterCellClass<UiText>();
    RegisterCellClass<UiScroll>();
    RegisterCellClass<UiViewport>();
    RegisterCellClass<UiCombo>();
    RegisterCellClass<UiEdit>();
    RegisterCellClass<UiEnum>();
    RegisterCellClass<UiImage>();
    RegisterCellClass<UiProgressBar>();
    RegisterCellClass<UiSKey>();
    RegisterCellClass<UiCellEditor>();
    SetCellsListBuilder(BuildCellBrowser);
}
