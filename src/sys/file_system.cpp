// The installer's file work over the platform calls. Sections: listings;
// single paths; folder trees; text files; executables.
#include "sys/file_system.h"

#include <algorithm>
#include <cstring>

#include "core/crc64.h"
#include "core/log.h"
#include "core/text_convert.h"
#include "sys/admin_client.h"
#include "sys/test_points.h"
#include "sys/platform.h"
#include "sys/user_folders.h"

namespace {

struct Native {
    WString path;
    bool ok;
    explicit Native(const WChar* windowsPath) { ok = SysNativePath(windowsPath, path); }
    const WChar* c() const { return path.CStr(); }
};

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
    const Native native(folder);
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
    const Native native(path);
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
    const Native native(path);
    SysFileInfo info;
    return native.ok && SysQueryPath(native.c(), info) == SysStatus::kOk && info.exists;
}

bool IsDirectory(const WChar* path) {
    const Native native(path);
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
                const Native native(prefix.CStr());
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
                const SysStatus s = SysCreateFolder(native.c());
                if (s == SysStatus::kAccessDenied) {
                    if (!IsDirectory(prefix.CStr()) && (!mayElevate || !AdminCreateFolder(native.c()))) return false;
                } else if (s != SysStatus::kOk && s != SysStatus::kExists) {
                    return false;
                }
            }
        }
        start = i + 1;
    }
    return components > 0;
}

bool CopyOneFile(const WChar* source, const WChar* target, bool keepExisting) {
    if (keepExisting && PathExists(target) && !IsDirectory(target)) return true;
    const Native from(source), to(target);
    if (!from.ok || !to.ok) return false;
    const SysStatus s = SysCopyFile(from.c(), to.c());
    if (s == SysStatus::kOk) return true;
    if (s == SysStatus::kAccessDenied) return AdminCopyFile(from.c(), to.c());
    // A full disk or any other failure stops the caller instead of passing
    // for a copy.
    return false;
}

bool DeleteOneFile(const WChar* path) {
    const Native native(path);
    if (!native.ok) return false;
    const SysStatus s = SysDeleteFile(native.c());
    if (s == SysStatus::kOk) return true;
    if (s == SysStatus::kAccessDenied) return AdminDeleteFile(native.c());
    return false;
}

namespace {

// Removes an empty folder, elevated when denied. -1 other failure, 0 denied
// and not cured, 1 removed.
int RemoveOneFolder(const WChar* path) {
    const Native native(path);
    if (!native.ok) return -1;
    const SysStatus s = SysRemoveFolder(native.c());
    if (s == SysStatus::kOk) return 1;
    if (s == SysStatus::kAccessDenied) return AdminRemoveFolder(native.c()) ? 1 : 0;
    return -1;
}

}  // namespace

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
    const Native from(source), to(target);
    if (!from.ok || !to.ok) return false;
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
        SysStatus s = SysCopyFile(in.CStr(), out.CStr());
        if (s == SysStatus::kAccessDenied) s = AdminCopyFile(in.CStr(), out.CStr()) ? SysStatus::kOk : s;
        // A full disk, a source that is no regular file or any other
        // failure stops the caller instead of passing for a copy.
        if (s != SysStatus::kOk) {
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

namespace {

// What a path is: 0 nothing, 1 a file, 2 a folder, 3 a link (to anything;
// one status query).
int PathKind(const WChar* path) {
    const Native native(path);
    SysFileInfo info;
    if (!native.ok || SysQueryPath(native.c(), info) != SysStatus::kOk || !info.exists) return 0;
    if (info.isLink) return 3;
    return info.isFolder ? 2 : 1;
}

}  // namespace

// The source's files first, then its folders, from one reading of it. The
// target may be a link to a folder (a host folder kept elsewhere); links
// below it are never entered.
bool RemoveFolderFiles(const WChar* source, const WChar* target, bool removeFolders, SysIOInfoCallback* callback,
                       FileChanges* changes) {
    const int targetKind = PathKind(target);
    if (targetKind != 2 && !(targetKind == 3 && IsDirectory(target))) return true;  // nothing of the source is there
    Container<Entry> entries;
    if (!ReadFolder(source, entries)) return false;
    for (int32_t i = 0; i < entries.count; ++i) {
        if (entries[i]->isFolder) continue;
        const WPath candidate = Joined(target, entries[i]->name.CStr());
        if (changes) {  // kept aside until the batch is done
            const int kind = PathKind(candidate.CStr());
            if (kind == 0 || kind == 2) continue;
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
        if (s == SysStatus::kAccessDenied && PathKind(candidate.CStr()) != 1) continue;
        if (callback) callback->Report(false, candidate.CStr());
        if (s == SysStatus::kOk) continue;
        if (s != SysStatus::kAccessDenied || !AdminDeleteFile(native.CStr())) return false;
    }
    for (int32_t i = 0; i < entries.count; ++i) {
        if (!entries[i]->isFolder) continue;
        const WPath sub = Joined(target, entries[i]->name.CStr());
        if (PathKind(sub.CStr()) != 2) continue;  // missing, a file, or a link: not ours to enter
        RemoveFolderFiles(Joined(source, entries[i]->name.CStr()).CStr(), sub.CStr(), removeFolders, callback, changes);
        if (removeFolders && PathKind(sub.CStr()) == 2 && !changes) {
            if (callback) callback->Report(false, sub.CStr());
            RemoveOneFolder(sub.CStr());  // stays when it still holds something
        }
    }
    return true;
}

bool DeleteFolderTree(const WChar* folder, SysIOInfoCallback* callback, FileChanges* changes) {
    if (changes) {  // the whole folder aside in one step, until the batch is done
        if (PathKind(folder) == 0) return true;
        if (callback) callback->Report(false, folder);
        return changes->MoveAside(folder);
    }
    if (PathKind(folder) == 3) {  // a link: it goes, what it points to stays
        if (callback) callback->Report(false, folder);
        return DeleteOneFile(folder);
    }
    Container<Entry> entries;
    if (!ReadFolder(folder, entries)) return false;
    const Native native(folder);  // looked up once; its files are reached by name
    if (!native.ok) return false;
    for (int32_t i = 0; i < entries.count; ++i) {
        if (entries[i]->IsRealFolder()) continue;
        if (callback) callback->Report(false, Joined(folder, entries[i]->name.CStr()).CStr());
        const WString file = NativeChild(native.path, entries[i]->name);
        const SysStatus s = SysDeleteFile(file.CStr());
        if (s != SysStatus::kOk && (s != SysStatus::kAccessDenied || !AdminDeleteFile(file.CStr()))) return false;
    }
    for (int32_t i = 0; i < entries.count; ++i)
        if (entries[i]->IsRealFolder() && !DeleteFolderTree(Joined(folder, entries[i]->name.CStr()).CStr(), callback))
            return false;
    if (callback) callback->Report(false, folder);
    return RemoveOneFolder(folder) == 1;
}

// ---- text files ----------------------------------------------------------

int32_t ReadTextFile(const WChar* path, NString& text) {
    const Native native(path);
    if (!native.ok) return kTextNotFound;
    SysFileInfo info;
    const SysStatus q = SysQueryPath(native.c(), info);
    if (q == SysStatus::kNotFound || (q == SysStatus::kOk && (!info.exists || info.isFolder))) return kTextNotFound;
    if (q != SysStatus::kOk) return kTextNoAccess;
    bool opened = false;
    const SysStatus r = SysReadFile(native.c(), text, int64_t(1) << 30, opened);
    if (r == SysStatus::kOk) return kTextOk;
    return opened ? kTextReadFailed : kTextCannotOpen;
}

namespace {

// A kept copy: "<CRC-64 of the file's native path>.veldo-keep" in the
// product data folder, holding the header, the native path in UTF-8 and a
// line feed, then the file's bytes as they were.
//   1  the first layout.
constexpr char kKeptCopyHeader[] = "VELDO kept copy 1\n";
constexpr const WChar* kKeptCopySuffix = WTXT(".veldo-keep");

bool KeptCopyPath(const WString& target, WString& native) {
    WPath folder;
    if (!ProductDataFolder(folder)) return false;
    NString utf8;
    WideToUtf8(target.CStr(), utf8);
    WString name;
    name.Format(0, WTXT("%016llx%s"), (unsigned long long)Crc64(utf8.CStr(), size_t(utf8.Length())), kKeptCopySuffix);
    folder.Join(name.CStr());
    return SysNativePath(folder.CStr(), native);
}

// A complete copy of the file's content, on disk before this returns.
bool KeepCopy(const WString& target, WString& copy) {
    NString old;
    bool opened = false;
    if (SysReadFile(target.CStr(), old, int64_t(1) << 30, opened) != SysStatus::kOk) return false;
    if (!CreateProductDataFolder() || !KeptCopyPath(target, copy)) return false;
    NString content(kKeptCopyHeader);
    NString path;
    WideToUtf8(target.CStr(), path);
    content.Append(path);
    content.AppendChar('\n');
    content.Append(old);
    return SysReplaceFile(copy.CStr(), content.CStr(), content.Length(), opened) == SysStatus::kOk;
}

// Writes the old content back from a kept copy and removes the copy.
bool RestoreFromCopy(const WChar* copy) {
    NString content;
    bool opened = false;
    if (SysReadFile(copy, content, int64_t(1) << 30, opened) != SysStatus::kOk) return false;
    const int32_t header = int32_t(sizeof kKeptCopyHeader - 1);
    if (content.Length() < header || std::memcmp(content.CStr(), kKeptCopyHeader, size_t(header)) != 0) return false;
    const int32_t lineEnd = content.Find("\n", header);
    if (lineEnd < 0) return false;
    const NString pathUtf8(content.CStr() + header, lineEnd - header);
    WString target;
    Utf8ToWide(pathUtf8.CStr(), target);
    const char* bytes = content.CStr() + lineEnd + 1;
    if (SysWriteInPlace(target.CStr(), bytes, content.Length() - lineEnd - 1, opened) != SysStatus::kOk) return false;
    LogLine(WTXT("Restored %s from the copy kept in %s"), target, copy);
    return SysDeleteFile(copy) == SysStatus::kOk;
}

// The folder refuses a new file, or the file has other names: rewritten in
// place, with its old content kept until the write has finished.
int32_t WriteInPlace(const WString& target, bool existed, const void* bytes, int64_t n) {
    WString copy;
    if (existed) {
        if (!KeepCopy(target, copy)) {
            LogLine(WTXT("Cannot keep a copy of %s before rewriting it, so it stays as it is"), target);
            return kTextCannotCreate;
        }
        LogLine(WTXT("Rewriting %s in place; its old content is kept in %s meanwhile"), target, copy);
    }
    bool opened = false;
    const SysStatus s = SysWriteInPlace(target.CStr(), bytes, n, opened);
    if (!existed) return s == SysStatus::kOk ? kTextOk : opened ? kTextWriteFailed : kTextCannotCreate;
    if (s == SysStatus::kOk) {
        SysDeleteFile(copy.CStr());
        return kTextOk;
    }
    RestoreFromCopy(copy.CStr());  // a write that failed half-way leaves the old text, not a torn one
    return opened ? kTextWriteFailed : kTextCannotCreate;
}

}  // namespace

int32_t WriteTextFile(const WChar* path, const NString& text) { return WriteWholeFile(path, text.CStr(), text.Length()); }

int32_t WriteWholeFile(const WChar* path, const void* bytes, int64_t n) {
    const Native native(path);
    if (!native.ok) return kTextCannotCreate;
    // A link is written through: the file it points to gets the text.
    WString target;
    SysFileInfo info;
    const bool exists = SysQueryPath(native.c(), info) == SysStatus::kOk && info.exists;
    if (exists) {
        if (!SysResolveLinks(native.c(), target) || info.isFolder) return kTextCannotCreate;
        if (!SysMayWrite(target.CStr())) return kTextCannotCreate;  // read-only or someone else's: left alone
    } else {
        target = native.path;
    }
    if (exists && info.links > 1) return WriteInPlace(target, true, bytes, n);  // a new file would part the names
    bool opened = false;
    const SysStatus s = SysReplaceFile(target.CStr(), bytes, n, opened);
    if (s == SysStatus::kOk) return kTextOk;
    if (s == SysStatus::kAccessDenied && !opened) return WriteInPlace(target, exists, bytes, n);
    return opened ? kTextWriteFailed : kTextCannotCreate;
}

void RestoreKeptCopies() {
    WPath folder;
    if (!ProductDataFolder(folder)) return;
    Container<WFILE> copies;
    ListFiles(folder.CStr(), WTXT("*.veldo-keep"), false, copies);
    for (int32_t i = 0; i < copies.count; ++i) {
        const Native copy(copies[i]->path.CStr());
        if (copy.ok && !RestoreFromCopy(copy.c())) LogLine(WTXT("Cannot restore from the kept copy %s"), copy.path);
    }
}

bool CreateProductDataFolder() {
    WPath path;
    return ProductDataFolder(path) && CreateDirectoryPath(path.CStr(), false);
}

// ---- executables -----------------------------------------------------------

int32_t ExecutableBitness(const WChar* path) {
    const Native native(path);
    if (!native.ok) return -1;
    uint8_t head[512];
    int64_t count = 0;
    if (SysReadFileHead(native.c(), head, sizeof head, count) != SysStatus::kOk || count < 512) return -1;
    for (int i = 0; i <= 505; ++i) {
        if (head[i] != 'P' || head[i + 1] != 'E' || head[i + 2] != 0 || head[i + 3] != 0) continue;
        if (head[i + 4] == 0x64 && head[i + 5] == 0x86) return 64;
        if (head[i + 4] == 0x4C) return 32;
    }
    return -1;
}
