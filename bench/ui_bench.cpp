// Benchmarks of the user-interface library's capabilities call over the platform stand-in,
// with the sample printer in a run root below the temporary folder:
//   Capabilities/warm/<index>  DrvDeviceCapabilities (count only) with the model description
//                              already shared in the process, as in a burst of calls;
//   Capabilities/cold/<index>  the same in a fresh process without the model's cache file:
//                              the data file is compiled and the cache written first.
// Counters per call come from the stand-in's call counts: file opens, mappings, GlobalAlloc
// calls and library loads.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/SampleRun.h"
#include "platform/DriverUi.h"
#include "platform/Files.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "settings/ModelCache.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/entry/Capabilities.h"
#include "bench/CallCounters.h"

namespace {

std::u16string CachePath() {
    WCHAR path[MAX_PATH] = {};
    return MakeModelCachePath(kvtest::kSampleDataFile, path, MAX_PATH) ? std::u16string(path) : std::u16string();
}

void Capabilities(benchmark::State& state, bool cold) {
    kvbench::UseSampleRun();
    const WORD index = static_cast<WORD>(state.range(0));
    const kvtest::ScopedPrinter printer;
    FreeSettingsLock();
    InitSettingsLock();
    // The same answer warm and cold; a failed call would time nothing useful.
    const DWORD expected = DeviceCapabilities(printer.handle(), kvtest::kSamplePrinterName, index, nullptr, nullptr);
    if (index == DC_SIZE && expected != 220) {
        state.SkipWithError("the sample printer does not answer");
        return;
    }
    const std::u16string cache = CachePath();
    const kvbench::CallCounters counters;
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            FreeSettingsLock();
            InitSettingsLock();
            DeleteFileW(cache.c_str());
            state.ResumeTiming();
        }
        const DWORD answer = DeviceCapabilities(printer.handle(), kvtest::kSamplePrinterName, index, nullptr, nullptr);
        if (answer != expected) {
            state.SkipWithError("the answer changed");
            break;
        }
    }
    counters.Report(state);
}

void IndexRange(benchmark::internal::Benchmark* b) {
    for (int index = 1; index <= 33; ++index) b->Arg(index);
}

}  // namespace

BENCHMARK_CAPTURE(Capabilities, warm, false)->Apply(IndexRange)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Capabilities, cold, true)->Apply(IndexRange)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
