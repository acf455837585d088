// The data linked into the program: the two built-in fonts ("ASFO" version
// 6 blocks) and the three window icons (PNG files).
#pragma once

#include <cstddef>
#include <cstdint>

struct EmbeddedBlock {
    const uint8_t* data;
    size_t size;
};

// 0: the first font (line height 18), 1: the second (line height 21).
EmbeddedBlock BuiltinFont(int index);
// 0, 1, 2: the 16, 32 and 48 pixel icons.
EmbeddedBlock WindowIcon(int index);
