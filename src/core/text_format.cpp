// The one formatter of the system; see text_format.h for what it accepts.
//
// Sections: output sink; string arguments; number conversions; the parser.
#include "core/text_format.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/dynamic_string.h"
#include "core/utf.h"

FormatArgument::FormatArgument(const DynamicString<WChar>& s) : kind(kWide), w(s.CStr()) {}
FormatArgument::FormatArgument(const DynamicString<char>& s) : kind(kNarrow), n(s.CStr()) {}

namespace {

// ---- output sink -------------------------------------------------------

template <class Ch>
class Sink {
public:
    explicit Sink(int maxUnits) : limit_(maxUnits > 0 ? size_t(maxUnits - 1) : SIZE_MAX) {}
    ~Sink() { std::free(buf_); }

    void Put(Ch c) {
        if (len_ >= limit_) return;
        if (len_ == cap_) Grow();
        buf_[len_++] = c;
    }
    void PutRepeated(Ch c, size_t n) {
        for (size_t i = 0; i < n && len_ < limit_; ++i) Put(c);
    }
    void PutAscii(const char* s, size_t n) {
        for (size_t i = 0; i < n; ++i) Put(Ch(static_cast<unsigned char>(s[i])));
    }
    const Ch* Data() const { return buf_; }
    size_t Length() const { return len_; }

private:
    void Grow() {
        const size_t cap = cap_ ? cap_ * 2 : 64;
        void* p = std::realloc(buf_, cap * sizeof(Ch));
        if (!p) FatalOutOfMemory();
        buf_ = static_cast<Ch*>(p);
        cap_ = cap;
    }
    Ch* buf_ = nullptr;
    size_t len_ = 0;
    size_t cap_ = 0;
    size_t limit_;
};

struct Conversion {
    bool left = false, plus = false, space = false, zero = false, alt = false;
    int width = 0;
    int precision = -1;
    int bits = 32;  // integer size from the length prefix
};

constexpr int kMaxWidth = 1 << 16;  // keeps a hostile width from exhausting memory
constexpr int kMaxPrecision = 1 << 10;

// ---- string arguments --------------------------------------------------

// Counts the code points of a text in the sink's encoding, up to limit.
template <class Ch>
size_t PutText(Sink<Ch>& out, const FormatArgument* arg, const Conversion& how, bool dryRun) {
    size_t units = 0;
    const size_t maxUnits = how.precision >= 0 ? size_t(how.precision) : SIZE_MAX;
    auto emit = [&](uint32_t cp) -> bool {
        if constexpr (sizeof(Ch) == 1) {
            char tmp[4];
            const int n = EncodeUtf8(cp, tmp);
            if (units + size_t(n) > maxUnits) return false;
            if (!dryRun) for (int k = 0; k < n; ++k) out.Put(tmp[k]);
            units += size_t(n);
        } else {
            WChar tmp[2];
            const int n = EncodeUtf16(cp, tmp);
            if (units + size_t(n) > maxUnits) return false;
            if (!dryRun) for (int k = 0; k < n; ++k) out.Put(Ch(tmp[k]));
            units += size_t(n);
        }
        return true;
    };
    if (!arg) {
        for (const char* s = "(?)"; *s; ++s) if (!emit(uint32_t(*s))) break;
    } else if (arg->kind == FormatArgument::kWide) {
        const WChar* s = arg->w ? arg->w : WTXT("(null)");
        const WChar* end = s + WLen(s);
        if constexpr (sizeof(Ch) == 2) {
            // Same encoding: copy units as they are, lone surrogates included.
            for (; s < end && units < maxUnits; ++s, ++units) if (!dryRun) out.Put(Ch(*s));
        } else {
            while (s < end) if (!emit(DecodeUtf16(s, end))) break;
        }
    } else if (arg->kind == FormatArgument::kNarrow) {
        const char* s = arg->n ? arg->n : "(null)";
        const char* end = s + std::strlen(s);
        if constexpr (sizeof(Ch) == 1) {
            for (; s < end && units < maxUnits; ++s, ++units) if (!dryRun) out.Put(*s);
        } else {
            while (s < end) if (!emit(DecodeUtf8(s, end))) break;
        }
    } else {
        for (const char* s = "(?)"; *s; ++s) if (!emit(uint32_t(*s))) break;
    }
    return units;
}

template <class Ch>
void PutString(Sink<Ch>& out, const FormatArgument* arg, const Conversion& how) {
    const size_t n = PutText(out, arg, how, true);
    const size_t pad = size_t(how.width) > n ? size_t(how.width) - n : 0;
    if (!how.left) out.PutRepeated(Ch(' '), pad);
    PutText(out, arg, how, false);
    if (how.left) out.PutRepeated(Ch(' '), pad);
}

// ---- number conversions ------------------------------------------------

int64_t AsSigned(const FormatArgument* a) {
    if (!a) return 0;
    switch (a->kind) {
        case FormatArgument::kSigned: return a->i;
        case FormatArgument::kUnsigned: return int64_t(a->u);
        case FormatArgument::kDouble: return (a->d >= -9.2e18 && a->d <= 9.2e18) ? int64_t(a->d) : 0;
        default: return 0;
    }
}

double AsDouble(const FormatArgument* a) {
    if (!a) return 0;
    switch (a->kind) {
        case FormatArgument::kSigned: return double(a->i);
        case FormatArgument::kUnsigned: return double(a->u);
        case FormatArgument::kDouble: return a->d;
        default: return 0;
    }
}

// Builds a narrow printf format for one conversion and lets the C library do the
// digits; the result is plain ASCII.
template <class Ch>
void PutNumber(Sink<Ch>& out, const FormatArgument* arg, const Conversion& how, char conv) {
    char fmt[32];
    char* f = fmt;
    *f++ = '%';
    if (how.left) *f++ = '-';
    if (how.plus) *f++ = '+';
    if (how.space) *f++ = ' ';
    if (how.zero) *f++ = '0';
    if (how.alt) *f++ = '#';
    *f++ = '*';
    *f++ = '.';
    *f++ = '*';
    const bool isFloat = std::strchr("fFeEgGaA", conv) != nullptr;
    if (!isFloat) { *f++ = 'l'; *f++ = 'l'; }
    *f++ = conv;
    *f = 0;

    // Work out the value once; the digits may need a second, larger buffer.
    const bool isSigned = conv == 'd' || conv == 'i';
    double dv = 0;
    long long sv = 0;
    unsigned long long uv = 0;
    if (isFloat) {
        dv = AsDouble(arg);
    } else {
        const uint64_t mask = how.bits >= 64 ? ~uint64_t(0) : ((uint64_t(1) << how.bits) - 1);
        const uint64_t m = uint64_t(AsSigned(arg)) & mask;
        uv = m;
        if (how.bits < 64) {
            const uint64_t sign = uint64_t(1) << (how.bits - 1);
            sv = (long long)(int64_t((m ^ sign) - sign));  // sign-extend from the prefix's width
        } else {
            sv = (long long)int64_t(m);
        }
    }
    auto print = [&](char* to, size_t size) {
        if (isFloat) return std::snprintf(to, size, fmt, how.width, how.precision, dv);
        if (isSigned) return std::snprintf(to, size, fmt, how.width, how.precision, sv);
        return std::snprintf(to, size, fmt, how.width, how.precision, uv);
    };
    char small[512];
    char* buf = small;
    const int n = print(small, sizeof small);
    if (n < 0) return;
    if (size_t(n) >= sizeof small) {
        buf = static_cast<char*>(std::malloc(size_t(n) + 1));
        if (!buf) FatalOutOfMemory();
        print(buf, size_t(n) + 1);
    }
    out.PutAscii(buf, size_t(n));
    if (buf != small) std::free(buf);
}

// ---- the parser --------------------------------------------------------

template <class Ch>
int ParseNumber(const Ch*& p) {
    long v = 0;
    while (*p >= Ch('0') && *p <= Ch('9')) {
        if (v < kMaxWidth * 10L) v = v * 10 + long(*p - Ch('0'));
        ++p;
    }
    return int(v);
}

template <class Ch>
size_t Format(Sink<Ch>& out, const Ch* p, const FormatArgument* args, int argCount) {
    int next = 0;
    auto take = [&]() -> const FormatArgument* { return next < argCount ? &args[next++] : nullptr; };
    if (!p) return 0;
    while (*p) {
        if (*p != Ch('%')) {
            out.Put(*p++);
            continue;
        }
        const Ch* start = p++;
        if (*p == Ch('%')) {
            out.Put(Ch('%'));
            ++p;
            continue;
        }
        Conversion how;
        for (;; ++p) {
            if (*p == Ch('-')) how.left = true;
            else if (*p == Ch('+')) how.plus = true;
            else if (*p == Ch(' ')) how.space = true;
            else if (*p == Ch('0')) how.zero = true;
            else if (*p == Ch('#')) how.alt = true;
            else break;
        }
        if (*p == Ch('*')) {
            ++p;
            int64_t w = AsSigned(take());
            if (w < 0) { how.left = true; w = -w; }
            how.width = int(w > kMaxWidth ? kMaxWidth : w);
        } else {
            how.width = ParseNumber(p);
        }
        if (how.width > kMaxWidth) how.width = kMaxWidth;
        if (*p == Ch('.')) {
            ++p;
            if (*p == Ch('*')) {
                ++p;
                const int64_t v = AsSigned(take());
                how.precision = v < 0 ? -1 : int(v > kMaxPrecision ? kMaxPrecision : v);
            } else {
                how.precision = ParseNumber(p);
            }
            if (how.precision > kMaxPrecision) how.precision = kMaxPrecision;
        }
        // Length prefixes.
        if (*p == Ch('h')) {
            ++p;
            how.bits = 16;
            if (*p == Ch('h')) { ++p; how.bits = 8; }
        } else if (*p == Ch('l')) {
            ++p;
            if (*p == Ch('l')) { ++p; how.bits = 64; }
        } else if (*p == Ch('I') && p[1] == Ch('6') && p[2] == Ch('4')) {
            p += 3;
            how.bits = 64;
        } else if (*p == Ch('z') || *p == Ch('j') || *p == Ch('t')) {
            ++p;
            how.bits = 64;
        } else if (*p == Ch('L')) {
            ++p;
        }
        const Ch c = *p;
        if (!c) {
            // An unfinished conversion is written as it stands.
            for (const Ch* q = start; q < p; ++q) out.Put(*q);
            break;
        }
        ++p;
        switch (c) {
            case Ch('d'): case Ch('i'): case Ch('u'): case Ch('o'): case Ch('x'): case Ch('X'):
                PutNumber(out, take(), how, char(c));
                break;
            case Ch('f'): case Ch('F'): case Ch('e'): case Ch('E'):
            case Ch('g'): case Ch('G'): case Ch('a'): case Ch('A'):
                if (how.precision < 0 && c != Ch('a') && c != Ch('A')) how.precision = 6;
                PutNumber(out, take(), how, char(c));
                break;
            case Ch('c'): {
                const FormatArgument* a = take();
                const uint32_t cp = uint32_t(AsSigned(a)) & 0x1FFFFF;
                const size_t pad = how.width > 1 ? size_t(how.width - 1) : 0;
                if (!how.left) out.PutRepeated(Ch(' '), pad);
                if constexpr (sizeof(Ch) == 1) {
                    char tmp[4];
                    const int n = EncodeUtf8(cp, tmp);
                    for (int k = 0; k < n; ++k) out.Put(tmp[k]);
                } else {
                    WChar tmp[2];
                    const int n = EncodeUtf16(cp, tmp);
                    for (int k = 0; k < n; ++k) out.Put(Ch(tmp[k]));
                }
                if (how.left) out.PutRepeated(Ch(' '), pad);
                break;
            }
            case Ch('s'): case Ch('S'): {
                const FormatArgument* a = take();
                const bool isText = a && (a->kind == FormatArgument::kWide || a->kind == FormatArgument::kNarrow);
                PutString(out, isText ? a : nullptr, how);
                break;
            }
            case Ch('p'): {
                const FormatArgument* a = take();
                Conversion hex = how;
                hex.bits = 64;
                hex.zero = true;
                hex.width = 16;
                hex.precision = -1;
                FormatArgument v(uint64_t(a && a->kind == FormatArgument::kPointer ? reinterpret_cast<uintptr_t>(a->p) : 0));
                PutNumber(out, &v, hex, 'X');
                break;
            }
            default:
                // Unknown conversion: written as it stands, consuming nothing.
                for (const Ch* q = start; q < p; ++q) out.Put(*q);
                break;
        }
    }
    return out.Length();
}

}  // namespace

int FormatWide(DynamicString<WChar>& out, int maxUnits, const WChar* format, const FormatArgument* args, int argCount) {
    Sink<WChar> sink(maxUnits);
    Format(sink, format, args, argCount);
    out.Assign(sink.Data(), int32_t(sink.Length()));
    return int(sink.Length());
}

int FormatNarrow(DynamicString<char>& out, int maxUnits, const char* format, const FormatArgument* args, int argCount) {
    Sink<char> sink(maxUnits);
    Format(sink, format, args, argCount);
    out.Assign(sink.Data(), int32_t(sink.Length()));
    return int(sink.Length());
}
