// FileJournal: what one batch changed on disk, so that a batch that fails
// can be put back as it was. Files and folders it would delete are moved
// aside beside themselves (a rename on the same file system) and deleted
// only when the batch is done; what it creates is noted; configuration
// texts are kept as they were. Rollback undoes everything, newest first.
#pragma once

#include "cell/core/container.h"
#include "cell/core/path.h"
#include "sys/file_system.h"

class FileJournal : public FileChanges {
public:
    FileJournal() = default;
    FileJournal(const FileJournal&) = delete;
    FileJournal& operator=(const FileJournal&) = delete;

    // Renamed to "<name>.veldo-old-<pid>-<n>" beside itself; through the
    // admin service (copied and deleted) where the folder refuses it.
    bool MoveAside(const WChar* path) override;
    void Created(const WChar* path, bool folder) override;
    // A file's text before the batch rewrote it.
    void KeepText(const WChar* path, const NString& text);
    // A folder or file the batch works on, named in what Rollback restored.
    void Touch(const WChar* path);

    // The batch is done: what was moved aside is deleted.
    void Commit();
    // Puts everything back. restored: what the batch touched, once each;
    // failed: what could not be put back.
    void Rollback(Container<WString>& restored, Container<WString>& failed);

private:
    struct Aside {
        WPath original, aside;
    };
    struct Made {
        WPath path;
        bool folder;
    };
    struct Kept {
        WPath path;
        NString text;
    };
    Container<Aside> aside_;
    Container<Made> made_;
    Container<Kept> kept_;
    Container<WString> touched_;
};
