// Benchmark of the preset dialog over the platform stand-in, with the sample printer in a run
// root below the temporary folder:
//   PresetDialog/open/<n>  the dialog opened on a stored table of n user presets (the list
//                          read and filled, the icons listed) and closed with Cancel, which
//                          frees the records and stores nothing.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench/SampleRun.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "settings/SpoolerQueries.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/pages/PageIcons.h"
#include "ui/dialogs/PresetDialog.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiInstance.h"

namespace {

void OpenPresetDialog(benchmark::State& state) {
    kvbench::UseSampleRun();
    InitSettingsLock();
    const kvtest::ScopedPrinter printer(kvtest::kSamplePrinterName, PRINTER_ALL_ACCESS);
    HMODULE resources = LoadLibraryW(u"KVUIRES");
    const ModelDescription* model = AcquireModelDescription(printer.handle());
    HMODULE language = LoadLanguageDll(printer.handle());
    UiPool* pool = UiPoolCreate();
    auto* context = pool != nullptr ? static_cast<UiContext*>(UiPoolAlloc(pool, sizeof(UiContext))) : nullptr;
    if (resources == nullptr || model == nullptr || language == nullptr || context == nullptr) {
        state.SkipWithError("the sample printer, its model or the libraries are missing");
    } else {
        SetUiLibraryInstance(resources);
        context->magic = kUiContextMagic;
        context->flags = kUiDocumentSheet | kUiMayChange | kUiMayWriteData;
        context->pool = pool;
        context->printer = printer.handle();
        context->languageLibrary = language;
        context->model = model;
        BuildDefaultDevMode(&context->defaultBlock, printer.handle(), nullptr, model);
        context->workingBlock = context->defaultBlock;
        PageRecord page{};
        page.context = context;
        page.images = CreatePageImages(resources);

        const int count = static_cast<int>(state.range(0));
        std::vector<PresetRecord> table(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            const std::u16string name = u"Preset " + std::u16string(1, static_cast<char16_t>(u'A' + i));
            MakeUserPreset(context->defaultBlock, static_cast<DWORD>(i % 20), name.c_str(), u"comment", &table[i]);
        }
        SetPrinterDataW(printer.handle(), const_cast<LPWSTR>(PD_PRESET_TABLE), REG_BINARY,
                        reinterpret_cast<BYTE*>(table.data()), static_cast<DWORD>(table.size() * sizeof(PresetRecord)));
        standin::ui::OnModalDialog([](HWND dialog) { SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
        for (auto _ : state) {
            const INT_PTR result = DialogBoxParamW(language, MAKEINTRESOURCEW(kPresetDialogTemplate), nullptr,
                                                   PresetDlgProc, reinterpret_cast<LPARAM>(&page));
            benchmark::DoNotOptimize(result);
        }
        standin::ui::OnModalDialog(nullptr);
        if (page.images != nullptr) DestroyPageImages(page.images);
        SetUiLibraryInstance(nullptr);
    }
    if (pool != nullptr) UiPoolDestroy(pool);
    if (language != nullptr) FreeLanguageDll(language);
    if (model != nullptr) ReleaseModelDescription(model);
    if (resources != nullptr) FreeLibrary(resources);
    FreeSettingsLock();
}

BENCHMARK(OpenPresetDialog)->Name("PresetDialog/open")->Arg(5)->Arg(20)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
