#include "core/text_convert.h"

#include <charconv>

#include <cstring>

#include "core/utf.h"

void WideToUtf8(const WChar* text, NString& out) { WideToUtf8(text, text ? int32_t(WLen(text)) : 0, out); }

void WideToUtf8(const WChar* text, int32_t length, NString& out) {
    if (!text || length <= 0) {
        out.Assign(static_cast<const char*>(nullptr));
        return;
    }
    // Each unit takes at most three bytes (a surrogate pair four for two).
    DynamicArray<char> buffer;
    buffer.Resize(length * 3 + 1);
    int32_t n = 0;
    const WChar* p = text;
    const WChar* end = text + length;
    while (p < end) {
        char bytes[4];
        const int k = EncodeUtf8(DecodeUtf16(p, end), bytes);
        for (int i = 0; i < k; ++i) buffer[n++] = bytes[i];
    }
    out.Assign(buffer.data, n);
}

void Utf8ToWide(const char* text, WString& out) { Utf8ToWide(text, text ? int32_t(std::strlen(text)) : 0, out); }

void Utf8ToWide(const char* text, int32_t length, WString& out) {
    if (!text || length <= 0) {
        out.Assign(static_cast<const WChar*>(nullptr));
        return;
    }
    DynamicArray<WChar> buffer;
    buffer.Resize(length + 1);
    int32_t n = 0;
    const char* p = text;
    const char* end = text + length;
    while (p < end) {
        WChar units[2];
        const int k = EncodeUtf16(DecodeUtf8(p, end), units);
        for (int i = 0; i < k; ++i) buffer[n++] = units[i];
    }
    out.Assign(buffer.data, n);
}

bool ScanLeadingNumber(const char* text, double& value) {
    if (!text) return false;
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    const char* start = p;
    bool digits = false;
    while (*p >= '0' && *p <= '9') ++p, digits = true;
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9') ++p, digits = true;
    }
    if (!digits) return false;
    if (*p == 'e' || *p == 'E') {  // an exponent only when digits follow
        const char* e = p + 1;
        if (*e == '+' || *e == '-') ++e;
        if (*e >= '0' && *e <= '9') {
            while (*e >= '0' && *e <= '9') ++e;
            p = e;
        }
    }
    double v = 0;
    const std::from_chars_result r = std::from_chars(start, p, v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != p) return false;
    value = negative ? -v : v;
    return true;
}
