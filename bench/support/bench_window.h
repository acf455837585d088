// The one 800 x 600 window a graphics benchmark program draws in, made on
// first use (null without an X display), its context current.
#pragma once

#include <cstdlib>

#include "gx/glfw/gl_wnd_gx.h"

namespace bench {

inline GlWndGx* TheWindow() {
    static GlWndGx* window = [] {
        auto* w = new GlWndGx;
        if (!std::getenv("DISPLAY") || !w->Create(0, 0, 800, 600, true, WTXT("Benchmark"))) return (GlWndGx*)nullptr;
        w->DisableVSync();
        return w;
    }();
    if (window) window->MakeCurrent();
    return window;
}

}  // namespace bench
