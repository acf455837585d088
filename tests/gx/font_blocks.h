// Small "ASFO" blocks written the way the format says, for the font tests
// and the fuzz corpus.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test {

struct TestGlyph {
    uint16_t code, x0, y0, x1, y1, yOffset;
};

inline void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
inline void Put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

// A version 5 or 6 block; pixels are the encoded bytes, pixelCount how many
// pixels they hold.
inline std::vector<uint8_t> FontBlock(uint32_t version, uint32_t width, uint32_t height, uint8_t encoding,
                                      uint32_t pixelCount, const std::vector<uint8_t>& pixels,
                                      const std::vector<TestGlyph>& glyphs, int32_t lineHeight = 18,
                                      int32_t spacing = 1, int32_t lineAdvance = 19) {
    std::vector<uint8_t> b = {'A', 'S', 'F', 'O'};
    Put32(b, version);
    Put32(b, width);
    Put32(b, height);
    b.push_back(encoding);
    Put32(b, uint32_t(lineHeight));
    Put32(b, uint32_t(spacing));
    Put32(b, uint32_t(lineAdvance));
    if (version == 6) Put32(b, 0);
    Put32(b, pixelCount);
    b.insert(b.end(), pixels.begin(), pixels.end());
    Put16(b, uint16_t(glyphs.size()));
    for (const TestGlyph& g : glyphs)
        for (uint16_t v : {g.code, g.x0, g.y0, g.x1, g.y1, g.yOffset}) Put16(b, v);
    return b;
}

}  // namespace test
