// The elevated service's file operations on Windows. Every folder on the
// way to the last component is checked to be a real folder, no reparse
// point (a link or junction could lead the service anywhere); the last
// component is opened as itself, never followed; the source of a copy is
// opened while impersonating the channel's client.
#include <windows.h>

#include <atomic>

#include "sys/platform.h"
#include "sys/sibling_names.h"
#include "sys/win32/win32_channel.h"
#include "sys/win32/win32_locked_file.h"
#include "sys/win32/win32_status.h"

namespace {

// A drive path ("C:\a\b") with no ".", ".." or empty component, every
// folder before the last one a real folder. kAccessDenied otherwise;
// kNotFound when a folder on the way is missing.
SysStatus CheckPath(const WChar* native) {
    const bool drive = native && ((native[0] >= L'A' && native[0] <= L'Z') || (native[0] >= L'a' && native[0] <= L'z')) &&
                       native[1] == L':' && native[2] == L'\\';
    if (!drive) return SysStatus::kAccessDenied;
    WString prefix(native, 3);
    const WChar* p = native + 3;
    for (;;) {
        const WChar* end = p;
        while (*end && *end != L'\\' && *end != L'/') ++end;
        const int32_t n = int32_t(end - p);
        if (n == 0 || (n == 1 && p[0] == L'.') || (n == 2 && p[0] == L'.' && p[1] == L'.')) return SysStatus::kAccessDenied;
        if (!*end) return SysStatus::kOk;  // the last component: not followed, checked by the caller
        prefix.Append(p, n);
        const DWORD attributes = GetFileAttributesW(prefix.CStr());
        if (attributes == INVALID_FILE_ATTRIBUTES) return Win32Status(GetLastError());
        if (Win32IsLink(attributes) || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return SysStatus::kAccessDenied;
        prefix.AppendChar(L'\\');
        p = end + 1;
    }
}

}  // namespace

SysStatus SysGuardedCreateFolder(const WChar* native) {
    const SysStatus path = CheckPath(native);
    if (path != SysStatus::kOk) return path;
    return CreateDirectoryW(native, nullptr) ? SysStatus::kOk : Win32Status(GetLastError());
}

SysStatus SysGuardedRemoveFolder(const WChar* native) {
    const SysStatus path = CheckPath(native);
    if (path != SysStatus::kOk) return path;
    const DWORD attributes = GetFileAttributesW(native);
    if (attributes == INVALID_FILE_ATTRIBUTES) return Win32Status(GetLastError());
    if (Win32IsLink(attributes) || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return SysStatus::kFailed;  // no folder
    return RemoveDirectoryW(native) ? SysStatus::kOk : Win32Status(GetLastError());
}

SysStatus SysGuardedDeleteFile(const WChar* native) {
    const SysStatus path = CheckPath(native);
    if (path != SysStatus::kOk) return path;
    const DWORD attributes = GetFileAttributesW(native);
    if (attributes == INVALID_FILE_ATTRIBUTES) return Win32Status(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (!Win32IsLink(attributes)) return SysStatus::kIsFolder;
        // A link to a folder goes as itself.
        return RemoveDirectoryW(native) ? SysStatus::kOk : Win32Status(GetLastError());
    }
    return DeleteFileW(native) ? SysStatus::kOk : Win32Status(GetLastError());
}

SysStatus SysGuardedCopyFile(const WChar* source, const WChar* target, SysChannel* reader) {
    SysStatus path = CheckPath(source);
    if (path == SysStatus::kOk) path = CheckPath(target);
    if (path != SysStatus::kOk) return path;
    // The source, as the client: what it may not read, the service does not.
    if (!reader || !ImpersonateNamedPipeClient(reader->pipe)) return SysStatus::kAccessDenied;
    const DWORD attributes = GetFileAttributesW(source);
    HANDLE in = INVALID_HANDLE_VALUE;
    DWORD e = ERROR_SUCCESS;
    if (attributes == INVALID_FILE_ATTRIBUTES) e = GetLastError();
    else if (Win32IsLink(attributes) || (attributes & FILE_ATTRIBUTE_DIRECTORY)) e = ERROR_ACCESS_DENIED;
    else in = CreateFileW(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                          nullptr);
    if (e == ERROR_SUCCESS && in == INVALID_HANDLE_VALUE) e = GetLastError();
    RevertToSelf();
    if (in == INVALID_HANDLE_VALUE) return Win32Status(e);

    // The target: a new file beside it, moved over it once complete (a link
    // there is replaced, never written through).
    WString temp;
    HANDLE out = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && out == INVALID_HANDLE_VALUE; ++attempt) {
        NextSiblingName(target, SiblingKind::kNew, temp);
        out = CreateFileW(temp.CStr(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (out == INVALID_HANDLE_VALUE) {
        e = GetLastError();
        CloseHandle(in);
        return Win32Status(e);
    }
    DynamicArray<char> buffer;
    buffer.Resize(1 << 16);
    for (;;) {
        DWORD got = 0, put = 0;
        if (!ReadFile(in, buffer.data, DWORD(buffer.count), &got, nullptr)) {
            e = GetLastError();
            break;
        }
        if (got == 0) break;
        if (!WriteFile(out, buffer.data, got, &put, nullptr) || put != got) {
            e = GetLastError();
            break;
        }
    }
    if (e == ERROR_SUCCESS && !FlushFileBuffers(out)) e = GetLastError();
    CloseHandle(in);
    CloseHandle(out);
    if (e == ERROR_SUCCESS && !MoveFileExW(temp.CStr(), target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        e = GetLastError();
    if (e != ERROR_SUCCESS) DeleteFileW(temp.CStr());
    return Win32Status(e);
}

// The file must be a plain file of one name, no reparse point. Its owner is
// not compared with the client's: the folder it lives in is the elevated
// user's own temporary folder, which no other user can write.
SysStatus SysGuardedOpenPeerFile(const WChar* native, SysChannel* peer, SysLockedFile*& file) {
    file = nullptr;
    if (!peer) return SysStatus::kAccessDenied;
    const SysStatus path = CheckPath(native);
    if (path != SysStatus::kOk) return path;
    HANDLE h = CreateFileW(native, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Win32Status(GetLastError());
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info) || Win32IsLink(info.dwFileAttributes) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || info.nNumberOfLinks != 1) {
        CloseHandle(h);
        return SysStatus::kAccessDenied;
    }
    file = new SysLockedFile{h};
    return SysStatus::kOk;
}

// Windows gives new files the folder's inherited permissions: no mask.
void SysServiceProcessSetup() {}
