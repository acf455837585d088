// Where the model's import diagnostics go. The cell layer only formats the
// message; the program installs a sink that writes it to its log.
#pragma once

#include "cell/text_format.h"

// level "Error" or "Warning"; note and tagName may be null.
using CellDiagnosticSink = void (*)(const WChar* level, const WChar* className, double version, const WChar* note,
                                    const WChar* tagName, const WChar* message);

void SetCellDiagnosticSink(CellDiagnosticSink sink);

void ReportCellDiagnosticArgs(const WChar* level, const WChar* className, double version, const WChar* note,
                              const WChar* tagName, const WChar* format, const FmtArg* args, int count);

template <class... A>
void ReportCellDiagnostic(const WChar* level, const WChar* className, double version, const WChar* note,
                          const WChar* tagName, const WChar* format, const A&... args) {
    const FmtArg list[sizeof...(A) + 1] = {FmtArg(args)..., FmtArg(0)};
    ReportCellDiagnosticArgs(level, className, version, note, tagName, format, list, int(sizeof...(A)));
}
