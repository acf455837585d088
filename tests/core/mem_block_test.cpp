// MemBlock pages and the cursor's read, write and seek rules.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/mem_block.h"

namespace {

std::vector<uint8_t> Bytes(int n) {
    std::vector<uint8_t> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[size_t(i)] = uint8_t(i * 7 + 1);
    return v;
}

TEST(MemBlock, WritesAcrossPagesAndReadsBack) {
    MemBlock block(8);
    MemBlockCursor w(block);
    const auto data = Bytes(21);
    ASSERT_TRUE(w.Write(data.data(), 21));
    EXPECT_EQ(block.PageCount(), 3);
    EXPECT_EQ(block.lastUsed, 5);
    EXPECT_EQ(block.Size(), 21);
    EXPECT_EQ(w.Offset(), 21);

    MemBlockCursor r(block);
    std::vector<uint8_t> back(21);
    ASSERT_TRUE(r.Read(back.data(), 21));
    EXPECT_EQ(back, data);
    EXPECT_EQ(r.Remaining(), 0);
}

TEST(MemBlock, ReadPastTheEndFailsAndChangesNothing) {
    MemBlock block;
    MemBlockCursor c(block);
    const auto data = Bytes(13);
    c.Write(data.data(), 13);
    ASSERT_TRUE(c.Seek(8));
    uint8_t out[8];
    std::memset(out, 0xAA, sizeof out);
    EXPECT_FALSE(c.Read(out, 8));  // 5 bytes left
    EXPECT_EQ(out[0], 0xAA);
    EXPECT_EQ(c.Offset(), 8);
    EXPECT_FALSE(c.Seek(14));
    EXPECT_EQ(c.Offset(), 8);
    EXPECT_TRUE(c.Seek(13));
    EXPECT_EQ(c.Remaining(), 0);
}

TEST(MemBlock, OverwriteAcrossAPageBoundaryKeepsTheSize) {
    MemBlock block(8);
    MemBlockCursor c(block);
    const auto data = Bytes(24);
    c.Write(data.data(), 24);  // exactly three full pages
    EXPECT_EQ(block.lastUsed, 8);
    ASSERT_TRUE(c.Seek(6));
    const uint64_t patch = 0x1122334455667788ULL;
    ASSERT_TRUE(c.WriteValue(patch));  // spans pages 0 and 1
    EXPECT_EQ(block.Size(), 24);
    ASSERT_TRUE(c.Seek(6));
    uint64_t back = 0;
    ASSERT_TRUE(c.ReadValue(back));
    EXPECT_EQ(back, patch);
    // Seeking to the end of a full last page, then writing, appends a page.
    ASSERT_TRUE(c.Seek(24));
    ASSERT_TRUE(c.WriteValue(uint8_t(9)));
    EXPECT_EQ(block.PageCount(), 4);
    EXPECT_EQ(block.Size(), 25);
}

TEST(MemBlock, CopyAndCompare) {
    MemBlock a(16), b(3);
    MemBlockCursor ca(a), cb(b);
    const auto data = Bytes(40);
    ca.Write(data.data(), 40);
    cb.Write(data.data(), 40);
    EXPECT_TRUE(a.SameBytes(b));
    MemBlock c;
    c.CopyFrom(a);
    EXPECT_TRUE(c.SameBytes(b));
    EXPECT_EQ(c.pageSize, 16);
}

TEST(MemBlock, UnusablePageSizeRefusesWrites) {
    MemBlock block(0);
    MemBlockCursor c(block);
    EXPECT_FALSE(c.WriteValue(1));
    uint8_t x;
    EXPECT_FALSE(c.Read(&x, 1));
    EXPECT_TRUE(c.Read(&x, 0));
}

}  // namespace
