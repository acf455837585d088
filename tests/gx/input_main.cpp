// The input tests' entry. A drop that opens a new instance of the program
// starts this program again with "-drop -window_pos x y"; such a run writes
// its arguments as one line at the end of the file $VELDO_DROP_RECORD
// names, and ends.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "-drop") == 0) {
        const char* record = std::getenv("VELDO_DROP_RECORD");
        std::string line;
        for (int i = 1; i < argc; ++i) line += (i > 1 ? " " : "") + std::string(argv[i]);
        line += "\n";
        // One append of the whole line, so that instances never interleave.
        const int fd = record ? open(record, O_WRONLY | O_CREAT | O_APPEND, 0644) : -1;
        if (fd < 0) return 1;
        const bool written = write(fd, line.data(), line.size()) == ssize_t(line.size());
        return close(fd) == 0 && written ? 0 : 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
