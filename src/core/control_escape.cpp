#include "core/control_escape.h"

#include <cstdio>

namespace {

bool IsControl(WChar c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == 0x2028 || c == 0x2029;
}

bool IsControlByte(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

}  // namespace

bool HasControlCharacters(const WChar* text) {
    for (const WChar* p = text; p && *p; ++p)
        if (IsControl(*p)) return true;
    return false;
}

void EscapeControlCharacters(const WChar* text, WString& out) {
    out.Assign(static_cast<const WChar*>(nullptr));
    for (const WChar* p = text; p && *p; ++p) {
        if (!IsControl(*p)) {
            out.AppendChar(*p);
            continue;
        }
        char digits[8];
        std::snprintf(digits, sizeof digits, *p > 0xFF ? "\\x%04X" : "\\x%02X", unsigned(*p));
        for (const char* d = digits; *d; ++d) out.AppendChar(WChar(*d));
    }
}

bool HasControlCharacters(const char* text) {
    for (const char* p = text; p && *p; ++p)
        if (IsControlByte(*p)) return true;
    return false;
}

void EscapeControlCharacters(const char* text, NString& out) {
    out.Assign(static_cast<const char*>(nullptr));
    for (const char* p = text; p && *p; ++p) {
        if (!IsControlByte(*p)) {
            out.AppendChar(*p);
            continue;
        }
        char digits[8];
        std::snprintf(digits, sizeof digits, "\\x%02X", unsigned(static_cast<unsigned char>(*p)));
        out.Append(digits);
    }
}
