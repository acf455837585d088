// Boxes that stand for cells elsewhere in the program: a UiMasterCell is a
// one-row leaf standing for a shared cell (its title names it), a
// UiSlaveCell shows the cell its "Slave" tag links to, by class name.
#pragma once

#include "ui/ui_box.h"

class UiMasterCell : public UiBox {
    VELDO_CELL(UiMasterCell, UiBox, 0x98F2CE35A82A77A3ULL)

public:
    UiMasterCell();
};

class UiSlaveCell : public UiBox {
    VELDO_CELL(UiSlaveCell, UiBox, 0x1B65C7136FC531D2ULL)

public:
    enum SlaveTag : int32_t { kSlave = kBoxTagCount, kSlaveTagCount };

    UiSlaveCell();
    void DeclareTags() override;
    // Links the box to the cell it shows.
    void Show(Cell& cell);
    // The linked cell, null when it is gone.
    Cell* Shown() const;
    // The title follows the linked cell.
    void Process() override;
};
