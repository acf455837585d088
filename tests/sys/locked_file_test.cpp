// The journal's file as the platform keeps it, on Linux and under Wine: a
// new file only, held by its writer (another opening is refused while the
// writer lives, however the writer ends), read back whole once free, and
// removed with its last close.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "sys/platform.h"

namespace {

using test::W;

TEST(LockedFiles, HeldWhileItsWriterHasItThenReadAndRemoved) {
    test::TempDir dir;
    const WString path = W(dir / "1-0.veldo-journal");
    SysLockedFile* writer = nullptr;
    ASSERT_EQ(SysCreateLockedFile(path.CStr(), writer), SysStatus::kOk);
    SysLockedFile* again = nullptr;
    EXPECT_EQ(SysCreateLockedFile(path.CStr(), again), SysStatus::kExists);  // never one that is there
    ASSERT_EQ(SysLockedFileAppend(writer, "first ", 6, true), SysStatus::kOk);
    ASSERT_EQ(SysLockedFileAppend(writer, "second", 6, false), SysStatus::kOk);
    SysLockedFile* reader = nullptr;
    EXPECT_EQ(SysOpenLockedFile(path.CStr(), reader), SysStatus::kExists);  // its writer holds it
    EXPECT_EQ(reader, nullptr);
    SysLockedFileClose(writer, false);

    ASSERT_EQ(SysOpenLockedFile(path.CStr(), reader), SysStatus::kOk);
    NString bytes;
    ASSERT_EQ(SysLockedFileRead(reader, bytes, 1 << 20), SysStatus::kOk);
    EXPECT_STREQ(bytes.CStr(), "first second");
    SysLockedFileClose(reader, true);
    EXPECT_FALSE(test::Exists(dir / "1-0.veldo-journal"));
    EXPECT_EQ(SysOpenLockedFile(path.CStr(), reader), SysStatus::kNotFound);
}

}  // namespace
