// An open file on Linux as the platform hands it out (a journal, the
// service's log): shared by the file calls and the service's guarded ones.
#pragma once

#include "core/dynamic_string.h"

struct SysLockedFile {
    int fd = -1;
    NString path;
};
