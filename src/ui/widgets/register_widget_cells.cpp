#include "ui/widgets/register_widget_cells.h"

#include "cell/registry.h"
#include "ui/widgets/ui_button.h"
#include "ui/widgets/ui_edit.h"
#include "ui/widgets/ui_scroll.h"
#include "ui/widgets/ui_text.h"
#include "ui/widgets/widget_cells.h"

void RegisterWidgetCellClasses() {
    RegisterCellClass<UiButton>();
    RegisterCellClass<UiText>();
    RegisterCellClass<UiScroll>();
    RegisterCellClass<UiViewport>();
    RegisterCellClass<UiCombo>();
    RegisterCellClass<UiEdit>();
    RegisterCellClass<UiEnum>();
    RegisterCellClass<UiImage>();
    RegisterCellClass<UiSKey>();
}
