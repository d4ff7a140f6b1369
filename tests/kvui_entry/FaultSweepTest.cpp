// The settings sheets under failure: allocations, printer-data reads, registry opens and
// library loads of opening a sheet, changing it and pressing OK fail one at a time (every call
// when they are few, else the first ones and a spread over the rest). Every run ends with the
// whole result or with a reported failure (the export's failure answer) and the caller's
// settings and the printer's stored data as they were; a failure is never a Cancel. The
// advanced document sheet runs the document sheet's code.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/PropSheet.h"
#include "platform/StandIn.h"
#include "platform/StandInControls.h"
#include "platform/User.h"
#include "tests/kvui_entry/EntryFixture.h"
#include "ui/pages/PropertyPages.h"

namespace kvuitest {
namespace sweep {

constexpr DWORD kSweepMemory = 4343;
constexpr SHORT kSweepCopies = 6;
constexpr char16_t kSweepMemoryValue[] = u"DEV_Memory";
constexpr unsigned kFirstCalls = 3;   // failed one by one
constexpr unsigned kSpreadCalls = 4;  // runs spread over the later ones

// Printer data that a sheet's OK writes or that a failed run must not lose.
const char16_t* const kWatchedValues[] = {u"DEV_Memory", u"TBL_PresetTable", u"TBL_PresetLanguage",
                                          u"TBL_TTSubstTable", u"TBL_OutPaperTable"};

std::vector<std::vector<BYTE>> StoredData() {
    const auto printer = AdminPrinter();
    std::vector<std::vector<BYTE>> values;
    for (const char16_t* name : kWatchedValues) {
        DWORD type = 0, cb = 0;
        const DWORD status = GetPrinterDataW(printer.handle(), const_cast<LPWSTR>(name), &type, nullptr, 0, &cb);
        std::vector<BYTE> bytes;
        if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
            bytes.resize(cb + 1, static_cast<BYTE>(type));  // the type rides in the last byte
            if (cb != 0) GetPrinterDataW(printer.handle(), const_cast<LPWSTR>(name), &type, bytes.data(), cb, &cb);
        }
        values.push_back(bytes);
    }
    return values;
}

// Goes through every page of the sheet, changes the copies and the installed memory, and
// presses OK.
void ChangeAndPressOk(int tabs) {
    standin::ui::OnModalDialog([tabs](HWND sheet) {
        PageRecord* last = nullptr;
        for (int tab = 0; tab < tabs; ++tab) {
            standin::ui::ClickSheetTab(sheet, tab);
            auto window = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
            if (PageRecord* page = window != nullptr ? PageRecordOf(window) : nullptr) last = page;
        }
        if (last != nullptr) {
            last->context->workingBlock.Public.dmCopies = kSweepCopies;
            last->context->workingBlock.InstalledMemory = kSweepMemory;
        }
        SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    });
}

/// One operation: runs it, and tells whether it ended whole (true) or reported a failure
/// (false); *out holds the caller's settings buffer it filled, if any.
struct Operation {
    const char* name;
    std::function<bool(uihost::UiLibrary& ui, std::vector<BYTE>* out)> run;
    bool writesSettings;  // the caller's settings are filled on success
};

const Operation kOperations[] = {
    {"document sheet",
     [](uihost::UiLibrary& ui, std::vector<BYTE>* out) {
         ChangeAndPressOk(3);
         const auto printer = AdminPrinter();
         const LONG answer = ui.DrvDocumentProperties(nullptr, printer.handle(), kvtest::kSamplePrinterName,
                                                      uihost::AsDevMode(*out), nullptr, DM_COPY | DM_PROMPT);
         EXPECT_NE(answer, IDCANCEL) << "a failure answered as a Cancel";
         EXPECT_TRUE(answer == IDOK || answer == -1) << answer;
         return answer == IDOK;
     },
     true},
    {"device sheet",
     [](uihost::UiLibrary& ui, std::vector<BYTE>*) {
         ChangeAndPressOk(1);
         const auto printer = AdminPrinter();
         return ui.PrinterProperties(nullptr, printer.handle()) != FALSE;
     },
     false},
};

class FaultSweep : public LoadedUiTest {
protected:
    void TearDown() override {
        standin::ClearFaults();
        standin::ui::OnModalDialog(nullptr);
        LoadedUiTest::TearDown();
    }
};

TEST_F(FaultSweep, EveryFailureEndsWholeOrReportedWithTheStoredDataKept) {
    const standin::Fault kinds[] = {standin::Fault::GlobalAlloc, standin::Fault::PrinterDataRead,
                                    standin::Fault::RegistryOpen, standin::Fault::LoadLibrary};
    for (const Operation& op : kOperations) {
        // A clean run first: it stores what opening a sheet stores, and counts the calls.
        std::vector<BYTE> cleanOut = uihost::SettingsBuffer();
        standin::ClearFaults();
        ASSERT_TRUE(op.run(ui_, &cleanOut)) << op.name;
        std::vector<unsigned> cleanCalls;
        for (const standin::Fault kind : kinds) cleanCalls.push_back(standin::CallCount(kind));
        const std::vector<std::vector<BYTE>> whole = StoredData();
        for (const standin::Fault& kind : kinds) {
            // The clean run's number of calls of the kind: every one of them when they are
            // few, else the first ones and an even spread over the rest (a sheet makes
            // hundreds of allocations and loads, and each run costs a whole sheet).
            const unsigned calls = cleanCalls[static_cast<size_t>(&kind - kinds)];
            std::vector<unsigned> chosen;
            for (unsigned k = 0; k <= calls; k += (k < kFirstCalls || calls <= kSpreadCalls) ? 1 : calls / kSpreadCalls)
                chosen.push_back(k);
            for (const unsigned k : chosen) {
                SCOPED_TRACE(testing::Message() << op.name << ", fault " << static_cast<int>(kind) << ", call " << k);
                // The stored memory as it was before the change.
                {
                    const auto printer = AdminPrinter();
                    DWORD memory = 0;
                    SetPrinterDataW(printer.handle(), const_cast<LPWSTR>(kSweepMemoryValue), REG_DWORD,
                                    reinterpret_cast<LPBYTE>(&memory), sizeof memory);
                }
                const std::vector<std::vector<BYTE>> before = StoredData();
                std::vector<BYTE> out = uihost::SettingsBuffer();
                std::memset(out.data(), 0xA5, out.size());
                standin::ClearFaults();
                standin::InjectFault(kind, ERROR_NOT_ENOUGH_MEMORY, k);
                const bool ok = op.run(ui_, &out);
                const bool failed = standin::CallCount(kind) > k;
                standin::ClearFaults();
                standin::ui::OnModalDialog(nullptr);
                if (ok) {
                    EXPECT_EQ(StoredData(), whole) << "a success that stored another result";
                    if (op.writesSettings) {
                        EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(out.data())->dmCopies, kSweepCopies);
                    }
                } else {
                    EXPECT_EQ(StoredData(), before) << "a failure that changed the stored data";
                    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](BYTE b) { return b == 0xA5; }))
                        << "a failure that filled the caller's settings";
                }
                if (!failed) break;
            }
        }
    }
}

}  // namespace sweep
}  // namespace kvuitest
