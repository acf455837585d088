// The scroll view as pages use it: a view between "[ up ]" and "[ down ]"
// buttons that scroll it while the pointer rests on them, with a scroll bar
// beside.
#pragma once

#include "cell/value_cells.h"

class UiBox;
class UiScrollView;

// Adds to parent an outer box (horizontal, with the given rule) holding a
// column of the up button, the view (content moved into it) and the down
// button, then the scroll bar. Returns the view.
UiScrollView* AddScrollView(const FltParamCell& rule, UiBox& parent, UiBox* content);
