// CRC-64/WE: the check value, and every implementation agreeing on lengths
// and alignments around the fold's block sizes.
#include <gtest/gtest.h>

#include <vector>

#include "core/crc64.h"

namespace {

TEST(Crc64, CheckValue) {
    const char* text = "123456789";
    EXPECT_EQ(Crc64(text, 9), 0x62EC59E3F1A4F00AULL);
    EXPECT_EQ(~Crc64UpdateBytewise(~0ULL, text, 9), 0x62EC59E3F1A4F00AULL);
    EXPECT_EQ(Crc64(text, 0), 0ULL);
}

TEST(Crc64, AllPathsAgree) {
    std::vector<uint8_t> data(5000);
    uint32_t x = 12345;
    for (auto& b : data) {
        x = x * 1103515245u + 12345u;
        b = uint8_t(x >> 16);
    }
    const size_t lengths[] = {0, 1, 7, 8, 15, 16, 63, 64, 65, 127, 128, 255, 256, 1000, 4096, 4999};
    for (size_t offset : {size_t(0), size_t(1), size_t(3)}) {
        for (size_t n : lengths) {
            if (offset + n > data.size()) continue;
            const uint8_t* p = data.data() + offset;
            const uint64_t ref = Crc64UpdateBytewise(~0ULL, p, n);
            EXPECT_EQ(Crc64UpdateSlicing(~0ULL, p, n), ref) << n;
            EXPECT_EQ(Crc64UpdateClmul(~0ULL, p, n), ref) << n;
            EXPECT_EQ(Crc64Update(~0ULL, p, n), ref) << n;
            // Split anywhere, the running form gives the same result.
            const size_t half = n / 3;
            EXPECT_EQ(Crc64Update(Crc64Update(~0ULL, p, half), p + half, n - half), ref) << n;
        }
    }
}

}  // namespace
