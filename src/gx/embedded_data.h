// The data carried by the program: the two built-in fonts ("ASFO" version
// 6 blocks), linked in, and the three window icons (PNG files): linked in
// on Linux, the executable's resources 103, 104 and 105 on Windows
// (gx/posix/posix_icons.cpp, gx/win32/win32_icons.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

struct EmbeddedBlock {
    const uint8_t* data;
    size_t size;
};

// 0: the first font (line height 18), 1: the second (line height 21).
EmbeddedBlock BuiltinFont(int index);
// 0, 1, 2: the 16, 32 and 48 pixel icons; an empty block when the program
// carries none (a Windows test program without the resources).
EmbeddedBlock WindowIcon(int index);
