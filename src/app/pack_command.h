// "-pack <payload folder> <output file>": the vendor's one step from a
// payload folder to the one file users download. Prints what it did (or why
// it did not) on standard output; its exit code is in exit_codes.h.
#pragma once

#include <cstdint>

#include "core/wide_text.h"

// Native paths, as the command line gives them.
int32_t RunPack(const WChar* payloadFolder, const WChar* output);
