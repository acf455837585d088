#include "install/batch_jobs.h"

#include "install/discovery.h"

int32_t InstallBatchGen::Body() {
    SearchHosts(batches_, StopFlag());
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

void InstallBatchProcessor::AddReport(const WChar* prefix, const WChar* path) {
    auto* line = new WString(prefix);
    if (path) {
        line->AppendChar(WChar(' '));
        line->Append(path);
    }
    reportLines.Add(line, reportLines.count < 64 ? 16 : reportLines.count);
}

void InstallBatchProcessor::AddError(const WChar* prefix, const WChar* path) {
    auto* line = new WString(prefix);
    line->Append(path);
    errorLines.Add(line);
}

void InstallBatchProcessor::AddWarning(const WChar* prefix, const WChar* path) {
    auto* line = new WString(prefix);
    line->Append(path);
    warningLines.Add(line);
}

void Install_SysIOInfoCallback::Report(bool created, const WChar* path) {
    processor_.AddReport(created ? WTXT("Creating:") : WTXT("Deleting:"), path);
}
