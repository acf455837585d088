// The channel's handle on Linux, shared by the channel itself and the
// service's file operations (which read as the channel's peer).
#pragma once

struct SysChannel {
    int fd = -1;
};
