// Benchmark of opening the document sheet to its first page, as an application opens it: the
// user-interface library loaded by name once, then DrvDocumentProperties with DM_PROMPT
// through the common property sheet stand-in, timed from the call until the sheet's modal
// loop starts with its first page shown (the sheet is then cancelled, untimed). The pages'
// creation, the settings tree and the resolver of the first page are inside the time.
//   Sheet/open  the time to the first page, and per opening: file opens, mappings, GlobalAlloc
//               calls and library loads (the stand-in's call counts, the closing included).
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "bench/SampleRun.h"
#include "platform/DriverUi.h"
#include "platform/PropSheet.h"
#include "platform/StandIn.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "tools/hosts/uihost/UiHost.h"
#include "tools/sample/SamplePrinter.h"

namespace {

using Clock = std::chrono::steady_clock;

void Report(benchmark::State& state) {
    const double n = static_cast<double>(state.iterations());
    state.counters["opens"] = standin::CallCount(standin::Fault::FileCreate) / n;
    state.counters["maps"] = standin::CallCount(standin::Fault::FileMapping) / n;
    state.counters["allocs"] = standin::CallCount(standin::Fault::GlobalAlloc) / n;
    state.counters["loads"] = standin::CallCount(standin::Fault::LoadLibrary) / n;
}

void SheetOpen(benchmark::State& state) {
    kvbench::UseSampleRun();
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

}  // namespace

BENCHMARK(SheetOpen)->Name("Sheet/open")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
