// The window's cells: WndGx is the gate cell of one operating-system window
// (the OpenGL implementation reports the same class key).
#pragma once

#include "cell/gates.h"

class WndGx : public GCell {
    VELDO_CELL(WndGx, GCell, 0xE3E92FC1DCA177D9ULL)
};

// Dragged from the cell browser: dropping it outside every window starts a
// new instance of the program.
class WndGx_CreateNew_Msg : public Cell {
    VELDO_CELL(WndGx_CreateNew_Msg, Cell, 0x1ACF30056EC2CC28ULL)
};

void RegisterWindowCellClasses();
