// The UI's own item and flag cells: alignments and layouts are items (-1
// for none), button and edit styles are bit sets.
#pragma once

#include "cell/enum_cells.h"

VELDO_ITEM_CELL(ec_UiTextType, 0x98AEB2B207986107ULL);    // how a text shows (UiText::TextType)
VELDO_ITEM_CELL(ec_UiSymbol, 0xFCB769B20AA4216AULL);      // the symbol a button draws (UiButton::Symbol)
VELDO_ITEM_CELL(ec_UiComboState, 0xC8EAEE8A0E9EE898ULL);  // a combo's face: up, hover, down, down and hover
VELDO_ITEM_CELL(ec_LayHV, 0x999968B1DD92D6B2ULL);           // 0 horizontal, 1 vertical
VELDO_ITEM_CELL(ec_UiBoxVisibility, 0x61D3C58E265A0577ULL);  // 0 hidden, 1 visible

// A button's behaviour ("fc_": a flag cell; UiButton::Flag).
class fc_UiButtMode : public FlagsCell {
    VELDO_CELL(fc_UiButtMode, FlagsCell, 0xA4F842E92A2FF2B4ULL)
};

// An edit's behaviour (UiEdit's style bits).
class fc_UiEditStyle : public FlagsCell {
    VELDO_CELL(fc_UiEditStyle, FlagsCell, 0xB72DF741F08D87E7ULL)
};
