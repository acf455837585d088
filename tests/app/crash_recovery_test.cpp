// A run cut off inside a batch, as kill -9 or a power cut would cut it: the
// program is stopped at named points ($VELDO_CRASH_AT), then started again.
// Every host must then hold, byte for byte, what it held before the run or
// what the run meant it to hold, with nothing left behind. A run asked
// politely to end (a signal) finishes the host in progress instead.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

extern char** environ;

namespace {

bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

struct Prefix : test::DemoPrefix {
    Prefix() : test::DemoPrefix(VELDO_DEMO_SCRIPT) {}

    test::CommandResult Unattended(const std::string& word, const std::string& crashAt = "") const {
        return test::RunCommand("cd '" + dir.path() + "' && env WINEPREFIX='" + prefix +
                                "' USER=player VELDO_ELEVATE=false " +
                                (crashAt.empty() ? "" : "VELDO_CRASH_AT='" + crashAt + "' ") +
                                "'" VELDO_INSTALLER_EXE "' -unattended " + word + " 2>&1");
    }

    std::vector<std::string> Hosts() const {
        std::vector<std::string> all;
        for (const char* folders : test::kDemoHostFolders) all.push_back(HostSnapshot(folders));
        return all;
    }

    std::string DataFolder() const { return C("users/player/.Brimvale/VELDO/ver0.0"); }
    std::vector<std::string> Journals() const {
        std::vector<std::string> found;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(DataFolder(), ec))
            if (e.path().extension() == ".veldo-journal") found.push_back(e.path().string());
        return found;
    }
    // Anything this program sets aside or writes half-way, anywhere on drive C.
    std::string Litter() const {
        std::string found;
        for (const auto& e : std::filesystem::recursive_directory_iterator(C("")))
            if (Has(e.path().filename().string(), ".veldo-old-") || Has(e.path().filename().string(), ".veldo-new-"))
                found += e.path().string() + "\n";
        return found;
    }
};

// The states a case starts from and may end in, made once.
struct States {
    std::vector<std::string> pristine, installed, removed;
    States() {
        Prefix p;
        pristine = p.Hosts();
        p.Unattended("install");
        installed = p.Hosts();
        p.Unattended("remove");
        removed = p.Hosts();
    }
};

const States& TheStates() {
    static States states;
    return states;
}

struct KillCase {
    const char* word;        // the run that is cut off
    bool installedBefore;    // it starts from an installed prefix
    const char* point;       // where, with the pass
};

// Before the first change, after a move aside, in the middle of the copy
// (early and late), around the configuration rewrite, and inside the commit.
const KillCase kKillCases[] = {
    {"install", false, "journal-created"},  {"install", false, "journal-created:4"},
    {"install", false, "batch-begun"},      {"install", false, "copied:1"},
    {"install", false, "copied:25"},        {"install", false, "config-kept"},
    {"install", false, "config-written:3"}, {"install", false, "committed:2"},
    {"install", true, "batch-begun:4"},     {"install", true, "moved-aside"},
    {"install", true, "moved-aside:6"},     {"install", true, "copied:12"},
    {"install", true, "config-kept:2"},     {"install", true, "config-written"},
    {"install", true, "committed"},         {"install", true, "committed:6"},
    {"remove", true, "batch-begun"},        {"remove", true, "moved-aside:2"},
    {"remove", true, "moved-aside:9"},      {"remove", true, "config-kept:3"},
    {"remove", true, "config-written:4"},   {"remove", true, "committed:5"},
};

void PrintTo(const KillCase& c, std::ostream* os) {
    *os << c.word << (c.installedBefore ? " again" : "") << " at " << c.point;
}

class KillPoints : public testing::TestWithParam<KillCase> {};

TEST_P(KillPoints, TheNextStartLeavesEveryHostBeforeOrAfterAndNothingBehind) {
    const KillCase& c = GetParam();
    const States& states = TheStates();
    Prefix p;
    if (c.installedBefore) ASSERT_EQ(p.Unattended("install").code, 0);
    const std::vector<std::string>& before = c.installedBefore ? states.installed : states.pristine;
    const std::vector<std::string>& after =
        std::string(c.word) == "remove" ? states.removed : states.installed;

    const test::CommandResult killed = p.Unattended(c.word, c.point);
    ASSERT_EQ(killed.code, 128 + SIGKILL) << "the point was never reached:\n" << killed.out;
    const test::CommandResult next = p.Unattended("list");
    EXPECT_EQ(next.code, 0) << next.out;

    const std::vector<std::string> now = p.Hosts();
    for (size_t i = 0; i < now.size(); ++i)
        EXPECT_TRUE(now[i] == before[i] || now[i] == after[i]) << test::kDemoHostFolders[i] << " is neither before nor after";
    EXPECT_EQ(p.Litter(), "");
    EXPECT_TRUE(p.Journals().empty());
    // A batch cut off before its commit is put back and said so (once its
    // journal names the host).
    if (!Has(c.point, "committed") && !Has(c.point, "journal-created")) EXPECT_TRUE(Has(next.out, "Restored: ")) << next.out;
    EXPECT_FALSE(Has(next.out, "Cannot restore")) << next.out;
}

std::string CaseName(const testing::TestParamInfo<KillCase>& info) {
    std::string name = std::string(info.param.word) + (info.param.installedBefore ? "Again" : "") + "_";
    for (const char* c = info.param.point; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Unattended, KillPoints, testing::ValuesIn(kKillCases), CaseName);

// A journal whose end was torn (killed while writing it) still puts back
// what it names before the tear; one of a layout this program cannot read
// is kept, reported and acted on not at all.
TEST(Journal, ATornJournalCountsUpToTheTearAndAnUnreadableOneStays) {
    const States& states = TheStates();
    Prefix p;
    ASSERT_EQ(p.Unattended("install").code, 0);
    ASSERT_EQ(p.Unattended("install", "moved-aside").code, 128 + SIGKILL);
    std::vector<std::string> journals = p.Journals();
    ASSERT_EQ(journals.size(), 1u);
    {
        FILE* f = std::fopen(journals[0].c_str(), "ab");
        std::fputs("made 40 1 0123456789abcdef\n/only/part/of/a/rec", f);  // torn mid-record
        std::fclose(f);
    }
    const test::CommandResult next = p.Unattended("list");
    EXPECT_TRUE(Has(next.out, "Restored: LightWave 11.6")) << next.out;
    EXPECT_TRUE(p.Hosts() == states.installed);
    EXPECT_EQ(p.Litter(), "");

    ASSERT_EQ(p.Unattended("install", "moved-aside").code, 128 + SIGKILL);
    journals = p.Journals();
    ASSERT_EQ(journals.size(), 1u);
    std::string bytes = test::ReadFile(journals[0]);
    bytes.replace(bytes.find("journal 1"), 9, "journal 9");
    test::WriteFile(journals[0], bytes);
    const std::vector<std::string> cutOff = p.Hosts();
    const test::CommandResult kept = p.Unattended("list");
    EXPECT_TRUE(Has(kept.out, "Cannot restore: " + journals[0])) << kept.out;
    EXPECT_EQ(p.Journals(), journals);
    EXPECT_TRUE(p.Hosts() == cutOff);  // nothing touched, its set-aside folder included
}

// A journal whose process still runs (its lock held) is not touched, nor is
// what it set aside; set-aside items of dead runs that no journal claims go.
TEST(Journal, ALiveRunsJournalStaysAndUnclaimedLeftoversGo) {
    Prefix p;
    ASSERT_EQ(p.Unattended("install").code, 0);
    ASSERT_EQ(p.Unattended("install", "moved-aside").code, 128 + SIGKILL);
    const std::vector<std::string> journals = p.Journals();
    ASSERT_EQ(journals.size(), 1u);
    const int fd = open(journals[0].c_str(), O_RDWR);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);  // as its writer would hold it
    const std::vector<std::string> cutOff = p.Hosts();
    const test::CommandResult busy = p.Unattended("list");
    EXPECT_FALSE(Has(busy.out, "Restored: ")) << busy.out;
    EXPECT_TRUE(p.Hosts() == cutOff);
    close(fd);

    // Planted as a run long gone would leave them: a folder, a file, a
    // half-written configuration text; and one of a live process (ours).
    const std::string plugins = p.C("Program Files/Autodesk/3ds Max 2018/plugins");
    test::MakeDirs(plugins + "/Veldo5.dlo.veldo-old-999999-3/inner");
    test::WriteFile(plugins + "/Veldo5.dlo.veldo-old-999999-3/inner/x", "x");
    test::WriteFile(plugins + "/VELDO5/Lang/en-US.lng.veldo-old-999998-0", "old");
    test::WriteFile(p.C("users/player/.NewTek/LightWave/2015.3/LWM2015.3-64.CFG.veldo-new-999997-1"), "half");
    const std::string live = plugins + "/Veldo5.dlo.veldo-old-" + std::to_string(getpid()) + "-0";
    test::WriteFile(live, "a live run's");
    test::WriteFile(plugins + "/notes.veldo-old", "the user's own");
    const test::CommandResult next = p.Unattended("list");
    EXPECT_TRUE(Has(next.out, "Restored: LightWave 11.6")) << next.out;
    EXPECT_EQ(p.Litter(), live + "\n");
    EXPECT_TRUE(test::Exists(plugins + "/notes.veldo-old"));
}

}  // namespace

namespace {

// A polite request to end arriving while a host is being installed (held
// at its third copied file): that host is finished, the rest are left as
// they were, and the exit code says the installation did not complete.
struct Signal {
    int number;
    const char* name;
};

class PoliteEnds : public testing::TestWithParam<Signal> {};

TEST_P(PoliteEnds, ASignalInsideABatchFinishesThatHostAndStops) {
    const States& states = TheStates();
    Prefix p;
    const std::string release = p.dir / "release", out = p.dir / "out";
    const std::string line = "exec env WINEPREFIX='" + p.prefix + "' USER=player VELDO_HOLD_AT=copied:3 VELDO_HOLD_RELEASE='" +
                             release + "' '" VELDO_INSTALLER_EXE "' -unattended install >'" + out + "' 2>&1";
    const char* argv[] = {"/bin/sh", "-c", line.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ), 0);
    const std::string log = p.C("users/player/.Brimvale/veldo.log");
    ASSERT_TRUE(test::WaitFor([&] { return Has(test::ReadFile(log), "Held at copied"); }));
    kill(pid, GetParam().number);
    ASSERT_TRUE(test::WaitFor([&] { return Has(test::ReadFile(log), "Asked to end: the installation into LightWave 11.6"); }));
    test::WriteFile(release, "");
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string said = test::ReadFile(out);
    EXPECT_TRUE(Has(said, "Finishing the installation into: LightWave 11.6\n")) << said;
    EXPECT_TRUE(Has(said, "Installation failed!\nInstallation stopped before: LightWave 3D 2015.3\n")) << said;
    const std::vector<std::string> now = p.Hosts();
    for (size_t i = 0; i < now.size(); ++i) {
        const bool first = Has(test::kDemoHostFolders[i], "LightWave_11.6");
        EXPECT_TRUE(now[i] == (first ? states.installed[i] : states.pristine[i])) << test::kDemoHostFolders[i];
    }
    EXPECT_EQ(p.Litter(), "");
    EXPECT_TRUE(p.Journals().empty());
}

void PrintTo(const Signal& s, std::ostream* os) { *os << s.name; }

INSTANTIATE_TEST_SUITE_P(Unattended, PoliteEnds,
                         testing::Values(Signal{SIGTERM, "SIGTERM"}, Signal{SIGINT, "SIGINT"}, Signal{SIGHUP, "SIGHUP"}),
                         [](const testing::TestParamInfo<Signal>& info) { return std::string(info.param.name); });

}  // namespace
