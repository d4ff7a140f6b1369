// The user interface's status query without a window (the path of a document-properties call
// without a dialog) against the status manager stand-in, per call:
//   NoDialogStatus/absent    the manager's library cannot be loaded;
//   NoDialogStatus/no_monitor  the manager is there but nobody refreshes (answered at once);
//   NoDialogStatus/at_once   a monitor answers every refresh at once;
//   NoDialogStatus/slowly    the monitor takes 5 s per refresh: the call waits no longer than
//                            the manager's bounded wait for a settings-interface connection.
// The printer reports its trays (PrinterExtStatus 0x4), so each call asks for both refreshes.
// Counters: refreshes the monitor took in hand and library loads, per call.
#include <benchmark/benchmark.h>

#include <atomic>

#include "bench/SampleRun.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/StandIn.h"
#include "platform/StatusManager.h"
#include "platform/Sync.h"
#include "tools/standins/srm/SrmControls.h"
#include "ui/status/StatusQuery.h"

namespace {

enum class Manager { Absent, NoMonitor, AtOnce, Slowly };

constexpr DWORD kSlowRefreshMs = 5000;

struct Monitor {
    std::atomic<int> refreshes{0};
    bool slow = false;
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

DWORD AnswerRefresh(LPCWSTR, void* context) {
    auto* monitor = static_cast<Monitor*>(context);
    ++monitor->refreshes;
    if (monitor->slow) WaitForSingleObject(monitor->stop, kSlowRefreshMs);
    return SRMRES_SUCCESS;
}

template <typename F>
F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void NoDialogStatus(benchmark::State& state, Manager kind) {
    kvbench::UseSampleRun();
    kvtest::ScopedPrinter printer;
    HMODULE srm = LoadLibraryW(kSrmLibraryName);
    const auto open = Export<PFN_OpenManagerExW>(srm, "OpenManagerExW");
    const auto update = Export<PFN_UpdatePrinterStatusW>(srm, "UpdatePrinterStatusW");
    const auto close = Export<PFN_CloseManager>(srm, "CloseManager");
    const auto setRefresher = Export<PFN_SrmStandInSetRefreshHandler>(srm, "SrmStandInSetRefreshHandler");
    DWORD publisher = 0;
    if (printer.handle() == nullptr || open == nullptr || update == nullptr || close == nullptr ||
        setRefresher == nullptr || open(kvtest::kSamplePrinterName, u"", kSrmModeMonitor, &publisher) != 0) {
        state.SkipWithError("no sample printer or manager stand-in");
        return;
    }
    const DWORD reported = kExtStatusKnown;
    update(publisher, u"PrinterExtStatus", &reported, sizeof(reported));
    Monitor monitor;
    monitor.slow = kind == Manager::Slowly;
    if (kind == Manager::AtOnce || kind == Manager::Slowly) setRefresher(AnswerRefresh, &monitor);

    standin::ClearFaults();
    for (auto _ : state) {
        if (kind == Manager::Absent) standin::InjectFault(standin::Fault::LoadLibrary, ERROR_MOD_NOT_FOUND);
        PrinterStatusSnapshot status{};
        benchmark::DoNotOptimize(QueryPrinterStatus(&status, printer.handle(), nullptr));
        benchmark::DoNotOptimize(status.printerExtStatus);
    }
    const double calls = static_cast<double>(state.iterations());
    if (calls > 0) {
        state.counters["refreshes/call"] = monitor.refreshes.load() / calls;
        state.counters["loads/call"] = standin::CallCount(standin::Fault::LoadLibrary) / calls;
    }
    SetEvent(monitor.stop);
    setRefresher(nullptr, nullptr);
    CloseHandle(monitor.stop);
    close(publisher);
    standin::ClearFaults();
    FreeLibrary(srm);
}

}  // namespace

BENCHMARK_CAPTURE(NoDialogStatus, absent, Manager::Absent)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(NoDialogStatus, no_monitor, Manager::NoMonitor)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(NoDialogStatus, at_once, Manager::AtOnce)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(NoDialogStatus, slowly, Manager::Slowly)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
