// CRC-64/WE throughput: the byte-at-a-time table beside slicing-by-16 and the
// carry-less-multiply fold, on 4 KiB blocks and on 1 MiB.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/crc64.h"

namespace {

std::vector<uint8_t> Data(size_t n) {
    std::vector<uint8_t> v(n);
    uint32_t x = 1;
    for (auto& b : v) {
        x = x * 1664525u + 1013904223u;
        b = uint8_t(x >> 24);
    }
    return v;
}

template <uint64_t (*Fn)(uint64_t, const void*, size_t)>
void Run(benchmark::State& state) {
    const auto data = Data(size_t(state.range(0)));
    uint64_t crc = 0;
    for (auto _ : state) {
        crc = Fn(~0ULL, data.data(), data.size());
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
    if (Fn == &Crc64UpdateClmul) state.SetLabel(Crc64HasClmul() ? "pclmulqdq" : "no clmul: slicing fallback");
}

BENCHMARK(Run<Crc64UpdateBytewise>)->Name("crc64/byte_table")->Arg(4096)->Arg(1 << 20);
BENCHMARK(Run<Crc64UpdateSlicing>)->Name("crc64/slicing_by_16")->Arg(4096)->Arg(1 << 20);
BENCHMARK(Run<Crc64UpdateClmul>)->Name("crc64/clmul")->Arg(4096)->Arg(1 << 20);

}  // namespace
