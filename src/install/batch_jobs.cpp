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

int32_t InstallBatchProcessor::Body() {
    for (int32_t b = 0; b < batches_.count; ++b)
        if (batches_[b] && !batches_[b]->Process(*this)) return -1;
    return 0;
}
