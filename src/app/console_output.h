// Lines the program prints on standard output without a window (the
// unattended mode, packing): control characters in the names they carry
// are escaped, so that a script reading the output never meets a line a
// name made up.
#pragma once

#include "core/wide_text.h"

void PrintLine(const WChar* text);
