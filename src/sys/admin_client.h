// The client side of the elevated admin service: the four file operations a
// user without rights cannot do, carried out by an elevated copy of the
// program. Paths are native paths. Each call starts the service on first
// need and is false on any failure.
#pragma once

#include <cstdint>

#include "core/wide_text.h"

bool EnsureService();
bool AdminCreateFolder(const WChar* native);
bool AdminRemoveFolder(const WChar* native);
bool AdminCopyFile(const WChar* source, const WChar* target);
bool AdminDeleteFile(const WChar* native);

// How long a started service has to greet its client: 15 s. The password
// prompt before it has no limit; tests shorten this one to show that.
void SetAdminHelloLimitMs(uint32_t ms);
