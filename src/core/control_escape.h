// Names from outside (a host's files, the registry) shown on a line of
// their own: each control character (C0, DEL, C1, and the line and
// paragraph separators U+2028 and U+2029) is written as "\x" and two or
// four hexadecimal digits, so that a name never starts a line of its own,
// moves the cursor or passes for one of the program's own lines.
#pragma once

#include "core/dynamic_string.h"

bool HasControlCharacters(const WChar* text);
void EscapeControlCharacters(const WChar* text, WString& out);
// The same for bytes (UTF-8): those below 32 and 127.
bool HasControlCharacters(const char* text);
void EscapeControlCharacters(const char* text, NString& out);
