#include "app/register_all_cells.h"

#include <mutex>

#include "app/arguments.h"
#include "cell/register_cells.h"
#include "gx/window_cells.h"
#include "install/install_choices.h"
#include "ui/register_ui_cells.h"
#include "ui/widgets/register_widget_cells.h"
#include "wizard/installer.h"

void RegisterAllCellClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterModelCellClasses();
        RegisterArgumentCellClasses();
        RegisterInstallCellClasses();
        RegisterWizardCellClasses();
        RegisterUiCellClasses();
        RegisterWidgetCellClasses();
        RegisterWindowCellClasses();
    });
}
