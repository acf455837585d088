// What a failed Windows call's error means to the program (GetLastError).
#pragma once

#include <windows.h>

#include "sys/platform.h"

inline SysStatus Win32Status(DWORD e) {
    switch (e) {
        case ERROR_SUCCESS: return SysStatus::kOk;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_CANT_ACCESS_FILE: return SysStatus::kAccessDenied;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH: return SysStatus::kNotFound;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS: return SysStatus::kExists;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return SysStatus::kNoSpace;
        case ERROR_DIRECTORY: return SysStatus::kIsFolder;
        default: return SysStatus::kFailed;
    }
}

// A reparse point: a symbolic link or a junction.
inline bool Win32IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
