// Value cells: copying, comparing and the parameter rules.
#include <gtest/gtest.h>

#include <limits>

#include "cell/container_cells.h"
#include "cell/registry.h"
#include "cell/std_cells.h"

namespace {

TEST(ValueCells, CopyFromAndEqualsByClass) {
    DistCell a;
    a.value = 2.5;
    DistCell b;
    b.CopyFrom(a);
    EXPECT_TRUE(b.Equals(a));
    DblCell plain;
    plain.value = 2.5;
    EXPECT_FALSE(plain.Equals(a));  // same value, another class

    DAV3DCell arr;
    arr.value.items.Append({1, 2, 3});
    Cell* copy = CloneCell(arr);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->Equals(arr));
    static_cast<DAV3DCell*>(copy)->value.items[0].z = 4;
    EXPECT_FALSE(copy->Equals(arr));
    delete copy;
}

TEST(ValueCells, StringListsCopyDeeply) {
    StringContCell list;
    list.items.Add(new WString(WTXT("a")));
    list.items.Add(nullptr);
    StringContCell other;
    other.CopyFrom(list);
    ASSERT_EQ(other.items.count, 2);
    EXPECT_NE(other.items[0], list.items[0]);
    EXPECT_TRUE(other.Equals(list));
}

TEST(ValueCells, ScriptCellsCopyTheirBlocks) {
    ScriptCell script;
    auto* entry = new ScriptEntry;
    entry->key.value = IntCell::kClassKey;
    entry->value.Reset(new MemBlock);
    MemBlockCursor(*entry->value).WriteValue(int32_t(7));
    script.entries.Add(entry);
    ScriptCell copy;
    copy.CopyFrom(script);
    EXPECT_TRUE(copy.Equals(script));
    MemBlockCursor(*copy.entries[0]->value).WriteValue(int32_t(8));
    EXPECT_FALSE(copy.Equals(script));
}

TEST(ParamCells, RulesSettleTheValue) {
    FltParamCell p;
    p.rule.values.Append(0.0f);
    p.rule.values.Append(100.0f);
    const struct {
        int32_t mode;
        float step;
        float request;
        float expected;
    } cases[] = {
        {0, 0, 150, 100},   // clamped
        {0, 0, -3, 0},
        {2, 20, 29, 20},    // stepped: 29 + 10 = 39 -> 20
        {2, 20, 31, 40},
        {2, 20, -15, 20},   // negative: a step lower, then snapped by magnitude
        {1, 0, 55, 55},
    };
    for (const auto& c : cases) {
        p.rule.mode = c.mode;
        p.rule.step = c.step;
        p.SetValue(c.request);
        EXPECT_FLOAT_EQ(p.value, c.expected) << c.mode << " " << c.request;
    }
    p.rule.mode = 3;
    p.rule.values.Resize(0);
    for (float v : {10.0f, 20.0f, 30.0f}) p.rule.values.Append(v);
    p.SetValue(15);  // equal distance: the earlier value
    EXPECT_FLOAT_EQ(p.value, 10);
    p.SetValue(26);
    EXPECT_FLOAT_EQ(p.value, 30);
}

}  // namespace
