#include "cell/diagnostics.h"

#include <atomic>

#include "cell/dynamic_string.h"

namespace {
std::atomic<CellDiagnosticSink> g_sink{nullptr};
}

void SetCellDiagnosticSink(CellDiagnosticSink sink) { g_sink = sink; }

void ReportCellDiagnosticArgs(const WChar* level, const WChar* className, double version, const WChar* note,
                              const WChar* tagName, const WChar* format, const FmtArg* args, int count) {
    const CellDiagnosticSink sink = g_sink.load();
    if (!sink) return;
    WString message;
    FormatWide(message, 0, format, args, count);
    sink(level, className, version, note, tagName, message.CStr());
}
