// The input tests' entry. A drop that opens a new instance of the program
// starts this program again with "-drop -window_pos x y"; such a run writes
// its arguments to the file $VELDO_DROP_RECORD names, and ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "-drop") == 0) {
        const char* record = std::getenv("VELDO_DROP_RECORD");
        FILE* f = record ? std::fopen(record, "w") : nullptr;
        if (!f) return 1;
        for (int i = 1; i < argc; ++i) std::fprintf(f, i > 1 ? " %s" : "%s", argv[i]);
        return std::fclose(f) == 0 ? 0 : 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
