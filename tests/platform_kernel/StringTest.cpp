// The NUL-terminated string helpers: bounds of the copies, case folding of the
// comparisons, and the number parser.
#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "platform/Kernel.h"
#include "tests/support/TestRoot.h"

namespace {

TEST(WideStringTest, LengthCopyAndConcatenate) {
    EXPECT_EQ(0, lstrlenW(nullptr));
    EXPECT_EQ(0, lstrlenW(u""));
    EXPECT_EQ(5, lstrlenW(u"表示ソフト"));
    EXPECT_EQ(0, lstrlenA(nullptr));
    EXPECT_EQ(3, lstrlenA("abc"));

    std::u16string buffer(24, u'#');
    EXPECT_EQ(buffer.data(), lstrcpyW(buffer.data(), u"C:\\Windows"));
    EXPECT_EQ(buffer.data(), lstrcatW(buffer.data(), u"\\system32"));
    EXPECT_EQ(std::u16string(u"C:\\Windows\\system32\0####", 24), buffer);
    EXPECT_EQ(nullptr, lstrcpyW(buffer.data(), nullptr));
    EXPECT_EQ(nullptr, lstrcatW(nullptr, u"x"));
}

TEST(WideStringTest, BoundedCopiesNeverWritePastTheirSize) {
    struct Case {
        const char16_t* src;
        int cchMax;
        std::u16string expected;  // the whole 8-unit buffer afterwards
    };
    const Case cases[] = {
        {u"abcdef", 4, std::u16string(u"abc\0####", 8)},
        {u"ab", 4, std::u16string(u"ab\0#####", 8)},
        {u"abc", 1, std::u16string(u"\0#######", 8)},
        {u"abc", 0, u"########"},   // no room even for the terminator: untouched
        {u"abc", -3, u"########"},
        {nullptr, 4, std::u16string(u"\0#######", 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cchMax);
        std::u16string wide(8, u'#');
        EXPECT_EQ(wide.data(), lstrcpynW(wide.data(), c.src, c.cchMax));
        EXPECT_EQ(c.expected, wide);

        // The narrow copy follows the same rule.
        std::string narrow(8, '#');
        const std::string src = c.src == nullptr ? "" : kvtest::U8(c.src);
        EXPECT_EQ(narrow.data(), lstrcpynA(narrow.data(), c.src == nullptr ? nullptr : src.c_str(), c.cchMax));
        EXPECT_EQ(kvtest::U8(c.expected), narrow);
    }
}

TEST(WideStringTest, Comparisons) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        int exact;
        int folded;
    };
    const Case cases[] = {
        {u"abc", u"abc", 0, 0},
        {u"abc", u"abd", -1, -1},
        {u"abd", u"abc", 1, 1},
        {u"ab", u"abc", -1, -1},
        {u"Printer", u"PRINTER", 1, 0},
        {u"müller", u"MÜLLER", 1, 0},
        {u"ｋｖ", u"ＫＶ", 1, 0},        // full-width letters
        {u"\u00F7", u"\u00D7", 1, 1},    // division and multiplication signs are not a letter pair
        {u"\u00FF", u"\u0178", -1, 0},   // y with diaeresis has its capital outside Latin-1
        {u"lpt1:", u"LPT2:", 1, -1},
        {nullptr, u"", -1, -1},
        {nullptr, nullptr, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kvtest::U8(c.a == nullptr ? u"(null)" : c.a) + " / " + kvtest::U8(c.b == nullptr ? u"(null)" : c.b));
        EXPECT_EQ(c.exact, lstrcmpW(c.a, c.b));
        EXPECT_EQ(c.folded, lstrcmpiW(c.a, c.b));
        EXPECT_EQ(-c.folded, lstrcmpiW(c.b, c.a));
    }
}

class AnsiStringTest : public kvtest::StandInTest {};

TEST_F(AnsiStringTest, CaseInsensitiveComparisonLeavesTrailBytesAlone) {
    EXPECT_EQ(0, lstrcmpiA("Kv-Port.ini", "KV-PORT.INI"));
    EXPECT_EQ(-1, lstrcmpiA("LPT1", "lpt2"));
    // 83 61 and 83 41 are two different katakana; their trail bytes are 'a' and 'A'.
    EXPECT_NE(0, lstrcmpiA("\x83\x61", "\x83\x41"));
    // ...but in 1252 they are two separate characters that fold together.
    standin::SetAnsiCodePage(1252);
    EXPECT_EQ(0, lstrcmpiA("\x83\x61", "\x83\x41"));
}

TEST(WideStringTest, DecimalParsing) {
    struct Case {
        const char16_t* text;
        LONG value;
    };
    const Case cases[] = {
        {u"123", 123},
        {u"  -42x", -42},
        {u"+7", 7},
        {u"\t\r\n 9", 9},
        {u"99999", 99999},
        {u"", 0},
        {u"LastNumber", 0},
        {u"- 5", 0},
        {u"2147483647", INT32_MAX},
        {u"2147483648", INT32_MAX},
        {u"-2147483648", INT32_MIN},
        {u"-99999999999999999999999", INT32_MIN},
        {u"123456789012345678901234567890", INT32_MAX},
        {nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text == nullptr ? "(null)" : kvtest::U8(c.text));
        EXPECT_EQ(c.value, _wtol(c.text));
    }
}

TEST(WideStringTest, CharNextWStepsWholeCharacters) {
    const char16_t text[] = u"a\U0002000Bb";
    EXPECT_EQ(text + 1, CharNextW(text));
    EXPECT_EQ(text + 3, CharNextW(text + 1));  // a surrogate pair is one step
    EXPECT_EQ(text + 4, CharNextW(text + 3));
    EXPECT_EQ(text + 4, CharNextW(text + 4));  // stays on the terminator
    const char16_t lone[] = u"\xD800";
    EXPECT_EQ(lone + 1, CharNextW(lone));
}

}  // namespace
