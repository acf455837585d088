// Paths on Windows: the program's paths are already the system's.
#include "sys/platform.h"

bool SysNativePath(const WChar* path, WString& native) {
    native.Assign(path ? path : WTXT(""));
    return true;
}

bool SysSpelledPath(const WChar* path, WString& native) { return SysNativePath(path, native); }

bool SysWindowsPath(const WChar* native, WString& path) {
    path.Assign(native ? native : WTXT(""));
    return !path.IsEmpty();
}
