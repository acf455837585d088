// The elevated service: serves the four file operations to the process that
// started it, over the channel of the given name, until that process goes
// away or asks it to end.
#pragma once

#include <cstdint>

#include "cell/core/dynamic_string.h"

void RunAdminService(const WChar* channelName, uint32_t clientPid);

// Where the service of a channel keeps its log: "veldo-service-<name>.log"
// in the temporary folder, which the user can read (the elevated process
// has a profile of its own). The client names it in its own log.
bool ServiceLogPath(const WChar* channelName, WString& path);
