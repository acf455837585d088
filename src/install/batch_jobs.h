// The two worker jobs: the host search, and the processing of every batch,
// which is also the installation's report. The processor has the
// preparation step that gathers LightWave fix codes before installing.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/dynamic_array.h"
#include "install/discovery.h"
#include "install/install_batch.h"
#include "install/install_report.h"
#include "sys/bthread.h"

// Runs the host search over the list it fills (emptied first).
class InstallBatchGen : public BThread {
public:
    explicit InstallBatchGen(BatchList& batches) : batches_(batches) {}
    ~InstallBatchGen() override { Stop(); }
    int32_t Body() override;

    RecordCount recordsSeen{0};  // read while the job runs

private:
    BatchList& batches_;
};

class InstallBatchProcessor : public BThread, public InstallReport {
public:
    explicit InstallBatchProcessor(BatchList& batches) : batches_(batches) {}
    ~InstallBatchProcessor() override { Stop(); }

    // Every non-zero fix code of every transfer of every batch, in order.
    void Prepare(DynamicArray<int32_t>& fixes);
    // Counts the payload to copy, then processes the batches in order; the
    // first failure, or a stop request (the owner's, or a polite request to
    // end the program) seen between two batches, ends it (-1).
    int32_t Body() override;

    BatchList& Batches() { return batches_; }

    // The batch being processed (-1 between batches); read while it runs.
    std::atomic<int32_t> currentBatch{-1};

private:
    int32_t ProcessBatch(InstallBatch& batch);

    BatchList& batches_;
};
