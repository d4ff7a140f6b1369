// Resources of loaded modules: strings, language choice, raw data, and tables that lie.
#include <cstring>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/src/ResourceReader.h"
#include "tests/platform_modules/ModulesTestValues.h"
#include "tests/support/TestRoot.h"

namespace {

// Loads a module for one test and frees it after.
class Loaded {
public:
    explicit Loaded(const std::u16string& name) : module_(LoadLibraryW(name.c_str())) {}
    ~Loaded() {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    Loaded(const Loaded&) = delete;
    Loaded& operator=(const Loaded&) = delete;
    HMODULE get() const { return module_; }

private:
    HMODULE module_;
};

using ResourceTest = kvtest::StandInTest;

TEST_F(ResourceTest, LoadStringCopiesCutsAndTerminates) {
    Loaded english(kEnglish);
    Loaded test(u"kvtestmodule");
    ASSERT_NE(english.get(), nullptr);
    ASSERT_NE(test.get(), nullptr);
    struct Case {
        const char* what;
        HMODULE module;
        UINT id;
        int cchBuffer;
        std::u16string expected;
    };
    const Case cases[] = {
        {"fits", english.get(), 300, 32, u"Auto Select"},
        {"exactly fits with its terminator", english.get(), 300, 12, u"Auto Select"},
        {"one character short", english.get(), 300, 11, u"Auto Selec"},
        {"room for the terminator only", english.get(), 300, 1, u""},
        {"source name into a 24-character buffer", english.get(), 226, 24, u"GROUPB"},
        {"longer text into a 24-character buffer", test.get(), 40, 24, u"A text longer than the "},
        {"first string of a block", english.get(), 208, 24, u"ENV"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<WCHAR> buffer(static_cast<size_t>(c.cchBuffer) + 1, u'#');
        SetLastError(kSentinel);
        EXPECT_EQ(LoadStringW(c.module, c.id, buffer.data(), c.cchBuffer), static_cast<int>(c.expected.size()));
        EXPECT_EQ(std::u16string(buffer.data()), c.expected);
        EXPECT_EQ(buffer.back(), u'#');  // nothing written past cchBuffer
        EXPECT_EQ(GetLastError(), kSentinel);
    }
}

TEST_F(ResourceTest, LoadStringOfMissingIdLeavesAnEmptyString) {
    Loaded english(kEnglish);
    ASSERT_NE(english.get(), nullptr);
    const UINT missing[] = {221, 224, 227, 1000, 0xFFFF, 0x10000};
    for (UINT id : missing) {
        SCOPED_TRACE(id);
        WCHAR buffer[24] = {u'#', u'#'};
        SetLastError(kSentinel);
        EXPECT_EQ(LoadStringW(english.get(), id, buffer, 24), 0);
        EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
        EXPECT_EQ(buffer[0], u'\0');
    }
}

TEST_F(ResourceTest, LoadStringWithoutBufferSizeHandsOutTheText) {
    Loaded english(kEnglish);
    ASSERT_NE(english.get(), nullptr);
    const WCHAR* text = nullptr;
    EXPECT_EQ(LoadStringW(english.get(), 300, reinterpret_cast<LPWSTR>(&text), 0), 11);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::u16string(text, 11), u"Auto Select");
    // The counted strings are not terminated: the next string's length follows.
    EXPECT_EQ(text[11], 0);
}

TEST_F(ResourceTest, SourceAndDeviceNamesAreTheSameInBothLanguages) {
    Loaded english(kEnglish);
    Loaded japanese(kJapanese);
    ASSERT_NE(english.get(), nullptr);
    ASSERT_NE(japanese.get(), nullptr);
    const struct {
        UINT id;
        const char16_t* name;  // nullptr: deliberately absent
    } names[] = {
        {200, u"AUTO"},    {201, u"FEEDER1"}, {202, u"FEEDER2"}, {203, u"FEEDER3"}, {204, u"FEEDER4"},
        {205, u"FEEDER5"}, {206, u"MSF"},     {207, u"MANUAL"},  {208, u"ENV"},     {209, u"DUPLEX"},
        {210, u"SORTER"},  {211, u"PLOTTER"}, {212, u"NIC"},     {213, u"RCC"},     {214, u"FIN1"},
        {215, u"FIN2"},    {216, u"LCS"},     {217, u"FUT"},     {218, u"HDD"},     {219, u"MP"},
        {220, u"LCH"},     {221, nullptr},    {222, nullptr},    {223, nullptr},    {224, nullptr},
        {225, u"GROUPA"},  {226, u"GROUPB"},  {99, u"VRTL"},
    };
    for (const auto& n : names) {
        SCOPED_TRACE(n.id);
        for (HMODULE module : {english.get(), japanese.get()}) {
            WCHAR buffer[24];
            const int cch = LoadStringW(module, n.id, buffer, 24);
            EXPECT_EQ(std::u16string(buffer, static_cast<size_t>(cch)), n.name == nullptr ? u"" : n.name);
        }
    }
}

TEST_F(ResourceTest, StringBlockIsLaidOutAsSixteenCountedStrings) {
    Loaded english(kEnglish);
    ASSERT_NE(english.get(), nullptr);
    // Block 19 holds ids 288 to 303; only 300 (index 12) is present.
    HRSRC block = FindResourceExW(english.get(), RT_STRING, MAKEINTRESOURCEW(19), MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT));
    ASSERT_NE(block, nullptr);
    std::vector<BYTE> expected(12 * 2, 0);                          // ids 288 to 299: empty
    const std::vector<BYTE> text = kvtest::Utf16LeBytes(u"\u000BAuto Select", false);  // count, then text
    expected.insert(expected.end(), text.begin(), text.end());
    expected.insert(expected.end(), 3 * 2, 0);                      // ids 301 to 303: empty
    ASSERT_EQ(SizeofResource(english.get(), block), expected.size());
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(english.get(), block)));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::vector<BYTE>(data, data + expected.size()), expected);
}

TEST_F(ResourceTest, FindResourceChoosesTheLanguageAsThePlatformDoes) {
    Loaded test(u"kvtestmodule");
    ASSERT_NE(test.get(), nullptr);
    // RCDATA 1: neutral, 0x409, 0x411; 2: 0x409, 0x411; 3: 0x407, 0x40C. Each holds its LANGID.
    struct Case {
        LANGID user;
        WORD id;
        WORD chosen;
        const char* why;
    };
    const Case cases[] = {
        {0x411, 1, 0x411, "exact"},
        {0x409, 1, 0x409, "exact"},
        {0x809, 1, 0x409, "same primary language"},
        {0x40C, 1, 0x000, "neutral"},
        {0x40C, 2, 0x409, "English"},
        {0x80C, 3, 0x40C, "same primary language"},
        {0x411, 3, 0x407, "first"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "user " << std::hex << c.user << " id " << c.id << ": " << c.why);
        standin::SetUserDefaultLanguage(c.user);
        HRSRC found = FindResourceW(test.get(), MAKEINTRESOURCEW(c.id), RT_RCDATA);
        ASSERT_NE(found, nullptr);
        ASSERT_EQ(SizeofResource(test.get(), found), 2u);
        WORD language = 0xFFFF;
        std::memcpy(&language, LockResource(LoadResource(test.get(), found)), 2);
        EXPECT_EQ(language, c.chosen);
    }

    // Strings follow the same choice.
    WCHAR buffer[8];
    standin::SetUserDefaultLanguage(0x411);
    EXPECT_EQ(LoadStringW(test.get(), 1, buffer, 8), 3);
    EXPECT_EQ(std::u16string(buffer), u"\u65E5\u672C\u8A9E");
    standin::SetUserDefaultLanguage(0x409);
    EXPECT_EQ(LoadStringW(test.get(), 1, buffer, 8), 7);
    EXPECT_EQ(std::u16string(buffer), u"English");
}

TEST_F(ResourceTest, FindResourceExWantsTheExactLanguage) {
    Loaded test(u"kvtestmodule");
    Loaded english(kEnglish);
    ASSERT_NE(test.get(), nullptr);
    HMODULE host = nullptr;  // the test program carries no resources
    int notAModule = 0;
    struct Case {
        const char* what;
        HMODULE module;
        LPCWSTR type;
        LPCWSTR name;
        LANGID language;
        DWORD error;  // ERROR_SUCCESS: found
    };
    const Case cases[] = {
        {"exact", test.get(), RT_RCDATA, MAKEINTRESOURCEW(1), 0x411, ERROR_SUCCESS},
        {"id as #text", test.get(), RT_RCDATA, u"#1", 0x409, ERROR_SUCCESS},
        {"type as #text", test.get(), u"#10", MAKEINTRESOURCEW(2), 0x409, ERROR_SUCCESS},
        {"language 0 chooses", test.get(), RT_RCDATA, MAKEINTRESOURCEW(3), 0, ERROR_SUCCESS},
        {"no such language", test.get(), RT_RCDATA, MAKEINTRESOURCEW(3), 0x409, ERROR_RESOURCE_LANG_NOT_FOUND},
        {"no such sublanguage", test.get(), RT_RCDATA, MAKEINTRESOURCEW(2), 0x809, ERROR_RESOURCE_LANG_NOT_FOUND},
        {"no such id", test.get(), RT_RCDATA, MAKEINTRESOURCEW(99), 0x409, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"named resource", test.get(), RT_RCDATA, u"NAMED", 0x409, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"no such type", test.get(), RT_DIALOG, MAKEINTRESOURCEW(1), 0x409, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"module without resources", host, RT_RCDATA, MAKEINTRESOURCEW(1), 0x409, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"not a module", reinterpret_cast<HMODULE>(&notAModule), RT_RCDATA, MAKEINTRESOURCEW(1), 0x409, ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(kSentinel);
        HRSRC found = FindResourceExW(c.module, c.type, c.name, c.language);
        EXPECT_EQ(found != nullptr, c.error == ERROR_SUCCESS);
        EXPECT_EQ(GetLastError(), c.error == ERROR_SUCCESS ? kSentinel : c.error);
    }

    // A resource handle belongs to its own module only.
    HRSRC own = FindResourceExW(test.get(), RT_RCDATA, MAKEINTRESOURCEW(1), 0x411);
    ASSERT_NE(own, nullptr);
    SetLastError(kSentinel);
    EXPECT_EQ(LoadResource(english.get(), own), nullptr);
    EXPECT_EQ(SizeofResource(english.get(), own), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

BOOL CALLBACK CollectLanguages(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    auto* seen = reinterpret_cast<std::vector<WORD>*>(param);
    seen->push_back(language);
    return seen->size() < 2 || seen->front() != 0 ? TRUE : FALSE;  // a neutral first stops at two
}

TEST_F(ResourceTest, EnumResourceLanguagesListsInOrderAndStopsWhenAsked) {
    Loaded test(u"kvtestmodule");
    ASSERT_NE(test.get(), nullptr);
    std::vector<WORD> seen;
    EXPECT_TRUE(EnumResourceLanguagesW(test.get(), RT_RCDATA, MAKEINTRESOURCEW(3), CollectLanguages,
                                       reinterpret_cast<LONG_PTR>(&seen)));
    EXPECT_EQ(seen, (std::vector<WORD>{0x407, 0x40C}));

    seen.clear();
    SetLastError(kSentinel);
    EXPECT_FALSE(EnumResourceLanguagesW(test.get(), RT_RCDATA, MAKEINTRESOURCEW(1), CollectLanguages,
                                        reinterpret_cast<LONG_PTR>(&seen)));
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_ENUM_USER_STOP);
    EXPECT_EQ(seen, (std::vector<WORD>{0x000, 0x409}));

    seen.clear();
    EXPECT_FALSE(EnumResourceLanguagesW(test.get(), RT_RCDATA, MAKEINTRESOURCEW(4), CollectLanguages,
                                        reinterpret_cast<LONG_PTR>(&seen)));
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_TRUE(seen.empty());
}

// --- The table reader, fed tables made by hand -------------------------------------------

void PutDword(std::vector<BYTE>& out, DWORD value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

struct HandEntry {
    DWORD type, id;
    WORD language;
    DWORD offset, size;
};

std::vector<BYTE> MakeTable(DWORD magic, DWORD count, const std::vector<HandEntry>& entries, size_t dataBytes) {
    std::vector<BYTE> table;
    PutDword(table, magic);
    PutDword(table, count);
    for (const HandEntry& e : entries) {
        PutDword(table, e.type);
        PutDword(table, e.id);
        PutDword(table, e.language);
        PutDword(table, e.offset);
        PutDword(table, e.size);
    }
    table.resize(table.size() + dataBytes, 0xAB);
    return table;
}

TEST(ResourceTableReader, RejectsEveryInconsistentTable) {
    // A sound table: two entries at 48 (8 + 2 * 20), 4 data bytes each.
    const HandEntry a{10, 1, 0x409, 48, 4};
    const HandEntry b{10, 2, 0x409, 52, 4};
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
        bool valid;
    };
    const Case cases[] = {
        {"sound", MakeTable(kResourceTableMagic, 2, {a, b}, 8), true},
        {"empty but sound", MakeTable(kResourceTableMagic, 0, {}, 0), true},
        {"empty data at the very end", MakeTable(kResourceTableMagic, 2, {a, {10, 2, 0x409, 56, 0}}, 8), true},
        {"bad magic", MakeTable(0x3153524C, 2, {a, b}, 8), false},
        {"header cut short", std::vector<BYTE>{0x4B, 0x52, 0x53, 0x31, 0}, false},
        {"count beyond the table", MakeTable(kResourceTableMagic, 3, {a, b}, 8), false},
        {"huge count", MakeTable(kResourceTableMagic, 0xFFFFFFFF, {a, b}, 8), false},
        {"data one byte too long", MakeTable(kResourceTableMagic, 2, {a, {10, 2, 0x409, 52, 5}}, 8), false},
        {"offset beyond the end", MakeTable(kResourceTableMagic, 2, {a, {10, 2, 0x409, 60, 0}}, 8), false},
        {"size wrapping around", MakeTable(kResourceTableMagic, 2, {a, {10, 2, 0x409, 52, 0xFFFFFFFC}}, 8), false},
        {"data over the entries", MakeTable(kResourceTableMagic, 2, {{10, 1, 0x409, 8, 4}, b}, 8), false},
        {"unaligned data", MakeTable(kResourceTableMagic, 2, {a, {10, 2, 0x409, 53, 2}}, 8), false},
        {"out of order", MakeTable(kResourceTableMagic, 2, {b, a}, 8), false},
        {"duplicate", MakeTable(kResourceTableMagic, 2, {a, a}, 8), false},
        {"type 0", MakeTable(kResourceTableMagic, 2, {{0, 1, 0x409, 48, 4}, b}, 8), false},
        {"id above a word", MakeTable(kResourceTableMagic, 2, {a, {10, 0x10000, 0x409, 52, 4}}, 8), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto table = standin::resources::Table::Parse(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(table.Valid(), c.valid);
        EXPECT_EQ(table.Entries().size(), c.valid ? c.bytes[4] : 0u);
        EXPECT_EQ(table.Find(10, 2).size(), c.valid && c.bytes[4] == 2 ? 1u : 0u);
    }
    EXPECT_FALSE(standin::resources::Table::Parse(nullptr, 100).Valid());
    // A table must start at a 4-byte boundary: its strings are handed out as UTF-16.
    std::vector<BYTE> shifted(1, 0);
    const std::vector<BYTE> sound = MakeTable(kResourceTableMagic, 0, {}, 0);
    shifted.insert(shifted.end(), sound.begin(), sound.end());
    EXPECT_FALSE(standin::resources::Table::Parse(shifted.data() + 1, sound.size()).Valid());
}

TEST(ResourceTableReader, StringBlockWalkStopsAtTheBlockEnd) {
    // Strings 0 ("ab") and 1 (""), then string 2 claims 3 characters but the block ends.
    const std::vector<BYTE> block = {2, 0, 'a', 0, 'b', 0, 0, 0, 3, 0, 'x', 0};
    struct Case {
        unsigned index;
        DWORD cb;
        bool found;
        size_t cch;
    };
    const Case cases[] = {
        {0, 12, true, 2}, {1, 12, true, 0}, {2, 12, false, 0}, {15, 12, false, 0},
        {0, 5, false, 0},  // cut inside the first string
        {0, 1, false, 0},  // cut inside the first count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "index " << c.index << " of " << c.cb << " bytes");
        const WCHAR* text = nullptr;
        size_t cch = 99;
        EXPECT_EQ(standin::resources::StringInBlock(block.data(), c.cb, c.index, &text, &cch), c.found);
        if (c.found) {
            EXPECT_EQ(cch, c.cch);
        }
    }
}

}  // namespace
