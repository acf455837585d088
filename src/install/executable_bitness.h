// Whether a host's Windows executable is a 64-bit or a 32-bit program, read
// from its PE header: only 64-bit hosts take the plug-in.
#pragma once

#include <cstdint>

#include "core/dynamic_string.h"

// 64, 32, or -1 (unreadable, shorter than 512 bytes, or no PE header in
// its first 512 bytes).
int32_t ExecutableBitness(const WChar* path);
