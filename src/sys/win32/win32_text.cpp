// Code pages, the user's UI language and the console on Windows.
#include <windows.h>

#include "core/text_convert.h"
#include "sys/platform.h"

bool SysWideToCodePage(uint32_t codePage, const WChar* text, NString& bytes) {
    const int units = int(WLen(text ? text : L""));
    if (units == 0) {
        bytes.Assign("");
        return true;
    }
    // No best-fit look-alikes, and a character without a byte form fails.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL defaulted = FALSE;
    const int n = WideCharToMultiByte(codePage, flags, text, units, nullptr, 0, nullptr, utf8 ? nullptr : &defaulted);
    if (n <= 0 || defaulted) return false;
    DynamicArray<char> out;
    out.Resize(n);
    if (WideCharToMultiByte(codePage, flags, text, units, out.data, n, nullptr, utf8 ? nullptr : &defaulted) != n ||
        defaulted)
        return false;
    bytes.Assign(out.data, n);
    return true;
}

void SysUserLanguages(NString& languages) {
    WChar name[LOCALE_NAME_MAX_LENGTH];
    if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) > 0)
        WideToUtf8(name, languages);
    else
        languages.Assign("");
}

bool SysStdoutIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}
