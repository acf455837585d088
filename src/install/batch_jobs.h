// The two worker jobs: the host search, and the processing of every batch
// with its report, error and warning lines. The processor also has the
// preparation step that gathers LightWave fix codes before installing.
#pragma once

#include <cstdint>

#include "cell/container.h"
#include "cell/dynamic_array.h"
#include "cell/dynamic_string.h"
#include "install/install_batch.h"
#include "sys/bthread.h"
#include "sys/file_system.h"

// Fix codes of the preparation step.
enum e_InstallBatchFix : int32_t {
    kFixNone = 0,
    kFixModelerStarted = 1,   // the menu file was unreadable; Modeler was started to write one
    kFixMenuPatched = 2,      // the menu file was patched; Modeler was started to rewrite it
    kFixCannotModify = 4,     // customised or invalid: cannot be modified by the installer
};

using BatchList = Container<InstallBatch>;

// Runs the host search over the list it fills (emptied first).
class InstallBatchGen : public BThread {
public:
    explicit InstallBatchGen(BatchList& batches) : batches_(batches) {}
    ~InstallBatchGen() override { Stop(); }
    int32_t Body() override;

private:
    BatchList& batches_;
};

class InstallBatchProcessor : public BThread {
public:
    Container<WString> warningLines;
    Container<WString> errorLines;
    uint8_t manualMenuFlag = 0;
    uint8_t lightWaveFlag = 0;
    Container<WString> reportLines;

    explicit InstallBatchProcessor(BatchList& batches) : batches_(batches) {}
    ~InstallBatchProcessor() override { Stop(); }

    // Every non-zero fix code of every transfer of every batch, in order.
    void Prepare(DynamicArray<int32_t>& fixes);
    // Processes the batches in order; the first failure ends it (-1).
    int32_t Body() override;

    // A line from a prefix and, when given, a blank and a path.
    void AddReport(const WChar* prefix, const WChar* path = nullptr);
    // Error and warning lines: the prefix immediately followed by the path.
    void AddError(const WChar* prefix, const WChar* path);
    void AddWarning(const WChar* prefix, const WChar* path);

    BatchList& Batches() { return batches_; }

private:
    BatchList& batches_;
};

// Per-file progress of the folder operations as "Creating:"/"Deleting:" lines.
class Install_SysIOInfoCallback : public SysIOInfoCallback {
public:
    explicit Install_SysIOInfoCallback(InstallBatchProcessor& p) : processor_(p) {}
    void Report(bool created, const WChar* path) override;

private:
    InstallBatchProcessor& processor_;
};
