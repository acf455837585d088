#include "sys/admin_service.h"

#include "core/log.h"
#include "core/text_convert.h"
#include "sys/admin_protocol.h"
#include "sys/platform.h"

namespace {

constexpr uint32_t kPauseMs = 10;

class ChannelStream : public ByteChannel {
public:
    explicit ChannelStream(SysChannel* c) : channel_(c) {}
    bool Read(void* bytes, size_t n) override { return SysChannelRead(channel_, bytes, n, 0); }
    bool Write(const void* bytes, size_t n) override { return SysChannelWrite(channel_, bytes, n); }

private:
    SysChannel* channel_;
};

// Paths arrive already in native form, their links resolved by the client:
// the service knows nothing of prefixes or drives, and follows no link.
class FileActions : public AdminActions {
public:
    explicit FileActions(SysChannel* client) : client_(client) {}
    bool CreateFolder(const WChar* path) override {
        const SysStatus s = SysGuardedCreateFolder(path);
        return s == SysStatus::kOk || s == SysStatus::kExists;
    }
    bool RemoveFolder(const WChar* path) override { return SysGuardedRemoveFolder(path) == SysStatus::kOk; }
    bool CopyFile(const WChar* source, const WChar* target) override {
        return SysGuardedCopyFile(source, target, client_) == SysStatus::kOk;
    }
    bool DeleteFile(const WChar* path) override { return SysGuardedDeleteFile(path) == SysStatus::kOk; }
    void Pause() override { SysSleepMs(kPauseMs); }

private:
    SysChannel* client_;
};

}  // namespace

bool IsChannelName(const WChar* name) {
    int32_t n = 0;
    for (; name && name[n]; ++n) {
        const WChar c = name[n];
        const bool dash = n == 8 || n == 13 || n == 18 || n == 23;
        const bool hex = (c >= WChar('0') && c <= WChar('9')) || (c >= WChar('a') && c <= WChar('f'));
        if (dash ? c != WChar('-') : !hex) return false;
    }
    return n == kChannelNameLength;
}

bool ServiceLogPath(const WChar* channelName, WString& path) {
    WString folder;
    if (!IsChannelName(channelName) || !SysTemporaryFolder(folder)) return false;
    path.Format(WTXT("%s/veldo-service-%s.log"), folder, channelName);
    return true;
}

namespace {

// The service's log: the file its client made for it, appended to through
// the handle opened once (never by name again), until the service ends.
class ServiceLog : public LogSink {
public:
    ServiceLog(const WChar* channelName, SysChannel* client) {
        WString path;
        if (!ServiceLogPath(channelName, path) || SysGuardedOpenPeerFile(path.CStr(), client, file_) != SysStatus::kOk)
            return;
        previous_ = SetLogSink(this);
        installed_ = true;
    }
    ~ServiceLog() override {
        if (installed_) SetLogSink(previous_);
        SysLockedFileClose(file_, false);
    }
    void Append(const WString& text) override {
        NString utf8;
        WideToUtf8(text.CStr(), utf8);
        SysLockedFileAppend(file_, utf8.CStr(), utf8.Length(), false);
    }
    void Stamp(WString& stamp) override { SysLocalTimeStamp(stamp); }

private:
    SysLockedFile* file_ = nullptr;
    LogSink* previous_ = nullptr;
    bool installed_ = false;
};

}  // namespace

// Nothing is opened, written or logged before the channel's name is known
// to be a GUID and its peer the client: the name reaches paths, and the
// command line is anyone's to write.
void RunAdminService(const WChar* channelName, uint32_t clientPid) {
    SysServiceProcessSetup();
    if (!IsChannelName(channelName)) return;
    SysChannel* channel = nullptr;
    if (!SysChannelConnect(channelName, clientPid, channel)) return;
    if (!SysProcessExists(clientPid)) {
        SysChannelClose(channel);
        return;
    }
    {
        ServiceLog log(channelName, channel);
        LogLineStamped(WTXT("VELDO admin service for process %u"), clientPid);
        ChannelStream stream(channel);
        if (WriteHello(stream, SysProcessId())) {
            FileActions actions(channel);
            ServeAdminRequests(stream, actions);
        }
        LogLineStamped(WTXT("The admin service ends"));
    }
    SysChannelClose(channel);
}
