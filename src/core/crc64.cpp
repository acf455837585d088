// CRC-64/WE in three forms: a byte table, slicing-by-16 and a PCLMULQDQ fold.
//
// The fold treats the message as one big polynomial in MSB-first order and
// keeps a 128-bit remainder-equivalent state: folding 16 bytes forward means
// multiplying the state by x^128, done as hi*(x^192 mod P) ^ lo*(x^128 mod P).
// Four lanes run 64 bytes apart. The last 128-bit state and the tail then go
// through the table with the state as if it were message bytes.
#include "core/crc64.h"

#include <cstring>

namespace {

struct Tables {
    uint64_t t[16][256];
    Tables() {
        for (int b = 0; b < 256; ++b) {
            uint64_t c = uint64_t(b) << 56;
            for (int k = 0; k < 8; ++k) c = (c & (uint64_t(1) << 63)) ? (c << 1) ^ kCrc64Poly : c << 1;
            t[0][b] = c;
        }
        for (int s = 1; s < 16; ++s)
            for (int b = 0; b < 256; ++b) t[s][b] = (t[s - 1][b] << 8) ^ t[0][t[s - 1][b] >> 56];
    }
};

const Tables& T() {
    static const Tables tables;
    return tables;
}

inline uint64_t LoadBigEndian64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
}

}  // namespace

uint64_t Crc64UpdateBytewise(uint64_t crc, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    const auto& t = T().t[0];
    while (size--) crc = (crc << 8) ^ t[(crc >> 56) ^ *p++];
    return crc;
}

uint64_t Crc64UpdateSlicing(uint64_t crc, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    const auto& t = T().t;
    // Sixteen bytes a round: the running CRC joins the first eight, whose
    // bytes are then 8 to 15 places from the end of the round.
    while (size >= 16) {
        const uint64_t a = crc ^ LoadBigEndian64(p);
        const uint64_t b = LoadBigEndian64(p + 8);
        crc = t[15][a >> 56] ^ t[14][(a >> 48) & 0xFF] ^ t[13][(a >> 40) & 0xFF] ^ t[12][(a >> 32) & 0xFF] ^
              t[11][(a >> 24) & 0xFF] ^ t[10][(a >> 16) & 0xFF] ^ t[9][(a >> 8) & 0xFF] ^ t[8][a & 0xFF] ^
              t[7][b >> 56] ^ t[6][(b >> 48) & 0xFF] ^ t[5][(b >> 40) & 0xFF] ^ t[4][(b >> 32) & 0xFF] ^
              t[3][(b >> 24) & 0xFF] ^ t[2][(b >> 16) & 0xFF] ^ t[1][(b >> 8) & 0xFF] ^ t[0][b & 0xFF];
        p += 16;
        size -= 16;
    }
    return Crc64UpdateBytewise(crc, p, size);
}

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace {

// x^n mod P, bit i standing for x^i.
uint64_t XPowMod(unsigned n) {
    uint64_t r = 1;
    for (unsigned i = 0; i < n; ++i) r = (r & (uint64_t(1) << 63)) ? (r << 1) ^ kCrc64Poly : r << 1;
    return r;
}

struct FoldKeys {
    __m128i by16;  // (lo: x^128 mod P, hi: x^192 mod P)
    __m128i by64;  // (lo: x^512 mod P, hi: x^576 mod P)
    FoldKeys() {
        by16 = _mm_set_epi64x(int64_t(XPowMod(192)), int64_t(XPowMod(128)));
        by64 = _mm_set_epi64x(int64_t(XPowMod(576)), int64_t(XPowMod(512)));
    }
};

__attribute__((target("pclmul,ssse3,sse4.1"))) inline __m128i Fold(__m128i x, __m128i keys) {
    const __m128i hi = _mm_clmulepi64_si128(x, keys, 0x11);
    const __m128i lo = _mm_clmulepi64_si128(x, keys, 0x00);
    return _mm_xor_si128(hi, lo);
}

// Loads 16 message bytes as a 128-bit polynomial, first byte highest.
__attribute__((target("pclmul,ssse3,sse4.1"))) inline __m128i LoadBlock(const uint8_t* p) {
    const __m128i swap = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), swap);
}

__attribute__((target("pclmul,ssse3,sse4.1"))) uint64_t ClmulBody(uint64_t crc, const uint8_t* p, size_t size) {
    static const FoldKeys keys;
    // The running CRC joins the first 64 message bits.
    const __m128i init = _mm_set_epi64x(int64_t(crc), 0);
    __m128i x0 = _mm_xor_si128(LoadBlock(p), init);
    __m128i x1 = LoadBlock(p + 16);
    __m128i x2 = LoadBlock(p + 32);
    __m128i x3 = LoadBlock(p + 48);
    p += 64;
    size -= 64;
    while (size >= 64) {
        x0 = _mm_xor_si128(Fold(x0, keys.by64), LoadBlock(p));
        x1 = _mm_xor_si128(Fold(x1, keys.by64), LoadBlock(p + 16));
        x2 = _mm_xor_si128(Fold(x2, keys.by64), LoadBlock(p + 32));
        x3 = _mm_xor_si128(Fold(x3, keys.by64), LoadBlock(p + 48));
        p += 64;
        size -= 64;
    }
    __m128i x = _mm_xor_si128(Fold(x0, keys.by16), x1);
    x = _mm_xor_si128(Fold(x, keys.by16), x2);
    x = _mm_xor_si128(Fold(x, keys.by16), x3);
    while (size >= 16) {
        x = _mm_xor_si128(Fold(x, keys.by16), LoadBlock(p));
        p += 16;
        size -= 16;
    }
    // The state is congruent to the message so far: run its 16 bytes and the
    // tail through the table with a zero start.
    uint8_t bytes[16];
    const uint64_t hi = uint64_t(_mm_extract_epi64(x, 1));
    const uint64_t lo = uint64_t(_mm_extract_epi64(x, 0));
    for (int i = 0; i < 8; ++i) {
        bytes[i] = uint8_t(hi >> (56 - 8 * i));
        bytes[8 + i] = uint8_t(lo >> (56 - 8 * i));
    }
    uint64_t r = Crc64UpdateSlicing(0, bytes, 16);
    return Crc64UpdateSlicing(r, p, size);
}

}  // namespace

bool Crc64HasClmul() {
    static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1") &&
                            __builtin_cpu_supports("ssse3");
    return has;
}

uint64_t Crc64UpdateClmul(uint64_t crc, const void* data, size_t size) {
    if (size < 64 || !Crc64HasClmul()) return Crc64UpdateSlicing(crc, data, size);
    return ClmulBody(crc, static_cast<const uint8_t*>(data), size);
}

#else

bool Crc64HasClmul() { return false; }
uint64_t Crc64UpdateClmul(uint64_t crc, const void* data, size_t size) { return Crc64UpdateSlicing(crc, data, size); }

#endif

uint64_t Crc64Update(uint64_t crc, const void* data, size_t size) {
    if (size >= 256 && Crc64HasClmul()) return Crc64UpdateClmul(crc, data, size);
    return Crc64UpdateSlicing(crc, data, size);
}
