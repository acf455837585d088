#include "gx/embedded_data.h"

extern "C" {
extern const uint8_t veldo_font_first_begin[], veldo_font_first_end[];
extern const uint8_t veldo_font_second_begin[], veldo_font_second_end[];
}

namespace {

EmbeddedBlock Between(const uint8_t* begin, const uint8_t* end) { return {begin, size_t(end - begin)}; }

}  // namespace

EmbeddedBlock BuiltinFont(int index) {
    return index == 0 ? Between(veldo_font_first_begin, veldo_font_first_end)
                      : Between(veldo_font_second_begin, veldo_font_second_end);
}
