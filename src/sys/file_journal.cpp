// Noting each change before it happens, committing and rolling back.
// Sections: the file; noting changes; the end of a batch.
#include "sys/file_journal.h"

#include "core/log.h"
#include "sys/test_points.h"
#include "sys/move_aside.h"
#include "sys/platform.h"

namespace {

WString NativeOf(const WChar* path) {
    WString native;
    if (!SysNativePath(path, native)) native.Assign(path);
    return native;
}

bool IsSeparator(WChar c) { return c == WChar('/') || c == WChar('\\'); }

}  // namespace

// ---- the file --------------------------------------------------------------

FileJournal::~FileJournal() { Close(false); }

bool FileJournal::Begin(const WChar* host) {
    if (file_) return true;
    if (!CreateProductDataFolder() || !NewJournalPath(filePath_)) return false;
    if (SysCreateLockedFile(filePath_.CStr(), file_) != SysStatus::kOk) {
        LogLine(WTXT("Cannot create the installation journal %s"), filePath_);
        return false;
    }
    TestPoint("journal-created");
    NString header;
    JournalHeader(header);
    auto* entry = new JournalEntry;
    entry->kind = JournalKind::kHost;
    entry->path.Assign(host);
    NString record;
    EncodeJournalEntry(*entry, record);
    header.Append(record);
    delete entry;
    if (SysLockedFileAppend(file_, header.CStr(), header.Length(), true) != SysStatus::kOk) {
        LogLine(WTXT("Cannot write the installation journal %s"), filePath_);
        Close(true);
        return false;
    }
    LogLine(WTXT("Installation journal of %s: %s"), host, filePath_);
    return true;
}

void FileJournal::Close(bool remove) {
    if (!file_) return;
    SysLockedFileClose(file_, remove);
    file_ = nullptr;
}

// ---- noting changes ----------------------------------------------------------

// In memory always; on disk, synced, once the file is begun.
bool FileJournal::Note(JournalEntry* entry) {
    entries_.Add(entry, entries_.count < 64 ? 64 : entries_.count);
    if (!file_) return true;
    NString record;
    EncodeJournalEntry(*entry, record);
    if (SysLockedFileAppend(file_, record.CStr(), record.Length(), true) == SysStatus::kOk) return true;
    LogLine(WTXT("Cannot write the installation journal %s"), filePath_);
    return false;
}

// Inside a folder the batch made: deleting that folder takes it too.
bool FileJournal::Covered(const WString& native) const {
    for (int32_t i = 0; i < entries_.count; ++i) {
        const JournalEntry& e = *entries_[i];
        if (e.kind != JournalKind::kMade || !e.folder) continue;
        const int32_t n = e.path.Length();
        if (native.Length() > n && IsSeparator(native[n]) && WString(native.CStr(), n) == e.path) return true;
    }
    return false;
}

bool FileJournal::MoveAside(const WChar* path) {
    const WString native = NativeOf(path);
    SysFileInfo info;
    if (SysQueryPath(native.CStr(), info) != SysStatus::kOk || !info.exists) return true;
    auto* entry = new JournalEntry;
    entry->kind = JournalKind::kAside;
    entry->path = native;
    if (!AsideName(native.CStr(), entry->aside)) {
        delete entry;
        return false;
    }
    const WString aside = entry->aside;
    if (!Note(entry)) return false;
    if (!MovePath(native.CStr(), aside.CStr())) return false;
    TestPoint("moved-aside");
    return true;
}

bool FileJournal::WillCreate(const WChar* path, bool folder) {
    const WString native = NativeOf(path);
    if (Covered(native)) return true;
    auto* entry = new JournalEntry;
    entry->kind = JournalKind::kMade;
    entry->path = native;
    entry->folder = folder;
    return Note(entry);
}

// One sync for the lot.
bool FileJournal::WillCreateFiles(const Container<WPath>& paths) {
    NString records;
    for (int32_t i = 0; i < paths.count; ++i) {
        const WString native = NativeOf(paths[i]->CStr());
        if (Covered(native)) continue;
        auto* entry = new JournalEntry;
        entry->kind = JournalKind::kMade;
        entry->path = native;
        entries_.Add(entry, entries_.count < 64 ? 64 : entries_.count);
        NString record;
        EncodeJournalEntry(*entry, record);
        records.Append(record);
    }
    if (!file_ || records.IsEmpty()) return true;
    if (SysLockedFileAppend(file_, records.CStr(), records.Length(), true) == SysStatus::kOk) return true;
    LogLine(WTXT("Cannot write the installation journal %s"), filePath_);
    return false;
}

bool FileJournal::KeepText(const WChar* path, const NString& text) {
    Touch(path);
    const WString native = NativeOf(path);
    for (int32_t i = 0; i < entries_.count; ++i)
        if (entries_[i]->kind == JournalKind::kText && entries_[i]->path == native) return true;  // the first text is the one to go back to
    auto* entry = new JournalEntry;
    entry->kind = JournalKind::kText;
    entry->path = native;
    entry->text = text;
    return Note(entry);
}

void FileJournal::Touch(const WChar* path) {
    for (int32_t i = 0; i < touched_.count; ++i)
        if (*touched_[i] == WString(path)) return;
    touched_.Add(new WString(path));
}

// ---- the end of a batch --------------------------------------------------------

bool FileJournal::Commit() {
    if (file_) {
        // What the batch copied reaches the disk before anything that
        // could bring the old state back goes.
        Container<WString> flushed;
        for (int32_t i = 0; i < entries_.count; ++i) {
            const WString& path = entries_[i]->path;
            if (entries_[i]->kind == JournalKind::kHost || path.IsEmpty()) continue;
            WString folder(path);
            int32_t cut = folder.Length();
            while (cut > 0 && !IsSeparator(folder[cut - 1])) --cut;
            if (cut > 1) folder = WString(path.CStr(), cut - 1);
            bool seen = false;
            for (int32_t k = 0; k < flushed.count && !seen; ++k) seen = *flushed[k] == folder;
            if (seen) continue;
            flushed.Add(new WString(folder));
            SysFlushFileSystem(folder.CStr());
        }
        auto* entry = new JournalEntry;
        entry->kind = JournalKind::kCommit;
        // Without the commit on disk, a cut-off commit would be rolled back
        // over asides already deleted: then the batch stays uncommitted.
        if (!Note(entry)) return false;
        TestPoint("committed");
    }
    Container<WString> failed;
    DeleteJournalAsides(entries_, failed);
    for (int32_t i = 0; i < failed.count; ++i) LogLine(WTXT("Cannot remove what was set aside: %s"), *failed[i]);
    entries_.Clear();
    Close(failed.count == 0);
    return failed.count == 0;
}

void FileJournal::Rollback(Container<WString>& restored, Container<WString>& failed) {
    Container<WString> putBack;
    const int32_t failedBefore = failed.count;
    UndoJournalEntries(entries_, putBack, failed);
    for (int32_t i = 0; i < touched_.count; ++i) restored.Add(new WString(*touched_[i]));
    entries_.Clear();
    Close(failed.count == failedBefore);
}
