// The whole program reinstalling into four LightWave hosts, each with a
// 2000-file, 200 MB plug-in folder, beside a shell loop of `rm -rf` and
// `cp -r` of the same trees in the same run (with and without a closing
// `sync -f`: the program's copies are on disk before it lets the old files
// go); and removing it, beside `rm -rf` of them. The program runs as a user
// does: `veldo-installer -unattended install` on the demo Wine prefix, its
// payload beside it, every batch all or nothing.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "support/payload_tree.h"

namespace {

using bench::PayloadTree;
using bench::SharedPayloadTree;
using bench::TempFolder;

struct Hosts {
    std::string root = TempFolder("reinstall");
    std::string program = root + "/program";
    std::string prefix = root + "/prefix";
    const char* plugins[4] = {"LightWave_2015.3", "LightWave_11.6", "LightWave_2018", "LightWave_2019"};

    Hosts() {
        bench::CopyProgramWithTree(VELDO_INSTALLER_EXE, program);
        Run("'" VELDO_DEMO_SCRIPT "' '" + prefix + "' player > /dev/null");
        Install();  // the hosts hold the plug-in: what follows reinstalls
    }
    ~Hosts() { std::system(("rm -rf '" + root + "'").c_str()); }

    static void Run(const std::string& command) {
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
    }
    bool Install() const { return Unattended("install"); }
    bool Remove() const { return Unattended("remove"); }
    bool Unattended(const char* word) const {
        const std::string command = "env WINEPREFIX='" + prefix + "' USER=player '" + program +
                                    "/veldo-installer' -unattended " + word + " > /dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }
    // The shell's way for every host: each command ends with " && ".
    std::string Loop(bool copy) const {
        std::string loop;
        for (int i = 0; i < 4; ++i) {
            loop += "rm -rf '" + PluginFolder(i) + "' && ";
            if (copy) loop += "cp -r '" + program + "/LightWave/Plugin/win64' '" + PluginFolder(i) + "' && ";
        }
        return loop + "true";
    }
    // Everything written so far reaches the disk: between timed runs, so
    // that none pays for the one before.
    void Settle() const { Run("sync -f '" + prefix + "'"); }
    std::string Synced(const std::string& loop) const { return loop + " && sync -f '" + prefix + "'"; }
    std::string PluginFolder(int i) const {
        return prefix + "/drive_c/Program Files/NewTek/" + plugins[i] + "/support/plugins/Brimvale/Veldo5";
    }
};

const Hosts& SharedHosts() {
    static Hosts hosts;
    return hosts;
}

void Reinstall(benchmark::State& state) {
    const Hosts& hosts = SharedHosts();
    hosts.Settle();
    for (auto _ : state)
        if (!hosts.Install()) state.SkipWithError("the installation failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * 4 * PayloadTree::kBytes);
}

// The program makes its copies durable before it lets the old files go
// (a power cut never leaves an empty plug-in), so the fair reference ends
// with a sync of the same file system too; the plain one is kept beside it.
void ShellLoop(benchmark::State& state, bool synced) {
    const Hosts& hosts = SharedHosts();
    hosts.Settle();
    const std::string loop = synced ? hosts.Synced(hosts.Loop(true)) : hosts.Loop(true);
    for (auto _ : state) std::system(loop.c_str());
    state.SetBytesProcessed(int64_t(state.iterations()) * 4 * PayloadTree::kBytes);
}

void Remove(benchmark::State& state) {
    const Hosts& hosts = SharedHosts();
    for (auto _ : state) {
        if (!hosts.Remove()) state.SkipWithError("the removal failed");
        state.PauseTiming();
        hosts.Install();
        hosts.Settle();
        state.ResumeTiming();
    }
}

void ShellRemove(benchmark::State& state, bool synced) {
    const Hosts& hosts = SharedHosts();
    const std::string loop = synced ? hosts.Synced(hosts.Loop(false)) : hosts.Loop(false);
    for (auto _ : state) {
        std::system(loop.c_str());
        state.PauseTiming();
        hosts.Install();
        hosts.Settle();
        state.ResumeTiming();
    }
}

BENCHMARK(Reinstall)->Name("whole/reinstall_4_lightwave_hosts")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ShellLoop, synced, true)->Name("whole/rm_rf_cp_r_same_trees_then_sync")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ShellLoop, plain, false)->Name("whole/rm_rf_cp_r_same_trees")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Remove)->Name("whole/remove_4_lightwave_hosts")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ShellRemove, synced, true)->Name("whole/rm_rf_same_trees_then_sync")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ShellRemove, plain, false)->Name("whole/rm_rf_same_trees")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
