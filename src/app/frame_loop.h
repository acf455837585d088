// The program's one loop: every frame gives each open gate cell its turn
// (a window's turn is its whole frame) and sleeps the rest of 1/60 s.
#pragma once

class WndGx;

// Returns when the main window should close.
void RunFrames(WndGx& mainWindow);
