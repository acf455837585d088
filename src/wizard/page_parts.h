// What the wizard's pages are made of: the common frame and the rows the
// pages put into it (texts, buttons, button rows, fillers, spacers), all
// translated through the language table.
#pragma once

#include <cstdint>

#include "cell/cell.h"
#include "cell/enum_cells.h"

class Installer;
class UiBox;
class UiButton;
class UiText;

namespace page {

// Empties box and builds the frame into it: an outer vertical box holding
// a row of the banner column (96 px, the banner image) and the content box,
// which it returns.
UiBox* BuildFrame(UiBox& box);

// A text cell (ec_LRC and ec_DUC alignments), in the user's language.
UiText* Text(UiBox& parent, const WChar* text, int32_t sizeKind, int32_t alignX, int32_t alignY, bool title);
// A box without children taking a share of the free space.
UiBox* Filler(UiBox& parent);
// A box without children of a size kind (kSizeAsGiven: pixels).
UiBox* Spacer(UiBox& parent, int32_t sizeKind, float pixels = 0);
// A horizontal row one row high whose buttons share its width.
UiBox* ButtonRow(UiBox& parent);
// A button whose release sends message (owned from here on) to target.
UiButton* Button(UiBox& parent, const WChar* title, int32_t sizeKind, Cell* message, Cell& target);
// A button sending the installer function.
UiButton* FunctionButton(UiBox& parent, const WChar* title, int32_t sizeKind, int32_t function, Installer& installer);

}  // namespace page
