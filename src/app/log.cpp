#include "app/log.h"

#include "cell/diagnostics.h"
#include "cell/text_convert.h"
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
void WriteToLog(const WChar* path, const WString& text, bool truncate) {
    WString native;
    if (!SysNativePath(path ? path : kFallbackPath, native)) return;
    NString utf8;
    WideToUtf8(text.CStr(), utf8);
    NString bytes;
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

}  // namespace

const WString& LogPath() { return GlobalPath(); }

const WChar* LogPathOrNull() { return GlobalPath().IsEmpty() ? nullptr : GlobalPath().CStr(); }

void StartLogAt(const WChar* path, bool keepContent) {
    GlobalPath().Assign(path);
    if (!keepContent) WriteToLog(LogPathOrNull(), WString(), true);
    LogLineStamped(LogPathOrNull(), WTXT("VELDO version: %s (%s)"), kVeldoVersion, kVeldoProduct);
}

void StartLog(bool keepContent) {
    WPath path;
    if (MakerFolder(path)) {
        CreateDirectoryPath(path.CStr());
        path.Join(WTXT("veldo.log"));
    }
    StartLogAt(path.CStr(), keepContent);
}

void LogTextArgs(const WChar* path, bool lineEnd, const WChar* format, const FmtArg* args, int count) {
    WString text;
    FormatWide(text, 0, format, args, count);
    if (lineEnd) text.AppendChar(WChar('\n'));
    WriteToLog(path, text, false);
}

void LogStamp(const WChar* path) {
    WString stamp;
    SysLocalTimeStamp(stamp);
    LogText(path, WTXT("%s"), stamp);
}

void LogCellDiagnosticArgs(const WChar* path, const WChar* level, const WChar* className, double version,
                           const WChar* note, const WChar* tagName, const WChar* format, const FmtArg* args,
                           int count) {
    if (tagName && *tagName) {
        LogText(path, WTXT("%-7s: %-12s %.4f,%-10s,%-12s : "), level, className, version, note ? note : WTXT(""),
                tagName);
    } else {
        LogText(path, WTXT("%-7s: %-12s %.4f                 : "), level, className, version);
    }
    LogTextArgs(path, true, format, args, count);
}

void RouteCellDiagnosticsToLog() {
    SetCellDiagnosticSink([](const WChar* level, const WChar* className, double version, const WChar* note,
                             const WChar* tagName, const WChar* message) {
        LogCellDiagnostic(LogPathOrNull(), level, className, version, note, tagName, WTXT("%s"), message);
    });
}
