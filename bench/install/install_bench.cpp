// The installation's own costs, each beside its reference in the same run:
// installing and removing a 2000-file, 200 MB payload (beside cp -r and
// rm -rf), discovery over 10,000 uninstall records (beside grep -c), and
// menu and extension edits of growing files (linear growth, 1 MB menu).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/register_all_cells.h"
#include "install/batch_jobs.h"
#include "install/discovery.h"
#include "install/lightwave_config.h"
#include "support/payload_tree.h"

namespace {

using bench::PayloadTree;
using bench::SharedPayloadTree;
using bench::TempFolder;
using bench::Wide;

// ---- payload install and removal -------------------------------------------

// The tree's root as drive C: of a Wine prefix, so that the installation
// works on Windows paths as it does for real hosts.
void UseTreeAsDriveC(const PayloadTree& p) {
    static const std::string prefix = [&] {
        const std::string folder = p.root + "/prefix";  // goes with the tree
        std::system(("mkdir -p '" + folder + "/dosdevices' && ln -s '" + p.root + "' '" + folder + "/dosdevices/c:'").c_str());
        return folder;
    }();
    setenv("WINEPREFIX", prefix.c_str(), 1);
}

// A batch with one folder transfer from the payload into the host folder.
struct OneTransfer {
    C4dInstallBatch batch;
    BatchList list;
    InstallBatchProcessor processor{list};
    FileTransfer* transfer = new FileTransfer;
    OneTransfer(const PayloadTree& p, int32_t action) {
        UseTreeAsDriveC(p);
        transfer->source = Wide("C:\\" + p.source.substr(p.root.size() + 1));
        transfer->destination = Wide("C:\\" + p.target.substr(p.root.size() + 1));
        batch.transfers.Add(transfer);
        batch.fileAction.value = action;
    }
};

void Install(benchmark::State& state) {
    RegisterAllCellClasses();
    const PayloadTree& p = SharedPayloadTree();
    for (auto _ : state) {
        state.PauseTiming();
        p.Clear();
        OneTransfer job(p, kChoiceInstall);
        state.ResumeTiming();
        if (!ProcessTransfer(job.batch, job.processor, *job.transfer)) state.SkipWithError("install failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * PayloadTree::kBytes);
}

void Remove(benchmark::State& state) {
    RegisterAllCellClasses();
    const PayloadTree& p = SharedPayloadTree();
    for (auto _ : state) {
        state.PauseTiming();
        p.Clear();
        p.Fill();
        OneTransfer job(p, kChoiceRemove);
        job.transfer->removeWholeFolder = true;
        state.ResumeTiming();
        ProcessTransfer(job.batch, job.processor, *job.transfer);
    }
}

// ---- discovery -----------------------------------------------------------------

struct Records {
    std::string prefix = TempFolder("records");
    std::string file = prefix + "/system.reg";
    Records() {
        std::string text = "WINE REGISTRY Version 2\n#arch=win64\n\n";
        char block[1024];
        for (int i = 0; i < 10000; ++i) {
            std::snprintf(block, sizeof block,
                          "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\App%05d] 1\n"
                          "\"DisplayName\"=\"Application %d\"\n\"DisplayVersion\"=\"%d.%d\"\n"
                          "\"InstallLocation\"=\"C:\\\\Program Files\\\\Vendor %d\"\n"
                          "\"UninstallString\"=\"C:\\\\Program Files\\\\Vendor %d\\\\uninstall.exe\"\n\n",
                          i, i, i % 30, i % 10, i, i);
            text += block;
        }
        FILE* f = std::fopen(file.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    ~Records() { std::system(("rm -rf '" + prefix + "'").c_str()); }
};

void Discovery(benchmark::State& state) {
    RegisterAllCellClasses();
    static Records records;
    setenv("WINEPREFIX", records.prefix.c_str(), 1);
    static long stamp = 1000000000;
    BatchList batches;
    std::atomic<uint8_t> stop{0};
    for (auto _ : state) {
        state.PauseTiming();
        const timespec times[2] = {{stamp, 0}, {stamp, 0}};
        ++stamp;
        utimensat(AT_FDCWD, records.file.c_str(), times, 0);  // read and parsed anew
        state.ResumeTiming();
        SearchHosts(batches, stop);
    }
}

void GrepCount(benchmark::State& state) {
    static Records records;
    const std::string command = "grep -c DisplayName '" + records.file + "' > /dev/null";
    for (auto _ : state) benchmark::DoNotOptimize(std::system(command.c_str()));
}

// ---- configuration edits -------------------------------------------------------

// A menu file of about bytes bytes, with the marker in the middle and this
// plug-in's branches installed after it.
NString MenuText(int64_t bytes) {
    std::string text = "LWMenuConfig 1\r\n";
    std::string tail;
    int i = 0;
    while (int64_t(text.size() + tail.size()) < bytes) {
        const std::string entry = "MenuEntry 131073 \"Tool " + std::to_string(i) + "\" \"Cmd" + std::to_string(i) + "\"\r\n";
        (i % 2 ? tail : text) += "MenuEntry 1 \"Branch " + std::to_string(i) + "\"\r\n" + entry + "MenuEntry 0 .\r\n";
        ++i;
    }
    text += "MenuEntry 65537\r\nMenuEntry 1 \"Veldo5 Modeling\" \r\nMenuEntry 131073 \"MENU_VELDO5_A\" \"a\"\r\n"
            "MenuEntry 0 . \r\n" + tail;
    return NString(text.c_str());
}

void MenuEdit(benchmark::State& state) {
    const NString original = MenuText(state.range(0));
    NString branch("BranchEntry 65536 \"Veldo5 Modeling\" _\r\nBranchEntry 131073 \"MENU_VELDO5_A\" \"a\"\r\n");
    lightwave_config::BranchToMenuBlock(branch);
    for (auto _ : state) {
        NString text(original);
        lightwave_config::RemoveMenuBranches(text);
        int32_t at = 0;
        lightwave_config::FindMenuInsertionPoint(text, at);
        if (text.Find(branch.CStr()) < 0) text.Insert(at, branch);
        benchmark::DoNotOptimize(text.CStr());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void ExtensionEdit(benchmark::State& state) {
    std::string body;
    for (int i = 0; int64_t(body.size()) < state.range(0); ++i)
        body += "{ Entry\r\n  Class \"MeshEditTool\"\r\n  Module \"C:\\\\p\\\\tool" + std::to_string(i) + ".p\"\r\n}\r\n";
    body += "{ Entry\r\n  Module \"C:\\\\x\\\\veldo_5.p\"\r\n}\r\n";
    const NString original(body.c_str());
    for (auto _ : state) {
        NString text(original);
        lightwave_config::RemoveExtensionBlocks(text);
        benchmark::DoNotOptimize(text.CStr());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

BENCHMARK(Install)->Name("payload/install_2000_files_200MB")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bench::CpRReference)->Name("payload/cp_r_same_tree")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Remove)->Name("payload/remove_2000_files")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bench::RmRfReference)->Name("payload/rm_rf_same_tree")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Discovery)->Name("discovery/search_10000_records")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(GrepCount)->Name("discovery/grep_c_same_file")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MenuEdit)->Name("config/menu_edit")->Arg(100 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK(ExtensionEdit)->Name("config/extension_edit")->Arg(100 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

}  // namespace
