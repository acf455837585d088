// FontGx. Sections: reading a block; measuring and fitting; quads and
// painting.
#include "gx/font_gx.h"

#include "sys/platform.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

FontGx::FontGx() { glyphs.ResetZeroed(kGlyphCount); }

FontGx::~FontGx() = default;

// ---- reading a block ----------------------------------------------------------

namespace {

// Every read is checked against the block's end.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    bool Has(size_t n) const { return n <= size - at; }
    bool U8(uint8_t& v) {
        if (!Has(1)) return false;
        v = data[at++];
        return true;
    }
    bool U16(uint16_t& v) {
        if (!Has(2)) return false;
        v = uint16_t(data[at] | data[at + 1] << 8);
        at += 2;
        return true;
    }
    bool U32(uint32_t& v) {
        if (!Has(4)) return false;
        v = uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16 | uint32_t(data[at + 3]) << 24;
        at += 4;
        return true;
    }
    bool I32(int32_t& v) {
        uint32_t u;
        if (!U32(u)) return false;
        v = int32_t(u);
        return true;
    }
    bool F32(float& v) {
        uint32_t u;
        if (!U32(u)) return false;
        std::memcpy(&v, &u, 4);
        return true;
    }
};

constexpr uint32_t kTransparentWhite = 0x00FFFFFF;

int32_t Clamped(int32_t v, int32_t low, int32_t high) { return v < low ? low : v > high ? high : v; }

// The atlas column or row a texture coordinate names, -1 outside it.
int32_t AtlasCoordinate(float t, int32_t size) {
    const float p = std::floor(t * float(size));
    return std::isfinite(p) && p >= 0 && p < float(size) ? int32_t(p) : -1;
}

// Raw 0xAARRGGBB pixels (encoding 0, and the older versions' flag 1).
bool DecodeColours(Reader& r, uint32_t count, uint32_t* pixels) {
    for (uint32_t i = 0; i < count; ++i)
        if (!r.U32(pixels[i])) return false;
    return true;
}

bool AllWhite(const DynamicArray<uint32_t>& pixels) {
    uint32_t notWhite = 0;
    for (int32_t i = 0; i < pixels.count; ++i) notWhite |= ~pixels.data[i] & 0x00FFFFFFu;
    return notWhite == 0;
}

// The bits a pixel of encodings 1 to 3, and the factor to a byte.
uint32_t PackedBits(uint8_t encoding) { return encoding == 1 ? 1 : encoding == 2 ? 2 : 4; }
uint32_t PackedScale(uint32_t bits) { return bits == 1 ? 255 : bits == 2 ? 85 : 17; }

}  // namespace

bool FontGx::LoadFont(const uint8_t* data, size_t size, bool blockStays) {
    if (!data) return false;
    Reader r{data, size};
    uint32_t version = 0, width = 0, height = 0;
    if (!r.Has(4) || std::memcmp(data, "ASFO", 4) != 0) return false;
    r.at = 4;
    if (!r.U32(version) || !r.U32(width) || !r.U32(height)) return false;
    if (version < 3 || version > 6 || width < 1 || width > 4096 || height < 1 || height > 4096) return false;

    // Packed coverage is kept as the block holds it; raw pixels are turned
    // into coverage bytes when they are all white.
    const size_t pixelCount = size_t(width) * height;
    int32_t bits = 0;
    uint32_t given = uint32_t(pixelCount);
    DynamicArray<uint8_t> bytes;
    DynamicArray<uint32_t> raw;
    DynamicArray<s_FontGlyph> table;
    table.ResetZeroed(kGlyphCount);
    int32_t line = 1, space = 1, advance = 1, further = 0;
    const float w = float(width), h = float(height);

    if (version >= 5) {
        uint8_t encoding = 0;
        uint32_t count = 0;
        if (!r.U8(encoding) || !r.I32(line) || !r.I32(space) || !r.I32(advance)) return false;
        if (version == 6 && !r.I32(further)) return false;
        if (!r.U32(count) || count > width * height) return false;  // never past the atlas
        if (encoding > 3) return false;
        if (encoding == 0) {
            // Pixels past those the block encodes read as a clear bit would.
            raw.Resize(int32_t(pixelCount));
            std::fill(raw.data, raw.data + pixelCount, kTransparentWhite);
            if (!DecodeColours(r, count, raw.data)) return false;
        } else {
            bits = int32_t(PackedBits(encoding));
            const size_t perByte = size_t(8 / bits), n = (size_t(count) + perByte - 1) / perByte;
            if (!r.Has(n)) return false;
            if (blockStays) bytes.Borrow(data + r.at, int32_t(n));
            else bytes.Append(data + r.at, int32_t(n));
            r.at += n;
            given = count;
        }
        uint16_t glyphCount = 0;
        if (!r.U16(glyphCount)) return false;
        for (uint32_t g = 0; g < glyphCount; ++g) {
            uint16_t code, x0, y0, x1, y1, yOffset;
            if (!r.U16(code) || !r.U16(x0) || !r.U16(y0) || !r.U16(x1) || !r.U16(y1) || !r.U16(yOffset)) return false;
            if (x1 < x0 || y1 < y0 || x1 >= width || y1 >= height) return false;  // outside the atlas
            s_FontGlyph& e = table.data[code];
            e.texX0 = x0 / w + 0.5f / w;
            e.texY0 = y0 / h + 0.5f / h;
            e.texX1 = x1 / w + 0.5f / w;
            e.texY1 = y1 / h + 0.5f / h;
            e.width = x1 - x0 + 1;
            e.height = y1 - y0 + 1;
            e.yOffset = yOffset;
            e.present = 1;
        }
    } else {
        uint32_t flags = 0, glyphCount = 0;
        if (!r.U32(flags) || !r.I32(line) || !r.I32(space) || !r.I32(advance)) return false;
        const size_t n = pixelCount;
        if (flags & 1) {
            raw.Resize(int32_t(n));
            if (!DecodeColours(r, uint32_t(n), raw.data)) return false;
        } else {
            if (!r.Has(n)) return false;
            bits = 8;
            bytes.Append(data + r.at, int32_t(n));
            r.at += n;
        }
        if (!r.U32(glyphCount) || glyphCount > 65536) return false;
        const size_t recordSize = version == 4 ? 48 : 32;
        for (uint32_t g = 0; g < glyphCount; ++g) {
            if (!r.Has(recordSize)) return false;
            const size_t next = r.at + recordSize;
            uint32_t code;
            s_FontGlyph e;
            float yOffset;
            if (!r.U32(code) || code > 0xFFFF) return false;
            r.F32(e.texX0), r.F32(e.texY0), r.F32(e.texX1), r.F32(e.texY1), r.F32(yOffset);
            r.I32(e.width), r.I32(e.height);
            // Sizes are clamped to the atlas, so that measuring never overflows.
            if (!std::isfinite(yOffset) || std::fabs(yOffset) > 4096.0f) yOffset = 0;
            e.yOffset = int32_t(yOffset);
            e.width = Clamped(e.width, 0, int32_t(width));
            e.height = Clamped(e.height, 0, int32_t(height));
            e.present = 1;
            table.data[code] = e;
            r.at = next;
        }
    }

    // Unknown characters draw as "?" (or the first glyph there is).
    int32_t fallback = table.data[int32_t('?')].present ? '?' : -1;
    for (int32_t c = 0; c < kGlyphCount && fallback < 0; ++c)
        if (table.data[c].present) fallback = c;
    s_FontGlyph missing = fallback >= 0 ? table.data[fallback] : s_FontGlyph{};
    missing.present = 0;

    if (raw.count > 0) {
        bits = 32;
        if (AllWhite(raw)) {  // white raw pixels keep only their coverage
            bits = 8;
            bytes.Resize(raw.count);
            for (int32_t i = 0; i < raw.count; ++i) bytes.data[i] = uint8_t(raw.data[i] >> 24);
            raw = DynamicArray<uint32_t>();
        }
    }
    atlasWidth = int32_t(width);
    atlasHeight = int32_t(height);
    atlasBits = bits;
    atlasGiven = given;
    atlasBytes = static_cast<DynamicArray<uint8_t>&&>(bytes);
    atlasColours = static_cast<DynamicArray<uint32_t>&&>(raw);
    glyphs = static_cast<DynamicArray<s_FontGlyph>&&>(table);
    missing_ = missing;
    lineHeight = Clamped(line, 0, 4096);
    spacing = Clamped(space, 0, 4096);
    lineAdvance = Clamped(advance, 0, 4096);
    furtherMetric = further;
    return true;
}

uint32_t FontGx::AtlasPixel(int32_t index) const {
    if (atlasBits == 32) return atlasColours.data[index];
    if (atlasBits == 8) return uint32_t(atlasBytes.data[index]) << 24 | 0x00FFFFFFu;
    if (uint32_t(index) >= atlasGiven) return kTransparentWhite;
    const uint32_t bits = uint32_t(atlasBits), perByte = 8 / bits, mask = (1u << bits) - 1;
    const uint32_t value = (atlasBytes.data[uint32_t(index) / perByte] >> ((uint32_t(index) % perByte) * bits)) & mask;
    return (value * PackedScale(bits)) << 24 | 0x00FFFFFFu;
}

void FontGx::AtlasAlphaRows(int32_t y, int32_t count, uint8_t* out) const {
    const size_t from = size_t(y) * size_t(atlasWidth), n = size_t(count) * size_t(atlasWidth);
    if (atlasBits == 8) {
        std::memcpy(out, atlasBytes.data + from, n);
        return;
    }
    size_t i = 0;
    if (atlasBits == 1 && from % 8 == 0) {
        // The built-in fonts' form: eight pixels a byte, expanded by table.
        static const auto expanded = [] {
            struct Table {
                uint8_t alphas[256][8];
            } t;
            for (uint32_t byte = 0; byte < 256; ++byte)
                for (uint32_t k = 0; k < 8; ++k) t.alphas[byte][k] = (byte >> k) & 1 ? 255 : 0;
            return t;
        }();
        const size_t given = atlasGiven > from ? std::min<size_t>(n, atlasGiven - from) / 8 * 8 : 0;
        for (; i < given; i += 8) std::memcpy(out + i, expanded.alphas[atlasBytes.data[(from + i) / 8]], 8);
    }
    for (; i < n; ++i) out[i] = uint8_t(AtlasPixel(int32_t(from + i)) >> 24);
}

bool FontGx::CreateTexture() {
    if (AtlasPixelCount() == 0) return false;
    if (!texture) texture.Reset(NewTextureGx());
    struct AtlasRows : GxAlphaRows {
        const FontGx& font;
        explicit AtlasRows(const FontGx& f) : font(f) {}
        void Rows(int32_t y, int32_t count, uint8_t* out) const override { font.AtlasAlphaRows(y, count, out); }
    } rows(*this);
    const bool made = atlasBits == 32 ? texture->SetPixels(atlasWidth, atlasHeight, atlasColours.data)
                                      : texture->SetAlphas(atlasWidth, atlasHeight, rows);
    if (!made) return false;
    if (!material) material.Reset(new MaterialGx);
    material->texture.PointAt(texture->EnsureSelfLink());
    return true;
}

// ---- measuring and fitting ---------------------------------------------------------

void FontGx::MeasureText(const WChar* text, int32_t& width, int32_t& height) const {
    width = height = 0;
    if (!text || !*text) return;
    height = lineHeight;
    int32_t lineWidth = 0;
    bool first = true;
    for (const WChar* c = text; *c; ++c) {
        if (IsLineBreak(*c)) {
            height += lineAdvance;
            lineWidth = 0;
            first = true;
            continue;
        }
        lineWidth += Glyph(*c).width + (first ? 0 : spacing);
        first = false;
        if (lineWidth > width) width = lineWidth;
    }
}

void FontGx::PrefixWidths(const WChar* text, DynamicArray<int32_t>& widths) const {
    widths.Clear();
    widths.Append(0);
    int32_t width = 0, lineWidth = 0;
    bool first = true;
    for (const WChar* c = text; c && *c; ++c) {
        if (IsLineBreak(*c)) {
            lineWidth = 0;
            first = true;
        } else {
            lineWidth += Glyph(*c).width + (first ? 0 : spacing);
            first = false;
            if (lineWidth > width) width = lineWidth;
        }
        widths.Append(width);
    }
}

void FontGx::AlignText(int32_t left, int32_t bottom, int32_t right, int32_t top, const WChar* text,
                       int32_t horizontal, int32_t vertical, int32_t& x, int32_t& y) const {
    x = left;
    y = bottom;
    if (horizontal == kAlignLeft && vertical == kAlignBottom) return;
    int32_t width = 0, height = 0;
    MeasureText(text, width, height);
    if (horizontal == kAlignRight) x = right - width;
    else if (horizontal == kAlignCenterX) x = (left + right - width) / 2;
    if (vertical == kAlignTop) y = top - height;
    else if (vertical == kAlignCenterY) y = (bottom + top - height) / 2;
}

int32_t FontGx::FitCount(const WChar* text, int32_t widthLimit) const {
    if (!text) return 0;
    int32_t count = 0, lineWidth = 0;
    bool first = true;
    for (const WChar* c = text; *c; ++c, ++count) {
        if (IsLineBreak(*c)) {
            lineWidth = 0;
            first = true;
            continue;
        }
        const int32_t next = lineWidth + Glyph(*c).width + (first ? 0 : spacing);
        if (next > widthLimit) break;
        lineWidth = next;
        first = false;
    }
    return count;
}

// ---- quads and painting ------------------------------------------------------------------

void FontGx::AppendTextQuads(int32_t x, int32_t y, const WChar* text, uint32_t color, const GxBox& clip,
                             DynamicArray<s_GxVert_PosColUV>& vertices) const {
    if (!text) return;
    int32_t length = 0;
    while (text[length]) ++length;
    int32_t at = vertices.count;  // room for every glyph, trimmed at the end
    vertices.Resize(at + 6 * length);
    float pen = float(x), lineOffset = float(y);
    for (const WChar* c = text; *c; ++c) {
        if (IsLineBreak(*c)) {
            lineOffset += float(lineAdvance);
            pen = float(x);
            continue;
        }
        const s_FontGlyph& g = Glyph(*c);
        const float top = clip.y0 + clip.y1 - (lineOffset + float(g.yOffset));
        const float bottom = top - float(g.height), right = pen + float(g.width);
        // Whole glyphs only: one partly outside is left out.
        if (pen >= clip.x0 && right <= clip.x1 && top >= clip.y0 && bottom <= clip.y1) {
            const s_GxVert_PosColUV bl{pen, bottom, 0, color, g.texX0, g.texY1};
            const s_GxVert_PosColUV br{right, bottom, 0, color, g.texX1, g.texY1};
            const s_GxVert_PosColUV tr{right, top, 0, color, g.texX1, g.texY0};
            const s_GxVert_PosColUV tl{pen, top, 0, color, g.texX0, g.texY0};
            for (const s_GxVert_PosColUV& v : {bl, br, tr, bl, tr, tl}) vertices.data[at++] = v;  // counter-clockwise
        }
        pen += float(spacing + g.width);
    }
    vertices.Resize(at);
}

void FontGx::PaintText(uint32_t* pixels, int32_t width, int32_t height, const WChar* text, int32_t horizontal,
                       int32_t vertical) const {
    if (!pixels || !text || width <= 0 || height <= 0 || AtlasPixelCount() == 0) return;
    int32_t x = 0, y = 0;
    AlignText(0, 0, width, height, text, horizontal, vertical, x, y);
    int32_t pen = x, lineTop = y;  // measured down from the buffer's top row
    for (const WChar* c = text; *c; ++c) {
        if (IsLineBreak(*c)) {
            lineTop += lineAdvance;
            pen = x;
            continue;
        }
        const s_FontGlyph& g = Glyph(*c);
        const int32_t ax = AtlasCoordinate(g.texX0, atlasWidth), ay = AtlasCoordinate(g.texY0, atlasHeight);
        if (ax < 0 || ay < 0) {
            pen += spacing + g.width;
            continue;
        }
        for (int32_t row = 0; row < g.height; ++row) {
            const int32_t ty = lineTop + g.yOffset + row, sy = ay + row;
            if (ty < 0 || ty >= height || sy < 0 || sy >= atlasHeight) continue;
            for (int32_t col = 0; col < g.width; ++col) {
                const int32_t tx = pen + col, sx = ax + col;
                if (tx < 0 || tx >= width || sx < 0 || sx >= atlasWidth) continue;
                const uint32_t p = AtlasPixel(sy * atlasWidth + sx);
                if (p >> 24) pixels[size_t(ty) * size_t(width) + size_t(tx)] = p;
            }
        }
        pen += spacing + g.width;
    }
}
