#include "ui/ui_options.h"

#include <cstring>
#include <iterator>

namespace {

constexpr float kSizes[UiOptions::kSizeCount] = {5.0f, 20.0f, 3.0f, 18.0f, 8.0f, 10.0f, 180.0f, 0.5f};

constexpr uint32_t kColors[] = {
    0xFF031622, 0xFFFFFFFF,  // base, box titles
    0xFF112233, 0xFFFF0000, 0xFF112233, 0xFF00FF00, 0xFF112233, 0x3FFFFFFF, 0xFF001122, 0xFFFFFFFF, 0xFF223344,
    0xFFBBBBBB, 0xFF334455, 0xFFEEEEEE, 0xFF667788, 0xFFFFFFFF, 0xFF333333, 0xFF666666, 0xFF000000, 0xFFAABBCC,
    0xFF111111, 0xFFBBCCDD, 0xFF001122, 0xFF777777, 0xFF888888, 0xFFFFFFFF, 0x11223344,  // widgets, 10 to 34
    0x77FFFFFF,  // splitter hover, second term
    0x77222222,
    0x77333333,  // splitter hover, first term
    0xFFFF0000,  // splitter while dragged
    0xFFFFFFFF, 0x77000000,
};

static_assert(std::size(kColors) == UiOptions::kEntryCount - UiOptions::kSizeCount, "one colour for each colour entry");

}  // namespace

UiOptions::UiOptions() {
    for (int32_t i = 0; i < kSizeCount; ++i) std::memcpy(&entries_[i], &kSizes[i], sizeof(float));
    for (int32_t i = kSizeCount; i < kEntryCount; ++i) entries_[i] = kColors[i - kSizeCount];
}

const UiOptions& UiOptions::Get() {
    static const UiOptions options;
    return options;
}

float UiOptions::Size(int32_t entry) const {
    if (entry < 0 || entry >= kSizeCount) return 0;
    float v;
    std::memcpy(&v, &entries_[entry], sizeof v);
    return v;
}

uint32_t UiOptions::Color(int32_t entry) const {
    return entry >= kSizeCount && entry < kEntryCount ? entries_[entry] : 0;
}

uint32_t AddColors(uint32_t a, uint32_t b) {
    uint32_t sum = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t c = ((a >> shift) & 255) + ((b >> shift) & 255);
        sum |= (c > 255 ? 255 : c) << shift;
    }
    return sum;
}

uint32_t SplitterRestColor() {
    const uint32_t base = UiOptions::Get().Color(UiOptions::kBaseColor);
    return AddColors(base, base);
}

uint32_t SplitterHoverColor() {
    const UiOptions& o = UiOptions::Get();
    return AddColors(o.Color(UiOptions::kSplitterHoverFirst), o.Color(UiOptions::kSplitterHoverSecond));
}
