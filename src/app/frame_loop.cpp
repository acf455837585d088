#include "app/frame_loop.h"

#include "cell/gate_table.h"
#include "gx/window_cells.h"
#include "sys/platform.h"

namespace {

constexpr double kFrameBudgetMs = 16.666666666666668;

// A turn may open or close gates: the table's size is read again after each.
void GiveEveryGateItsTurn() {
    GateTable& gates = Gates();
    for (int32_t i = 0; i < gates.Size(); ++i)
        if (GateTable::Entry* entry = gates.Slot(i))
            if (GCell* cell = entry->value.Get()) cell->Frame();
}

}  // namespace

void RunFrames(const SSlave<GCell>& mainWindow, EndGate* gate) {
    for (;;) {
        auto* window = dynamic_cast<WndGx*>(mainWindow.Get());
        if (!window) return;
        if ((window->ShouldClose() || SysEndRequested()) && (!gate || gate->MayEndNow())) return;
        const double start = SysClockMs();
        GiveEveryGateItsTurn();
        const double rest = kFrameBudgetMs - (SysClockMs() - start);
        if (rest > 1000) SysSleepMs(1000);
        else if (rest > 0) SysSleepMs(uint32_t(rest));
    }
}
