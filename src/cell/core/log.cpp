#include "cell/core/log.h"

#include <atomic>

namespace {

std::atomic<LogSink*> g_sink{nullptr};

void Append(const WString& text) {
    if (LogSink* sink = g_sink.load()) sink->Append(text);
}

}  // namespace

LogSink* SetLogSink(LogSink* sink) { return g_sink.exchange(sink); }

const WChar* LogLocation() {
    LogSink* sink = g_sink.load();
    return sink ? sink->Where() : nullptr;
}

void LogTextArgs(bool lineEnd, const WChar* format, const FmtArg* args, int count) {
    if (!g_sink.load()) return;
    WString text;
    FormatWide(text, 0, format, args, count);
    if (lineEnd) text.AppendChar(WChar('\n'));
    Append(text);
}

void LogStamp() {
    LogSink* sink = g_sink.load();
    if (!sink) return;
    WString stamp;
    sink->Stamp(stamp);
    sink->Append(stamp);
}

void LogCellDiagnosticArgs(const WChar* level, const WChar* className, double version, const WChar* note,
                           const WChar* tagName, const WChar* format, const FmtArg* args, int count) {
    if (tagName && *tagName) {
        LogText(WTXT("%-7s: %-12s %.4f,%-10s,%-12s : "), level, className, version, note ? note : WTXT(""), tagName);
    } else {
        LogText(WTXT("%-7s: %-12s %.4f                 : "), level, className, version);
    }
    LogTextArgs(true, format, args, count);
}
