// The channel's handle on Windows, shared by the channel itself and the
// service's file operations (which read as the channel's client).
#pragma once

#include <windows.h>

struct SysChannel {
    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;  // for overlapped reads and writes
};
