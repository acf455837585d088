// The font loader on hostile blocks: it refuses or clamps, never reads past
// the block or writes past the atlas, and what it accepts can be measured,
// fitted, turned into quads and painted without going out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "gx/font_gx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FontGx* font = new FontGx;  // the 2 MiB glyph table, made once
    if (!font->LoadFont(data, size)) return 0;
    if (font->AtlasPixelCount() != font->atlasWidth * font->atlasHeight) std::abort();
    const WChar text[] = {'A', '?', 0x3042, 10, 0xFFFF, 'g', 13, 0x00E9, 0};
    int32_t width = 0, height = 0, x = 0, y = 0;
    font->MeasureText(text, width, height);
    font->AlignText(0, 0, 100, 40, text, 2, 2, x, y);
    font->FitCount(text, 50);
    DynamicArray<s_GxVert_PosColUV> quads;
    font->AppendTextQuads(x, y, text, 0xFFFFFFFF, GxBox{0, 0, 100, 40}, quads);
    if (quads.count % 6 != 0) std::abort();
    uint32_t pixels[24 * 16];
    font->PaintText(pixels, 24, 16, text, 2, 2);
    return 0;
}
