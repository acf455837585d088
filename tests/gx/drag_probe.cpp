// A program of two windows for the drag between windows on Windows (run
// under Wine, driven from outside by real pointer input): "Drag source" at
// (100, 100) and "Drag target" at (340, 100), 200 x 150 each. Each pointer
// event a window's frame hands over is printed at once as a line: the
// window and the code, a drop followed by its handled-elsewhere flag and
// its point ("target 12/1@70,89"), so that the driver can wait for each
// step. It ends once both windows have had a drop, or after a minute.
#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "cell/hcell.h"
#include "gx/glfw/gl_wnd_gx.h"

namespace {

class Printer : public HCell, public WndRoot {
public:
    explicit Printer(const char* name) : name_(name) {}
    bool dropped = false;

    void HandleEvent(const WndEvent& e) override {
        if (e.type < kWndLeftPress || e.type > kWndRightDrop) return;
        std::string line = name_ + " " + std::to_string(e.type);
        if (e.type == kWndLeftDrop || e.type == kWndRightDrop) {
            line += '/' + std::to_string(e.handledElsewhere) + '@' + std::to_string(int(e.x)) + ',' +
                    std::to_string(int(e.y));
            dropped = true;
        }
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
    void TimeDelta(float) override {}
    void MinimumSize(int32_t& w, int32_t& h) const override { w = h = 0; }
    bool WantsLayout() const override { return false; }
    void Layout(int32_t, int32_t) override {}
    void Draw(int32_t, int32_t) override {}

private:
    std::string name_;
};

}  // namespace

int main() {
    GlWndGx source, target;
    if (!source.Create(100, 100, 200, 150, true, WTXT("Drag source")) ||
        !target.Create(340, 100, 200, 150, true, WTXT("Drag target")))
        return 1;
    auto* fromRoot = new Printer("source");
    auto* toRoot = new Printer("target");
    source.AddChild(fromRoot);
    target.AddChild(toRoot);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!(toRoot->dropped && fromRoot->dropped) && std::chrono::steady_clock::now() < end) {
        glfwWaitEventsTimeout(0.005);
        source.Frame();
        target.Frame();
    }
    target.Destroy();
    source.Destroy();
    return 0;
}
