#include "ui/color_interp.h"

#include <cmath>

#include "ui/ui_options.h"

ColorVec<float> ColorFromArgb(uint32_t argb) {
    constexpr float k = 1.0f / 255.0f;
    return {float((argb >> 16) & 255) * k, float((argb >> 8) & 255) * k, float(argb & 255) * k,
            float(argb >> 24) * k};
}

uint32_t ArgbFromColor(const ColorVec<float>& c) {
    const auto byte = [](float v) -> uint32_t {
        const float clamped = v < 0 ? 0 : v > 1 ? 1 : v;
        return uint32_t(std::lround(clamped * 255.0f));
    };
    return byte(c.a) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

void UiColorInterp::Set(uint32_t argb) {
    keys_.Clear();
    keys_.Append(Key{0, ColorFromArgb(argb)});
    time_ = 0;
}

void UiColorInterp::FadeTo(uint32_t argb) {
    const ColorVec<float> target = ColorFromArgb(argb);
    if (keys_.count > 0 && keys_[keys_.count - 1].color == target) return;
    const ColorVec<float> from = Current();
    keys_.Clear();
    keys_.Append(Key{0, from});
    keys_.Append(Key{UiOptions::Get().Size(UiOptions::kColorAnimationTime), target});
    time_ = 0;
}

void UiColorInterp::PulseTo(uint32_t argb) {
    const ColorVec<float> from = Current(), target = ColorFromArgb(argb);
    // The flash: halfway between the two, then halfway again towards white.
    const auto flash = [](float a, float b) {
        const float mid = (a + b) / 2;
        return mid + (1 - mid) / 2;
    };
    const ColorVec<float> peak{flash(from.r, target.r), flash(from.g, target.g), flash(from.b, target.b),
                               from.a > target.a ? from.a : target.a};
    const float end = UiOptions::Get().Size(UiOptions::kColorAnimationTime);
    keys_.Clear();
    keys_.Append(Key{0, from});
    keys_.Append(Key{end / 2, peak});
    keys_.Append(Key{end, target});
    time_ = 0;
}

ColorVec<float> UiColorInterp::Current() const {
    if (keys_.count == 0) return {};
    if (time_ <= keys_[0].time) return keys_[0].color;
    for (int32_t i = 1; i < keys_.count; ++i) {
        const Key &a = keys_[i - 1], &b = keys_[i];
        if (time_ > b.time) continue;
        const float span = b.time - a.time;
        const float t = span > 0 ? (time_ - a.time) / span : 1;
        return {a.color.r + (b.color.r - a.color.r) * t, a.color.g + (b.color.g - a.color.g) * t,
                a.color.b + (b.color.b - a.color.b) * t, a.color.a + (b.color.a - a.color.a) * t};
    }
    return keys_[keys_.count - 1].color;
}

uint32_t UiColorInterp::CurrentArgb() const { return ArgbFromColor(Current()); }
