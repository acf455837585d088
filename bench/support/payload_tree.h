// The 2000-file, 200 MB tree that the copy, install and removal benchmarks
// share, and the `cp -r` / `rm -rf` references they are measured beside.
#pragma once

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text_convert.h"

namespace bench {

inline WString Wide(const std::string& s) {
    WString w;
    Utf8ToWide(s.c_str(), w);
    return w;
}

// A fresh folder under /var/tmp (a real disk, not a tmpfs).
inline std::string TempFolder(const char* name) {
    std::string pattern = std::string("/var/tmp/veldo-bench-") + name + "-XXXXXX";
    std::vector<char> p(pattern.begin(), pattern.end());
    p.push_back(0);
    return mkdtemp(p.data());
}

struct PayloadTree {
    static constexpr int kFolders = 20;
    static constexpr int kFilesPerFolder = 100;
    static constexpr size_t kFileSize = 100 * 1024;
    static constexpr int64_t kBytes = int64_t(kFolders) * kFilesPerFolder * int64_t(kFileSize);

    std::string root = TempFolder("tree");
    std::string source = root + "/payload";
    std::string target = root + "/installed";

    PayloadTree() {
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
    ~PayloadTree() { std::system(("rm -rf '" + root + "'").c_str()); }
    void Clear() const { std::system(("rm -rf '" + target + "'").c_str()); }
    void Fill() const { std::system(("cp -r '" + source + "' '" + target + "'").c_str()); }
};

// One tree per benchmark program, made on first use.
inline const PayloadTree& SharedPayloadTree() {
    static PayloadTree tree;
    return tree;
}

// The program and its payload copied into the folder program, with the
// shared tree as LightWave's plug-in folder. exe is the program's path in
// the build, beside its demo payload.
inline void CopyProgramWithTree(const std::string& exe, const std::string& program) {
    const PayloadTree& tree = SharedPayloadTree();
    const std::string bin = exe.substr(0, exe.rfind('/'));
    const std::string command = "mkdir -p '" + program + "' && cp '" + exe + "' '" + program + "/' && cd '" + bin +
                                "' && cp -r LightWave 3DSMax Cinema4D Presets InstallerData license.txt '" + program +
                                "/' && rm -rf '" + program + "/LightWave/Plugin/win64' && cp -r '" + tree.source +
                                "' '" + program + "/LightWave/Plugin/win64'";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
}

// The references: `cp -r` into an empty target, `rm -rf` of a full one.
inline void CpRReference(benchmark::State& state) {
    const PayloadTree& t = SharedPayloadTree();
    for (auto _ : state) {
        state.PauseTiming();
        t.Clear();
        state.ResumeTiming();
        t.Fill();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * PayloadTree::kBytes);
}

inline void RmRfReference(benchmark::State& state) {
    const PayloadTree& t = SharedPayloadTree();
    for (auto _ : state) {
        state.PauseTiming();
        t.Clear();
        t.Fill();
        state.ResumeTiming();
        t.Clear();
    }
}

}  // namespace bench
