#include "install/install_choices.h"

#include "cell/registry.h"

void RegisterInstallCellClasses() {
    RegisterCellClass<ec_FilesInstall>();
    RegisterCellClass<ec_MenuInstall>();
}
