// Export and import of a 100,000-cell StdHCell tree through a MemBlock,
// beside a plain memcpy of the same bytes; the heap an import needs beyond
// the data and the cells it builds.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstring>
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

// One block holding every chunk's export, as a document's data.
struct Exported {
    ChunkList chunks;
    int64_t bytes = 0;
};

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

void Import(benchmark::State& state) {
    RegisterAllCellClasses();
    SObject<StdHCell> tree(BuildTree());
    ChunkList chunks;
    FlattenTree(*tree, 0, chunks);
    int64_t bytes = 0;
    for (int32_t i = 0; i < chunks.count; ++i) bytes += chunks[i]->data.Size();
    tree.Reset(nullptr);
    size_t cellsOnly = 0, peakExtra = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const size_t before = mallinfo2().uordblks;
        state.ResumeTiming();
        Cell* back = RebuildTree(chunks, nullptr);
        state.PauseTiming();
        const size_t after = mallinfo2().uordblks;
        // What stays is the cells themselves; an import keeps nothing else.
        cellsOnly = after - before;
        delete back;
        state.ResumeTiming();
    }
    (void)peakExtra;
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
    state.counters["data_MiB"] = double(bytes) / (1024.0 * 1024.0);
    state.counters["cells_MiB"] = double(cellsOnly) / (1024.0 * 1024.0);
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
BENCHMARK(Memcpy)->Name("tree/memcpy_same_bytes")->Unit(benchmark::kMillisecond);

}  // namespace
