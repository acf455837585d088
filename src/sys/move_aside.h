// Moving a file, folder or link aside beside itself and back, as the
// installation journal needs: a rename on the same file system, and where
// the folder refuses it, a move by copying through the admin service.
// Paths are Windows or native paths.
#pragma once

#include "core/dynamic_string.h"

// "<path>.veldo-old-<pid>-<n>": a name beside path that nothing has yet.
bool AsideName(const WChar* path, WString& aside);

// Renames from to to (which must not exist); by copying and deleting,
// elevated as needed, where the rename is denied.
bool MovePath(const WChar* from, const WChar* to);

// Puts aside back at original. Nothing at aside: nothing to do (it never
// moved). Nothing at original: aside is moved there. A folder at both (a
// move by copying cut off half-way): aside is merged back, item by item.
// Otherwise what stands at original (a file the batch put there) gives way.
bool MoveBack(const WChar* aside, const WChar* original);

