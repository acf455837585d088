// A host's executable read for its bitness: real 64- and 32-bit programs,
// and files that only look like one.
#include <gtest/gtest.h>

#include <string>

#include "install/executable_bitness.h"
#include "support/test_support.h"

namespace {

using test::W;

TEST(ExecutableBitness, FromThePeHeader) {
    test::TempDir dir;
    const std::string fixtures = VELDO_EXE_FIXTURES;
    EXPECT_EQ(ExecutableBitness(W(fixtures + "/hello64.exe").CStr()), 64);
    EXPECT_EQ(ExecutableBitness(W(fixtures + "/hello32.exe").CStr()), 32);
    EXPECT_EQ(ExecutableBitness(W(dir / "missing.exe").CStr()), -1);
    const std::string full = test::ReadFile(fixtures + "/hello64.exe");
    test::WriteFile(dir / "short.exe", full.substr(0, 300));
    EXPECT_EQ(ExecutableBitness(W(dir / "short.exe").CStr()), -1);
    test::WriteFile(dir / "garbage.exe", std::string(4096, '\x5a'));
    EXPECT_EQ(ExecutableBitness(W(dir / "garbage.exe").CStr()), -1);
    // A header at the very last place the search looks (offset 505).
    std::string edge(512, '\0');
    edge.replace(505, 4, std::string("PE\0\0", 4));
    edge[509] = '\x4c';
    test::WriteFile(dir / "edge.exe", edge);
    EXPECT_EQ(ExecutableBitness(W(dir / "edge.exe").CStr()), 32);
}

}  // namespace
