#include "cell/value_codec.h"

bool WriteString(MemBlockCursor& c, const WString& s) {
    const int32_t n = s.Length();
    if (!c.WriteValue(n)) return false;
    for (int32_t i = 0; i < n; ++i) {
        const uint16_t unit = uint16_t(s[i]);
        if (!c.WriteValue(unit)) return false;
    }
    return true;
}

bool ReadString(MemBlockCursor& c, WString& s) {
    int32_t n = 0;
    if (!c.ReadValue(n) || !CountFits(c, n, 2)) return false;
    DynamicArray<WChar> units;
    units.Resize(n);
    for (int32_t i = 0; i < n; ++i) {
        uint16_t unit = 0;
        if (!c.ReadValue(unit)) return false;
        units[i] = WChar(unit);
    }
    s.Assign(units.data, n);
    return true;
}
