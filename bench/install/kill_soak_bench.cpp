// Kills at random moments: the whole program installing into and removing
// from the demo hosts (the four LightWaves with a 2000-file, 200 MB plug-in
// folder) is killed with SIGKILL after a random delay within a whole run's
// time, then started again (`-unattended list`). Each host must then be as
// it was before a run or as a run leaves it, and nothing the program sets
// aside or writes half-way may be left. The counts are the benchmark's
// counters: kills, hosts found mixed, leftovers, journals left. Kills per
// kind: $VELDO_SOAK_KILLS (default 30); the random seed is printed, and
// $VELDO_SOAK_SEED repeats a run's.
#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/crc64.h"
#include "support/payload_tree.h"
#include "support/test_support.h"

namespace {

using bench::TempFolder;

namespace fs = std::filesystem;

// The folders of each host's batch, as the program's tests name them.
const auto& kHostFolders = test::kDemoHostFolders;
constexpr int kHosts = int(sizeof kHostFolders / sizeof kHostFolders[0]);

struct Soak {
    std::string root = TempFolder("soak");
    std::string program = root + "/program";
    std::string prefix = root + "/prefix";
    std::vector<std::string> pristine, installed, removed;  // each host's state
    double runSeconds = 0;

    Soak() {
        bench::CopyProgramWithTree(VELDO_INSTALLER_EXE, program);
        Run("'" VELDO_DEMO_SCRIPT "' '" + prefix + "' player > /dev/null");
        pristine = Hosts();
        const auto start = std::chrono::steady_clock::now();
        Unattended("install");
        runSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        installed = Hosts();
        Unattended("remove");
        removed = Hosts();
    }
    ~Soak() { Run("rm -rf '" + root + "'"); }

    static void Run(const std::string& command) {
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
    }
    void Unattended(const char* word) const {
        std::system(("env WINEPREFIX='" + prefix + "' USER=player '" + program + "/veldo-installer' -unattended " +
                     word + " > /dev/null 2>&1")
                        .c_str());
    }

    // Runs a word and kills it after delay seconds (unless it ended first).
    void Killed(const char* word, double delay) const {
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("WINEPREFIX", prefix.c_str(), 1);
            setenv("USER", "player", 1);
            freopen("/dev/null", "w", stdout);
            const std::string exe = program + "/veldo-installer";
            execl(exe.c_str(), exe.c_str(), "-unattended", word, nullptr);
            _exit(126);
        }
        std::this_thread::sleep_for(std::chrono::duration<double>(delay));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }

    // Each file with its size and CRC-64, each folder and link, sorted.
    std::string Host(const std::string& folders) const {
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t bar = folders.find('|');; bar = folders.find('|', start)) {
            const std::string folder = prefix + "/drive_c/" + folders.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
            std::error_code ec;
            for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it); it.increment(ec)) {
                const std::string path = it->path().string().substr(folder.size());
                if (it->is_symlink()) lines.push_back(path + " -> link");
                else if (it->is_directory()) lines.push_back(path + "/");
                else {
                    std::ifstream in(it->path(), std::ios::binary);
                    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                    lines.push_back(path + " " + std::to_string(bytes.size()) + " " +
                                    std::to_string(Crc64(bytes.data(), bytes.size())));
                }
            }
            if (bar == std::string::npos) break;
            start = bar + 1;
        }
        std::sort(lines.begin(), lines.end());
        std::string out;
        for (const auto& l : lines) out += l + "\n";
        return out;
    }
    std::vector<std::string> Hosts() const {
        std::vector<std::string> all;
        for (const char* folders : kHostFolders) all.push_back(Host(folders));
        return all;
    }

    // After the next start: hosts that are none of the three whole states,
    // and what was left behind.
    void Check(int& mixed, int& litter, int& journals) const {
        const std::vector<std::string> now = Hosts();
        for (int i = 0; i < kHosts; ++i)
            if (now[i] != pristine[i] && now[i] != installed[i] && now[i] != removed[i]) {
                ++mixed;
                std::fprintf(stderr, "mixed: %s\n", kHostFolders[i]);
            }
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(prefix + "/drive_c", ec); !ec && it != fs::end(it);
             it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.find(".veldo-old-") != std::string::npos || name.find(".veldo-new-") != std::string::npos) {
                ++litter;
                std::fprintf(stderr, "left behind: %s\n", it->path().c_str());
            }
            if (name.size() > 14 && name.compare(name.size() - 14, 14, ".veldo-journal") == 0) {
                ++journals;
                std::fprintf(stderr, "journal left: %s\n", it->path().c_str());
            }
        }
    }
};

void KillSoak(benchmark::State& state) {
    const char* env = std::getenv("VELDO_SOAK_KILLS");
    const int kills = env ? std::atoi(env) : 30;
    Soak soak;
    // A fresh seed each run (given by $VELDO_SOAK_SEED to repeat one).
    const char* seedText = std::getenv("VELDO_SOAK_SEED");
    const unsigned seed = seedText ? unsigned(std::strtoul(seedText, nullptr, 10)) : std::random_device{}();
    std::fprintf(stderr, "seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> delay(0.0, soak.runSeconds);
    int total = 0, mixed = 0, litter = 0, journals = 0;
    for (auto _ : state) {
        for (int k = 0; k < kills; ++k) {
            for (const char* word : {"install", "remove"}) {
                const double after = delay(random);
                std::fprintf(stderr, "%s killed after %.3f s\n", word, after);
                soak.Killed(word, after);
                soak.Unattended("list");  // the next start
                soak.Check(mixed, litter, journals);
                ++total;
            }
        }
    }
    state.counters["run_seconds"] = soak.runSeconds;
    state.counters["kills"] = total;
    state.counters["mixed_hosts"] = mixed;
    state.counters["litter"] = litter;
    state.counters["journals_left"] = journals;
    std::fprintf(stderr, "kills %d, mixed hosts %d, left behind %d, journals left %d\n", total, mixed, litter, journals);
    if (mixed + litter + journals > 0) state.SkipWithError("a host was left mixed, or something was left behind");
}

BENCHMARK(KillSoak)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
