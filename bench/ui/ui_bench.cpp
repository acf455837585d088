// The UI tree's costs in a real window on the X server:
// - one frame's processing, meshing and queueing after a change (the window
//   a pixel wider, so every box is placed and meshed again; or one title
//   changed), for a tree the size of a wizard page (60 titled boxes) and
//   for 1,000 boxes beside it;
// - the processor time of an idle main window with a tree, running the
//   program's frame loop, beside a bare window that only polls and sleeps,
//   and of the same window while a splitter's colour keeps animating;
// - the peak resident memory of the program itself with its main window
//   and root.
// VELDO_BENCH_SECONDS sets how long the processor-time runs last (10 s).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "cell/register_cells.h"
#include "gx/glfw/gl_wnd_gx.h"
#include "support/bench_window.h"
#include "sys/platform.h"
#include "ui/register_ui_cells.h"
#include "ui/size_rule.h"
#include "ui/ui_messages.h"
#include "ui/ui_root.h"
#include "ui/ui_splitter.h"

extern char** environ;

namespace {

using bench::TheWindow;

// A root holding `panels` titled columns of `rows` titled boxes each,
// split by splitters: the shape of a wizard page.
UiRoot* BuildTree(int panels, int rows) {
    static const bool registered = (RegisterModelCellClasses(), RegisterUiCellClasses(), true);
    (void)registered;
    auto* root = new UiRoot;
    root->Shape(UiBox::kLayoutHorizontal, kSizeFlexible);
    for (int p = 0; p < panels; ++p) {
        if (p > 0) {
            auto* splitter = new UiSplitter;
            splitter->Shape(UiBox::kLayoutNone, kSizeMargin);
            root->AddChild(splitter);
        }
        auto* panel = new UiBox;
        panel->Shape(UiBox::kLayoutVertical, kSizeFlexible);
        panel->SetTitle(WTXT("Hosts found"));
        for (int r = 0; r < rows; ++r) {
            auto* row = new UiBox;
            row->Shape(UiBox::kLayoutNone, kSizeRow);
            row->SetTitle(WTXT("LightWave 2019 (64 bit)"));
            panel->AddChild(row);
        }
        root->AddChild(panel);
    }
    return root;
}

double ProcessSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double RunSeconds() {
    const char* seconds = std::getenv("VELDO_BENCH_SECONDS");
    return seconds ? std::atof(seconds) : 10.0;
}

// ---- one frame after a change ---------------------------------------------------------

// What the frame does on the processor, without the GL's rendering:
// processing (with the meshes' uploads) and queueing.
void ProcessAndQueue(UiRoot& root, int32_t width, int32_t height) {
    root.Layout(width, height);
    DrawGx& draw = *root.draws[0];
    root.UiBox::Draw(draw);
    draw.ClearQueue();
}

void FrameAfterResize(benchmark::State& state) {
    GlWndGx* window = TheWindow();
    if (!window) return state.SkipWithError("no X display");
    SObject<UiRoot> root(BuildTree(int(state.range(0)), int(state.range(1))));
    ProcessAndQueue(*root, 800, 600);
    int32_t width = 800;
    for (auto _ : state) {
        width = width == 800 ? 801 : 800;  // every box moves, and is meshed again
        ProcessAndQueue(*root, width, 600);
    }
    state.counters["boxes"] = double(state.range(0) * (state.range(1) + 1));
}

void FrameAfterOneTitle(benchmark::State& state) {
    GlWndGx* window = TheWindow();
    if (!window) return state.SkipWithError("no X display");
    SObject<UiRoot> root(BuildTree(int(state.range(0)), int(state.range(1))));
    ProcessAndQueue(*root, 800, 600);
    UiBox* row = root->ChildBox(0)->ChildBox(0);
    bool flip = false;
    for (auto _ : state) {
        row->SetTitle((flip = !flip) ? WTXT("Installed") : WTXT("Not installed"));
        ProcessAndQueue(*root, 800, 600);
    }
}

// ---- processor time of a window over seconds ---------------------------------------------

// The program's frame loop on one window: a frame, then sleep the rest of
// 1/60 s. Returns the processor time used as a share of one core.
template <class EachFrame>
double CoreShare(GlWndGx& window, EachFrame each) {
    const double seconds = RunSeconds();
    const double cpu0 = ProcessSeconds();
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds) {
        const double t0 = SysClockMs();
        each();
        window.Frame();
        const double rest = 16.666666666666668 - (SysClockMs() - t0);
        if (rest > 0) SysSleepMs(uint32_t(rest));
    }
    return (ProcessSeconds() - cpu0) / seconds;
}

// Frames until the tree is laid out, its fonts loaded and drawn, and
// nothing more is pending: what is measured after is the idle window.
void SettleFrames(GlWndGx& window) {
    for (int i = 0; i < 60; ++i) {
        window.Frame();
        glfwWaitEventsTimeout(0.016);
    }
}

void IdleBareWindow(benchmark::State& state) {
    GlWndGx* window = TheWindow();
    if (!window) return state.SkipWithError("no X display");
    SettleFrames(*window);
    double share = 0;
    for (auto _ : state) share = CoreShare(*window, [] {});  // no root: it polls and sleeps
    state.counters["core_percent"] = share * 100;
}

void IdleWindowWithTree(benchmark::State& state) {
    GlWndGx* window = TheWindow();
    if (!window) return state.SkipWithError("no X display");
    UiRoot* root = BuildTree(6, 9);
    window->AddChild(root);
    SettleFrames(*window);
    const int64_t drawn0 = window->drawnFrames;
    double share = 0;
    for (auto _ : state) share = CoreShare(*window, [] {});
    state.counters["core_percent"] = share * 100;
    state.counters["frames_drawn"] = double(window->drawnFrames - drawn0);
    window->children.Remove(window->children.IndexOf(root));
}

void AnimatingSplitter(benchmark::State& state) {
    GlWndGx* window = TheWindow();
    if (!window) return state.SkipWithError("no X display");
    UiRoot* root = BuildTree(6, 9);
    window->AddChild(root);
    auto* splitter = CellAs<UiSplitter>(root->ChildBox(1));
    SettleFrames(*window);
    bool inside = false;
    const int64_t drawn0 = window->drawnFrames;
    double share = 0;
    for (auto _ : state)
        share = CoreShare(*window, [&] {
            // A new pulse or fade whenever the last one ended.
            if (root->timer.Running() || !splitter) return;
            const UiBox::Rect r = splitter->Box();
            WndEvent move;
            move.type = kWndMove;
            move.x = (inside = !inside) ? r.x0 + 1 : 0;
            move.y = (r.y0 + r.y1) / 2;
            splitter->Input(move);
        });
    state.counters["core_percent"] = share * 100;
    state.counters["frames_drawn"] = double(window->drawnFrames - drawn0);
    window->children.Remove(window->children.IndexOf(root));
}

// ---- the program's peak memory -----------------------------------------------------------

// The installer in its window mode on an empty Wine prefix: its peak
// resident memory once the main window has been drawn for a second.
void ProgramPeakMemory(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) return state.SkipWithError("no X display");
    char folder[] = "/tmp/veldo-bench-memory-XXXXXX";
    if (!mkdtemp(folder)) return state.SkipWithError("no temporary folder");
    const std::string prefix = folder;
    std::system(("mkdir -p '" + prefix + "/drive_c' '" + prefix + "/dosdevices' && ln -s ../drive_c '" + prefix +
                 "/dosdevices/c:' && ln -s / '" + prefix + "/dosdevices/z:'")
                    .c_str());
    long kib = -1;
    for (auto _ : state) {
        const std::string wine = "WINEPREFIX=" + prefix;
        std::vector<std::string> env = {wine, "USER=player"};
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "WINEPREFIX=", 11) && std::strncmp(*e, "USER=", 5)) env.push_back(*e);
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        const char* argv[] = {VELDO_INSTALLER_EXE, nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, VELDO_INSTALLER_EXE, nullptr, nullptr, const_cast<char* const*>(argv), envp.data()))
            break;
        // Shown, drawn, and a second of frames.
        std::system("xdotool search --sync --onlyvisible --name 'VELDO installation' > /dev/null");
        std::this_thread::sleep_for(std::chrono::seconds(1));
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmHWM:", 0) == 0) kib = std::atol(line.c_str() + 6);
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::system(("rm -rf '" + prefix + "'").c_str());
    if (kib < 0) return state.SkipWithError("the program could not be measured");
    state.counters["peak_rss_MiB"] = double(kib) / 1024.0;
}

BENCHMARK(FrameAfterResize)->Name("frame/after_resize")->Args({6, 9})->Args({10, 99})->Unit(benchmark::kMicrosecond);
BENCHMARK(FrameAfterOneTitle)->Name("frame/after_one_title")->Args({6, 9})->Args({10, 99})->Unit(benchmark::kMicrosecond);
BENCHMARK(IdleBareWindow)->Name("idle/bare_window_polling")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(IdleWindowWithTree)->Name("idle/main_window_with_tree")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(AnimatingSplitter)->Name("idle/splitter_colour_animating")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(ProgramPeakMemory)->Name("memory/program_main_window_and_root")->Iterations(1);

}  // namespace
