// Fonts without a window: the built-in fonts' metrics, measuring, aligning,
// fitting, quads with their clipping, painting, and blocks that must be
// refused or kept inside the atlas.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "font_blocks.h"
#include "gx/embedded_data.h"
#include "gx/font_gx.h"
#include "support/test_support.h"

namespace {

using test::TestGlyph;
using test::W;

// Each built-in font, loaded once for all the tests.
FontGx& LoadedBuiltin(int index) {
    static FontGx* fonts[2] = {};
    if (!fonts[index]) {
        fonts[index] = new FontGx;
        const EmbeddedBlock b = BuiltinFont(index);
        EXPECT_TRUE(fonts[index]->LoadFont(b.data, b.size));
    }
    return *fonts[index];
}

struct BuiltinFonts : ::testing::Test {
    static FontGx& First() { return LoadedBuiltin(0); }
    static FontGx& Second() { return LoadedBuiltin(1); }
};

TEST_F(BuiltinFonts, MetricsAndCoverage) {
    EXPECT_EQ(First().atlasWidth, 2048);
    EXPECT_EQ(First().lineHeight, 18);
    EXPECT_EQ(First().spacing, 1);
    EXPECT_EQ(First().lineAdvance, 19);
    EXPECT_EQ(Second().atlasWidth, 4096);
    EXPECT_EQ(Second().lineHeight, 21);
    EXPECT_EQ(Second().lineAdvance, 22);
    // Latin, Greek, Cyrillic, kana, kanji and Hangul have glyphs of their own.
    for (const char* text : {"Aéß", "Ωλ", "Жя", "インストール", "完了", "설치", "™→"}) {
        const WString w = W(text);
        for (int32_t i = 0; i < w.Length(); ++i) {
            EXPECT_TRUE(First().Glyph(w[i]).present) << text << " in the first font";
            EXPECT_TRUE(Second().Glyph(w[i]).present) << text << " in the second font";
        }
    }
    // Every glyph lies inside its atlas.
    for (FontGx* f : {&First(), &Second()})
        for (int32_t c = 0; c < FontGx::kGlyphCount; ++c) {
            const s_FontGlyph& g = f->glyphs[c];
            ASSERT_LE(g.texX1, 1.0f);
            ASSERT_LE(g.texY1, 1.0f);
        }
}

TEST_F(BuiltinFonts, Measuring) {
    int32_t w = -1, h = -1;
    First().MeasureText(WTXT(""), w, h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    First().MeasureText(WTXT("AB"), w, h);
    EXPECT_EQ(w, First().Glyph('A').width + 1 + First().Glyph('B').width);
    EXPECT_EQ(h, 18);
    First().MeasureText(WTXT("A\nBB"), w, h);
    EXPECT_EQ(h, 37);
    EXPECT_EQ(w, 2 * First().Glyph('B').width + 1);
    // Characters without a glyph draw as "?".
    const s_FontGlyph& unknown = First().Glyph(0xE000);
    EXPECT_FALSE(unknown.present);
    EXPECT_EQ(unknown.width, First().Glyph('?').width);
    EXPECT_EQ(unknown.texX0, First().Glyph('?').texX0);
    // Fitting stops before the character that passes the limit.
    const int32_t a = First().Glyph('A').width;
    EXPECT_EQ(First().FitCount(WTXT("AAAA"), 2 * a + 1), 2);
    EXPECT_EQ(First().FitCount(WTXT("AAAA"), 2 * a), 1);
    EXPECT_EQ(First().FitCount(WTXT("AA\nAA"), 2 * a + 1), 5);
}

// Every prefix's width from one pass is what measuring that prefix gives.
TEST_F(BuiltinFonts, PrefixWidthsInOnePass) {
    for (const WChar* text : {WTXT(""), WTXT("W"), WTXT("Veldo5 \u00e9t\u00e9 iii"), WTXT("AA\nB\rCCC"), WTXT("\n\nx")}) {
        DynamicArray<int32_t> widths;
        First().PrefixWidths(text, widths);
        const WString whole(text);
        ASSERT_EQ(widths.count, whole.Length() + 1);
        for (int32_t k = 0; k <= whole.Length(); ++k) {
            const WString prefix(text, k);
            int32_t w = -1, h = -1;
            First().MeasureText(prefix.CStr(), w, h);
            EXPECT_EQ(widths[k], w) << k;
        }
    }
}

TEST_F(BuiltinFonts, PaintingWritesInkInsideTheBuffer) {
    std::vector<uint32_t> pixels(40 * 20, 0x3f000000);
    First().PaintText(pixels.data(), 40, 20, WTXT("Hi"), 2, 2);
    int ink = 0;
    for (uint32_t p : pixels) ink += p == 0xFFFFFFFF;
    EXPECT_GT(ink, 10);
    // Text larger than the buffer is cut at its edges, not written past them.
    std::vector<uint32_t> small(3 * 3 + 1, 0);
    First().PaintText(small.data(), 3, 3, WTXT("WWWW\nWWWW"), 0, 0);
    EXPECT_EQ(small[9], 0u);
}

// A 64 x 4 atlas with glyphs "A" (31 wide) and "?" (3 wide), one bit a pixel.
FontGx& SmallFont() {
    static FontGx* font = [] {
        std::vector<uint8_t> bits(64 * 4 / 8, 0xFF);
        auto* f = new FontGx;
        const auto block = test::FontBlock(6, 64, 4, 1, 64 * 4, bits,
                                           {TestGlyph{'A', 0, 0, 30, 3, 2}, TestGlyph{'?', 40, 0, 42, 3, 0}});
        EXPECT_TRUE(f->LoadFont(block.data(), block.size()));
        return f;
    }();
    return *font;
}

TEST(Font, Alignment) {
    const FontGx& f = SmallFont();
    struct Case {
        int32_t h, v, x, y;
    } cases[] = {
        {0, 0, 0, 10},   // left, down
        {1, 0, 69, 10},  // right
        {2, 0, 34, 10},  // centre: (0 + 100 - 31) / 2
        {0, 1, 0, 32},   // up: 50 - 18
        {0, 2, 0, 21},   // centre: (10 + 50 - 18) / 2
    };
    for (const Case& c : cases) {
        int32_t x, y;
        f.AlignText(0, 10, 100, 50, WTXT("A"), c.h, c.v, x, y);
        EXPECT_EQ(x, c.x) << c.h << "," << c.v;
        EXPECT_EQ(y, c.y) << c.h << "," << c.v;
    }
}

TEST(Font, QuadsKeepWholeGlyphsInsideTheClip) {
    const FontGx& f = SmallFont();
    DynamicArray<s_GxVert_PosColUV> v;
    f.AppendTextQuads(0, 0, WTXT(""), 0xFFFFFFFF, GxBox{0, 0, 100, 100}, v);
    EXPECT_EQ(v.count, 0);
    f.AppendTextQuads(0, 0, WTXT("AA"), 0xFF00FF00, GxBox{0, 0, 100, 100}, v);
    ASSERT_EQ(v.count, 12);
    EXPECT_EQ(v[0].x, 0);
    EXPECT_EQ(v[6].x, 32);      // pen advanced by width 31 plus spacing 1
    EXPECT_EQ(v[2].y, 98);      // top edge: 0 + 100 - (0 + y offset 2)
    EXPECT_EQ(v[0].y, 94);      // four pixels tall
    EXPECT_EQ(v[0].color, 0xFF00FF00u);
    // A glyph whose right edge passes the clip by one pixel is left out whole.
    v.Resize(0);
    f.AppendTextQuads(0, 0, WTXT("AA"), 0xFFFFFFFF, GxBox{0, 0, 62, 100}, v);
    EXPECT_EQ(v.count, 6);
    v.Resize(0);
    f.AppendTextQuads(0, 0, WTXT("AA"), 0xFFFFFFFF, GxBox{0, 0, 63, 100}, v);
    EXPECT_EQ(v.count, 12);
    // A line break returns the pen and moves one line advance.
    v.Resize(0);
    f.AppendTextQuads(5, 0, WTXT("A\nA"), 0xFFFFFFFF, GxBox{0, 0, 100, 100}, v);
    ASSERT_EQ(v.count, 12);
    EXPECT_EQ(v[6].x, 5);
    EXPECT_EQ(v[2].y - v[8].y, 19);
}

TEST(Font, PixelEncodings) {
    // White atlases keep their coverage as packed as the block has it, raw
    // white pixels one byte each; coloured ones keep their colours.
    struct Case {
        uint8_t encoding;
        std::vector<uint8_t> bytes;
        uint32_t first, second;
        bool coverage;
    } cases[] = {
        {0, {0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55}, 0x11223344, 0x55667788, false},
        {0, {0xFF, 0xFF, 0xFF, 0x80, 0xFF, 0xFF, 0xFF, 0x00}, 0x80FFFFFF, 0x00FFFFFF, true},
        {1, {0x01}, 0xFFFFFFFF, 0x00FFFFFF, true},
        {2, {0x0E}, 0xAAFFFFFF, 0xFFFFFFFF, true},  // values 2 then 3, times 85
        {3, {0xF1}, 0x11FFFFFF, 0xFFFFFFFF, true},  // low nibble first, times 17
    };
    for (const Case& c : cases) {
        FontGx f;
        // Two pixels encoded of three: the third reads as a clear bit.
        const auto block = test::FontBlock(5, 3, 1, c.encoding, 2, c.bytes, {TestGlyph{'?', 0, 0, 1, 0, 0}});
        ASSERT_TRUE(f.LoadFont(block.data(), block.size())) << int(c.encoding);
        EXPECT_EQ(f.AtlasPixel(0), c.first) << int(c.encoding);
        EXPECT_EQ(f.AtlasPixel(1), c.second) << int(c.encoding);
        EXPECT_EQ(f.AtlasPixel(2), 0x00FFFFFFu) << int(c.encoding);
        EXPECT_EQ(f.atlasBits, c.coverage ? (c.encoding == 0 ? 8 : 1 << (c.encoding - 1)) : 32) << int(c.encoding);
    }
}

TEST(Font, OlderVersions) {
    for (uint32_t version : {3u, 4u}) {
        std::vector<uint8_t> b = {'A', 'S', 'F', 'O'};
        for (uint32_t v : {version, 2u, 1u, 0u, 18u, 1u, 19u}) test::Put32(b, v);
        b.push_back(0x80);  // alpha bytes
        b.push_back(0xFF);
        test::Put32(b, 1);
        test::Put32(b, 'x');
        for (float v : {0.25f, 0.5f, 0.75f, 0.5f, 3.0f}) {
            uint32_t u;
            std::memcpy(&u, &v, 4);
            test::Put32(b, u);
        }
        test::Put32(b, 2);
        test::Put32(b, 1);
        if (version == 4) b.resize(b.size() + 16, 0xEE);
        FontGx f;
        ASSERT_TRUE(f.LoadFont(b.data(), b.size())) << version;
        EXPECT_EQ(f.AtlasPixel(0), 0x80FFFFFFu);
        EXPECT_EQ(f.Glyph('x').width, 2);
        EXPECT_EQ(f.Glyph('x').yOffset, 3);
        EXPECT_EQ(f.Glyph('?').width, 2);  // the only glyph is the fallback
        b.pop_back();
        EXPECT_FALSE(f.LoadFont(b.data(), b.size())) << "truncated, version " << version;
    }
}

TEST(Font, MalformedBlocksAreRefused) {
    const std::vector<uint8_t> bits(1, 0xFF);
    const std::vector<TestGlyph> one = {TestGlyph{'?', 0, 0, 1, 1, 0}};
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
    } cases[] = {
        {"empty", {}},
        {"wrong magic", {'A', 'S', 'F', 'X', 6, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0}},
        {"version 7", test::FontBlock(7, 2, 2, 1, 4, bits, one)},
        {"version 2", test::FontBlock(2, 2, 2, 1, 4, bits, one)},
        {"atlas width 0", test::FontBlock(6, 0, 2, 1, 0, {}, {})},
        {"atlas height 4097", test::FontBlock(6, 2, 4097, 1, 4, bits, one)},
        {"more pixels than the atlas", test::FontBlock(6, 2, 2, 1, 5, bits, one)},
        {"glyph past the atlas", test::FontBlock(6, 2, 2, 1, 4, bits, {TestGlyph{'?', 0, 0, 2, 1, 0}})},
        {"glyph corners reversed", test::FontBlock(6, 2, 2, 1, 4, bits, {TestGlyph{'?', 1, 0, 0, 1, 0}})},
        {"unknown encoding", test::FontBlock(6, 2, 2, 4, 4, bits, one)},
        {"pixels cut short", test::FontBlock(6, 64, 2, 0, 128, bits, one)},
    };
    for (const Case& c : cases) {
        FontGx f;
        EXPECT_FALSE(f.LoadFont(c.block.data(), c.block.size())) << c.what;
        EXPECT_EQ(f.AtlasPixelCount(), 0) << c.what;
    }
    // Every prefix of a good block is refused.
    const auto good = test::FontBlock(6, 2, 2, 1, 4, bits, one);
    for (size_t n = 0; n < good.size(); ++n) {
        FontGx f;
        EXPECT_FALSE(f.LoadFont(good.data(), n)) << n;
    }
}

}  // namespace
