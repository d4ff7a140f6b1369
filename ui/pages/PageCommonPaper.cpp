// Paper and paper-source names, the two paper lists of document page 2, the feeder warning,
// the paper's orientation and the halftone defaults of a resolution.
#include <algorithm>
#include <iterator>
#include <string>

#include "platform/Controls.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "settings/Forms.h"
#include "settings/HalftonePatterns.h"
#include "settings/SpoolerQueries.h"
#include "ui/data/HalftoneAdjustments.h"
#include "ui/pages/PageCommon.h"
#include "ui/pages/PropertyPages.h"
#include "ui/status/StatusQuery.h"
#if __has_include("ui/data/FormFileHeader.h")
#include "ui/data/FormFileHeader.h"
#define KV_HAS_FORM_FILE_HEADER 1
#endif

namespace {

constexpr size_t kPaperNameChars = 64;
constexpr DWORD kSameAsPaper = 0x1;        // FeatureFlags bit 0: output paper follows the paper
constexpr DWORD kScaling = 0x2;            // FeatureFlags bit 1
constexpr WORD kDeviceInstalledBit = 0x8;
constexpr int kSquareCellPatternSizes = 12;  // "HT_PATSIZE_2x2" to "HT_PATSIZE_12x12_M"

// The forms that an overlay file sizes itself, as the overlay names them.
constexpr LPCWSTR kOverlayFormNames[] = {
    u"A4 (フォーム指定サイズ)",
    u"B5 (フォーム指定サイズ)",
    u"Letter (フォーム指定サイズ)",
};

// Standard sizes the output paper list leaves out: the paper list has them already.
constexpr LPCWSTR kStandardFormNames[] = {
    u"A3",    u"A4",    u"A5",      u"B4 (JIS)",   u"B5 (JIS)",   u"Letter",
    u"はがき", u"往復はがき", u"A3 横", u"A4 横", u"A5 横", u"B4 (JIS) 横",
    u"B5 (JIS) 横", u"Letter 横", u"はがき 横", u"往復はがき 横",
};
static_assert(std::size(kStandardFormNames) == 16);

struct Feeder {
    LPCWSTR name;
    DWORD overlayCode;
};
constexpr Feeder kFeeders[] = {
    {u"FEEDER1", 0x1}, {u"FEEDER2", 0x100}, {u"FEEDER3", 0x10000}, {u"FEEDER4", 0x10}, {u"FEEDER5", 0x1000},
};

// A name field that may lack its terminator, as a string.
template <size_t N>
std::u16string FieldText(const WCHAR (&field)[N]) {
    return std::u16string(field, std::find(field, field + N, u'\0'));
}

bool SameText(LPCWSTR a, LPCWSTR b) { return std::u16string_view(a) == std::u16string_view(b); }

void CopyName(LPWSTR out, size_t chars, LPCWSTR name) {
    const size_t length = std::min(std::char_traits<char16_t>::length(name), chars);
    std::char_traits<char16_t>::copy(out, name, length);
    out[length] = u'\0';
}

UiContext* ContextOf(PageRecord* page) { return page != nullptr ? page->context : nullptr; }

LPCWSTR DefaultFormName(const UiContext* context) {
    const ModelForm* form = context->model != nullptr ? ModelDefaultForm(context->model) : nullptr;
    return form != nullptr ? ModelString(context->model, form->NameOffset) : u"";
}

int AddComboString(HWND dialog, int combo, LPCWSTR text, LPARAM data) {
    const auto index = SendDlgItemMessageW(dialog, combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0) SendDlgItemMessageW(dialog, combo, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
    return static_cast<int>(index);
}

int FindExact(HWND dialog, int combo, LPCWSTR text) {
    return static_cast<int>(
        SendDlgItemMessageW(dialog, combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text)));
}

// A form's name in the context's table; the slot's end stands for a missing terminator.
std::u16string FormName(const UiContext* context, DWORD i) { return FieldText(context->formName[i]); }

}  // namespace

void FillPaperSizeCombo(PageRecord* page, HWND dialog) {
    const UiContext* context = ContextOf(page);
    if (context == nullptr) return;
    const DriverDevMode& block = context->workingBlock;
    SendDlgItemMessageW(dialog, kPaperList, CB_RESETCONTENT, 0, 0);
    const std::u16string current = FieldText(block.Public.dmFormName);
    int selected = -1;
    for (DWORD i = 0; i < context->formCount; ++i) {
        const std::u16string name = FormName(context, i);
        const int index = AddComboString(dialog, kPaperList, name.c_str(), context->formIndex[i]);
        if (selected < 0 && name == current) selected = index;
    }
    if (selected < 0) {
        const bool overlaySized = (block.OverlayFlags & kOverlayOn) != 0 &&
                                  std::any_of(std::begin(kOverlayFormNames), std::end(kOverlayFormNames),
                                              [&](LPCWSTR name) { return current == name; });
        if (overlaySized) {
            selected = static_cast<int>(SendDlgItemMessageW(dialog, kPaperList, CB_INSERTSTRING, 0,
                                                            reinterpret_cast<LPARAM>(current.c_str())));
            if (selected >= 0) {
                SendDlgItemMessageW(dialog, kPaperList, CB_SETITEMDATA, static_cast<WPARAM>(selected), block.Public.dmPaperSize);
            }
        } else {
            selected = FindExact(dialog, kPaperList, DefaultFormName(context));
        }
    }
    SendDlgItemMessageW(dialog, kPaperList, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void FillOutputPaperCombo(PageRecord* page, HWND dialog) {
    const UiContext* context = ContextOf(page);
    if (context == nullptr) return;
    const DriverDevMode& block = context->workingBlock;
    SendDlgItemMessageW(dialog, kOutputPaperList, CB_RESETCONTENT, 0, 0);
    const ModelDescription* model = context->model;
    // The model's bounds are in thousandths of a millimetre, the forms' in tenths.
    const LONG minWidth = model != nullptr ? static_cast<LONG>(model->MinFormWidth / 100) : 0;
    const LONG minLength = model != nullptr ? static_cast<LONG>(model->MinFormLength / 100) : 0;
    const LONG maxWidth = model != nullptr ? static_cast<LONG>(model->MaxFormWidth / 100) : 0;
    const LONG maxLength = model != nullptr ? static_cast<LONG>(model->MaxFormLength / 100) : 0;
    for (DWORD i = 0; i < context->formCount; ++i) {
        const FormSize& size = context->formSize[i];
        if (size.width < minWidth || size.width > maxWidth || size.length < minLength || size.length > maxLength) continue;
        const std::u16string name = FormName(context, i);
        if (std::any_of(std::begin(kStandardFormNames), std::end(kStandardFormNames),
                        [&](LPCWSTR standard) { return name == standard; })) {
            continue;
        }
        AddComboString(dialog, kOutputPaperList, name.c_str(), context->formIndex[i]);
    }
    WCHAR none[kPaperNameChars + 1] = {};
    LoadStringW(context->languageLibrary,
                block.NupDown == 1 && block.NupAcross == 1 ? kNoOutputPaperText : kSetByPagesPerSheetText, none,
                kPaperNameChars + 1);
    const auto first = SendDlgItemMessageW(dialog, kOutputPaperList, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(none));
    if (first >= 0) SendDlgItemMessageW(dialog, kOutputPaperList, CB_SETITEMDATA, static_cast<WPARAM>(first), 0);
    const std::u16string output = FieldText(block.OutputPaperName);
    int selected = 0;
    if (!output.empty()) {
        // Past the first entry, which may carry any text of the language library.
        const int found = static_cast<int>(SendDlgItemMessageW(dialog, kOutputPaperList, CB_FINDSTRINGEXACT, 0,
                                                               reinterpret_cast<LPARAM>(output.c_str())));
        if (found > 0) selected = found;
    }
    SendDlgItemMessageW(dialog, kOutputPaperList, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void WarnSourceNotInstalled(PageRecord* page, HWND dialog) {
    UiContext* context = ContextOf(page);
    if (context == nullptr) return;
    WCHAR slot[kPaperNameChars + 1] = {};
    const DWORD code = GetPaperSourceName(page, dialog, slot);
    for (size_t i = 0; i < std::size(kFeeders); ++i) {
        if (!SameText(slot, kFeeders[i].name)) continue;
        const bool installed = (context->workingBlock.DeviceSlots[i].State & kDeviceInstalledBit) != 0;
        if (!installed && code == kFeeders[i].overlayCode) ShowPageWarning(page, dialog, kSourceNotInstalledMessage);
        return;
    }
}

void InitDocumentPage2Controls(PageRecord* page, HWND dialog) {
    UiContext* context = ContextOf(page);
    if (context == nullptr) return;
    const DriverDevMode& block = context->workingBlock;
    FillPaperSizeCombo(page, dialog);
    FillOutputPaperCombo(page, dialog);
    CheckDlgButton(dialog, kSameAsPaperCheck, (block.FeatureFlags & kSameAsPaper) == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kScalingCheck, (block.FeatureFlags & kScaling) != 0 ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(dialog, kPreviewControl, LB_RESETCONTENT, 0, 0);
    const auto item = SendDlgItemMessageW(dialog, kPreviewControl, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u""));
    if (item >= 0) {
        SendDlgItemMessageW(dialog, kPreviewControl, LB_SETITEMDATA, static_cast<WPARAM>(item), block.Public.dmPaperSize);
    }
    ShowPaperPresence(dialog, &context->status);
}

void GetPaperNameByIndex(PageRecord* page, HWND, int paperIndex, LPWSTR out) {
    const UiContext* context = ContextOf(page);
    if (out == nullptr) return;
    out[0] = u'\0';
    if (context == nullptr) return;
    CopyName(out, kPaperNameChars, DefaultFormName(context));
    for (DWORD i = 0; i < context->formCount; ++i) {
        if (context->formIndex[i] != paperIndex) continue;
        CopyName(out, kPaperNameChars, FormName(context, i).c_str());
        return;
    }
}

void GetEffectivePaperName(PageRecord* page, LPWSTR out) {
    const UiContext* context = ContextOf(page);
    if (out == nullptr) return;
    out[0] = u'\0';
    if (context == nullptr) return;
    const DriverDevMode& block = context->workingBlock;
    std::u16string name = FieldText(block.OutputPaperName);
    if (name.empty()) name = FieldText(block.Public.dmFormName);
    CopyName(out, std::size(block.OutputPaperName), name.c_str());
}

DWORD GetPaperSourceName(PageRecord* page, HWND, LPWSTR out) {
    UiContext* context = ContextOf(page);
    if (context == nullptr) return 0;
    DriverDevMode& block = context->workingBlock;
    DWORD code = 0;
#ifdef KV_HAS_FORM_FILE_HEADER
    if ((block.OverlayFlags & kOverlayOn) != 0) {
        char path[kFormFilePathBytes] = {};
        MakeFormFilePath(&block, path);
        FormFileHeader header{};
        if (path[0] != '\0' && ReadFormFileHeader(&header, path) == 1) code = header.Dword(kFormHeaderSource);
    }
#endif
    const ModelDescription* model = context->model;
    const auto* slots =
        model != nullptr ? ModelList<ModelNamedValue>(model, model->InputSlotOffset, model->InputSlotCount) : nullptr;
    if (slots == nullptr || out == nullptr) return code;
    for (DWORD i = 0; i < model->InputSlotCount; ++i) {
        if (slots[i].Value != static_cast<DWORD>(static_cast<WORD>(block.Public.dmDefaultSource))) continue;
        CopyName(out, kPaperNameChars, ModelString(model, slots[i].NameOffset));
        break;
    }
    return code;
}

bool IsPortraitPaper(const DriverDevMode* settings) {
    if (settings == nullptr) return true;
    if (settings->OutputPaperSize != 0) return settings->OutputPaperWidth < settings->OutputPaperLength;
    return settings->Public.dmPaperWidth < settings->Public.dmPaperLength;
}

void SetHalftoneDefaultsForResolution(DEVHTINFO* record, const ModelDescription* model, DWORD resolution) {
    if (record == nullptr) return;
    *record = HalftoneDefaultsForResolution(nullptr, resolution);
    const auto* list =
        model != nullptr ? ModelList<ModelResolution>(model, model->ResolutionOffset, model->ResolutionCount) : nullptr;
    if (list == nullptr) return;
    // Every record of the resolution is taken in turn, so the last one decides. Only the square
    // cells up to 12 x 12 count here; any other name gives pattern 0 with the record's gamma.
    const bool later = IsOsLaterThan50() != 0;
    for (DWORD i = 0; i < model->ResolutionCount; ++i) {
        const ModelResolution& entry = list[i];
        if (entry.Value1 != resolution) continue;
        const int size = HalftonePatternSizeOfName(ModelString(model, later ? entry.Name2Offset : entry.Name1Offset));
        const DWORD gamma = later ? entry.Value3 : entry.Value2;
        record->HTPatternSize = size >= 0 && size < kSquareCellPatternSizes ? static_cast<DWORD>(size) : 0;
        const LONG value = static_cast<LONG>(std::min<DWORD>(gamma, 0x7FFFFFFFu));
        record->ColorInfo.RedGamma = value;
        record->ColorInfo.GreenGamma = value;
        record->ColorInfo.BlueGamma = value;
    }
}
