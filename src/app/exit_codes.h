// What the program's exit code says, in both modes.
#pragma once

#include <cstdint>

enum e_ExitCode : int32_t {
    kExitDone = 0,
    // The installation failed, or was stopped (asked to end) before every
    // host was done.
    kExitFailed = 1,
    kExitNeedsFix = 2,  // LightWave's configuration needs attention
    kExitNoHost = 3,    // no supported host found
    kExitNoWindow = 4,  // the window could not be made (no display, no OpenGL 3.2)
    kExitDamaged = 5,   // the program's own file is damaged: its packed payload does not hold together
    kExitUsage = 64,    // an unknown word
};
