// A real window for the window and drawing tests, with a small root that
// records the events its frame hands over.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "cell/hcell.h"
#include "gx/glfw/gl_wnd_gx.h"

namespace test {

class RecordingRoot : public HCell, public WndRoot {
public:
    std::vector<WndEvent> events;
    int32_t minWidth = 0, minHeight = 0;
    int32_t layouts = 0, draws = 0;
    float lastDelta = -1;

    void HandleEvent(const WndEvent& e) override { events.push_back(e); }
    void TimeDelta(float seconds) override { lastDelta = seconds; }
    void MinimumSize(int32_t& w, int32_t& h) const override { w = minWidth, h = minHeight; }
    bool WantsLayout() const override { return true; }
    void Layout(int32_t, int32_t) override { ++layouts; }
    void Draw(int32_t, int32_t) override { ++draws; }
    std::vector<int32_t> Codes() const {
        std::vector<int32_t> codes;
        for (const WndEvent& e : events) codes.push_back(e.type);
        return codes;
    }
};

// Creates a shown window. When the X server turns it down, GLFW's reason
// (from the log) goes to standard error and one more try follows a second
// later: the display is shared with every other process of the test run.
bool CreateTestWindow(GlWndGx& window, int32_t x, int32_t y, int32_t width, int32_t height, const WChar* title);

// The colour the X server shows at a screen point (0xRRGGBB): what is
// really on the screen, whatever any window drew last.
uint32_t ScreenPixel(int32_t x, int32_t y);
// Whether two 0xRRGGBB colours differ by at most tolerance in each channel.
bool NearColor(uint32_t a, uint32_t b, int32_t tolerance = 2);

// A shown window at a fixed place on the virtual screen; skips without X.
struct WindowFixture : ::testing::Test {
    GlWndGx window;
    RecordingRoot* root = nullptr;
    int32_t width = 200, height = 150;

    void SetUp() override;
    void TearDown() override { window.Destroy(); }
    // Gives the window its root: a RecordingRoot unless a fixture has its own.
    virtual void AddRoot();
    // Frames, waking as X's events arrive, until the condition holds or
    // boundMs have passed; true when it held.
    bool PumpUntil(const std::function<bool()>& condition, int boundMs = 20000);
    // Runs xdotool with the arguments (coordinates are the caller's) and
    // waits for it.
    static void XDoTool(const std::string& args);
    // Runs xdotool while the window keeps framing, so that events arrive
    // with their real timing, then frames until the condition holds.
    void Drive(const std::string& args, const std::function<bool()>& until);
    // Screen position of a client pixel (x from the left, y from the top).
    std::string At(int32_t x, int32_t y) const;
    // What the screen shows at a client pixel (x from the left, y from the top).
    uint32_t Pixel(int32_t x, int32_t y) const;
};

}  // namespace test
