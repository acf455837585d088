// The cell browser, a developer's view of the running program: a button
// whose drag opens a new window (a new instance when dropped outside every
// window), "Expand all" and "Collapse all", and a scroll view listing the
// gate table's cells, each with its editor view: its tags (edited where a
// widget can, "-undefined control-" elsewhere), its children, and the
// actions "Process", "Replace with bundle" and "Add bundle to children"
// (the bundle is the cell on the clipboard).
#pragma once

#include "core/links.h"
#include "cell/synapser.h"
#include "ui/ui_box.h"

// Builds the browser into box (its children are replaced).
void BuildCellBrowser(UiBox& box);

// The editor view of one cell: a row of actions, a row a tag, then its
// children's entries. Collapsed, it takes no room.
class UiCellEditor : public UiBox {
    VELDO_CELL(UiCellEditor, UiBox, 0x6A3D0C9E52B1F47DULL)

public:
    enum Action : int32_t {
        kProcess = 0,
        kReplaceWithBundle = 1,
        kAddBundleToChildren = 2,
        kSaveToFile = 3,    // into a new document the user places
        kAddFromFile = 4,   // a document the user picks, as a child
    };
    // How deep entries nest, and how many children an entry lists.
    static constexpr int32_t kDepthLimit = 4;
    static constexpr int32_t kChildLimit = 64;

    SSlave<Cell> edited;

    // The rows for cell (depth: how far below the list it is); this view
    // and those of the children's entries join editors.
    void Build(HCell& cell, int32_t depth, Synapser& editors);
    // The action buttons' choices, and expanding or collapsing.
    SSlave<Cell> Receive(Cell& message) override;
    bool Accepts(CellKey key) const override;
};
