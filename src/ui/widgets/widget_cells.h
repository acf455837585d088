// The widgets still to come, known by their class keys so that stored
// trees holding them load.
#pragma once

#include "ui/ui_box.h"

VELDO_EMPTY_CELL(UiViewport, UiBox, 0xBC4E74EAE9E84FA7ULL);
VELDO_EMPTY_CELL(UiCombo, UiBox, 0x6CCC45D7847DB661ULL);
VELDO_EMPTY_CELL(UiEnum, UiBox, 0x3259958AF1EF2613ULL);
VELDO_EMPTY_CELL(UiImage, UiBox, 0x27194686170EB9D5ULL);
VELDO_EMPTY_CELL(UiSKey, UiBox, 0xBDE251D06B19B464ULL);
