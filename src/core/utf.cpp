#include "core/utf.h"

static constexpr uint32_t kReplacement = 0xFFFD;

uint32_t DecodeUtf8(const char*& p, const char* end) {
    const unsigned char c = static_cast<unsigned char>(*p++);
    if (c < 0x80) return c;
    int extra;
    uint32_t cp;
    uint32_t minimum;
    if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; minimum = 0x80; }
    else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; minimum = 0x800; }
    else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; minimum = 0x10000; }
    else return kReplacement;
    for (int i = 0; i < extra; ++i) {
        if (p >= end) return kReplacement;
        const unsigned char k = static_cast<unsigned char>(*p);
        if ((k & 0xC0) != 0x80) return kReplacement;
        cp = (cp << 6) | (k & 0x3F);
        ++p;
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
    return cp;
}

uint32_t DecodeUtf16(const WChar*& p, const WChar* end) {
    const uint32_t u = uint16_t(*p++);
    if (u < 0xD800 || u > 0xDFFF) return u;
    if (u >= 0xDC00 || p >= end) return kReplacement;
    const uint32_t low = uint16_t(*p);
    if (low < 0xDC00 || low > 0xDFFF) return kReplacement;
    ++p;
    return 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
}

int EncodeUtf8(uint32_t cp, char out[4]) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) { out[0] = char(cp); return 1; }
    if (cp < 0x800) {
        out[0] = char(0xC0 | (cp >> 6));
        out[1] = char(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = char(0xE0 | (cp >> 12));
        out[1] = char(0x80 | ((cp >> 6) & 0x3F));
        out[2] = char(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | (cp >> 18));
    out[1] = char(0x80 | ((cp >> 12) & 0x3F));
    out[2] = char(0x80 | ((cp >> 6) & 0x3F));
    out[3] = char(0x80 | (cp & 0x3F));
    return 4;
}

int EncodeUtf16(uint32_t cp, WChar out[2]) {
    if (cp > 0x10FFFF) cp = kReplacement;
    if (cp < 0x10000) { out[0] = WChar(cp); return 1; }
    cp -= 0x10000;
    out[0] = WChar(0xD800 + (cp >> 10));
    out[1] = WChar(0xDC00 + (cp & 0x3FF));
    return 2;
}
