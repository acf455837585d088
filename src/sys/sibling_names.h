// The names this program gives the items it keeps beside a file or folder
// while it changes it: "<name>.veldo-old-<pid>-<n>" for what it set aside,
// "<name>.veldo-new-<pid>-<n>" for new content not yet renamed into place.
// The process id lets the next start tell a live run's items from those a
// killed run left; n is fresh for every name the process asks for. Written
// on disk by every release and read back by recovery: the layout is fixed.
#pragma once

#include <cstdint>

#include "core/dynamic_string.h"

enum class SiblingKind { kOld, kNew };

// The next sibling name of path, for UTF-8 paths (the posix backend) and
// for wide ones. Nothing is checked on disk: callers create the item
// exclusively and ask again when the name is taken.
void NextSiblingName(const char* path, SiblingKind kind, NString& name);
void NextSiblingName(const WChar* path, SiblingKind kind, WString& name);

// suffix is exactly ".veldo-<kind>-<pid>-<n>" of the given kind: pid gets
// the process.
bool IsSiblingSuffix(const char* suffix, SiblingKind kind, uint32_t& pid);
bool IsSiblingSuffix(const WChar* suffix, SiblingKind kind, uint32_t& pid);

// The name ends in a sibling suffix of either kind after at least one
// character of its own: pid gets the process.
bool IsSiblingName(const WChar* name, uint32_t& pid);
