// The posix backend's shared pieces: one reading of errno for every call,
// and one copy of a file's data that falls back to reads and writes where
// the kernel refuses its own copy (an appending target: EINVAL).
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/test_support.h"
#include "sys/posix/posix_io.h"

namespace {

TEST(PosixIo, WhatEachErrnoMeans) {
    const struct {
        int e;
        SysStatus status;
    } cases[] = {
        {0, SysStatus::kOk},          {EACCES, SysStatus::kAccessDenied}, {EPERM, SysStatus::kAccessDenied},
        {ELOOP, SysStatus::kAccessDenied}, {ENOENT, SysStatus::kNotFound}, {ENOTDIR, SysStatus::kNotFound},
        {EEXIST, SysStatus::kExists}, {ENOSPC, SysStatus::kNoSpace},      {EDQUOT, SysStatus::kNoSpace},
        {EISDIR, SysStatus::kIsFolder}, {EROFS, SysStatus::kFailed},      {EIO, SysStatus::kFailed},
    };
    for (const auto& c : cases) EXPECT_EQ(PosixStatus(c.e), c.status) << c.e;
}

TEST(PosixIo, CopiesWhereTheKernelCopiesAndWhereItRefuses) {
    test::TempDir dir;
    std::string data;
    for (int i = 0; i < 300000; ++i) data += char('a' + i % 26);
    test::WriteFile(dir / "source", data);
    for (const int appending : {0, O_APPEND}) {
        const std::string target = dir / (appending ? "appended" : "copied");
        const int in = open((dir / "source").c_str(), O_RDONLY);
        const int out = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | appending, 0644);
        ASSERT_GE(in, 0);
        ASSERT_GE(out, 0);
        EXPECT_EQ(PosixCopyData(in, out, off_t(data.size())), 0);
        close(in);
        close(out);
        EXPECT_TRUE(test::ReadFile(target) == data) << target;
    }
}

}  // namespace
