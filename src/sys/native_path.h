// The native form of a Windows path, as the file operations of this layer
// hand it to the platform (SysNativePath), and whether it has one.
#pragma once

#include "core/dynamic_string.h"
#include "sys/platform.h"

struct NativePath {
    WString path;
    bool ok;
    explicit NativePath(const WChar* windowsPath) { ok = SysNativePath(windowsPath, path); }
    const WChar* c() const { return path.CStr(); }
};
