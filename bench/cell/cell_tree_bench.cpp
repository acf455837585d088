// Creating, cloning and destroying a tree of 100,000 StdHCell cells:
// cells per second for each step and the heap the tree occupies at its peak.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "app/register_all_cells.h"
#include "cell/registry.h"
#include "cell/std_cells.h"

namespace {

constexpr int kCells = 100000;
constexpr int kFanOut = 10;

size_t HeapInUse() { return mallinfo2().uordblks; }

// A breadth-first tree: every cell gets up to kFanOut children.
StdHCell* BuildTree() {
    auto* root = new StdHCell;
    root->TagCount();
    std::vector<StdHCell*> level{root};
    int made = 1;
    size_t next = 0;
    while (made < kCells) {
        StdHCell* parent = level[next++];
        for (int i = 0; i < kFanOut && made < kCells; ++i, ++made) {
            auto* c = new StdHCell;
            c->TagValueAs<IntCell>(StdHCell::kCount)->value = made;
            parent->AddChild(c);
            level.push_back(c);
        }
    }
    return root;
}

// A deep copy: the clone (tags) and then every child, recursively.
HCell* CloneTree(const HCell& source) {
    auto* copy = static_cast<HCell*>(CloneCell(source));
    for (int32_t i = 0; i < source.children.count; ++i) copy->AddChild(CloneTree(*source.children[i]));
    return copy;
}

void TreeCreate(benchmark::State& state) {
    RegisterAllCellClasses();
    size_t peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const size_t before = HeapInUse();  // walks the heap: not timed
        state.ResumeTiming();
        StdHCell* root = BuildTree();
        state.PauseTiming();
        peak = HeapInUse() - before;
        delete root;
        state.ResumeTiming();
    }
    state.counters["cells_per_s"] = benchmark::Counter(double(kCells) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak_MiB"] = double(peak) / (1024.0 * 1024.0);
    state.counters["bytes_per_cell"] = double(peak) / kCells;
}

void TreeClone(benchmark::State& state) {
    RegisterAllCellClasses();
    StdHCell* root = BuildTree();
    for (auto _ : state) {
        HCell* copy = CloneTree(*root);
        state.PauseTiming();
        delete copy;
        state.ResumeTiming();
    }
    delete root;
    state.counters["cells_per_s"] = benchmark::Counter(double(kCells) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void TreeDestroy(benchmark::State& state) {
    RegisterAllCellClasses();
    for (auto _ : state) {
        state.PauseTiming();
        StdHCell* root = BuildTree();
        state.ResumeTiming();
        delete root;
    }
    state.counters["cells_per_s"] = benchmark::Counter(double(kCells) * double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(TreeCreate)->Unit(benchmark::kMillisecond);
BENCHMARK(TreeClone)->Unit(benchmark::kMillisecond);
BENCHMARK(TreeDestroy)->Unit(benchmark::kMillisecond);

}  // namespace
