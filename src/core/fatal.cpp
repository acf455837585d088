#include <cstdio>
#include <cstdlib>

#include "core/dynamic_array.h"

void FatalOutOfMemory() {
    std::fputs("veldo: out of memory\n", stderr);
    std::abort();
}
