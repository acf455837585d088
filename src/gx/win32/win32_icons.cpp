// The window icons on Windows: the executable's resources 103, 104 and 105
// (app/veldo-installer.rc), raw PNG bytes. A loaded resource stays mapped
// for the life of the process.
#include <windows.h>

#include "gx/embedded_data.h"

EmbeddedBlock WindowIcon(int index) {
    const int id = 103 + (index < 0 ? 0 : index > 2 ? 2 : index);
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {nullptr, 0};
    return {static_cast<const uint8_t*>(bytes), size_t(SizeofResource(nullptr, found))};
}
