// HKEY_LOCAL_MACHINE read through the registry calls, in either view.
#include <windows.h>

#include "sys/platform.h"

struct SysRegKey {
    HKEY handle;
    REGSAM view;  // kept by keys opened below it
};

namespace {

SysRegStatus FromError(LONG e) {
    switch (e) {
        case ERROR_SUCCESS: return SysRegStatus::kOk;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_NO_MORE_ITEMS: return SysRegStatus::kNotFound;
        case ERROR_MORE_DATA: return SysRegStatus::kMoreData;
        default: return SysRegStatus::kFailed;
    }
}

}  // namespace

SysRegStatus SysRegOpenKey(SysRegKey* parent, const WChar* subkey, SysRegView view, SysRegKey*& key) {
    key = nullptr;
    const REGSAM sam = parent ? parent->view : (view == SysRegView::k32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY);
    HKEY handle = nullptr;
    const LONG e = RegOpenKeyExW(parent ? parent->handle : HKEY_LOCAL_MACHINE, subkey, 0,
                                 KEY_READ | sam, &handle);
    if (e != ERROR_SUCCESS) return FromError(e);
    key = new SysRegKey{handle, sam};
    return SysRegStatus::kOk;
}

SysRegStatus SysRegEnumKey(SysRegKey* key, uint32_t index, WChar* name, uint32_t capacity) {
    if (!key) return SysRegStatus::kFailed;
    DWORD units = capacity;
    return FromError(RegEnumKeyExW(key->handle, index, name, &units, nullptr, nullptr, nullptr, nullptr));
}

SysRegStatus SysRegQueryString(SysRegKey* key, const WChar* name, void* buffer, uint32_t& size) {
    if (!key) return SysRegStatus::kFailed;
    DWORD type = 0;
    DWORD bytes = buffer ? size : 0;
    const LONG e = RegQueryValueExW(key->handle, name, nullptr, &type, static_cast<BYTE*>(buffer), &bytes);
    if (e != ERROR_SUCCESS && e != ERROR_MORE_DATA) return FromError(e);
    if (type != REG_SZ && type != REG_EXPAND_SZ) return SysRegStatus::kWrongType;
    const bool fits = e == ERROR_SUCCESS && buffer;
    size = bytes;
    return fits ? SysRegStatus::kOk : SysRegStatus::kMoreData;
}

void SysRegCloseKey(SysRegKey* key) {
    if (!key) return;
    RegCloseKey(key->handle);
    delete key;
}
