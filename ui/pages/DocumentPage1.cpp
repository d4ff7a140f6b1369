// Document page one's procedure: its state, the page notifications and the steps every change
// of the page ends with. The frame (PageFrameDlgProc) keeps the record and applies.
#include "ui/pages/DocumentPage1.h"

#include <cstring>
#include <new>
#include <string>

#include "platform/Controls.h"
#include "platform/PropSheet.h"
#include "platform/User.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "ui/resolver/Constraints.h"
#include "ui/pages/DocumentPage1Internal.h"
#include "ui/pages/LayoutPreview.h"
#include "ui/pages/PageIcons.h"
#include "ui/dialogs/PresetDialog.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/pages/PropertyPages.h"
#include "ui/status/StatusQuery.h"

namespace {

using namespace page1;

constexpr int kBadgeIconId = kMediaTypeIconId;  // shown in kPageIcon
constexpr int kShiftLow = 0;
constexpr int kShiftHigh = 20;
constexpr int kHelpTopic = 1;

// Control help ids of the page: {control, help id} pairs ending with 0.
constexpr DWORD kHelpIds[] = {
    kCategoryList,           11010,  kPagesPerSheetList,      11020,  kPageOrderList,          11030,
    kShiftMarginsCheck,      11040,  kBorderNoneRadio,        11050,  kBorderThinRadio,        11050,
    kBorderThickRadio,       11050,  kBorderDottedRadio,      11050,  kSeparateCopiesCheck,    11060,
    kSplitPagesEdit,         11070,  kSplitJobCheck,          11080,  kSplitJobsEdit,          11090,
    kDestinationCombo,       11100,  kJobFileFolderButton,    11110,  kKeepJobFilesCheck,      11120,
    kStampCheck,             11130,  kStampPositionCombo,     11140,  kStampTextCombo,         11150,
    kJobTextEdit,            11160,  kPrinterStatusCheck,     11170,  kPagePresetList,         11180,
    kPagePresetSaveButton,   11190,  kPageDefaultsButton,     11200,  kPageSettingsListButton, 11210,
    0,                       0,
};

constexpr DWORD kFeatureBinding = 1u << 8;     // FeatureFlags: reversed binding
constexpr DWORD kFeatureLinkedA = 1u << 3;
constexpr DWORD kFeatureLinkedB = 1u << 4;
constexpr DWORD kFeatureHold = 1u << 5;
constexpr DWORD kFeatureStatus = 1u << 2;

void Check(HWND dialog, int control, bool checked) { CheckDlgButton(dialog, control, checked ? BST_CHECKED : BST_UNCHECKED); }

// The controls of the groups no category shows, from the working block, so that what they
// report always is what the block holds.
void ShowOtherValues(PageRecord* page, HWND dialog) {
    const DriverDevMode& block = page->context->workingBlock;
    for (int value = 1; value <= 3; ++value) Check(dialog, kDuplexOffRadio + value - 1, block.Public.dmDuplex == value);
    Check(dialog, kBindingStandardRadio, (block.FeatureFlags & kFeatureBinding) == 0);
    Check(dialog, kBindingReversedRadio, (block.FeatureFlags & kFeatureBinding) != 0);
    Check(dialog, kPrinterStatusCheck, (block.FeatureFlags & kFeatureStatus) != 0);
    Check(dialog, kFastA4Check, (block.FeatureFlags & kFeatureLinkedA) != 0);
    Check(dialog, kFastWithMemoryCheck, (block.FeatureFlags & kFeatureLinkedB) != 0);
    Check(dialog, kPrintAndHoldCheck, (block.FeatureFlags & kFeatureHold) != 0);
    Check(dialog, kPrintModeStandardRadio, (block.CoverFlags & (1u << 9)) != 0);
    Check(dialog, kPrintModeSortRadio, (block.CoverFlags & (1u << 10)) != 0);
    Check(dialog, kPrintModeStapleRadio, (block.CoverFlags & (1u << 8)) != 0);
    Check(dialog, kOutputPositionNoneRadio, (block.CoverFlags & 0x7u) == 0);
    for (int bit = 0; bit < 3; ++bit) Check(dialog, kOutputPositionLeftRadio + bit, (block.CoverFlags & (1u << bit)) != 0);
    BOOL number = FALSE;
    const UINT shown = GetDlgItemInt(dialog, kBindingShiftEdit, &number, FALSE);
    if (!number || shown != block.DuplexShift) {
        const std::string digits = std::to_string(block.DuplexShift);
        SetDlgItemTextW(dialog, kBindingShiftEdit, std::u16string(digits.begin(), digits.end()).c_str());
    }
}

void OnInitDialog(PageRecord* page, HWND dialog) {
    auto* state = new (std::nothrow) State{};
    if (state == nullptr) return;
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    InitCategoryList(page, dialog, *state);
    SetControlIcon(dialog, kPagesPerSheetIcon, PageIcon(page, kFourUpLandscapeIconId));
    SetControlIcon(dialog, kPageOrderIcon, PageIcon(page, kFourAcrossThenDownPortraitIconId));
    SetControlIcon(dialog, kShiftMarginsIcon, PageIcon(page, kMarginShiftIconId));
    SetControlIcon(dialog, kDocumentPaperIcon, PageIcon(page, kDocumentPaperIconId));
    SetControlIcon(dialog, kOutputPaperIcon, PageIcon(page, kOutputPaperIconId));
    UiContext* context = page->context;
    QueryPrinterStatus(&context->status, context->printer, nullptr);
    UpdateStatusFlag(&context->workingBlock, &context->status, context->printer);
    PublishDsProperties(&context->workingBlock, &context->status, context->printer, context->model);
}

void OnSetActive(PageRecord* page, HWND dialog, State& state) {
    DriverDevMode& block = page->context->workingBlock;
    SelectCategoryItem(dialog, ClampCategoryIndex(block.CategoryIndex, state.categoryCount));
    page->hoverItem = kNoHoverItem;
    FillPresetList(page, dialog, state, true);
    OnSettingChanged(page, dialog, 0, FALSE);
    SendDlgItemMessageW(dialog, kJobTextEdit, EM_LIMITTEXT, kJobTextChars, 0);
    ShowPanel(page, dialog);
    MarkPresetModified(page, dialog);
    SetControlIcon(dialog, kPageIcon, PageIcon(page, kBadgeIconId));
}

// The page stays while an edit of it holds a value it refuses; else the presets go back.
bool OnKillActive(PageRecord* page, HWND dialog, State& state) {
    if (!CheckEditRange(page, dialog, kBindingShiftEdit, kShiftLow, kShiftHigh, kBindingShiftRangeMessage))
        return false;
    if (CurrentCategoryLabel(state, page) == kCountsCategoryText && !CheckCountsEdits(page, dialog)) return false;
    SavePresetList(page, dialog, state);
    return true;
}

INT_PTR OnNotify(PageRecord* page, HWND dialog, State& state, WPARAM wParam, LPARAM lParam) {
    const auto* note = reinterpret_cast<const NMHDR*>(lParam);
    if (note == nullptr) return FALSE;
    if (note->idFrom == static_cast<UINT_PTR>(kPagePresetList)) {
        OnPresetNotify(page, dialog, state, note);
        return FALSE;
    }
    switch (note->code) {
    case PSN_SETACTIVE: {
        const INT_PTR handled = PageFrameDlgProc(dialog, WM_NOTIFY, wParam, lParam);
        OnSetActive(page, dialog, state);
        return handled;
    }
    case PSN_KILLACTIVE:
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, OnKillActive(page, dialog, state) ? FALSE : TRUE);
        return TRUE;
    case PSN_RESET:
        SavePresetList(page, dialog, state);
        return TRUE;
    case PSN_HELP:
        ShowPageHelpTopic(page, kHelpTopic);
        return TRUE;
    default: return PageFrameDlgProc(dialog, WM_NOTIFY, wParam, lParam);
    }
}

}  // namespace

namespace page1 {

State* StateOf(HWND dialog) { return reinterpret_cast<State*>(GetWindowLongPtrW(dialog, GWLP_USERDATA)); }

UINT CurrentCategoryLabel(const State& state, const PageRecord* page) {
    if (state.categoryCount <= 0 || page == nullptr || page->context == nullptr) return 0;
    return state.categories[ClampCategoryIndex(page->context->workingBlock.CategoryIndex, state.categoryCount)].labelId;
}

void ShowPanel(PageRecord* page, HWND dialog) {
    State* state = StateOf(dialog);
    if (state != nullptr) ++state->filling;
    // The panel enables what it shows; the resolver then greys what may not change, and when it
    // changed a value the panel shows the value it left.
    DriverDevMode& block = page->context->workingBlock;
    for (int pass = 0; pass < 2; ++pass) {
        FillDocumentPage1Group(page, dialog, block.CategoryIndex);
        ShowOtherValues(page, dialog);
        const DriverDevMode shown = block;
        OnSettingChanged(page, dialog, 0, FALSE);
        if (std::memcmp(&shown, &block, sizeof block) == 0) break;
    }
    if (state != nullptr) --state->filling;
}

void Ending(PageRecord* page, HWND dialog, bool resolve) {
    if (resolve) OnSettingChanged(page, dialog, 0, FALSE);
    ShowPanel(page, dialog);
    MarkPresetModified(page, dialog);
    NotifyPageChanged(page, dialog);
}

bool CheckEditRange(PageRecord* page, HWND dialog, int edit, int low, int high, UINT warning) {
    BOOL number = FALSE;
    const UINT value = GetDlgItemInt(dialog, edit, &number, FALSE);
    if (number && static_cast<int>(value) >= low && static_cast<int>(value) <= high) return true;
    ShowPageWarning(page, dialog, warning);
    HWND control = GetDlgItem(dialog, edit);
    SetFocus(control);
    SendMessageW(control, EM_SETSEL, 0, -1);
    return false;
}

bool CheckCountsEdits(PageRecord* page, HWND dialog) {
    return CheckEditRange(page, dialog, kSplitPagesEdit, 2, 6, kSplitPagesRangeMessage) &&
           CheckEditRange(page, dialog, kSplitJobsEdit, 1, 6, kSplitJobsRangeMessage);
}

}  // namespace page1

INT_PTR DocumentPage1DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MEASUREITEM) {
        MeasureItem(dialog, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    }
    if (message == WM_INITDIALOG) {
        const INT_PTR answer = PageFrameDlgProc(dialog, message, wParam, lParam);
        PageRecord* page = PageRecordOf(dialog);
        if (page != nullptr && page->context != nullptr) OnInitDialog(page, dialog);
        return answer;
    }
    PageRecord* page = PageRecordOf(dialog);
    State* state = StateOf(dialog);
    if (page == nullptr || page->context == nullptr || state == nullptr) {
        return PageFrameDlgProc(dialog, message, wParam, lParam);
    }
    switch (message) {
    case WM_DESTROY:
        SetWindowLongPtrW(dialog, GWLP_USERDATA, 0);
        delete state;
        return PageFrameDlgProc(dialog, message, wParam, lParam);
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item == nullptr) return FALSE;
        if (item->CtlID == static_cast<UINT>(kPreviewControl)) {
            if (item->itemAction & ODA_DRAWENTIRE) PaintLayoutPreview(item, page, dialog);
            return TRUE;
        }
        if (item->CtlID == static_cast<UINT>(kCategoryList)) {
            DrawCategoryItem(page, *state, item);
            return TRUE;
        }
        return FALSE;
    }
    case WM_NOTIFY: return OnNotify(page, dialog, *state, wParam, lParam);
    case WM_COMMAND:
        if (state->filling > 0) return TRUE;
        return OnCommand(page, dialog, *state, wParam);
    case WM_CONTEXTMENU:
        return OnContextMenu(page, dialog, *state, reinterpret_cast<HWND>(wParam), lParam);
    case WM_MOUSEMOVE:
        EndHover(page, dialog);
        return FALSE;
    case WM_HELP: return ShowControlHelp(page, lParam, kHelpIds);
    case kNameFieldWarningMessage:
        ShowPageWarning(page, dialog, kUserNameCharactersMessage);
        return TRUE;
    default: return PageFrameDlgProc(dialog, message, wParam, lParam);
    }
}
