// The layout preview of the document pages painted over and over, as the pages repaint it
// after each change: one page per sheet (three layers and the scale) and sixteen pages per
// sheet with duplex binding marks (six layers). Paints per second, and the GDI objects and DCs
// still alive after every paint of the run (none expected).
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/SampleRun.h"
#include "platform/Controls.h"
#include "platform/Modules.h"
#include "platform/StandInDraw.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCompiler.h"
#include "settings/SpoolerQueries.h"
#include "ui/pages/LayoutPreview.h"
#include "ui/pages/PageIcons.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"
#include "ui/entry/UiInstance.h"

namespace {

INT_PTR PreviewPageProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        RECT client{};
        GetClientRect(GetDlgItem(dialog, kPreviewControl), &client);
        SendDlgItemMessageW(dialog, kPreviewControl, LB_ADDSTRING, 0, 0);
        SendDlgItemMessageW(dialog, kPreviewControl, LB_SETITEMHEIGHT, 0, client.bottom);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != kPreviewControl) return FALSE;
        PaintLayoutPreview(item, PageRecordOf(dialog), dialog);
        return TRUE;
    }
    default: return FALSE;
    }
}

class PreviewRun {
public:
    PreviewRun() {
        kvbench::UseSampleRun();
        standin::ui::ResetUi();
        PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (!OpenPrinterW(const_cast<LPWSTR>(kvtest::kSamplePrinterName), &printer_, &access)) printer_ = nullptr;
        resources_ = LoadLibraryW(u"KVUIRES");
        SetUiLibraryInstance(resources_);
        model_.reset(CompileModelDescription(kvtest::kSampleDataFile));
        language_ = LoadLanguageDll(printer_);
        context_ = std::make_unique<UiContext>();
        context_->printer = printer_;
        context_->languageLibrary = language_;
        context_->model = model_.get();
        context_->flags = kUiMayChange | kUiDocumentSheet;
        BuildDefaultDevMode(&context_->workingBlock, printer_, nullptr, model_.get());
        page_.context = context_.get();
        page_.images = CreatePageImages(resources_);

        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = u"PreviewBenchSheet";
        RegisterClassExW(&wc);
        sheet_ = CreateWindowExW(0, u"PreviewBenchSheet", u"Sheet", WS_POPUP | WS_VISIBLE, 0, 0, 480, 560, nullptr,
                                 nullptr, nullptr, nullptr);
        dialog_ = CreateDialogParamW(language_, MAKEINTRESOURCEW(1200), sheet_, PreviewPageProc,
                                     reinterpret_cast<LPARAM>(&page_));
        ShowWindow(dialog_, SW_SHOW);
        SetDlgItemTextW(dialog_, kScaleEdit, u"100");
    }
    ~PreviewRun() {
        standin::ui::ResetUi();
        DestroyPageImages(page_.images);
        SetUiLibraryInstance(nullptr);
        if (language_ != nullptr) FreeLanguageDll(language_);
        if (resources_ != nullptr) FreeLibrary(resources_);
        if (printer_ != nullptr) ClosePrinter(printer_);
    }
    PreviewRun(const PreviewRun&) = delete;
    PreviewRun& operator=(const PreviewRun&) = delete;

    DriverDevMode& Working() { return context_->workingBlock; }
    HWND Control() const { return GetDlgItem(dialog_, kPreviewControl); }
    bool Ready() const { return dialog_ != nullptr && page_.images != nullptr; }

private:
    struct ModelFree {
        void operator()(ModelDescription* model) const { GlobalFree(model); }
    };
    HANDLE printer_ = nullptr;
    HMODULE resources_ = nullptr;
    HMODULE language_ = nullptr;
    std::unique_ptr<ModelDescription, ModelFree> model_;
    std::unique_ptr<UiContext> context_;
    PageRecord page_{};
    HWND sheet_ = nullptr;
    HWND dialog_ = nullptr;
};

void PaintPreview(benchmark::State& state, WORD pages) {
    PreviewRun run;
    if (!run.Ready()) {
        state.SkipWithError("the page could not be made");
        return;
    }
    run.Working().PagesPerSheet = pages;
    run.Working().NupDown = pages == 16 ? 4 : 1;
    run.Working().NupAcross = pages == 16 ? 4 : 1;
    run.Working().Public.dmDuplex = pages == 16 ? DMDUP_HORIZONTAL : DMDUP_SIMPLEX;
    run.Working().DuplexShift = 5;
    HWND control = run.Control();
    standin::ui::Paint(control);
    const unsigned objects = standin::ui::LiveGdiObjectCount();
    const unsigned dcs = standin::ui::LiveDcCount();
    for (auto _ : state) {
        standin::ui::Paint(control);
        standin::ui::ClearDrawLogs();
    }
    state.counters["paints/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["leftGdiObjects"] = static_cast<double>(standin::ui::LiveGdiObjectCount()) - objects;
    state.counters["leftDcs"] = static_cast<double>(standin::ui::LiveDcCount()) - dcs;
}

void BM_PreviewOnePage(benchmark::State& state) { PaintPreview(state, 1); }
void BM_PreviewSixteenPages(benchmark::State& state) { PaintPreview(state, 16); }

}  // namespace

BENCHMARK(BM_PreviewOnePage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviewSixteenPages)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
