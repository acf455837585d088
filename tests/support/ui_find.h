// Boxes found in a UI tree as the tests look for them.
#pragma once

#include "ui/ui_box.h"

namespace test {

// The first box of class C at box or under it, depth first; null when none.
template <class C>
C* Find(UiBox* box) {
    if (!box) return nullptr;
    if (auto* found = CellAs<C>(box)) return found;
    for (int32_t i = 0; i < box->children.count; ++i)
        if (C* found = Find<C>(box->ChildBox(i))) return found;
    return nullptr;
}

}  // namespace test
