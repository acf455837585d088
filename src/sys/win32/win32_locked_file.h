// An open file on Windows as the platform hands it out (a journal, the
// service's log): shared by the file calls and the service's guarded ones.
#pragma once

#include <windows.h>

struct SysLockedFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
};
