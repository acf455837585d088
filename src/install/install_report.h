// What an installation says: report lines, error and warning lines and two
// flags. The installation job is one; the batches and the LightWave editors
// write to it.
#pragma once

#include <cstdint>

#include "core/container.h"
#include "core/dynamic_string.h"
#include "install/install_progress.h"
#include "sys/file_system.h"

class InstallReport {
public:
    Container<WString> warningLines;
    Container<WString> errorLines;
    uint8_t manualMenuFlag = 0;  // the user must add the menu branches by hand
    uint8_t lightWaveFlag = 0;   // LightWave's configuration needs attention
    Container<WString> reportLines;
    InstallProgress progress;  // read while the job runs

    InstallReport() = default;
    InstallReport(const InstallReport&) = delete;
    InstallReport& operator=(const InstallReport&) = delete;
    virtual ~InstallReport() = default;

    // A line from a prefix and, when given, a blank and a path.
    void AddReport(const WChar* prefix, const WChar* path = nullptr);
    // Error and warning lines: the prefix immediately followed by the path.
    void AddError(const WChar* prefix, const WChar* path);
    void AddWarning(const WChar* prefix, const WChar* path);
};

// Per-file progress of the folder operations as "Creating:"/"Deleting:"
// lines, and the copies counted in the report's progress.
class Install_SysIOInfoCallback : public SysIOInfoCallback {
public:
    explicit Install_SysIOInfoCallback(InstallReport& report) : report_(report) {}
    void Report(bool created, const WChar* path) override;
    void Copied(const WChar* path, int64_t bytes) override;
    // "Cannot copy file: " and the payload file, before the folder's line.
    void CopyFailed(const WChar* path) override;

private:
    InstallReport& report_;
};
