// The form-overlay check on a whole settings block, as the constraint resolver runs it on
// every change while the overlay is on:
//   RegisterOverlayForm/typical  an A4 form file: header read, form registered, forms listed,
//                                language library loaded for the default source;
//   RegisterOverlayForm/missing  the named file does not exist (stops at the open).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/SampleRun.h"
#include "platform/Files.h"
#include "platform/Owners.h"
#include "platform/Spooler.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "ui/data/OverlayForm.h"

namespace {

constexpr char16_t kFormFile[] = u"C:\\forms\\invoice.fn2";

void PutDword(std::vector<BYTE>& file, size_t offset, DWORD value) {
    for (int i = 0; i < 4; ++i) file[offset + i] = static_cast<BYTE>(value >> (8 * i));
}

// An A4 form file: the magic line, the size code twice, portrait, and some data.
void WriteFormFile() {
    std::vector<BYTE> file(4096, 0);
    const char magic[] = "ZEV KD-VELUMO Form Object\n";
    std::memcpy(file.data(), magic, sizeof magic - 1);
    PutDword(file, 112, 2);
    PutDword(file, 136, 0x200);
    PutDword(file, 152, 0x200);
    file[148] = 'P';
    CreateDirectoryW(u"C:\\forms", nullptr);
    const FileHandle out(CreateFileW(kFormFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (out.Valid()) WriteFile(out.Get(), file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
}

void RegisterOverlayFormBench(benchmark::State& state, const char* name) {
    kvbench::UseSampleRun();
    InitSettingsLock();
    WriteFormFile();
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(const_cast<LPWSTR>(kvtest::kSamplePrinterName), &printer, &access)) {
        state.SkipWithError("no printer");
        return;
    }
    const ModelDescription* model = AcquireModelDescription(printer);
    DriverDevMode block{};
    BuildDefaultDevMode(&block, printer, nullptr, model);
    block.OverlayFlags |= kOverlayOn;
    std::strcpy(block.OverlayFolder, "C:\\forms");
    std::strcpy(block.OverlayName, name);
    for (auto _ : state) {
        RegisterOverlayForm(&block, printer, model);
        benchmark::DoNotOptimize(block.OverlayStatus);
    }
    state.counters["status"] = static_cast<double>(block.OverlayStatus);
    ReleaseModelDescription(model);
    ClosePrinter(printer);
    FreeSettingsLock();
}

}  // namespace

BENCHMARK_CAPTURE(RegisterOverlayFormBench, typical, "invoice")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RegisterOverlayFormBench, missing, "absent")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
