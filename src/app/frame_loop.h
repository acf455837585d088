// The program's one loop: every frame gives each open gate cell its turn
// (a window's turn is its whole frame) and sleeps the rest of 1/60 s.
#pragma once

#include "cell/core/links.h"

class GCell;

// Returns when the main window should close, or is gone (the gate table
// owns it and may drop it).
void RunFrames(const SSlave<GCell>& mainWindow);
