// The job name, the job identifier, the time text and the PJL text filters.
#include <cstring>
#include <string>

#include "platform/Kernel.h"
#include "render/PjlHeader.h"
#include "tests/render_pjl/PjlFixture.h"

namespace kvpjl {
namespace {

TEST(Crc16ArcTest, KnownCheckValues) {
    struct Case {
        const char* text;
        WORD crc;
    };
    const Case cases[] = {
        {"123456789", 0xBB3D},  // the standard check value of CRC-16/ARC
        {"", 0x0000},
        {"A", 0x30C0},
        {"PC1", 0xF5F0},
        {"********", 0xC6A0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Crc16Arc(reinterpret_cast<const BYTE*>(c.text), std::strlen(c.text)), c.crc) << c.text;
    }
}

class JobNameTest : public PjlTest {};

TEST_F(JobNameTest, JobIdStringLayout) {
    struct Case {
        const char* name;
        DWORD ticks;
        const char* expected;
    };
    const Case cases[] = {
        // 01, five name bytes padded with 00, CRC of the name, ticks.
        {"PC1", 0x0012ABCD, "01" "5043310000" "F5F0" "0012ABCD"},
        {"ABCDEFGHIJKLMNOP", 0xFFFFFFFF, "01" "4142434445" "7D51" "FFFFFFFF"},
        // An empty name takes the checksum of eight asterisks.
        {"", 0, "01" "0000000000" "C6A0" "00000000"},
    };
    for (const Case& c : cases) {
        standin::SetTickCount(c.ticks);
        char out[kJobNameBytes];
        std::memset(out, 'x', sizeof out);
        MakeJobIdString(out, c.name, 1);
        EXPECT_STREQ(out, c.expected) << c.name;
    }
}

// The settings' computer name is used when it converts to 1 to 15 bytes; otherwise the
// system's computer name.
TEST_F(JobNameTest, ComputerNameSource) {
    struct Case {
        std::u16string settingsName;
        std::u16string systemName;
        const char* expectedStart;  // characters 1-16
    };
    const Case cases[] = {
        {u"PC1", u"HOSTA", "01" "5043310000" "F5F0"},
        // 16 characters fill the field without a terminator: ignored.
        {u"ABCDEFGHIJKLMNOP", u"A", "01" "4100000000" "30C0"},
        {u"ABCDEFGHIJKLMNO", u"A", "01" "4142434445"},
        // Eight kanji are 16 bytes in code page 932: ignored.
        {u"日本語日本語日本", u"A", "01" "4100000000" "30C0"},
        {u"", u"PC1", "01" "5043310000" "F5F0"},
    };
    standin::SetTickCount(0x0BADF00D);
    for (const Case& c : cases) {
        SetWide(Settings().ComputerName, c.settingsName);
        standin::SetComputerName(c.systemName);
        WritePjlJobStart(&Pdev());
        TakeBuffered();
        const std::string name = Pdev().WantedPage.JobName;
        EXPECT_EQ(name.size(), 24u);
        EXPECT_EQ(name.substr(0, std::strlen(c.expectedStart)), c.expectedStart) << kvtest::U8(c.settingsName);
        EXPECT_EQ(name.substr(16), "0BADF00D");
    }
}

// A system name longer than the first block is read again with the size it asked for.
TEST_F(JobNameTest, LongSystemComputerNameIsReadAgain) {
    standin::SetComputerName(std::u16string(300, u'X'));
    standin::SetTickCount(1);
    char out[kJobNameBytes];
    GetComputerJobId(&Pdev(), out, "");
    EXPECT_STREQ(out, "01" "5858585858" "040B" "00000001");
}

TEST_F(JobNameTest, JcidFromGuidUtcTimeAndJobId) {
    struct Case {
        SYSTEMTIME local;
        DWORD jobId;
        const char* expected;
    };
    const Case cases[] = {
        // GUID tail 1 2 3 250 255 0; UTC is nine hours before the local time.
        {{2024, 3, 2, 5, 9, 7, 3, 456}, 42, "001002003250255000" "20240305000703456" "0000000042"},
        {{2024, 3, 2, 5, 5, 0, 0, 7}, 4294967295u, "001002003250255000" "20240304200000007" "4294967295"},
    };
    for (const Case& c : cases) {
        standin::SetLocalTime(c.local);
        Pdev().JobId = c.jobId;
        char jcid[kJcidBytes];
        MakeJcid(&Pdev(), jcid);
        EXPECT_STREQ(jcid, c.expected);
        EXPECT_EQ(std::strlen(jcid), 45u);
    }
}

TEST(FormatJobTimeTest, LocalTimeOrDefault) {
    struct Case {
        SYSTEMTIME local;
        const char* expected;
    };
    // Default day 2024-04-01, default time 12:30.
    const Case cases[] = {
        {{2024, 4, 1, 1, 12, 30, 0, 0}, "202404011230"},   // exactly the default moment
        {{2024, 4, 1, 1, 12, 29, 59, 0}, "202404011230"},  // a minute earlier
        {{2024, 3, 31, 0, 23, 59, 0, 0}, "202404011230"},  // the day before
        {{2024, 5, 3, 1, 0, 0, 0, 0}, "202405010000"},     // a later month, earlier time of day
        {{2025, 1, 3, 1, 9, 5, 0, 0}, "202501010905"},
        {{2023, 12, 31, 0, 23, 59, 0, 0}, "202404011230"}, // an earlier year
        {{2024, 13, 1, 0, 0, 0, 0, 0}, "202404011230"},    // no month 13
        {{2024, 5, 0, 0, 0, 0, 0, 0}, "202404011230"},     // no day 0
        {{2024, 5, 32, 0, 0, 0, 0, 0}, "202404011230"},
        {{2024, 5, 1, 0, 24, 0, 0, 0}, "202404011230"},
        {{2024, 5, 1, 0, 23, 60, 0, 0}, "202404011230"},
    };
    for (const Case& c : cases) {
        char out[kJobTimeBytes];
        FormatJobTime(20240401, 1230, c.local, out);
        EXPECT_STREQ(out, c.expected) << c.local.wYear << "-" << c.local.wMonth << "-" << c.local.wDay << " "
                                      << c.local.wHour << ":" << c.local.wMinute;
    }
    // The default text keeps its width for a time below 10:00.
    char out[kJobTimeBytes];
    FormatJobTime(20240401, 5, SYSTEMTIME{2000, 1, 0, 1, 0, 0, 0, 0}, out);
    EXPECT_STREQ(out, "202404010005");
}

class PjlNameTest : public PjlTest {};

TEST_F(PjlNameTest, MakePJLNameCutsAndRefuses) {
    struct Case {
        std::u16string name;
        const char* expected;  // UTF-8 of the code page 932 result
    };
    const Case cases[] = {
        {u"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP"},     // 16 bytes kept whole
        {u"ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLM..."},    // 17 bytes: 13 and "..."
        {u"ABCDEFGHIJKLMあい", "ABCDEFGHIJKLM..."},     // the 13th byte ends a character
        {u"ABCDEFGHIJKLあいう", "ABCDEFGHIJKL..."},      // the 13th byte would split あ
        {u"山田太郎", "山田太郎"},
        {u"say \"hi\"", ""},                             // a double quote empties the name
        {u"a~b", ""},                                    // so does a tilde
        {u"ABCDEFGHIJKLMNOP~", "ABCDEFGHIJKLM..."},     // unless the cut drops it
        {u"", ""},
    };
    for (const Case& c : cases) {
        char out[kPjlNameBytes];
        std::memset(out, 'x', sizeof out);
        MakePJLName(out, c.name.c_str());
        EXPECT_LE(std::strlen(out), 16u);
        std::u16string wide(64, u'\0');
        MultiByteToWideChar(CP_ACP, 0, out, -1, wide.data(), 64);
        EXPECT_EQ(kvtest::U8(wide.c_str()), c.expected) << kvtest::U8(c.name);
    }
    char out[kPjlNameBytes] = "x";
    MakePJLName(out, nullptr);
    EXPECT_STREQ(out, "");
}

TEST(StripPjlControlBytesTest, RemovesQuotesAndControls) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"plain name", "plain name"},
        {"a\"b\"c", "abc"},
        {"line\r\n@PJL SET COPIES=99", "line@PJL SET COPIES=99"},
        {"\x1b%-12345X", "%-12345X"},
        {"tab\tdel\x7f" "end", "tabdelend"},
        {"\x01\x1f", ""},
        // Code page 932 bytes (ア, 日) are kept.
        {"\x83\x41\x93\xfa", "\x83\x41\x93\xfa"},
        {"", ""},
    };
    for (const Case& c : cases) {
        char text[64];
        std::strcpy(text, c.in);
        StripPjlControlBytes(text);
        EXPECT_STREQ(text, c.out);
    }
    StripPjlControlBytes(nullptr);
}

TEST_F(PjlNameTest, ConvertToAnsiCutsAtCharacterBoundaries) {
    struct Case {
        std::u16string text;
        int cchMax;
        int cbOut;
        const char* expected;
        bool cut;
    };
    const Case cases[] = {
        {u"abc", 10, 10, "abc", false},
        {u"abcdef", 3, 10, "abc", false},          // a field of three characters, not cut
        {u"あいう", 10, 6, "\x82\xa0\x82\xa2", true},  // five bytes of room take two characters
        {u"あいう", 10, 7, "\x82\xa0\x82\xa2\x82\xa4", false},
        {u"aあ", 10, 3, "a", true},
        {u"", 10, 10, "", false},
        {u"a\xD83D\xDE00", 10, 2, "a", true},    // a surrogate pair is not split
    };
    for (const Case& c : cases) {
        char out[16];
        std::memset(out, 'x', sizeof out);
        bool cut = !c.cut;
        const int length = ConvertToAnsi(c.text.c_str(), c.cchMax, out, c.cbOut, &cut);
        EXPECT_STREQ(out, c.expected) << kvtest::U8(c.text) << " into " << c.cbOut;
        EXPECT_EQ(length, static_cast<int>(std::strlen(c.expected)));
        EXPECT_EQ(cut, c.cut) << kvtest::U8(c.text);
    }
    char out[4] = "x";
    EXPECT_EQ(ConvertToAnsi(nullptr, 10, out, sizeof out), 0);
    EXPECT_STREQ(out, "");
}

}  // namespace
}  // namespace kvpjl
