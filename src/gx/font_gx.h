// FontGx: a bitmap font loaded from an "ASFO" block: an atlas of white
// pixels whose alpha is the glyph coverage, and a table of 65536 glyphs
// indexed by UTF-16 code unit. It measures, aligns and fits text, turns it
// into textured quads, and paints it into pixel buffers.
//
// Block versions (little-endian; magic "ASFO", version, atlas width and
// height, each 4 bytes):
//   3  flags (bit 0: raw 32-bit pixels, else one alpha byte a pixel), line
//      height, spacing, line advance; the whole atlas; a 32-bit glyph count;
//      32-byte glyph records with texture coordinates and a float y offset.
//   4  as 3, with 48-byte glyph records (the last 16 bytes unused).
//   5  a pixel encoding byte (0 raw, 1, 2 or 4 bits a pixel), line height,
//      spacing, line advance, a count of encoded pixels (the rest of the
//      atlas reads as clear white); a 16-bit glyph count; 12-byte records
//      of six 16-bit values (code, x0, y0, x1, y1 inclusive, y offset).
//   6  as 5, with a further metric after the line advance.
#pragma once

#include "cell/cell.h"
#include "cell/enum_cells.h"
#include "core/geometry.h"
#include "core/links.h"
#include "gx/draw_gx.h"

struct s_FontGlyph {
    float texX0 = 0, texY0 = 0, texX1 = 0, texY1 = 0;
    int32_t width = 0, height = 0, yOffset = 0;
    uint8_t present = 0;
    uint8_t unused[3] = {};
};
static_assert(sizeof(s_FontGlyph) == 32);

class FontGx : public GxCell {
public:
    static constexpr int32_t kGlyphCount = 65536;

    int32_t atlasWidth = 0, atlasHeight = 0;
    // The atlas, the first row first, kept as small as the block allows:
    // white coverage packed 1, 2 or 4 bits a pixel as the block holds it
    // (the built-in fonts), coverage bytes (8), or 0xAARRGGBB pixels (32).
    // Pixels past those the block gives read as clear white.
    int32_t atlasBits = 0;
    uint32_t atlasGiven = 0;
    DynamicArray<uint8_t> atlasBytes;      // packed or coverage
    DynamicArray<uint32_t> atlasColours;   // 32 bits a pixel
    DynamicArray<s_FontGlyph> glyphs;  // 65536, zero where no glyph is
    int32_t lineHeight = 1, spacing = 1, lineAdvance = 1;
    int32_t furtherMetric = 0;  // read from version 6 data; nothing uses it
    SObject<TextureGx> texture;
    SObject<MaterialGx> material;

    FontGx();
    ~FontGx() override;

    // False on any malformed or truncated block. When the block lives as
    // long as the font (the built-in fonts, linked into the program), a
    // packed atlas is read from it in place instead of copied.
    bool LoadFont(const uint8_t* data, size_t size, bool blockStays = false);
    // width * height once loaded, else 0.
    int32_t AtlasPixelCount() const { return atlasBits ? atlasWidth * atlasHeight : 0; }
    // The atlas pixel at index as 0xAARRGGBB.
    uint32_t AtlasPixel(int32_t index) const;
    // Coverage of count rows from row y into out (width bytes a row), for
    // an atlas of white pixels (atlasBits up to 8).
    void AtlasAlphaRows(int32_t y, int32_t count, uint8_t* out) const;
    // Makes the atlas texture and points the material at it (the window's
    // context current); a white atlas is unpacked a strip at a time.
    bool CreateTexture();

    void MeasureText(const WChar* text, int32_t& width, int32_t& height) const;
    // The width MeasureText gives each prefix of text, from the empty one to
    // the whole, in one pass: widths gets length + 1 values.
    void PrefixWidths(const WChar* text, DynamicArray<int32_t>& widths) const;
    // The start point of text in the box, by ec_LRC (AlignX) and ec_DUC
    // (AlignY).
    void AlignText(int32_t left, int32_t bottom, int32_t right, int32_t top, const WChar* text, int32_t horizontal,
                   int32_t vertical, int32_t& x, int32_t& y) const;
    // How many characters fit within widthLimit.
    int32_t FitCount(const WChar* text, int32_t widthLimit) const;
    // Two textured triangles per glyph wholly inside clip, appended.
    void AppendTextQuads(int32_t x, int32_t y, const WChar* text, uint32_t color, const GxBox& clip,
                         DynamicArray<s_GxVert_PosColUV>& vertices) const;
    // Writes the glyphs' pixels into a width * height buffer (the first row
    // at the top), aligned in it as AlignText does; nothing outside it.
    void PaintText(uint32_t* pixels, int32_t width, int32_t height, const WChar* text, int32_t horizontal,
                   int32_t vertical) const;

    static bool IsLineBreak(WChar c) { return c == 1 || c == 10 || c == 13; }
    // A character the font lacks reads as its fallback ("?", or the first
    // glyph there is), marked not present.
    const s_FontGlyph& Glyph(WChar c) const {
        const s_FontGlyph& g = glyphs.data[uint16_t(c)];
        return g.present ? g : missing_;
    }

private:
    s_FontGlyph missing_;
};
