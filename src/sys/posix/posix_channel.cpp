// The elevated service's channel on Linux: a Unix domain socket in a fresh
// folder under /tmp named after the GUID, which only its creator (and root)
// can enter. The elevation command ($VELDO_ELEVATE, default pkexec) runs
// this program's own executable. Both ends check their peer with
// SO_PEERCRED.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "core/text_convert.h"
#include "sys/admin_service.h"
#include "sys/platform.h"
#include "sys/posix/posix_channel.h"

extern char** environ;

struct SysListener {
    int fd = -1;
    NString folder;
    NString socketPath;
};

struct SysProcess {
    pid_t pid = 0;
    bool ended = false;
};

namespace {

constexpr const char* kSocketName = "service.sock";

// The channel's folder and socket; false for a name that is not a
// channel's (a GUID: nothing in it may lead out of the folder).
bool ChannelPaths(const WChar* name, NString& folder, NString& socketPath) {
    if (!IsChannelName(name)) return false;
    NString id;
    WideToUtf8(name, id);
    folder.Format("/tmp/veldo-%s", id);
    socketPath.Format("%s/%s", folder, kSocketName);
    return socketPath.Length() < int32_t(sizeof(sockaddr_un::sun_path));
}

bool PeerCredentials(int fd, ucred& cred) {
    socklen_t length = sizeof cred;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) == 0;
}

pid_t ParentOf(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
    FILE* f = std::fopen(path, "r");
    if (!f) return 0;
    char buffer[512];
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    buffer[n] = 0;
    // "pid (name) state ppid ...": the name may hold spaces and brackets.
    const char* close = std::strrchr(buffer, ')');
    int parent = 0;
    char state = 0;
    if (!close || std::sscanf(close + 1, " %c %d", &state, &parent) != 2) return 0;
    return pid_t(parent);
}

bool IsSelfOrDescendant(pid_t pid, pid_t ancestor) {
    for (int depth = 0; pid > 1 && depth < 64; ++depth) {
        if (pid == ancestor) return true;
        pid = ParentOf(pid);
    }
    return false;
}

void SplitWords(const char* text, DynamicArray<char*>& out) {
    const char* p = text;
    while (p && *p) {
        while (*p == ' ') ++p;
        if (!*p) break;
        const char* start = p;
        while (*p && *p != ' ') ++p;
        out.Append(strndup(start, size_t(p - start)));
    }
}

}  // namespace

bool SysNewGuid(WString& text) {
    uint8_t b[16];
    const int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = read(fd, b, sizeof b) == ssize_t(sizeof b);
    close(fd);
    if (!ok) return false;
    b[6] = uint8_t((b[6] & 0x0F) | 0x40);  // version 4
    b[8] = uint8_t((b[8] & 0x3F) | 0x80);
    char s[40];
    std::snprintf(s, sizeof s, "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", b[0], b[1],
                  b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    Utf8ToWide(s, text);
    return true;
}

namespace {

// A name in /tmp that is a channel's folder: "veldo-" and a GUID.
bool IsChannelFolder(const char* name) {
    if (std::strncmp(name, "veldo-", 6) != 0) return false;
    WString id;
    Utf8ToWide(name + 6, id);
    return IsChannelName(id.CStr());
}

// Beside the socket, the client's process id, so that a later client can
// tell a channel whose client was killed without knocking on its socket
// (a knock would be taken for the service by a live client).
constexpr const char* kClientFile = "client.pid";

// Channel folders of clients killed before their service connected: ours,
// and the process that made them is gone.
void RemoveAbandonedChannels() {
    DIR* tmp = opendir("/tmp");
    if (!tmp) return;
    while (dirent* e = readdir(tmp)) {
        // Only "veldo-" and a GUID: other folders of that start are not ours.
        if (!IsChannelFolder(e->d_name)) continue;
        struct stat st;
        if (fstatat(dirfd(tmp), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != geteuid())
            continue;
        NString folder, socketPath, clientPath;
        folder.Format("/tmp/%s", e->d_name);
        socketPath.Format("%s/%s", folder, kSocketName);
        clientPath.Format("%s/%s", folder, kClientFile);
        FILE* f = std::fopen(clientPath.CStr(), "r");
        if (!f) continue;  // without its client's id, it cannot be told
        long pid = 0;
        const bool read = std::fscanf(f, "%ld", &pid) == 1 && pid > 0;
        std::fclose(f);
        if (!read || kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;
        unlink(socketPath.CStr());
        unlink(clientPath.CStr());
        rmdir(folder.CStr());
    }
    closedir(tmp);
}

}  // namespace

bool SysTemporaryFolder(WString& native) {
    native.Assign(WTXT("/tmp"));
    return true;
}

bool SysChannelListen(const WChar* name, SysListener*& listener) {
    listener = nullptr;
    RemoveAbandonedChannels();
    auto* l = new SysListener;
    if (!ChannelPaths(name, l->folder, l->socketPath) || mkdir(l->folder.CStr(), 0700) != 0) {
        delete l;
        return false;
    }
    l->fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, l->socketPath.CStr(), size_t(l->socketPath.Length()) + 1);
    if (l->fd < 0 || bind(l->fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(l->fd, 1) != 0) {
        SysListenerClose(l);
        return false;
    }
    NString clientPath;
    clientPath.Format("%s/%s", l->folder, kClientFile);
    if (FILE* f = std::fopen(clientPath.CStr(), "w")) {
        std::fprintf(f, "%d\n", int(getpid()));
        std::fclose(f);
    }
    listener = l;
    return true;
}

void SysListenerClose(SysListener* listener) {
    if (!listener) return;
    if (listener->fd >= 0) close(listener->fd);
    unlink(listener->socketPath.CStr());
    NString clientPath;
    clientPath.Format("%s/%s", listener->folder, kClientFile);
    unlink(clientPath.CStr());
    rmdir(listener->folder.CStr());
    delete listener;
}

bool SysStartElevatedSelf(const WChar* parameters, SysProcess*& process) {
    process = nullptr;
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return false;
    self[n] = 0;
    const char* elevate = getenv("VELDO_ELEVATE");
    DynamicArray<char*> argv;
    SplitWords(elevate && *elevate ? elevate : "pkexec", argv);
    argv.Append(strdup(self));
    NString params;
    WideToUtf8(parameters, params);
    SplitWords(params.CStr(), argv);
    argv.Append(nullptr);
    pid_t pid = 0;
    const bool ok = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data, environ) == 0;
    for (int32_t i = 0; i + 1 < argv.count; ++i) free(argv[i]);
    if (!ok) return false;
    process = new SysProcess{pid, false};
    return true;
}

bool SysProcessRunning(SysProcess* process) {
    if (!process || process->ended) return false;
    int status = 0;
    const pid_t r = waitpid(process->pid, &status, WNOHANG);
    if (r == 0) return true;
    if (r < 0 && errno == EINTR) return true;
    process->ended = true;
    return false;
}

void SysProcessTerminate(SysProcess* process) {
    if (!process) return;
    if (SysProcessRunning(process)) kill(process->pid, SIGTERM);  // may be refused for a root process
    SysProcessRelease(process);
}

void SysProcessRelease(SysProcess* process) {
    if (!process) return;
    if (!process->ended) {
        const pid_t pid = process->pid;
        std::thread([pid] {
            int status = 0;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
        }).detach();
    }
    delete process;
}

SysAcceptResult SysChannelAccept(SysListener* listener, SysProcess* process, uint32_t timeoutMs,
                                 SysChannel*& channel) {
    channel = nullptr;
    if (!listener) return SysAcceptResult::kFailed;
    const double deadline = SysClockMs() + timeoutMs;
    bool refused = false;
    for (;;) {
        pollfd p{listener->fd, POLLIN, 0};
        const int ready = poll(&p, 1, 50);
        if (ready > 0) {
            const int fd = accept4(listener->fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                if (errno == EINTR || errno == ECONNABORTED) continue;
                return SysAcceptResult::kFailed;
            }
            ucred cred{};
            const bool trusted = PeerCredentials(fd, cred) && cred.uid == 0 &&
                                 (!process || IsSelfOrDescendant(cred.pid, process->pid));
            if (trusted) {
                channel = new SysChannel{fd};
                return SysAcceptResult::kConnected;
            }
            close(fd);  // a stranger is dropped; the wait for the service goes on
            refused = true;
            continue;
        }
        if (ready < 0 && errno != EINTR) return SysAcceptResult::kFailed;
        if (process && !SysProcessRunning(process))
            return refused ? SysAcceptResult::kRefused : SysAcceptResult::kProcessEnded;
        if (timeoutMs > 0 && SysClockMs() >= deadline)
            return refused ? SysAcceptResult::kRefused : SysAcceptResult::kTimedOut;
    }
}

bool SysChannelConnect(const WChar* name, uint32_t clientPid, SysChannel*& channel) {
    channel = nullptr;
    NString folder, socketPath;
    if (!ChannelPaths(name, folder, socketPath)) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.CStr(), size_t(socketPath.Length()) + 1);
    for (;;) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            ucred cred{};
            if (!PeerCredentials(fd, cred) || uint32_t(cred.pid) != clientPid) {
                close(fd);
                return false;  // serves only the process that started it
            }
            channel = new SysChannel{fd};
            return true;
        }
        const int e = errno;
        close(fd);
        // Busy: wait and try again while the channel is there. Missing or
        // abandoned: there will be no client.
        if (e != EAGAIN && e != EINTR) return false;
        SysSleepMs(10);
    }
}

bool SysChannelRead(SysChannel* channel, void* bytes, size_t n, uint32_t timeoutMs) {
    if (!channel) return false;
    auto* p = static_cast<uint8_t*>(bytes);
    const double deadline = SysClockMs() + timeoutMs;
    while (n > 0) {
        if (timeoutMs > 0) {
            const double left = deadline - SysClockMs();
            if (left <= 0) return false;
            pollfd pfd{channel->fd, POLLIN, 0};
            const int ready = poll(&pfd, 1, int(left) + 1);
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) return false;
        }
        const ssize_t r = recv(channel->fd, p, n, 0);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        n -= size_t(r);
    }
    return true;
}

bool SysChannelWrite(SysChannel* channel, const void* bytes, size_t n) {
    if (!channel) return false;
    const auto* p = static_cast<const uint8_t*>(bytes);
    while (n > 0) {
        const ssize_t w = send(channel->fd, p, n, MSG_NOSIGNAL);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= size_t(w);
    }
    return true;
}

void SysChannelClose(SysChannel* channel) {
    if (!channel) return;
    close(channel->fd);
    delete channel;
}

bool SysProcessExists(uint32_t pid) {
    if (pid == 0) return false;
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%u", pid);
    struct stat st;
    return stat(path, &st) == 0 && (kill(pid_t(pid), 0) == 0 || errno == EPERM);
}
