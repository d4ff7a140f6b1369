// The halftone library's two adjustments and the dialog (kHalftoneDialogTemplate) that offers
// the device's: each call loads "htui" for its own span, and a value is stored only when the
// user confirmed a change.
#include "ui/data/HalftoneAdjustments.h"

#include <iterator>

#include "platform/User.h"
#include "settings/PrinterData.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"
#include "ui/entry/UiOwners.h"

namespace {

constexpr char kHalftoneLibrary[] = "htui";
constexpr DWORD kDpi1200 = 1200;
constexpr DWORD kDpiOthers = 600;

// The dialog's help table: {control id, help id} pairs ending with 0. The help ids are the help
// file's topic numbers, which for these buttons are the numbers of their ids.
constexpr DWORD kHalftoneHelpIds[] = {kHalftoneAdjust1200Button, 2802, kHalftoneAdjustOthersButton, 2803, 0, 0};

template <class Fn>
Fn Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// htui's answer; a failure that escapes it counts as no change (the library is freed once,
// by its owner).
template <class Call>
LONG Guarded(Call call) {
    try {
        return call();
    } catch (...) {
        return -1;
    }
}

// The value kHalftoneAdjustOthersButton adjusts and the resolution whose defaults it starts from.
struct OtherResolution {
    LPCWSTR valueName;
    DWORD dpi;
};
OtherResolution OtherResolutionOf(SHORT printQuality) {
    switch (printQuality) {
    case 200:
    case 240:
    case 300:
    case 400: return {HalftoneInfoValueName(printQuality), static_cast<DWORD>(printQuality)};
    default: return {HalftoneInfoValueName(static_cast<int>(kDpiOthers)), kDpiOthers};
    }
}

// After an adjustment at one resolution: the same record for every resolution of the model
// but 1200 dpi (a resolution without a value of its own gets the value just adjusted).
void SpreadToOtherResolutions(HalftoneDialogData* data, LPCWSTR adjustedName) {
    const ModelDescription* model = data->context->model;
    if (model == nullptr) return;
    const auto* list = ModelList<ModelResolution>(model, model->ResolutionOffset, model->ResolutionCount);
    if (list == nullptr) return;
    for (DWORD i = 0; i < model->ResolutionCount; ++i) {
        const DWORD dpi = list[i].Value1;
        if (dpi == kDpi1200) continue;
        const bool ownValue = dpi == 200 || dpi == 240 || dpi == 300 || dpi == 400 || dpi == 600;
        WriteHalftoneInfo(data, ownValue ? HalftoneInfoValueName(static_cast<int>(dpi)) : adjustedName);
    }
}

void OnAdjust1200(HWND dialog, HalftoneDialogData* data) {
    data->defaults = HalftoneDefaultsForResolution(data->context->model, kDpi1200);
    AdjustDeviceHalftone(data, dialog, HalftoneInfoValueName(static_cast<int>(kDpi1200)));
}

}  // namespace

int AdjustCurrentResolutionHalftone(HalftoneDialogData* data, HWND dialog) {
    const OtherResolution other = OtherResolutionOf(data->context->workingBlock.Public.dmPrintQuality);
    data->defaults = HalftoneDefaultsForResolution(data->context->model, other.dpi);
    const bool writtenBefore = data->written;
    data->written = false;
    const int ran = AdjustDeviceHalftone(data, dialog, other.valueName);
    if (data->written) SpreadToOtherResolutions(data, other.valueName);
    data->written = data->written || writtenBefore;
    return ran;
}

int AdjustDeviceHalftone(HalftoneDialogData* data, HWND /*dialog*/, LPCWSTR valueName) {
    ReadHalftoneInfo(data, valueName);
    ModuleHandle htui(LoadLibraryA(kHalftoneLibrary));
    if (!htui.Valid()) return 0;
    auto adjust = Lookup<PFNHTUIDEVICECOLORADJUSTMENTW>(htui.Get(), "HTUI_DeviceColorAdjustmentW");
    if (adjust == nullptr) return 0;
    const LONG answer = Guarded([&] { return adjust(data->context->printerName, &data->adjust); });
    htui.Reset();
    // Cancel (0) and failures (< 0) keep what is stored.
    if (answer > 0 && WriteHalftoneInfo(data, valueName)) data->written = true;
    return 1;
}

int AdjustDocumentColor(PageRecord* page) {
    if (page == nullptr || page->context == nullptr) return 0;
    ModuleHandle htui(LoadLibraryA(kHalftoneLibrary));
    if (!htui.Valid()) return 0;
    auto adjust = Lookup<PFNHTUICOLORADJUSTMENTW>(htui.Get(), "HTUI_ColorAdjustmentW");
    if (adjust == nullptr) return 0;
    UiContext* context = page->context;
    // The record may come from an application's DEVMODE: htui gets it with its own size.
    COLORADJUSTMENT& color = context->workingBlock.ColorAdjustment;
    color.caSize = sizeof(COLORADJUSTMENT);
    Guarded([&] { return adjust(context->printerName, nullptr, nullptr, &color, TRUE, TRUE); });
    return 1;
}

INT_PTR HalftoneDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    auto* data = reinterpret_cast<HalftoneDialogData*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (data == nullptr || data->context == nullptr) return FALSE;
    switch (message) {
    case WM_HELP: {
        const auto* help = reinterpret_cast<const HELPINFO*>(lParam);
        if (help == nullptr) return FALSE;
        InvokeHtmlHelp(static_cast<HWND>(help->hItemHandle), data->context->helpPath, HH_TP_HELP_WM_HELP,
                       reinterpret_cast<ULONG_PTR>(kHalftoneHelpIds));
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
        case kCloseButton: EndDialog(dialog, data->written ? 1 : 0); return TRUE;
        case kHalftoneAdjust1200Button: OnAdjust1200(dialog, data); return TRUE;
        case kHalftoneAdjustOthersButton: AdjustCurrentResolutionHalftone(data, dialog); return TRUE;
        default: return FALSE;
        }
    default: return FALSE;
    }
}

INT_PTR ShowHalftoneDialog(PageRecord* page, HWND owner) {
    if (page == nullptr || page->context == nullptr) return -1;
    HalftoneDialogData data{};
    data.context = page->context;
    return DialogBoxParamW(page->context->languageLibrary, MAKEINTRESOURCEW(kHalftoneDialogTemplate), owner, HalftoneDlgProc,
                           reinterpret_cast<LPARAM>(&data));
}
