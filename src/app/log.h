// The per-user log: one plain-text file, emptied at every start, appended to
// by any part of the program. Every write opens the file, appends and closes
// it, trying 4 times with 50 ms pauses; a line that still cannot be written
// is dropped. A null path means the fallback "c:\tmp\veldo_debug.log".
#pragma once

#include "cell/dynamic_string.h"
#include "cell/text_format.h"

// The log's path, set once at start-up (empty before).
const WString& LogPath();
// The path callers pass: the log path, or null when it is not set.
const WChar* LogPathOrNull();

// Determines the path (profile\.Brimvale\veldo.log, creating the folder),
// empties the file and writes the stamped version header. keepContent
// appends instead of emptying: the elevated service shares the log of the
// run that started it.
void StartLog(bool keepContent = false);
// The same with a given path (tests and tools).
void StartLogAt(const WChar* path, bool keepContent = false);

void LogTextArgs(const WChar* path, bool lineEnd, const WChar* format, const FmtArg* args, int count);
void LogCellDiagnosticArgs(const WChar* path, const WChar* level, const WChar* className, double version,
                           const WChar* note, const WChar* tagName, const WChar* format, const FmtArg* args,
                           int count);

// The formatted text, then a line end.
template <class... A>
void LogLine(const WChar* path, const WChar* format, const A&... args) {
    const FmtArg list[sizeof...(A) + 1] = {FmtArg(args)..., FmtArg(0)};
    LogTextArgs(path, true, format, list, int(sizeof...(A)));
}

// The formatted text without a line end.
template <class... A>
void LogText(const WChar* path, const WChar* format, const A&... args) {
    const FmtArg list[sizeof...(A) + 1] = {FmtArg(args)..., FmtArg(0)};
    LogTextArgs(path, false, format, list, int(sizeof...(A)));
}

// "[%Y-%m-%d %H:%M:%S] " in local time, then the line (two separate appends).
void LogStamp(const WChar* path);
template <class... A>
void LogLineStamped(const WChar* path, const WChar* format, const A&... args) {
    LogStamp(path);
    LogLine(path, format, args...);
}

// A cell-import diagnostic: the columns "%-7s: %-12s %.4f,%-10s,%-12s : "
// when a tag name is given, else "%-7s: %-12s %.4f                 : ",
// then the message and a line end.
template <class... A>
void LogCellDiagnostic(const WChar* path, const WChar* level, const WChar* className, double version,
                       const WChar* note, const WChar* tagName, const WChar* format, const A&... args) {
    const FmtArg list[sizeof...(A) + 1] = {FmtArg(args)..., FmtArg(0)};
    LogCellDiagnosticArgs(path, level, className, version, note, tagName, format, list, int(sizeof...(A)));
}

// Sends the cell model's import diagnostics to the log.
void RouteCellDiagnosticsToLog();

// The program's version and name as the header shows them.
constexpr const WChar* kVeldoVersion = WTXT("5.5");
constexpr const WChar* kVeldoProduct = WTXT("VELDO");
