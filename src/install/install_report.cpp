#include "install/install_report.h"

#include "core/control_escape.h"

namespace {

// A name from the host's folders or the payload never starts a line of the
// report, the log or the unattended output of its own.
void AppendName(WString& line, const WChar* path) {
    if (!HasControlCharacters(path)) {
        line.Append(path);
        return;
    }
    WString escaped;
    EscapeControlCharacters(path, escaped);
    line.Append(escaped);
}

}  // namespace

void InstallReport::AddReport(const WChar* prefix, const WChar* path) {
    auto* line = new WString(prefix);
    if (path) {
        line->AppendChar(WChar(' '));
        AppendName(*line, path);
    }
    reportLines.Add(line, reportLines.count < 64 ? 16 : reportLines.count);
}

void InstallReport::AddError(const WChar* prefix, const WChar* path) {
    auto* line = new WString(prefix);
    AppendName(*line, path);
    errorLines.Add(line);
}

void InstallReport::AddWarning(const WChar* prefix, const WChar* path) {
    auto* line = new WString(prefix);
    AppendName(*line, path);
    warningLines.Add(line);
}

void Install_SysIOInfoCallback::Report(bool created, const WChar* path) {
    report_.AddReport(created ? WTXT("Creating:") : WTXT("Deleting:"), path);
}

void Install_SysIOInfoCallback::Copied(const WChar*, int64_t bytes) { report_.progress.FileCopied(bytes); }

void Install_SysIOInfoCallback::CopyFailed(const WChar* path) { report_.AddError(WTXT("Cannot copy file: "), path); }
