// Copying and deleting a 2000-file, 200 MB tree, beside `cp -r` and
// `rm -rf` of the same tree in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cell/text_convert.h"
#include "sys/file_system.h"

namespace {

constexpr int kFolders = 20;
constexpr int kFilesPerFolder = 100;
constexpr size_t kFileSize = 100 * 1024;

struct Tree {
    std::string root;
    std::string source;
    std::string target;
    Tree() {
        char pattern[] = "/var/tmp/veldo-bench-tree-XXXXXX";
        root = mkdtemp(pattern);
        source = root + "/payload";
        target = root + "/installed";
        std::vector<char> bytes(kFileSize);
        for (size_t i = 0; i < kFileSize; ++i) bytes[i] = char(i * 31 + 7);
        for (int d = 0; d < kFolders; ++d) {
            const std::string folder = source + "/folder" + std::to_string(d);
            std::system(("mkdir -p '" + folder + "'").c_str());
            for (int f = 0; f < kFilesPerFolder; ++f) {
                FILE* out = std::fopen((folder + "/file" + std::to_string(f) + ".bin").c_str(), "wb");
                bytes[0] = char(f);
                std::fwrite(bytes.data(), 1, bytes.size(), out);
                std::fclose(out);
            }
        }
    }
    ~Tree() { std::system(("rm -rf '" + root + "'").c_str()); }
    void Clear() const { std::system(("rm -rf '" + target + "'").c_str()); }
    void Fill() const { std::system(("cp -r '" + source + "' '" + target + "'").c_str()); }
};

Tree& Setup() {
    static Tree tree;
    return tree;
}

WString Wide(const std::string& s) {
    WString w;
    Utf8ToWide(s.c_str(), w);
    return w;
}

void CopyTree(benchmark::State& state) {
    const Tree& t = Setup();
    for (auto _ : state) {
        state.PauseTiming();
        t.Clear();
        std::system(("mkdir -p '" + t.target + "'").c_str());
        state.ResumeTiming();
        if (!CopyFolderTree(Wide(t.source).CStr(), Wide(t.target).CStr(), false, nullptr)) state.SkipWithError("copy failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kFolders * kFilesPerFolder * int64_t(kFileSize));
}

void CpR(benchmark::State& state) {
    const Tree& t = Setup();
    for (auto _ : state) {
        state.PauseTiming();
        t.Clear();
        state.ResumeTiming();
        t.Fill();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kFolders * kFilesPerFolder * int64_t(kFileSize));
}

void DeleteTree(benchmark::State& state) {
    const Tree& t = Setup();
    for (auto _ : state) {
        state.PauseTiming();
        t.Clear();
        t.Fill();
        state.ResumeTiming();
        if (!DeleteFolderTree(Wide(t.target).CStr(), nullptr)) state.SkipWithError("delete failed");
    }
}

void RmRf(benchmark::State& state) {
    const Tree& t = Setup();
    for (auto _ : state) {
        state.PauseTiming();
        t.Clear();
        t.Fill();
        state.ResumeTiming();
        t.Clear();
    }
}

BENCHMARK(CopyTree)->Name("tree/CopyFolderTree_2000_files_200MB")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CpR)->Name("tree/cp_r_same_tree")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DeleteTree)->Name("tree/DeleteFolderTree_2000_files")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RmRf)->Name("tree/rm_rf_same_tree")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
