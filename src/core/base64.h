// Base64 with the standard alphabet and "=" padding: how serialised cells
// travel as clipboard text.
#pragma once

#include <cstdint>

#include "core/dynamic_array.h"
#include "core/dynamic_string.h"

// One line, padded to a multiple of four characters.
void EncodeBase64(const uint8_t* bytes, int64_t n, WString& text);
// The bytes of a Base64 text; line breaks and spaces between groups are
// skipped. False, and nothing decoded, for any other character, misplaced
// padding or a length that is not a whole number of groups.
bool DecodeBase64(const WChar* text, DynamicArray<uint8_t>& bytes);
