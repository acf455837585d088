#include "sys/instance_launch.h"

#include "core/dynamic_string.h"
#include "sys/platform.h"

bool LaunchDropInstance(int32_t x, int32_t y) {
    WString parameters;
    parameters.Format(WTXT("-drop -window_pos %i %i"), x, y);
    WString self;
    return SysExecutablePath(self) && SysStartProgram(self.CStr(), parameters.CStr());
}
