// printf-style formatting into the model's strings.
//
// Arguments are captured with their C++ types (FormatArgument), so a
// mismatch between a conversion and its argument can never read the wrong
// bytes: "%s" takes a
// wide or a narrow text alike, and a number given to "%s" prints "(?)".
// Supported: flags - + space 0 #, width and precision (also '*'), the length
// prefixes hh h l ll I64 z j t L, and the conversions d i u o x X c s S f F e
// E g G a A p %. "l" and no prefix give 32-bit integers, "ll", "I64", "z",
// "j" and "t" 64-bit ones, as on the program's native platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core/wide_text.h"

template <class Ch> class DynamicString;

struct FormatArgument {
    enum Kind : uint8_t { kSigned, kUnsigned, kDouble, kWide, kNarrow, kPointer };
    Kind kind;
    union {
        int64_t i;
        uint64_t u;
        double d;
        const WChar* w;
        const char* n;
        const void* p;
    };

    template <class T>
        requires std::is_integral_v<T>
    FormatArgument(T v) {
        if constexpr (std::is_signed_v<T>) { kind = kSigned; i = v; }
        else { kind = kUnsigned; u = v; }
    }
    FormatArgument(double v) : kind(kDouble), d(v) {}
    FormatArgument(float v) : kind(kDouble), d(v) {}
    FormatArgument(const WChar* v) : kind(kWide), w(v) {}
    FormatArgument(WChar* v) : kind(kWide), w(v) {}
    FormatArgument(const char* v) : kind(kNarrow), n(v) {}
    FormatArgument(char* v) : kind(kNarrow), n(v) {}
    FormatArgument(const void* v) : kind(kPointer), p(v) {}
    FormatArgument(const DynamicString<WChar>& s);
    FormatArgument(const DynamicString<char>& s);
};

// maxUnits that keeps every unit.
inline constexpr int kNoLimit = 0;

// Formats into out (replacing its content); at most maxUnits - 1 code units
// are kept, like a buffer of maxUnits with its terminator. maxUnits <= 0
// (kNoLimit) means no limit. Returns the number of units written.
int FormatWide(DynamicString<WChar>& out, int maxUnits, const WChar* format, const FormatArgument* args, int argCount);
int FormatNarrow(DynamicString<char>& out, int maxUnits, const char* format, const FormatArgument* args, int argCount);
