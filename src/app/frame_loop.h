// The program's one loop: every frame gives each open gate cell its turn
// (a window's turn is its whole frame) and sleeps the rest of 1/60 s.
#pragma once

#include "core/links.h"

class GCell;

// What the program must finish before it may end (an installation ends
// between two hosts, never inside one).
class EndGate {
public:
    virtual ~EndGate() = default;
    // Asked every frame once an end was asked for; true when it may be now.
    virtual bool MayEndNow() = 0;
};

// Returns when the main window is gone (the gate table owns it and may drop
// it), or when it should close or a polite request to end came (a signal,
// a console's close) and the gate, when given, agrees.
void RunFrames(const SSlave<GCell>& mainWindow, EndGate* gate = nullptr);
