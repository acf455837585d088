#include "cell/wide_text.h"

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

static uint16_t FoldAscii(WChar c) {
    uint16_t u = uint16_t(c);
    return (u >= 'A' && u <= 'Z') ? uint16_t(u + 32) : u;
}

int WCompareNoCaseAscii(const WChar* a, const WChar* b) {
    static const WChar empty = 0;
    if (!a) a = &empty;
    if (!b) b = &empty;
    while (*a && FoldAscii(*a) == FoldAscii(*b)) { ++a; ++b; }
    return int(FoldAscii(*a)) - int(FoldAscii(*b));
}
