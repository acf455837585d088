// Discovery's registry work: a system.reg with 10,000 uninstall records read
// and enumerated with four string values each, beside `grep -c` over the
// same file in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text_convert.h"
#include "sys/platform.h"

namespace {

constexpr int kRecords = 10000;

struct Fixture {
    std::string prefix;
    std::string file;
    Fixture() {
        char pattern[] = "/tmp/veldo-bench-reg-XXXXXX";
        prefix = mkdtemp(pattern);
        file = prefix + "/system.reg";
        std::string text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
        char block[1024];
        for (int i = 0; i < kRecords; ++i) {
            std::snprintf(block, sizeof block,
                          "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\{%08X-1111-2222-3333-%012d}] 1796883218\n"
                          "#time=1d6b0c2d2f0e1a2\n"
                          "\"DisplayName\"=\"Application %d \\xae\"\n"
                          "\"DisplayVersion\"=\"%d.%d.%d\"\n"
                          "\"InstallLocation\"=str(2):\"C:\\\\Program Files\\\\Vendor %d\\\\App\"\n"
                          "\"UninstallString\"=\"\\\"C:\\\\Program Files\\\\Vendor %d\\\\uninstall.exe\\\" /S\"\n"
                          "\"EstimatedSize\"=dword:00001234\n\n",
                          unsigned(i * 2654435761u), i, i, i % 30, i % 10, i % 100, i, i);
            text += block;
        }
        FILE* f = std::fopen(file.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        setenv("WINEPREFIX", prefix.c_str(), 1);
    }
    ~Fixture() { std::system(("rm -rf '" + prefix + "'").c_str()); }
};

Fixture& Setup() {
    static Fixture fixture;
    return fixture;
}

// Every record with DisplayName, DisplayVersion, InstallLocation and
// UninstallString, through the registry calls discovery uses. The file's
// time is moved first so that it is read and parsed anew.
void ReadAndEnumerate(benchmark::State& state) {
    Fixture& fx = Setup();
    static long stamp = 1000000000;
    const WChar* names[] = {WTXT("DisplayName"), WTXT("DisplayVersion"), WTXT("InstallLocation"), WTXT("UninstallString")};
    int64_t values = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const timespec times[2] = {{stamp, 0}, {stamp, 0}};
        ++stamp;
        utimensat(AT_FDCWD, fx.file.c_str(), times, 0);
        state.ResumeTiming();

        SysRegKey* uninstall = nullptr;
        SysRegOpenKey(nullptr, WTXT("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"), SysRegView::k64, uninstall);
        WChar name[4096];
        uint8_t buffer[8192];
        for (uint32_t i = 0; SysRegEnumKey(uninstall, i, name, 4096) != SysRegStatus::kNotFound; ++i) {
            SysRegKey* record = nullptr;
            if (SysRegOpenKey(uninstall, name, SysRegView::k64, record) != SysRegStatus::kOk) continue;
            for (const WChar* v : names) {
                uint32_t size = sizeof buffer;
                values += SysRegQueryString(record, v, buffer, size) == SysRegStatus::kOk;
            }
            SysRegCloseKey(record);
        }
        SysRegCloseKey(uninstall);
    }
    state.counters["values"] = double(values) / double(state.iterations());
}

void GrepCount(benchmark::State& state) {
    Fixture& fx = Setup();
    const std::string command = "grep -c DisplayName '" + fx.file + "' > /dev/null";
    for (auto _ : state) benchmark::DoNotOptimize(std::system(command.c_str()));
}

BENCHMARK(ReadAndEnumerate)->Name("registry/read_and_enumerate_10000")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(GrepCount)->Name("registry/grep_c_same_file")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
