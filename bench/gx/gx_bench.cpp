// The graphics layer's costs, in one window on the X server: loading both
// built-in fonts with their texture upload (beside a plain copy of the
// atlas bytes), a frame of 300 textured quads and 300 line meshes at 800 by
// 600 (CPU time and state changes per frame), and the peak resident memory
// of a process with one window and both fonts.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gx/embedded_data.h"
#include "gx/draw_gx.h"
#include "gx/font_gx.h"
#include "gx/glfw/gl_wnd_gx.h"
#include "support/bench_window.h"

namespace {

using bench::TheWindow;

void LoadFonts(benchmark::State& state) {
    if (!TheWindow()) return state.SkipWithError("no X display");
    for (auto _ : state) {
        FontGx first, second;
        for (int i = 0; i < 2; ++i) {
            FontGx& f = i == 0 ? first : second;
            const EmbeddedBlock b = BuiltinFont(i);
            if (!f.LoadFont(b.data, b.size) || !f.CreateTexture()) return state.SkipWithError("font failed");
        }
        benchmark::DoNotOptimize(first.atlasBytes.data);
    }
}

// The same without the upload: decoding alone.
void DecodeFonts(benchmark::State& state) {
    for (auto _ : state) {
        FontGx first, second;
        for (int i = 0; i < 2; ++i) {
            const EmbeddedBlock b = BuiltinFont(i);
            if (!(i == 0 ? first : second).LoadFont(b.data, b.size)) return state.SkipWithError("font failed");
        }
        benchmark::DoNotOptimize(second.atlasBytes.data);
    }
}

void CopyAtlasBytes(benchmark::State& state) {
    // The same bytes both atlases hold: 2048 and 4096 squared, four a pixel.
    const size_t bytes = (2048u * 2048u + 4096u * 4096u) * 4u;
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
    }
}

void RenderFrame(benchmark::State& state) {
    GlWndGx* window = TheWindow();
    if (!window) return state.SkipWithError("no X display");
    SObject<DrawGx> draw(NewDrawGx());
    SObject<ViewportGx> viewport(NewViewportGx());
    viewport->box = GxBox{0, 0, 800, 600};
    SObject<TextureGx> texture(NewTextureGx());
    std::vector<uint32_t> white(16 * 16, 0xFFFFFFFF);
    texture->SetPixels(16, 16, white.data());
    MaterialGx material;
    material.texture.PointAt(texture->EnsureSelfLink());
    Container<MeshGx> meshes;
    for (int i = 0; i < 300; ++i) {
        const float x = float(i % 20) * 40, y = float(i / 20) * 40;
        MeshGx* quad = NewMeshGx();
        const s_GxVert_PosColUV v[6] = {{x, y, 0, 0xFF3366AA, 0, 1},           {x + 30, y, 0, 0xFF3366AA, 1, 1},
                                        {x + 30, y + 30, 0, 0xFF3366AA, 1, 0}, {x, y, 0, 0xFF3366AA, 0, 1},
                                        {x + 30, y + 30, 0, 0xFF3366AA, 1, 0}, {x, y + 30, 0, 0xFF3366AA, 0, 0}};
        quad->SetTriangles(v, 6);
        quad->material.PointAt(material.EnsureSelfLink());
        meshes.Add(quad);
        MeshGx* line = NewMeshGx();
        const s_GxVert_PosCol l[2] = {{x, y + 35, 0, 0xFFFFFFFF}, {x + 30, y + 35, 0, 0xFFFFFFFF}};
        line->SetLines(l, 2);
        meshes.Add(line);
    }
    for (auto _ : state) {
        for (int32_t i = 0; i < meshes.count; ++i) draw->QueueMesh(*meshes[i]);
        draw->BindTarget(nullptr);
        draw->Clear(true, true, false);
        draw->RenderQueue(*viewport, nullptr, false);
        draw->ClearQueue();
    }
    const GxRenderStats& s = draw->stats;
    state.counters["draw_calls"] = s.drawCalls;
    state.counters["state_changes"] = s.programSwitches + s.scissorChanges + s.depthChanges + s.textureBinds;
    state.counters["program_switches"] = s.programSwitches;
    state.counters["texture_binds"] = s.textureBinds;
}

// Peak memory is measured in a fresh copy of this program that opens one
// window, loads both fonts with their textures and reports its peak, so
// that nothing else measured here counts.
const bool g_peakChild = [] {
    if (!std::getenv("VELDO_GX_PEAK_CHILD")) return false;
    GlWndGx* window = TheWindow();
    FontGx fonts[2];
    for (int i = 0; i < 2 && window; ++i) {
        const EmbeddedBlock b = BuiltinFont(i);
        if (!fonts[i].LoadFont(b.data, b.size, true) || !fonts[i].CreateTexture()) std::_Exit(1);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", window ? long(usage.ru_maxrss) : -1L);
    std::fflush(stdout);
    std::_Exit(0);
}();

void PeakMemory(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) return state.SkipWithError("no X display");
    long kib = -1;
    for (auto _ : state) {
        char self[4096] = {};
        if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) break;
        FILE* child = popen((std::string("VELDO_GX_PEAK_CHILD=1 '") + self + "'").c_str(), "r");
        if (!child || std::fscanf(child, "%ld", &kib) != 1) kib = -1;
        if (child) pclose(child);
    }
    if (kib < 0) return state.SkipWithError("the measuring process failed");
    state.counters["peak_rss_MiB"] = double(kib) / 1024.0;
}

BENCHMARK(LoadFonts)->Name("fonts/load_both_with_texture_upload")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DecodeFonts)->Name("fonts/load_both_without_upload")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CopyAtlasBytes)->Name("fonts/memcpy_of_the_atlas_bytes")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RenderFrame)->Name("draw/300_quads_300_lines_800x600")->Unit(benchmark::kMillisecond);
BENCHMARK(PeakMemory)->Name("memory/one_window_both_fonts")->Iterations(1);

}  // namespace
