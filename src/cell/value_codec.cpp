#include "cell/value_codec.h"

#include <bit>

// The units are little-endian 16-bit values, which is how they lie in
// memory on every machine the program runs on.
static_assert(std::endian::native == std::endian::little, "strings are written as they lie in memory");

bool WriteString(MemBlockCursor& c, const WString& s) {
    const int32_t n = s.Length();
    return c.WriteValue(n) && c.Write(s.CStr(), int64_t(n) * 2);
}

bool ReadString(MemBlockCursor& c, WString& s) {
    int32_t n = 0;
    if (!c.ReadValue(n) || !CountFits(c, n, 2)) return false;
    if (n == 0) {
        s.Assign(static_cast<const WChar*>(nullptr));
        return true;
    }
    // Read straight into the string's storage, terminator added after.
    DynamicArray<WChar>& units = s.chars;
    units.Resize(n + 1);
    if (!c.Read(units.data, int64_t(n) * 2)) {
        s.Assign(static_cast<const WChar*>(nullptr));
        return false;
    }
    units[n] = 0;
    return true;
}
