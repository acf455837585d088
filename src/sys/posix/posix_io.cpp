#include "sys/posix/posix_io.h"

#include <errno.h>
#include <sys/sendfile.h>
#include <unistd.h>

SysStatus PosixStatus(int e) {
    switch (e) {
        case 0: return SysStatus::kOk;
        case EACCES:
        case EPERM:
        case ELOOP: return SysStatus::kAccessDenied;
        case ENOENT:
        case ENOTDIR: return SysStatus::kNotFound;
        case EEXIST: return SysStatus::kExists;
        case ENOSPC:
        case EDQUOT: return SysStatus::kNoSpace;
        case EISDIR: return SysStatus::kIsFolder;
        default: return SysStatus::kFailed;
    }
}

bool PosixWriteAll(int fd, const void* bytes, int64_t n) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    while (n > 0) {
        const ssize_t w = write(fd, p, size_t(n));
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= w;
    }
    return true;
}

namespace {

// The most the kernel copies in one call.
constexpr off_t kLargestKernelCopy = off_t(1) << 30;
constexpr size_t kPlainCopyBuffer = size_t(1) << 16;

}  // namespace

int PosixCopyData(int in, int out, off_t size) {
    int e = 0;
    off_t left = size;
    while (left > 0) {
        const ssize_t n = sendfile(out, in, nullptr, size_t(left > kLargestKernelCopy ? kLargestKernelCopy : left));
        if (n < 0) {
            if (errno == EINTR) continue;
            e = errno;
            break;
        }
        if (n == 0) break;  // the source shrank
        left -= n;
    }
    if (e != EINVAL && e != ENOSYS) return e;
    // No kernel copy between these two: read and write, from the start.
    if (lseek(in, 0, SEEK_SET) < 0 || lseek(out, 0, SEEK_SET) < 0) return errno;
    char buffer[kPlainCopyBuffer];
    for (;;) {
        const ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        if (!PosixWriteAll(out, buffer, n)) return errno;
    }
}
