// Spooler records, the user's locale, the language library and the raw-only attribute.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "settings/SpoolerQueries.h"
#include "tests/settings_services/ServicesTest.h"

namespace kvtest {
namespace {

constexpr char16_t kInternational[] = u"Control Panel\\International";

class SpoolerQueriesTest : public ServicesTest {
protected:
    void TearDown() override {
        EXPECT_EQ(standin::OpenPrinterHandleCount(), 0u) << "a printer handle was left open";
        ServicesTest::TearDown();
    }
};

TEST_F(SpoolerQueriesTest, RecordsByTheTwoCallPattern) {
    AddSamplePrinter();
    ScopedPrinter scoped;
    HANDLE printer = scoped.Get();

    BYTE* printerInfo = GetPrinterInfo(printer, 2);
    ASSERT_NE(printerInfo, nullptr);
    EXPECT_EQ(std::u16string(reinterpret_cast<PRINTER_INFO_2W*>(printerInfo)->pPrinterName), kPrinterName);
    GlobalFree(printerInfo);

    BYTE* driverInfo = GetDriverInfo(printer, 2);
    ASSERT_NE(driverInfo, nullptr);
    EXPECT_EQ(std::u16string(reinterpret_cast<DRIVER_INFO_2W*>(driverInfo)->pDriverPath), kDriverPath);
    GlobalFree(driverInfo);

    EXPECT_EQ(GetPrinterInfo(printer, 99), nullptr);
    EXPECT_EQ(GetDriverInfo(printer, 99), nullptr);
    standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY, 0, 2);
    EXPECT_EQ(GetPrinterInfo(printer, 2), nullptr);
    EXPECT_EQ(GetDriverInfo(printer, 2), nullptr);
    standin::ClearFaults();
}

struct LocaleCase {
    const char* Label;
    bool KeyPresent;
    bool ValuePresent;
    std::u16string Text;
    bool Terminated;
    LCID Expected;
};

TEST_F(SpoolerQueriesTest, LocaleFromTheRegistry) {
    const LocaleCase cases[] = {
        {"Japanese", true, true, u"00000411", true, kLocaleJapanese},
        {"English", true, true, u"00000409", true, kLocaleEnglish},
        {"lower-case hex", true, true, u"0000041a", true, kLocaleEnglish},
        {"no key", false, false, u"", true, kLocaleJapanese},
        {"no value", true, false, u"", true, kLocaleJapanese},
        {"garbage", true, true, u"zz411", true, kLocaleEnglish},
        {"empty", true, true, u"", true, kLocaleEnglish},
        {"unterminated, 64 bytes", true, true, std::u16string(29, u'0') + u"411", false, kLocaleJapanese},
        {"too long to read", true, true, std::u16string(30, u'0') + u"411", true, kLocaleJapanese},
        {"overflow does not wrap to 0x411", true, true, u"100000411", true, kLocaleEnglish},
    };
    for (const LocaleCase& c : cases) {
        SCOPED_TRACE(c.Label);
        RegDeleteKeyW(HKEY_CURRENT_USER, kInternational);
        if (c.ValuePresent) {
            SetRegistryText(HKEY_CURRENT_USER, kInternational, u"Locale", c.Text, c.Terminated);
        } else if (c.KeyPresent) {
            SetRegistryText(HKEY_CURRENT_USER, kInternational, u"sLanguage", u"JPN");
        }
        EXPECT_EQ(GetUserLocale(), c.Expected);
    }
}

struct NameCase {
    const char16_t* DriverPath;
    LCID Locale;
    const char16_t* Expected;  // nullptr: no name
};

TEST(LanguageDllName, FiveCharactersOfTheDriverNameAndTheLocaleSuffix) {
    const NameCase cases[] = {
        {u"C:\\drv\\ABCDEFGH.DLL", kLocaleEnglish, u"C:\\drv\\ABCDEse.dll"},
        {u"C:\\drv\\ABCDEFGH.DLL", kLocaleJapanese, u"C:\\drv\\ABCDEsj.dll"},
        {u"C:\\drv\\ABCDE", kLocaleEnglish, u"C:\\drv\\ABCDEse.dll"},
        {u"\\ABCDEFGH.DLL", kLocaleEnglish, u"\\ABCDEse.dll"},
        {u"C:\\drv\\ABCD", kLocaleEnglish, nullptr},
        {u"C:\\drv\\", kLocaleEnglish, nullptr},
        {u"ABCDEFGH.DLL", kLocaleEnglish, nullptr},
        {u"", kLocaleEnglish, nullptr},
        {nullptr, kLocaleEnglish, nullptr},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.DriverPath == nullptr ? std::string("NULL") : U8(c.DriverPath));
        WCHAR out[MAX_PATH];
        std::fill(std::begin(out), std::end(out), u'#');
        const bool built = BuildLanguageDllName(c.DriverPath, c.Locale, out, MAX_PATH);
        EXPECT_EQ(built, c.Expected != nullptr);
        EXPECT_EQ(std::u16string(out), c.Expected != nullptr ? c.Expected : u"");
    }
}

TEST(LanguageDllName, RefusesANameThatDoesNotFit) {
    const std::u16string expected = u"C:\\drv\\ABCDEse.dll";
    std::vector<WCHAR> out(expected.size() + 1, u'#');
    EXPECT_TRUE(BuildLanguageDllName(u"C:\\drv\\ABCDEFGH.DLL", kLocaleEnglish, out.data(), out.size()));
    EXPECT_EQ(std::u16string(out.data()), expected);
    std::fill(out.begin(), out.end(), u'#');
    EXPECT_FALSE(BuildLanguageDllName(u"C:\\drv\\ABCDEFGH.DLL", kLocaleEnglish, out.data(), out.size() - 1));
    EXPECT_EQ(out[0], u'\0');
    EXPECT_EQ(out[1], u'#');
}

class LanguageDllTest : public SpoolerQueriesTest {
protected:
    void InstallLanguageLibrary(const char* suffix, const std::u16string& windowsPath) {
        const std::string built = std::string(KV_LANG_PREFIX) + suffix;
        ASSERT_TRUE(std::filesystem::exists(std::string(KV_OUT_DIR) + "/" + built + ".so"))
            << built << " is not built";
        InstallModule(built, windowsPath);
    }
    void SetLocale(const std::u16string& text) {
        SetRegistryText(HKEY_CURRENT_USER, kInternational, u"Locale", text);
    }
    std::u16string LoadedPath(HMODULE module) {
        WCHAR path[MAX_PATH] = {};
        GetModuleFileNameW(module, path, MAX_PATH);
        return path;
    }
};

TEST_F(LanguageDllTest, LoadsTheLibraryOfTheUsersLocale) {
    AddSamplePrinter();
    InstallLanguageLibrary("SE", u"C:\\drv\\ABCDEse.dll");
    ScopedPrinter scoped;
    HANDLE printer = scoped.Get();

    SetLocale(u"00000411");
    EXPECT_EQ(LoadLanguageDll(printer), nullptr) << "only the English library is installed";

    SetLocale(u"00000409");
    HMODULE english = LoadLanguageDll(printer);
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(lstrcmpiW(LoadedPath(english).c_str(), u"C:\\drv\\ABCDEse.dll"), 0) << U8(LoadedPath(english));
    FreeLanguageDll(english);

    InstallLanguageLibrary("SJ", u"C:\\drv\\ABCDEsj.dll");
    SetLocale(u"00000411");
    HMODULE japanese = LoadLanguageDll(printer);
    ASSERT_NE(japanese, nullptr);
    EXPECT_EQ(lstrcmpiW(LoadedPath(japanese).c_str(), u"C:\\drv\\ABCDEsj.dll"), 0) << U8(LoadedPath(japanese));
    FreeLanguageDll(japanese);
}

TEST_F(LanguageDllTest, NoLibraryWithoutAUsableDriverPath) {
    AddSamplePrinter(u"ABCDEFGH.DLL");
    {
        ScopedPrinter printer;
        EXPECT_EQ(LoadLanguageDll(printer.Get()), nullptr);
    }
    EXPECT_EQ(LoadLanguageDll(nullptr), nullptr);
    FreeLanguageDll(nullptr);
}

struct RawOnlyCase {
    DWORD Major;
    DWORD Minor;
    DWORD Platform;
    DWORD Attributes;
    int Expected;
};

TEST_F(SpoolerQueriesTest, RawOnlyAttributeBySystemVersion) {
    const RawOnlyCase cases[] = {
        {4, 0, VER_PLATFORM_WIN32_NT, PRINTER_ATTRIBUTE_RAW_ONLY, 0},
        {4, 0, VER_PLATFORM_WIN32_NT, 0, 0},
        {5, 0, VER_PLATFORM_WIN32_NT, PRINTER_ATTRIBUTE_RAW_ONLY | PRINTER_ATTRIBUTE_LOCAL, 1},
        {5, 0, VER_PLATFORM_WIN32_NT, PRINTER_ATTRIBUTE_LOCAL, 2},
        {6, 1, VER_PLATFORM_WIN32_NT, PRINTER_ATTRIBUTE_RAW_ONLY, 1},
        {6, 1, VER_PLATFORM_WIN32_NT, PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_SHARED, 2},
        {5, 0, VER_PLATFORM_WIN32_WINDOWS, PRINTER_ATTRIBUTE_RAW_ONLY, 0},
    };
    AddSamplePrinter();
    for (const RawOnlyCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.Major) + "." + std::to_string(c.Minor) + " platform " +
                     std::to_string(c.Platform) + " attributes " + std::to_string(c.Attributes));
        standin::SetOsVersion(c.Major, c.Minor, 1000, c.Platform);
        standin::SetPrinterAttributes(kPrinterName, c.Attributes);
        EXPECT_EQ(QueryRawOnlyAttribute(kPrinterName), c.Expected);
        EXPECT_EQ(standin::OpenPrinterHandleCount(), 0u);
    }
}

TEST_F(SpoolerQueriesTest, RawOnlyAttributeUnreadable) {
    AddSamplePrinter(kDriverPath, PRINTER_ATTRIBUTE_RAW_ONLY);
    EXPECT_EQ(QueryRawOnlyAttribute(u"No such printer"), 0);
    EXPECT_EQ(QueryRawOnlyAttribute(nullptr), 0);
    EXPECT_EQ(QueryRawOnlyAttribute(u""), 0);
    standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(QueryRawOnlyAttribute(kPrinterName), 0);
    EXPECT_EQ(standin::OpenPrinterHandleCount(), 0u);
    standin::ClearFaults();
    EXPECT_EQ(QueryRawOnlyAttribute(kPrinterName), 1);
}

}  // namespace
}  // namespace kvtest
