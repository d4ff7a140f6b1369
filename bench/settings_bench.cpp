// Benchmarks of the driver settings library over the platform stand-in, with real files below
// a temporary root:
//   JobSettings          GetCurrentDevMode + ValidateDevMode for a printer with 150 forms and
//                        a 50-pair output-paper table, the model acquired once; beside it, the
//                        same calls as many times again with the language library held by
//                        the bench, so that each call's load and free of it only counts a
//                        reference (held_us: the reference for what loading it costs);
//   Compile/<file>       CompileModelDescription of the shipped data file and of one with
//                        every list full and long strings continued over lines;
//   Acquire<kind>/<file> AcquireModelDescription + release: hot (the shared image is held by
//                        another user), warm (nothing shared, cache fresh), cold (no cache).
// Counters per iteration come from the stand-in's call counts: file opens, writes and
// mappings, GlobalAlloc calls and library loads.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "settings/DriverDevMode.h"
#include "settings/MergeSettings.h"
#include "settings/ModelCache.h"
#include "settings/ModelCompiler.h"
#include "settings/ModelDescription.h"
#include "settings/PrinterData.h"
#include "settings/SpoolerQueries.h"
#include "settings/ValidateSettings.h"
#include "tools/sample/RunRoot.h"
#include "tools/sample/SamplePrinter.h"
#include "tools/sample/StandardForms.h"
#include "tools/sample/Utf16.h"
#include "bench/CallCounters.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kFormCount = 150;
constexpr int kTablePairs = 50;
constexpr char16_t kFullPrinter[] = u"KV-TD520 Full";
constexpr char16_t kFullDataFile[] = u"C:\\drv\\FULL.DAT";

std::u16string Num(unsigned long value) { return kvtest::U16(std::to_string(value)); }

// --- The data file with every list full ---------------------------------------------------

// A name of about 70 characters written over two lines: the "%" continues it on the next
// line, whose leading blanks are skipped.
std::u16string LongName(const std::u16string& kind, int index) {
    return u"\"" + kind + u" " + Num(static_cast<unsigned long>(index)) + u" of the model list, with a name %\r\n" +
           u"        that goes on here\"";
}

std::u16string FullDataFile() {
    std::u16string text = u"% Every keyword once, every list to its capacity.\r\n";
    text += u"*Version 9\r\n*PPM 60\r\n*PrivateID 0x4B565444\r\n*DefaultLocalDay 20240401\r\n";
    text += u"*DefaultLocalTime 1200\r\n*Flags 0xFF\r\n*PresetFlags 0x7\r\n*AdvFuncSwitch 0x3\r\n";
    text += u"*DefaultPatternScale 100\r\n*LinePatternScale_1200 50\r\n*LinePatternScale_600 25\r\n";
    text += u"*LinePatternScale_400 17\r\n*LinePatternScale_240 10\r\n";
    // The two long names over three lines each (the third joins with a line feed).
    for (const char16_t* keyword : {u"*FriendlyName", u"*PrinterName"}) {
        text += std::u16string(keyword) + u" \"KV-TD520 page printer for A3 paper with every option %\r\n" +
                u"   installed, described by the fullest data file that the driver %\r\n" +
                u"   accepts\"\r\n";
    }
    text += u"*DefaultResolution 600\r\n*MaxForm 297000 431800\r\n*MinForm 90000 139700\r\n";
    text += u"*DefaultMemorySize 131072 4096 128 8192 2048 16384 512\r\n";
    text += u"*DefaultInputSlot " + LongName(u"Default slot", 0) + u" 7\r\n";
    text += u"*DefaultForm " + LongName(u"Default form", 0) + u" 210000 297000 4230 4230 205770 292770\r\n";

    auto named = [&text](const char16_t* keyword, const char16_t* kind, DWORD capacity, bool hex) {
        for (DWORD i = 0; i < capacity; ++i) {
            const std::u16string value = hex ? u"0x" + Num(0x10000ul + i) : Num(200ul + i);
            text += std::u16string(keyword) + u" " + LongName(kind, static_cast<int>(i + 1)) + u" " + value + u"\r\n";
        }
    };
    named(u"*SupportFeature", u"Feature", kModelMaxSupportFeature, true);
    named(u"*InputSlot", u"Slot", kModelMaxInputSlot, false);
    named(u"*InputDevice", u"Input device", kModelMaxDevice, true);
    named(u"*OptionDevice", u"Option device", kModelMaxDevice, true);
    named(u"*FormDevice", u"Form device", kModelMaxDevice, true);
    named(u"*Application", u"Application", kModelMaxApplication, true);
    for (DWORD i = 0; i < kModelMaxMemorySize; ++i) {
        text += u"*MemorySize " + Num(65536ul * (i + 1)) + u" 4096 128 8192 2048 16384 512\r\n";
    }
    for (DWORD i = 0; i < kModelMaxResolution; ++i) {
        text += u"*Resolution " + Num(100ul * (i + 1)) + u" " + LongName(u"Resolution", static_cast<int>(i)) +
                u" " + Num(i) + u"\r\n    " + LongName(u"Quality", static_cast<int>(i)) + u" 1\r\n";
    }
    for (const char16_t* keyword : {u"*FormPort", u"*FormLand", u"*FormPortCompatible", u"*FormLandCompatible"}) {
        for (DWORD i = 0; i < kModelMaxForm; ++i) {
            const unsigned long width = 100000ul + 4000ul * i;
            const unsigned long length = 148000ul + 6000ul * i;
            text += std::u16string(keyword) + u" " + LongName(u"Form", static_cast<int>(i + 1)) + u" " +
                    Num(width) + u" " + Num(length) + u" 4230 4230 " + Num(width - 4230) + u" " +
                    Num(length - 4230) + u"\r\n";
        }
    }
    return text;
}

// True when every list of the image is at its capacity and the long names came out whole.
bool IsFull(const ModelDescription* model) {
    const DWORD counts[][2] = {
        {model->SupportFeatureCount, kModelMaxSupportFeature}, {model->MemorySizeCount, kModelMaxMemorySize},
        {model->ResolutionCount, kModelMaxResolution},         {model->InputSlotCount, kModelMaxInputSlot},
        {model->InputDeviceCount, kModelMaxDevice},            {model->OptionDeviceCount, kModelMaxDevice},
        {model->FormDeviceCount, kModelMaxDevice},             {model->FormPortCount, kModelMaxForm},
        {model->FormLandCount, kModelMaxForm},                 {model->FormPortCompatibleCount, kModelMaxForm},
        {model->FormLandCompatibleCount, kModelMaxForm},       {model->ApplicationCount, kModelMaxApplication},
    };
    for (const auto& c : counts) {
        if (c[0] != c[1]) return false;
    }
    const ModelForm* defaultForm = ModelDefaultForm(model);
    return lstrlenW(ModelString(model, model->FriendlyName)) > 120 && defaultForm != nullptr &&
           lstrlenW(ModelString(model, defaultForm->NameOffset)) > 60;
}

// --- The stand-in set up once for the whole run -------------------------------------------

struct GlobalFreeDeleter {
    void operator()(const void* block) const { GlobalFree(const_cast<void*>(block)); }
};

// TBL_OutPaperTable: 49 pairs for papers the benchmark does not print on (output names of
// the list, a few unknown), then the pair that applies, so that the walk goes to its end.
std::vector<BYTE> OutPaperTable() {
    std::u16string table;
    for (int i = 1; i < kTablePairs; ++i) {
        table += u"Form " + Num(static_cast<unsigned long>(i)) + u'\0';
        table += (i % 10 == 0 ? u"No such paper" : u"A4") + std::u16string(1, u'\0');
    }
    using namespace std::string_literals;  // keeps the terminators inside the pair
    table += u"B5 (JIS)\0A3\0"s;
    return kvtest::Utf16LeBytes(table, false);
}

class Environment {
public:
    Environment() {
        standin::SetRoot(root_.Path());
        standin::SetAnsiCodePage(932);
        standin::SetWindowsDirectory(u"C:\\Windows");
        standin::AddModuleFolder(KV_OUT_DIR);
        standin::ResetSpooler();
        standin::ClearFaults();
        fs::create_directories(fs::path(root_.Path()) / "C" / "Windows" / "system32");

        kvtest::SamplePrinterOptions sample;
        sample.forms = kvtest::StandardFormsUpTo(kFormCount);
        sample.data.push_back(kvtest::BinaryValue(PD_OUT_PAPER_TABLE, OutPaperTable()));
        const kvtest::SamplePrinterResult installed = kvtest::InstallSamplePrinter(sample);
        if (!installed.dataFileCopied || !installed.languageLibrariesInstalled) error_ = "sample printer not installed";

        kvtest::SamplePrinterOptions full = sample;
        full.name = kFullPrinter;
        full.dataFile = kFullDataFile;
        full.copyDataFile = false;
        full.data.clear();
        kvtest::InstallSamplePrinter(full);
        const std::vector<BYTE> bytes = kvtest::Utf16LeBytes(FullDataFile(), true);
        std::ofstream(standin::MapPath(kFullDataFile), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        const std::unique_ptr<ModelDescription, GlobalFreeDeleter> image(CompileModelDescription(kFullDataFile));
        if (image == nullptr || !IsFull(image.get())) error_ = "the full data file does not fill every list";
        InitSettingsLock();
    }
    ~Environment() { FreeSettingsLock(); }

    const std::string& Error() const { return error_; }

private:
    kvtest::TempFolder root_;
    std::string error_;
};


struct DataFile {
    const char* label;
    const char16_t* printer;
    const char16_t* path;
};
const DataFile kDataFiles[] = {
    {"shipped", kvtest::kSamplePrinterName, kvtest::kSampleDataFile},
    {"full", kFullPrinter, kFullDataFile},
};

std::u16string CachePath(const char16_t* dataFile) {
    WCHAR path[264] = {};
    if (!MakeModelCachePath(dataFile, path, 264)) return {};
    return path;
}

DWORD FileSize(const char16_t* path) {
    std::error_code error;
    const auto size = fs::file_size(standin::MapPath(path), error);
    return error ? 0 : static_cast<DWORD>(size);
}

// --- Benchmarks ---------------------------------------------------------------------------

void JobSettings(benchmark::State& state) {
    const kvtest::ScopedPrinter printer;
    const ModelDescription* model = AcquireModelDescription(printer.handle());
    if (model == nullptr) {
        state.SkipWithError("no model description");
        return;
    }
    // The application's block: this driver's own, naming B5 with the table switched on.
    DriverDevMode application;
    GetCurrentDevMode(&application, nullptr, printer.handle(), nullptr, model);
    application.OptionFlags &= ~kOptionNoOutPaperTable;
    std::memset(application.Public.dmFormName, 0, sizeof application.Public.dmFormName);
    std::u16string(u"B5 (JIS)").copy(application.Public.dmFormName, CCHFORMNAME - 1);
    application.Public.dmFields |= DM_FORMNAME;
    application.Public.dmFields &= ~DM_PAPERSIZE;

    DriverDevMode block;
    GetCurrentDevMode(&block, &application.Public, printer.handle(), nullptr, model, sizeof application);
    ValidateDevMode(&block, nullptr, printer.handle(), nullptr, model);
    if (std::u16string(block.OutputPaperName) != u"A3") {
        state.SkipWithError("the output-paper table's last pair was not taken");
    } else {
        const kvbench::CallCounters counters;
        for (auto _ : state) {
            GetCurrentDevMode(&block, &application.Public, printer.handle(), nullptr, model, sizeof application);
            ValidateDevMode(&block, nullptr, printer.handle(), nullptr, model);
            benchmark::DoNotOptimize(block);
        }
        counters.Report(state);
        const HMODULE held = LoadLanguageDll(printer.handle());
        const auto start = std::chrono::steady_clock::now();
        for (benchmark::IterationCount i = 0; i < state.iterations(); ++i) {
            GetCurrentDevMode(&block, &application.Public, printer.handle(), nullptr, model, sizeof application);
            ValidateDevMode(&block, nullptr, printer.handle(), nullptr, model);
            benchmark::DoNotOptimize(block);
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (held == nullptr) state.SkipWithError("the language library could not be held");
        FreeLanguageDll(held);
        state.counters["held_us"] = seconds * 1e6 / static_cast<double>(state.iterations());
    }
    ReleaseModelDescription(model);
}
BENCHMARK(JobSettings)->Unit(benchmark::kMicrosecond);

void Compile(benchmark::State& state, const DataFile& file) {
    const DWORD cbFile = FileSize(file.path);
    const kvbench::CallCounters counters;
    for (auto _ : state) {
        ModelDescription* image = CompileModelDescription(file.path);
        if (image == nullptr) {
            state.SkipWithError("compile failed");
            break;
        }
        benchmark::DoNotOptimize(image);
        GlobalFree(image);
    }
    counters.Report(state);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * cbFile);
    state.counters["file_bytes"] = cbFile;
}

// The shared image held by another user: the acquire takes the driver record from the
// spooler and nothing else. The data file and the cache are moved away while it runs, so
// any file access would fail the check before the loop.
void AcquireHot(benchmark::State& state, const DataFile& file) {
    const kvtest::ScopedPrinter printer(file.printer);
    FreeSettingsLock();
    InitSettingsLock();
    const ModelDescription* held = AcquireModelDescription(printer.handle());
    const std::u16string cache = CachePath(file.path);
    const std::u16string dataAside = std::u16string(file.path) + u".aside";
    const std::u16string cacheAside = cache + u".aside";
    const bool moved = MoveFileW(file.path, dataAside.c_str()) && MoveFileW(cache.c_str(), cacheAside.c_str());
    const ModelDescription* again = AcquireModelDescription(printer.handle());
    ReleaseModelDescription(again);
    if (held == nullptr || !moved || again != held) {
        state.SkipWithError("hot acquire did not return the held image without its files");
    } else {
        const kvbench::CallCounters counters;
        for (auto _ : state) {
            const ModelDescription* model = AcquireModelDescription(printer.handle());
            benchmark::DoNotOptimize(model);
            ReleaseModelDescription(model);
        }
        counters.Report(state);
    }
    MoveFileW(dataAside.c_str(), file.path);
    MoveFileW(cacheAside.c_str(), cache.c_str());
    ReleaseModelDescription(held);
}

// Nothing shared (a new process each time), the cache file fresh: load and check the cache.
void AcquireWarm(benchmark::State& state, const DataFile& file) {
    const kvtest::ScopedPrinter printer(file.printer);
    ReleaseModelDescription(AcquireModelDescription(printer.handle()));  // makes the cache
    const kvbench::CallCounters counters;
    for (auto _ : state) {
        state.PauseTiming();
        FreeSettingsLock();
        InitSettingsLock();
        state.ResumeTiming();
        const ModelDescription* model = AcquireModelDescription(printer.handle());
        if (model == nullptr) {
            state.SkipWithError("no model description");
            break;
        }
        ReleaseModelDescription(model);
    }
    counters.Report(state);
    if (standin::CallCount(standin::Fault::FileWrite) != 0) state.SkipWithError("the cache was rewritten");
}

// No cache file: compile, write the cache, then read it back for the fill.
void AcquireCold(benchmark::State& state, const DataFile& file) {
    const kvtest::ScopedPrinter printer(file.printer);
    const std::u16string cache = CachePath(file.path);
    const kvbench::CallCounters counters;
    for (auto _ : state) {
        state.PauseTiming();
        DeleteFileW(cache.c_str());
        FreeSettingsLock();
        InitSettingsLock();
        state.ResumeTiming();
        const ModelDescription* model = AcquireModelDescription(printer.handle());
        if (model == nullptr) {
            state.SkipWithError("no model description");
            break;
        }
        ReleaseModelDescription(model);
    }
    counters.Report(state);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Environment environment;
    if (!environment.Error().empty()) {
        std::fprintf(stderr, "settings_bench: %s\n", environment.Error().c_str());
        return 1;
    }
    // Each model benchmark for both data files, named after the file.
    const struct {
        const char* name;
        void (*run)(benchmark::State&, const DataFile&);
        benchmark::TimeUnit unit;
    } perFile[] = {
        {"Compile", Compile, benchmark::kMicrosecond},
        {"AcquireHot", AcquireHot, benchmark::kNanosecond},
        {"AcquireWarm", AcquireWarm, benchmark::kMicrosecond},
        {"AcquireCold", AcquireCold, benchmark::kMicrosecond},
    };
    for (const auto& b : perFile) {
        for (const DataFile& file : kDataFiles) {
            const std::string name = std::string(b.name) + "/" + file.label;
            benchmark::RegisterBenchmark(name.c_str(), b.run, file)->Unit(b.unit);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
