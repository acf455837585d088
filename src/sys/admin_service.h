// The elevated service: serves the four file operations to the process that
// started it, over the channel of the given name, until that process goes
// away or asks it to end.
#pragma once

#include <cstdint>

#include "core/dynamic_string.h"

void RunAdminService(const WChar* channelName, uint32_t clientPid);

// A channel's name is a GUID as SysNewGuid makes it: 36 lower-case
// hexadecimal digits and dashes, nothing that could lead out of a folder.
inline constexpr int32_t kChannelNameLength = 36;
bool IsChannelName(const WChar* name);

// Where the service of a channel logs: "veldo-service-<name>.log" in the
// temporary folder. The client makes the file (its own, new, readable by
// it alone) before it starts the service, and names it in its own log; the
// service only appends to it, and only when it is still the client's file.
// False for a name that is not a channel's.
bool ServiceLogPath(const WChar* channelName, WString& path);
