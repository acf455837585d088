// Script tags (a message or action with the cells it goes to) and the
// per-pass processing of HCells.
#include <gtest/gtest.h>

#include "cell/hcell.h"
#include "cell/scripts.h"
#include "cell/synapser.h"
#include "cell/tags.h"
#include "cell/value_cells.h"

namespace {

// A target that counts what it receives and answers boolean actions.
struct Target : HCell {
    int received = 0;
    bool answer = true;
    SSlave<Cell> Receive(Cell& message) override {
        ++received;
        if (auto* question = CellAs<BoolCell>(&message)) question->value = answer;
        return {};
    }
};

// A cell whose processing records itself and may mark its parent again.
struct Pass : HCell {
    int passes = 0;
    bool markParent = false;
    void Process() override {
        ++passes;
        HCell::Process();
        if (markParent)
            if (HCell* up = ParentCell()) up->MarkChanged();
    }
};

TEST(Scripts, FiringAndEvaluating) {
    HCell owner;
    Tag tag;
    SObject<Target> first(new Target), second(new Target);
    first->answer = false;

    EXPECT_FALSE(ScriptIsSet(&tag));
    EXPECT_EQ(FireScript(&tag), 0);
    EXPECT_EQ(EvaluateScript(&tag), nullptr);  // no action, no target

    SetScript(tag, new BoolCell, first.Get());
    EXPECT_TRUE(ScriptIsSet(&tag));
    EXPECT_FALSE(EvaluateScriptBool(&tag, true));  // the target's answer
    EXPECT_EQ(first->received, 1);

    // Two live targets: firing reaches both, but the script is not set and
    // evaluates to nothing.
    tag.Links().Add(second.Get());
    EXPECT_FALSE(ScriptIsSet(&tag));
    EXPECT_TRUE(EvaluateScriptBool(&tag, true));  // the fallback
    EXPECT_EQ(FireScript(&tag), 2);
    EXPECT_EQ(first->received, 2);
    EXPECT_EQ(second->received, 1);

    // A dead target is dropped: the one left makes the script set again.
    first.Reset(nullptr);
    EXPECT_TRUE(ScriptIsSet(&tag));
    EXPECT_EQ(FireScript(&tag), 1);
    EXPECT_EQ(tag.Links().Count(), 1);
    EXPECT_TRUE(EvaluateScriptBool(&tag, false));
}

TEST(Processing, ChangedChildrenOnlyAndMarksThatComeBackStay) {
    HCell root;
    auto* a = new Pass;
    auto* b = new Pass;
    root.AddChild(a);
    root.AddChild(b);
    root.Process();  // new cells are changed: both are processed
    EXPECT_EQ(a->passes, 1);
    EXPECT_EQ(b->passes, 1);
    EXPECT_FALSE(root.IsChanged());

    b->MarkChanged();
    EXPECT_TRUE(root.IsChanged());
    root.Process();
    EXPECT_EQ(a->passes, 1);  // unchanged: left alone
    EXPECT_EQ(b->passes, 2);

    // A child that changes what is above it leaves the mark for the next pass.
    b->markParent = true;
    b->MarkChanged();
    root.Process();
    EXPECT_TRUE(root.IsChanged());
    EXPECT_FALSE(b->IsChanged());
}

}  // namespace
