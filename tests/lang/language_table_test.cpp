// The language table: its order, its telling rows and exact lookups.
#include <gtest/gtest.h>

#include "lang/language_table.h"
#include "support/test_support.h"
#include "sys/platform.h"

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

TEST(LanguageTable, ColumnFromTheUsersLanguages) {
    const struct {
        const char* languages;
        int32_t column;
    } cases[] = {
        {"", 0},
        {nullptr, 0},
        {"C", 0},
        {"POSIX", 0},
        {"en_GB.UTF-8", 0},
        {"ja_JP.UTF-8", 1},
        {"ja-JP", 1},
        {"de_DE@euro", 2},
        {"de", 2},
        {"fr_CA.UTF-8", 3},
        {"it_IT", 4},
        {"IT_it", 4},
        {"sv_SE:fr_FR:de_DE", 3},   // the first one the table speaks
        {"sv_SE:ru_RU", 0},         // none of them
        {"en_US:de_DE", 0},         // English is wanted first
        {"::de", 2},
        {"deu", 0},                 // not a code the table knows
        {"f", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageColumnFor(c.languages), c.column) << (c.languages ? c.languages : "(null)");
}

// gettext's order: LANGUAGE first unless the locale is C, then LC_ALL,
// LC_MESSAGES, LANG.
TEST(LanguageTable, UserLanguagesInGettextsOrder) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows names the user's UI language; the environment plays no part";
#endif
    const struct {
        const char* language;
        const char* all;
        const char* messages;
        const char* lang;
        int32_t column;
    } cases[] = {
        {nullptr, nullptr, nullptr, "de_DE.UTF-8", 2},
        {nullptr, nullptr, "fr_FR.UTF-8", "de_DE.UTF-8", 3},
        {nullptr, "it_IT.UTF-8", "fr_FR.UTF-8", "de_DE.UTF-8", 4},
        {"ja", nullptr, nullptr, "de_DE.UTF-8", 1},
        {"ja", "C", nullptr, "de_DE.UTF-8", 0},   // LANGUAGE is ignored under C
        {"ja", nullptr, nullptr, nullptr, 0},
        {"sv", nullptr, nullptr, "fr_FR.UTF-8", 3},
        {"", "", "", "", 0},
    };
    for (const auto& c : cases) {
        test::ScopedEnv language("LANGUAGE", c.language), all("LC_ALL", c.all), messages("LC_MESSAGES", c.messages),
            lang("LANG", c.lang);
        NString languages;
        SysUserLanguages(languages);
        EXPECT_EQ(LanguageColumnFor(languages.CStr()), c.column) << languages.CStr();
    }
}

TEST(LanguageTable, LabelledLinesKeepWhatFollowsTheLabel) {
    LanguageTable& table = GetLanguageTable();
    table.column = 2;
    WString out;
    TranslateLead(WTXT("Cannot read: C:\\Programme\\Größe.txt"), out);
    EXPECT_EQ(U(out), "Kann nicht gelesen werden: C:\\Programme\\Größe.txt");
    TranslateLead(WTXT("LightWave 2019"), out);  // no label: as it was
    EXPECT_EQ(U(out), "LightWave 2019");
    TranslateLead(WTXT("Cannot read:"), out);  // the label needs its space
    EXPECT_EQ(U(out), "Cannot read:");
    table.column = 0;
    TranslateLead(WTXT("Cannot read: x"), out);
    EXPECT_EQ(U(out), "Cannot read: x");
}

}  // namespace
