// Animated colours: set at once, fades and pulses over the style's half
// second, time passing as data.
#include <gtest/gtest.h>

#include "ui/color_interp.h"

namespace {

TEST(UiColorInterp, SetFadeAndPulse) {
    UiColorInterp c;
    c.Set(0xFF000000);
    EXPECT_EQ(c.CurrentArgb(), 0xFF000000u);
    EXPECT_FALSE(c.Animating());

    c.FadeTo(0xFFFFFFFF);
    ASSERT_EQ(c.Keys().count, 2);
    EXPECT_EQ(c.Keys()[1].time, 0.5f);
    EXPECT_TRUE(c.Animating());
    c.Advance(0.25f);
    EXPECT_EQ(c.CurrentArgb(), 0xFF808080u);  // halfway (127.5 rounds up)
    c.Advance(0.25f);
    EXPECT_EQ(c.CurrentArgb(), 0xFFFFFFFFu);
    EXPECT_FALSE(c.Animating());
    c.Advance(10);
    EXPECT_EQ(c.CurrentArgb(), 0xFFFFFFFFu);  // holds the last key

    // Fading to the colour it is already going to changes nothing.
    c.FadeTo(0xFF000000);
    c.Advance(0.1f);
    const uint32_t midway = c.CurrentArgb();
    c.FadeTo(0xFF000000);
    EXPECT_EQ(c.CurrentArgb(), midway);
    EXPECT_TRUE(c.Animating());

    // A pulse: brighter than both ends at a quarter second, then the target.
    UiColorInterp p;
    p.Set(0xFF102030);
    p.PulseTo(0xFF203040);
    ASSERT_EQ(p.Keys().count, 3);
    p.Advance(0.25f);
    const ColorVec<float> peak = p.Current();
    EXPECT_GT(peak.r, ColorFromArgb(0xFF203040).r);
    p.Advance(0.25f);
    EXPECT_EQ(p.CurrentArgb(), 0xFF203040u);
}

TEST(UiColorInterp, ArgbRoundTrips) {
    for (uint32_t argb : {0x00000000u, 0xFFFFFFFFu, 0x7F123456u, 0x11223344u})
        EXPECT_EQ(ArgbFromColor(ColorFromArgb(argb)), argb);
    const ColorVec<float> c = ColorFromArgb(0x80FF0000);
    EXPECT_FLOAT_EQ(c.r, 1.0f);
    EXPECT_FLOAT_EQ(c.g, 0.0f);
    EXPECT_NEAR(c.a, 128.0f / 255.0f, 1e-6);
}

}  // namespace
