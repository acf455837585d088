#include "core/log.h"

#include <atomic>

#include "core/control_escape.h"

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

// The arguments with their control characters escaped: a name with a line
// feed in it never starts a log line of its own.
constexpr int kMaxEscapedArgs = 16;

void LogTextArgs(bool lineEnd, const WChar* format, const FormatArgument* args, int count) {
    if (!g_sink.load()) return;
    FormatArgument safe[kMaxEscapedArgs] = {FormatArgument(0), FormatArgument(0), FormatArgument(0), FormatArgument(0), FormatArgument(0), FormatArgument(0),
                                    FormatArgument(0), FormatArgument(0), FormatArgument(0), FormatArgument(0), FormatArgument(0), FormatArgument(0),
                                    FormatArgument(0), FormatArgument(0), FormatArgument(0), FormatArgument(0)};
    WString wide[kMaxEscapedArgs];
    NString narrow[kMaxEscapedArgs];
    if (count <= kMaxEscapedArgs) {
        for (int i = 0; i < count; ++i) {
            safe[i] = args[i];
            if (args[i].kind == FormatArgument::kWide && HasControlCharacters(args[i].w)) {
                EscapeControlCharacters(args[i].w, wide[i]);
                safe[i] = FormatArgument(wide[i].CStr());
            } else if (args[i].kind == FormatArgument::kNarrow && HasControlCharacters(args[i].n)) {
                EscapeControlCharacters(args[i].n, narrow[i]);
                safe[i] = FormatArgument(narrow[i].CStr());
            }
        }
        args = safe;
    }
    WString text;
    FormatWide(text, kNoLimit, format, args, count);
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
                           const WChar* tagName, const WChar* format, const FormatArgument* args, int count) {
    if (tagName && *tagName) {
        LogText(WTXT("%-7s: %-12s %.4f,%-10s,%-12s : "), level, className, version, note ? note : WTXT(""), tagName);
    } else {
        LogText(WTXT("%-7s: %-12s %.4f                 : "), level, className, version);
    }
    LogTextArgs(true, format, args, count);
}
