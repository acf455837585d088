// CRC-64/WE: polynomial 42F0E1EBA9EA3693, MSB first, initial value and final
// XOR all ones. The check value of "123456789" is 62EC59E3F1A4F00A.
//
// Crc64 chooses at run time between a carry-less-multiply fold (x86 with
// PCLMULQDQ) and portable slicing-by-16; the other two are kept so tests and
// benchmarks can call each path directly.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint64_t kCrc64Poly = 0x42F0E1EBA9EA3693ULL;

// Running form: state starts at ~0; feed any number of pieces; finish with ~.
uint64_t Crc64Update(uint64_t state, const void* data, size_t size);

inline uint64_t Crc64(const void* data, size_t size) { return ~Crc64Update(~uint64_t(0), data, size); }

uint64_t Crc64UpdateBytewise(uint64_t state, const void* data, size_t size);
uint64_t Crc64UpdateSlicing(uint64_t state, const void* data, size_t size);
uint64_t Crc64UpdateClmul(uint64_t state, const void* data, size_t size);  // falls back when unsupported

bool Crc64HasClmul();
