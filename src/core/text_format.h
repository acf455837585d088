// printf-style formatting into the model's strings.
//
// Arguments are captured with their C++ types (FmtArg), so a mismatch between
// a conversion and its argument can never read the wrong bytes: "%s" takes a
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

struct FmtArg {
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
    FmtArg(T v) {
        if constexpr (std::is_signed_v<T>) { kind = kSigned; i = v; }
        else { kind = kUnsigned; u = v; }
    }
    FmtArg(double v) : kind(kDouble), d(v) {}
    FmtArg(float v) : kind(kDouble), d(v) {}
    FmtArg(const WChar* v) : kind(kWide), w(v) {}
    FmtArg(WChar* v) : kind(kWide), w(v) {}
    FmtArg(const char* v) : kind(kNarrow), n(v) {}
    FmtArg(char* v) : kind(kNarrow), n(v) {}
    FmtArg(const void* v) : kind(kPointer), p(v) {}
    FmtArg(const DynamicString<WChar>& s);
    FmtArg(const DynamicString<char>& s);
};

// Formats into out (replacing its content); at most maxUnits - 1 code units
// are kept, like a buffer of maxUnits with its terminator. maxUnits <= 0
// means no limit. Returns the number of units written.
int FormatWide(DynamicString<WChar>& out, int maxUnits, const WChar* format, const FmtArg* args, int argCount);
int FormatNarrow(DynamicString<char>& out, int maxUnits, const char* format, const FmtArg* args, int argCount);

// Convenience forms taking the arguments directly.
template <class... A>
int FormatW(DynamicString<WChar>& out, const WChar* format, const A&... args) {
    const FmtArg list[sizeof...(A) + 1] = {FmtArg(args)..., FmtArg(0)};
    return FormatWide(out, 0, format, list, int(sizeof...(A)));
}

template <class... A>
int FormatN(DynamicString<char>& out, const char* format, const A&... args) {
    const FmtArg list[sizeof...(A) + 1] = {FmtArg(args)..., FmtArg(0)};
    return FormatNarrow(out, 0, format, list, int(sizeof...(A)));
}
