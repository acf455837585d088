// Starting other programs from the posix backend.
#pragma once

#include "core/dynamic_array.h"
#include "core/dynamic_string.h"

// argv: program then arguments. extraEnv: "NAME=value" texts added to (or
// replacing in) the environment. With wait, exitCode receives the program's
// exit status (or 128 + signal); without it the child is reaped in the
// background. False when the program could not be started.
bool PosixRun(const DynamicArray<const char*>& argv, const DynamicArray<const char*>& extraEnv, bool wait,
              int* exitCode);

// Runs a program and waits for it, collecting what it writes on standard
// output (its standard error stays ours). False when it could not be started.
bool PosixRunOutput(const DynamicArray<const char*>& argv, NString& output, int* exitCode);
