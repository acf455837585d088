// The LightWave batch: its menu entries beside its files, and its
// configuration edited before the files move.
#include "install/install_batch.h"
#include "install/lightwave_config.h"
#include "sys/text_files.h"

LwInstallBatch::LwInstallBatch() { menuAction.value = kChoiceLeave; }

bool LwInstallBatch::HasAction() const {
    return fileAction.value != kChoiceLeave || menuAction.value != kChoiceLeave;
}

int32_t LwInstallBatch::CheckFix(FileTransfer& transfer) { return CheckMenuFix(*this, transfer); }

void LwInstallBatch::Evaluate() {
    InstallBatch::Evaluate();
    menusInstalled = false;
    for (int32_t t = 0; t < transfers.count; ++t) {
        if (transfers[t]->kind != kTransferLwMenu) continue;
        NString text;
        if (ReadTextFile(ExpandMacros(*this, transfers[t]->destination.CStr()).CStr(), text) != kTextOk) return;
        if (text.Find("MENU_VELDO5_") >= 0 || text.Find("Veldo5 ") >= 0) {
            menusInstalled = true;
            return;
        }
    }
}

// Configuration first, then files.
bool LwInstallBatch::Process(InstallReport& report, FileJournal& journal) {
    for (int32_t t = 0; t < transfers.count; ++t) {
        FileTransfer& transfer = *transfers[t];
        if (transfer.kind == kTransferLwExtension && !EditExtensionConfig(*this, report, transfer, &journal)) return false;
        if (transfer.kind == kTransferLwMenu && !EditMenuConfig(*this, report, transfer, &journal)) return false;
    }
    return InstallBatch::Process(report, journal);
}

