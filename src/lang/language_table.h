// The built-in table of translated UI texts, looked up by English wording.
// Columns: English, Japanese, German, French, Italian, Korean, Russian,
// Swedish, Simplified Chinese; an empty cell means no translation. Row 0
// names the columns; the rest are sorted by their English text, ignoring case.
#pragma once

#include <cstdint>

#include "cell/core/dynamic_array.h"
#include "cell/core/links.h"
#include "cell/core/wide_text.h"

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

// The process-wide table, made on first use.
LanguageTable& GetLanguageTable();

inline const WChar* Translate(const WChar* text) { return GetLanguageTable().Translate(text); }

// The compiled rows, for tests and tools.
const LanguageTableItem* LanguageRows(int32_t& count);
