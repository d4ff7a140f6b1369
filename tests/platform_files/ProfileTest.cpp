// Ini profile files: reading by the platform's rules and rewriting without losing lines.
#include <filesystem>

#include "platform/Kernel.h"
#include "platform/Profile.h"
#include "tests/support/TestRoot.h"

namespace {

constexpr const char16_t* kIni = u"C:\\Windows\\VRTL_LOG.INI";

class ProfileTest : public kvtest::StandInTest {
protected:
    std::string Text(const char16_t* path) {
        const std::vector<BYTE> bytes = ReadFile(path);
        return std::string(bytes.begin(), bytes.end());
    }
};

TEST_F(ProfileTest, ReadsByThePlatformsRules) {
    WriteFile(kIni,
              "; comment line\r\n"
              "[KV-TD520]\r\n"
              "MODE = 1\r\n"
              "  Level=  \"quoted value\"  \r\n"
              "Name='single'\r\n"
              "Neg=-5\r\n"
              "Mixed=12abc\r\n"
              "Hex=0x10\r\n"
              "Empty=\r\n"
              ";Commented=7\r\n"
              "Half=\"open\r\n"
              "[kv-td520]\r\n"
              "MODE=9\r\n"
              "Later=3\r\n"
              "[Other]\r\n"
              "Key=other\n");
    struct Case {
        const char16_t* section;
        const char16_t* key;
        std::u16string text;  // GetPrivateProfileStringW with the default "dflt"
        UINT number;          // GetPrivateProfileIntW with the default 42
    };
    const Case cases[] = {
        {u"KV-TD520", u"MODE", u"1", 1},
        {u"kv-td520", u"mode", u"1", 1},  // names fold; the first section and key win
        {u"KV-TD520", u"LEVEL", u"quoted value", 0},
        {u"KV-TD520", u"Name", u"single", 0},
        {u"KV-TD520", u"Neg", u"-5", static_cast<UINT>(-5)},
        {u"KV-TD520", u"Mixed", u"12abc", 12},
        {u"KV-TD520", u"Hex", u"0x10", 16},
        {u"KV-TD520", u"Empty", u"", 0},
        {u"KV-TD520", u"Half", u"\"open", 0},        // quotes go only in pairs
        {u"KV-TD520", u";Commented", u"dflt", 42},
        {u"KV-TD520", u"Later", u"dflt", 42},         // only in the second section of that name
        {u"KV-TD520", u"Missing", u"dflt", 42},
        {u"Missing", u"MODE", u"dflt", 42},
        {u"Other", u"Key", u"other", 0},               // a last line without CR
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kvtest::U8(c.section) + "/" + kvtest::U8(c.key));
        WCHAR buffer[64];
        const DWORD n = GetPrivateProfileStringW(c.section, c.key, u"dflt", buffer, 64, kIni);
        EXPECT_EQ(std::u16string(buffer), c.text);
        EXPECT_EQ(n, c.text.size());
        EXPECT_EQ(GetPrivateProfileIntW(c.section, c.key, 42, u"vrtl_log.ini"), c.number);  // bare name: Windows folder
    }

    WCHAR cut[4];
    EXPECT_EQ(GetPrivateProfileStringW(u"KV-TD520", u"Level", u"", cut, 4, kIni), 3u);
    EXPECT_EQ(std::u16string(cut), u"quo");
}

TEST_F(ProfileTest, MissingFileGivesTheDefaults) {
    WCHAR buffer[16] = u"sentinel";
    EXPECT_EQ(GetPrivateProfileStringW(u"KV-TD520", u"MODE", u"none", buffer, 16, u"C:\\Windows\\absent.ini"), 4u);
    EXPECT_EQ(std::u16string(buffer), u"none");
    EXPECT_EQ(GetPrivateProfileIntW(u"KV-TD520", u"SIZE", 10, u"absent.ini"), 10u);
    EXPECT_EQ(GetPrivateProfileStringW(u"KV-TD520", u"MODE", nullptr, buffer, 16, u"absent.ini"), 0u);
    EXPECT_EQ(buffer[0], u'\0');
}

TEST_F(ProfileTest, ReadsAnsiInTheCodePageAndUtf16) {
    WriteFile(u"C:\\Windows\\ja.ini", "[S]\r\nName=\x93\xfa\x96\x7b\r\n");  // 日本 in code page 932
    WCHAR buffer[16];
    EXPECT_EQ(GetPrivateProfileStringW(u"S", u"Name", u"", buffer, 16, u"ja.ini"), 2u);
    EXPECT_EQ(std::u16string(buffer), u"日本");

    WriteFile(u"C:\\Windows\\wide.ini", kvtest::Utf16LeBytes(u"[S]\r\nName=日本語\r\n", true));
    EXPECT_EQ(GetPrivateProfileStringW(u"S", u"name", u"", buffer, 16, u"wide.ini"), 3u);
    EXPECT_EQ(std::u16string(buffer), u"日本語");
}

TEST_F(ProfileTest, WritesKeepTheOtherLines) {
    const std::string original =
        "; settings\r\n"
        "[A]\r\n"
        "one=1\r\n"
        "two = 2\r\n"
        "\r\n"
        "[B]\r\n"
        "x=y\r\n";
    struct Case {
        const char* name;
        const char16_t* section;
        const char16_t* key;
        const char16_t* value;
        std::string expected;
    };
    const Case cases[] = {
        {"replace a key", u"a", u"TWO", u"22", "; settings\r\n[A]\r\none=1\r\nTWO=22\r\n\r\n[B]\r\nx=y\r\n"},
        {"add a key to a section", u"A", u"three", u"3", "; settings\r\n[A]\r\none=1\r\ntwo = 2\r\nthree=3\r\n\r\n[B]\r\nx=y\r\n"},
        {"add a section", u"C", u"k", u"v", original + "[C]\r\nk=v\r\n"},
        {"remove a key", u"A", u"one", nullptr, "; settings\r\n[A]\r\ntwo = 2\r\n\r\n[B]\r\nx=y\r\n"},
        {"remove a section", u"b", nullptr, nullptr, "; settings\r\n[A]\r\none=1\r\ntwo = 2\r\n\r\n"},
        {"remove a missing key", u"A", u"none", nullptr, original},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(u"C:\\Windows\\w.ini", original);
        ASSERT_TRUE(WritePrivateProfileStringW(c.section, c.key, c.value, u"w.ini"));
        EXPECT_EQ(Text(u"C:\\Windows\\w.ini"), c.expected);
    }
    // The file is replaced whole: no temporary file is left beside it.
    size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(root_.Path() + "/C/Windows")) entries += entry.is_regular_file();
    EXPECT_EQ(entries, 1u);
}

TEST_F(ProfileTest, WritesKeepTheEncoding) {
    ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"Name", u"日本", u"C:\\Windows\\new.ini"));
    EXPECT_EQ(Text(u"C:\\Windows\\new.ini"), "[S]\r\nName=\x93\xfa\x96\x7b\r\n");  // ANSI for a new file

    WriteFile(u"C:\\Windows\\wide.ini", kvtest::Utf16LeBytes(u"[S]\r\nName=a\r\n", true));
    ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"Name", u"日本", u"wide.ini"));
    const std::vector<BYTE> expected = kvtest::Utf16LeBytes(u"[S]\r\nName=日本\r\n", true);
    EXPECT_EQ(ReadFile(u"C:\\Windows\\wide.ini"), expected);

    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(WritePrivateProfileStringW(u"S", u"k", u"v", u"C:\\nofolder\\x.ini"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

}  // namespace
