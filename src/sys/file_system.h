// File-system work of the installer: listings, single paths, and folder
// trees copied and removed with per-file progress (whole text files are in
// text_files.h). Paths are Windows paths. Every access-denied failure is
// retried once through the elevated admin service.
#pragma once

#include <cstdint>

#include "core/container.h"
#include "core/path.h"

// One file or folder found by a listing: its full path and its bare name.
struct WFILE {
    WPath path;
    WString name;
    WFILE(const WPath& p, const WString& n) : path(p), name(n) {}
    virtual ~WFILE() = default;
};

struct WDIR {
    WPath path;
    WString name;
    WDIR(const WPath& p, const WString& n) : path(p), name(n) {}
    virtual ~WDIR() = default;
};

// Progress of the folder operations: created true means a file or folder is
// about to be created at path, false that path is about to be deleted.
class SysIOInfoCallback {
public:
    virtual ~SysIOInfoCallback() = default;
    virtual void Report(bool created, const WChar* path) = 0;
    // A file copied whole to path, bytes long (a copy's progress).
    virtual void Copied(const WChar* path, int64_t bytes) {
        (void)path;
        (void)bytes;
    }
    // The payload file at path could not be copied (the copy stops there).
    virtual void CopyFailed(const WChar* path) { (void)path; }
};

// Where the folder operations record what they change when a change must
// be undoable (see file_journal.h): what would be deleted is moved aside
// instead, and what they create is noted.
// Each is noted before the change it describes happens; false means it
// could not be noted, and the change must not happen.
class FileChanges {
public:
    virtual ~FileChanges() = default;
    // Moves a file, folder or link out of the way (false when it cannot).
    virtual bool MoveAside(const WChar* path) = 0;
    // path, where nothing stands now, is about to be created.
    virtual bool WillCreate(const WChar* path, bool folder) = 0;
    // The same for several files at once.
    virtual bool WillCreateFiles(const Container<WPath>& paths) = 0;
};

// "*" matches any run, "?" one character, ignoring case; "*.*" matches all.
bool WildcardMatch(const WChar* pattern, const WChar* name);

// Listings add what they find; false when a folder could not be read.
bool ListFiles(const WChar* folder, const WChar* pattern, bool recursive, Container<WFILE>& out);
bool ListFolders(const WChar* folder, const WChar* pattern, bool recursive, Container<WDIR>& out);
// A file's size in bytes; -1 when it cannot be read.
int64_t FileBytes(const WChar* path);
// The folder exists and can be read.
bool CanListFolder(const WChar* folder);

bool PathExists(const WChar* path);
bool IsDirectory(const WChar* path);
// What stands at a path, from one status query; a link is a link whatever
// it points to.
enum class PathKind { kNothing, kFile, kFolder, kLink };
PathKind KindOfPath(const WChar* path);
// Every missing folder of the path; one refused with access denied is made
// through the admin service unless mayElevate is false (the user's own
// folders, where asking for elevation would make no sense).
bool CreateDirectoryPath(const WChar* path, bool mayElevate = true, FileChanges* changes = nullptr);
bool CopyOneFile(const WChar* source, const WChar* target, bool keepExisting);
// Only regular files are copied: anything else in the source (a FIFO, a
// device) fails the copy, named to the callback. With changes, a file the
// copy would overwrite is moved aside first, and what is copied and created
// is noted.
bool CopyFolderTree(const WChar* source, const WChar* target, bool keepExisting, SysIOInfoCallback* callback,
                    FileChanges* changes = nullptr);
// With changes, the files are moved aside instead of deleted.
bool RemoveFolderFiles(const WChar* source, const WChar* target, bool removeFolders, SysIOInfoCallback* callback,
                       FileChanges* changes = nullptr);
// Symbolic links are deleted as themselves: what they point to stays. With
// changes, the folder is moved aside whole instead.
bool DeleteFolderTree(const WChar* folder, SysIOInfoCallback* callback, FileChanges* changes = nullptr);
bool DeleteOneFile(const WChar* path);

// Makes the product data folder and those above it in the profile, as the
// user (these are the user's own folders: never through elevation).
bool CreateProductDataFolder();

