// Large blocks straight from the system, zeroed.
#include <windows.h>

#include "sys/platform.h"

void* SysAllocateLarge(size_t bytes) {
    if (bytes == 0) return nullptr;
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void SysFreeLarge(void* block, size_t) {
    if (block) VirtualFree(block, 0, MEM_RELEASE);
}
