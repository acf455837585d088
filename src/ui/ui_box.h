// UiBox: the base of every UI element, with its five tags (Box,
// ChildLayoutType, Layout, BoxTitle, Visible). Only boxes are its children.
#pragma once

#include "cell/hcell.h"

class UiBox : public HCell {
    VELDO_CELL(UiBox, HCell, 0x32F319C7F7971A24ULL)

public:
    enum TagIndex : int32_t { kBox, kChildLayoutType, kLayout, kBoxTitle, kVisible, kBoxTagCount };

    void DeclareTags() override;
    bool AcceptsChild(CellKey key) const override;
};

// The tree's root, which owns a window's drawing resources.
VELDO_EMPTY_CELL(UiRoot, UiBox, 0x159D7C1A56051D5BULL);
VELDO_EMPTY_CELL(UiGrid, UiBox, 0xAFFFEEDECF87D494ULL);
VELDO_EMPTY_CELL(UiScrollView, UiBox, 0x042D3A16E66607E1ULL);
VELDO_EMPTY_CELL(UiMasterCell, UiBox, 0x98F2CE35A82A77A3ULL);
VELDO_EMPTY_CELL(UiSlaveCell, UiBox, 0x1B65C7136FC531D2ULL);
VELDO_EMPTY_CELL(UiPanel, UiBox, 0x5816B57938C0E183ULL);
VELDO_EMPTY_CELL(UiSplitter, UiBox, 0xE29550A06CBAE62CULL);
VELDO_EMPTY_CELL(UiViewport, UiBox, 0xBC4E74EAE9E84FA7ULL);

// Widgets.
VELDO_EMPTY_CELL(UiButton, UiBox, 0x7BC68CD795AC697FULL);
VELDO_EMPTY_CELL(UiCombo, UiBox, 0x6CCC45D7847DB661ULL);
VELDO_EMPTY_CELL(UiEdit, UiBox, 0x3362655E8F10FAFAULL);
VELDO_EMPTY_CELL(UiEnum, UiBox, 0x3259958AF1EF2613ULL);
VELDO_EMPTY_CELL(UiImage, UiBox, 0x27194686170EB9D5ULL);
VELDO_EMPTY_CELL(UiScroll, UiBox, 0x314BAEC43882E100ULL);
VELDO_EMPTY_CELL(UiSKey, UiBox, 0xBDE251D06B19B464ULL);
VELDO_EMPTY_CELL(UiText, UiBox, 0xBAB0FB33125AC0A0ULL);

void RegisterUiCellClasses();
