// The names of the items kept beside a file while it changes: made fresh,
// and told apart from every other name, by kind and by process.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"
#include "sys/platform.h"
#include "sys/sibling_names.h"

namespace {

TEST(SiblingNames, EachNameIsFreshAndReadsBack) {
    NString a, b;
    NextSiblingName("/x/LWM2015.3-64.CFG", SiblingKind::kNew, a);
    NextSiblingName("/x/LWM2015.3-64.CFG", SiblingKind::kNew, b);
    EXPECT_NE(std::string(a.CStr()), std::string(b.CStr()));
    const std::string prefix = "/x/LWM2015.3-64.CFG.veldo-new-" + std::to_string(SysProcessId()) + "-";
    EXPECT_EQ(std::string(a.CStr()).rfind(prefix, 0), 0u) << a.CStr();

    WString wide;
    NextSiblingName(WTXT("C:\\p\\Veldo5.dlo"), SiblingKind::kOld, wide);
    uint32_t pid = 0;
    EXPECT_TRUE(IsSiblingName(wide.CStr(), pid)) << test::U(wide);
    EXPECT_EQ(pid, SysProcessId());
    EXPECT_TRUE(IsSiblingSuffix(a.CStr() + std::string("/x/LWM2015.3-64.CFG").size(), SiblingKind::kNew, pid));
    EXPECT_FALSE(IsSiblingSuffix(a.CStr() + std::string("/x/LWM2015.3-64.CFG").size(), SiblingKind::kOld, pid));
}

TEST(SiblingNames, OnlyTheExactLayoutCounts) {
    struct Case {
        const char* name;
        bool sibling;
        uint32_t pid;
    };
    const Case cases[] = {
        {"Veldo5.veldo-old-1234-0", true, 1234},
        {"a.CFG.veldo-new-77-12", true, 77},
        {"a.veldo-old-12-0", true, 12},
        {"a.veldo-new-4294967295-77", true, 4294967295u},
        {"a.veldo-old-1-2.veldo-new-3-4", true, 3},  // the last marker counts
        {"Veldo5.dlo.veldo-old-999999-3", true, 999999},
        {".veldo-old-12-0", false, 0},               // nothing of its own before it
        {"a.veldo-old-0-1", false, 0},               // no process 0
        {"a.veldo-old-4294967296-1", false, 0},      // beyond 32 bits
        {"a.veldo-old-12345678901-1", false, 0},
        {"a.veldo-old-12-", false, 0},
        {"a.veldo-old--1", false, 0},
        {"a.veldo-old-12-1x", false, 0},
        {"a.veldo-old-12-1.bak", false, 0},
        {"Veldo5.veldo-old-1234", false, 0},
        {"Veldo5.veldo-old-12a4-0", false, 0},
        {"Veldo5.veldo-old-1-0 ", false, 0},
        {"notes.veldo-old", false, 0},
        {"a.veldo-keep", false, 0},
        {"a.VELDO-OLD-12-0", false, 0},
        {"a.veldo-gone-12-0", false, 0},
        {"plain.txt", false, 0},
    };
    for (const Case& c : cases) {
        uint32_t pid = 0;
        EXPECT_EQ(IsSiblingName(test::W(c.name).CStr(), pid), c.sibling) << c.name;
        if (c.sibling) EXPECT_EQ(pid, c.pid) << c.name;
    }
}

}  // namespace
