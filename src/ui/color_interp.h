// UiColorInterp: a colour that animates. Keys (time in seconds, colour as
// four floats 0..1), sorted by time, and the current time; the colour is
// the keys' linear interpolation at that time. Splitters and grid lines
// fade to their rest colour and pulse towards their hover colour.
#pragma once

#include <cstdint>

#include "core/dynamic_array.h"
#include "core/geometry.h"

class UiColorInterp {
public:
    struct Key {
        float time;
        ColorVec<float> color;
        bool operator==(const Key&) const = default;
    };

    // One key at time 0: the colour at once.
    void Set(uint32_t argb);
    // From the current colour to argb over the style's animation time
    // (0.5 s); nothing when the last key already has that colour.
    void FadeTo(uint32_t argb);
    // From the current colour to a brighter flash of the blend at 0.25 s,
    // then to argb at 0.5 s.
    void PulseTo(uint32_t argb);
    // Time passes.
    void Advance(float seconds) { time_ += seconds; }
    // Still moving: the current time is before the last key.
    bool Animating() const { return keys_.count > 0 && time_ < keys_[keys_.count - 1].time; }

    ColorVec<float> Current() const;
    uint32_t CurrentArgb() const;
    const DynamicArray<Key>& Keys() const { return keys_; }

private:
    DynamicArray<Key> keys_;
    float time_ = 0;
};

ColorVec<float> ColorFromArgb(uint32_t argb);
uint32_t ArgbFromColor(const ColorVec<float>& c);
