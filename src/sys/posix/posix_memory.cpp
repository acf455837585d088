// Large blocks straight from the kernel, advised into huge pages.
#include <sys/mman.h>

#include "sys/platform.h"

void* SysAllocateLarge(size_t bytes) {
    if (bytes == 0) return nullptr;
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
    madvise(block, bytes, MADV_HUGEPAGE);  // advice only: refused, the block still works
#endif
    return block;
}

void SysFreeLarge(void* block, size_t bytes) {
    if (block) munmap(block, bytes);
}
