// Printer handles, the printer and driver records, and the two-call pattern of the packed
// records (EnumFormsW included).
#include <cstring>
#include <functional>

#include "tests/platform_spooler/SpoolerTestSupport.h"

namespace kvtest {
namespace {

const std::u16string kEnvironment = sizeof(void*) == 8 ? u"Windows x64" : u"Windows NT x86";

using OpenPrinterTest = SpoolerTest;

TEST_F(OpenPrinterTest, FindsPrintersByNameIgnoringCase) {
    struct Case {
        std::u16string name;
        bool opens;
    } cases[] = {{u"KV-TD520", true}, {u"kv-td520", true}, {u"KV-TD52", false}, {u"KV-TD520 ", false}, {u"", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(U8(c.name));
        SetLastError(kSentinel);
        HANDLE printer = Open(c.name);
        EXPECT_EQ(printer != nullptr, c.opens);
        EXPECT_EQ(GetLastError(), c.opens ? kSentinel : ERROR_INVALID_PRINTER_NAME);
        if (printer != nullptr) {
            EXPECT_TRUE(ClosePrinter(printer));
        }
    }
}

TEST_F(OpenPrinterTest, NoPlaceForTheHandleIsAParameterError) {
    std::u16string name = kSamplePrinterName;
    EXPECT_FALSE(OpenPrinterW(name.data(), nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(OpenPrinterTest, ClosedForgedAndResetHandlesAreRefused) {
    HANDLE printer = Open(kSamplePrinterName);
    ASSERT_NE(printer, nullptr);
    EXPECT_TRUE(ClosePrinter(printer));
    SetLastError(kSentinel);
    EXPECT_FALSE(ClosePrinter(printer));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    DWORD cbNeeded = kSentinel;
    EXPECT_FALSE(GetPrinterW(printer, 2, nullptr, 0, &cbNeeded));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(cbNeeded, kSentinel);

    int notAHandle = 0;
    EXPECT_FALSE(ClosePrinter(&notAHandle));
    EXPECT_FALSE(ClosePrinter(nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    // Resetting the database ends every handle, so no test inherits another's.
    HANDLE stale = Open(kSamplePrinterName);
    ASSERT_NE(stale, nullptr);
    standin::ResetSpooler();
    EXPECT_FALSE(ClosePrinter(stale));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(OpenPrinterTest, TheServerHandleListsFormsButHasNoPrinterRecord) {
    HANDLE server = OpenServer();
    ASSERT_NE(server, nullptr);
    DWORD cbNeeded = 0, returned = 0;
    EXPECT_FALSE(EnumFormsW(server, 1, nullptr, 0, &cbNeeded, &returned));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_GT(cbNeeded, 0u);

    EXPECT_FALSE(GetPrinterW(server, 2, nullptr, 0, &cbNeeded));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(GetPrinterDriverW(server, nullptr, 2, nullptr, 0, &cbNeeded));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    DWORD type = 0;
    EXPECT_EQ(GetPrinterDataW(server, const_cast<LPWSTR>(u"X"), &type, nullptr, 0, &cbNeeded), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(ClosePrinter(server));
}

// --- The two-call pattern, one table for every packed record ---

using PackedCall = std::function<BOOL(HANDLE, BYTE*, DWORD, DWORD*)>;
// Checks the pointers of a filled record; each must point into the buffer.
using PointerCheck = std::function<void(const std::vector<BYTE>&)>;

struct TwoCallCase {
    const char* name;
    PackedCall call;
    PointerCheck check;
};

void CheckDevMode(const std::vector<BYTE>& buffer, const DEVMODEW* dm) {
    ASSERT_NE(dm, nullptr);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(dm) % sizeof(void*), 0u);
    ASSERT_TRUE(Inside(buffer, dm, sizeof(DEVMODEW)));
    EXPECT_TRUE(Inside(buffer, dm, size_t{dm->dmSize} + dm->dmDriverExtra));
}

std::vector<TwoCallCase> TwoCallCases() {
    return {
        {"GetPrinterW 1", [](HANDLE h, BYTE* b, DWORD cb, DWORD* n) { return GetPrinterW(h, 1, b, cb, n); },
         [](const std::vector<BYTE>& buf) {
             auto* info = reinterpret_cast<const PRINTER_INFO_1W*>(buf.data());
             EXPECT_EQ(PackedString(buf, info->pName), u"KV-TD520");
             PackedString(buf, info->pDescription);
             PackedString(buf, info->pComment);
         }},
        {"GetPrinterW 2", [](HANDLE h, BYTE* b, DWORD cb, DWORD* n) { return GetPrinterW(h, 2, b, cb, n); },
         [](const std::vector<BYTE>& buf) {
             auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
             EXPECT_EQ(PackedString(buf, info->pPrinterName), u"KV-TD520");
             EXPECT_EQ(PackedString(buf, info->pPortName), u"LPT1:");
             EXPECT_EQ(PackedString(buf, info->pDriverName), u"KV-TD520");
             EXPECT_EQ(PackedString(buf, info->pDatatype), u"RAW");
             for (LPCWSTR s : {info->pShareName, info->pComment, info->pLocation, info->pSepFile,
                               info->pPrintProcessor, info->pParameters})
                 PackedString(buf, s);
             CheckDevMode(buf, info->pDevMode);
         }},
        {"GetPrinterW 5", [](HANDLE h, BYTE* b, DWORD cb, DWORD* n) { return GetPrinterW(h, 5, b, cb, n); },
         [](const std::vector<BYTE>& buf) {
             auto* info = reinterpret_cast<const PRINTER_INFO_5W*>(buf.data());
             EXPECT_EQ(PackedString(buf, info->pPrinterName), u"KV-TD520");
             EXPECT_EQ(PackedString(buf, info->pPortName), u"LPT1:");
         }},
        {"GetPrinterDriverW 2",
         [](HANDLE h, BYTE* b, DWORD cb, DWORD* n) { return GetPrinterDriverW(h, nullptr, 2, b, cb, n); },
         [](const std::vector<BYTE>& buf) {
             auto* info = reinterpret_cast<const DRIVER_INFO_2W*>(buf.data());
             EXPECT_EQ(PackedString(buf, info->pDataFile), kSampleDataFile);
             for (LPCWSTR s : {info->pName, info->pEnvironment, info->pDriverPath, info->pConfigFile})
                 PackedString(buf, s);
         }},
        {"GetPrinterDriverW 3",
         [](HANDLE h, BYTE* b, DWORD cb, DWORD* n) { return GetPrinterDriverW(h, nullptr, 3, b, cb, n); },
         [](const std::vector<BYTE>& buf) {
             auto* info = reinterpret_cast<const DRIVER_INFO_3W*>(buf.data());
             EXPECT_EQ(PackedString(buf, info->pDependentFiles, 2), u"");
             for (LPCWSTR s : {info->pName, info->pEnvironment, info->pDriverPath, info->pDataFile, info->pConfigFile,
                               info->pHelpFile, info->pMonitorName, info->pDefaultDataType})
                 PackedString(buf, s);
         }},
        {"EnumFormsW 1",
         [](HANDLE h, BYTE* b, DWORD cb, DWORD* n) {
             DWORD returned = kSentinel;
             return EnumFormsW(h, 1, b, cb, n, &returned);
         },
         [](const std::vector<BYTE>& buf) {
             auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buf.data());
             const size_t count = StandardForms().size();
             ASSERT_TRUE(Inside(buf, forms, count * sizeof(FORM_INFO_1W)));
             for (size_t i = 0; i < count; ++i) PackedString(buf, forms[i].pName);
         }},
    };
}

using TwoCallTest = SpoolerTest;

TEST_F(TwoCallTest, SizeQueryOneByteShortAndExactBuffer) {
    HANDLE printer = Open(kSamplePrinterName);
    ASSERT_NE(printer, nullptr);
    for (const TwoCallCase& c : TwoCallCases()) {
        SCOPED_TRACE(c.name);
        DWORD cbNeeded = kSentinel;
        SetLastError(kSentinel);
        EXPECT_FALSE(c.call(printer, nullptr, 0, &cbNeeded));
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        ASSERT_NE(cbNeeded, kSentinel);
        ASSERT_GT(cbNeeded, 0u);
        const DWORD size = cbNeeded;

        // One byte short: refused, and not a byte of the buffer written.
        std::vector<BYTE> shortBuffer(size - 1, 0xCD);
        cbNeeded = kSentinel;
        EXPECT_FALSE(c.call(printer, shortBuffer.data(), size - 1, &cbNeeded));
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(cbNeeded, size);
        EXPECT_EQ(std::vector<BYTE>(size - 1, 0xCD), shortBuffer);

        // Exactly the size: filled, every pointer inside.
        std::vector<BYTE> buffer(size, 0xCD);
        SetLastError(kSentinel);
        EXPECT_TRUE(c.call(printer, buffer.data(), size, &cbNeeded));
        EXPECT_EQ(GetLastError(), kSentinel);
        c.check(buffer);
    }
    EXPECT_TRUE(ClosePrinter(printer));
}

TEST_F(TwoCallTest, UnknownLevelsAndMissingSizeOutput) {
    HANDLE printer = Open(kSamplePrinterName);
    ASSERT_NE(printer, nullptr);
    struct Case {
        const char* name;
        std::function<BOOL()> call;
        DWORD error;
    } cases[] = {
        {"GetPrinterW 3", [&] { DWORD n; return GetPrinterW(printer, 3, nullptr, 0, &n); }, ERROR_INVALID_LEVEL},
        {"GetPrinterW no size", [&] { return GetPrinterW(printer, 2, nullptr, 0, nullptr); }, ERROR_INVALID_PARAMETER},
        {"GetPrinterDriverW 1", [&] { DWORD n; return GetPrinterDriverW(printer, nullptr, 1, nullptr, 0, &n); },
         ERROR_INVALID_LEVEL},
        {"GetPrinterDriverW other environment",
         [&] {
             DWORD n;
             return GetPrinterDriverW(printer, const_cast<LPWSTR>(u"Windows 4.0"), 2, nullptr, 0, &n);
         },
         ERROR_UNKNOWN_PRINTER_DRIVER},
        {"EnumFormsW 2", [&] { DWORD n, r; return EnumFormsW(printer, 2, nullptr, 0, &n, &r); }, ERROR_INVALID_LEVEL},
        {"EnumFormsW no count", [&] { DWORD n; return EnumFormsW(printer, 1, nullptr, 0, &n, nullptr); },
         ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kSentinel);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_TRUE(ClosePrinter(printer));
}

// Fetches a record by the two-call pattern; empty when either call misbehaves.
std::vector<BYTE> Fetch(const PackedCall& call, HANDLE printer) {
    DWORD cbNeeded = 0;
    if (call(printer, nullptr, 0, &cbNeeded) || GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
    std::vector<BYTE> buffer(cbNeeded);
    if (!call(printer, buffer.data(), cbNeeded, &cbNeeded)) return {};
    return buffer;
}

PackedCall Level(DWORD level) {
    return [level](HANDLE h, BYTE* b, DWORD cb, DWORD* n) { return GetPrinterW(h, level, b, cb, n); };
}

using PrinterRecordTest = SpoolerTest;

TEST_F(PrinterRecordTest, Level2CarriesTheWholeDevModeAndTheAttributes) {
    HANDLE printer = Open(kSamplePrinterName);
    ASSERT_NE(printer, nullptr);
    std::vector<BYTE> buffer = Fetch(Level(2), printer);
    ASSERT_FALSE(buffer.empty());
    auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    EXPECT_EQ(info->Attributes, PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_RAW_ONLY);
    const std::vector<BYTE> expected = DevModeWithDriverPart();
    ASSERT_TRUE(Inside(buffer, info->pDevMode, expected.size()));
    const auto* dm = reinterpret_cast<const BYTE*>(info->pDevMode);
    EXPECT_EQ(std::vector<BYTE>(dm, dm + expected.size()), expected);

    // Without a DEVMODE of its own the printer reports none.
    standin::SetPrinterDevMode(kSamplePrinterName, {});
    buffer = Fetch(Level(2), printer);
    ASSERT_FALSE(buffer.empty());
    EXPECT_EQ(reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data())->pDevMode, nullptr);
    EXPECT_TRUE(ClosePrinter(printer));
}

TEST_F(PrinterRecordTest, SetPrinterLevel2NeedsAdministerAndCopiesTheDevMode) {
    HANDLE user = Open(kSamplePrinterName, PRINTER_ACCESS_USE);
    HANDLE admin = Open(kSamplePrinterName, PRINTER_ALL_ACCESS);
    ASSERT_NE(user, nullptr);
    ASSERT_NE(admin, nullptr);
    std::vector<BYTE> buffer = Fetch(Level(2), admin);
    ASSERT_FALSE(buffer.empty());
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());

    // The round trip that a driver makes: read the record, change it, write it back.
    info->Attributes = PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_SHARED;
    std::vector<BYTE> devMode = PublicDevMode(u"B5 (JIS)", 13);
    info->pDevMode = reinterpret_cast<LPDEVMODEW>(devMode.data());
    SetLastError(kSentinel);
    EXPECT_FALSE(SetPrinterW(user, 2, buffer.data(), 0));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(SetPrinterW(admin, 2, buffer.data(), 1));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(SetPrinterW(admin, 5, buffer.data(), 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
    EXPECT_TRUE(SetPrinterW(admin, 2, buffer.data(), 0));

    devMode.assign(devMode.size(), 0);  // the printer must hold its own copy
    std::vector<BYTE> after = Fetch(Level(2), user);
    ASSERT_FALSE(after.empty());
    auto* now = reinterpret_cast<const PRINTER_INFO_2W*>(after.data());
    EXPECT_EQ(now->Attributes, PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_SHARED);
    ASSERT_NE(now->pDevMode, nullptr);
    EXPECT_EQ(now->pDevMode->dmDriverExtra, 0);
    EXPECT_EQ(std::u16string(now->pDevMode->dmFormName), u"B5 (JIS)");

    // A DEVMODE whose size does not even cover its own header is refused.
    DEVMODEW tiny{};
    tiny.dmSize = 40;
    std::vector<BYTE> again = Fetch(Level(2), admin);
    ASSERT_FALSE(again.empty());
    reinterpret_cast<PRINTER_INFO_2W*>(again.data())->pDevMode = &tiny;
    EXPECT_FALSE(SetPrinterW(admin, 2, again.data(), 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    EXPECT_TRUE(ClosePrinter(user));
    EXPECT_TRUE(ClosePrinter(admin));
}

TEST_F(PrinterRecordTest, PauseAndResumeShowInTheStatusOfEveryHandle) {
    HANDLE user = Open(kSamplePrinterName, PRINTER_ACCESS_USE);
    HANDLE admin = Open(kSamplePrinterName, PRINTER_ALL_ACCESS);
    ASSERT_NE(user, nullptr);
    ASSERT_NE(admin, nullptr);
    auto status = [&] {
        std::vector<BYTE> buffer = Fetch(Level(2), user);
        return buffer.empty() ? 0xFFFFFFFFu : reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data())->Status;
    };
    EXPECT_EQ(status(), 0u);
    SetLastError(kSentinel);
    EXPECT_FALSE(SetPrinterW(user, 0, nullptr, PRINTER_CONTROL_PAUSE));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(SetPrinterW(admin, 0, nullptr, 0));  // level 0 needs a command
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(SetPrinterW(admin, 0, nullptr, PRINTER_CONTROL_PAUSE));
    EXPECT_EQ(status(), PRINTER_STATUS_PAUSED);
    EXPECT_TRUE(SetPrinterW(admin, 0, nullptr, PRINTER_CONTROL_PAUSE));  // paused stays paused
    EXPECT_TRUE(SetPrinterW(admin, 0, nullptr, PRINTER_CONTROL_RESUME));
    EXPECT_EQ(status(), 0u);
    EXPECT_TRUE(ClosePrinter(user));
    EXPECT_TRUE(ClosePrinter(admin));
}

TEST_F(PrinterRecordTest, DriverRecordNamesTheDriverFilesOfThisBuild) {
    HANDLE printer = Open(kSamplePrinterName);
    ASSERT_NE(printer, nullptr);
    std::u16string environment = kEnvironment;
    PackedCall level3 = [&](HANDLE h, BYTE* b, DWORD cb, DWORD* n) {
        return GetPrinterDriverW(h, environment.data(), 3, b, cb, n);
    };
    std::vector<BYTE> buffer = Fetch(level3, printer);
    ASSERT_FALSE(buffer.empty());
    auto* info = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
    EXPECT_EQ(info->cVersion, 3u);
    EXPECT_EQ(std::u16string(info->pName), u"KV-TD520");
    EXPECT_EQ(std::u16string(info->pEnvironment), kEnvironment);
    EXPECT_EQ(std::u16string(info->pDriverPath), kSampleDriverPath);
    EXPECT_EQ(std::u16string(info->pDataFile), kSampleDataFile);
    EXPECT_EQ(std::u16string(info->pDefaultDataType), u"RAW");
    EXPECT_TRUE(ClosePrinter(printer));
}

TEST_F(PrinterRecordTest, Level5AndLevel1FollowTheDatabase) {
    standin::SetPrinterAttributes(kSamplePrinterName, PRINTER_ATTRIBUTE_LOCAL);
    HANDLE printer = Open(kSamplePrinterName);
    ASSERT_NE(printer, nullptr);
    std::vector<BYTE> buffer = Fetch(Level(5), printer);
    ASSERT_FALSE(buffer.empty());
    EXPECT_EQ(reinterpret_cast<const PRINTER_INFO_5W*>(buffer.data())->Attributes, PRINTER_ATTRIBUTE_LOCAL);
    buffer = Fetch(Level(1), printer);
    ASSERT_FALSE(buffer.empty());
    EXPECT_EQ(std::u16string(reinterpret_cast<const PRINTER_INFO_1W*>(buffer.data())->pDescription),
              u"KV-TD520,KV-TD520,");
    EXPECT_TRUE(ClosePrinter(printer));
}

}  // namespace
}  // namespace kvtest
