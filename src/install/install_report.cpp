#include "install/install_report.h"

void InstallReport::AddReport(const WChar* prefix, const WChar* path) {
    auto* line = new WString(prefix);
    if (path) {
        line->AppendChar(WChar(' '));
        line->Append(path);
    }
    reportLines.Add(line, reportLines.count < 64 ? 16 : reportLines.count);
}

void InstallReport::AddError(const WChar* prefix, const WChar* path) {
    auto* line = new WString(prefix);
    line->Append(path);
    errorLines.Add(line);
}

void InstallReport::AddWarning(const WChar* prefix, const WChar* path) {
    auto* line = new WString(prefix);
    line->Append(path);
    warningLines.Add(line);
}

void Install_SysIOInfoCallback::Report(bool created, const WChar* path) {
    report_.AddReport(created ? WTXT("Creating:") : WTXT("Deleting:"), path);
}

void Install_SysIOInfoCallback::Copied(const WChar*, int64_t bytes) { report_.progress.FileCopied(bytes); }

void Install_SysIOInfoCallback::CopyFailed(const WChar* path) { report_.AddError(WTXT("Cannot copy file: "), path); }
