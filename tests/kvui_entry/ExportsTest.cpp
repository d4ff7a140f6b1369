// The library's exports as the loader, the spooler and applications call them through the
// UI host: the library's life in the process, size queries, the no-dialog document path,
// printer and document events, the upgrade and the sheets' refusals.
#include <cstring>
#include <string>
#include <vector>

#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/UserDialogs.h"
#include "tests/kvui_entry/EntryFixture.h"

namespace kvuitest {
namespace {

using uihost::AsDevMode;

constexpr LONG kBlockSize = 2208;

class ExportsTest : public LoadedUiTest {
protected:
    DWORD Attributes(const std::u16string& name = kvtest::kSamplePrinterName) {
        const auto printer = AdminPrinter(name);
        DWORD cbNeeded = 0;
        GetPrinterW(printer.handle(), 2, nullptr, 0, &cbNeeded);
        std::vector<BYTE> info(cbNeeded);
        if (!GetPrinterW(printer.handle(), 2, info.data(), cbNeeded, &cbNeeded)) return 0;
        return reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->Attributes;
    }
    bool HasPrinterData(const std::u16string& value) {
        const auto printer = AdminPrinter();
        DWORD type = 0;
        DWORD data = 0;
        DWORD cbNeeded = 0;
        std::u16string name = value;
        return GetPrinterDataW(printer.handle(), name.data(), &type, reinterpret_cast<BYTE*>(&data), sizeof(data),
                               &cbNeeded) == ERROR_SUCCESS;
    }
};

TEST_F(ExportsTest, LibraryKeepsItselfLoadedAndRunsItsEntryPointForBothReasons) {
    const HMODULE module = ui_.Module();
    ui_.Unload();
    // The second reference its attach took keeps it in the process.
    EXPECT_EQ(GetModuleHandleW(u"" KV_UI_NAME ".dll"), module);
    ASSERT_TRUE(ui_.Load());
    EXPECT_EQ(ui_.Module(), module);
    auto entry = ui_.Exports().DllInitialize;
    EXPECT_TRUE(entry(reinterpret_cast<HINSTANCE>(module), DLL_PROCESS_DETACH, nullptr));
    EXPECT_TRUE(entry(reinterpret_cast<HINSTANCE>(module), DLL_PROCESS_ATTACH, nullptr));
    EXPECT_TRUE(entry(reinterpret_cast<HINSTANCE>(module), DLL_THREAD_ATTACH, nullptr));
    // Attached again, it answers as before (its settings lock is back).
    std::vector<BYTE> out = uihost::SettingsBuffer();
    const auto printer = AdminPrinter();
    EXPECT_EQ(ui_.DocumentPropertiesW(nullptr, printer.handle(), kvtest::kSamplePrinterName, AsDevMode(out), nullptr,
                                      DM_MODIFY),
              IDOK);
}

TEST_F(ExportsTest, SizeQueriesAnswerTheSettingsBlockSizeAndTouchNothing) {
    const auto printer = AdminPrinter();
    std::vector<BYTE> out(kBlockSize, 0x5A);
    const std::vector<BYTE> before = out;
    const std::u16string name = kvtest::kSamplePrinterName;
    EXPECT_EQ(ui_.DrvDocumentProperties(nullptr, printer.handle(), name, AsDevMode(out), nullptr, 0), kBlockSize);
    EXPECT_EQ(ui_.DrvDocumentProperties(nullptr, printer.handle(), name, nullptr, nullptr, DM_COPY | DM_PROMPT),
              kBlockSize);
    EXPECT_EQ(ui_.AdvancedDocumentProperties(nullptr, printer.handle(), name, nullptr, nullptr), kBlockSize);
    EXPECT_EQ(ui_.DocumentPropertiesW(nullptr, printer.handle(), name, AsDevMode(out), nullptr, 0), kBlockSize);
    EXPECT_EQ(ui_.DocumentPropertiesW(nullptr, printer.handle(), name, nullptr, nullptr, DM_COPY), kBlockSize);
    EXPECT_EQ(out, before);

    DOCUMENTPROPERTYHEADER header{};
    header.cbSize = sizeof(header);
    header.hPrinter = printer.handle();
    header.pdmOut = AsDevMode(out);
    EXPECT_EQ(ui_.Exports().DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&header)), kBlockSize);
    EXPECT_EQ(header.cbOut, static_cast<DWORD>(kBlockSize));
    EXPECT_EQ(ui_.Exports().DrvDocumentPropertySheets(nullptr, 0), -1);
    EXPECT_EQ(out, before);
}

TEST_F(ExportsTest, NoDialogPathAnswersAndReportsACopyOutItCouldNotMake) {
    const auto printer = AdminPrinter();
    const std::u16string name = kvtest::kSamplePrinterName;
    // Without DM_COPY or DM_UPDATE nothing is handed back, and that is no failure.
    std::vector<BYTE> out(kBlockSize, 0x5A);
    const std::vector<BYTE> before = out;
    EXPECT_EQ(ui_.DrvDocumentProperties(nullptr, printer.handle(), name, AsDevMode(out), nullptr, DM_MODIFY), IDOK);
    EXPECT_EQ(out, before);
    // An input of a layout no caller can have cannot be copied back in its layout: the
    // caller is told so instead of being handed an unfilled DEVMODE.
    std::vector<BYTE> in = kvtest::PublicDevMode(u"A4", 9);
    AsDevMode(in)->dmSize = 200;
    EXPECT_EQ(ui_.DrvDocumentProperties(nullptr, printer.handle(), name, AsDevMode(out), AsDevMode(in), DM_COPY), -1);
    EXPECT_EQ(ui_.DocumentPropertiesW(nullptr, printer.handle(), name, AsDevMode(out), AsDevMode(in), DM_COPY), -1);
}

TEST_F(ExportsTest, NoDialogPathFailsWithoutAModelDescription) {
    kvtest::SamplePrinterOptions options;
    options.name = u"KV-NOMODEL";
    options.dataFile = u"C:\\drv\\MISSING.DAT";
    options.copyDataFile = false;
    kvtest::InstallSamplePrinter(options);
    const auto printer = AdminPrinter(u"KV-NOMODEL");
    std::vector<BYTE> out = uihost::SettingsBuffer();
    EXPECT_EQ(ui_.DrvDocumentProperties(nullptr, printer.handle(), u"KV-NOMODEL", AsDevMode(out), nullptr, DM_COPY),
              -1);
}

TEST_F(ExportsTest, DocumentEventsAnswerSuccessButAnIncompleteStartDocPost) {
    int dummy = 0;
    HANDLE printer = reinterpret_cast<HANDLE>(&dummy);
    HDC dc = reinterpret_cast<HDC>(&dummy);
    PVOID in = &dummy;
    struct Case {
        int escape;
        HANDLE printer;
        HDC dc;
        PVOID in;
        int answer;
    };
    const Case cases[] = {
        {DOCUMENTEVENT_STARTDOCPOST, printer, dc, in, DOCUMENTEVENT_SUCCESS},
        {DOCUMENTEVENT_STARTDOCPOST, printer, dc, nullptr, DOCUMENTEVENT_FAILURE},
        {DOCUMENTEVENT_STARTDOCPOST, printer, nullptr, in, DOCUMENTEVENT_FAILURE},
        {DOCUMENTEVENT_STARTDOCPOST, nullptr, dc, in, DOCUMENTEVENT_FAILURE},
    };
    for (const Case& c : cases) EXPECT_EQ(ui_.DocumentEvent(c.printer, c.dc, c.escape, 0, c.in, 0, nullptr), c.answer);
    for (int escape = DOCUMENTEVENT_CREATEDCPRE; escape <= DOCUMENTEVENT_ENDDOCPOST; ++escape)
        EXPECT_EQ(ui_.DocumentEvent(nullptr, nullptr, escape, 0, nullptr, 0, nullptr), DOCUMENTEVENT_SUCCESS) << escape;
    EXPECT_EQ(ui_.DocumentEvent(nullptr, nullptr, 99, 0, nullptr, 0, nullptr), DOCUMENTEVENT_SUCCESS);
}

TEST_F(ExportsTest, InitializeEventSetsRawOnlyAndKeepsThePrintersSettings) {
    kvtest::SamplePrinterOptions options;
    options.name = u"KV-NEW";
    options.attributes = PRINTER_ATTRIBUTE_LOCAL;
    options.devMode = kvtest::PublicDevMode(u"Letter", 1);
    kvtest::InstallSamplePrinter(options);
    EXPECT_TRUE(ui_.PrinterEvent(u"KV-NEW", PRINTER_EVENT_INITIALIZE));
    EXPECT_EQ(Attributes(u"KV-NEW"), PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_RAW_ONLY);
    const auto printer = AdminPrinter(u"KV-NEW");
    DWORD cbNeeded = 0;
    GetPrinterW(printer.handle(), 2, nullptr, 0, &cbNeeded);
    std::vector<BYTE> info(cbNeeded);
    ASSERT_TRUE(GetPrinterW(printer.handle(), 2, info.data(), cbNeeded, &cbNeeded));
    const DEVMODEW* kept = reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->pDevMode;
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(std::u16string(kept->dmFormName), u"Letter");
    // A printer that cannot be opened is no failure of the event.
    EXPECT_TRUE(ui_.PrinterEvent(u"KV-NONE", PRINTER_EVENT_INITIALIZE));
}

TEST_F(ExportsTest, OtherPrinterEventsSucceed) {
    EXPECT_TRUE(ui_.PrinterEvent(kvtest::kSamplePrinterName, PRINTER_EVENT_CACHE_REFRESH));
    for (int event : {PRINTER_EVENT_CONFIGURATION_CHANGE, PRINTER_EVENT_ADD_CONNECTION, PRINTER_EVENT_DELETE_CONNECTION,
                      PRINTER_EVENT_DELETE, PRINTER_EVENT_CACHE_DELETE, 77})
        EXPECT_TRUE(ui_.PrinterEvent(kvtest::kSamplePrinterName, event, PRINTER_EVENT_FLAG_NO_UI)) << event;
    EXPECT_EQ(Attributes(), PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_RAW_ONLY);
}

TEST_F(ExportsTest, UpgradeNeedsLevelOneAndAPrinter) {
    EXPECT_TRUE(ui_.UpgradePrinter(kvtest::kSamplePrinterName));
    EXPECT_FALSE(ui_.UpgradePrinter(kvtest::kSamplePrinterName, 2));
    EXPECT_FALSE(ui_.UpgradePrinter(u"KV-NONE"));
    EXPECT_FALSE(ui_.Exports().DrvUpgradePrinter(1, nullptr));
}

TEST_F(ExportsTest, SheetCallbacksRefuseWhatIsNotTheirs) {
    for (PFNPROPSHEETUI sheet : {ui_.Exports().DrvDevicePropertySheets, ui_.Exports().DrvDocumentPropertySheets}) {
        // No header, or a context that is not a sheet's.
        PROPSHEETUI_INFO info{};
        info.cbSize = sizeof(info);
        info.Reason = PROPSHEETUI_REASON_GET_INFO_HEADER;
        EXPECT_EQ(sheet(&info, 0), -1);
        DOCUMENTPROPERTYHEADER document{};
        DEVICEPROPERTYHEADER device{};
        info.lParamInit = sheet == ui_.Exports().DrvDevicePropertySheets ? reinterpret_cast<LPARAM>(&device)
                                                                          : reinterpret_cast<LPARAM>(&document);
        std::vector<BYTE> notAContext(4096, 0);
        for (WORD reason : {WORD{PROPSHEETUI_REASON_GET_INFO_HEADER}, WORD{PROPSHEETUI_REASON_DESTROY},
                            WORD{PROPSHEETUI_REASON_SET_RESULT}, WORD{7}}) {
            info.Reason = reason;
            info.UserData = 0;
            EXPECT_EQ(sheet(&info, 0), -1) << reason;
            info.UserData = reinterpret_cast<ULONG_PTR>(notAContext.data());
            EXPECT_EQ(sheet(&info, 0), -1) << reason;
        }
    }
    EXPECT_EQ(ui_.Exports().DrvDevicePropertySheets(nullptr, 0), -1);
}

TEST_F(ExportsTest, PrinterPropertiesProbesWriteAccessWithThePermissionValue) {
    const auto printer = AdminPrinter();
    ui_.PrinterProperties(nullptr, printer.handle());
    EXPECT_TRUE(HasPrinterData(u"DAT_Permission"));
}

TEST_F(ExportsTest, PrinterPropertiesWithoutWriteAccessWritesNothing) {
    standin::SetPrinterDataReadOnly(kvtest::kSamplePrinterName, true);
    const auto printer = AdminPrinter();
    ui_.PrinterProperties(nullptr, printer.handle());
    EXPECT_FALSE(HasPrinterData(u"DAT_Permission"));
}

}  // namespace
}  // namespace kvuitest
