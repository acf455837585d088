#include "core/wide_text.h"

size_t WLen(const WChar* text) {
    if (!text) return 0;
    size_t n = 0;
    while (text[n]) ++n;
    return n;
}

int WCompare(const WChar* a, const WChar* b) {
    static const WChar empty = 0;
    if (!a) a = &empty;
    if (!b) b = &empty;
    while (*a && *a == *b) { ++a; ++b; }
    return int(uint16_t(*a)) - int(uint16_t(*b));
}

uint16_t WFoldCase(WChar c) {
    const uint16_t u = uint16_t(c);
    if (u < 0x80) return (u >= 'A' && u <= 'Z') ? uint16_t(u + 32) : u;
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return uint16_t(u + 32);
    if (u >= 0x391 && u <= 0x3AB && u != 0x3A2) return uint16_t(u + 32);
    if (u >= 0x410 && u <= 0x42F) return uint16_t(u + 32);
    if (u >= 0x400 && u <= 0x40F) return uint16_t(u + 80);
    return u;
}

int WCompareNoCase(const WChar* a, const WChar* b) { return WCompareNoCase(a, WLen(a), b, WLen(b)); }

bool WContainsNoCase(const WChar* text, const WChar* piece) {
    const size_t n = WLen(text), m = WLen(piece);
    for (size_t at = 0; at + m <= n; ++at)
        if (WCompareNoCase(text + at, m, piece, m) == 0) return true;
    return false;
}

int WCompareNoCase(const WChar* a, size_t aLength, const WChar* b, size_t bLength) {
    const size_t n = aLength < bLength ? aLength : bLength;
    for (size_t i = 0; i < n; ++i) {
        const int d = int(WFoldCase(a[i])) - int(WFoldCase(b[i]));
        if (d) return d;
    }
    return aLength < bLength ? -1 : (aLength > bLength ? 1 : 0);
}
