// Value cells as bytes: the exact encodings, a round trip over every
// registered value class, hostile data, and value messages.
#include <gtest/gtest.h>

#include <vector>

#include "cell/container_cells.h"
#include "cell/registry.h"
#include "cell/std_cells.h"
#include "cell/tags.h"
#include "ui/ui_choice_cells.h"
#include "ui/ui_messages.h"

namespace {

std::vector<uint8_t> Bytes(Cell& cell) {
    MemBlock block;
    MemBlockCursor c(block);
    EXPECT_TRUE(cell.Export(c, 0));
    std::vector<uint8_t> out(size_t(block.Size()));
    MemBlockCursor r(block);
    r.Read(out.data(), int64_t(out.size()));
    return out;
}

bool ImportBytes(Cell& cell, const std::vector<uint8_t>& bytes) {
    MemBlock block;
    MemBlockCursor w(block);
    w.Write(bytes.data(), int64_t(bytes.size()));
    MemBlockCursor r(block);
    return cell.Import(r, 5.5, nullptr) && r.Remaining() == 0;
}

using B = std::vector<uint8_t>;

TEST(ValueCodec, ExactEncodings) {
    IntCell i;
    i.value = -2;
    EXPECT_EQ(Bytes(i), (B{0xFE, 0xFF, 0xFF, 0xFF}));
    BoolCell b;
    b.value = true;
    EXPECT_EQ(Bytes(b), (B{1}));
    StringCell s;
    EXPECT_EQ(Bytes(s), (B{0, 0, 0, 0}));  // the empty string is its count alone
    s.SetText(WTXT("a\u00e9"));
    EXPECT_EQ(Bytes(s), (B{2, 0, 0, 0, 'a', 0, 0xE9, 0}));
    IntParamCell p;
    p.rule.weight = 1;
    p.rule.mode = 2;
    p.rule.step = 3;
    p.rule.values.Append(4);
    p.value = 5;
    EXPECT_EQ(Bytes(p), (B{1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0}));
    fc_UiButtMode flags;
    flags.value = 7;
    EXPECT_EQ(Bytes(flags), B{});  // not serialised
    FltBox2 box;
    box.value.valid = true;
    EXPECT_EQ(Bytes(box), B{});
    CSysDCell sys;
    EXPECT_EQ(Bytes(sys).size(), 96u);
    ContVec2DCell list;
    list.items.Add(nullptr);
    list.items.Add(new Vec2DCell);
    EXPECT_EQ(Bytes(list).size(), 4u + 1u + 1u + 16u);
    ScriptCell script;
    auto* entry = new ScriptEntry;
    entry->key.value = 0x0102030405060708ULL;
    entry->value.Reset(new MemBlock);
    MemBlockCursor(*entry->value).WriteValue(uint8_t(9));
    script.entries.Add(entry);
    script.entries.Add(nullptr);
    EXPECT_EQ(Bytes(script), (B{2, 0, 0, 0, 1, 8, 7, 6, 5, 4, 3, 2, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 9, 0}));
}

// Gives a cell of any value family a value other than its default.
void Fill(Cell& cell, int seed) {
    if (auto* c = dynamic_cast<ValueCell<bool>*>(&cell)) c->value = true;
    if (auto* c = dynamic_cast<ValueCell<int32_t>*>(&cell)) c->value = 40 + seed;
    if (auto* c = dynamic_cast<ValueCell<float>*>(&cell)) c->value = 1.5f + float(seed);
    if (auto* c = dynamic_cast<ValueCell<double>*>(&cell)) c->value = -2.25 * seed;
    if (auto* c = dynamic_cast<ValueCell<uint64_t>*>(&cell)) c->value = 0xF00DF00DF00DULL + uint64_t(seed);
    if (auto* c = dynamic_cast<ValueCell<WString>*>(&cell)) c->value.Assign(WTXT("n\u00e4me \u30c6"));
    if (auto* c = dynamic_cast<ValueCell<WPath>*>(&cell)) c->value.Assign(WTXT("C:\\x\\y.veldo"));
    if (auto* c = dynamic_cast<ValueCell<Vec3<double>>*>(&cell)) c->value = {1, 2, double(seed)};
    if (auto* c = dynamic_cast<ValueCell<CSys<double>>*>(&cell)) c->value.origin = {3, 4, 5};
    if (auto* c = dynamic_cast<ValueCell<DynamicArray<double>>*>(&cell)) c->value.Append(6.5);
    if (auto* c = dynamic_cast<ValueCell<VectorArray<Vec3<double>, double>>*>(&cell)) c->value.items.Append({7, 8, 9});
    if (auto* c = dynamic_cast<ParamCell<FloatCell>*>(&cell)) c->rule.values.Append(2.0f);
    if (auto* c = dynamic_cast<ListCell<Vec3DCell>*>(&cell)) {
        c->items.Add(new Vec3DCell);
        c->items.Add(nullptr);
    }
    if (auto* c = dynamic_cast<ListCell<WString>*>(&cell)) c->items.Add(new WString(WTXT("s")));
    if (auto* c = dynamic_cast<TagPathCell*>(&cell)) c->value.AddNamed(StdHCell::kClassKey, WTXT("Count"));
    if (auto* c = dynamic_cast<StdCell*>(&cell)) c->list.Append(seed);
}

TEST(ValueCodec, EveryValueClassRoundTrips) {
    int tried = 0;
    const CellRegistryTable& table = CellRegistry();
    for (int32_t slot = 0; slot < table.Size(); ++slot) {
        const auto* entry = table.Slot(slot);
        if (!entry || !entry->value.create) continue;
        SObject<Cell> original(entry->value.create());
        if (CellAs<HCell>(original.Get()) || CellAs<BTag>(original.Get())) continue;
        Fill(*original, slot);
        SObject<Cell> copy(CreateCell(entry->key.key));
        ASSERT_TRUE(ImportBytes(*copy, Bytes(*original))) << std::hex << entry->key.key;
        // Classes that are not serialised keep their own defaults.
        if (!Bytes(*original).empty() || original->ClassKey() == Cell::kClassKey) {
            EXPECT_TRUE(copy->Equals(*original)) << std::hex << entry->key.key;
        }
        ++tried;
    }
    EXPECT_GT(tried, 60);
}

TEST(ValueCodec, HostileBytesFailAndLeaveTheCellUsable) {
    StringCell s;
    s.SetText(WTXT("kept"));
    EXPECT_FALSE(ImportBytes(s, B{0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}));  // count far beyond the data
    EXPECT_FALSE(ImportBytes(s, B{0xFE, 0xFF, 0xFF, 0xFF}));          // negative count
    EXPECT_FALSE(ImportBytes(s, B{3, 0, 0, 0, 'a', 0}));               // truncated
    EXPECT_EQ(s.value.Length(), 4);
    DADCell d;
    d.value.Append(1.0);
    EXPECT_FALSE(ImportBytes(d, B{0x00, 0x00, 0x00, 0x40}));  // 2^30 doubles claimed, none there
    EXPECT_EQ(d.value.count, 1);
    ContVec3DCell list;
    EXPECT_FALSE(ImportBytes(list, B{2, 0, 0, 0, 1, 0, 0}));  // the element runs out
    EXPECT_EQ(list.items.count, 0);
    ScriptCell script;
    EXPECT_FALSE(ImportBytes(script, B{1, 0, 0, 0, 1, 1, 2, 3, 4, 5, 6, 7, 8, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
    EXPECT_EQ(script.entries.count, 0);
}

TEST(ValueMessages, AssignmentsFollowTheFamily) {
    IntCell target;
    IntCell seven;
    seven.value = 7;
    EXPECT_EQ(target.Receive(seven).Get(), nullptr);
    EXPECT_EQ(target.value, 7);
    FloatCell f;
    f.value = 3.5f;
    EXPECT_EQ(target.Receive(f).Get(), nullptr);  // not an IntCell: ignored
    EXPECT_EQ(target.value, 7);
    DistCell dist;
    DblCell plain;
    plain.value = 1.25;
    dist.Receive(plain);
    EXPECT_EQ(dist.value, 1.25);
    IntParamCell param;
    param.rule.values.Append(0);
    param.rule.values.Append(5);
    param.Receive(seven);  // through its rule
    EXPECT_EQ(param.value, 5);
    BoolCell flag;
    UiEnum_Button_State_Act act;
    act.value = true;
    flag.Receive(act);
    EXPECT_TRUE(flag.value);
}

}  // namespace
