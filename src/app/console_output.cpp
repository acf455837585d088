#include "app/console_output.h"

#include <cstdio>

#include "core/control_escape.h"
#include "core/dynamic_string.h"
#include "core/text_convert.h"

void PrintLine(const WChar* text) {
    WString safe;
    EscapeControlCharacters(text, safe);
    NString utf8;
    WideToUtf8(safe.CStr(), utf8);
    std::printf("%s\n", utf8.CStr());
    std::fflush(stdout);
}
