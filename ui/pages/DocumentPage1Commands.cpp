// Document page one's controls: what each check box, radio, list, edit and button does to the
// working settings and their copies among the user's choices, the duplex and finishing
// prompts, the output destination, and the dialogs and menu the page opens.
#include <algorithm>
#include <iterator>

#include "platform/Controls.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "ui/pages/DocumentPage1.h"
#include "ui/pages/DocumentPage1Internal.h"
#include "ui/dialogs/Finishing.h"
#include "ui/dialogs/JobFileDialog.h"
#include "ui/pages/PageListFillers.h"
#include "ui/dialogs/PresetDialog.h"
#include "ui/pages/PropertyPages.h"
#include "ui/tree/SettingsTree.h"
#include "ui/dialogs/TreeDialogs.h"

namespace page1 {
namespace {

constexpr int kHintOff = 0;

// FeatureFlags bits of the page.
constexpr DWORD kStatusBit = 1u << 2;
constexpr DWORD kLinkedA = 1u << 3;
constexpr DWORD kLinkedB = 1u << 4;
constexpr DWORD kHoldBit = 1u << 5;
constexpr DWORD kBindingBit = 1u << 8;
constexpr DWORD kShiftMarginsBit = 1u << 9;
// CoverFlags (output) bits.
constexpr DWORD kOutputPositions = 0x7u;
constexpr DWORD kSortBit = 1u << 10;
constexpr DWORD kStandardBit = 1u << 9;
// RelaydockFlags bits.
constexpr WORD kRelaydockOn = 0x1;
constexpr WORD kKeepJobFiles = 0x2;
// PageOptionBits.
constexpr BYTE kSeparateCopies = 0x1;
constexpr BYTE kSplitJob = 0x4;

constexpr LONG kAreaOnePage[] = {0, 127, 0, 127};
constexpr LONG kAreaNup[] = {50, 177, 50, 177};

struct PrintModeRadio {
    int control;
    DWORD bit;
    WORD mode;
};
constexpr PrintModeRadio kPrintModes[] = {{kPrintModeStandardRadio, kStandardBit, 3},
                                          {kPrintModeSortRadio, kSortBit, 4},
                                          {kPrintModeStapleRadio, kOutputFinisherMode, 5}};
constexpr DWORD kPrintModeBits = kStandardBit | kSortBit | kOutputFinisherMode;

// The output destinations the page knows, by the item data of kDestinationCombo.
struct Destination {
    int item;
    bool hold;       // FeatureFlags bit 5
    bool relaydock;  // RelaydockFlags bit 0
    WORD value;      // OutputDestination
};
constexpr Destination kDestinations[] = {
    {kRelaydockDestinationText, false, true, 0},      {kPrinterDestinationText, false, false, 0},
    {kPrinterAndHoldDestinationText, true, false, 0}, {kFolderDestinationText, false, false, 4},
    {kJobFileDestinationText, false, false, 1},       {kJobFileAndPrinterDestinationText, false, false, 2},
};

bool Checked(HWND dialog, int control) { return IsDlgButtonChecked(dialog, control) == BST_CHECKED; }

template <class T>
void SetBits(T& field, T bits, bool on) {
    field = static_cast<T>(on ? (field | bits) : (field & ~bits));
}

// A FeatureFlags bit in the block and in its copy.
void SetFeature(DriverDevMode& block, DWORD bits, bool on) {
    SetBits(block.FeatureFlags, bits, on);
    SetBits(block.SavedFeatureFlags, bits, on);
}

void Hint(PageRecord* page, HWND dialog, UINT text, int kind) { SetPageHint(page, dialog, text, kind); }

LPARAM ComboData(HWND dialog, int combo) {
    const auto index = SendDlgItemMessageW(dialog, combo, CB_GETCURSEL, 0, 0);
    if (index < 0) return CB_ERR;
    return SendDlgItemMessageW(dialog, combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}

int CurrentDestination(const DriverDevMode& block) {
    const bool hold = (block.FeatureFlags & kHoldBit) != 0;
    const bool relaydock = (block.RelaydockFlags & kRelaydockOn) != 0;
    for (const Destination& destination : kDestinations) {
        if (destination.hold == hold && destination.relaydock == relaydock && destination.value == block.OutputDestination) {
            return destination.item;
        }
    }
    return 0;
}

void ChooseDestination(PageRecord* page, HWND dialog) {
    DriverDevMode& block = page->context->workingBlock;
    const LPARAM item = ComboData(dialog, kDestinationCombo);
    const auto* chosen = std::find_if(std::begin(kDestinations), std::end(kDestinations),
                                      [&](const Destination& d) { return d.item == item; });
    if (chosen == std::end(kDestinations) || chosen->item == CurrentDestination(block)) return;
    const WORD before = block.OutputDestination;
    const bool statusBefore = (block.FeatureFlags & kStatusBit) != 0;
    SetFeature(block, kHoldBit, chosen->hold);
    SetBits(block.RelaydockFlags, kRelaydockOn, chosen->relaydock);
    block.OutputDestination = chosen->value;
    OnSettingChanged(page, dialog, 0, FALSE);
    const UiContext* context = page->context;
    if (block.Public.dmCopies > 1 && block.OutputDestination != 0 && before == 0) {
        ShowMessage(dialog, kOneCopyMessage, context->printerName, 0, MB_ICONWARNING, context->languageLibrary);
    }
    if (statusBefore && (block.FeatureFlags & kStatusBit) == 0 && block.OutputDestination != 0) {
        ShowMessage(dialog, kPrintAndHoldOffMessage, context->printerName, 0, MB_ICONWARNING, context->languageLibrary);
    }
    Ending(page, dialog, false);
}

int DuplexRadio(SHORT duplex) {
    return duplex == DMDUP_SIMPLEX    ? kDuplexOffRadio
           : duplex == DMDUP_VERTICAL ? kDuplexLongEdgeRadio
                                      : kDuplexShortEdgeRadio;
}

// The prompt of a finishing position that conflicts with a new duplex, and the message shown
// when the user takes the alternative.
struct FinishConflictTexts {
    int prompt;
    UINT dropped;
};

// A chosen finishing position that conflicts with the change: the user gives the change up
// (false), drops the position (cleared with its chosen bit, and a message), or keeps both.
bool KeepFinishPosition(PageRecord* page, HWND dialog, BYTE& position, DWORD chosenBit, bool conflict,
                        FinishConflictTexts texts) {
    DriverDevMode& block = page->context->workingBlock;
    if ((block.CoverFlags & chosenBit) == 0 || !conflict) return true;
    const INT_PTR answer = ShowFinishConflictPrompt(page, dialog, texts.prompt);
    if (answer == kConflictGiveUp) return false;
    if (answer == kConflictAlternative) {
        position = 0;
        block.CoverFlags &= ~chosenBit;
        ShowFinishingMessage(page, dialog, texts.dropped, MB_ICONWARNING, false);
    }
    return true;
}

void ChooseDuplex(PageRecord* page, HWND dialog, SHORT duplex) {
    DriverDevMode& block = page->context->workingBlock;
    if (block.Public.dmDuplex == duplex) {
        Hint(page, dialog, kDuplexHint, kHintNote);
        return;
    }
    const SHORT orientation = block.Public.dmOrientation;
    const bool proceed =
        KeepFinishPosition(page, dialog, block.FinishPosition1, kOutputFirstChosen,
                           FinishPosition1DuplexConflict(orientation, duplex, block.FinishPosition1, block.PagesPerSheet),
                           {kDuplexAgainstFirstPrompt, kDuplexAgainstFirstMessage}) &&
        KeepFinishPosition(page, dialog, block.FinishPosition2, kOutputSecondChosen,
                           FinishPosition2DuplexConflict(orientation, duplex, block.FinishPosition2, block.PagesPerSheet),
                           {kDuplexAgainstSecondPrompt, kDuplexAgainstSecondMessage});
    if (proceed) {
        block.Public.dmDuplex = duplex;
        block.SavedDuplex = duplex;
    } else {
        SetFocus(GetDlgItem(dialog, DuplexRadio(block.Public.dmDuplex)));
    }
    Ending(page, dialog);
    Hint(page, dialog, kDuplexHint, kHintNote);
}

void ChoosePrintMode(PageRecord* page, HWND dialog, const PrintModeRadio& radio) {
    DriverDevMode& block = page->context->workingBlock;
    if (!Checked(dialog, radio.control) || (block.CoverFlags & radio.bit) != 0) return;
    block.CoverFlags = (block.CoverFlags & ~kPrintModeBits) | radio.bit;
    block.SavedCoverFlags = (block.SavedCoverFlags & ~kPrintModeBits) | radio.bit;
    block.PrintMode = radio.mode;
    const BYTE first = block.FinishPosition1;
    const BYTE second = block.FinishPosition2;
    OnSettingChanged(page, dialog, 0, FALSE);
    if (radio.bit == kSortBit && block.Public.dmDuplex != DMDUP_SIMPLEX)
        ShowPageWarning(page, dialog, kSortDuplexOffMessage);
    if (radio.bit == kOutputFinisherMode) {
        ShowFinishingWarnings(page, dialog, block, false);
        if (first != 0 && block.FinishPosition1 == 0)
            ShowFinishingMessage(page, dialog, kFirstPositionClearedMessage, MB_ICONWARNING, false);
        if (second != 0 && block.FinishPosition2 == 0)
            ShowFinishingMessage(page, dialog, kSecondPositionClearedMessage, MB_ICONWARNING, false);
    }
    Ending(page, dialog, false);
}

void ChooseOutputPosition(PageRecord* page, HWND dialog, int control) {
    DriverDevMode& block = page->context->workingBlock;
    if (!Checked(dialog, control)) return;
    const DWORD bits = control == kOutputPositionNoneRadio ? 0u : 1u << (control - kOutputPositionLeftRadio);
    if ((block.CoverFlags & kOutputPositions) == bits) return;
    block.CoverFlags = (block.CoverFlags & ~kOutputPositions) | bits;
    block.SavedCoverFlags = (block.SavedCoverFlags & ~kOutputPositions) | bits;
    Ending(page, dialog);
}

void ChooseLayoutMode(PageRecord* page, HWND dialog) {
    DriverDevMode& block = page->context->workingBlock;
    const LPARAM data = ComboData(dialog, kPagesPerSheetList);
    if (data == CB_ERR) return;
    Hint(page, dialog, kHintOff, 0);
    const auto mode = static_cast<WORD>(data - kPagesPerSheetTextBase);
    if (mode == block.PagesPerSheet) return;
    const LONG* area = nullptr;
    if (mode == 1) {
        area = kAreaOnePage;
    } else if (block.PagesPerSheet == 1) {
        area = kAreaNup;
    }
    if (area != nullptr) {
        block.TopMargin = area[0];
        block.LeftMargin = area[1];
        block.TopMarginEven = area[2];
        block.LeftMarginEven = area[3];
    }
    block.PagesPerSheet = mode;
    block.SavedPagesPerSheet = mode;
    Ending(page, dialog);
}

void ChooseLayoutOrder(PageRecord* page, HWND dialog) {
    DriverDevMode& block = page->context->workingBlock;
    const auto index = SendDlgItemMessageW(dialog, kPageOrderList, CB_GETCURSEL, 0, 0);
    if (index < 0) return;
    Hint(page, dialog, kHintOff, 0);
    if (static_cast<WORD>(index) == block.PageFrame) return;
    block.PageFrame = static_cast<WORD>(index);
    block.SavedPageFrame = static_cast<WORD>(index);
    Ending(page, dialog);
}

void ChooseBorder(PageRecord* page, HWND dialog, int control) {
    DriverDevMode& block = page->context->workingBlock;
    const auto frame = static_cast<WORD>(control - kBorderNoneRadio);
    if (!Checked(dialog, control) || block.NupSlotOrder == frame) return;
    Hint(page, dialog, kHintOff, 0);
    block.NupSlotOrder = frame;
    block.SavedNupSlotOrder = frame;
    Ending(page, dialog);
}

// Check boxes of FeatureFlags bits; false when the box shows what the block holds.
bool ToggleFeature(PageRecord* page, HWND dialog, int control) {
    DriverDevMode& block = page->context->workingBlock;
    const bool on = Checked(dialog, control);
    const bool linked = (block.FeatureFlags & kLinkedB) != 0;
    switch (control) {
    case kShiftMarginsCheck:
        if (on == ((block.FeatureFlags & kShiftMarginsBit) != 0)) return false;
        Hint(page, dialog, kHintOff, 0);
        SetFeature(block, kShiftMarginsBit, on);
        break;
    case kPrinterStatusCheck:
        if (on == ((block.FeatureFlags & kStatusBit) != 0)) return false;
        SetFeature(block, kStatusBit, on);
        if (linked) SetFeature(block, kLinkedA, on);
        break;
    case kFastA4Check:
        if (on == ((block.FeatureFlags & kLinkedA) != 0)) return false;
        Hint(page, dialog, kHintOff, 0);
        SetFeature(block, kLinkedA, on);
        if (linked) SetFeature(block, kStatusBit, on);
        Ending(page, dialog);
        if (on && linked) Hint(page, dialog, kLinkedOptionHint, 2);
        return true;
    case kFastWithMemoryCheck:
        if (on == linked) return false;
        Hint(page, dialog, kHintOff, 0);
        SetFeature(block, kLinkedB, on);
        if (on) {
            SetFeature(block, kLinkedA, (block.FeatureFlags & kStatusBit) != 0);
            CheckDlgButton(dialog, kFastA4Check, (block.FeatureFlags & kLinkedA) != 0 ? BST_CHECKED : BST_UNCHECKED);
        }
        break;
    case kPrintAndHoldCheck:
        if (on == ((block.FeatureFlags & kHoldBit) != 0)) return false;
        Hint(page, dialog, kHintOff, 0);
        SetFeature(block, kHoldBit, on);
        break;
    default: return false;
    }
    Ending(page, dialog);
    return true;
}

void ChooseBinding(PageRecord* page, HWND dialog, int control) {
    DriverDevMode& block = page->context->workingBlock;
    const bool reversed = control == kBindingReversedRadio;
    if (!Checked(dialog, control) || reversed == ((block.FeatureFlags & kBindingBit) != 0)) return;
    SetFeature(block, kBindingBit, reversed);
    Ending(page, dialog);
    Hint(page, dialog, kDuplexHint, kHintNote);
}

void TogglePageOption(PageRecord* page, HWND dialog, int control, BYTE bit) {
    DriverDevMode& block = page->context->workingBlock;
    const bool on = Checked(dialog, control);
    if (on == ((block.PageOptionBits & bit) != 0)) return;
    SetBits(block.PageOptionBits, bit, on);
    Ending(page, dialog);
}

// Split counts: the edit's digit into its nibble of SplitCounts.
void TypeSplitCount(PageRecord* page, HWND dialog, int edit, int shift) {
    BOOL number = FALSE;
    const UINT value = GetDlgItemInt(dialog, edit, &number, FALSE);
    if (!number) return;
    DriverDevMode& block = page->context->workingBlock;
    const BYTE before = block.SplitCounts;
    const auto mask = static_cast<BYTE>(0xF << shift);
    block.SplitCounts = static_cast<BYTE>((before & ~mask) | ((value & 0xFu) << shift));
    OnSettingChanged(page, dialog, 0, FALSE);
    MarkPresetModified(page, dialog);
    if (block.SplitCounts != before) NotifyPageChanged(page, dialog);
}

void TypeShift(PageRecord* page, HWND dialog) {
    BOOL number = FALSE;
    const UINT value = GetDlgItemInt(dialog, kBindingShiftEdit, &number, FALSE);
    if (!number) return;
    DriverDevMode& block = page->context->workingBlock;
    const auto shift = static_cast<WORD>(std::min<UINT>(value, 0xFFFF));
    block.DuplexShift = shift;
    if (block.Public.dmDuplex != DMDUP_SIMPLEX) block.SavedDuplexShift = shift;
    OnSettingChanged(page, dialog, 0, FALSE);
    SendDlgItemMessageW(dialog, kPreviewControl, LB_RESETCONTENT, 0, 0);
    const auto item = SendDlgItemMessageW(dialog, kPreviewControl, LB_ADDSTRING, 0, 0);
    if (item >= 0) SendDlgItemMessageW(dialog, kPreviewControl, LB_SETITEMDATA, static_cast<WPARAM>(item), block.Public.dmPaperSize);
    Hint(page, dialog, kDuplexHint, kHintNote);
    MarkPresetModified(page, dialog);
    NotifyPageChanged(page, dialog);
}

void TypeJobText(PageRecord* page, HWND dialog) {
    WCHAR text[kJobTextChars + 1] = {};
    GetDlgItemTextW(dialog, kJobTextEdit, text, kJobTextChars + 1);
    DriverDevMode& block = page->context->workingBlock;
    WCHAR stored[kJobTextChars + 1] = {};
    std::copy_n(block.PageStampText, kJobTextChars, stored);
    if (std::equal(std::begin(text), std::end(text), std::begin(stored))) return;
    std::fill(std::begin(block.PageStampText), std::end(block.PageStampText), u'\0');
    std::copy_n(text, kJobTextChars, block.PageStampText);
    Hint(page, dialog, kStampHint, kHintNote);
    NotifyPageChanged(page, dialog);
}

void RestorePageDefaults(PageRecord* page, HWND dialog, State& state) {
    if (RestoreDefaults(page, dialog) == 0) return;
    DriverDevMode& block = page->context->workingBlock;
    FillPresetList(page, dialog, state, true);
    block.CategoryIndex = 0;
    SelectCategoryItem(dialog, 0);
    block.OptionFlags |= kOptionPageActive;
    OnSettingChanged(page, dialog, 0, FALSE);
    MarkPresetModified(page, dialog);
    ShowPanel(page, dialog);
    SetFocus(GetDlgItem(dialog, kCategoryList));
    NotifyPageChanged(page, dialog);
    CheckAnsiNameField(dialog, page, NameFieldCheck::Warn);
    ResetTreeAfterDefaults(page, dialog);
    Hint(page, dialog, kDefaultsRestoredHint, kHintInfo);
}

void SavePreset(PageRecord* page, HWND dialog, State& state) {
    if (CurrentCategoryLabel(state, page) == kCountsCategoryText && !CheckCountsEdits(page, dialog)) return;
    Hint(page, dialog, kHintOff, 0);
    const INT_PTR saved = DialogBoxParamW(page->context->languageLibrary, MAKEINTRESOURCEW(kPresetDialogTemplate), dialog,
                                          PresetDlgProc, reinterpret_cast<LPARAM>(page));
    if (saved != 1) return;
    // The dialog wrote the table; the page's list is read from it again.
    FillPresetList(page, dialog, state, false);
    MarkPresetModified(page, dialog);
    NotifyPageChanged(page, dialog);
}

void OpenSettingsList(PageRecord* page, HWND dialog) {
    if (!CheckEditRange(page, dialog, kBindingShiftEdit, 0, 20, kBindingShiftRangeMessage)) return;
    Hint(page, dialog, kHintOff, 0);
    page->flags |= kPageFlagTreeLayout;
    ShowSettingsTreeDialog(page, dialog);
    page->flags &= ~kPageFlagTreeLayout;
}

}  // namespace

INT_PTR OnCommand(PageRecord* page, HWND dialog, State& state, WPARAM wParam) {
    const int control = LOWORD(wParam);
    const int code = HIWORD(wParam);
    DriverDevMode& block = page->context->workingBlock;
    if (code == EN_CHANGE) {
        switch (control) {
        case kSplitPagesEdit: TypeSplitCount(page, dialog, control, 0); return TRUE;
        case kSplitJobsEdit: TypeSplitCount(page, dialog, control, 4); return TRUE;
        case kBindingShiftEdit: TypeShift(page, dialog); return TRUE;
        case kJobTextEdit: TypeJobText(page, dialog); return TRUE;
        default: return FALSE;
        }
    }
    if (code == CBN_SELCHANGE) {  // also LBN_SELCHANGE
        switch (control) {
        case kCategoryList: ChangeCategory(page, dialog, state); return TRUE;
        case kPagesPerSheetList: ChooseLayoutMode(page, dialog); return TRUE;
        case kPageOrderList: ChooseLayoutOrder(page, dialog); return TRUE;
        case kDestinationCombo: ChooseDestination(page, dialog); return TRUE;
        case kStampPositionCombo:
        case kStampTextCombo: {
            const LPARAM data = ComboData(dialog, control);
            DWORD& field = control == kStampPositionCombo ? block.PageStampPosition : block.PageStampSelector;
            if (data == CB_ERR || static_cast<DWORD>(data) == field) return TRUE;
            field = static_cast<DWORD>(data);
            Ending(page, dialog, control == kStampTextCombo);
            return TRUE;
        }
        default: return FALSE;
        }
    }
    if (code != BN_CLICKED) return FALSE;
    switch (control) {
    case kSettingsListButton:
    case kPageSettingsListButton: OpenSettingsList(page, dialog); return TRUE;
    case kSavePresetButton:
    case kPagePresetSaveButton: SavePreset(page, dialog, state); return TRUE;
    case kDefaultsButton:
    case kRestoreDefaultsItem:
    case kPageDefaultsButton: RestorePageDefaults(page, dialog, state); return TRUE;
    case kReadStatusItem:
        if (ShowStatusWaitBox(page, dialog) > 0) NotifyPageChanged(page, dialog);
        return TRUE;
    case kShiftMarginsCheck:
    case kPrinterStatusCheck:
    case kFastA4Check:
    case kFastWithMemoryCheck:
    case kPrintAndHoldCheck: ToggleFeature(page, dialog, control); return TRUE;
    case kBorderNoneRadio:
    case kBorderThinRadio:
    case kBorderThickRadio:
    case kBorderDottedRadio: ChooseBorder(page, dialog, control); return TRUE;
    case kDuplexOffRadio:
        if (Checked(dialog, control) && block.Public.dmDuplex != DMDUP_SIMPLEX) {
            block.Public.dmDuplex = DMDUP_SIMPLEX;
            block.SavedDuplex = DMDUP_SIMPLEX;
            Ending(page, dialog);
        }
        Hint(page, dialog, kDuplexHint, kHintNote);
        return TRUE;
    case kDuplexLongEdgeRadio: ChooseDuplex(page, dialog, DMDUP_VERTICAL); return TRUE;
    case kDuplexShortEdgeRadio: ChooseDuplex(page, dialog, DMDUP_HORIZONTAL); return TRUE;
    case kBindingStandardRadio:
    case kBindingReversedRadio: ChooseBinding(page, dialog, control); return TRUE;
    case kPrintModeStandardRadio:
    case kPrintModeSortRadio:
    case kPrintModeStapleRadio: ChoosePrintMode(page, dialog, kPrintModes[control - kPrintModeStandardRadio]); return TRUE;
    case kFinishingPositionButton: {
        page->flags |= kPageFlagFinishingOpened;
        const INT_PTR chosen = ShowFinishPositionDialog(page, dialog);
        OnSettingChanged(page, dialog, 0, FALSE);
        ShowPanel(page, dialog);
        MarkPresetModified(page, dialog);
        if (chosen == 1) NotifyPageChanged(page, dialog);
        return TRUE;
    }
    case kOutputPositionNoneRadio:
    case kOutputPositionLeftRadio:
    case kOutputPositionCentreRadio:
    case kOutputPositionRightRadio: ChooseOutputPosition(page, dialog, control); return TRUE;
    case kStampCheck: {
        const DWORD on = Checked(dialog, control) ? 1u : 0u;
        if (on != block.PageStampSwitch) {
            block.PageStampSwitch = on;
            Ending(page, dialog);
        }
        return TRUE;
    }
    case kSeparateCopiesCheck: TogglePageOption(page, dialog, control, kSeparateCopies); return TRUE;
    case kSplitJobCheck: TogglePageOption(page, dialog, control, kSplitJob); return TRUE;
    case kJobFileFolderButton: {
        const INT_PTR chosen = DialogBoxParamW(page->context->languageLibrary, MAKEINTRESOURCEW(kJobFileDialogTemplate),
                                               dialog, JobFileDestinationDialogProc, reinterpret_cast<LPARAM>(page));
        ShowPanel(page, dialog);
        if (chosen == 1) NotifyPageChanged(page, dialog);
        return TRUE;
    }
    case kKeepJobFilesCheck: {
        const bool on = Checked(dialog, control);
        if (on == ((block.RelaydockFlags & kKeepJobFiles) != 0)) return TRUE;
        SetBits(block.RelaydockFlags, kKeepJobFiles, on);
        ShowPanel(page, dialog);
        NotifyPageChanged(page, dialog);
        return TRUE;
    }
    default: return FALSE;
    }
}

INT_PTR OnContextMenu(PageRecord* page, HWND dialog, State& state, HWND control, LPARAM point) {
    const UiContext* context = page->context;
    const bool compact = (context->workingBlock.OptionFlags & 0x10000u) != 0;
    HMENU menu = LoadMenuW(context->languageLibrary, MAKEINTRESOURCEW(compact ? kFixedPresetsPageMenu : kPageMenu));
    if (menu == nullptr) return FALSE;
    HMENU popup = GetSubMenu(menu, 0);
    if (!compact) {
        const bool mayChange = (context->flags & kUiMayChange) != 0;
        const bool mayWrite = (context->flags & kUiMayWriteData) != 0;
        const bool reported = (context->status.printerExtStatus & 0x4) != 0;
        EnableMenuItem(popup, kReadStatusItem, MF_BYCOMMAND | (reported && mayChange ? MF_ENABLED : MF_GRAYED));
        EnableMenuItem(popup, kSavePresetButton, MF_BYCOMMAND | (mayChange && mayWrite ? MF_ENABLED : MF_GRAYED));
        EnableMenuItem(popup, kRestoreDefaultsItem, MF_BYCOMMAND | (mayChange ? MF_ENABLED : MF_GRAYED));
    }
    POINT at{static_cast<SHORT>(LOWORD(point)), static_cast<SHORT>(HIWORD(point))};
    if (point == -1) {  // from the keyboard: the control's centre
        RECT rect{};
        GetWindowRect(control != nullptr ? control : dialog, &rect);
        at = POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    state.menuControl = control;
    const UINT command = static_cast<UINT>(
        TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, dialog, nullptr));
    DestroyMenu(menu);
    if (command != 0) SendMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(command), 0);
    return TRUE;
}

}  // namespace page1
