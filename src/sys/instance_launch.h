// Starting another instance of this program: a window-creation message
// dropped outside every window of the program opens a new one there.
#pragma once

#include <cstdint>

// Starts the program's own executable with "-drop -window_pos x y" (screen
// pixels); true when it started.
bool LaunchDropInstance(int32_t x, int32_t y);
