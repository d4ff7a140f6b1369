// Conversions between the ANSI code pages, UTF-8 and UTF-16, called as the libraries call them.
#include <functional>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "tests/platform_kernel/KernelTestValues.h"
#include "tests/support/TestRoot.h"

namespace {

using namespace std::string_literals;

class CodePageTest : public kvtest::StandInTest {};

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::vector<unsigned> Units(const std::u16string& text) { return std::vector<unsigned>(text.begin(), text.end()); }

std::u16string ToWide(UINT codePage, const std::string& bytes, int cb, DWORD flags = 0) {
    const int needed = MultiByteToWideChar(codePage, flags, bytes.data(), cb, nullptr, 0);
    if (needed <= 0) return u"<failed>";
    std::u16string text(static_cast<size_t>(needed), u'#');
    EXPECT_EQ(needed, MultiByteToWideChar(codePage, flags, bytes.data(), cb, text.data(), needed));
    return text;
}

std::string ToBytes(UINT codePage, const std::u16string& text, int cch, LPCSTR defaultChar = nullptr,
                    BOOL* usedDefault = nullptr) {
    const int needed = WideCharToMultiByte(codePage, 0, text.data(), cch, nullptr, 0, defaultChar, usedDefault);
    if (needed <= 0) return "<failed>";
    std::string bytes(static_cast<size_t>(needed), '#');
    EXPECT_EQ(needed, WideCharToMultiByte(codePage, 0, text.data(), cch, bytes.data(), needed, defaultChar, usedDefault));
    return bytes;
}

// Characters with one code each way.
struct RoundTrip {
    const char* name;
    UINT codePage;
    std::string bytes;
    std::u16string text;
};

const RoundTrip kRoundTrips[] = {
    {"ascii 932", 932, "KV-TD520 LPT1:", u"KV-TD520 LPT1:"},
    {"kanji and katakana 932", 932, "\x95\x5C\x8E\xA6\x83\x5C\x83\x74\x83\x67", u"表示ソフト"},
    {"backslash after a kanji 932", 932, "\x95\x5C\\x", u"表\\x"},
    {"half-width katakana 932", 932, "\xB6\xC5", u"ｶﾅ"},
    {"user-defined area 932", 932, "\xF0\x40\xF9\xFC", u"\uE000\uE757"},
    {"platform single bytes 932", 932, "\x80\xA0\xFD\xFF", u"\u0080\uF8F0\uF8F1\uF8F3"},
    {"not sign 932 prefers the JIS row", 932, "\x81\xCA", u"\uFFE2"},
    {"small roman one 932 prefers the IBM row", 932, "\xFA\x40", u"\u2170"},
    {"euro and umlaut 1252", 1252, "\x80\xFC", u"€ü"},
    {"letters and signs of 0x80-0x9F 1252", 1252, "\x8A\x9F\x99", u"\u0160\u0178\u2122"},
    {"undefined bytes 1252 are C1 controls", 1252, "\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},
    {"utf-8 kanji and euro", CP_UTF8, "\xE8\xA1\xA8\xE2\x82\xAC", u"表€"},
    {"utf-8 outside the basic plane", CP_UTF8, "\xF0\xA0\x80\x8B", u"\U0002000B"},
};

TEST_F(CodePageTest, RoundTripsWithExplicitLengthAndThroughTheTerminator) {
    for (const RoundTrip& c : kRoundTrips) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Units(c.text), Units(ToWide(c.codePage, c.bytes, static_cast<int>(c.bytes.size()))));
        EXPECT_EQ(Hex(c.bytes), Hex(ToBytes(c.codePage, c.text, static_cast<int>(c.text.size()))));
        // -1 converts through the terminator, which is counted and written.
        EXPECT_EQ(Units(c.text + u'\0'), Units(ToWide(c.codePage, c.bytes, -1)));
        EXPECT_EQ(Hex(c.bytes + '\0'), Hex(ToBytes(c.codePage, c.text, -1)));
    }
}

TEST_F(CodePageTest, CodesThatReadBackToAnotherCode) {
    // The NEC-selected row holds characters the IBM row holds too; they read the same but
    // are written with the IBM code.
    EXPECT_EQ(Units(u"\u2170\uFFE2"), Units(ToWide(932, "\xEE\xEF\xEE\xF9", 4)));
    EXPECT_EQ(Hex("\xFA\x40\x81\xCA"), Hex(ToBytes(932, u"\u2170\uFFE2", 2)));
}

TEST_F(CodePageTest, AnsiCodePageFollowsTheStandIn) {
    EXPECT_EQ(932u, GetACP());
    EXPECT_EQ(Units(u"表"), Units(ToWide(CP_ACP, "\x95\x5C", 2)));
    standin::SetAnsiCodePage(1252);
    EXPECT_EQ(1252u, GetACP());
    EXPECT_EQ(Units(u"\u2022\\"), Units(ToWide(CP_ACP, "\x95\x5C", 2)));
    EXPECT_EQ(Hex("\x80"), Hex(ToBytes(CP_ACP, u"€", 1)));
}

TEST_F(CodePageTest, ShortBufferFailsAndExactBufferPasses) {
    struct Case {
        const char* name;
        UINT codePage;
        std::u16string text;
        int cb;  // bytes the text needs
    };
    const Case cases[] = {
        {"ascii", 932, u"LPT1:", 5},
        {"double-byte last", 932, u"ab表", 4},
        {"utf-8 four bytes", CP_UTF8, u"\U0002000B", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int cch = static_cast<int>(c.text.size());
        EXPECT_EQ(c.cb, WideCharToMultiByte(c.codePage, 0, c.text.data(), cch, nullptr, 0, nullptr, nullptr));
        std::string bytes(8, '#');
        EXPECT_EQ(c.cb, WideCharToMultiByte(c.codePage, 0, c.text.data(), cch, bytes.data(), c.cb, nullptr, nullptr));
        bytes.assign(8, '#');
        SetLastError(kSentinel);
        EXPECT_EQ(0, WideCharToMultiByte(c.codePage, 0, c.text.data(), cch, bytes.data(), c.cb - 1, nullptr, nullptr));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
        // A character that does not fit whole is not begun, and nothing past the size is touched.
        EXPECT_EQ('#', bytes[static_cast<size_t>(c.cb - 1)]);

        const std::string encoded = ToBytes(c.codePage, c.text, cch);
        std::u16string wide(8, u'#');
        EXPECT_EQ(cch, MultiByteToWideChar(c.codePage, 0, encoded.data(), c.cb, wide.data(), cch));
        SetLastError(kSentinel);
        EXPECT_EQ(0, MultiByteToWideChar(c.codePage, 0, encoded.data(), c.cb, wide.data(), cch - 1));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    }
}

TEST_F(CodePageTest, UnmappableCharactersBecomeTheDefaultCharacter) {
    struct Case {
        const char* name;
        UINT codePage;
        std::u16string text;
        const char* defaultChar;
        std::string expected;
        BOOL used;
    };
    const Case cases[] = {
        {"all mappable", 932, u"表A", nullptr, "\x95\x5C" "A", FALSE},
        {"euro in 932", 932, u"a€b", nullptr, "a?b", TRUE},
        {"yen sign in 932 gets no best fit", 932, u"\u00A5", nullptr, "?", TRUE},
        {"caller's default", 932, u"ü", "*", "*", TRUE},
        {"caller's double-byte default", 932, u"€", "\x81\x48", "\x81\x48", TRUE},
        {"kanji in 1252", 1252, u"x表", nullptr, "x?", TRUE},
        {"lone surrogate in 932", 932, u"\xD800", nullptr, "?", TRUE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BOOL used = 12345;
        EXPECT_EQ(Hex(c.expected), Hex(ToBytes(c.codePage, c.text, static_cast<int>(c.text.size()), c.defaultChar, &used)));
        EXPECT_EQ(c.used, used);
    }
}

TEST_F(CodePageTest, InvalidMultiByteInput) {
    struct Case {
        const char* name;
        UINT codePage;
        std::string bytes;
        int cb;
        std::u16string lenient;
    };
    const Case cases[] = {
        {"lead byte at the end", 932, "A\x95", 2, u"A\u30FB"},
        {"lead byte before the terminator keeps the terminator", 932, "\x95", -1, u"\u30FB\0"s},
        {"lead byte before a byte that cannot trail", 932, "\x95 A", 3, u"\u30FB A"},
        {"unassigned pair", 932, "\x85\x40Z", 3, u"\u30FBZ"},
        {"utf-8 cut short", CP_UTF8, "\xE8\xA1", 2, u"\uFFFD"},
        {"utf-8 overlong", CP_UTF8, "\xC0\x80", 2, u"\uFFFD\uFFFD"},
        {"utf-8 encoded surrogate", CP_UTF8, "\xED\xA0\x80", 3, u"\uFFFD\uFFFD\uFFFD"},
        {"utf-8 stray continuation", CP_UTF8, "a\x80", 2, u"a\uFFFD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Units(c.lenient), Units(ToWide(c.codePage, c.bytes, c.cb)));
        std::u16string out(8, u'#');
        SetLastError(kSentinel);
        EXPECT_EQ(0, MultiByteToWideChar(c.codePage, MB_ERR_INVALID_CHARS, c.bytes.data(), c.cb, out.data(), 8));
        EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION), GetLastError());
    }
    // Every byte value of 1252 is a character.
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(255, MultiByteToWideChar(1252, MB_ERR_INVALID_CHARS, all.data(), 255, nullptr, 0));
}

TEST_F(CodePageTest, BadArgumentsAreRefused) {
    char16_t wide[4] = {};
    char bytes[4] = {};
    BOOL used = FALSE;
    struct Case {
        const char* name;
        std::function<int()> call;
    };
    const Case cases[] = {
        {"mb: zero length", [&] { return MultiByteToWideChar(932, 0, "a", 0, wide, 4); }},
        {"mb: length below -1", [&] { return MultiByteToWideChar(932, 0, "a", -2, wide, 4); }},
        {"mb: negative size", [&] { return MultiByteToWideChar(932, 0, "a", 1, wide, -1); }},
        {"mb: no buffer with a size", [&] { return MultiByteToWideChar(932, 0, "a", 1, nullptr, 4); }},
        {"mb: no source", [&] { return MultiByteToWideChar(932, 0, nullptr, 1, wide, 4); }},
        {"mb: unknown code page", [&] { return MultiByteToWideChar(437, 0, "a", 1, wide, 4); }},
        {"wc: zero length", [&] { return WideCharToMultiByte(932, 0, u"a", 0, bytes, 4, nullptr, nullptr); }},
        {"wc: no buffer with a size", [&] { return WideCharToMultiByte(932, 0, u"a", 1, nullptr, 4, nullptr, nullptr); }},
        {"wc: unknown code page", [&] { return WideCharToMultiByte(850, 0, u"a", 1, bytes, 4, nullptr, nullptr); }},
        {"wc: utf-8 with a default character", [&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 4, "?", nullptr); }},
        {"wc: utf-8 asking about the default", [&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 4, nullptr, &used); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kSentinel);
        EXPECT_EQ(0, c.call());
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    }
}

TEST_F(CodePageTest, LeadBytes) {
    struct Case {
        BYTE byte;
        BOOL lead932;
    };
    const Case cases[] = {{0x40, FALSE}, {0x5C, FALSE}, {0x80, FALSE}, {0x81, TRUE}, {0x95, TRUE}, {0x9F, TRUE},
                          {0xA0, FALSE}, {0xA1, FALSE}, {0xDF, FALSE}, {0xE0, TRUE}, {0xFC, TRUE}, {0xFD, FALSE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.byte);
        EXPECT_EQ(c.lead932, IsDBCSLeadByteEx(932, c.byte));
        EXPECT_EQ(c.lead932, IsDBCSLeadByte(c.byte));
        EXPECT_FALSE(IsDBCSLeadByteEx(1252, c.byte));
        EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, c.byte));
    }
    standin::SetAnsiCodePage(1252);
    EXPECT_FALSE(IsDBCSLeadByte(0x95));
    EXPECT_FALSE(IsDBCSLeadByteEx(CP_ACP, 0x95));
}

TEST_F(CodePageTest, CharNextAStepsOverPairsButNeverPastTheTerminator) {
    // 表 is 95 5C: its trail byte is a backslash, which a byte-wise walk would take for one.
    const char text[] = "\x95\x5C\\x";
    const char* p = text;
    p = CharNextA(p);
    EXPECT_EQ(text + 2, p);
    p = CharNextA(p);
    EXPECT_EQ(text + 3, p);
    p = CharNextA(p);
    EXPECT_EQ(text + 4, p);
    EXPECT_EQ(text + 4, CharNextA(p));

    const char broken[] = "\x95";
    EXPECT_EQ(broken + 1, CharNextA(broken));
    EXPECT_EQ(broken + 1, CharNextA(broken + 1));

    standin::SetAnsiCodePage(1252);
    EXPECT_EQ(text + 1, CharNextA(text));
}

}  // namespace
