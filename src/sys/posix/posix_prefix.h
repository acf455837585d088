// The Wine prefix as the posix backend sees it: where it is, its drives, and
// the mapping of Windows paths onto Unix paths and back.
#pragma once

#include "core/dynamic_string.h"

// The prefix folder ($WINEPREFIX, else ~/.wine); empty when it does not exist.
void PosixPrefixFolder(NString& out);

// A Windows path's Unix form (UTF-8), with Wine's case-insensitive lookup of
// components that do not exist with their exact case (unless lookUpCase is
// false: then the path as spelled).
bool PosixUnixPath(const WChar* path, NString& unixPath, bool lookUpCase = true);
