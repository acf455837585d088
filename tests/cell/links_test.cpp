// Owning and weak links: the master/slave release rules and self masters.
#include <gtest/gtest.h>

#include "cell/hcell.h"
#include "core/links.h"
#include "cell/std_cells.h"
#include "cell/value_cells.h"

namespace {

struct Tracked : Cell {
    static int alive;
    Tracked() { ++alive; }
    ~Tracked() override { --alive; }
};
int Tracked::alive = 0;

TEST(Links, MasterDestroysAndSlavesReadNull) {
    auto* master = new SMaster<Cell>(new Tracked);
    SSlave<Cell> a = *master;
    SSlave<Cell> b = a;
    SLink<Cell>* record = a.link;
    EXPECT_EQ(record->count, 3);
    delete master;
    EXPECT_EQ(Tracked::alive, 0);
    EXPECT_EQ(a.Get(), nullptr);
    EXPECT_EQ(b.Get(), nullptr);
    EXPECT_EQ(record->count, 2);  // the record lives while slaves point at it
    a.Release();
    EXPECT_EQ(record->count, 1);
}

TEST(Links, LastSlaveOfUnmasteredObjectDestroysIt) {
    {
        SSlave<Cell> only = SSlave<Cell>::Adopt(new Tracked);
        SSlave<Cell> copy = only;
        EXPECT_EQ(Tracked::alive, 1);
    }
    EXPECT_EQ(Tracked::alive, 0);
}

TEST(Links, LastSlaveLeavesSelfMasteredObjectAlone) {
    auto* cell = new StdHCell;
    {
        SSlave<Cell> s;
        s.link = new SLink<Cell>(cell);  // a record the cell never mastered
        EXPECT_TRUE(cell->HasSelfMaster());
    }
    // Still alive: its owner decides.
    EXPECT_EQ(cell->ClassKey(), StdHCell::kClassKey);
    delete cell;
}

TEST(Links, RepointingReleasesTheOldRecord) {
    SMaster<Cell> m1(new Tracked);
    SMaster<Cell> m2(new Tracked);
    SSlave<Cell> s = m1;
    EXPECT_EQ(m1.link->count, 2);
    s.PointAt(m2.link);
    EXPECT_EQ(m1.link->count, 1);
    EXPECT_EQ(m2.link->count, 2);
    s.PointAt(m2.link);  // same record: nothing changes
    EXPECT_EQ(m2.link->count, 2);
    m1.Reset(new Tracked);
    EXPECT_EQ(Tracked::alive, 2);
}

TEST(Links, SelfMasterClearsOnDestructionAndSharesOneRecord) {
    auto* cell = new StdHCell;
    SSlave<Cell> a = cell->SelfSlave();
    SSlave<HCell> b = cell->selfMaster;
    EXPECT_EQ(a.link, b.link);
    EXPECT_EQ(a.Get(), cell);
    delete cell;
    EXPECT_EQ(a.Get(), nullptr);
    EXPECT_EQ(b.Get(), nullptr);
}

TEST(Links, ExternalMasterOfSelfMasteredCellDestroysIt) {
    SSlave<Cell> watch;
    {
        SMaster<HCell> owner(new StdHCell);
        watch = owner.Get()->SelfSlave();
        EXPECT_NE(watch.Get(), nullptr);
    }
    EXPECT_EQ(watch.Get(), nullptr);
}

TEST(Links, SObjectOwnsRawBuffers) {
    SObject<unsigned char> buffer(new unsigned char[16]);
    buffer.Reset(new unsigned char[8]);
    EXPECT_NE(buffer.Get(), nullptr);
}

}  // namespace
