// UTF-8 and UTF-16 code-point primitives, shared by the formatter and the
// string conversions. Malformed input decodes to U+FFFD and never reads past
// the given end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/wide_text.h"

// Decodes one code point from [p, end), advancing p by at least one unit.
uint32_t DecodeUtf8(const char*& p, const char* end);
uint32_t DecodeUtf16(const WChar*& p, const WChar* end);

// Encodes a code point; returns the number of units written (1 to 4, or 1 to 2).
int EncodeUtf8(uint32_t cp, char out[4]);
int EncodeUtf16(uint32_t cp, WChar out[2]);
