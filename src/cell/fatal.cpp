#include <cstdio>
#include <cstdlib>

#include "cell/dynamic_array.h"

void FatalOutOfMemory() {
    std::fputs("veldo: out of memory\n", stderr);
    std::abort();
}
