// What the user chose for one host: the plug-in files and (LightWave only)
// the menu entries. Items: 0 install, 1 remove, 2 leave unchanged.
#pragma once

#include "cell/enum_cells.h"

VELDO_ENUM_CELL(ec_FilesInstall, 0x76914F6527AEA49EULL, 3);
VELDO_ENUM_CELL(ec_MenuInstall, 0x1B5044BE89571C94ULL, 3);

enum e_InstallChoice : int32_t { kChoiceInstall = 0, kChoiceRemove = 1, kChoiceLeave = 2 };

void RegisterInstallCellClasses();
