#include "install/batch_jobs.h"

#include "install/discovery.h"
#include "install/install_choices.h"
#include "sys/test_points.h"
#include "sys/file_system.h"
#include "sys/platform.h"
#include "sys/user_folders.h"

int32_t InstallBatchGen::Body() {
    SearchHosts(batches_, StopRequest(), &recordsSeen);
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

namespace {

// What the batches will copy, in the order they copy it: every file of each
// folder transfer of the batches that install, each folder's files before
// its subfolders'.
void CountPayload(const BatchList& batches, InstallProgress& progress) {
    for (int32_t b = 0; b < batches.count; ++b) {
        const InstallBatch* batch = batches[b];
        if (!batch || batch->fileAction.value != kChoiceInstall) continue;
        for (int32_t t = 0; t < batch->transfers.count; ++t) {
            const FileTransfer& transfer = *batch->transfers[t];
            if (transfer.kind != kTransferFolder && transfer.kind != kTransferLwFolder) continue;
            Container<WFILE> files;
            ListFiles(transfer.source.CStr(), WTXT("*"), true, files);
            const int32_t skip = transfer.source.Length() + 1;  // the folder and its separator
            for (int32_t i = 0; i < files.count; ++i) {
                const WChar* path = files[i]->path.CStr();
                progress.AddFile(files[i]->path.Length() > skip ? path + skip : path, FileBytes(path));
            }
        }
    }
    progress.Publish();
}

}  // namespace

// Each batch all or nothing: a batch that fails is put back as it was and
// ends the installation; those done before it stay done.
int32_t InstallBatchProcessor::Body() {
    CountPayload(batches_, progress);
    for (int32_t b = 0; b < batches_.count; ++b) {
        if (!batches_[b]) continue;
        // Asked to end (the window closed, a polite signal): between
        // batches only, so that none is left half done; the rest stay as
        // they were.
        if (StopRequested() || SysEndRequested()) {
            AddError(WTXT("Installation stopped before: "), batches_[b]->displayName.CStr());
            return -1;
        }
        currentBatch = b;
        const int32_t result = ProcessBatch(*batches_[b]);
        currentBatch = -1;
        if (result != 0) return result;
    }
    return 0;
}

// One batch, all or nothing.
int32_t InstallBatchProcessor::ProcessBatch(InstallBatch& batch) {
    // The journal reaches the disk before the batch changes anything: a run
    // cut off inside the batch is put back at the next start.
    FileJournal journal;
    if (!journal.Begin(batch.displayName.CStr())) {
        WPath folder;
        ProductDataFolder(folder);
        AddError(WTXT("Cannot write the installation journal in: "), folder.CStr());
        return -1;
    }
    TestPoint("batch-begun");
    batch.RemoveLeftovers(true);
    if (batch.Process(*this, journal)) {
        if (!journal.Commit()) AddWarning(WTXT("Cannot remove the old files of: "), batch.displayName.CStr());
        return 0;
    }
    Container<WString> restored, failed;
    journal.Rollback(restored, failed);
    for (int32_t i = 0; i < restored.count; ++i) AddReport(WTXT("Restored:"), restored[i]->CStr());  // "Restored: " and the path
    for (int32_t i = 0; i < failed.count; ++i) AddError(WTXT("Cannot restore: "), failed[i]->CStr());
    return -1;
}
