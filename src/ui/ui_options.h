// UiOptions: the style table every box and widget reads, 41 entries made
// once: eight sizes and times (floats), then colours as 0xAARRGGBB.
#pragma once

#include <cstdint>

class UiOptions {
public:
    static constexpr int32_t kEntryCount = 41;
    static constexpr int32_t kSizeCount = 8;  // the sizes come first, then the colours
    // Every entry by name. The style's table keeps its layout whole, so the
    // entries no box reads are named as such.
    enum Entry : int32_t {
        // ---- sizes and times
        kMargin = 0,  // one scroll step is row + margin
        kRow = 1,     // row height, title band, unit of size kinds 1 to 3
        kUnreadSize2 = 2,
        kUnreadSize3 = 3,
        kScrollTrackWidth = 4,
        kUnreadSize5 = 5,
        kUnreadSize6 = 6,
        kColorAnimationTime = 7,  // seconds
        // ---- colours
        kBaseColor = 8,   // panels; the splitter rests at this added to itself
        kTitleColor = 9,  // box titles, and plain texts
        kUnreadColor10 = 10,
        kWarningTextColor = 11,
        kUnreadColor12 = 12,
        kSuccessTextColor = 13,
        kUnreadColor14 = 14,
        kFaintTextColor = 15,
        kUnreadColor16 = 16,
        kUnreadColor17 = 17,
        // A face and its text for each state of a button or a combo, in the
        // order of their states (up, hover, down, down and hover).
        kFaceUp = 18,
        kFaceUpText = 19,
        kFaceHover = 20,
        kFaceHoverText = 21,
        kFaceDown = 22,  // also a progress bar's done part
        kFaceDownText = 23,
        kFaceDownHover = 24,
        kFaceDownHoverText = 25,
        // An edit's background and text in each state; the viewport's
        // background is the idle edit's.
        kEditIdle = 26,
        kEditIdleText = 27,
        kEditFocused = 28,
        kEditFocusedText = 29,
        kEditInactive = 30,
        kEditInactiveText = 31,
        kSelection = 32,
        kEditCursor = 33,
        kUnreadColor34 = 34,
        kSplitterHoverSecond = 35,  // also the scroll bar's thumb, shown
        kHoverFaceAdded = 36,       // added to a button's face under the pointer
        kSplitterHoverFirst = 37,   // also added to a button's text under the pointer
        kSplitterDragged = 38,      // also the scroll bar's thumb, dragged
        kFocusRing = 39,
        kUnreadColor40 = 40,
    };

    // The one table of the program, made on first use.
    static const UiOptions& Get();

    float Size(int32_t entry) const;       // the sizes; 0 for another entry
    uint32_t Color(int32_t entry) const;   // the colours; 0 for another entry
    float Margin() const { return Size(kMargin); }
    float Row() const { return Size(kRow); }

private:
    UiOptions();
    uint32_t entries_[kEntryCount];
};

// a + b channel by channel, each channel saturating at 255.
uint32_t AddColors(uint32_t a, uint32_t b);
// Splitters and grid lines: at rest the base colour added to itself, when
// hovered the two hover terms added.
uint32_t SplitterRestColor();
uint32_t SplitterHoverColor();
