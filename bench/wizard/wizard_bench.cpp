// The wizard as a user meets it, the real program on a demo Wine prefix:
// - from process start to the first drawn frame of the agreement page
//   (both fonts, the banner and the licence loaded), beside a bare GLFW
//   window's first frame in the same run (both seen on the X server, as a
//   pixel of a button's colour at the same place);
// - the processor time of the idle agreement page;
// - a whole installation driven with keys (agreement, "Install into all",
//   completion) into the demo hosts with a 2000-file, 200 MB LightWave
//   payload: the main thread's share of one core while the job copies, and
//   the program's peak resident memory at the end.
// VELDO_BENCH_SECONDS sets how long the idle run lasts (10 s).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/payload_tree.h"
#include "support/x_server.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds() {
    const char* s = std::getenv("VELDO_BENCH_SECONDS");
    return s ? std::atof(s) : 10.0;
}

// A program with its own environment, killed when the run ends.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
        std::vector<std::string> env = extraEnv;
        for (char** e = environ; *e; ++e) {
            bool replaced = false;
            for (const std::string& x : extraEnv) replaced = replaced || std::strncmp(*e, x.c_str(), x.find('=') + 1) == 0;
            if (!replaced) env.push_back(*e);
        }
        std::vector<char*> envp, args;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::vector<std::string> a = argv;
        for (std::string& s : a) args.push_back(s.data());
        args.push_back(nullptr);
        if (posix_spawn(&pid_, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) pid_ = 0;
    }
    ~Process() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    pid_t pid() const { return pid_; }
    // Processor seconds of the process (or of one of its threads).
    double CpuSeconds(pid_t thread = 0) const {
        const std::string path = thread ? "/proc/" + std::to_string(pid_) + "/task/" + std::to_string(thread) + "/stat"
                                        : "/proc/" + std::to_string(pid_) + "/stat";
        std::ifstream in(path);
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const size_t close = all.rfind(')');
        if (close == std::string::npos) return 0;
        std::istringstream rest(all.substr(close + 2));
        std::string field;
        double ticks = 0;
        for (int i = 3; i <= 15 && rest >> field; ++i)
            if (i == 14 || i == 15) ticks += std::atof(field.c_str());
        return ticks / double(sysconf(_SC_CLK_TCK));
    }
    double PeakMiB() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
        return -1;
    }

private:
    pid_t pid_ = 0;
};

// The X server as the runs watch it: the tests' view of it, and the time
// until a window shows.
class Screen : public test::XServer {
public:
    // Milliseconds from start until the titled window shows colour at (x, y),
    // looking every half millisecond; -1 after a minute.
    double MsUntilShown(Clock::time_point start, const char* title, int x, int y, uint32_t colour, Window* shown) {
        while (Clock::now() - start < std::chrono::seconds(60)) {
            if (Window w = Find(title); w && Pixel(w, x, y) == colour) {
                if (shown) *shown = w;
                return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        return -1;
    }
};

// The installer's folder (the program and a payload beside it, the
// LightWave payload 2000 files and 200 MB) and a demo prefix for it.
struct Setup {
    std::string root = bench::TempFolder("wizard");
    std::string program = root + "/program";
    std::string prefix = root + "/prefix";
    Setup() {
        const std::string exe = VELDO_INSTALLER_EXE;
        const std::string bin = exe.substr(0, exe.rfind('/'));
        Run("mkdir -p '" + program + "' && cp '" + exe + "' '" + program + "/' && cd '" + bin +
            "' && cp -r LightWave 3DSMax Cinema4D Presets InstallerData license.txt '" + program + "/'");
        NewPrefix();
    }
    ~Setup() { std::system(("rm -rf '" + root + "'").c_str()); }
    void BigPayload() {
        const bench::PayloadTree& tree = bench::SharedPayloadTree();
        Run("rm -rf '" + program + "/LightWave/Plugin/win64' && cp -r '" + tree.source + "' '" + program +
            "/LightWave/Plugin/win64'");
    }
    void NewPrefix() { Run("'" VELDO_DEMO_SCRIPT "' '" + prefix + "' player > /dev/null"); }
    std::vector<std::string> Env() const { return {"WINEPREFIX=" + prefix, "USER=player", "LC_ALL=C", "LANGUAGE="}; }
    std::string Log() const {
        std::ifstream in(prefix + "/drive_c/users/player/.Brimvale/veldo.log");
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    bool WaitForPage(const char* name) const {
        const std::string line = std::string("Wizard page: ") + name + "\r\n";
        const auto start = Clock::now();
        while (Clock::now() - start < std::chrono::minutes(5)) {
            if (Log().find(line) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    static void Run(const std::string& command) {
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
    }
};

// The agreement page's "I Agree" button: its face, left of its title.
constexpr int kFaceX = 460, kFaceY = 590;
constexpr uint32_t kButtonColour = 0x223344;

void FirstFrameBareWindow(benchmark::State& state) {
    Screen screen;
    if (!screen || !std::getenv("DISPLAY")) return state.SkipWithError("no X display");
    double ms = -1, peak = -1;
    for (auto _ : state) {
        const auto start = Clock::now();
        Process bare({VELDO_BARE_WINDOW, "Bare window"}, {});
        ms = screen.MsUntilShown(start, "Bare window", kFaceX, kFaceY, kButtonColour, nullptr);
        peak = bare.PeakMiB();
    }
    if (ms < 0) return state.SkipWithError("the bare window never showed");
    state.counters["first_frame_ms"] = ms;
    state.counters["peak_rss_MiB"] = peak;  // what the GL driver alone takes
}

void FirstFrameAgreement(benchmark::State& state) {
    Screen screen;
    if (!screen || !std::getenv("DISPLAY")) return state.SkipWithError("no X display");
    Setup setup;
    double ms = -1, peak = -1;
    for (auto _ : state) {
        const auto start = Clock::now();
        Process program({setup.program + "/veldo-installer"}, setup.Env());
        ms = screen.MsUntilShown(start, "VELDO installation", kFaceX, kFaceY, kButtonColour, nullptr);
        peak = program.PeakMiB();
    }
    if (ms < 0) return state.SkipWithError("the agreement page never showed");
    state.counters["first_frame_ms"] = ms;
    state.counters["peak_rss_MiB"] = peak;
}

void IdleAgreementPage(benchmark::State& state) {
    Screen screen;
    if (!screen || !std::getenv("DISPLAY")) return state.SkipWithError("no X display");
    Setup setup;
    double share = -1;
    for (auto _ : state) {
        Process program({setup.program + "/veldo-installer"}, setup.Env());
        if (screen.MsUntilShown(Clock::now(), "VELDO installation", kFaceX, kFaceY, kButtonColour, nullptr) < 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // past the first frames
        const double cpu0 = program.CpuSeconds();
        const auto wall0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(Seconds()));
        share = (program.CpuSeconds() - cpu0) / std::chrono::duration<double>(Clock::now() - wall0).count();
    }
    if (share < 0) return state.SkipWithError("the agreement page never showed");
    state.counters["core_percent"] = share * 100;
}

void WholeInstallation(benchmark::State& state) {
    Screen screen;
    if (!screen || !std::getenv("DISPLAY")) return state.SkipWithError("no X display");
    Setup setup;
    setup.BigPayload();
    double mainShare = -1, peak = -1, seconds = -1;
    for (auto _ : state) {
        state.PauseTiming();
        setup.NewPrefix();
        state.ResumeTiming();
        Process program({setup.program + "/veldo-installer"}, setup.Env());
        Window w = 0;
        if (screen.MsUntilShown(Clock::now(), "VELDO installation", kFaceX, kFaceY, kButtonColour, &w) < 0) break;
        const std::string focus = "xdotool windowfocus --sync " + std::to_string(w) + " && xdotool key Return";
        Setup::Run(focus);  // "I Agree"
        if (!setup.WaitForPage("quick settings")) break;
        // "Install into all", the page's first button, drawn.
        if (screen.MsUntilShown(Clock::now(), "VELDO installation", 100, 40, kButtonColour, nullptr) < 0) break;
        const double cpu0 = program.CpuSeconds(program.pid());
        const auto wall0 = Clock::now();
        Setup::Run("xdotool key Return");  // "Install into all"
        if (!setup.WaitForPage("complete")) break;
        seconds = std::chrono::duration<double>(Clock::now() - wall0).count();
        mainShare = (program.CpuSeconds(program.pid()) - cpu0) / seconds;
        peak = program.PeakMiB();
    }
    if (peak < 0) {
        const std::string log = setup.Log();
        std::fprintf(stderr, "%s\n", log.substr(log.size() > 2000 ? log.size() - 2000 : 0).c_str());
        return state.SkipWithError("the installation did not complete");
    }
    state.counters["install_s"] = seconds;
    state.counters["main_thread_core_percent"] = mainShare * 100;
    state.counters["peak_rss_MiB"] = peak;
}

BENCHMARK(FirstFrameBareWindow)->Name("start/bare_glfw_window_first_frame")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(FirstFrameAgreement)->Name("start/agreement_page_first_frame")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(IdleAgreementPage)->Name("idle/agreement_page")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(WholeInstallation)->Name("install/whole_install_by_keys")->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
