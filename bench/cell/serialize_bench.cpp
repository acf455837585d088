// Export and import of a 100,000-cell StdHCell tree through a MemBlock,
// beside a plain memcpy of the same bytes; the heap an import needs beyond
// the data and the cells it builds.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/register_all_cells.h"
#include "cell/chunks.h"
#include "cell/std_cells.h"
#include "cell/tags.h"

namespace {

constexpr int kCells = 100000;

StdHCell* BuildTree() {
    auto* root = new StdHCell;
    std::vector<StdHCell*> level{root};
    size_t next = 0;
    for (int made = 1; made < kCells;) {
        StdHCell* parent = level[next++];
        for (int i = 0; i < 10 && made < kCells; ++i, ++made) {
            auto* c = new StdHCell;
            c->TagValueAs<IntCell>(StdHCell::kCount)->value = made;
            c->TagValueAs<StringCell>(StdHCell::kName)->SetText(WTXT("cell name"));
            parent->AddChild(c);
            level.push_back(c);
        }
    }
    return root;
}

// A line of /proc/self/status in bytes ("VmRSS", "VmHWM").
double StatusBytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::stod(line.substr(line.find(':') + 1)) * 1024.0;
    return 0;
}

// Starts a new resident high-water mark from here.
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void Export(benchmark::State& state) {
    RegisterAllCellClasses();
    SObject<StdHCell> tree(BuildTree());
    int64_t bytes = 0;
    for (auto _ : state) {
        ChunkList chunks;
        FlattenTree(*tree, 0, chunks);
        state.PauseTiming();
        bytes = 0;
        for (int32_t i = 0; i < chunks.count; ++i) bytes += chunks[i]->data.Size();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
}

// The chunks of the benchmark tree, with their total data size.
int64_t TreeChunks(ChunkList& chunks) {
    SObject<StdHCell> tree(BuildTree());
    FlattenTree(*tree, 0, chunks);
    int64_t bytes = 0;
    for (int32_t i = 0; i < chunks.count; ++i) bytes += chunks[i]->data.Size();
    return bytes;
}

void Import(benchmark::State& state) {
    RegisterAllCellClasses();
    ChunkList chunks;
    const int64_t bytes = TreeChunks(chunks);
    for (auto _ : state) {
        Cell* back = RebuildTree(chunks, nullptr);
        state.PauseTiming();
        delete back;
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
}

// One import into memory given back to the system first, so that the
// resident high-water mark shows all it needed.
void ImportPeakMemory(benchmark::State& state) {
    RegisterAllCellClasses();
    ChunkList chunks;
    const int64_t bytes = TreeChunks(chunks);
    size_t cells = 0;
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        malloc_trim(0);
        ResetPeak();
        const double residentBefore = StatusBytes("VmRSS");
        const size_t before = mallinfo2().uordblks;
        state.ResumeTiming();
        Cell* back = RebuildTree(chunks, nullptr);
        state.PauseTiming();
        cells = mallinfo2().uordblks - before;  // what stays: the cells themselves
        peak = StatusBytes("VmHWM") - residentBefore;
        delete back;
        state.ResumeTiming();
    }
    const double mib = 1024.0 * 1024.0;
    state.counters["data_MiB"] = double(bytes) / mib;
    state.counters["cells_MiB"] = double(cells) / mib;
    state.counters["peak_MiB"] = peak / mib;
    // Below 1 is within the allowance of three times the data plus the cells.
    state.counters["peak_vs_allowance"] = peak / (3.0 * double(bytes) + double(cells));
}

void Memcpy(benchmark::State& state) {
    RegisterAllCellClasses();
    SObject<StdHCell> tree(BuildTree());
    ChunkList chunks;
    FlattenTree(*tree, 0, chunks);
    std::vector<uint8_t> from, to;
    for (int32_t i = 0; i < chunks.count; ++i) {
        std::vector<uint8_t> b(size_t(chunks[i]->data.Size()));
        MemBlockCursor(chunks[i]->data).Read(b.data(), int64_t(b.size()));
        from.insert(from.end(), b.begin(), b.end());
    }
    to.resize(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(from.size()));
}

BENCHMARK(Export)->Name("tree/export_100000_cells")->Unit(benchmark::kMillisecond);
BENCHMARK(Import)->Name("tree/import_100000_cells")->Unit(benchmark::kMillisecond);
BENCHMARK(ImportPeakMemory)->Name("tree/import_peak_memory")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Memcpy)->Name("tree/memcpy_same_bytes")->Unit(benchmark::kMillisecond);

}  // namespace
