#include "gx/window_cells.h"

#include "cell/registry.h"

void RegisterWindowCellClasses() {
    RegisterCellClass<WndGx>();
    RegisterCellClass<WndGx_CreateNew_Msg>();
}
