#include "lang/language_table.h"

#include "lang/language_rows.h"

LanguageTable::LanguageTable() {
    int32_t count = 0;
    const LanguageTableItem* items = LanguageRows(count);
    // All wrappers in one step, then one per row in table order.
    rows.Resize(count);
    rows.Resize(0);
    for (int32_t i = 0; i < count; ++i) rows.Append(LanguageTableItemWrapper{&items[i]});
    column = 0;
}

const WChar* LanguageTable::Translate(const WChar* text) const {
    if (!text) return WTXT("");
    if (column < 0 || column >= kLanguageColumns) return text;
    for (int32_t i = 0; i < rows.count; ++i) {
        const LanguageTableItem* row = rows[i].item;
        if (WCompare(row->columns[0], text) != 0) continue;
        const WChar* t = row->columns[column];
        return (t && *t) ? t : text;
    }
    return text;
}

LanguageTable& GetLanguageTable() {
    static SObject<LanguageTable> table(new LanguageTable);
    return *table;
}

const LanguageTableItem* LanguageRows(int32_t& count) {
    count = int32_t(sizeof kLanguageRows / sizeof kLanguageRows[0]);
    return kLanguageRows;
}
