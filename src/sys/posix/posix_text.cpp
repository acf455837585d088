// Windows code pages on Linux through the C library's iconv, which knows
// them as "CP<number>".
#include <errno.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sys/platform.h"

bool SysWideToCodePage(uint32_t codePage, const WChar* text, NString& bytes) {
    char name[16];
    if (codePage == 65001) std::snprintf(name, sizeof name, "UTF-8");
    else std::snprintf(name, sizeof name, "CP%u", codePage);
    iconv_t cd = iconv_open(name, "UTF-16LE");
    if (cd == iconv_t(-1)) return false;
    size_t units = 0;
    while (text && text[units]) ++units;
    // Little-endian UTF-16, whatever this machine's byte order.
    DynamicArray<char> in;
    in.Resize(int32_t(units * 2));
    for (size_t i = 0; i < units; ++i) {
        in[int32_t(2 * i)] = char(uint16_t(text[i]) & 0xFF);
        in[int32_t(2 * i + 1)] = char(uint16_t(text[i]) >> 8);
    }
    DynamicArray<char> out;
    out.Resize(int32_t(units * 4 + 4));  // no code page needs more than 4 bytes a unit
    char* from = in.data;
    size_t fromLeft = size_t(in.count);
    char* to = out.data;
    size_t toLeft = size_t(out.count);
    const bool ok = units == 0 || iconv(cd, &from, &fromLeft, &to, &toLeft) != size_t(-1);
    iconv_close(cd);
    if (!ok || fromLeft != 0) return false;
    bytes.Assign(out.data, int32_t(to - out.data));
    return true;
}

// gettext's order: the first of LC_ALL, LC_MESSAGES, LANG is the locale;
// LANGUAGE, a list, comes before it unless the locale is "C".
void SysUserLanguages(NString& languages) {
    auto set = [](const char* name) {
        const char* v = getenv(name);
        return v && *v ? v : nullptr;
    };
    const char* locale = set("LC_ALL");
    if (!locale) locale = set("LC_MESSAGES");
    if (!locale) locale = set("LANG");
    const bool plain = !locale || std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0;
    const char* list = set("LANGUAGE");
    if (list && !plain) languages.Format("%s:%s", list, locale);
    else languages.Assign(locale ? locale : "");
}

bool SysStdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }
