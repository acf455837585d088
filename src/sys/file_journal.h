// FileJournal: what one batch changes on disk, so that the batch can be put
// back as it was: by this run when the batch fails, and by the next start
// when this run is cut off (killed, a crash, a power cut).
//
// Files and folders the batch would delete are moved aside beside
// themselves (a rename on the same file system) and deleted only when the
// batch commits; what it creates is noted (inside a folder it created, the
// folder alone stands for what it holds); configuration texts are kept as
// they were. Once begun, every change is written to the journal's file in
// the product data folder and synced before it happens, so the file always
// covers what the disk holds; the file goes when the batch has committed
// or been put back. Its layout is in journal_format.h; the next start's
// work in journal_recovery.h.
#pragma once

#include "core/container.h"
#include "core/path.h"
#include "sys/file_system.h"
#include "sys/journal_format.h"

struct SysLockedFile;

class FileJournal : public FileChanges {
public:
    FileJournal() = default;
    FileJournal(const FileJournal&) = delete;
    FileJournal& operator=(const FileJournal&) = delete;
    // A journal neither committed nor rolled back keeps its file for the
    // next start.
    ~FileJournal() override;

    // Starts the journal's file for a batch of the named host. Without it
    // the journal lives in memory only. False when the file cannot be
    // written: the batch must then change nothing.
    bool Begin(const WChar* host);
    // Where the file is (empty before Begin).
    const WString& FilePath() const { return filePath_; }

    // Renamed to "<name>.veldo-old-<pid>-<n>" beside itself; through the
    // admin service (copied and deleted) where the folder refuses it.
    bool MoveAside(const WChar* path) override;
    bool WillCreate(const WChar* path, bool folder) override;
    bool WillCreateFiles(const Container<WPath>& paths) override;
    // A file's text before the batch rewrites it; false when it cannot be
    // noted (the file must then stay as it is).
    bool KeepText(const WChar* path, const NString& text);
    // A folder or file the batch works on, named in what Rollback restored.
    void Touch(const WChar* path);

    // The batch is done: what was moved aside is deleted and the file
    // removed. False when something moved aside could not be deleted (the
    // file then stays, and the next start tries again).
    bool Commit();
    // Puts everything back, newest first. restored: what the batch touched,
    // once each; failed: what could not be put back (the file then stays).
    void Rollback(Container<WString>& restored, Container<WString>& failed);

private:
    bool Note(JournalEntry* entry);
    bool Covered(const WString& native) const;
    void Close(bool remove);

    Container<JournalEntry> entries_;
    Container<WString> touched_;
    SysLockedFile* file_ = nullptr;
    WString filePath_;
};
