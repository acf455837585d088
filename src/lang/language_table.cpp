#include "lang/language_table.h"

#include "lang/language_rows.h"
#include "sys/platform.h"

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

void TranslateLead(const WChar* line, WString& out) {
    out.Assign(line ? line : WTXT(""));
    if (!line) return;
    const LanguageTable& table = GetLanguageTable();
    for (int32_t i = 1; i < table.rows.count; ++i) {
        const WChar* english = table.rows[i].item->columns[0];
        int32_t n = 0;
        while (english[n] && english[n] == line[n]) ++n;
        if (english[n] || n < 2 || english[n - 2] != WChar(':') || english[n - 1] != WChar(' ')) continue;
        out.Assign(table.Translate(english));
        out.Append(line + n);
        return;
    }
}

LanguageTable& GetLanguageTable() {
    static SObject<LanguageTable> table(new LanguageTable);
    return *table;
}

const LanguageTableItem* LanguageRows(int32_t& count) {
    count = int32_t(sizeof kLanguageRows / sizeof kLanguageRows[0]);
    return kLanguageRows;
}

int32_t LanguageColumnFor(const char* languages) {
    struct Code {
        const char* code;
        int32_t column;
    };
    static const Code kCodes[] = {{"en", 0}, {"ja", 1}, {"de", 2}, {"fr", 3}, {"it", 4}, {"C", 0}, {"POSIX", 0}};
    const char* entry = languages ? languages : "";
    while (*entry) {
        // The language is what comes before a territory, code set or modifier.
        size_t n = 0;
        while (entry[n] && entry[n] != ':' && entry[n] != '_' && entry[n] != '-' && entry[n] != '.' &&
               entry[n] != '@')
            ++n;
        for (const Code& code : kCodes) {
            size_t k = 0;
            while (code.code[k] && k < n && (code.code[k] | 0x20) == (entry[k] | 0x20)) ++k;
            if (!code.code[k] && k == n) return code.column;
        }
        while (*entry && *entry != ':') ++entry;
        while (*entry == ':') ++entry;
    }
    return 0;
}

void UseUserLanguage() {
    NString languages;
    SysUserLanguages(languages);
    GetLanguageTable().column = LanguageColumnFor(languages.CStr());
}
