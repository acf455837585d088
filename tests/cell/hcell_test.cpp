// HCell trees: declared tags, children, change propagation, copying,
// mirrored tags, link notification and the two hashes.
#include <gtest/gtest.h>

#include "cell/container_cells.h"
#include "core/crc64.h"
#include "cell/registry.h"
#include "cell/std_cells.h"
#include "cell/synapser.h"
#include "cell/tags.h"

namespace {

TEST(HCell, StdHCellDeclaresItsEightTagsOnce) {
    StdHCell cell;
    const char16_t* names[] = {u"Count", u"Vector", u"Sys", u"ContainerVec", u"DAV3DArray", u"Name", u"Index", u"OutCount"};
    ASSERT_EQ(cell.TagCount(), 8);
    cell.DeclareTags();  // asked again: still eight
    ASSERT_EQ(cell.TagCount(), 8);
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(cell.TagAt(i)->name.Equals(reinterpret_cast<const WChar*>(names[i])));
    EXPECT_EQ(cell.TagValue(StdHCell::kCount)->ClassKey(), IntCell::kClassKey);
    EXPECT_EQ(cell.TagValue(StdHCell::kContainerVec)->ClassKey(), ContVec3DCell::kClassKey);
    EXPECT_TRUE(cell.TagAt(StdHCell::kOutCount)->IsExtra());
    EXPECT_FALSE(cell.TagAt(StdHCell::kOutCount)->IsExported());
    EXPECT_EQ(cell.ValueTagAt(StdHCell::kName)->flags, 5u);
    EXPECT_EQ(cell.FindTag(WTXT("Name")), StdHCell::kName);
    EXPECT_EQ(cell.FindTag(WTXT("name")), -1);
}

TEST(HCell, ChildrenKnowTheirParent) {
    StdHCell root;
    auto* a = new StdHCell;
    auto* b = new StdHCell;
    EXPECT_EQ(root.AddChild(a), 0);
    root.InsertChild(0, b);
    EXPECT_EQ(root.children[0], b);
    EXPECT_EQ(a->ParentCell(), &root);
    SSlave<Cell> watchA = a->SelfSlave();
    HCell* detached = root.DetachChild(1);
    EXPECT_EQ(detached, a);
    EXPECT_EQ(a->ParentCell(), nullptr);
    delete detached;
    EXPECT_EQ(watchA.Get(), nullptr);
}

TEST(HCell, ChangePropagatesUpAndClearsDown) {
    StdHCell root;
    auto* mid = new StdHCell;
    auto* leaf = new StdHCell;
    root.AddChild(mid);
    mid->AddChild(leaf);
    root.ClearChanged();
    EXPECT_FALSE(root.IsChanged());
    EXPECT_FALSE(leaf->IsChanged());
    EXPECT_FALSE(leaf->ValueTagAt(0)->IsChanged());

    leaf->ValueTagAt(StdHCell::kCount)->MarkChanged();
    EXPECT_TRUE(leaf->IsChanged());
    EXPECT_TRUE(mid->IsChanged());
    EXPECT_TRUE(root.IsChanged());

    // A second mark stops at the first changed ancestor.
    root.changed = 0;
    leaf->MarkChanged();
    EXPECT_FALSE(root.IsChanged());
}

TEST(HCell, HCellTagValueKnowsItsTag) {
    StdHCell owner;
    owner.ClearChanged();
    auto* inner = new StdHCell;
    auto* tag = owner.ValueTagAt(StdHCell::kCount);
    tag->SetValue(inner);
    inner->ClearChanged();
    tag->flags &= ~Tag::kChanged;
    owner.changed = 0;
    EXPECT_EQ(inner->ParentCell(), &owner);
    inner->MarkChanged();  // up through the tag to its owner
    EXPECT_TRUE(tag->IsChanged());
    EXPECT_TRUE(owner.IsChanged());
}

TEST(HCell, CloneCopiesTagsAndEquals) {
    StdHCell a;
    a.TagValueAs<IntCell>(StdHCell::kCount)->value = 4;
    a.TagValueAs<StringCell>(StdHCell::kName)->SetText(WTXT("n\u00e4me"));
    auto* v = new Vec3DCell;
    v->value = {1, 2, 3};
    a.TagValueAs<ContVec3DCell>(StdHCell::kContainerVec)->items.Add(v);
    a.TagValueAs<ContVec3DCell>(StdHCell::kContainerVec)->items.Add(nullptr);
    Cell* b = CloneCell(a);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->Equals(a));
    static_cast<StdHCell*>(b)->TagValueAs<IntCell>(StdHCell::kCount)->value = 5;
    EXPECT_FALSE(b->Equals(a));
    static_cast<StdHCell*>(b)->CopyValues(a);
    EXPECT_TRUE(b->Equals(a));
    delete b;
}

TEST(HCell, MirroringTagCopiesItsSourceOnClear) {
    StdHCell source, mirror;
    source.TagValueAs<IntCell>(StdHCell::kCount)->value = 42;
    Tag* t = mirror.ValueTagAt(StdHCell::kCount);
    t->flags |= Tag::kMirrorsSource;
    t->source = source.ValueTagAt(StdHCell::kCount)->SelfSlave();
    mirror.ClearChanged();
    EXPECT_EQ(mirror.TagValueAs<IntCell>(StdHCell::kCount)->value, 42);
    // A source of another value class is not copied.
    mirror.ValueTagAt(StdHCell::kName)->flags |= Tag::kMirrorsSource;
    mirror.ValueTagAt(StdHCell::kName)->source = source.ValueTagAt(StdHCell::kCount)->SelfSlave();
    mirror.Refresh();
    mirror.ClearChanged();
    EXPECT_TRUE(mirror.TagValueAs<StringCell>(StdHCell::kName)->value.IsEmpty());
}

TEST(HCell, MarkingATagNotifiesItsLinks) {
    StdHCell tagOwner, dependant, gone;
    dependant.ClearChanged();
    Tag* t = tagOwner.ValueTagAt(StdHCell::kCount);
    auto* doomed = new StdHCell;
    t->Links().Add(doomed->SelfSlave());
    t->Links().Add(dependant.SelfSlave());
    delete doomed;
    t->MarkChanged();
    EXPECT_TRUE(dependant.IsChanged());
    EXPECT_EQ(t->Links().Count(), 1);  // the dead link was swapped out
    // A mirroring tag never notifies.
    dependant.ClearChanged();
    t->flags |= Tag::kMirrorsSource;
    t->MarkChanged();
    EXPECT_FALSE(dependant.IsChanged());
}

TEST(HCell, TagHashFollowsNameAndValueClass) {
    Tag a, b;
    a.name.Assign(WTXT("Count"));
    b.name.Assign(WTXT("Count"));
    a.SetValue(new IntCell);
    b.SetValue(new DblCell);
    EXPECT_NE(a.TagHash(), b.TagHash());
    // FNV-1a over 16-bit units, then both class keys added.
    uint64_t h = 0xCBF29CE484222325ULL;
    for (char c : std::string("Count")) {
        h ^= uint16_t(c);
        h *= 0x100000001B3ULL;
    }
    EXPECT_EQ(a.TagHash(), h + Tag::kClassKey + IntCell::kClassKey);
}

TEST(HCell, StructureHashOfARootAndOfAChild) {
    StdHCell root;
    uint8_t bytes[12 + 8 * 8];
    const uint32_t header[3] = {55000, 0, 8};
    std::memcpy(bytes, header, 12);  // little-endian machine
    for (int i = 0; i < 8; ++i) {
        const uint64_t h = root.TagAt(i)->TagHash();
        std::memcpy(bytes + 12 + 8 * i, &h, 8);
    }
    EXPECT_EQ(root.StructureHash(), Crc64(bytes, sizeof bytes) + StdHCell::kClassKey);

    auto* child = new StdHCell;
    const uint64_t alone = child->StructureHash();
    const uint64_t rootBefore = root.StructureHash();
    root.AddChild(child);
    EXPECT_EQ(child->StructureHash(), alone + root.StructureHash());
    EXPECT_NE(root.StructureHash(), rootBefore);  // one child more
}

TEST(UnitsData, ResetDefaultsSetsAndMarks) {
    UnitsData units;
    units.TagValueAs<ec_DistUnits>(UnitsData::kSystem)->value = 7;
    units.TagValueAs<IntCell>(UnitsData::kDigits)->value = 9;
    units.ClearChanged();
    units.ResetDefaults();
    EXPECT_EQ(units.TagValueAs<ec_DistUnits>(UnitsData::kSystem)->value, 0);
    EXPECT_EQ(units.TagValueAs<IntCell>(UnitsData::kDigits)->value, 2);
    EXPECT_TRUE(units.TagAt(UnitsData::kSystem)->IsChanged());
    EXPECT_TRUE(units.TagAt(UnitsData::kDigits)->IsChanged());
    EXPECT_TRUE(units.IsChanged());
}

}  // namespace
