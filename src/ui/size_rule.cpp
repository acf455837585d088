#include "ui/size_rule.h"

#include <limits>

#include "ui/ui_options.h"

// ---- the kinds a box is made with -------------------------------------------

void MakeFixedRule(FltParamCell& rule, float size) {
    rule.rule.mode = kRuleClamped;
    rule.rule.weight = size;
    rule.rule.values.Clear();
    rule.rule.values.Append(size);
    rule.rule.values.Append(size);
    rule.value = size;
}

void ApplySizeKind(int32_t kind, FltParamCell& rule) {
    const float row = UiOptions::Get().Row();
    switch (kind) {
        case kSizeHalfRow: MakeFixedRule(rule, row / 2); break;
        case kSizeRow: MakeFixedRule(rule, row); break;
        case kSizeTwoRows: MakeFixedRule(rule, 2 * row); break;
        case kSizeOne: MakeFixedRule(rule, 1); break;
        case kSizeMargin: MakeFixedRule(rule, UiOptions::Get().Margin()); break;
        case kSizeAsGiven: break;
        default:  // kSizeFlexible and anything unknown
            rule.rule.mode = kRuleFlexible;
            rule.rule.weight = 100;
            rule.rule.values.Clear();
            rule.rule.values.Append(0.0f);
            rule.rule.values.Append(std::numeric_limits<float>::max());
            rule.value = 100;
            break;
    }
    rule.rule.sizeKind = kind;
}

// ---- sharing a length ---------------------------------------------------------

namespace {

bool Fixed(const FltParamCell* r) {
    return r && (r->rule.mode == kRuleClamped || r->rule.mode == kRuleStepped || r->rule.mode == kRuleNearestListed);
}
bool Flexible(const FltParamCell* r) { return r && r->rule.mode == kRuleFlexible; }

}  // namespace

void DistributeLength(float length, FltParamCell* const* rules, int32_t count) {
    // Sums over the fixed rules (modes 0, 2, 3) in double, so that a
    // largest-float maximum does not overflow.
    double minima = 0, maxima = 0, values = 0;
    bool flexible = false;
    for (int32_t i = 0; i < count; ++i) {
        if (Fixed(rules[i])) {
            minima += rules[i]->rule.Minimum();
            maxima += rules[i]->rule.Maximum();
            values += rules[i]->value;
        }
        flexible = flexible || Flexible(rules[i]);
    }
    double L = length;
    if (L < minima) {  // too short: every fixed rule at its minimum, the stack overflows
        for (int32_t i = 0; i < count; ++i)
            if (Fixed(rules[i])) rules[i]->value = rules[i]->rule.Minimum();
        L = minima;
    } else if (L <= maxima || flexible) {
        // Without flexible rules the difference is spread from the last rule
        // to the first, each taking what its set operation lets it.
        if (!flexible && L != values) {
            double left = L - values;
            for (int32_t i = count - 1; i >= 0 && left != 0; --i) {
                if (!Fixed(rules[i])) continue;
                const float before = rules[i]->value;
                rules[i]->SetValue(float(before + left));
                left -= double(rules[i]->value) - before;
            }
        }
    } else {  // too long and nothing flexible: every fixed rule at its maximum
        for (int32_t i = 0; i < count; ++i)
            if (Fixed(rules[i])) rules[i]->value = rules[i]->rule.Maximum();
        L = maxima;
    }

    // The free length goes to the flexible rules by weight. A rule whose
    // share leaves its bounds is fixed at the bound, and the rest shared again.
    double free = L;
    double weights = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (Fixed(rules[i])) free -= rules[i]->value;
        if (Flexible(rules[i])) weights += rules[i]->rule.weight;
    }
    // No room left (or no weight to share by): flexible rules shrink to their
    // minimum rather than keep a stale extent and push the stack out.
    if (!(weights * free > 0))
        for (int32_t i = 0; i < count; ++i)
            if (Flexible(rules[i])) rules[i]->value = rules[i]->rule.Minimum();
    DynamicArray<uint8_t> settled;
    settled.Resize(count);
    while (weights * free > 0) {
        bool fixedOne = false;
        for (int32_t i = 0; i < count && !fixedOne; ++i) {
            FltParamCell* r = rules[i];
            if (!Flexible(r) || settled[i]) continue;
            const double share = free * r->rule.weight / weights;
            const double lo = r->rule.Minimum(), hi = r->rule.Maximum();
            if (share < lo || share > hi) {
                r->value = float(share < lo ? lo : hi);
                settled[i] = 1;
                weights -= r->rule.weight;
                free -= r->value;
                fixedOne = true;
            } else {
                r->value = float(share);
            }
        }
        if (!fixedOne) break;
    }
}

// ---- bounds ----------------------------------------------------------------------

namespace {

void EnsureBounds(FltParamCell& rule) {
    DynamicArray<float>& values = rule.rule.values;
    if (values.count == 0) {
        values.Append(0.0f);
        values.Append(std::numeric_limits<float>::max());
    } else if (values.count == 1) {
        values.Append(values[0]);
    }
}

}  // namespace

void SetRuleMinimum(FltParamCell& rule, float minimum) {
    EnsureBounds(rule);
    rule.rule.values[0] = minimum;
}

void SetRuleMaximum(FltParamCell& rule, float maximum) {
    EnsureBounds(rule);
    rule.rule.values[rule.rule.values.count - 1] = maximum;
}
