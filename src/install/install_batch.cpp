// Batches and their folder transfers. Sections: the payload; batches;
// evaluation; processing.
#include "install/install_batch.h"

#include "sys/file_system.h"
#include "sys/journal_recovery.h"
#include "sys/packed_payload.h"
#include "sys/platform.h"

// ---- the payload -----------------------------------------------------------

const WPath& PayloadFolder() {
    // A packed program's payload is its own archive, below its file's path.
    if (PackedPayloadRoot().Length() > 0) return PackedPayloadRoot();
    static const WPath folder = [] {
        WString exe;
        WPath f;
        if (SysExecutablePath(exe)) {
            const int32_t cut = [&] {
                int32_t last = -1;
                for (int32_t i = 0; i < exe.Length(); ++i)
                    if (exe[i] == WChar('\\')) last = i;
                return last;
            }();
            f.Assign(exe.CStr(), cut + 1);  // up to and including the last "\"
        }
        return f;
    }();
    return folder;
}

bool PayloadPresent(const WChar* subfolder) {
    WPath p(PayloadFolder());
    p.Join(subfolder);
    return IsDirectory(p.CStr());
}

WString SupportedHostNames() {
    const struct {
        const WChar* folder;
        const WChar* name;
    } kinds[] = {{WTXT("LightWave\\Plugin\\win64"), WTXT("LightWave")},
                 {WTXT("3DSMax\\Plugin"), WTXT("3ds Max")},
                 {WTXT("Cinema4D\\Plugin\\win64"), WTXT("Cinema 4D")}};
    WString names;
    for (const auto& k : kinds) {
        if (!PayloadPresent(k.folder)) continue;
        if (!names.IsEmpty()) names.Append(WTXT(", "));
        names.Append(k.name);
    }
    return names;
}

// ---- batches ---------------------------------------------------------------

InstallBatch::InstallBatch() { fileAction.value = kChoiceLeave; }

PresetsInstallBatch::PresetsInstallBatch() { fileAction.value = kChoiceInstall; }

FileTransfer* InstallBatch::AddTransfer(e_TransferKind kind, const WChar* payload, const WChar* destination,
                                        const WChar* auxiliary, bool removeWholeFolder) {
    auto* t = new FileTransfer;
    t->kind = kind;
    t->source.Assign(PayloadFolder());
    t->source.Join(payload);
    t->destination.Assign(destination);
    t->auxiliary.Assign(auxiliary);
    t->removeWholeFolder = removeWholeFolder;
    transfers.Add(t);
    return t;
}

bool InstallBatch::HasAction() const { return fileAction.value != kChoiceLeave; }

int32_t InstallBatch::CheckFix(FileTransfer&) { return kFixNone; }

WPath ExpandMacros(const InstallBatch& batch, const WChar* path) {
    WPath out(path);
    auto replace = [&out](const WChar* macro, const WPath& value) {
        const int32_t at = out.Find(macro);
        if (at < 0) return;
        WPath v(value);
        v.Normalize();
        // Every trailing backslash goes, even down to an empty value.
        while (v.Length() > 0 && v[v.Length() - 1] == WChar('\\')) v.Erase(v.Length() - 1, v.Length());
        out.Erase(at, at + int32_t(WLen(macro)));
        out.Insert(at, v);
    };
    replace(WTXT("%PATH%"), batch.pathValue);
    replace(WTXT("%CONFIG_PATH%"), batch.configPath);
    return out;
}

// ---- evaluation ----------------------------------------------------------

namespace {

// True when some file of the payload folder (or of its folders, below the
// same relative path) stands in the destination; stops at the first one.
bool AnyPayloadFileIn(const WChar* source, const WPath& destination) {
    Container<WFILE> files;
    ListFiles(source, WTXT("*"), false, files);
    for (int32_t i = 0; i < files.count; ++i) {
        WPath candidate(destination);
        candidate.Join(files[i]->name.CStr());
        if (PathExists(candidate.CStr()) && !IsDirectory(candidate.CStr())) return true;
    }
    Container<WDIR> folders;
    ListFolders(source, WTXT("*"), false, folders);
    for (int32_t i = 0; i < folders.count; ++i) {
        WPath below(destination);
        below.Join(folders[i]->name.CStr());
        if (IsDirectory(below.CStr()) && AnyPayloadFileIn(folders[i]->path.CStr(), below)) return true;
    }
    return false;
}

// The folder a path is in (the path up to its last separator).
WPath ParentOf(const WPath& path) {
    int32_t cut = path.Length() - 1;
    while (cut > 0 && path[cut] != WChar('\\') && path[cut] != WChar('/')) --cut;
    return WPath(path.CStr(), cut > 0 ? cut : 0);
}

// The destination and its folders that the payload folder also has.
void RemoveLeftoversAlong(const WChar* source, const WPath& destination, bool mayElevate) {
    if (!IsDirectory(destination.CStr())) return;
    RemoveLeftoversIn(destination.CStr(), mayElevate);
    Container<WDIR> folders;
    ListFolders(source, WTXT("*"), false, folders);
    for (int32_t i = 0; i < folders.count; ++i) {
        WPath below(destination);
        below.Join(folders[i]->name.CStr());
        RemoveLeftoversAlong(folders[i]->path.CStr(), below, mayElevate);
    }
}

}  // namespace

void InstallBatch::RemoveLeftovers(bool mayElevate) const {
    for (int32_t t = 0; t < transfers.count; ++t) {
        const FileTransfer& transfer = *transfers[t];
        const WPath destination = ExpandMacros(*this, transfer.destination.CStr());
        const WPath parent = ParentOf(destination);
        if (parent.Length() > 0 && IsDirectory(parent.CStr())) RemoveLeftoversIn(parent.CStr(), mayElevate);
        if (transfer.kind == kTransferFolder || transfer.kind == kTransferLwFolder)
            RemoveLeftoversAlong(transfer.source.CStr(), destination, mayElevate);
    }
}

void InstallBatch::Evaluate() {
    RemoveLeftovers(false);
    installed = false;
    for (int32_t t = 0; t < transfers.count && !installed; ++t) {
        const FileTransfer* transfer = transfers[t];
        installed = AnyPayloadFileIn(transfer->source.CStr(), ExpandMacros(*this, transfer->destination.CStr()));
    }
}

// ---- processing ------------------------------------------------------------

bool InstallBatch::Process(InstallReport& report, FileJournal& journal) {
    for (int32_t t = 0; t < transfers.count; ++t) {
        FileTransfer& transfer = *transfers[t];
        if (transfer.kind != kTransferFolder && transfer.kind != kTransferLwFolder) continue;
        if (!ProcessTransfer(*this, report, transfer, &journal)) return false;
    }
    return true;
}

bool ProcessTransfer(InstallBatch& batch, InstallReport& report, FileTransfer& transfer, FileJournal* journal) {
    const int32_t action = batch.fileAction.value;
    if (action == kChoiceLeave) return true;
    const WPath destination = ExpandMacros(batch, transfer.destination.CStr());
    // A payload folder that cannot be read would install or remove nothing
    // and still pass for done.
    if (!CanListFolder(transfer.source.CStr())) {
        report.AddError(WTXT("Cannot read: "), transfer.source.CStr());
        if (transfer.kind == kTransferLwFolder) report.lightWaveFlag = 1;
        return false;
    }
    Install_SysIOInfoCallback progress(report);
    if (journal) journal->Touch(destination.CStr());
    // The previous payload goes first. Deleting outright, failures here
    // never stop a batch; kept aside, one that cannot be is a failure, as
    // the batch could not be put back. A folder that goes whole goes in one
    // step.
    const bool wholeFolder = transfer.removeWholeFolder && IsDirectory(destination.CStr());
    if (!(journal && wholeFolder) &&
        !RemoveFolderFiles(transfer.source.CStr(), destination.CStr(), transfer.removeWholeFolder, &progress, journal) &&
        journal) {
        report.AddError(WTXT("Cannot remove files from: "), destination.CStr());
        return false;
    }
    if (wholeFolder) {
        report.AddReport(WTXT("Deleting: "), destination.CStr());
        if (!DeleteFolderTree(destination.CStr(), journal ? nullptr : &progress, journal) && journal) {
            report.AddError(WTXT("Cannot remove files from: "), destination.CStr());
            return false;
        }
    }
    if (action == kChoiceRemove) return true;
    if (!IsDirectory(destination.CStr())) {
        report.AddReport(WTXT("Creating: "), destination.CStr());
        if (!CreateDirectoryPath(destination.CStr(), true, journal)) {
            report.AddError(WTXT("Cannot create directory: "), destination.CStr());
            if (transfer.kind == kTransferLwFolder) report.lightWaveFlag = 1;
            return false;
        }
    }
    if (!CopyFolderTree(transfer.source.CStr(), destination.CStr(), false, &progress, journal)) {
        report.AddError(WTXT("Cannot copy files into: "), destination.CStr());
        if (transfer.kind == kTransferLwFolder) report.lightWaveFlag = 1;
        return false;
    }
    return true;
}
