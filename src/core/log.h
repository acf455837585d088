// The per-user log as every layer sees it: formatted text handed to one
// sink. The program installs the sink at start-up (the log file); until
// then, and in programs that install none, lines are dropped.
#pragma once

#include "core/dynamic_string.h"
#include "core/text_format.h"

class LogSink {
public:
    virtual ~LogSink() = default;
    // One append of formatted text; line ends are "\n".
    virtual void Append(const WString& text) = 0;
    // The local time as "[%Y-%m-%d %H:%M:%S] ".
    virtual void Stamp(WString& stamp) = 0;
    // Where a user finds the log (a file's path), null when nowhere.
    virtual const WChar* Where() const { return nullptr; }
};

// The installed sink's Where(), null without a sink.
const WChar* LogLocation();

// The sink outlives every writer (null: lines are dropped). Returns the
// sink it replaces.
LogSink* SetLogSink(LogSink* sink);

void LogTextArgs(bool lineEnd, const WChar* format, const FormatArgument* args, int count);
void LogCellDiagnosticArgs(const WChar* level, const WChar* className, double version, const WChar* note,
                           const WChar* tagName, const WChar* format, const FormatArgument* args, int count);

// The formatted text, then a line end.
template <class... A>
void LogLine(const WChar* format, const A&... args) {
    const FormatArgument list[sizeof...(A) + 1] = {FormatArgument(args)..., FormatArgument(0)};
    LogTextArgs(true, format, list, int(sizeof...(A)));
}

// The formatted text without a line end.
template <class... A>
void LogText(const WChar* format, const A&... args) {
    const FormatArgument list[sizeof...(A) + 1] = {FormatArgument(args)..., FormatArgument(0)};
    LogTextArgs(false, format, list, int(sizeof...(A)));
}

// The local time stamp, then the line: two separate appends, so another
// thread's line may come between them.
void LogStamp();
template <class... A>
void LogLineStamped(const WChar* format, const A&... args) {
    LogStamp();
    LogLine(format, args...);
}

// A cell-import diagnostic: the columns "%-7s: %-12s %.4f,%-10s,%-12s : "
// when a tag name is given, else "%-7s: %-12s %.4f                 : ",
// then the message and a line end.
template <class... A>
void LogCellDiagnostic(const WChar* level, const WChar* className, double version, const WChar* note,
                       const WChar* tagName, const WChar* format, const A&... args) {
    const FormatArgument list[sizeof...(A) + 1] = {FormatArgument(args)..., FormatArgument(0)};
    LogCellDiagnosticArgs(level, className, version, note, tagName, format, list, int(sizeof...(A)));
}
