// The elevated service: serves the four file operations to the process that
// started it, over the channel of the given name, until that process goes
// away or asks it to end.
#pragma once

#include <cstdint>

#include "cell/core/wide_text.h"

void RunAdminService(const WChar* channelName, uint32_t clientPid);
