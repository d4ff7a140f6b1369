// The feeder setting dialog: one list of the feeder settings (1 to 6) of the current source,
// edited on the scratch block; OK hands the block to the working one, runs the resolver and
// warns about what the new setting does not go with.
#include <string_view>

#include "platform/Controls.h"
#include "platform/PropSheet.h"
#include "platform/User.h"
#include "platform/UserDialogs.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "ui/resolver/Constraints.h"
#include "ui/dialogs/FeederDialog.h"
#include "ui/dialogs/Finishing.h"
#include "ui/pages/PropertyPages.h"

namespace {

constexpr int kFeederCount = 6;
constexpr int kEntryChars = 32;  // at most 31 characters and the terminator

// Sources whose feeder setting is not the user's own choice: its copy is left alone.
constexpr SHORT kUnsavedSources[] = {256, 260};
// Sources with a single feeder setting.
constexpr std::u16string_view kSingleFeederSources[] = {u"FEEDER1", u"FEEDER5"};

constexpr DWORD kOutputMode10 = 1u << 10;

constexpr DWORD kFeederHelpIds[] = {0, 0};

PageRecord* PageOf(HWND dialog) { return reinterpret_cast<PageRecord*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

bool IsSingleFeederSource(const UiContext& context) {
    const ModelDescription* model = context.model;
    if (model == nullptr) return false;
    const ModelNamedValue* slots = ModelList<ModelNamedValue>(model, model->InputSlotOffset, model->InputSlotCount);
    for (DWORD i = 0; slots != nullptr && i < model->InputSlotCount; ++i) {
        if (static_cast<SHORT>(LOWORD(slots[i].Value)) != context.scratchBlock.Public.dmDefaultSource) continue;
        const std::u16string_view name = ModelString(model, slots[i].NameOffset);
        for (std::u16string_view single : kSingleFeederSources) {
            if (name == single) return true;
        }
        return false;
    }
    return false;
}

void SetFeeder(DriverDevMode& block, BYTE value) {
    block.FeederSetting = value;
    for (SHORT source : kUnsavedSources) {
        if (block.Public.dmDefaultSource == source) return;
    }
    block.SavedFeederSetting = value;
}

void SelectData(HWND dialog, int data) {
    const LRESULT count = SendDlgItemMessageW(dialog, kFeederSettingCombo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendDlgItemMessageW(dialog, kFeederSettingCombo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == data) {
            SendDlgItemMessageW(dialog, kFeederSettingCombo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
    }
    // A setting outside 1 to 6 matches no entry: nothing is chosen and nothing is written.
    SendDlgItemMessageW(dialog, kFeederSettingCombo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

BOOL InitDialog(HWND dialog, PageRecord* page) {
    if (page == nullptr || page->context == nullptr) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
    UiContext& context = *page->context;
    context.scratchBlock = context.workingBlock;
    const bool single = IsSingleFeederSource(context);
    for (int i = 0; i < (single ? 1 : kFeederCount); ++i) {
        WCHAR text[kEntryChars] = {};
        LoadStringW(context.languageLibrary, kFeederSettingTextBase + static_cast<UINT>(i), text, kEntryChars);
        const LRESULT item = SendDlgItemMessageW(dialog, kFeederSettingCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (item >= 0) SendDlgItemMessageW(dialog, kFeederSettingCombo, CB_SETITEMDATA, static_cast<WPARAM>(item), i + 1);
    }
    if (single) context.scratchBlock.FeederSetting = 1;
    SelectData(dialog, context.scratchBlock.FeederSetting);
    return TRUE;
}

void TakeSelection(HWND dialog, DriverDevMode& scratch) {
    const LRESULT selected = SendDlgItemMessageW(dialog, kFeederSettingCombo, CB_GETCURSEL, 0, 0);
    if (selected < 0) return;
    const LRESULT data = SendDlgItemMessageW(dialog, kFeederSettingCombo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
    if (data >= 1 && data <= kFeederCount) SetFeeder(scratch, static_cast<BYTE>(data));
}

void Warn(const PageRecord* page, HWND dialog, UINT textId) { ShowFinishingMessage(page, dialog, textId, MB_ICONWARNING, true); }

void ApplyAndWarn(HWND dialog, PageRecord* page) {
    UiContext& context = *page->context;
    DriverDevMode& working = context.workingBlock;
    working = context.scratchBlock;
    const DWORD keptOutput = working.CoverFlags;
    const BYTE keptFirst = working.FinishPosition1;
    const BYTE keptSecond = working.FinishPosition2;
    const SHORT keptDuplex = working.Public.dmDuplex;
    ApplyConstraints(&working, page, &context.status, context.printer, context.model, page->dialog,
                     context.languageLibrary, context.flags);

    const WORD media = working.SourceMediaValue;
    const BYTE feeder = working.FeederSetting;
    if (keptDuplex != DMDUP_SIMPLEX) {
        const bool accepted = media == 0 || media == 5 || (media == 1 && (feeder == 1 || feeder == 2));
        if (!accepted) Warn(page, dialog, kMediaNotDuplexMessage);
    }
    if (media != 0 && !(media == 1 && feeder == 1)) {
        if (keptOutput & kOutputMode10) Warn(page, dialog, kMediaNotSortedMessage);
        if (keptOutput & kOutputFinisherMode) Warn(page, dialog, kMediaNotStapledMessage);
        if (keptOutput & kOutputFirstOption) Warn(page, dialog, kMediaNoOutputPositionMessage);
    }
    if (working.CoverFlags & kOutputFinisherMode) {
        ShowFinishingWarnings(page, dialog, working, false);
        if (keptFirst != 0 && working.FinishPosition1 == 0) Warn(page, dialog, kFirstPositionClearedMessage);
        if (keptSecond != 0 && working.FinishPosition2 == 0) Warn(page, dialog, kSecondPositionClearedMessage);
    }
}

}  // namespace

INT_PTR FeederSettingDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return InitDialog(dialog, reinterpret_cast<PageRecord*>(lParam));
    PageRecord* page = PageOf(dialog);
    if (page == nullptr || page->context == nullptr) return FALSE;
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kFeederSettingCombo:
            TakeSelection(dialog, page->context->scratchBlock);
            return TRUE;
        case kDefaultsButton:
            SetFeeder(page->context->scratchBlock, 1);
            SendDlgItemMessageW(dialog, kFeederSettingCombo, CB_SETCURSEL, 0, 0);
            return TRUE;
        case IDOK:
            ApplyAndWarn(dialog, page);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_HELP: {
        const auto* help = reinterpret_cast<const HELPINFO*>(lParam);
        if (help == nullptr) return TRUE;
        InvokeHtmlHelp(static_cast<HWND>(help->hItemHandle), page->context->helpPath, HH_TP_HELP_WM_HELP,
                       reinterpret_cast<ULONG_PTR>(kFeederHelpIds));
        return TRUE;
    }
    default:
        return FALSE;
    }
}

INT_PTR ShowFeederSettingDialog(PageRecord* page, HWND owner) {
    if (page == nullptr || page->context == nullptr || page->context->languageLibrary == nullptr) return 0;
    const INT_PTR result = DialogBoxParamW(page->context->languageLibrary, MAKEINTRESOURCEW(kFeederDialogTemplate), owner,
                                           &FeederSettingDlgProc, reinterpret_cast<LPARAM>(page));
    return result > 0 ? result : 0;
}
