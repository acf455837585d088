// Strings, paths, the formatter, case folding and Base64.
#include <gtest/gtest.h>

#include <string>

#include "core/base64.h"
#include "core/dynamic_string.h"
#include "core/path.h"
#include "core/wide_text.h"

namespace {

std::u16string S(const WString& s) { return std::u16string(reinterpret_cast<const char16_t*>(s.CStr())); }

TEST(DynamicString, NullAndEmpty) {
    WString s(WTXT("abc"));
    EXPECT_EQ(s.chars.count, 4);  // the terminator counts
    EXPECT_EQ(s.Length(), 3);
    s.Assign(static_cast<const WChar*>(nullptr));
    EXPECT_EQ(s.chars.count, 0);
    ASSERT_NE(s.CStr(), nullptr);
    EXPECT_EQ(s.CStr()[0], 0);
    WString empty;
    EXPECT_TRUE(s == empty);
    EXPECT_FALSE(s == WString(WTXT("x")));
}

TEST(DynamicString, EditsInPlace) {
    WString s(WTXT("hello"));
    s.Append(WTXT(" world"));
    EXPECT_EQ(s.chars.capacity, 12);  // exact growth
    s.Insert(5, WString(WTXT(",")));
    EXPECT_EQ(S(s), u"hello, world");
    EXPECT_EQ(s.Find(WTXT("world")), 7);
    EXPECT_EQ(s.Find(WTXT("xyz")), -1);
    s.Erase(5, 7);
    EXPECT_EQ(S(s), u"helloworld");
    s.Append(s);
    EXPECT_EQ(S(s), u"helloworldhelloworld");
    s.Assign(s.CStr() + 5, 5);  // a piece of itself
    EXPECT_EQ(S(s), u"world");
    WString e;
    e.Append(WTXT("first"));  // appending to empty is an assignment
    EXPECT_EQ(S(e), u"first");
}

TEST(DynamicString, LiteralsAreCopiedOnTheFirstChange) {
    static const WChar kName[] = WTXT("Count");
    WString s;
    s.AssignLiteral(kName);
    EXPECT_EQ(s.CStr(), kName);  // no copy yet
    EXPECT_EQ(s.chars.capacity, 0);
    WString copy(s);
    EXPECT_NE(copy.CStr(), kName);
    s.Erase(0, 1);
    EXPECT_EQ(S(s), u"ount");
    EXPECT_EQ(S(WString(kName)), u"Count");  // the literal itself is untouched
    WString t;
    t.AssignLiteral(kName);
    t.Append(WTXT("er"));
    EXPECT_EQ(S(t), u"Counter");
}

struct PathCase {
    const char16_t* path;
    const char16_t* expected;
};

TEST(Path, Normalize) {
    const PathCase cases[] = {
        {u"C:\\folder\\\\", u"C:\\folder"},
        {u"\\", u"\\"},
        {u"\\\\", u"\\"},
        {u"abc", u"abc"},
        {u"", u""},
    };
    for (const auto& c : cases) {
        WPath p(reinterpret_cast<const WChar*>(c.path));
        p.Normalize();
        EXPECT_EQ(S(p), c.expected) << std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path));
    }
}

TEST(Path, Join) {
    const struct {
        const char16_t* base;
        const char16_t* part;
        const char16_t* expected;
    } cases[] = {
        {u"C:\\a\\", u"\\b", u"C:\\a\\b"},
        {u"C:\\a", u"b", u"C:\\a\\b"},
        {u"C:\\a\\", u"b", u"C:\\a\\b"},
        {u"C:\\a", u"\\b", u"C:\\a\\b"},
        {u"", u"b", u"b"},
        {u"C:\\a", u"", u"C:\\a"},
    };
    for (const auto& c : cases) {
        WPath p(reinterpret_cast<const WChar*>(c.base));
        p.Join(reinterpret_cast<const WChar*>(c.part));
        EXPECT_EQ(S(p), c.expected);
    }
}

TEST(Path, Extensions) {
    const struct {
        const char16_t* path;
        bool has;
        const char16_t* ensured;
    } cases[] = {
        {u"doc.veldo", true, u"doc.veldo"},
        {u"C:\\dir.x\\doc", false, u"C:\\dir.x\\doc.veldo"},
        {u"C:\\dir\\", false, u"C:\\dir\\.veldo"},
        {u"C:\\dir/", false, u"C:\\dir/.veldo"},
        {u"", false, u".veldo"},
    };
    for (const auto& c : cases) {
        WPath p(reinterpret_cast<const WChar*>(c.path));
        EXPECT_EQ(p.HasExtension(), c.has);
        p.EnsureExtension(WTXT("veldo"));
        EXPECT_EQ(S(p), c.ensured);
    }
}

TEST(Format, Table) {
    const WChar* wide = WTXT("wide");
    WString out;
    struct Row {
        std::u16string got;
        std::u16string want;
    };
    auto f = [&](auto fmt, auto... args) {
        out.Format(fmt, args...);
        return S(out);
    };
    const Row rows[] = {
        {f(WTXT("%s|%-7s|%7s"), wide, "narrow", wide), u"wide|narrow |   wide"},
        {f(WTXT("%i %d %u"), -5, 42, 7u), u"-5 42 7"},
        {f(WTXT("%llx"), 0x5FBB0C60696BF471ULL), u"5fbb0c60696bf471"},
        {f(WTXT("%.4f %f"), 5.5, 5.5), u"5.5000 5.500000"},
        {f(WTXT("document%02i.veldo"), 3), u"document03.veldo"},
        {f(WTXT("%-12s:"), WTXT("StdHCell")), u"StdHCell    :"},
        {f(WTXT("%c%c"), 'A', WChar(0x00E9)), u"A\u00e9"},
        {f(WTXT("%s"), "caf\xc3\xa9"), u"caf\u00e9"},  // UTF-8 in, UTF-16 out
        {f(WTXT("%s"), 12), u"(?)"},                    // a number given to %s
        {f(WTXT("%d"), 4294967295u), u"-1"},            // 32-bit like the native printf
        {f(WTXT("%lld %%"), -9000000000LL), u"-9000000000 %"},
        {f(WTXT("%.2s|%5.1f"), wide, 2.25), u"wi|  2.2"},
        {f(WTXT("%s %s"), wide), u"wide (?)"},          // a missing argument
        {f(WTXT("%q")), u"%q"},
    };
    for (const auto& r : rows) EXPECT_EQ(r.got, r.want);
}

TEST(Format, MaximumLengthCountsTheTerminator) {
    WString out;
    out.FormatAtMost(5, WTXT("%s"), WTXT("abcdefgh"));
    EXPECT_EQ(S(out), u"abcd");
    NString narrow;
    narrow.Format("%s=%i", WTXT("\u00fc"), 3);
    EXPECT_STREQ(narrow.CStr(), "\xc3\xbc=3");
}

// One folding for file names, registry names and host names alike: Latin,
// Latin-1, Greek and Cyrillic capitals to small, nothing else.
TEST(CaseFolding, Table) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        bool same;
    } cases[] = {
        {u"LWM2015.3-64.CFG", u"lwm2015.3-64.cfg", true},
        {u"\u00c4RGER \u00d8", u"\u00e4rger \u00f8", true},   // Latin-1 capitals
        {u"\u00d7", u"\u00f7", false},                    // the multiplication sign is no letter
        {u"\u00df", u"SS", false},                         // simple folding: one unit to one
        {u"\u0391\u0392\u03a3", u"\u03b1\u03b2\u03c3", true},  // Greek
        {u"\u03a2", u"\u03c2", false},                    // no capital final sigma
        {u"\u0416\u0401\u0404", u"\u0436\u0451\u0454", true},  // Cyrillic, both blocks
        {u"@[`{", u"`{@[", false},                    // around the ASCII letters
        {u"abc", u"abcd", false},
    };
    for (const Case& c : cases) {
        const auto* a = reinterpret_cast<const WChar*>(c.a);
        const auto* b = reinterpret_cast<const WChar*>(c.b);
        EXPECT_EQ(WCompareNoCase(a, b) == 0, c.same) << "case " << (&c - cases);
        EXPECT_EQ(WContainsNoCase(a, b), c.same) << "case " << (&c - cases);
    }
    const auto* name = reinterpret_cast<const WChar*>(u"MAXON CINEMA 4D R20");
    EXPECT_TRUE(WContainsNoCase(name, WTXT("cinema 4d")));
    EXPECT_TRUE(WContainsNoCase(name, WTXT("")));
    EXPECT_FALSE(WContainsNoCase(name, WTXT("cinema 4d r20 ")));
    EXPECT_FALSE(WContainsNoCase(nullptr, WTXT("a")));
}

TEST(Base64, Table) {
    struct Case {
        std::string bytes;
        const char16_t* text;
    } cases[] = {
        {"", u""}, {"f", u"Zg=="}, {"fo", u"Zm8="}, {"foo", u"Zm9v"}, {"foobar", u"Zm9vYmFy"},
        {std::string("\x00\xff\xfe", 3), u"AP/+"},
    };
    for (const Case& c : cases) {
        WString text;
        EncodeBase64(reinterpret_cast<const uint8_t*>(c.bytes.data()), int64_t(c.bytes.size()), text);
        EXPECT_EQ(S(text), c.text) << c.bytes;
        DynamicArray<uint8_t> back;
        ASSERT_TRUE(DecodeBase64(reinterpret_cast<const WChar*>(c.text), back)) << c.bytes;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.data), size_t(back.count)), c.bytes);
    }
    DynamicArray<uint8_t> bytes;
    EXPECT_TRUE(DecodeBase64(WTXT("Zm9v\r\nYmFy\n"), bytes));  // line breaks between groups
    EXPECT_EQ(bytes.count, 6);
    for (const WChar* bad : {WTXT("Zg="), WTXT("Z==="), WTXT("Zg==Zg=="), WTXT("Zm9v!"), WTXT("Zg=a"),
                             WTXT("Zm9vY"), WTXT("Zm9v\u00e4")}) {
        EXPECT_FALSE(DecodeBase64(bad, bytes)) << S(WString(bad)).size();
        EXPECT_EQ(bytes.count, 0);
    }
}

}  // namespace
