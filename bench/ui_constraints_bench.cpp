// The constraint resolver once per simulated click, over the sample printer with at least 120 forms (its
// standard database):
//   Click/Block  the rules over the block alone (no page), as after SET_RESULT;
//   Click/Page   with a page of the rules' controls and a settings tree of 43 items.
// The user's change toggles the output-paper switch, so that each click restores and keeps.
// Counters per click: spooler calls (counted by wrapping the platform's spooler entries at
// link time), library loads and file opens (the stand-in's call counts).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "platform/Controls.h"
#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCompiler.h"
#include "settings/SpoolerQueries.h"
#include "settings/ValidateSettings.h"
#include "tools/sample/RunRoot.h"
#include "tools/sample/SamplePrinter.h"
#include "tools/sample/StandardForms.h"
#include "ui/resolver/Constraints.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace {

unsigned g_spoolerCalls = 0;

}  // namespace

// The spooler entries that the resolver and validation reach, counted on their way through.
extern "C" {
BOOL __real_OpenPrinterW(LPWSTR name, HANDLE* printer, PRINTER_DEFAULTSW* defaults);
BOOL __real_ClosePrinter(HANDLE printer);
BOOL __real_GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD cbBuffer, LPDWORD cbNeeded);
BOOL __real_GetPrinterDriverW(HANDLE printer, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD cbBuffer,
                              LPDWORD cbNeeded);
BOOL __real_EnumFormsW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD cbBuffer, LPDWORD cbNeeded, LPDWORD returned);
DWORD __real_GetPrinterDataW(HANDLE printer, LPWSTR name, LPDWORD type, LPBYTE data, DWORD cbData, LPDWORD cbNeeded);

BOOL __wrap_OpenPrinterW(LPWSTR name, HANDLE* printer, PRINTER_DEFAULTSW* defaults) {
    ++g_spoolerCalls;
    return __real_OpenPrinterW(name, printer, defaults);
}
BOOL __wrap_ClosePrinter(HANDLE printer) {
    ++g_spoolerCalls;
    return __real_ClosePrinter(printer);
}
BOOL __wrap_GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD cbBuffer, LPDWORD cbNeeded) {
    ++g_spoolerCalls;
    return __real_GetPrinterW(printer, level, buffer, cbBuffer, cbNeeded);
}
BOOL __wrap_GetPrinterDriverW(HANDLE printer, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD cbBuffer,
                              LPDWORD cbNeeded) {
    ++g_spoolerCalls;
    return __real_GetPrinterDriverW(printer, environment, level, buffer, cbBuffer, cbNeeded);
}
BOOL __wrap_EnumFormsW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD cbBuffer, LPDWORD cbNeeded, LPDWORD returned) {
    ++g_spoolerCalls;
    return __real_EnumFormsW(printer, level, buffer, cbBuffer, cbNeeded, returned);
}
DWORD __wrap_GetPrinterDataW(HANDLE printer, LPWSTR name, LPDWORD type, LPBYTE data, DWORD cbData, LPDWORD cbNeeded) {
    ++g_spoolerCalls;
    return __real_GetPrinterDataW(printer, name, type, data, cbData, cbNeeded);
}
}

namespace {

constexpr size_t kFormCount = 120;

struct GlobalFreeDeleter {
    void operator()(void* block) const { GlobalFree(block); }
};

// A bare dialog template: no controls, no menu, the default class, no title.
struct BareDialogTemplate {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    WORD title;
};
INT_PTR BareDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The controls the rules name and the 43 items of the full tree layout.
constexpr std::pair<int, int> kControlRuns[] = {{1002, 1002}, {1012, 1012}, {1108, 1148}, {1157, 1178},
                                                {1201, 1240}, {4142, 4166}, {4400, 4403}};
constexpr int kTreeItems[] = {430, 400, 401, 402, 403, 404, 4581, 4582, 4595, 4584, 4585, 638, 639, 641, 640,
                              409, 410, 417, 419, 421, 422, 423, 424, 428, 4575, 4576, 4577, 4578, 429, 431,
                              432, 433, 434, 4330, 788, 441, 455, 442, 443, 444, 445, 447, 448};

class ClickRun {
public:
    ClickRun() {
        kvtest::UseRunRoot(folder_);
        kvtest::SamplePrinterOptions options;
        // The machine's usual forms and the driver's own, made up to the count with user forms.
        options.forms = kvtest::StandardFormsUpTo(kFormCount);
        kvtest::InstallSamplePrinter(options);
        forms_ = options.forms.size();
        printer_ = std::make_unique<kvtest::ScopedPrinter>(kvtest::kSamplePrinterName, PRINTER_ALL_ACCESS);
        model_.reset(CompileModelDescription(kvtest::kSampleDataFile));
        language_ = LoadLanguageDll(printer_->handle());
        context_ = std::make_unique<UiContext>();
        context_->printer = printer_->handle();
        context_->languageLibrary = language_;
        context_->model = model_.get();
        context_->flags = kUiMayChange | kUiMayWriteData | kUiDocumentSheet;
        BuildDefaultDevMode(&context_->workingBlock, printer_->handle(), nullptr, model_.get());
        ValidateDevMode(&context_->workingBlock, nullptr, printer_->handle(), nullptr, model_.get());
        MakePage();
    }
    ~ClickRun() {
        standin::ui::ResetUi();
        if (language_ != nullptr) FreeLanguageDll(language_);
    }
    ClickRun(const ClickRun&) = delete;
    ClickRun& operator=(const ClickRun&) = delete;

    size_t Forms() const { return forms_; }
    bool Ready() const { return printer_->handle() != nullptr && model_ != nullptr && language_ != nullptr && tree_ != nullptr; }

    // The user switches the output paper on or off, then the resolver runs.
    void Click(bool withPage) {
        DriverDevMode& block = context_->workingBlock;
        block.FeatureFlags ^= 0x1;
        block.SavedFeatureFlags = (block.SavedFeatureFlags & ~0x1u) | (block.FeatureFlags & 0x1u);
        ApplyConstraints(&block, withPage ? &page_ : nullptr, nullptr, printer_->handle(), model_.get(),
                         withPage ? dialog_ : nullptr, language_, context_->flags);
    }

private:
    void MakePage() {
        static const BareDialogTemplate bare{{WS_POPUP, 0, 0, 0, 0, 300, 200}, 0, 0, 0};
        dialog_ = CreateDialogIndirectParamW(nullptr, &bare.header, nullptr, BareDialogProc, 0);
        if (dialog_ == nullptr) return;
        for (const auto& [first, last] : kControlRuns) {
            for (int id = first; id <= last; ++id) {
                CreateWindowExW(0, u"BUTTON", u"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 10, dialog_,
                                reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(id)), nullptr, nullptr);
            }
        }
        tree_ = CreateWindowExW(0, WC_TREEVIEWW, u"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 300, dialog_,
                                reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(1301)), nullptr, nullptr);
        if (tree_ == nullptr) return;
        for (int id : kTreeItems) {
            TVINSERTSTRUCTW insert{};
            insert.hParent = TVI_ROOT;
            insert.hInsertAfter = TVI_LAST;
            insert.item.mask = TVIF_PARAM;
            insert.item.lParam = id;
            SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
        }
        page_ = PageRecord{};
        page_.context = context_.get();
        page_.dialog = dialog_;
        page_.templateId = 1300;
        page_.tree = tree_;
    }

    kvtest::TempFolder folder_;
    std::unique_ptr<kvtest::ScopedPrinter> printer_;
    std::unique_ptr<ModelDescription, GlobalFreeDeleter> model_;
    HMODULE language_ = nullptr;
    std::unique_ptr<UiContext> context_;
    HWND dialog_ = nullptr;
    HWND tree_ = nullptr;
    PageRecord page_{};
    size_t forms_ = 0;
};

ClickRun& Run() {
    static ClickRun run;
    return run;
}

void Click(benchmark::State& state, bool withPage) {
    ClickRun& run = Run();
    if (!run.Ready()) {
        state.SkipWithError("the sample printer, its model, language library or page could not be set up");
        return;
    }
    standin::ClearFaults();
    g_spoolerCalls = 0;
    for (auto _ : state) run.Click(withPage);
    const double clicks = static_cast<double>(state.iterations());
    state.counters["forms"] = static_cast<double>(run.Forms());
    state.counters["spooler_calls"] = g_spoolerCalls / clicks;
    state.counters["loads"] = standin::CallCount(standin::Fault::LoadLibrary) / clicks;
    state.counters["file_opens"] = standin::CallCount(standin::Fault::FileCreate) / clicks;
}

void ClickBlock(benchmark::State& state) { Click(state, false); }
void ClickPage(benchmark::State& state) { Click(state, true); }

BENCHMARK(ClickBlock)->Name("Click/Block")->Unit(benchmark::kMillisecond);
BENCHMARK(ClickPage)->Name("Click/Page")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
