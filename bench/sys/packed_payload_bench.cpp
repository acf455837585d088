// The one-file installer against the tools a vendor or a user would compare
// it with, on a payload as vendors ship one (make-realistic-payload.sh: the
// demo payload, this machine's shared libraries and documents, and data
// that does not compress; VELDO_BENCH_PAYLOAD_MB megabytes, 150 unless
// told). Each benchmark runs the program and its reference side by side in
// the same iterations and reports both and their ratio:
//   size     the archive (the packed file less the program) beside
//            `tar | xz -9e` and `tar | zstd -19 --long`;
//   pack     `veldo-installer -pack` beside `tar | zstd -19 --long -T0`;
//   check    the check at start (reading and checking every block), in
//            seconds per 100 MB of packed file;
//   install  `-unattended install` of the packed program beside the folder
//            program, into the demo prefix, page cache warm for both, and
//            the growth of peak memory from one to the other.
// As a test the payload is a few megabytes and each runs once.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/text_convert.h"
#include "support/payload_tree.h"
#include "sys/payload_archive.h"

namespace {

using bench::TempFolder;

constexpr double kMegabyte = 1024.0 * 1024.0;

// A shell command's wall time and the peak memory of its biggest process.
struct Measured {
    double seconds = 0;
    double peakMegabytes = 0;
    bool ok = false;
};

Measured Run(const std::string& command) {
    Measured m;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) return m;
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.peakMegabytes = double(usage.ru_maxrss) / 1024.0;
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!m.ok) std::fprintf(stderr, "failed: %s\n", command.c_str());
    return m;
}

int64_t FileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? int64_t(st.st_size) : -1;
}

// The payload, the folder program beside it, the packed program alone, and
// a demo prefix for each.
struct Setup {
    std::string root = TempFolder("packed");
    std::string payload = root + "/payload";
    std::string folderProgram = root + "/folder/veldo-installer";
    std::string packedProgram = root + "/alone/veldo-installer";
    std::string prefix = root + "/prefix";
    int64_t programBytes = FileSize(VELDO_INSTALLER_EXE);

    Setup() {
        const char* megabytes = std::getenv("VELDO_BENCH_PAYLOAD_MB");
        Run("'" VELDO_PAYLOAD_SCRIPT "' '" VELDO_DEMO_PAYLOAD "' '" + payload + "' " +
            (megabytes ? megabytes : "150") + " > /dev/null");
        Run("mkdir -p '" + root + "/folder' '" + root + "/alone' && cp '" VELDO_INSTALLER_EXE "' '" + folderProgram +
            "' && cp -R '" + payload + "'/. '" + root + "/folder/'");
        Pack();
        Run("'" VELDO_DEMO_SCRIPT "' '" + prefix + "' player > /dev/null");
        Run("cat '" + packedProgram + "' > /dev/null && tar -cf - -C '" + payload + "' . > /dev/null");  // warm
    }
    ~Setup() { Run("rm -rf '" + root + "'"); }

    Measured Pack() const {
        return Run("'" + folderProgram + "' -pack '" + payload + "' '" + packedProgram + "' > /dev/null");
    }
    int64_t ArchiveBytes() const { return FileSize(packedProgram) - programBytes; }
    int64_t PayloadBytes() const {
        int64_t total = 0;
        const std::string list = root + "/sizes";
        Run("find '" + payload + "' -type f -printf '%s\\n' > '" + list + "'");
        if (FILE* f = std::fopen(list.c_str(), "r")) {
            long long n = 0;
            while (std::fscanf(f, "%lld", &n) == 1) total += n;
            std::fclose(f);
        }
        return total;
    }
    Measured Unattended(const std::string& program, const char* word) const {
        return Run("env WINEPREFIX='" + prefix + "' USER=player '" + program + "' -unattended " + word +
                   " > /dev/null 2>&1");
    }
};

const Setup& Shared() {
    static Setup setup;
    return setup;
}

void Size(benchmark::State& state) {
    const Setup& s = Shared();
    const std::string xz = s.root + "/payload.tar.xz", zstd = s.root + "/payload.tar.zst";
    for (auto _ : state) {
        Run("tar -cf - -C '" + s.payload + "' . | xz -9e -T1 > '" + xz + "'");
        Run("tar -cf - -C '" + s.payload + "' . | zstd -19 --long -q > '" + zstd + "'");
    }
    const double archive = double(s.ArchiveBytes()), x = double(FileSize(xz)), z = double(FileSize(zstd));
    state.counters["payload_MB"] = double(s.PayloadBytes()) / kMegabyte;
    state.counters["archive_MB"] = archive / kMegabyte;
    state.counters["packed_file_MB"] = double(FileSize(s.packedProgram)) / kMegabyte;
    state.counters["tar_xz_9e_MB"] = x / kMegabyte;
    state.counters["tar_zstd_19_long_MB"] = z / kMegabyte;
    state.counters["ratio_to_xz"] = archive / x;                  // target: at most 1.05
    state.counters["ratio_to_zstd"] = archive / z;                // target: at most 1
}

void Pack(benchmark::State& state) {
    const Setup& s = Shared();
    double packing = 0, reference = 0;
    for (auto _ : state) {
        const Measured p = s.Pack();
        const Measured r = Run("tar -cf - -C '" + s.payload + "' . | zstd -19 --long -T0 -q > /dev/null");
        if (!p.ok || !r.ok) state.SkipWithError("a command failed");
        packing += p.seconds;
        reference += r.seconds;
        state.SetIterationTime(p.seconds);
    }
    state.counters["pack_s"] = packing / double(state.iterations());
    state.counters["tar_zstd_19_long_T0_s"] = reference / double(state.iterations());
    state.counters["ratio"] = packing / reference;  // target: at most 2
}

void Check(benchmark::State& state) {
    const Setup& s = Shared();
    WString path;
    Utf8ToWide(s.packedProgram.c_str(), path);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        PayloadArchive archive;
        if (archive.Open(path.CStr()) != ArchiveStatus::kOk || archive.Verify() != ArchiveStatus::kOk)
            state.SkipWithError("the packed program does not check");
        const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        seconds += t;
        state.SetIterationTime(t);
    }
    const double perRun = seconds / double(state.iterations());
    state.counters["packed_file_MB"] = double(FileSize(s.packedProgram)) / kMegabyte;
    state.counters["s_per_100MB"] = perRun / (double(FileSize(s.packedProgram)) / (100 * kMegabyte));  // target: 0.2
}

void Install(benchmark::State& state) {
    const Setup& s = Shared();
    double folder = 0, packed = 0, folderPeak = 0, packedPeak = 0;
    for (auto _ : state) {
        const Measured f = s.Unattended(s.folderProgram, "install");
        s.Unattended(s.folderProgram, "remove");
        const Measured p = s.Unattended(s.packedProgram, "install");
        s.Unattended(s.folderProgram, "remove");
        if (!f.ok || !p.ok) state.SkipWithError("an installation failed");
        folder += f.seconds;
        packed += p.seconds;
        folderPeak = std::max(folderPeak, f.peakMegabytes);
        packedPeak = std::max(packedPeak, p.peakMegabytes);
        state.SetIterationTime(p.seconds);
    }
    state.counters["folder_s"] = folder / double(state.iterations());
    state.counters["packed_s"] = packed / double(state.iterations());
    state.counters["ratio"] = packed / folder;  // target: at most 1.3
    state.counters["folder_peak_MB"] = folderPeak;
    state.counters["packed_peak_MB"] = packedPeak;
    state.counters["peak_growth_MB"] = packedPeak - folderPeak;  // target: at most 64
}

BENCHMARK(Size)->Name("packed/size_beside_tar_xz_and_zstd")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(Pack)->Name("packed/pack_beside_tar_zstd_T0")->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(Check)->Name("packed/check_at_start")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Install)->Name("packed/install_beside_folder_install")->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
