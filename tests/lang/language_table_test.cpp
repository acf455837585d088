// The language table: its order, its telling rows and exact lookups.
#include <gtest/gtest.h>

#include "lang/language_table.h"
#include "support/test_support.h"

namespace {

using test::U;

TEST(LanguageTable, HeaderAndOrder) {
    const LanguageTable& table = GetLanguageTable();
    ASSERT_GT(table.rows.count, 1);
    EXPECT_EQ(table.column, 0);
    const char* header[] = {"_English_", "Japanese", "German", "French", "Italian", "Korean", "Russian", "Swedish", "Simplified chinese"};
    for (int c = 0; c < kLanguageColumns; ++c) EXPECT_EQ(U(table.rows[0].item->columns[c]), header[c]);
    for (int32_t i = 2; i < table.rows.count; ++i) {
        EXPECT_LT(WCompareNoCase(table.rows[i - 1].item->columns[0], table.rows[i].item->columns[0]), 0)
            << U(table.rows[i].item->columns[0]);
        for (int c = 5; c < kLanguageColumns; ++c) EXPECT_EQ(U(table.rows[i].item->columns[c]), "");
    }
}

TEST(LanguageTable, LooksUpExactly) {
    LanguageTable table;
    EXPECT_EQ(U(table.Translate(WTXT("not in the table"))), "not in the table");
    EXPECT_EQ(U(table.Translate(WTXT("VELDO installation"))), "VELDO installation");
    table.column = 2;  // German
    EXPECT_EQ(U(table.Translate(WTXT("Odd"))), "Ueberzaehlig");
    EXPECT_EQ(U(table.Translate(WTXT("odd"))), "odd");  // case matters
    EXPECT_EQ(U(table.Translate(WTXT("OFF"))), "AUS");
    EXPECT_EQ(U(table.Translate(WTXT("Object created"))), "Object created");  // no translation
    table.column = 1;
    EXPECT_EQ(U(table.Translate(WTXT("Objects"))), "\xef\xbd\xb5\xef\xbe\x8c\xef\xbe\x9e\xef\xbd\xbc\xef\xbe\x9e\xef\xbd\xaa\xef\xbd\xb8\xef\xbe\x84");
    EXPECT_EQ(U(table.Translate(WTXT("VELDO installation"))), "VELDO\xe3\x82\xa4\xe3\x83\xb3\xe3\x82\xb9\xe3\x83\x88\xe3\x83\xbc\xe3\x83\xab");
    table.column = 3;
    EXPECT_EQ(U(table.Translate(WTXT("OFF"))), "FERM\xc3\x89");
    table.column = 4;
    EXPECT_EQ(U(table.Translate(WTXT("Objects"))), "Oggetti");
    EXPECT_NE(table.Translate(nullptr), nullptr);
}

TEST(LanguageTable, EveryInstallerTextIsTranslated) {
    const WChar* texts[] = {WTXT("Info"), WTXT("Warning"), WTXT("Error"), WTXT("All files"), WTXT("VELDO files"),
                            WTXT("Install complete!"), WTXT("Installation failed!"), WTXT("I Agree")};
    LanguageTable table;
    for (const WChar* t : texts) {
        for (int c = 1; c <= 4; ++c) {
            table.column = c;
            EXPECT_NE(U(table.Translate(t)), "") << U(t);
            if (c == 1) {
                EXPECT_NE(U(table.Translate(t)), U(t)) << U(t);  // Japanese differs from English
            }
        }
    }
}

}  // namespace
