// The program's loop: every gate cell gets its turn each frame, and the loop
// ends when the main window goes, even when the gate table drops it.
#include <gtest/gtest.h>

#include "app/frame_loop.h"
#include "cell/gate_table.h"
#include "gx/window_cells.h"

namespace {

// Replaces whatever the gate table holds under the main window's name on
// its third turn, as opening another document of that name would.
class Replacer : public GCell {
public:
    int turns = 0;
    void Frame() override {
        if (++turns == 3) MakeGateCell(HddGateKey(WTXT("loop-test-window.veldo")), new GCell);
    }
};

TEST(FrameLoop, EndsWhenTheTableDropsTheMainWindow) {
    auto* window = new WndGx;
    MakeGateCell(HddGateKey(WTXT("loop-test-window.veldo")), window);
    auto* replacer = new Replacer;
    MakeGateCell(HddGateKey(WTXT("loop-test-replacer.veldo")), replacer);
    SSlave<GCell> main;
    main.PointAt(window->EnsureSelfLink());
    RunFrames(main);  // returns instead of framing a window that is gone
    EXPECT_FALSE(main);
    EXPECT_GE(replacer->turns, 3);
}

}  // namespace
