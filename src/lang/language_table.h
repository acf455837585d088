// The built-in table of translated UI texts, looked up by English wording.
// Columns: English, Japanese, German, French, Italian, Korean, Russian,
// Swedish, Simplified Chinese; an empty cell means no translation. Row 0
// names the columns; the rest are sorted by their English text, ignoring case.
#pragma once

#include <cstdint>

#include "core/dynamic_array.h"
#include "core/dynamic_string.h"
#include "core/links.h"
#include "core/wide_text.h"

constexpr int32_t kLanguageColumns = 9;

struct LanguageTableItem {
    const WChar* columns[kLanguageColumns];
};

// A row as the table holds it.
struct LanguageTableItemWrapper {
    const LanguageTableItem* item;
};

class LanguageTable {
public:
    DynamicArray<LanguageTableItemWrapper> rows;
    int32_t column = -1;  // -1 while filling, then 0 (English)

    LanguageTable();
    virtual ~LanguageTable() = default;

    // The current column's text of the row whose English text equals text
    // exactly; text itself when there is no such row or no translation.
    const WChar* Translate(const WChar* text) const;
};

// A line that starts with a label ("Cannot read: " and a path): the label
// translated (a row whose English text ends in ": " and begins the line),
// the rest kept as it is.
void TranslateLead(const WChar* line, WString& out);

// The process-wide table, made on first use.
LanguageTable& GetLanguageTable();

inline const WChar* Translate(const WChar* text) { return GetLanguageTable().Translate(text); }

// The compiled rows, for tests and tools.
const LanguageTableItem* LanguageRows(int32_t& count);

// The column for the user's languages, most wanted first and separated by
// ':' ("de_DE.UTF-8", "ja-JP", "sv:fr"): the first entry that names
// Japanese, German, French or Italian picks its column; "en", "C", "POSIX"
// or no entry naming one of those gives English (0).
int32_t LanguageColumnFor(const char* languages);

// Sets the process-wide table's column from the user's UI language.
void UseUserLanguage();
