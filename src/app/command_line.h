// The command line: split into tokens and turned into option cells (Arg).
// The parser never reports an error: unknown tokens, incomplete options and
// paths that do not exist are dropped silently.
#pragma once

#include "app/arguments.h"
#include "core/container.h"

// Splits at spaces (U+0020 only); a token starting with a double quote runs
// to the next one and loses both (an unclosed one keeps its opening quote).
void SplitCommandLine(const WChar* line, Container<WString>& tokens);

// Recognised options in order of appearance, appended to out. A null line
// gives none.
void ParseArguments(const WChar* line, Arguments& out);

// The command line of this process rebuilt from argv: the program path
// first, each argument that holds a space between double quotes.
void CommandLineFromArgv(int argc, const char* const* argv, WString& line);

// The first option of the class, or -1.
int32_t FindArgument(const Arguments& args, CellKey classKey);
