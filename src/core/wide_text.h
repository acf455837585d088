// The system's wide text: UTF-16 code units on every platform.
//
// Windows gives wchar_t 16 bits; elsewhere wchar_t is 32 bits, so the model
// uses char16_t there. Hashes, serialised strings and the admin-service frames
// all work on these 16-bit units, never on the platform's wchar_t.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
using WChar = wchar_t;
#define WTXT(s) L"" s
#else
using WChar = char16_t;
#define WTXT(s) u"" s
#endif

static_assert(sizeof(WChar) == 2, "wide text must be 16-bit code units");

// Length in code units of a zero-terminated wide text; null counts as empty.
size_t WLen(const WChar* text);

// Ordinal comparison by code unit (negative, zero, positive); null is empty.
int WCompare(const WChar* a, const WChar* b);

// Simple case folding of one unit (Latin, Latin-1, Greek and Cyrillic
// capitals to small), as file and registry names compare on Windows.
uint16_t WFoldCase(WChar c);

// Ordinal comparison ignoring letter case as WFoldCase folds it.
int WCompareNoCase(const WChar* a, const WChar* b);
int WCompareNoCase(const WChar* a, size_t aLength, const WChar* b, size_t bLength);

// piece occurs in text, letter case ignored as WFoldCase folds it (an empty
// piece occurs everywhere); null is empty.
bool WContainsNoCase(const WChar* text, const WChar* piece);
