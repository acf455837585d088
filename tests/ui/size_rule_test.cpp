// Size rules and the sharing of a length among them, as tables of rules in
// and extents out; and the style table.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "ui/size_rule.h"
#include "ui/ui_options.h"

namespace {

constexpr float kMax = std::numeric_limits<float>::max();

struct Rule {
    int32_t mode;
    float value, weight, minimum, maximum, step;
};

Rule Flex(float weight = 100, float minimum = 0, float maximum = kMax) { return {1, 100, weight, minimum, maximum, 0}; }
Rule Fixed(float size) { return {0, size, size, size, size, 0}; }
Rule Clamped(float value, float minimum, float maximum) { return {0, value, 0, minimum, maximum, 0}; }
Rule Stepped(float value, float step, float minimum, float maximum) { return {2, value, 0, minimum, maximum, step}; }

std::vector<float> Distribute(float length, const std::vector<Rule>& rules) {
    std::vector<FltParamCell> cells(rules.size());
    std::vector<FltParamCell*> pointers;
    for (size_t i = 0; i < rules.size(); ++i) {
        FltParamCell& c = cells[i];
        c.rule.mode = rules[i].mode;
        c.rule.weight = rules[i].weight;
        c.rule.step = rules[i].step;
        c.rule.values.Append(rules[i].minimum);
        c.rule.values.Append(rules[i].maximum);
        c.value = rules[i].value;
        pointers.push_back(&c);
    }
    DistributeLength(length, pointers.data(), int32_t(pointers.size()));
    std::vector<float> out;
    for (const FltParamCell& c : cells) out.push_back(c.value);
    return out;
}

TEST(SizeRules, SharingALength) {
    const struct {
        const char* name;
        float length;
        std::vector<Rule> rules;
        std::vector<float> expected;
    } cases[] = {
        {"two flexible halves", 300, {Flex(), Flex()}, {150, 150}},
        {"a minimum wins, the rest takes what is left", 300, {Flex(100, 200), Flex()}, {200, 100}},
        {"weights share", 300, {Flex(100), Flex(200)}, {100, 200}},
        {"a maximum reached is fixed and the rest shared again", 300, {Flex(100, 0, 50), Flex(), Flex()},
         {50, 125, 125}},
        {"three fixed rows in a tall box", 100, {Fixed(20), Fixed(20), Fixed(20)}, {20, 20, 20}},
        {"three fixed rows in a short box keep their minimum", 50, {Fixed(20), Fixed(20), Fixed(20)}, {20, 20, 20}},
        {"fixed and flexible", 100, {Fixed(20), Flex(), Fixed(30)}, {20, 50, 30}},
        {"no room left: flexible rules shrink to their minimum", 40, {Fixed(20), Flex(100, 5), Fixed(30)},
         {20, 5, 30}},
        {"the difference is spread from the last rule", 100, {Clamped(30, 10, 60), Clamped(30, 10, 40)}, {60, 40}},
        {"and taken back from the last rule first", 50, {Clamped(30, 10, 60), Clamped(30, 10, 40)}, {30, 20}},
        {"too long without flexible rules: every maximum", 500, {Clamped(30, 10, 60), Clamped(30, 10, 40)}, {60, 40}},
        {"a stepped rule snaps to the nearest step", 75, {Stepped(20, 10, 0, 100), Clamped(20, 20, 20)}, {60, 20}},
        {"nothing to share", 100, {}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Distribute(c.length, c.rules), c.expected) << c.name;
}

TEST(SizeRules, KindsABoxIsMadeWith) {
    const struct {
        int32_t kind;
        int32_t mode;
        float value, minimum, maximum;
    } cases[] = {
        {kSizeFlexible, 1, 100, 0, kMax}, {kSizeHalfRow, 0, 10, 10, 10}, {kSizeRow, 0, 20, 20, 20},
        {kSizeTwoRows, 0, 40, 40, 40},    {kSizeOne, 0, 1, 1, 1},        {kSizeMargin, 0, 5, 5, 5},
        {99, 1, 100, 0, kMax},
    };
    for (const auto& c : cases) {
        FltParamCell rule;
        ApplySizeKind(c.kind, rule);
        EXPECT_EQ(rule.rule.mode, c.mode) << c.kind;
        EXPECT_EQ(rule.value, c.value) << c.kind;
        EXPECT_EQ(rule.rule.Minimum(), c.minimum) << c.kind;
        EXPECT_EQ(rule.rule.Maximum(), c.maximum) << c.kind;
    }
    FltParamCell given;
    MakeFixedRule(given, 37);
    ApplySizeKind(kSizeAsGiven, given);
    EXPECT_EQ(given.value, 37);
    EXPECT_EQ(given.rule.Maximum(), 37);
}

TEST(UiStyle, TheTableAndColourSums) {
    const UiOptions& o = UiOptions::Get();
    EXPECT_EQ(o.Margin(), 5.0f);
    EXPECT_EQ(o.Row(), 20.0f);
    EXPECT_EQ(o.Size(6), 180.0f);
    EXPECT_EQ(o.Size(UiOptions::kColorAnimationTime), 0.5f);
    EXPECT_EQ(o.Color(UiOptions::kBaseColor), 0xFF031622u);
    EXPECT_EQ(o.Color(10), 0xFF112233u);
    EXPECT_EQ(o.Color(34), 0x11223344u);
    EXPECT_EQ(o.Color(UiOptions::kSplitterHoverSecond), 0x77FFFFFFu);
    EXPECT_EQ(o.Color(40), 0x77000000u);
    EXPECT_EQ(&o, &UiOptions::Get());
    // Channel by channel, saturating at 255.
    EXPECT_EQ(AddColors(0xFF031622, 0xFF031622), 0xFF062C44u);  // the splitter's rest colour
    EXPECT_EQ(AddColors(0x77333333, 0x77FFFFFF), 0xEEFFFFFFu);  // its hover colour
    EXPECT_EQ(AddColors(0x80808080, 0x80808080), 0xFFFFFFFFu);
    EXPECT_EQ(AddColors(0x01020304, 0), 0x01020304u);
}

}  // namespace
