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

#define VELDO_UI_BOX(Name, Key)          \
    class Name : public UiBox {          \
        VELDO_CELL(Name, UiBox, Key)     \
    }

// The tree's root, which owns a window's drawing resources.
VELDO_UI_BOX(UiRoot, 0x159D7C1A56051D5BULL);
VELDO_UI_BOX(UiGrid, 0xAFFFEEDECF87D494ULL);
VELDO_UI_BOX(UiScrollView, 0x042D3A16E66607E1ULL);
VELDO_UI_BOX(UiMasterCell, 0x98F2CE35A82A77A3ULL);
VELDO_UI_BOX(UiSlaveCell, 0x1B65C7136FC531D2ULL);
VELDO_UI_BOX(UiPanel, 0x5816B57938C0E183ULL);
VELDO_UI_BOX(UiSplitter, 0xE29550A06CBAE62CULL);
VELDO_UI_BOX(UiViewport, 0xBC4E74EAE9E84FA7ULL);

// Widgets.
VELDO_UI_BOX(UiButton, 0x7BC68CD795AC697FULL);
VELDO_UI_BOX(UiCombo, 0x6CCC45D7847DB661ULL);
VELDO_UI_BOX(UiEdit, 0x3362655E8F10FAFAULL);
VELDO_UI_BOX(UiEnum, 0x3259958AF1EF2613ULL);
VELDO_UI_BOX(UiImage, 0x27194686170EB9D5ULL);
VELDO_UI_BOX(UiScroll, 0x314BAEC43882E100ULL);
VELDO_UI_BOX(UiSKey, 0xBDE251D06B19B464ULL);
VELDO_UI_BOX(UiText, 0xBAB0FB33125AC0A0ULL);

void RegisterUiCellClasses();
