// The per-user log file: one plain-text file, emptied at every start, to
// which the log sink appends every line written anywhere in the program
// (core/log.h). Every write opens the file, appends and closes it,
// trying 4 times with 50 ms pauses; a line that still cannot be written is
// dropped. An empty path means the fallback "c:\tmp\veldo_debug.log".
#pragma once

#include "core/dynamic_string.h"
#include "core/log.h"

// The log's path, set at start-up (empty before, and for the fallback).
const WString& LogPath();

// Determines the path (profile\.Brimvale\veldo.log, creating the folder as
// the user; the fallback when that fails), installs the file as the log's
// sink, empties it and writes the stamped version header.
void StartLog();
// The same with a given path (null: the fallback); keepContent appends to
// what the file holds instead of emptying it.
void StartLogAt(const WChar* path, bool keepContent = false);

// The program's version and name as the header shows them.
constexpr const WChar* kVeldoVersion = WTXT("5.5");
constexpr const WChar* kVeldoProduct = WTXT("VELDO");
