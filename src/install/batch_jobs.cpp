#include "install/batch_jobs.h"

#include "install/discovery.h"

int32_t InstallBatchGen::Body() {
    SearchHosts(batches_, StopRequest());
    return 0;
}

void InstallBatchProcessor::Prepare(DynamicArray<int32_t>& fixes) {
    for (int32_t b = 0; b < batches_.count; ++b) {
        InstallBatch* batch = batches_[b];
        if (!batch) continue;
        for (int32_t t = 0; t < batch->transfers.count; ++t) {
            const int32_t code = batch->CheckFix(*batch->transfers[t]);
            if (code != kFixNone) fixes.Append(code);
        }
    }
}

// Each batch all or nothing: a batch that fails is put back as it was and
// ends the installation; those done before it stay done.
int32_t InstallBatchProcessor::Body() {
    for (int32_t b = 0; b < batches_.count; ++b) {
        if (!batches_[b]) continue;
        FileJournal journal;
        if (batches_[b]->Process(*this, journal)) {
            journal.Commit();
            continue;
        }
        Container<WString> restored, failed;
        journal.Rollback(restored, failed);
        for (int32_t i = 0; i < restored.count; ++i) AddReport(WTXT("Restored:"), restored[i]->CStr());  // "Restored: " and the path
        for (int32_t i = 0; i < failed.count; ++i) AddError(WTXT("Cannot restore: "), failed[i]->CStr());
        return -1;
    }
    return 0;
}
