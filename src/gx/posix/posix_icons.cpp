// The window icons on Linux: linked into the program beside the fonts.
#include "gx/embedded_data.h"

extern "C" {
extern const uint8_t veldo_icon_16_begin[], veldo_icon_16_end[];
extern const uint8_t veldo_icon_32_begin[], veldo_icon_32_end[];
extern const uint8_t veldo_icon_48_begin[], veldo_icon_48_end[];
}

EmbeddedBlock WindowIcon(int index) {
    switch (index) {
        case 0: return {veldo_icon_16_begin, size_t(veldo_icon_16_end - veldo_icon_16_begin)};
        case 1: return {veldo_icon_32_begin, size_t(veldo_icon_32_end - veldo_icon_32_begin)};
        default: return {veldo_icon_48_begin, size_t(veldo_icon_48_end - veldo_icon_48_begin)};
    }
}
