// Tag paths: named and positional resolution, PARENT, legacy tags followed
// to their targets, and paths that do not fit.
#include <gtest/gtest.h>

#include <limits>

#include "cell/std_cells.h"
#include "cell/tag_path.h"
#include "cell/tags.h"

namespace {

constexpr double kAny = std::numeric_limits<double>::infinity();

std::string Narrow(const WString& w) {
    std::string s;
    for (int i = 0; i < w.Length(); ++i) s.push_back(char(w[i]));
    return s;
}

TEST(TagPath, TextNamesClassKeyAndTag) {
    SObject<LegacyTag> legacy;
    StdHCell cell;
    ASSERT_TRUE(cell.LegacyTagAt(0, legacy));
    EXPECT_EQ(Narrow(legacy->path.text), "StdHCell(5fbb0c60696bf471)->OldName");
    EXPECT_EQ(Narrow(legacy->path.targetName), "OldName");
}

TEST(TagPath, NamedPathsReachTagsInNestedCells) {
    StdHCell root;
    auto* inner = new StdHCell;
    root.ValueTagAt(StdHCell::kCount)->SetValue(inner);
    TagPath path;
    path.AddNamed(StdHCell::kClassKey, WTXT("Count"));
    path.AddNamed(StdHCell::kClassKey, WTXT("Name"));
    TagPathTarget target;
    ASSERT_TRUE(path.Resolve(&root, -1, target));
    EXPECT_EQ(target.cell, inner);
    EXPECT_EQ(target.tagIndex, StdHCell::kName);

    TagPath self;
    self.AddNamed(StdHCell::kClassKey, WTXT(""));
    ASSERT_TRUE(self.Resolve(&root, -1, target));
    EXPECT_EQ(target.cell, &root);
    EXPECT_EQ(target.tagIndex, -1);
}

TEST(TagPath, ParentStepsOutOfChildAndTagValue) {
    StdHCell root;
    auto* child = new StdHCell;
    root.AddChild(child);
    TagPath path;
    path.AddNamed(StdHCell::kClassKey, TagPath::kParent);
    path.AddNamed(StdHCell::kClassKey, WTXT("Index"));
    TagPathTarget target;
    ASSERT_TRUE(path.Resolve(child, -1, target));
    EXPECT_EQ(target.cell, &root);
    EXPECT_EQ(target.tagIndex, StdHCell::kIndex);
    EXPECT_FALSE(path.Resolve(&root, -1, target));  // a root has no parent
}

TEST(TagPath, PositionalPathsCheckExportedTagsAndClasses) {
    StdHCell root;
    auto* inner = new StdHCell;
    root.ValueTagAt(StdHCell::kName)->SetValue(inner);
    TagPath path;
    path.AddIndexed(StdHCell::kClassKey, StdHCell::kName);
    path.AddIndexed(StdHCell::kClassKey, StdHCell::kVector);
    TagPathTarget target;
    ASSERT_TRUE(path.Resolve(&root, -1, target));
    EXPECT_EQ(target.cell, inner);
    EXPECT_EQ(target.tagIndex, StdHCell::kVector);

    const struct {
        int32_t index;
        uint64_t firstClass;
    } bad[] = {
        {StdHCell::kOutCount, StdHCell::kClassKey},  // an extra tag is not exported
        {99, StdHCell::kClassKey},                   // no such tag
        {-1, StdHCell::kClassKey},
        {StdHCell::kCount, UnitsData::kClassKey},    // first class does not match
    };
    for (const auto& b : bad) {
        TagPath p;
        p.AddIndexed(b.firstClass, b.index);
        TagPathTarget untouched{&root, 77};
        EXPECT_FALSE(p.Resolve(&root, -1, untouched));
        EXPECT_EQ(untouched.tagIndex, 77);
    }
}

TEST(TagPath, FirstClassMustMatchWhateverFollows) {
    StdHCell root;
    TagPath path;
    path.AddNamed(UnitsData::kClassKey, WTXT("Count"));
    TagPathTarget target;
    EXPECT_FALSE(path.Resolve(&root, -1, target));
    TagPath empty;
    EXPECT_FALSE(empty.Resolve(&root, -1, target));
}

TEST(TagPath, LegacyTagsAreFoundByNameAndNearestVersion) {
    StdHCell cell;
    EXPECT_EQ(cell.FindLegacyTag(WTXT("VeryOldName"), 5.2, kAny), 0);
    EXPECT_EQ(cell.FindLegacyTag(WTXT("VeryOldName"), 5.21, kAny), -1);  // newer than its last version
    EXPECT_EQ(cell.FindLegacyTag(WTXT("OldName"), 5.0, kAny), 1);
    EXPECT_EQ(cell.FindLegacyTag(WTXT("OldName"), 5.0, 0.3), -1);         // beyond the maximum
    EXPECT_EQ(cell.FindLegacyTagTyped(WTXT("Mode"), IntCell::kClassKey, 5.0, kAny), 2);
    EXPECT_EQ(cell.FindLegacyTagTyped(WTXT("Mode"), DblCell::kClassKey, 5.0, kAny), -1);
}

TEST(TagPath, LegacyChainsResolveThroughTheirTargets) {
    StdHCell parent;
    auto* cell = new StdHCell;
    parent.AddChild(cell);

    // VeryOldName leads to OldName at 5.2036, which leads on to Count.
    SObject<LegacyTag> veryOld;
    ASSERT_TRUE(cell->LegacyTagAt(0, veryOld));
    TagPathTarget target;
    ASSERT_TRUE(veryOld->path.Resolve(cell, veryOld->targetVersion, target));
    EXPECT_EQ(target.cell, cell);
    EXPECT_EQ(target.tagIndex, StdHCell::kCount);

    // Mode leads out of the cell to its parent's Count.
    SObject<LegacyTag> mode;
    ASSERT_TRUE(cell->LegacyTagAt(2, mode));
    ASSERT_TRUE(mode->path.Resolve(cell, mode->targetVersion, target));
    EXPECT_EQ(target.cell, &parent);
    EXPECT_EQ(target.tagIndex, StdHCell::kCount);

    // At the current layout OldName is not a tag at all.
    TagPath current;
    current.AddNamed(StdHCell::kClassKey, WTXT("OldName"));
    EXPECT_FALSE(current.Resolve(cell, -1, target));
}

}  // namespace
