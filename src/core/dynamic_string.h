// DynamicString: a zero-terminated string in a DynamicArray whose count
// includes the terminator (a three-letter string has count 4; count 0 is the
// empty string and may have no storage). Reading never yields null.
#pragma once

#include <cstdint>

#include "core/dynamic_array.h"
#include "core/text_format.h"
#include "core/wide_text.h"

template <class Ch>
class DynamicString {
public:
    DynamicArray<Ch> chars;

    DynamicString() = default;
    DynamicString(const Ch* text) { Assign(text); }
    DynamicString(const Ch* text, int32_t length) { Assign(text, length); }
    DynamicString(const DynamicString& other) : chars(other.chars) {}
    DynamicString(DynamicString&& other) noexcept = default;
    DynamicString& operator=(const DynamicString& other) {
        if (this != &other) Assign(other);
        return *this;
    }
    DynamicString& operator=(DynamicString&& other) noexcept = default;
    DynamicString& operator=(const Ch* text) {
        Assign(text);
        return *this;
    }
    virtual ~DynamicString() = default;

    // Null or empty text gives the empty string (count 0).
    void Assign(const Ch* text) { Assign(text, text ? int32_t(Len(text)) : 0); }

    void Assign(const Ch* text, int32_t length) {
        if (!text || length <= 0) {
            chars.Resize(0);
            return;
        }
        if (text >= chars.data && text < chars.data + chars.count) {
            DynamicString copy(text, length);  // assigning a piece of itself
            Assign(copy);
            return;
        }
        chars.Resize(length + 1);
        for (int32_t i = 0; i < length; ++i) chars.data[i] = text[i];
        chars.data[length] = 0;
    }

    void Assign(const DynamicString& other) {
        if (this != &other) chars = other.chars;
    }

    // Refers to a literal (text with static storage) instead of copying it;
    // the first change makes a copy of its own.
    void AssignLiteral(const Ch* literal) {
        const int32_t n = literal ? int32_t(Len(literal)) : 0;
        if (n == 0) chars.Resize(0);
        else chars.Borrow(literal, n + 1);
    }

    void Append(const Ch* text) { Append(text, text ? int32_t(Len(text)) : 0); }

    void Append(const Ch* text, int32_t length) {
        if (!text || length <= 0) return;
        if (chars.count == 0) {
            Assign(text, length);
            return;
        }
        if (text >= chars.data && text < chars.data + chars.count) {
            DynamicString copy(text, length);
            Append(copy);
            return;
        }
        const int32_t old = Length();
        chars.Resize(old + length + 1);
        for (int32_t i = 0; i < length; ++i) chars.data[old + i] = text[i];
        chars.data[old + length] = 0;
    }

    void Append(const DynamicString& other) {
        if (&other == this) {
            DynamicString copy(*this);
            Append(copy.CStr(), copy.Length());
            return;
        }
        Append(other.CStr(), other.Length());
    }

    void AppendChar(Ch c) { Append(&c, 1); }

    // Inserts text at a character index (clamped), moving the tail up.
    void Insert(int32_t index, const DynamicString& other) {
        const int32_t n = other.Length();
        if (n == 0) return;
        if (&other == this) {
            DynamicString copy(*this);
            Insert(index, copy);
            return;
        }
        const int32_t old = Length();
        if (index < 0) index = 0;
        if (index > old) index = old;
        chars.Resize(old + n + 1);
        for (int32_t i = old; i > index; --i) chars.data[i - 1 + n] = chars.data[i - 1];
        for (int32_t i = 0; i < n; ++i) chars.data[index + i] = other.chars.data[i];
        chars.data[old + n] = 0;
    }

    // Removes the characters in [from, to).
    void Erase(int32_t from, int32_t to) {
        const int32_t old = Length();
        if (from < 0) from = 0;
        if (to > old) to = old;
        if (from >= to) return;
        chars.Erase(from, to);
        if (Length() == 0) chars.Resize(0);
    }

    // Index of the first occurrence of text at or after start, or -1.
    int32_t Find(const Ch* text, int32_t start = 0) const {
        const int32_t n = text ? int32_t(Len(text)) : 0;
        const int32_t length = Length();
        if (start < 0) start = 0;
        if (n == 0) return start <= length ? start : -1;
        for (int32_t i = start; i + n <= length; ++i) {
            int32_t k = 0;
            while (k < n && chars.data[i + k] == text[k]) ++k;
            if (k == n) return i;
        }
        return -1;
    }

    // printf-style formatting (see text_format.h), replacing the content;
    // the number of units written.
    template <class... A>
    int Format(const Ch* format, const A&... args) {
        return FormatAtMost(kNoLimit, format, args...);
    }
    // The same, keeping at most maxUnits - 1 units (maxUnits counts the
    // terminator, as a buffer's size would).
    template <class... A>
    int FormatAtMost(int maxUnits, const Ch* format, const A&... args) {
        const FormatArgument list[sizeof...(A) + 1] = {FormatArgument(args)..., FormatArgument(0)};
        if constexpr (sizeof(Ch) == 1) return FormatNarrow(*this, maxUnits, format, list, int(sizeof...(A)));
        else return FormatWide(*this, maxUnits, format, list, int(sizeof...(A)));
    }

    const Ch* CStr() const {
        static const Ch empty[1] = {0};
        return chars.count > 0 ? chars.data : empty;
    }
    int32_t Length() const { return chars.count > 0 ? chars.count - 1 : 0; }
    bool IsEmpty() const { return Length() == 0; }
    Ch operator[](int32_t i) const { return chars.data[i]; }

    bool Equals(const Ch* text) const {
        const Ch* a = CStr();
        if (!text) return Length() == 0;
        while (*a && *a == *text) { ++a; ++text; }
        return *a == *text;
    }
    bool operator==(const DynamicString& other) const {
        return Length() == other.Length() && Equals(other.CStr());
    }
    bool operator==(const Ch* text) const { return Equals(text); }

private:
    static size_t Len(const Ch* text) {
        size_t n = 0;
        while (text[n]) ++n;
        return n;
    }
};

using WString = DynamicString<WChar>;
using NString = DynamicString<char>;
