// Builds one of the program's two bitmap fonts as an "ASFO" version 6 block
// with one bit a pixel, at build time, from Debian's font packages:
// DejaVu Sans rendered monochrome through FreeType for Latin, Greek,
// Cyrillic and the common symbol blocks, and GNU Unifont's 16-pixel
// bitmaps for everything else.
//
//   font_gen <first|second> <DejaVuSans.ttf> <unifont.hex> <language_rows.h> <out.bin>
//
// The first font (2048 x 2048 atlas) holds the DejaVu blocks, kana, Hangul,
// the CJK punctuation and full-width forms, and every character the
// language table uses; the second (4096 x 4096) holds all of Unifont's
// Basic Multilingual Plane besides.
//
// Sections: glyph sources; packing; the block; main.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Glyph {
    uint16_t code = 0;
    int width = 0, height = 0, yOffset = 0;
    std::vector<uint8_t> pixels;  // width * height, 0 or 1
    int x = 0, y = 0;             // place in the atlas
};

struct FontPlan {
    int atlas;
    int lineHeight, spacing, lineAdvance;
    int pixelSize;  // DejaVu's size in pixels
    bool wholeUnifont;
};

const FontPlan kFirst{2048, 18, 1, 19, 13, false};
const FontPlan kSecond{4096, 21, 1, 22, 16, true};

// Blocks drawn from DejaVu.
const std::pair<unsigned, unsigned> kDejaVuRanges[] = {
    {0x0020, 0x024F}, {0x0370, 0x03FF}, {0x0400, 0x04FF}, {0x2000, 0x206F}, {0x20A0, 0x20CF},
    {0x2100, 0x214F}, {0x2190, 0x21FF}, {0x2200, 0x22FF}, {0x2500, 0x257F}, {0x25A0, 0x25FF},
};

// Blocks the first font takes from Unifont (the second takes all of it).
const std::pair<unsigned, unsigned> kUnifontRanges[] = {
    {0x3000, 0x30FF},  // CJK punctuation, hiragana, katakana
    {0x3130, 0x318F},  // Hangul compatibility jamo
    {0xAC00, 0xD7A3},  // Hangul syllables
    {0xFF00, 0xFFEF},  // half-width and full-width forms
    {0xFFFD, 0xFFFD},
};

bool InRanges(unsigned c, const std::pair<unsigned, unsigned>* ranges, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (c >= ranges[i].first && c <= ranges[i].second) return true;
    return false;
}

// ---- glyph sources ---------------------------------------------------------

// The code points inside the string literals of the language table.
std::set<unsigned> LanguageCharacters(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string text = ss.str();
    std::set<unsigned> out;
    bool inString = false;
    for (size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b == '"' && (i == 0 || text[i - 1] != '\\')) {
            inString = !inString;
            ++i;
            continue;
        }
        unsigned c = b;
        int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        if (extra) c = b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < text.size(); ++k) c = (c << 6) | (text[i + k] & 0x3F);
        i += 1 + extra;
        if (inString && c >= 0x20 && c <= 0xFFFF) out.insert(c);
    }
    return out;
}

std::map<unsigned, std::vector<uint8_t>> ReadUnifont(const std::string& path) {
    std::map<unsigned, std::vector<uint8_t>> out;  // code -> hex-decoded rows
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const unsigned code = unsigned(std::stoul(line.substr(0, colon), nullptr, 16));
        if (code > 0xFFFF) continue;
        std::vector<uint8_t> bytes;
        for (size_t i = colon + 1; i + 2 <= line.size() && std::isxdigit(static_cast<unsigned char>(line[i])); i += 2)
            bytes.push_back(uint8_t(std::stoul(line.substr(i, 2), nullptr, 16)));
        out[code] = bytes;
    }
    return out;
}

Glyph UnifontGlyph(unsigned code, const std::vector<uint8_t>& bytes, int baseline) {
    Glyph g;
    g.code = uint16_t(code);
    g.width = bytes.size() >= 32 ? 16 : 8;
    g.height = 16;
    g.yOffset = std::max(0, baseline - 14);  // Unifont's baseline lies two rows above its bottom
    g.pixels.assign(size_t(g.width * g.height), 0);
    const int rowBytes = g.width / 8;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < g.width; ++x)
            g.pixels[size_t(y * g.width + x)] = (bytes[size_t(y * rowBytes + x / 8)] >> (7 - x % 8)) & 1;
    return g;
}

// A DejaVu glyph as wide as its advance (less the font's spacing) and as
// tall as its ink, placed below the line's top by its y offset.
bool DejaVuGlyph(FT_Face face, unsigned code, int baseline, int spacing, Glyph& g) {
    const FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0 && code != 0x20) return false;
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO | FT_LOAD_RENDER) != 0) return false;
    const FT_GlyphSlot slot = face->glyph;
    if (slot->bitmap.pixel_mode != FT_PIXEL_MODE_MONO && slot->bitmap.rows > 0) return false;
    const int advance = int((slot->advance.x + 32) >> 6);
    g.code = uint16_t(code);
    g.width = std::max(1, advance - spacing);
    const int rows = int(slot->bitmap.rows);
    const int top = baseline - slot->bitmap_top;
    const int first = std::max(0, -top);  // ink above the line is cut
    g.yOffset = std::max(0, top);
    g.height = std::max(1, rows - first);
    g.pixels.assign(size_t(g.width * g.height), 0);
    for (int y = first; y < rows; ++y)
        for (int x = 0; x < int(slot->bitmap.width); ++x) {
            const int tx = x + slot->bitmap_left;
            if (tx < 0 || tx >= g.width) continue;
            const uint8_t byte = slot->bitmap.buffer[y * slot->bitmap.pitch + x / 8];
            g.pixels[size_t((y - first) * g.width + tx)] = (byte >> (7 - x % 8)) & 1;
        }
    return true;
}

// ---- packing -----------------------------------------------------------------

// Shelves from the top-left: a glyph goes right of the previous one, or onto
// a new shelf below the tallest glyph of the current one. Returns the rows
// used, or -1 when the atlas is full.
int Pack(std::vector<Glyph>& glyphs, int atlas) {
    int x = 0, y = 0, shelf = 0;
    for (Glyph& g : glyphs) {
        if (x + g.width > atlas) {
            x = 0;
            y += shelf;
            shelf = 0;
        }
        if (y + g.height > atlas) return -1;
        g.x = x;
        g.y = y;
        x += g.width;
        shelf = std::max(shelf, g.height);
    }
    return y + shelf;
}

// ---- the block -------------------------------------------------------------

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

std::vector<uint8_t> Block(const FontPlan& plan, const std::vector<Glyph>& glyphs, int usedRows) {
    std::vector<uint8_t> out = {'A', 'S', 'F', 'O'};
    Put32(out, 6);
    Put32(out, uint32_t(plan.atlas));
    Put32(out, uint32_t(plan.atlas));
    out.push_back(1);  // one bit a pixel
    Put32(out, uint32_t(plan.lineHeight));
    Put32(out, uint32_t(plan.spacing));
    Put32(out, uint32_t(plan.lineAdvance));
    Put32(out, 0);  // the further metric
    const uint32_t pixelCount = uint32_t(usedRows) * uint32_t(plan.atlas);
    Put32(out, pixelCount);
    std::vector<uint8_t> bits((pixelCount + 7) / 8, 0);
    for (const Glyph& g : glyphs)
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x)
                if (g.pixels[size_t(y * g.width + x)]) {
                    const size_t p = size_t(g.y + y) * size_t(plan.atlas) + size_t(g.x + x);
                    bits[p / 8] |= uint8_t(1u << (p % 8));
                }
    out.insert(out.end(), bits.begin(), bits.end());
    Put16(out, uint16_t(glyphs.size()));
    for (const Glyph& g : glyphs) {
        Put16(out, g.code);
        Put16(out, uint16_t(g.x));
        Put16(out, uint16_t(g.y));
        Put16(out, uint16_t(g.x + g.width - 1));
        Put16(out, uint16_t(g.y + g.height - 1));
        Put16(out, uint16_t(g.yOffset));
    }
    return out;
}

}  // namespace

// ---- main ------------------------------------------------------------------

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: font_gen <first|second> <ttf> <unifont.hex> <language_rows.h> <out.bin>\n");
        return 64;
    }
    const FontPlan& plan = std::strcmp(argv[1], "second") == 0 ? kSecond : kFirst;
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, argv[2], 0, &face) != 0 ||
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(plan.pixelSize)) != 0) {
        std::fprintf(stderr, "font_gen: cannot load %s\n", argv[2]);
        return 1;
    }
    const int ascender = int((face->size->metrics.ascender + 32) >> 6);
    const int descender = int((-face->size->metrics.descender + 32) >> 6);
    const int baseline = std::max(0, (plan.lineHeight - ascender - descender) / 2) + ascender;

    const auto unifont = ReadUnifont(argv[3]);
    const auto language = LanguageCharacters(argv[4]);
    std::vector<Glyph> glyphs;
    std::set<unsigned> done;
    for (unsigned c = 0x20; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xF8FF) continue;  // surrogates and private use
        Glyph g;
        const bool fromDejaVu = InRanges(c, kDejaVuRanges, std::size(kDejaVuRanges)) &&
                                DejaVuGlyph(face, c, baseline, plan.spacing, g);
        if (!fromDejaVu) {
            const auto it = unifont.find(c);
            const bool wanted = plan.wholeUnifont || language.count(c) ||
                                InRanges(c, kDejaVuRanges, std::size(kDejaVuRanges)) ||
                                InRanges(c, kUnifontRanges, std::size(kUnifontRanges));
            if (it == unifont.end() || !wanted) continue;
            g = UnifontGlyph(c, it->second, baseline);
        }
        glyphs.push_back(std::move(g));
        done.insert(c);
    }
    for (unsigned c : language)
        if (!done.count(c) && c >= 0x20) std::fprintf(stderr, "font_gen: no glyph for U+%04X\n", c);
    if (glyphs.size() > 0xFFFF) {
        std::fprintf(stderr, "font_gen: too many glyphs\n");
        return 1;
    }
    const int usedRows = Pack(glyphs, plan.atlas);
    if (usedRows < 0) {
        std::fprintf(stderr, "font_gen: the glyphs do not fit the %d-pixel atlas\n", plan.atlas);
        return 1;
    }
    const std::vector<uint8_t> block = Block(plan, glyphs, usedRows);
    FILE* out = std::fopen(argv[5], "wb");
    if (!out || std::fwrite(block.data(), 1, block.size(), out) != block.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "font_gen: cannot write %s\n", argv[5]);
        return 1;
    }
    std::printf("font_gen: %s font, %zu glyphs, %d of %d rows, %zu bytes\n", argv[1], glyphs.size(), usedRows,
                plan.atlas, block.size());
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return 0;
}
