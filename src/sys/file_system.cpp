// The installer's file work over the platform calls. Sections: the rule for
// refusals; listings; single paths; folder trees.
#include "sys/file_system.h"

#include <algorithm>
#include <cstring>

#include "core/log.h"
#include "sys/admin_client.h"
#include "sys/native_path.h"
#include "sys/packed_payload.h"
#include "sys/payload_archive.h"
#include "sys/platform.h"
#include "sys/test_points.h"
#include "sys/user_folders.h"

namespace {

struct Entry {
    WString name;
    bool isFolder;  // for a link: what it points to
    bool isLink;
    // A folder to go into; a link, even to a folder, is never entered when
    // deleting: it goes as itself, and what it points to stays.
    bool IsRealFolder() const { return isFolder && !isLink; }
};

// The entries of a folder, sorted by name so that work runs in a stable
// order; false when the folder could not be read (whatever was read stays).
bool ReadFolder(const WChar* folder, Container<Entry>& out) {
    if (PackedPathKind(folder) != PackedKind::kOutside) {
        const bool ok = ListPackedFolder(folder, [&](const WChar* name, bool isFolder) {
            out.Add(new Entry{WString(name), isFolder, false}, 64);
        });
        std::sort(out.items, out.items + out.count,
                  [](const Entry* a, const Entry* b) { return WCompare(a->name.CStr(), b->name.CStr()) < 0; });
        return ok;
    }
    const NativePath native(folder);
    if (!native.ok) return false;
    const SysStatus s = SysListFolder(
        native.c(),
        [](void* context, const WChar* name, bool isFolder, bool isLink) {
            auto* list = static_cast<Container<Entry>*>(context);
            list->Add(new Entry{WString(name), isFolder, isLink}, 64);
        },
        &out);
    std::sort(out.items, out.items + out.count,
              [](const Entry* a, const Entry* b) { return WCompare(a->name.CStr(), b->name.CStr()) < 0; });
    return s == SysStatus::kOk;
}

WPath Joined(const WChar* folder, const WChar* name) {
    WPath p(folder);
    p.Join(name);
    return p;
}

// ---- the rule for refusals -----------------------------------------------

// What every file operation here does with a platform call's answer: a
// refusal (access denied) is asked once more of the elevated admin service,
// whose answer counts; any other failure stands.
template <class Admin>
SysStatus OrThroughService(SysStatus s, Admin&& admin) {
    return s == SysStatus::kAccessDenied && admin() ? SysStatus::kOk : s;
}

SysStatus CopyNative(const WChar* from, const WChar* to) {
    return OrThroughService(SysCopyFile(from, to), [&] { return AdminCopyFile(from, to); });
}

// A file of the packed payload to a native path; the service, where it is
// needed, copies it from a staged file of the user's own.
SysStatus CopyPacked(const PayloadEntry& from, const WChar* to) {
    return OrThroughService(WritePackedFile(from, to), [&] {
        WString staged;
        if (!StagePackedFile(from, staged)) return false;
        const bool copied = AdminCopyFile(staged.CStr(), to);
        SysDeleteFile(staged.CStr());
        return copied;
    });
}

// The file at a source path (the packed payload's or a native one, whose
// native form is given) copied to a native path.
SysStatus CopyFrom(const WChar* source, const WChar* nativeSource, const WChar* to) {
    if (PackedPathKind(source) == PackedKind::kOutside) return CopyNative(nativeSource, to);
    const PayloadEntry* entry = PackedFile(source);
    return entry ? CopyPacked(*entry, to) : SysStatus::kNotFound;
}

SysStatus DeleteNative(const WChar* file) {
    return OrThroughService(SysDeleteFile(file), [&] { return AdminDeleteFile(file); });
}

// Removes an empty folder; one that still holds something stays.
bool RemoveOneFolder(const WChar* path) {
    const NativePath native(path);
    return native.ok &&
           OrThroughService(SysRemoveFolder(native.c()), [&] { return AdminRemoveFolder(native.c()); }) ==
               SysStatus::kOk;
}

}  // namespace

// ---- listings ------------------------------------------------------------

bool WildcardMatch(const WChar* pattern, const WChar* name) {
    if (WCompare(pattern, WTXT("*.*")) == 0 || WCompare(pattern, WTXT("*")) == 0) return true;
    const WChar* p = pattern;
    const WChar* n = name;
    const WChar* star = nullptr;
    const WChar* resume = nullptr;
    while (*n) {
        if (*p == WChar('*')) {
            star = p++;
            resume = n;
        } else if (*p == WChar('?') || (*p && WFoldCase(*p) == WFoldCase(*n))) {
            ++p;
            ++n;
        } else if (star) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (*p == WChar('*')) ++p;
    return *p == 0;
}

bool ListFiles(const WChar* folder, const WChar* pattern, bool recursive, Container<WFILE>& out) {
    Container<Entry> entries;
    bool ok = ReadFolder(folder, entries);
    for (int32_t i = 0; i < entries.count; ++i) {
        const Entry* e = entries[i];
        if (e->isFolder || !WildcardMatch(pattern, e->name.CStr())) continue;
        out.Add(new WFILE(Joined(folder, e->name.CStr()), e->name), 64);
    }
    if (!recursive) return ok;
    for (int32_t i = 0; i < entries.count; ++i)
        if (entries[i]->isFolder) ok = ListFiles(Joined(folder, entries[i]->name.CStr()).CStr(), pattern, true, out) && ok;
    return ok;
}

bool ListFolders(const WChar* folder, const WChar* pattern, bool recursive, Container<WDIR>& out) {
    Container<Entry> entries;
    bool ok = ReadFolder(folder, entries);
    for (int32_t i = 0; i < entries.count; ++i) {
        const Entry* e = entries[i];
        if (!e->isFolder) continue;
        const WPath sub = Joined(folder, e->name.CStr());
        if (WildcardMatch(pattern, e->name.CStr())) out.Add(new WDIR(sub, e->name), 64);
        if (recursive) ok = ListFolders(sub.CStr(), pattern, true, out) && ok;
    }
    return ok;
}

int64_t FileBytes(const WChar* path) {
    if (PackedPathKind(path) != PackedKind::kOutside) {
        const PayloadEntry* entry = PackedFile(path);
        return entry ? int64_t(entry->size) : -1;
    }
    const NativePath native(path);
    SysFileInfo info;
    if (!native.ok || SysQueryPath(native.c(), info) != SysStatus::kOk || !info.exists || info.isFolder) return -1;
    return info.size;
}

bool CanListFolder(const WChar* folder) {
    Container<Entry> entries;
    return ReadFolder(folder, entries);
}

// ---- single paths ----------------------------------------------------------

bool PathExists(const WChar* path) {
    if (const PackedKind packed = PackedPathKind(path); packed != PackedKind::kOutside)
        return packed != PackedKind::kNothing;
    const NativePath native(path);
    SysFileInfo info;
    return native.ok && SysQueryPath(native.c(), info) == SysStatus::kOk && info.exists;
}

bool IsDirectory(const WChar* path) {
    if (const PackedKind packed = PackedPathKind(path); packed != PackedKind::kOutside)
        return packed == PackedKind::kFolder;
    const NativePath native(path);
    SysFileInfo info;
    return native.ok && SysQueryPath(native.c(), info) == SysStatus::kOk && info.isFolder;
}

bool CreateDirectoryPath(const WChar* path, bool mayElevate, FileChanges* changes) {
    // Components between separators; a leading separator keeps the root.
    const size_t n = WLen(path);
    WString prefix;
    if (n > 0 && (path[0] == WChar('\\') || path[0] == WChar('/'))) prefix.AppendChar(path[0]);
    const bool unixStyle = n > 0 && path[0] == WChar('/');
    int components = 0;
    size_t start = 0;
    for (size_t i = 0; i <= n; ++i) {
        if (i < n && path[i] != WChar('\\') && path[i] != WChar('/')) continue;
        if (i > start) {
            if (components > 0) prefix.AppendChar(unixStyle ? WChar('/') : WChar('\\'));
            prefix.Append(path + start, int32_t(i - start));
            ++components;
            bool drive = false;
            for (size_t k = start; k < i; ++k) drive = drive || path[k] == WChar(':');
            if (!drive) {
                const NativePath native(prefix.CStr());
                if (!native.ok) return false;
                // Noted only where nothing stands: a folder that was there
                // before is never the batch's to delete.
                // A folder that cannot be looked at (a parent the user may
                // not search) may be there: it is not noted, so that no
                // putting back ever deletes it.
                if (changes) {
                    SysFileInfo info;
                    if (SysQueryPath(native.c(), info) == SysStatus::kNotFound &&
                        !changes->WillCreate(prefix.CStr(), true))
                        return false;
                }
                // A refusal where the folder already stands (a parent the
                // user may not write) is no failure.
                SysStatus s = SysCreateFolder(native.c());
                if (s == SysStatus::kAccessDenied && IsDirectory(prefix.CStr())) s = SysStatus::kExists;
                if (mayElevate) s = OrThroughService(s, [&] { return AdminCreateFolder(native.c()); });
                if (s != SysStatus::kOk && s != SysStatus::kExists) return false;
            }
        }
        start = i + 1;
    }
    return components > 0;
}

bool CopyOneFile(const WChar* source, const WChar* target, bool keepExisting) {
    if (keepExisting && PathExists(target) && !IsDirectory(target)) return true;
    const NativePath from(source), to(target);
    if (!to.ok || (!from.ok && PackedPathKind(source) == PackedKind::kOutside)) return false;
    // A full disk or any other failure stops the caller instead of passing
    // for a copy.
    return CopyFrom(source, from.c(), to.c()) == SysStatus::kOk;
}

bool DeleteOneFile(const WChar* path) {
    const NativePath native(path);
    if (!native.ok) return false;
    return DeleteNative(native.c()) == SysStatus::kOk;
}

PathKind KindOfPath(const WChar* path) {
    switch (PackedPathKind(path)) {
        case PackedKind::kOutside: break;
        case PackedKind::kNothing: return PathKind::kNothing;
        case PackedKind::kFile: return PathKind::kFile;
        case PackedKind::kFolder: return PathKind::kFolder;
    }
    const NativePath native(path);
    SysFileInfo info;
    if (!native.ok || SysQueryPath(native.c(), info) != SysStatus::kOk || !info.exists) return PathKind::kNothing;
    if (info.isLink) return PathKind::kLink;
    return info.isFolder ? PathKind::kFolder : PathKind::kFile;
}

bool CreateProductDataFolder() {
    WPath path;
    return ProductDataFolder(path) && CreateDirectoryPath(path.CStr(), false);
}

// ---- folder trees ----------------------------------------------------------

namespace {

// The native form of a path inside a native folder: its separator, then
// the name as it is spelled (the folder was looked up once already).
WString NativeChild(const WString& folder, const WString& name) {
    WString child(folder);
    child.AppendChar(folder.Length() > 0 && folder[0] == WChar('/') ? WChar('/') : WChar('\\'));
    child.Append(name);
    return child;
}

}  // namespace

// Each folder is looked up once; its files are reached from there by name.
// With changes, three passes over the folder's files: what stands in the
// way is moved aside, the new files are noted (one sync for the folder),
// then they are copied.
bool CopyFolderTree(const WChar* source, const WChar* target, bool keepExisting, SysIOInfoCallback* callback,
                    FileChanges* changes) {
    Container<Entry> entries;
    if (!ReadFolder(source, entries)) return false;
    const bool packed = PackedPathKind(source) != PackedKind::kOutside;  // no native form
    const NativePath from(source), to(target);
    if ((!from.ok && !packed) || !to.ok) return false;
    DynamicArray<uint8_t> skip;  // per entry: a file kept as it is
    skip.Resize(entries.count);
    Container<WPath> created;
    for (int32_t i = 0; i < entries.count; ++i) {
        skip[i] = 0;
        const Entry& e = *entries[i];
        if (e.isFolder) continue;
        SysFileInfo there;
        const WString out = NativeChild(to.path, e.name);
        const SysStatus looked = SysQueryPath(out.CStr(), there);
        const bool exists = looked == SysStatus::kOk && there.exists;
        if (exists && keepExisting && !there.isFolder) {
            skip[i] = 1;
            continue;
        }
        if (!changes) continue;
        const WPath destination = Joined(target, e.name.CStr());
        // A folder where a file should go is the user's, and so is what
        // cannot be looked at: the copy fails on it, before anything is
        // noted that putting back would delete. A file (or link) in the
        // way is kept aside.
        if ((exists && there.isFolder && !there.isLink) || (looked != SysStatus::kOk && looked != SysStatus::kNotFound)) {
            if (callback) callback->CopyFailed(Joined(source, e.name.CStr()).CStr());
            return false;
        }
        if (exists && !changes->MoveAside(destination.CStr())) return false;
        created.Add(new WPath(destination), 64);
    }
    if (changes && !changes->WillCreateFiles(created)) return false;
    for (int32_t i = 0; i < entries.count; ++i) {
        const Entry& e = *entries[i];
        if (e.isFolder || skip[i]) continue;
        const WPath destination = Joined(target, e.name.CStr());
        if (callback) callback->Report(true, destination.CStr());
        const WString in = NativeChild(from.path, e.name), out = NativeChild(to.path, e.name);
        // A full disk, a source that is no regular file or any other
        // failure stops the caller instead of passing for a copy.
        const SysStatus copied = packed ? CopyFrom(Joined(source, e.name.CStr()).CStr(), nullptr, out.CStr())
                                        : CopyNative(in.CStr(), out.CStr());
        if (copied != SysStatus::kOk) {
            if (callback) callback->CopyFailed(Joined(source, e.name.CStr()).CStr());
            return false;
        }
        TestPoint("copied");
        if (callback) {
            SysFileInfo copied;
            callback->Copied(destination.CStr(), SysQueryPath(out.CStr(), copied) == SysStatus::kOk ? copied.size : 0);
        }
    }
    for (int32_t i = 0; i < entries.count; ++i) {
        const Entry& e = *entries[i];
        if (!e.isFolder) continue;
        const WPath destination = Joined(target, e.name.CStr());
        if (!IsDirectory(destination.CStr())) {
            if (callback) callback->Report(true, destination.CStr());
            if (!CreateDirectoryPath(destination.CStr(), true, changes)) return false;
        }
        if (!CopyFolderTree(Joined(source, e.name.CStr()).CStr(), destination.CStr(), keepExisting, callback, changes))
            return false;
    }
    return true;
}

// The source's files first, then its folders, from one reading of it. The
// target may be a link to a folder (a host folder kept elsewhere); links
// below it are never entered.
bool RemoveFolderFiles(const WChar* source, const WChar* target, bool removeFolders, SysIOInfoCallback* callback,
                       FileChanges* changes) {
    const PathKind targetKind = KindOfPath(target);
    if (targetKind != PathKind::kFolder && !(targetKind == PathKind::kLink && IsDirectory(target)))
        return true;  // nothing of the source is there
    Container<Entry> entries;
    if (!ReadFolder(source, entries)) return false;
    for (int32_t i = 0; i < entries.count; ++i) {
        if (entries[i]->isFolder) continue;
        const WPath candidate = Joined(target, entries[i]->name.CStr());
        if (changes) {  // kept aside until the batch is done
            const PathKind kind = KindOfPath(candidate.CStr());
            if (kind == PathKind::kNothing || kind == PathKind::kFolder) continue;
            if (callback) callback->Report(false, candidate.CStr());
            if (!changes->MoveAside(candidate.CStr())) return false;
            continue;
        }
        // Deleting tells at once whether the candidate is there and is a
        // file; only a refusal needs a closer look.
        WString native;
        SysStatus s = SysSpelledPath(candidate.CStr(), native) ? SysDeleteFile(native.CStr()) : SysStatus::kNotFound;
        if (s == SysStatus::kNotFound) {  // perhaps spelled in another case
            if (!SysNativePath(candidate.CStr(), native)) continue;
            s = SysDeleteFile(native.CStr());
        }
        if (s == SysStatus::kNotFound || s == SysStatus::kIsFolder) continue;
        if (s == SysStatus::kAccessDenied && KindOfPath(candidate.CStr()) != PathKind::kFile) continue;
        if (callback) callback->Report(false, candidate.CStr());
        if (OrThroughService(s, [&] { return AdminDeleteFile(native.CStr()); }) != SysStatus::kOk) return false;
    }
    for (int32_t i = 0; i < entries.count; ++i) {
        if (!entries[i]->isFolder) continue;
        const WPath sub = Joined(target, entries[i]->name.CStr());
        if (KindOfPath(sub.CStr()) != PathKind::kFolder) continue;  // missing, a file, or a link: not ours to enter
        RemoveFolderFiles(Joined(source, entries[i]->name.CStr()).CStr(), sub.CStr(), removeFolders, callback, changes);
        if (removeFolders && KindOfPath(sub.CStr()) == PathKind::kFolder && !changes) {
            if (callback) callback->Report(false, sub.CStr());
            RemoveOneFolder(sub.CStr());  // stays when it still holds something
        }
    }
    return true;
}

bool DeleteFolderTree(const WChar* folder, SysIOInfoCallback* callback, FileChanges* changes) {
    if (changes) {  // the whole folder aside in one step, until the batch is done
        if (KindOfPath(folder) == PathKind::kNothing) return true;
        if (callback) callback->Report(false, folder);
        return changes->MoveAside(folder);
    }
    if (KindOfPath(folder) == PathKind::kLink) {  // a link: it goes, what it points to stays
        if (callback) callback->Report(false, folder);
        return DeleteOneFile(folder);
    }
    Container<Entry> entries;
    if (!ReadFolder(folder, entries)) return false;
    const NativePath native(folder);  // looked up once; its files are reached by name
    if (!native.ok) return false;
    for (int32_t i = 0; i < entries.count; ++i) {
        if (entries[i]->IsRealFolder()) continue;
        if (callback) callback->Report(false, Joined(folder, entries[i]->name.CStr()).CStr());
        if (DeleteNative(NativeChild(native.path, entries[i]->name).CStr()) != SysStatus::kOk) return false;
    }
    for (int32_t i = 0; i < entries.count; ++i)
        if (entries[i]->IsRealFolder() && !DeleteFolderTree(Joined(folder, entries[i]->name.CStr()).CStr(), callback))
            return false;
    if (callback) callback->Report(false, folder);
    return RemoveOneFolder(folder);
}
