// Sections: reading the journals; putting batches back; leftovers.
#include "sys/journal_recovery.h"

#include "core/log.h"
#include "core/path.h"
#include "sys/file_system.h"
#include "sys/journal_format.h"
#include "sys/move_aside.h"
#include "sys/platform.h"
#include "sys/sibling_names.h"
#include "sys/text_files.h"
#include "sys/user_folders.h"

namespace {

// The largest journal read back whole; a batch's kept texts are small.
constexpr int64_t kMaxJournalBytes = int64_t(1) << 30;

// ---- reading the journals ----------------------------------------------------

void JournalFiles(Container<WFILE>& out) {
    WPath folder;
    if (!ProductDataFolder(folder)) return;
    WString pattern(WTXT("*"));
    pattern.Append(kJournalSuffix);
    ListFiles(folder.CStr(), pattern.CStr(), false, out);
}

}  // namespace

// ---- putting batches back ------------------------------------------------------

void RecoverJournals(Container<RecoveredBatch>& out) {
    Container<WFILE> files;
    JournalFiles(files);
    for (int32_t i = 0; i < files.count; ++i) {
        WString native;
        if (!SysNativePath(files[i]->path.CStr(), native)) continue;
        SysLockedFile* file = nullptr;
        const SysStatus opened = SysOpenLockedFile(native.CStr(), file);
        if (opened == SysStatus::kExists) continue;  // its batch is running now, in another copy of the program
        auto* batch = new RecoveredBatch;
        batch->journal = native;
        out.Add(batch);
        NString bytes;
        JournalContent content;
        if (opened != SysStatus::kOk || SysLockedFileRead(file, bytes, kMaxJournalBytes) != SysStatus::kOk) {
            batch->failed.Add(new WString(native));
            LogLine(WTXT("Cannot read the installation journal %s; it stays"), native);
            SysLockedFileClose(file, false);
            continue;
        }
        DecodeJournal(bytes.CStr(), bytes.Length(), content);
        batch->host = content.host;
        if (!content.versionKnown) {
            batch->failed.Add(new WString(native));
            LogLine(WTXT("The installation journal %s is of a layout this program cannot read; it stays"), native);
            SysLockedFileClose(file, false);
            continue;
        }
        if (!content.complete) LogLine(WTXT("The installation journal %s ends in a damaged record; what comes before it counts"), native);
        batch->committed = content.committed;
        if (content.committed) {
            LogLine(WTXT("Finishing the installation into %s that was cut off after it was done (journal %s)"), content.host, native);
            DeleteJournalAsides(content.entries, batch->failed);
        } else {
            LogLine(WTXT("Putting back the installation into %s that was cut off (journal %s)"), content.host, native);
            UndoJournalEntries(content.entries, batch->restored, batch->failed);
        }
        for (int32_t k = 0; k < batch->failed.count; ++k) LogLine(WTXT("Cannot restore: %s"), *batch->failed[k]);
        const bool done = batch->failed.count == 0;
        if (done && !content.host.IsEmpty()) LogLine(WTXT("Restored: %s"), content.host);
        else LogLine(WTXT("The installation journal %s stays until what it names can be put back"), native);
        SysLockedFileClose(file, done);
    }
}

// ---- leftovers -------------------------------------------------------------------

namespace {

// What the journals left in the data folder still name as set aside; false
// when one of them cannot be read, and so might claim anything.
bool ClaimedAsides(Container<WString>& out) {
    Container<WFILE> files;
    JournalFiles(files);
    for (int32_t i = 0; i < files.count; ++i) {
        NString bytes;
        if (ReadTextFile(files[i]->path.CStr(), bytes) != kTextOk) return false;
        JournalContent content;
        DecodeJournal(bytes.CStr(), bytes.Length(), content);
        if (!content.versionKnown) return false;
        for (int32_t k = 0; k < content.entries.count; ++k)
            if (content.entries[k]->kind == JournalKind::kAside) out.Add(new WString(content.entries[k]->aside));
    }
    return true;
}

bool Claimed(const Container<WString>& claimed, const WString& native) {
    for (int32_t i = 0; i < claimed.count; ++i)
        if (*claimed[i] == native) return true;
    return false;
}

}  // namespace

void RemoveLeftoversIn(const WChar* folder, bool mayElevate) {
    Container<WFILE> files;
    Container<WDIR> folders;
    ListFiles(folder, WTXT("*"), false, files);
    ListFolders(folder, WTXT("*"), false, folders);
    Container<WString> candidates;
    for (int32_t i = 0; i < files.count; ++i) candidates.Add(new WString(files[i]->path));
    for (int32_t i = 0; i < folders.count; ++i) candidates.Add(new WString(folders[i]->path));
    bool claimsRead = false;
    Container<WString> claimed;
    for (int32_t i = 0; i < candidates.count; ++i) {
        const WString& path = *candidates[i];
        int32_t cut = path.Length();
        while (cut > 0 && path[cut - 1] != WChar('\\') && path[cut - 1] != WChar('/')) --cut;
        uint32_t pid = 0;
        if (!IsSiblingName(path.CStr() + cut, pid) || pid == SysProcessId() || SysProcessExists(pid)) continue;
        WString native;
        if (!SysNativePath(path.CStr(), native)) continue;
        if (!claimsRead) {
            if (!ClaimedAsides(claimed)) {
                LogLine(WTXT("Leftovers in %s stay: a journal that cannot be read may still need them"), folder);
                return;
            }
            claimsRead = true;
        }
        if (Claimed(claimed, native)) continue;
        SysFileInfo info;
        if (SysQueryPath(native.CStr(), info) != SysStatus::kOk || !info.exists) continue;
        bool gone = false;
        if (info.isFolder && !info.isLink) {
            gone = SysDeleteTree(native.CStr()) == SysStatus::kOk || (mayElevate && DeleteFolderTree(native.CStr(), nullptr));
        } else {
            const SysStatus s = SysDeleteFile(native.CStr());
            gone = s == SysStatus::kOk || (s == SysStatus::kAccessDenied && mayElevate && DeleteOneFile(native.CStr()));
        }
        if (gone) LogLine(WTXT("Removed what an earlier run left behind: %s"), native);
        else LogLine(WTXT("Cannot remove what an earlier run left behind: %s"), native);
    }
}
