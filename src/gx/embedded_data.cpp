#include "gx/embedded_data.h"

extern "C" {
extern const uint8_t veldo_font_first_begin[], veldo_font_first_end[];
extern const uint8_t veldo_font_second_begin[], veldo_font_second_end[];
extern const uint8_t veldo_icon_16_begin[], veldo_icon_16_end[];
extern const uint8_t veldo_icon_32_begin[], veldo_icon_32_end[];
extern const uint8_t veldo_icon_48_begin[], veldo_icon_48_end[];
}

namespace {

EmbeddedBlock Between(const uint8_t* begin, const uint8_t* end) { return {begin, size_t(end - begin)}; }

}  // namespace

EmbeddedBlock BuiltinFont(int index) {
    return index == 0 ? Between(veldo_font_first_begin, veldo_font_first_end)
                      : Between(veldo_font_second_begin, veldo_font_second_end);
}

EmbeddedBlock WindowIcon(int index) {
    switch (index) {
        case 0: return Between(veldo_icon_16_begin, veldo_icon_16_end);
        case 1: return Between(veldo_icon_32_begin, veldo_icon_32_end);
        default: return Between(veldo_icon_48_begin, veldo_icon_48_end);
    }
}
