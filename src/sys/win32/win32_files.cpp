// Files and folders on Windows: the wide file calls, access denied from
// GetLastError.
#include <windows.h>

#include <atomic>

#include "sys/platform.h"
#include "sys/sibling_names.h"
#include "sys/win32/win32_locked_file.h"
#include "sys/win32/win32_status.h"

namespace {

SysStatus LastStatus() { return Win32Status(GetLastError()); }

bool WriteAll(HANDLE file, const void* bytes, int64_t n) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    while (n > 0) {
        DWORD written = 0;
        const DWORD chunk = DWORD(n > (1 << 30) ? (1 << 30) : n);
        if (!WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        n -= written;
    }
    return true;
}

}  // namespace

namespace {

// A file time (100 ns steps since 1601) as seconds since 1970.
int64_t UnixSeconds(const FILETIME& t) {
    constexpr int64_t kStepsPerSecond = 10000000, kSecondsFrom1601To1970 = 11644473600LL;
    const int64_t steps = int64_t(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime);
    return steps / kStepsPerSecond - kSecondsFrom1601To1970;
}

}  // namespace

SysStatus SysQueryPath(const WChar* native, SysFileInfo& info) {
    info = SysFileInfo{};
    WIN32_FILE_ATTRIBUTE_DATA own;
    if (!GetFileAttributesExW(native, GetFileExInfoStandard, &own)) return LastStatus();
    info.exists = true;
    info.isLink = Win32IsLink(own.dwFileAttributes);
    // Described by what it points to: opened through the link.
    HANDLE file = CreateFileW(native, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (info.isLink) return SysStatus::kOk;  // points nowhere
        info.isFolder = (own.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        info.size = int64_t(own.nFileSizeHigh) << 32 | own.nFileSizeLow;
        info.modified = UnixSeconds(own.ftLastWriteTime);
        return SysStatus::kOk;
    }
    BY_HANDLE_FILE_INFORMATION target;
    if (GetFileInformationByHandle(file, &target)) {
        info.isFolder = (target.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        info.size = int64_t(target.nFileSizeHigh) << 32 | target.nFileSizeLow;
        info.links = int64_t(target.nNumberOfLinks);
        info.modified = UnixSeconds(target.ftLastWriteTime);
    }
    CloseHandle(file);
    return SysStatus::kOk;
}

bool SysResolveLinks(const WChar* native, WString& resolved) {
    HANDLE file = CreateFileW(native, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    WChar buffer[MAX_PATH * 4];
    const DWORD n = GetFinalPathNameByHandleW(file, buffer, DWORD(sizeof buffer / sizeof buffer[0]), FILE_NAME_NORMALIZED);
    CloseHandle(file);
    if (n == 0 || n >= sizeof buffer / sizeof buffer[0]) return false;
    // "\\?\C:\..." is the drive path.
    const WChar* path = buffer;
    if (n > 4 && buffer[0] == L'\\' && buffer[1] == L'\\' && buffer[2] == L'?' && buffer[3] == L'\\') path += 4;
    resolved.Assign(path);
    return true;
}

bool SysMayWrite(const WChar* native) {
    const DWORD attributes = GetFileAttributesW(native);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    HANDLE file = CreateFileW(native, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

SysStatus SysListFolder(const WChar* native, SysListVisitor visit, void* context) {
    WString pattern(native);
    pattern.Append(WTXT("\\*"));
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileExW(pattern.CStr(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND ? SysStatus::kOk : Win32Status(e);  // an empty drive root
    }
    do {
        const WChar* name = entry.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
        const bool link = Win32IsLink(entry.dwFileAttributes);
        bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (link) {
            WString full(native);
            full.Append(WTXT("\\"));
            full.Append(name);
            SysFileInfo target;
            folder = SysQueryPath(full.CStr(), target) == SysStatus::kOk && target.isFolder;
        }
        visit(context, name, folder, link);
    } while (FindNextFileW(find, &entry));
    const DWORD e = GetLastError();
    FindClose(find);
    return e == ERROR_NO_MORE_FILES ? SysStatus::kOk : Win32Status(e);
}

SysStatus SysCreateFolder(const WChar* native) {
    return CreateDirectoryW(native, nullptr) ? SysStatus::kOk : LastStatus();
}

SysStatus SysRemoveFolder(const WChar* native) {
    return RemoveDirectoryW(native) ? SysStatus::kOk : LastStatus();
}

SysStatus SysRenamePath(const WChar* from, const WChar* to) {
    // A fresh target name: one that exists is refused, not replaced.
    return MoveFileExW(from, to, 0) ? SysStatus::kOk : LastStatus();
}

SysStatus SysRenameOver(const WChar* from, const WChar* to) {
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? SysStatus::kOk : LastStatus();
}

// Deepest first; a link (a reparse point) goes as itself, never entered.
SysStatus SysDeleteTree(const WChar* native) {
    const DWORD attributes = GetFileAttributesW(native);
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastStatus();
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return SysDeleteFile(native);
    if (Win32IsLink(attributes)) return SysRemoveFolder(native);
    struct Walk {
        WString folder;
        SysStatus status = SysStatus::kOk;
    } walk{WString(native)};
    const SysStatus listed = SysListFolder(
        native,
        [](void* context, const WChar* name, bool, bool) {
            auto& w = *static_cast<Walk*>(context);
            if (w.status != SysStatus::kOk) return;
            WString child(w.folder);
            child.Append(WTXT("\\"));
            child.Append(name);
            w.status = SysDeleteTree(child.CStr());
        },
        &walk);
    if (listed != SysStatus::kOk) return listed;
    if (walk.status != SysStatus::kOk) return walk.status;
    return SysRemoveFolder(native);
}

SysStatus SysDeleteFile(const WChar* native) {
    const DWORD attributes = GetFileAttributesW(native);
    // A link to a folder is removed as the folder entry it is.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) && Win32IsLink(attributes))
        return SysRemoveFolder(native);
    return DeleteFileW(native) ? SysStatus::kOk : LastStatus();
}

SysStatus SysCopyFile(const WChar* source, const WChar* target) {
    return CopyFileW(source, target, FALSE) ? SysStatus::kOk : LastStatus();
}

SysStatus SysReadFile(const WChar* native, NString& bytes, int64_t maxBytes, bool& opened) {
    opened = false;
    HANDLE file = CreateFileW(native, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastStatus();
    opened = true;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > maxBytes || size.QuadPart > INT32_MAX - 1) {
        CloseHandle(file);
        return SysStatus::kFailed;
    }
    DynamicArray<char> buffer;
    buffer.Resize(int32_t(size.QuadPart) + 1);
    int64_t got = 0;
    while (got < size.QuadPart) {
        DWORD n = 0;
        if (!ReadFile(file, buffer.data + got, DWORD(size.QuadPart - got), &n, nullptr) || n == 0) break;
        got += n;
    }
    CloseHandle(file);
    if (got != size.QuadPart) return SysStatus::kFailed;
    bytes.Assign(buffer.data, int32_t(got));
    return SysStatus::kOk;
}

SysStatus SysReadFileHead(const WChar* native, void* buffer, int64_t n, int64_t& count) {
    count = 0;
    HANDLE file = CreateFileW(native, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastStatus();
    auto* p = static_cast<uint8_t*>(buffer);
    while (count < n) {
        DWORD r = 0;
        if (!ReadFile(file, p + count, DWORD(n - count), &r, nullptr) || r == 0) break;
        count += r;
    }
    CloseHandle(file);
    return SysStatus::kOk;
}

namespace {

// A fresh file beside path for the new content ("<file>.veldo-new-<pid>-<n>").
HANDLE CreateSibling(const WChar* path, WString& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        NextSiblingName(path, SiblingKind::kNew, name);
        HANDLE file = CreateFileW(name.CStr(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

// New files beside path that a run left when it was killed before renaming
// them: their process is gone. Those of live processes are theirs.
void RemoveLeftoverSiblings(const WChar* path) {
    WString pattern(path);
    const int32_t nameStart = [&] {
        int32_t at = 0;
        for (int32_t i = 0; path[i]; ++i)
            if (path[i] == L'\\' || path[i] == L'/') at = i + 1;
        return at;
    }();
    WString folder(path, nameStart);
    const size_t baseLength = size_t(pattern.Length() - nameStart);
    pattern.Append(WTXT("*"));
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(pattern.CStr(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        // The pattern matches the name's start without regard to case (or
        // through its short name: then it may be shorter).
        uint32_t pid = 0;
        if (wcslen(entry.cFileName) < baseLength ||
            !IsSiblingSuffix(entry.cFileName + baseLength, SiblingKind::kNew, pid) || pid == GetCurrentProcessId() ||
            SysProcessExists(pid))
            continue;
        WString leftover(folder);
        leftover.Append(entry.cFileName);
        DeleteFileW(leftover.CStr());
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

}  // namespace

SysStatus SysReplaceFile(const WChar* native, const void* bytes, int64_t n, bool& opened) {
    opened = false;
    const DWORD attributes = GetFileAttributesW(native);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return SysStatus::kFailed;
    RemoveLeftoverSiblings(native);
    // The new content goes to a new file beside the old one and replaces it
    // only once it is complete and on disk.
    WString temp;
    HANDLE file = CreateSibling(native, temp);
    if (file == INVALID_HANDLE_VALUE) return LastStatus();
    opened = true;
    bool ok = WriteAll(file, bytes, n) && FlushFileBuffers(file);
    DWORD e = ok ? 0 : GetLastError();
    CloseHandle(file);
    // ReplaceFileW keeps the old file's attributes, security and owner.
    if (ok && attributes != INVALID_FILE_ATTRIBUTES &&
        ReplaceFileW(native, temp.CStr(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return SysStatus::kOk;
    if (ok && attributes == INVALID_FILE_ATTRIBUTES && MoveFileExW(temp.CStr(), native, MOVEFILE_WRITE_THROUGH))
        return SysStatus::kOk;
    if (ok) e = GetLastError();
    DeleteFileW(temp.CStr());
    return Win32Status(e == 0 ? ERROR_WRITE_FAULT : e);
}

SysStatus SysWriteInPlace(const WChar* native, const void* bytes, int64_t n, bool& opened) {
    opened = false;
    HANDLE file = CreateFileW(native, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastStatus();
    opened = true;
    const bool ok = WriteAll(file, bytes, n) && FlushFileBuffers(file);
    const DWORD e = ok ? 0 : GetLastError();
    CloseHandle(file);
    return ok ? SysStatus::kOk : Win32Status(e);
}

SysStatus SysAppendFile(const WChar* native, const void* bytes, int64_t n, bool truncate) {
    HANDLE file = CreateFileW(native, truncate ? GENERIC_WRITE : FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, truncate ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastStatus();
    const bool ok = WriteAll(file, bytes, n);
    const DWORD e = ok ? 0 : GetLastError();
    CloseHandle(file);
    return ok ? SysStatus::kOk : Win32Status(e);
}

// ---- locked files ----------------------------------------------------------
//
// The lock is the handle itself, opened without sharing: another process's
// open fails with a sharing violation until this one's handle closes, which
// the system does when the process ends.

namespace {

constexpr DWORD kLockedAccess = GENERIC_READ | GENERIC_WRITE | DELETE;

}  // namespace

SysStatus SysCreateLockedFile(const WChar* native, SysLockedFile*& file) {
    file = nullptr;
    HANDLE h = CreateFileW(native, kLockedAccess, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastStatus();
    file = new SysLockedFile{h};
    return SysStatus::kOk;
}

SysStatus SysOpenLockedFile(const WChar* native, SysLockedFile*& file) {
    file = nullptr;
    HANDLE h = CreateFileW(native, kLockedAccess, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        return e == ERROR_SHARING_VIOLATION ? SysStatus::kExists : Win32Status(e);
    }
    file = new SysLockedFile{h};
    return SysStatus::kOk;
}

SysStatus SysLockedFileAppend(SysLockedFile* file, const void* bytes, int64_t n, bool sync) {
    if (!file) return SysStatus::kFailed;
    LARGE_INTEGER end{};
    if (!SetFilePointerEx(file->handle, end, nullptr, FILE_END) || !WriteAll(file->handle, bytes, n)) return LastStatus();
    if (sync && !FlushFileBuffers(file->handle)) return LastStatus();
    return SysStatus::kOk;
}

SysStatus SysLockedFileRead(SysLockedFile* file, NString& bytes, int64_t maxBytes) {
    if (!file) return SysStatus::kFailed;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file->handle, &size) || size.QuadPart > maxBytes || size.QuadPart > INT32_MAX - 1)
        return SysStatus::kFailed;
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file->handle, start, nullptr, FILE_BEGIN)) return LastStatus();
    DynamicArray<char> buffer;
    buffer.Resize(int32_t(size.QuadPart) + 1);
    int64_t got = 0;
    while (got < size.QuadPart) {
        DWORD n = 0;
        if (!ReadFile(file->handle, buffer.data + got, DWORD(size.QuadPart - got), &n, nullptr) || n == 0) break;
        got += n;
    }
    if (got != size.QuadPart) return SysStatus::kFailed;
    bytes.Assign(buffer.data, int32_t(got));
    return SysStatus::kOk;
}

void SysLockedFileClose(SysLockedFile* file, bool remove) {
    if (!file) return;
    if (remove) {
        FILE_DISPOSITION_INFO gone{};
        gone.DeleteFile = TRUE;
        SetFileInformationByHandle(file->handle, FileDispositionInfo, &gone, sizeof gone);
    }
    CloseHandle(file->handle);
    delete file;
}

void SysFlushFileSystem(const WChar*) {}

// ---- files read at an offset, new files written in sequence ----------------

struct SysReadHandle {
    HANDLE file;
};

SysStatus SysOpenForReading(const WChar* native, SysReadHandle*& file, int64_t& size) {
    file = nullptr;
    HANDLE h = CreateFileW(native, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastStatus();
    LARGE_INTEGER length;
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileSizeEx(h, &length)) {
        CloseHandle(h);
        return SysStatus::kFailed;
    }
    size = int64_t(length.QuadPart);
    file = new SysReadHandle{h};
    return SysStatus::kOk;
}

SysStatus SysReadAt(SysReadHandle* file, int64_t offset, void* buffer, int64_t n) {
    auto* p = static_cast<uint8_t*>(buffer);
    while (n > 0) {
        OVERLAPPED at{};
        at.Offset = DWORD(uint64_t(offset) & 0xFFFFFFFFu);
        at.OffsetHigh = DWORD(uint64_t(offset) >> 32);
        const DWORD ask = n > (1 << 30) ? DWORD(1 << 30) : DWORD(n);
        DWORD got = 0;
        if (!ReadFile(file->file, p, ask, &got, &at)) return LastStatus();
        if (got == 0) return SysStatus::kFailed;
        p += got;
        offset += got;
        n -= got;
    }
    return SysStatus::kOk;
}

void SysCloseReading(SysReadHandle* file) {
    if (!file) return;
    CloseHandle(file->file);
    delete file;
}

struct SysWriteHandle {
    HANDLE file;
};

SysStatus SysCreateNewFile(const WChar* native, bool executable, SysWriteHandle*& file) {
    (void)executable;  // what runs is the system's business on Windows
    file = nullptr;
    HANDLE h = CreateFileW(native, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastStatus();
    file = new SysWriteHandle{h};
    return SysStatus::kOk;
}

SysStatus SysWriteNext(SysWriteHandle* file, const void* bytes, int64_t n) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    while (n > 0) {
        const DWORD ask = n > (1 << 30) ? DWORD(1 << 30) : DWORD(n);
        DWORD wrote = 0;
        if (!WriteFile(file->file, p, ask, &wrote, nullptr)) return LastStatus();
        if (wrote == 0) return SysStatus::kFailed;
        p += wrote;
        n -= wrote;
    }
    return SysStatus::kOk;
}

SysStatus SysCloseWritten(SysWriteHandle* file, bool sync) {
    if (!file) return SysStatus::kFailed;
    SysStatus s = SysStatus::kOk;
    if (sync && !FlushFileBuffers(file->file)) s = LastStatus();
    if (!CloseHandle(file->file) && s == SysStatus::kOk) s = LastStatus();
    delete file;
    return s;
}
