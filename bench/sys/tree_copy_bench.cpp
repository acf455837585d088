// Copying and deleting a 2000-file, 200 MB tree, beside `cp -r` and
// `rm -rf` of the same tree in the same run.
#include <benchmark/benchmark.h>

#include "support/payload_tree.h"
#include "sys/file_system.h"

namespace {

using bench::PayloadTree;
using bench::SharedPayloadTree;
using bench::Wide;

void CopyTree(benchmark::State& state) {
    const PayloadTree& t = SharedPayloadTree();
    for (auto _ : state) {
        state.PauseTiming();
        t.Clear();
        std::system(("mkdir -p '" + t.target + "'").c_str());
        state.ResumeTiming();
        if (!CopyFolderTree(Wide(t.source).CStr(), Wide(t.target).CStr(), false, nullptr)) state.SkipWithError("copy failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * PayloadTree::kBytes);
}

void DeleteTree(benchmark::State& state) {
    const PayloadTree& t = SharedPayloadTree();
    for (auto _ : state) {
        state.PauseTiming();
        t.Clear();
        t.Fill();
        state.ResumeTiming();
        if (!DeleteFolderTree(Wide(t.target).CStr(), nullptr)) state.SkipWithError("delete failed");
    }
}

BENCHMARK(CopyTree)->Name("tree/CopyFolderTree_2000_files_200MB")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bench::CpRReference)->Name("tree/cp_r_same_tree")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DeleteTree)->Name("tree/DeleteFolderTree_2000_files")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bench::RmRfReference)->Name("tree/rm_rf_same_tree")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
