// Size rules: how much of its parent's stacking axis a box takes. A rule is
// a FltParamCell: its value (the extent in pixels), weight, mode (0 clamp,
// 1 flexible, 2 stepped, 3 list), step and values (first the minimum, last
// the maximum). Sections: the kinds a box is made with; sharing a length.
#pragma once

#include <cstdint>

#include "cell/value_cells.h"

// The kinds of rule a box is made with.
enum e_UiSizeKind : int32_t {
    kSizeFlexible = 0,  // mode 1, value and weight 100, from 0 to the largest float
    kSizeHalfRow = 1,   // fixed half a row (10)
    kSizeRow = 2,       // fixed one row (20)
    kSizeTwoRows = 3,   // fixed two rows (40)
    kSizeOne = 4,       // fixed 1
    kSizeMargin = 5,    // fixed one margin (5)
    kSizeAsGiven = 6,   // the rule passed in, unchanged
};

// Makes rule the one a box of that kind gets; kSizeAsGiven leaves it as it
// is, any other unknown kind gives the flexible default.
void ApplySizeKind(int32_t kind, FltParamCell& rule);
// A fixed rule: mode 0 with value, minimum and maximum all equal to size.
void MakeFixedRule(FltParamCell& rule, float size);

// Shares a length among the rules along a stacking axis, in place: fixed,
// stepped and listed rules first (each at least its minimum), then the
// flexible ones by weight, a rule that its share would push out of its
// bounds fixed at the bound and the share passed out again. Rules of other
// modes take no part. Null entries are skipped.
void DistributeLength(float length, FltParamCell* const* rules, int32_t count);

// The rule's bounds, kept as the first and last of its values (two made
// when it has fewer).
void SetRuleMinimum(FltParamCell& rule, float minimum);
void SetRuleMaximum(FltParamCell& rule, float maximum);
