#include "core/path.h"

void Path<WChar>::Normalize() {
    int32_t n = Length();
    while (n > 1 && chars.data[n - 1] == WChar('\\')) --n;
    if (n != Length()) Erase(n, Length());
}

void Path<WChar>::Join(const WChar* component) {
    const int32_t n = int32_t(WLen(component));
    if (n == 0) return;
    if (IsEmpty()) {
        Assign(component, n);
        return;
    }
    const bool endsWithSlash = chars.data[Length() - 1] == WChar('\\');
    const bool startsWithSlash = component[0] == WChar('\\');
    if (endsWithSlash && startsWithSlash) {
        Append(component + 1, n - 1);
        return;
    }
    if (!endsWithSlash && !startsWithSlash) AppendChar(WChar('\\'));
    Append(component, n);
}

bool Path<WChar>::HasExtension() const {
    const WChar* s = CStr();
    int32_t lastSlash = -1;
    for (int32_t i = 0; s[i]; ++i)
        if (s[i] == WChar('\\')) lastSlash = i;
    for (int32_t i = lastSlash + 1; s[i]; ++i)
        if (s[i] == WChar('.')) return true;
    return false;
}

void Path<WChar>::EnsureExtension(const WChar* ext) {
    const int32_t n = Length();
    const bool endsWithSeparator = n > 0 && (chars.data[n - 1] == WChar('\\') || chars.data[n - 1] == WChar('/'));
    if (n == 0 || endsWithSeparator || !HasExtension()) {
        AppendChar(WChar('.'));
        Append(ext);
    }
}
