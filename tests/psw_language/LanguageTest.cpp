// The window sets' language choice and their language libraries.
#include <gtest/gtest.h>

#include <vector>

#include "psw/Language.h"
#include "platform/Kernel.h"
#include "platform/StandInLocale.h"
#include "resources/psw/PswIds.h"
#include "tests/support/PswBaseFixture.h"

namespace {

constexpr char16_t kRootKey[] = u"Software\\ZEV\\Stanvel";
constexpr UINT kStringId = kStatusTextReady;  // a status text of both libraries, in their own language

class LanguageTest : public kvtest::PswBaseTest {
protected:
    void SetUp() override {
        PswBaseTest::SetUp();
        SetString(HKEY_LOCAL_MACHINE, kvtest::kPswDriverKey, u"DIRPATH", u"C:\\lang\\");
        InstallModule("QW774409", u"C:\\lang\\QW774409.DLL");
        InstallModule("QW774411", u"C:\\lang\\QW774411.DLL");
    }
    void TearDown() override {
        for (auto& r : records_) ReleaseResourceDll(r.get());
        ReleaseResourceDll(record_.get());
        standin::SetUserInterfaceLanguage(0);
        standin::SetSystemLanguage(0);
        PswBaseTest::TearDown();
    }
    PSWDATA* NewRecord() {
        records_.push_back(std::make_unique<PSWDATA>(*record_));
        return records_.back().get();
    }
    static std::u16string Text(LANGID language) {
        WCHAR buffer[128];
        LoadStringEx(language, kStringId, buffer, sizeof(buffer));
        return buffer;
    }
    std::vector<std::unique_ptr<PSWDATA>> records_;
};

TEST_F(LanguageTest, TheStoredLanguageIsMappedThenLoadedOrFallsBackTo1041) {
    InstallModule("QW774409", u"C:\\lang\\QW774404.DLL");
    InstallModule("QW774409", u"C:\\lang\\QW774419.DLL");
    struct Case {
        DWORD stored;
        LANGID chosen;
    } const cases[] = {
        {1033, 1033},
        {2057, 1033},  // English (United Kingdom): first English row
        {1028, 1028},  // Traditional Chinese is taken as it is
        {1049, 1049},  // Russian is in no row: kept, and its library exists
        {3076, 1041},  // Chinese (Hong Kong) becomes 2052, whose library is missing
        {1036, 1041},  // French has a row but no library
    };
    for (const Case& c : cases) {
        SetDword(HKEY_LOCAL_MACHINE, kRootKey, u"LangID", c.stored);
        PSWDATA* r = NewRecord();
        ASSERT_TRUE(GetLangID(r)) << c.stored;
        EXPECT_EQ(r->language, c.chosen) << c.stored;
        EXPECT_NE(r->languageModule, nullptr);
    }
}

TEST_F(LanguageTest, WithoutAStoredLanguageTheSystemDecides) {
    struct Case {
        LANGID ui;
        LANGID system;
        DWORD osIndex;
        LANGID expected;
    } const cases[] = {
        {1028, 1041, 6, 2052},  // Traditional Chinese interface: the first Chinese row
        {1033, 1041, 6, 1033},
        {1049, 1041, 6, 1033},  // no row: English
        {1033, 1041, 3, 1033},  // older system: interface differs and is the default
        {1036, 1041, 3, 1041},  // older system: the system language
    };
    for (const Case& c : cases) {
        standin::SetUserInterfaceLanguage(c.ui);
        standin::SetSystemLanguage(c.system);
        EXPECT_EQ(GetLanguageID(c.osIndex), c.expected) << c.ui << " " << c.osIndex;
    }
}

TEST_F(LanguageTest, MissingKeysAndOverlongFoldersFailCleanly) {
    SetDword(HKEY_LOCAL_MACHINE, kRootKey, u"LangID", 1033);
    SetString(HKEY_LOCAL_MACHINE, kvtest::kPswDriverKey, u"DIRPATH", std::u16string(255, u'd'));
    EXPECT_FALSE(GetLangID(record_.get()));
    EXPECT_EQ(record_->languageModule, nullptr);
    SetString(HKEY_LOCAL_MACHINE, kvtest::kPswDriverKey, u"DIRPATH", u"C:\\lang\\");
    std::u16string(u"nobody").copy(record_->printerName, 7);
    EXPECT_FALSE(GetLangID(record_.get()));
}

TEST_F(LanguageTest, EachWindowSetKeepsItsLibraryUntilItReleasesIt) {
    SetDword(HKEY_LOCAL_MACHINE, kRootKey, u"LangID", 1033);
    PSWDATA* first = NewRecord();
    PSWDATA* second = NewRecord();
    ASSERT_TRUE(GetLangID(first));
    ASSERT_TRUE(GetLangID(second));
    SetDword(HKEY_LOCAL_MACHINE, kRootKey, u"LangID", 1041);
    PSWDATA* japanese = NewRecord();
    ASSERT_TRUE(GetLangID(japanese));
    const std::u16string english = Text(1033);
    ASSERT_FALSE(english.empty());
    EXPECT_NE(Text(1041), english);  // a later set of another language replaces nothing

    ReleaseResourceDll(first);
    EXPECT_EQ(Text(1033), english);  // the second set still reads its texts
    EXPECT_NE(LoadDialog(nullptr, kBaseDialogTemplate, 1033), nullptr);
    ReleaseResourceDll(second);
    EXPECT_EQ(Text(1033), u"");
    EXPECT_EQ(LoadDialog(nullptr, kBaseDialogTemplate, 1033), nullptr);
    EXPECT_FALSE(Text(1041).empty());

    // Choosing again holds one reference, not two.
    ASSERT_TRUE(GetLangID(japanese));
    ReleaseResourceDll(japanese);
    EXPECT_EQ(Text(1041), u"");
}

TEST_F(LanguageTest, LoadStringExCutsAndClears) {
    SetDword(HKEY_LOCAL_MACHINE, kRootKey, u"LangID", 1033);
    ASSERT_TRUE(GetLangID(record_.get()));
    const std::u16string full = Text(1033);
    ASSERT_GT(full.size(), 4u);
    WCHAR buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(LoadStringEx(1033, kStringId, buffer, 8), 3);  // four characters' room
    EXPECT_EQ(std::u16string(buffer), full.substr(0, 3));
    EXPECT_EQ(buffer[3], 0);
    EXPECT_EQ(buffer[4], u'#');  // nothing past the size given
    EXPECT_EQ(LoadStringEx(1033, kStringId, buffer, 1), 0);  // no room for one character
    EXPECT_EQ(LoadStringEx(1033, kStringId, nullptr, 8), 0);
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(LoadStringEx(1033, 65000, buffer, sizeof(buffer)), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(LoadStringEx(1040, kStringId, buffer, sizeof(buffer)), 0);  // no set of that language
}

TEST_F(LanguageTest, OsIndexTable) {
    struct Case {
        DWORD platform, major, minor, index;
    } const cases[] = {
        {1, 4, 10, 1}, {1, 4, 90, 2}, {1, 4, 0, 0}, {2, 4, 0, 3}, {2, 5, 0, 4},
        {2, 5, 1, 5},  {2, 5, 2, 0},  {2, 6, 1, 6}, {2, 3, 51, 0},
    };
    for (const Case& c : cases) {
        OSVERSIONINFOW v{};
        v.dwPlatformId = c.platform;
        v.dwMajorVersion = c.major;
        v.dwMinorVersion = c.minor;
        EXPECT_EQ(GetOSIndex(&v), c.index) << c.platform << " " << c.major << "." << c.minor;
    }
}

}  // namespace
