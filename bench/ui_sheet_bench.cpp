// Benchmark of the document sheet as a user drives it, over the sample printer with 120
// forms (the machine's usual forms and the driver's own, made up with user forms): the
// user-interface library loaded by name once, DrvDocumentProperties with DM_PROMPT through
// the common property sheet stand-in.
//   Sheet/open      from the call until the sheet's modal loop starts with its first page
//                   shown (the sheet is then cancelled, untimed); the pages' creation, the
//                   settings tree and the resolver of the first page are inside the time. Per
//                   opening: file opens, mappings, GlobalAlloc calls and library loads (the
//                   stand-in's call counts, the closing included).
//   Sheet/switch/N  a click on the tab of page N (1 to 3) from the page before it, until the
//                   page is shown and what it posted to itself is handled.
//   Sheet/change/N  one change on page N that runs the constraint resolver, undone by the
//                   next iteration's change: page 1 pages per sheet 1 <-> 2, page 2 copies
//                   typed 2 <-> 3, page 3 toner save off <-> on in the settings tree.
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "platform/DriverUi.h"
#include "platform/PropSheet.h"
#include "platform/StandIn.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "tools/hosts/uihost/PageActions.h"
#include "tools/hosts/uihost/UiHost.h"
#include "tools/sample/RunRoot.h"
#include "tools/sample/SamplePrinter.h"
#include "tools/sample/StandardForms.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kFormCount = 120;
// A control that only the page of that index holds.
constexpr int kPageMarkers[] = {1101, 1204, 1304};
constexpr int kPagesPerSheetList = 1114;
constexpr LPARAM kOnePagePerSheet = 551;
constexpr LPARAM kTwoPagesPerSheet = 552;
constexpr int kCopiesEdit = 1229;
constexpr int kItemList = 1304;
constexpr int kTonerSaveItem = 433;
constexpr int kTonerSaveOff = 488;
constexpr int kTonerSaveOn = 538;

// The run's root with the sample printer and its 120 forms, made once.
class FormsRun {
public:
    FormsRun() {
        kvtest::UseRunRoot(folder_);
        kvtest::SamplePrinterOptions options;
        options.forms = kvtest::StandardFormsUpTo(kFormCount);
        kvtest::InstallSamplePrinter(options);
        forms_ = options.forms.size();
    }
    size_t Forms() const { return forms_; }

private:
    kvtest::TempFolder folder_;
    size_t forms_ = 0;
};

const FormsRun& UseFormsRun() {
    static FormsRun run;
    return run;
}

void Report(benchmark::State& state) {
    const double n = static_cast<double>(state.iterations());
    state.counters["opens"] = standin::CallCount(standin::Fault::FileCreate) / n;
    state.counters["maps"] = standin::CallCount(standin::Fault::FileMapping) / n;
    state.counters["allocs"] = standin::CallCount(standin::Fault::GlobalAlloc) / n;
    state.counters["loads"] = standin::CallCount(standin::Fault::LoadLibrary) / n;
}

// The document sheet opened once with `script` run in its modal loop (the script's end
// cancels the sheet); false when the library does not load or the sheet never opened.
bool WithDocumentSheet(benchmark::State& state, const std::function<void(HWND sheet)>& script) {
    state.counters["forms"] = static_cast<double>(UseFormsRun().Forms());
    uihost::UiLibrary ui;
    if (!ui.Load()) {
        state.SkipWithError("the user-interface library does not load");
        return false;
    }
    const kvtest::ScopedPrinter printer(kvtest::kSamplePrinterName, PRINTER_ALL_ACCESS);
    std::vector<BYTE> out = uihost::SettingsBuffer();
    bool ran = false;
    standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDOK; });
    standin::ui::OnModalDialog([&](HWND dialog) {
        if (ran) {  // a sub-dialog nobody asked for
            SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        ran = true;
        script(dialog);
        SendMessageW(dialog, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    ui.DrvDocumentProperties(nullptr, printer.handle(), kvtest::kSamplePrinterName, uihost::AsDevMode(out), nullptr,
                             DM_COPY | DM_PROMPT);
    standin::ui::OnModalDialog(nullptr);
    standin::ui::OnMessageBox(nullptr);
    if (!ran) state.SkipWithError("the sheet did not open");
    return ran;
}

void SheetOpen(benchmark::State& state) {
    state.counters["forms"] = static_cast<double>(UseFormsRun().Forms());
    uihost::UiLibrary ui;
    if (!ui.Load()) {
        state.SkipWithError("the user-interface library does not load");
        return;
    }
    const kvtest::ScopedPrinter printer(kvtest::kSamplePrinterName, PRINTER_ALL_ACCESS);
    std::vector<BYTE> out = uihost::SettingsBuffer();
    Clock::time_point start;
    Clock::duration toFirstPage{};
    bool shown = false;
    standin::ui::OnModalDialog([&](HWND sheet) {
        toFirstPage = Clock::now() - start;
        shown = SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) != 0;
        SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    // One opening first: the model's cache and the forms are in place for the timed ones.
    start = Clock::now();
    ui.DrvDocumentProperties(nullptr, printer.handle(), kvtest::kSamplePrinterName, uihost::AsDevMode(out), nullptr,
                             DM_COPY | DM_PROMPT);
    if (!shown) {
        state.SkipWithError("the sheet shows no page");
        standin::ui::OnModalDialog(nullptr);
        return;
    }
    standin::ClearFaults();
    for (auto _ : state) {
        shown = false;
        start = Clock::now();
        const LONG answer = ui.DrvDocumentProperties(nullptr, printer.handle(), kvtest::kSamplePrinterName,
                                                     uihost::AsDevMode(out), nullptr, DM_COPY | DM_PROMPT);
        if (!shown || answer != IDCANCEL) {
            state.SkipWithError("the sheet did not open to its first page");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(toFirstPage).count());
    }
    Report(state);
    standin::ui::OnModalDialog(nullptr);
}

void SheetSwitch(benchmark::State& state) {
    const int target = static_cast<int>(state.range(0)) - 1;
    const int before = (target + 2) % 3;
    WithDocumentSheet(state, [&](HWND sheet) {
        for (auto _ : state) {
            if (uihost::OpenTab(sheet, before, kPageMarkers[before]) == nullptr) {
                state.SkipWithError("the page before does not open");
                break;
            }
            uihost::PumpMessages();
            const Clock::time_point start = Clock::now();
            HWND page = uihost::OpenTab(sheet, target, kPageMarkers[target]);
            uihost::PumpMessages();
            state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
            if (page == nullptr) {
                state.SkipWithError("the page does not open");
                break;
            }
        }
    });
}

// One change on the page and whether it shows; `flip` chooses which way this time.
using Change = bool (*)(HWND page, bool flip);

bool ChangePagesPerSheet(HWND page, bool flip) {
    HWND combo = GetDlgItem(page, kPagesPerSheetList);
    const LPARAM wanted = flip ? kTwoPagesPerSheet : kOnePagePerSheet;
    return uihost::ChooseByData(combo, wanted) && uihost::CurrentData(combo) == wanted;
}

bool ChangeCopies(HWND page, bool flip) {
    const UINT copies = flip ? 2 : 3;
    uihost::TypeOver(GetDlgItem(page, kCopiesEdit), flip ? u"2" : u"3");
    return GetDlgItemInt(page, kCopiesEdit, nullptr, FALSE) == copies;
}

bool ChangeTonerSave(HWND page, bool flip) {
    const int wanted = flip ? kTonerSaveOn : kTonerSaveOff;
    const LPARAM data = uihost::ClickListEntry(page, kItemList, [&](LPARAM entry) {
        return static_cast<int>((static_cast<DWORD>(entry) >> 16) & 0xFFFF) == wanted;
    });
    return data != -1;
}

void SheetChange(benchmark::State& state) {
    const int index = static_cast<int>(state.range(0)) - 1;
    static constexpr Change kChanges[] = {ChangePagesPerSheet, ChangeCopies, ChangeTonerSave};
    WithDocumentSheet(state, [&](HWND sheet) {
        HWND page = uihost::OpenTab(sheet, index, kPageMarkers[index]);
        if (page == nullptr || (index == 2 && !uihost::ClickTreeItem(page, kTonerSaveItem))) {
            state.SkipWithError("the page or its item does not open");
            return;
        }
        uihost::PumpMessages();
        bool flip = true;
        for (auto _ : state) {
            const Clock::time_point start = Clock::now();
            const bool shown = kChanges[index](page, flip);
            uihost::PumpMessages();
            state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
            if (!shown) {
                state.SkipWithError("the change does not show on the page");
                break;
            }
            flip = !flip;
        }
    });
}

}  // namespace

BENCHMARK(SheetOpen)->Name("Sheet/open")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SheetSwitch)->Name("Sheet/switch")->DenseRange(1, 3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SheetChange)->Name("Sheet/change")->DenseRange(1, 3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
