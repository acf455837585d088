#include "core/base64.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(WChar c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool IsSpace(WChar c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool Refuse(DynamicArray<uint8_t>& bytes) {
    bytes.Resize(0);
    return false;
}

}  // namespace

void EncodeBase64(const uint8_t* bytes, int64_t n, WString& text) {
    DynamicArray<WChar> out;
    out.Resize(int32_t((n + 2) / 3 * 4 + 1));
    int32_t at = 0;
    for (int64_t i = 0; i < n; i += 3) {
        const uint32_t b1 = i + 1 < n ? bytes[i + 1] : 0, b2 = i + 2 < n ? bytes[i + 2] : 0;
        const uint32_t group = uint32_t(bytes[i]) << 16 | b1 << 8 | b2;
        out.data[at++] = WChar(kAlphabet[group >> 18 & 63]);
        out.data[at++] = WChar(kAlphabet[group >> 12 & 63]);
        out.data[at++] = i + 1 < n ? WChar(kAlphabet[group >> 6 & 63]) : WChar('=');
        out.data[at++] = i + 2 < n ? WChar(kAlphabet[group & 63]) : WChar('=');
    }
    out.data[at] = 0;
    text.Assign(out.data);
}

bool DecodeBase64(const WChar* text, DynamicArray<uint8_t>& bytes) {
    int64_t length = 0;
    for (const WChar* c = text; c && *c; ++c) ++length;
    if (length > (int64_t(1) << 30)) return Refuse(bytes);
    bytes.Resize(int32_t(length / 4 * 3 + 3));
    int32_t at = 0;
    uint32_t group = 0;
    int inGroup = 0, padding = 0;
    bool ended = false;  // a padded group closes the text
    for (const WChar* c = text; c && *c; ++c) {
        if (IsSpace(*c)) continue;
        if (ended) return Refuse(bytes);
        int value = 0;
        if (*c == '=') {
            if (inGroup < 2) return Refuse(bytes);
            ++padding;
        } else if (padding || (value = SextetOf(*c)) < 0) {
            return Refuse(bytes);
        }
        group = group << 6 | uint32_t(value);
        if (++inGroup < 4) continue;
        bytes.data[at++] = uint8_t(group >> 16);
        if (padding < 2) bytes.data[at++] = uint8_t(group >> 8);
        if (padding < 1) bytes.data[at++] = uint8_t(group);
        ended = padding > 0;
        group = 0;
        inGroup = padding = 0;
    }
    if (inGroup != 0) return Refuse(bytes);
    bytes.Resize(at);
    return true;
}
