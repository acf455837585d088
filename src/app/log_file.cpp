#include "app/log_file.h"

#include "core/text_convert.h"
#include "sys/file_system.h"
#include "sys/platform.h"
#include "sys/user_folders.h"

namespace {

constexpr const WChar* kFallbackPath = WTXT("c:\\tmp\\veldo_debug.log");
constexpr int kAttempts = 4;
constexpr uint32_t kPauseMs = 50;

WString& GlobalPath() {
    static WString path;
    return path;
}

// Appends (or, with truncate, replaces) text as the file's text mode would:
// UTF-8, each line feed written as carriage return and line feed.
void WriteToLog(const WString& text, bool truncate) {
    WString native;
    if (!SysNativePath(GlobalPath().IsEmpty() ? kFallbackPath : GlobalPath().CStr(), native)) return;
    NString utf8;
    WideToUtf8(text.CStr(), utf8);
    int32_t lineFeeds = 0;
    for (int32_t i = 0; i < utf8.Length(); ++i) lineFeeds += utf8[i] == '\n';
    DynamicArray<char> buffer;
    buffer.Resize(utf8.Length() + lineFeeds);
    int32_t n = 0;
    for (int32_t i = 0; i < utf8.Length(); ++i) {
        if (utf8[i] == '\n') buffer[n++] = '\r';
        buffer[n++] = utf8[i];
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (SysAppendFile(native.CStr(), buffer.data, n, truncate) == SysStatus::kOk) return;
        if (attempt + 1 < kAttempts) SysSleepMs(kPauseMs);
    }
}

class LogFile : public LogSink {
public:
    void Append(const WString& text) override { WriteToLog(text, false); }
    void Stamp(WString& stamp) override { SysLocalTimeStamp(stamp); }
    const WChar* Where() const override { return LogPath().CStr(); }
};

}  // namespace

const WString& LogPath() { return GlobalPath(); }

void StartLogAt(const WChar* path, bool keepContent) {
    static LogFile file;  // lives for the whole process
    GlobalPath().Assign(path);
    SetLogSink(&file);
    if (!keepContent) WriteToLog(WString(), true);
    LogLineStamped(WTXT("VELDO version: %s (%s)"), kVeldoVersion, kVeldoProduct);
}

void StartLog() {
    // The user's own folder: never made through elevation (asking for the
    // administrator just for a log would be absurd, and a declined prompt
    // would spoil the real one later). Without it, the fallback file.
    WPath path;
    if (!MakerFolder(path) || !CreateDirectoryPath(path.CStr(), false)) path.Assign(static_cast<const WChar*>(nullptr));
    else path.Join(WTXT("veldo.log"));
    StartLogAt(path.CStr());
}
