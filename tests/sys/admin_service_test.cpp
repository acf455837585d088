// The admin service across a real permission boundary: the client runs as
// "nobody" on folders only root may change, and elevates with `sudo -n`
// through a sudoers rule written for the probe alone. Also the service's
// own checks, driven by hand.
#include <gtest/gtest.h>

#include <dirent.h>
#include <grp.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "sys/admin_protocol.h"
#include "sys/platform.h"

namespace {

using test::W;

bool HaveSudo() { return std::system("command -v sudo >/dev/null 2>&1") == 0; }

// A folder only root may change, a probe copy nobody can run, and a sudoers
// rule that lets nobody run exactly that probe as root.
class Boundary {
public:
    test::TempDir dir;
    std::string probe;
    std::string rule;
    std::string host;

    Boundary() {
        probe = dir / "admin_probe";
        std::system(("cp '" VELDO_ADMIN_PROBE "' '" + probe + "' && chmod 755 '" + probe + "'").c_str());
        host = dir / "host";
        test::MakeDirs(host);
        chmod(host.c_str(), 0755);
        test::WriteFile(dir / "payload.txt", "plug-in");
        chmod((dir / "payload.txt").c_str(), 0644);
        test::WriteFile(dir / "starts", "");
        chmod((dir / "starts").c_str(), 0666);
        // The elevation commands count how often they are asked.
        test::WriteFile(dir / "elevate.sh", "#!/bin/sh\necho start >> '" + (dir / "starts") + "'\nexec sudo -n \"$@\"\n");
        test::WriteFile(dir / "decline.sh", "#!/bin/sh\necho start >> '" + (dir / "starts") + "'\nexit 126\n");
        chmod((dir / "elevate.sh").c_str(), 0755);
        chmod((dir / "decline.sh").c_str(), 0755);
        rule = "/etc/sudoers.d/veldo-test-" + std::to_string(getpid());
        test::WriteFile(rule, "nobody ALL=(root) NOPASSWD: " + probe + "\n");
        chmod(rule.c_str(), 0440);
    }
    ~Boundary() { unlink(rule.c_str()); }

    int Starts() const {
        const std::string s = test::ReadFile(dir / "starts");
        return int(std::count(s.begin(), s.end(), '\n'));
    }
};

struct Probe {
    pid_t pid = -1;
    int out = -1;

    // Starts the probe as nobody with the given elevation command.
    Probe(const Boundary& b, const std::string& elevate, const std::vector<std::string>& ops) {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], 1);
            close(fds[0]);
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(125);
            setenv("VELDO_ELEVATE", elevate.c_str(), 1);
            setenv("HOME", b.dir.path().c_str(), 1);
            setenv("WINEPREFIX", (b.dir / "no-prefix").c_str(), 1);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(b.probe.c_str()));
            for (const auto& op : ops) argv.push_back(const_cast<char*>(op.c_str()));
            argv.push_back(nullptr);
            execv(b.probe.c_str(), argv.data());
            _exit(126);
        }
        close(fds[1]);
        out = fds[0];
    }

    std::string Line() {
        std::string line;
        char c;
        while (read(out, &c, 1) == 1 && c != '\n') line += c;
        return line;
    }

    std::string Rest() {
        std::string all;
        char buffer[256];
        ssize_t n;
        while ((n = read(out, buffer, sizeof buffer)) > 0) all.append(buffer, size_t(n));
        return all;
    }

    int Wait() {
        int status = 0;
        waitpid(pid, &status, 0);
        close(out);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

#define REQUIRE_BOUNDARY()                                                        \
    if (!test::IsRoot()) GTEST_SKIP() << "the permission boundary needs root";    \
    if (!HaveSudo()) GTEST_SKIP() << "sudo is not installed"

TEST(AdminService, ServesTheFourRequestsAcrossTheBoundary) {
    REQUIRE_BOUNDARY();
    Boundary b;
    const std::string payload = b.dir / "payload.txt";
    Probe p(b, b.dir / "elevate.sh",
            {"mkdir", b.host + "/a", "copy", payload, b.host + "/a/f.txt", "mkdir", b.host + "/b", "copy", payload,
             b.host + "/b/g.txt", "delete", b.host + "/b/g.txt", "deltree", b.host + "/b"});
    EXPECT_EQ(p.Rest(), "1\n1\n1\n1\n1\n1\n");
    EXPECT_EQ(p.Wait(), 0);
    EXPECT_EQ(test::ReadFile(b.host + "/a/f.txt"), "plug-in");
    EXPECT_FALSE(test::Exists(b.host + "/b"));
    EXPECT_EQ(b.Starts(), 1);  // one elevation for the whole run
}

// The service copies only what its client may read: a file only root may
// read stays where it is, and an existing target is replaced by a new file
// (so nothing is written into a file that has other names).
TEST(AdminService, CopiesOnlyWhatTheClientMayRead) {
    REQUIRE_BOUNDARY();
    Boundary b;
    const std::string secret = b.dir / "secret.txt";
    test::WriteFile(secret, "root's only");
    chmod(secret.c_str(), 0600);
    const std::string payload = b.dir / "payload.txt";
    test::WriteFile(b.host + "/old.txt", "old");
    ASSERT_EQ(link((b.host + "/old.txt").c_str(), (b.dir / "other-name.txt").c_str()), 0);
    // Readable by root's group alone: the service, started with root's
    // groups, takes on its client's instead.
    const std::string groupOnly = b.dir / "group-only.txt";
    test::WriteFile(groupOnly, "root's group only");
    chmod(groupOnly.c_str(), 0640);
    ASSERT_EQ(chown(groupOnly.c_str(), 0, 0), 0);
    // A FIFO its client owns never holds the service: no writer ever comes.
    const std::string fifo = b.dir / "pipe.veldo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    ASSERT_EQ(chown(fifo.c_str(), 65534, 65534), 0);
    Probe p(b, b.dir / "elevate.sh",
            {"copy", secret, b.host + "/leak.txt", "copy", groupOnly, b.host + "/leak2.txt", "copy", fifo,
             b.host + "/pipe.veldo", "copy", payload, b.host + "/old.txt"});
    EXPECT_EQ(p.Rest(), "0\n0\n0\n1\n");
    p.Wait();
    EXPECT_FALSE(test::Exists(b.host + "/leak.txt"));
    EXPECT_FALSE(test::Exists(b.host + "/leak2.txt"));
    EXPECT_FALSE(test::Exists(b.host + "/pipe.veldo"));
    EXPECT_EQ(test::ReadFile(b.host + "/old.txt"), "plug-in");
    EXPECT_EQ(test::ReadFile(b.dir / "other-name.txt"), "old");
}

// A user who takes longer than the service's limit to type the password
// still gets the service: the limit runs only once it has started. The
// limit here is 200 ms (15 s in the program), and the elevation command is
// that user, answering five times as late.
TEST(AdminService, ThePasswordPromptHasNoTimeLimit) {
    REQUIRE_BOUNDARY();
    Boundary b;
    test::WriteFile(b.dir / "slow.sh", "#!/bin/sh\necho start >> '" + (b.dir / "starts") +
                                           "'\nsleep 1\nexec sudo -n \"$@\"\n");
    chmod((b.dir / "slow.sh").c_str(), 0755);
    Probe p(b, b.dir / "slow.sh", {"hello-limit", "200", "mkdir", b.host + "/a"});
    EXPECT_EQ(p.Rest(), "1\n");
    p.Wait();
    EXPECT_TRUE(test::Exists(b.host + "/a"));
}

TEST(AdminService, DeclinedElevationFailsOnceAndNeverAsksAgain) {
    REQUIRE_BOUNDARY();
    Boundary b;
    const std::string payload = b.dir / "payload.txt";
    test::WriteFile(b.host + "/keep.txt", "keep");
    Probe p(b, b.dir / "decline.sh",
            {"copy", payload, b.host + "/x.txt", "mkdir", b.host + "/d", "delete", b.host + "/keep.txt"});
    EXPECT_EQ(p.Rest(), "0\n0\n0\n");
    p.Wait();
    EXPECT_EQ(b.Starts(), 1);
    EXPECT_FALSE(test::Exists(b.host + "/x.txt"));
    EXPECT_TRUE(test::Exists(b.host + "/keep.txt"));
}

// The service's process id (found by its command line) for a client pid.
pid_t FindService(pid_t client, std::string& guid) {
    DIR* proc = opendir("/proc");
    while (dirent* e = readdir(proc)) {
        const pid_t pid = pid_t(std::atoi(e->d_name));
        if (pid <= 0) continue;
        std::string cmd = test::ReadFile("/proc/" + std::string(e->d_name) + "/cmdline");
        std::vector<std::string> args;
        std::stringstream ss(cmd);
        for (std::string a; std::getline(ss, a, '\0');) args.push_back(a);
        if (args.size() >= 3 && args[args.size() - 3] == "-admin_service" && args.back() == std::to_string(client) &&
            args[0].find("sudo") == std::string::npos && args[0].find("elevate") == std::string::npos) {
            guid = args[args.size() - 2];
            closedir(proc);
            return pid;
        }
    }
    closedir(proc);
    return 0;
}

TEST(AdminService, EndsWhenItsClientIsKilled) {
    REQUIRE_BOUNDARY();
    Boundary b;
    Probe p(b, b.dir / "elevate.sh", {"pid", "mkdir", b.host + "/first", "sleep", "60000"});
    const pid_t client = pid_t(std::atoi(p.Line().c_str()));
    ASSERT_EQ(p.Line(), "1");
    std::string guid;
    const pid_t service = FindService(client, guid);
    ASSERT_GT(service, 0);
    EXPECT_FALSE(test::Exists("/tmp/veldo-" + guid));  // the channel's folder went after the connection
    // The service logs into the file its client made for it: the user's
    // own, readable by the user alone.
    const std::string serviceLog = "/tmp/veldo-service-" + guid + ".log";
    EXPECT_TRUE(test::WaitFor([&] { return test::ReadFile(serviceLog).find("VELDO admin service") != std::string::npos; }));
    struct stat st {};
    ASSERT_EQ(stat(serviceLog.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    unlink(serviceLog.c_str());
    kill(p.pid, SIGKILL);
    p.Wait();
    EXPECT_TRUE(test::WaitFor([&] {
        return !SysProcessExists(uint32_t(service)) ||
               test::ReadFile("/proc/" + std::to_string(service) + "/stat").find(") Z") != std::string::npos;
    }));
}

// ---- the service driven by hand ----------------------------------------

class Stream : public ByteChannel {
public:
    SysChannel* channel = nullptr;
    bool Read(void* bytes, size_t n) override { return SysChannelRead(channel, bytes, n, 10000); }
    bool Write(const void* bytes, size_t n) override { return SysChannelWrite(channel, bytes, n); }
};

pid_t StartService(const std::string& guid, pid_t clientPid) {
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string client = std::to_string(clientPid);
        execl(VELDO_INSTALLER_EXE, VELDO_INSTALLER_EXE, "-admin_service", guid.c_str(), client.c_str(), nullptr);
        _exit(126);
    }
    return pid;
}

int WaitFor(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// This test process as the client of a service it starts by hand (as root)
// for the given client process id.
struct HandStarted {
    test::TempDir dir;
    test::ScopedEnv home{"HOME", dir.path().c_str()};
    Stream s;
    pid_t service = -1;
    bool connected = false;

    std::string logPath;  // where the service looks for its log

    // prepare runs before the service starts, given the log's path.
    explicit HandStarted(pid_t clientPid, const std::function<void(const std::string&)>& prepare = nullptr) {
        WString guid;
        SysListener* listener = nullptr;
        if (!SysNewGuid(guid) || !SysChannelListen(guid.CStr(), listener)) return;
        logPath = "/tmp/veldo-service-" + test::U(guid) + ".log";
        if (prepare) prepare(logPath);
        service = StartService(test::U(guid), clientPid);
        connected = SysChannelAccept(listener, nullptr, 15000, s.channel) == SysAcceptResult::kConnected;
        SysListenerClose(listener);
    }
    ~HandStarted() {
        SysChannelClose(s.channel);
        unlink(logPath.c_str());
    }
};

TEST(AdminService, IgnoresUnknownCodesAndKeepsServing) {
    if (!test::IsRoot()) GTEST_SKIP() << "the service side checks for root";
    HandStarted h(getpid());
    ASSERT_TRUE(h.connected);
    Stream& s = h.s;
    const test::TempDir& dir = h.dir;
    const pid_t service = h.service;
    uint32_t helloPid = 0;
    ASSERT_TRUE(ReadHello(s, helloPid));
    EXPECT_EQ(helloPid, uint32_t(service));

    const uint8_t unknown[4] = {99, 0, 0, 0};
    ASSERT_TRUE(WriteFrame(s, unknown, 4));  // ignored: no frames, no reply
    test::MakeDirs(dir / "exists");
    EXPECT_TRUE(SendAdminRequest(s, kAdminCreateFolder, W(dir / "exists").CStr(), nullptr));
    EXPECT_TRUE(SendAdminRequest(s, kAdminCreateFolder, W(dir / "made").CStr(), nullptr));
    EXPECT_TRUE(test::Exists(dir / "made"));
    EXPECT_FALSE(SendAdminRequest(s, kAdminDeleteFile, W(dir / "missing").CStr(), nullptr));
    EXPECT_TRUE(SendAdminRequest(s, kAdminRemoveFolder, W(dir / "made").CStr(), nullptr));
    const uint8_t end[4] = {4, 0, 0, 0};
    ASSERT_TRUE(WriteFrame(s, end, 4));
    EXPECT_EQ(WaitFor(service), 0);
}

// No path leads the service through a link or up with "..": it acts on
// exactly the folder its client names.
TEST(AdminService, FollowsNoLinkAndNoDotDot) {
    if (!test::IsRoot()) GTEST_SKIP() << "the service side checks for root";
    HandStarted h(getpid());
    ASSERT_TRUE(h.connected);
    uint32_t helloPid = 0;
    ASSERT_TRUE(ReadHello(h.s, helloPid));
    const test::TempDir& dir = h.dir;
    test::MakeDirs(dir / "real/inside");
    test::WriteFile(dir / "keep.txt", "keep");
    test::WriteFile(dir / "src.txt", "payload");
    ASSERT_EQ(symlink((dir / "real").c_str(), (dir / "link").c_str()), 0);
    ASSERT_EQ(symlink((dir / "keep.txt").c_str(), (dir / "file-link").c_str()), 0);
    const auto ask = [&](int32_t code, const std::string& a, const std::string& b = "") {
        return SendAdminRequest(h.s, code, W(a).CStr(), b.empty() ? nullptr : W(b).CStr());
    };
    EXPECT_FALSE(ask(kAdminCreateFolder, dir / "link/new"));
    EXPECT_FALSE(test::Exists(dir / "real/new"));
    EXPECT_FALSE(ask(kAdminCreateFolder, dir / "real/../escape"));
    EXPECT_FALSE(ask(kAdminCreateFolder, dir / "real/./here"));
    EXPECT_FALSE(test::Exists(dir / "escape"));
    EXPECT_FALSE(ask(kAdminCreateFolder, "relative"));
    EXPECT_FALSE(ask(kAdminRemoveFolder, dir / "link/inside"));
    EXPECT_FALSE(ask(kAdminRemoveFolder, dir / "link"));  // a link is no folder
    EXPECT_TRUE(test::Exists(dir / "real/inside"));
    EXPECT_FALSE(ask(kAdminCopyFile, dir / "src.txt", dir / "link/copied.txt"));
    EXPECT_FALSE(ask(kAdminCopyFile, dir / "file-link", dir / "real/copied.txt"));  // a linked source
    EXPECT_FALSE(test::Exists(dir / "real/copied.txt"));
    EXPECT_TRUE(ask(kAdminDeleteFile, dir / "file-link"));  // the link goes, its file stays
    EXPECT_EQ(test::ReadFile(dir / "keep.txt"), "keep");
    // A link as the target is replaced by the new file, never written through.
    ASSERT_EQ(symlink((dir / "keep.txt").c_str(), (dir / "target-link").c_str()), 0);
    EXPECT_TRUE(ask(kAdminCopyFile, dir / "src.txt", dir / "target-link"));
    EXPECT_EQ(test::ReadFile(dir / "keep.txt"), "keep");
    EXPECT_EQ(test::ReadFile(dir / "target-link"), "payload");
    EXPECT_TRUE(ask(kAdminCreateFolder, dir / "real/made"));
    EXPECT_TRUE(ask(kAdminCopyFile, dir / "src.txt", dir / "real/made/copied.txt"));
    EXPECT_EQ(test::ReadFile(dir / "real/made/copied.txt"), "payload");
    const uint8_t end[4] = {4, 0, 0, 0};
    ASSERT_TRUE(WriteFrame(h.s, end, 4));
    EXPECT_EQ(WaitFor(h.service), 0);
}

// The service's log is the file its client made: a link planted at its
// name, or a file another user made there, is never written; the client's
// own file is.
TEST(AdminService, WritesItsLogOnlyIntoTheClientsOwnFile) {
    if (!test::IsRoot()) GTEST_SKIP() << "the service side checks for root";
    test::TempDir dir;
    const std::string rootsFile = dir / "only-root-may-write";
    test::WriteFile(rootsFile, "root's");
    chmod(rootsFile.c_str(), 0600);
    const auto serve = [](HandStarted& h) {
        uint32_t helloPid = 0;
        EXPECT_TRUE(ReadHello(h.s, helloPid));
        const uint8_t end[4] = {4, 0, 0, 0};
        EXPECT_TRUE(WriteFrame(h.s, end, 4));
        EXPECT_EQ(WaitFor(h.service), 0);
    };
    {  // another user's link, planted while the prompt was open
        HandStarted h(getpid(), [&](const std::string& log) {
            ASSERT_EQ(symlink(rootsFile.c_str(), log.c_str()), 0);
            ASSERT_EQ(lchown(log.c_str(), 1, 1), 0);  // daemon's
        });
        ASSERT_TRUE(h.connected);
        serve(h);
        EXPECT_EQ(test::ReadFile(rootsFile), "root's");
    }
    {  // another user's file
        HandStarted h(getpid(), [](const std::string& log) {
            test::WriteFile(log, "");
            ASSERT_EQ(chown(log.c_str(), 1, 1), 0);
        });
        ASSERT_TRUE(h.connected);
        serve(h);
        EXPECT_EQ(test::ReadFile(h.logPath), "");
    }
    {  // the client's own
        HandStarted h(getpid(), [](const std::string& log) { test::WriteFile(log, ""); });
        ASSERT_TRUE(h.connected);
        serve(h);
        EXPECT_NE(test::ReadFile(h.logPath).find("VELDO admin service for process"), std::string::npos);
    }
}

// The channel's name reaches paths: one that is not a GUID ends the
// service before it opens, makes or writes anything.
TEST(AdminService, AChannelNameThatIsNoGuidEndsItAtOnce) {
    if (!test::IsRoot()) GTEST_SKIP() << "the service side checks for root";
    test::TempDir dir;
    const std::string lead = "/tmp/veldo-service-x" + std::to_string(getpid());
    test::MakeDirs(lead);
    const std::string name = "x" + std::to_string(getpid()) + "/../.." + dir.path() + "/name";
    EXPECT_EQ(WaitFor(StartService(name, getpid())), 0);
    EXPECT_FALSE(test::Exists(dir / "name.log"));
    rmdir(lead.c_str());
}

// Whatever mask its starter had, the service makes folders 0755 and files
// without write access for others.
TEST(AdminService, ItsFilesAndFoldersKeepAFixedMask) {
    if (!test::IsRoot()) GTEST_SKIP() << "the service side checks for root";
    const mode_t mask = umask(0);
    HandStarted h(getpid());
    umask(mask);
    ASSERT_TRUE(h.connected);
    uint32_t helloPid = 0;
    ASSERT_TRUE(ReadHello(h.s, helloPid));
    test::WriteFile(h.dir / "src.txt", "payload");
    chmod((h.dir / "src.txt").c_str(), 0666);
    EXPECT_TRUE(SendAdminRequest(h.s, kAdminCreateFolder, W(h.dir / "made").CStr(), nullptr));
    EXPECT_TRUE(SendAdminRequest(h.s, kAdminCopyFile, W(h.dir / "src.txt").CStr(), W(h.dir / "made/copy.txt").CStr()));
    struct stat folder {}, file {};
    ASSERT_EQ(stat((h.dir / "made").c_str(), &folder), 0);
    ASSERT_EQ(stat((h.dir / "made/copy.txt").c_str(), &file), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0755u);
    EXPECT_EQ(file.st_mode & 0777, 0644u);
    const uint8_t end[4] = {4, 0, 0, 0};
    ASSERT_TRUE(WriteFrame(h.s, end, 4));
    EXPECT_EQ(WaitFor(h.service), 0);
}

TEST(AdminService, RefusesAForeignClient) {
    if (!test::IsRoot()) GTEST_SKIP() << "the service side checks for root";
    HandStarted h(1);  // started for another process
    ASSERT_TRUE(h.connected);
    uint32_t helloPid = 0;
    EXPECT_FALSE(ReadHello(h.s, helloPid));  // it hung up without a word
    EXPECT_EQ(WaitFor(h.service), 0);
}

TEST(AdminService, WithoutAChannelTheServiceEndsAtOnce) {
    test::TempDir dir;
    test::ScopedEnv home("HOME", dir.path().c_str());
    const pid_t service = StartService("00000000-0000-4000-8000-000000000000", getpid());
    EXPECT_EQ(WaitFor(service), 0);
}

// ---- the channel -------------------------------------------------------

// A client killed before its service connected leaves its channel folder;
// the next channel made removes it. A live channel stays.
TEST(AdminChannel, AbandonedChannelsAreRemoved) {
    WString liveName, newName;
    ASSERT_TRUE(SysNewGuid(liveName) && SysNewGuid(newName));
    SysListener* live = nullptr;
    ASSERT_TRUE(SysChannelListen(liveName.CStr(), live));
    // What a killed client leaves: the folder, a socket nobody listens on,
    // and the id of a process that is gone.
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    char guid[40];
    std::snprintf(guid, sizeof guid, "00000000-dead-4000-8000-%012x", unsigned(getpid()));
    const std::string abandoned = std::string("/tmp/veldo-") + guid;
    // Folders of another kind that only start alike are left alone, even empty.
    test::MakeDirs("/tmp/veldo-not-a-channel-" + std::to_string(getpid()));
    test::MakeDirs(abandoned);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, (abandoned + "/service.sock").c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
    test::WriteFile(abandoned + "/client.pid", std::to_string(gone) + "\n");
    ASSERT_TRUE(test::Exists(abandoned + "/service.sock"));

    SysListener* fresh = nullptr;
    ASSERT_TRUE(SysChannelListen(newName.CStr(), fresh));
    EXPECT_FALSE(test::Exists(abandoned));
    EXPECT_TRUE(test::Exists("/tmp/veldo-not-a-channel-" + std::to_string(getpid())));
    rmdir(("/tmp/veldo-not-a-channel-" + std::to_string(getpid())).c_str());
    EXPECT_TRUE(test::Exists("/tmp/veldo-" + test::U(liveName) + "/service.sock"));
    SysListenerClose(fresh);
    SysListenerClose(live);
    EXPECT_FALSE(test::Exists("/tmp/veldo-" + test::U(liveName)));
}

// A stranger that connects first is dropped and the wait goes on for the
// service.
TEST(AdminChannel, AStrangerDoesNotEndTheWait) {
    if (!test::IsRoot()) GTEST_SKIP() << "the service's end must be root";
    if (std::system("command -v python3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 is not installed";
    WString name;
    ASSERT_TRUE(SysNewGuid(name));
    SysListener* listener = nullptr;
    ASSERT_TRUE(SysChannelListen(name.CStr(), listener));
    const std::string socketPath = "/tmp/veldo-" + test::U(name) + "/service.sock";
    // This test process is not the elevated process nor one of its own.
    const int stranger = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(connect(stranger, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    // The "service": connects and waits for a byte.
    test::TempDir dir;
    const std::string script = dir / "service.py";
    test::WriteFile(script, "import socket\ns = socket.socket(socket.AF_UNIX)\ns.connect('" + socketPath +
                                "')\ns.recv(1)\n");
    test::ScopedEnv elevate("VELDO_ELEVATE", ("python3 " + script + " --").c_str());
    SysProcess* process = nullptr;
    ASSERT_TRUE(SysStartElevatedSelf(WTXT("-admin_service x 1"), process));
    SysChannel* channel = nullptr;
    EXPECT_EQ(SysChannelAccept(listener, process, 0, channel), SysAcceptResult::kConnected);
    ASSERT_NE(channel, nullptr);
    const uint8_t byte = 1;
    EXPECT_TRUE(SysChannelWrite(channel, &byte, 1));
    SysChannelClose(channel);
    close(stranger);
    SysListenerClose(listener);
    EXPECT_TRUE(test::WaitFor([&] { return !SysProcessRunning(process); }));
    SysProcessRelease(process);
}

}  // namespace
