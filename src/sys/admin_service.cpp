#include "sys/admin_service.h"

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

bool ServiceLogPath(const WChar* channelName, WString& path) {
    WString folder;
    if (!SysTemporaryFolder(folder)) return false;
    path.Format(0, WTXT("%s/veldo-service-%s.log"), folder, channelName);
    return true;
}

void RunAdminService(const WChar* channelName, uint32_t clientPid) {
    SysChannel* channel = nullptr;
    if (!SysChannelConnect(channelName, clientPid, channel)) return;
    if (!SysProcessExists(clientPid)) {
        SysChannelClose(channel);
        return;
    }
    ChannelStream stream(channel);
    if (WriteHello(stream, SysProcessId())) {
        FileActions actions(channel);
        ServeAdminRequests(stream, actions);
    }
    SysChannelClose(channel);
}
