// A UI tree in a real window on the X server: what the screen shows of a
// titled box and a splitter dragged with real input, of a change that
// arrives without input, and of the window after it was covered.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <functional>

#include "cell/register_cells.h"
#include "support/gx_window.h"
#include "ui/register_ui_cells.h"
#include "ui/size_rule.h"
#include "ui/ui_messages.h"
#include "ui/ui_options.h"
#include "ui/ui_root.h"
#include "ui/ui_splitter.h"
#include "support/register_once.h"

namespace {

// A 200 x 150 window: a titled box, a splitter at x 97.5 to 102.5, a box.
struct UiWindow : test::WindowFixture {
    UiRoot* ui = nullptr;
    UiBox *left = nullptr, *right = nullptr;
    UiSplitter* splitter = nullptr;

    void AddRoot() override {
        test::RegisterOnce<RegisterModelCellClasses, RegisterUiCellClasses>();
        ui = new UiRoot;
        ui->Shape(UiBox::kLayoutHorizontal, kSizeFlexible);
        UiBox_SplitTo2_Msg split;
        ui->Receive(split);
        left = ui->ChildBox(0);
        splitter = CellAs<UiSplitter>(ui->ChildBox(1));
        right = ui->ChildBox(2);
        left->SetTitle(WTXT("Title"));
        window.AddChild(ui);
    }
    // Pixels near white in a client rectangle (x, y from the top-left).
    int32_t BrightPixels(int32_t x0, int32_t y0, int32_t x1, int32_t y1) const {
        int32_t bright = 0;
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = x0; x < x1; ++x)
                if (test::NearColor(Pixel(x, y), 0xFFFFFF, 60)) ++bright;
        return bright;
    }
    std::function<bool()> Shows(int32_t x, int32_t y, uint32_t rgb) {
        return [=, this] { return test::NearColor(Pixel(x, y), rgb); };
    }
};

constexpr uint32_t Rgb(uint32_t argb) { return argb & 0xFFFFFF; }

// A colour blended over the window's black background by its alpha.
uint32_t OverBlack(uint32_t argb) {
    const uint32_t a = argb >> 24;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) out |= (((argb >> shift) & 0xFF) * a + 127) / 255 << shift;
    return out;
}

TEST_F(UiWindow, ATitledBoxAndASplitterDraggedWithThePointer) {
    ASSERT_NE(splitter, nullptr);
    EXPECT_TRUE(PumpUntil(Shows(100, 75, Rgb(SplitterRestColor()))));
    EXPECT_GT(BrightPixels(0, 0, 60, 20), 10);  // the title's glyphs in the top band
    EXPECT_EQ(BrightPixels(5, 40, 60, 60), 0);  // and nothing below it

    // Grabbed 2.5 px right of its edge and moved 30 px: red while dragged.
    Drive("mousemove " + At(100, 75) + " mousedown 1 mousemove " + At(110, 75) + " mousemove " + At(130, 75),
          [&] { return splitter->state == UiSplitter::kDragged && left->Box().x1 == 127.5f; });
    EXPECT_TRUE(PumpUntil(Shows(130, 75, Rgb(UiOptions::Get().Color(UiOptions::kSplitterDragged)))));
    EXPECT_EQ(right->Box().x0, 132.5f);

    // Let go over it: it pulses to the hover colour and stays there.
    Drive("mouseup 1", [&] { return splitter->state == UiSplitter::kHover; });
    EXPECT_TRUE(PumpUntil([&] { return !ui->timer.Running(); }));
    EXPECT_TRUE(PumpUntil(Shows(130, 75, OverBlack(SplitterHoverColor()))));
    EXPECT_EQ(left->Box().x1, 127.5f);
}

TEST_F(UiWindow, ChangesWithoutInputAndAnUncoveredWindowAreShown) {
    EXPECT_TRUE(PumpUntil(Shows(100, 75, Rgb(SplitterRestColor()))));
    // A title set by the program (as a job that ends sets one) shows
    // without any input arriving.
    EXPECT_EQ(BrightPixels(105, 0, 160, 20), 0);
    right->SetTitle(WTXT("Done"));
    EXPECT_TRUE(PumpUntil([&] { return BrightPixels(105, 0, 160, 20) > 10; }));

    // Another window over it, cleared black, hides it...
    GlWndGx cover;
    ASSERT_TRUE(test::CreateTestWindow(cover, 120, 100, width, height, WTXT("Cover")));
    cover.MakeCurrent();
    {
        SObject<DrawGx> draw(NewDrawGx());
        EXPECT_TRUE(PumpUntil([&] {
            cover.MakeCurrent();
            draw->BindTarget(nullptr);
            draw->Clear(true, true, true);
            cover.SwapBuffers();
            return test::NearColor(Pixel(100, 75), 0) && BrightPixels(0, 0, 60, 20) == 0;
        }));
        cover.MakeCurrent();
    }
    // ...and when it goes, the window shows its tree again by itself.
    cover.Destroy();
    EXPECT_TRUE(PumpUntil([&] {
        return test::NearColor(Pixel(100, 75), Rgb(SplitterRestColor())) && BrightPixels(0, 0, 60, 20) > 10 &&
               BrightPixels(105, 0, 160, 20) > 10;
    }));
}

}  // namespace
