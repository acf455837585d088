// DynamicArray growth, Container ownership and the keyed table's probing
// and 75 % load rule.
#include <gtest/gtest.h>

#include "core/container.h"
#include "core/dynamic_array.h"
#include "core/hash_container.h"

namespace {

TEST(DynamicArray, GrowsExactly) {
    DynamicArray<int> a;
    EXPECT_EQ(a.data, nullptr);
    a.Append(1);
    EXPECT_EQ(a.capacity, 1);
    a.Append(2);
    EXPECT_EQ(a.capacity, 2);  // one more, never doubled
    a.Resize(10);
    EXPECT_EQ(a.capacity, 10);
    EXPECT_EQ(a.count, 10);
    EXPECT_EQ(a[1], 2);
    a.Resize(3);
    EXPECT_EQ(a.capacity, 10);
    a.Resize(0);
    EXPECT_EQ(a.count, 0);
    a.Resize(-5);
    EXPECT_EQ(a.count, 0);
}

TEST(DynamicArray, InsertEraseAndSelfAppend) {
    DynamicArray<int> a;
    for (int i = 0; i < 5; ++i) a.Append(i);
    a.Insert(2, 9);
    a.Erase(0, 1);
    const int expected[] = {1, 9, 2, 3, 4};
    ASSERT_EQ(a.count, 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(a[i], expected[i]);
    a.Append(a.data, a.count);  // appending itself reallocates safely
    ASSERT_EQ(a.count, 10);
    EXPECT_EQ(a[9], 4);
}

struct Counted {
    static int alive;
    int id;
    explicit Counted(int i) : id(i) { ++alive; }
    virtual ~Counted() { --alive; }
};
int Counted::alive = 0;

TEST(Container, OwnsAndGrowsByStep) {
    {
        Container<Counted> c;
        EXPECT_EQ(c.Add(new Counted(1), 4), 0);
        EXPECT_EQ(c.capacity, 4);
        c.Add(nullptr);
        c.Add(new Counted(3));
        c.Insert(0, new Counted(0));
        ASSERT_EQ(c.count, 4);
        EXPECT_EQ(c[0]->id, 0);
        EXPECT_EQ(c[1]->id, 1);
        EXPECT_EQ(c[2], nullptr);
        EXPECT_EQ(c[3]->id, 3);
        c.Add(new Counted(4));  // full at 4: grows by one
        EXPECT_EQ(c.capacity, 5);
        c.Insert(1, new Counted(7));  // full insert copies around the gap
        EXPECT_EQ(c[1]->id, 7);
        EXPECT_EQ(c[2]->id, 1);
        EXPECT_EQ(Counted::alive, 5);
        c.Remove(1);
        EXPECT_EQ(Counted::alive, 4);
    }
    EXPECT_EQ(Counted::alive, 0);
}

struct Value {
    int v = 0;
    virtual ~Value() = default;
};
using Table = HashContainer<KeyU64, Value>;

Pair<KeyU64, Value>* Entry(uint64_t key, int v) {
    auto* e = new Pair<KeyU64, Value>();
    e->key = KeyU64(key);
    e->value.v = v;
    return e;
}

TEST(HashContainer, ReplacesEqualKeysWithoutCounting) {
    Table t(64);
    EXPECT_EQ(t.Size(), 64);
    EXPECT_TRUE(t.Insert(Entry(5, 1)));
    EXPECT_TRUE(t.Insert(Entry(5, 2)));
    EXPECT_EQ(t.Used(), 1);
    ASSERT_NE(t.FindValue(KeyU64(5)), nullptr);
    EXPECT_EQ(t.FindValue(KeyU64(5))->v, 2);
    EXPECT_EQ(t.Find(KeyU64(6)), -1);
}

TEST(HashContainer, ProbesLinearlyFromKeyModuloSize) {
    Table t(64);
    t.Insert(Entry(3, 1));
    t.Insert(Entry(67, 2));   // 67 % 64 == 3: next slot
    t.Insert(Entry(127, 3));  // 127 % 64 == 63: last slot
    t.Insert(Entry(191, 4));  // wraps to slot 0
    EXPECT_EQ(t.Find(KeyU64(3)), 3);
    EXPECT_EQ(t.Find(KeyU64(67)), 4);
    EXPECT_EQ(t.Find(KeyU64(127)), 63);
    EXPECT_EQ(t.Find(KeyU64(191)), 0);
}

TEST(HashContainer, DoublesBeforeThe49thEntryOf64) {
    Table t(64);
    for (uint64_t k = 0; k < 48; ++k) ASSERT_TRUE(t.Insert(Entry(k * 7, int(k))));
    EXPECT_EQ(t.Size(), 64);
    ASSERT_TRUE(t.Insert(Entry(1000, 48)));
    EXPECT_EQ(t.Size(), 128);
    EXPECT_EQ(t.Used(), 49);
    for (uint64_t k = 0; k < 48; ++k) ASSERT_EQ(t.FindValue(KeyU64(k * 7))->v, int(k));
}

TEST(HashContainer, EmptyTableStillTakesEntries) {
    Table t(0);
    EXPECT_TRUE(t.Insert(Entry(1, 1)));
    EXPECT_GE(t.Size(), 2);
    EXPECT_EQ(t.FindValue(KeyU64(1))->v, 1);
}

// Borrowed constant data (tag names, a font atlas) is copied before the
// array changes: appending or inserting never writes into it.
TEST(DynamicArray, ChangingBorrowedDataCopiesItFirst) {
    static const int32_t kConstant[3] = {1, 2, 3};  // read-only memory: a write would crash
    DynamicArray<int32_t> a;
    a.Borrow(kConstant, 3);
    a.Append(4);
    ASSERT_EQ(a.count, 4);
    EXPECT_EQ(a[3], 4);
    DynamicArray<int32_t> b;
    b.Borrow(kConstant, 3);
    b.Insert(1, 9);
    ASSERT_EQ(b.count, 4);
    EXPECT_EQ(b[1], 9);
    EXPECT_EQ(b[3], 3);
    EXPECT_EQ(kConstant[1], 2);
}

}  // namespace
