// UiOptions: the style table every box and widget reads, 41 entries made
// once: eight sizes and times (floats), then colours as 0xAARRGGBB.
#pragma once

#include <cstdint>

class UiOptions {
public:
    static constexpr int32_t kEntryCount = 41;
    // The entries the layout and the splitters use by name; the others are
    // the widgets' and are read by number.
    enum Entry : int32_t {
        kMargin = 0,              // one scroll step is row + margin
        kRow = 1,                 // row height, title band, unit of size kinds 1 to 3
        kScrollTrackWidth = 4,
        kColorAnimationTime = 7,  // seconds
        kBaseColor = 8,           // the splitter rests at this added to itself
        kTitleColor = 9,
        kSplitterHoverSecond = 35,
        kSplitterHoverFirst = 37,
        kSplitterDragged = 38,
    };

    // The one table of the program, made on first use.
    static const UiOptions& Get();

    float Size(int32_t entry) const;       // entries 0 to 7
    uint32_t Color(int32_t entry) const;   // entries 8 to 40
    float Margin() const { return Size(kMargin); }
    float Row() const { return Size(kRow); }

private:
    UiOptions();
    uint32_t entries_[kEntryCount];
};

// a + b channel by channel, each channel saturating at 255.
uint32_t AddColors(uint32_t a, uint32_t b);
// Splitters and grid lines: at rest the base colour added to itself, when
// hovered entry 37 + entry 35.
uint32_t SplitterRestColor();
uint32_t SplitterHoverColor();
