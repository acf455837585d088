// What the posix backend's calls share: what an errno means to the program
// (as win32_status.h for GetLastError), writing a whole buffer, and copying
// a file's data from one descriptor to another.
#pragma once

#include <sys/types.h>

#include <cstdint>

#include "sys/platform.h"

// EACCES and EPERM are the permission boundary (retried elevated); ELOOP is
// a link where none may be followed, refused the same way. A read-only
// mount (EROFS) is not: elevation would not help.
SysStatus PosixStatus(int e);

// Writes all n bytes (through EINTR); false with errno set.
bool PosixWriteAll(int fd, const void* bytes, int64_t n);

// Copies size bytes from in to out, both at their start: the kernel's copy
// where it has one, plain reads and writes where it refuses (EINVAL,
// ENOSYS). 0, or the errno that stopped it. A source that shrinks ends the
// copy early without an error.
int PosixCopyData(int in, int out, off_t size);
