// The client side: the elevated copy is started on first need (at most once
// per run, even when that start fails) and served over the private channel.
#include "sys/admin_client.h"

#include <atomic>

#include "core/log.h"
#include "sys/admin_protocol.h"
#include "sys/admin_service.h"
#include "sys/platform.h"

namespace {

// The service has this long to greet once it runs. Until it runs, the
// elevation command may be asking the user for a password: that wait has
// no limit but the user's cancelling, which ends the command.
constexpr uint32_t kHelloLimitMs = 15000;
std::atomic<uint32_t> g_helloLimitMs{kHelloLimitMs};
// Fresh names drawn when the service's log name is taken.
constexpr int kNameAttempts = 8;

class ChannelStream : public ByteChannel {
public:
    SysChannel* channel = nullptr;
    uint32_t timeoutMs = 0;
    bool Read(void* bytes, size_t n) override { return SysChannelRead(channel, bytes, n, timeoutMs); }
    bool Write(const void* bytes, size_t n) override { return SysChannelWrite(channel, bytes, n); }
};

// The process-wide client state; the channel closes with the program.
struct ClientState {
    bool started = false;
    ChannelStream stream;
    SysProcess* process = nullptr;
    uint32_t servicePid = 0;

    ~ClientState() {
        SysChannelClose(stream.channel);
        SysProcessRelease(process);
    }
};

ClientState& State() {
    static ClientState state;
    return state;
}

bool Request(int32_t code, const WChar* first, const WChar* second) {
    if (!EnsureService()) return false;
    ClientState& s = State();
    if (!s.stream.channel) return false;
    return SendAdminRequest(s.stream, code, first, second);
}

// A fresh channel name whose service log this process could make as a new
// file of its own. A name someone else took (another local user can see
// the names in the process list) is never used: another GUID is drawn.
bool NewChannelWithLog(WString& guid) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        WString log;
        if (!SysNewGuid(guid) || !ServiceLogPath(guid.CStr(), log)) return false;
        SysLockedFile* file = nullptr;
        const SysStatus s = SysCreateLockedFile(log.CStr(), file);
        if (s == SysStatus::kOk) {
            SysLockedFileClose(file, false);
            LogLine(WTXT("The admin service logs to %s"), log);
            return true;
        }
        LogLine(WTXT("The admin service's log %s cannot be made new; another name is drawn"), log);
    }
    return false;
}

}  // namespace

void SetAdminHelloLimitMs(uint32_t ms) { g_helloLimitMs.store(ms); }

bool EnsureService() {
    ClientState& s = State();
    if (s.started) return s.stream.channel != nullptr;
    s.started = true;

    WString guid;
    if (!NewChannelWithLog(guid)) return false;
    SysListener* listener = nullptr;
    if (!SysChannelListen(guid.CStr(), listener)) return false;
    WString parameters;
    parameters.Format(WTXT("-admin_service %s %u"), guid, SysProcessId());
    SysProcess* process = nullptr;
    if (!SysStartElevatedSelf(parameters.CStr(), process)) {
        SysListenerClose(listener);
        return false;
    }
    SysChannel* channel = nullptr;
    const SysAcceptResult r = SysChannelAccept(listener, process, 0, channel);
    // Only one service ever connects: the channel's name goes at once.
    SysListenerClose(listener);
    if (r == SysAcceptResult::kConnected) {
        s.stream.channel = channel;
        s.stream.timeoutMs = g_helloLimitMs.load();
        uint32_t pid = 0;
        const bool hello = ReadHello(s.stream, pid);
        s.stream.timeoutMs = 0;  // requests may take as long as a copy takes
        if (hello) {
            s.servicePid = pid;
            s.process = process;
            return true;
        }
        SysChannelClose(channel);
        s.stream.channel = nullptr;
    }
    // A service that never connected or never said hello is ended.
    SysProcessTerminate(process);
    return false;
}

namespace {

// The path with every link before its last component resolved, as the
// service takes it (it follows none): the prefix's drive links, a host
// folder kept elsewhere. The last component stays as it is.
bool ResolveFolder(const WChar* native, WString& resolved) {
    const WString path(native);
    int32_t cut = -1;
    for (int32_t i = 0; i < path.Length(); ++i)
        if (path[i] == WChar('/') || path[i] == WChar('\\')) cut = i;
    if (cut <= 0) return false;
    const WString folder(path.CStr(), cut);
    if (!SysResolveLinks(folder.CStr(), resolved)) return false;
    resolved.Append(path.CStr() + cut);
    return true;
}

bool RequestOne(int32_t code, const WChar* native) {
    WString path;
    return ResolveFolder(native, path) && Request(code, path.CStr(), nullptr);
}

}  // namespace

bool AdminCreateFolder(const WChar* native) { return RequestOne(kAdminCreateFolder, native); }
bool AdminRemoveFolder(const WChar* native) { return RequestOne(kAdminRemoveFolder, native); }
bool AdminDeleteFile(const WChar* native) { return RequestOne(kAdminDeleteFile, native); }

bool AdminCopyFile(const WChar* source, const WChar* target) {
    WString from, to;
    return SysResolveLinks(source, from) && ResolveFolder(target, to) &&
           Request(kAdminCopyFile, from.CStr(), to.CStr());
}
