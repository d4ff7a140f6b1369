// Document page two's controls: every control writes its field of the working block (and the
// field's copy among the user's choices), the resolver makes the block whole again, and the
// page shows what it left, warnings first.
#include <algorithm>
#include <iterator>
#include <string_view>

#include "platform/Controls.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "ui/pages/DocumentPage2Internal.h"
#include "ui/dialogs/FeederDialog.h"
#include "ui/dialogs/Finishing.h"
#include "ui/dialogs/PresetDialog.h"
#include "ui/dialogs/SubstDialogs.h"
#include "ui/dialogs/TreeDialogs.h"
#include "ui/pages/LayoutPreview.h"
#include "ui/pages/PageListFillers.h"
#include "ui/pages/PageRoutines.h"
#include "ui/status/StatusQuery.h"
#include "ui/tree/SettingsTree.h"

namespace page2 {
namespace {

// Messages.

// Hints.
constexpr int kHintWarning = 2;

// Fields' bits.
constexpr DWORD kFeatureSameAsPaper = 0x1;  // set: the output paper is not the paper
constexpr DWORD kOutputFinisherMode = 1u << 8;
constexpr DWORD kOutputSort = 1u << 10;
constexpr DWORD kOutputStacker = 1u << 26;
constexpr WORD kMediaPlain = 0;
constexpr WORD kMediaByFeeder = 1;

constexpr int kManualNameChars = 24;  // the manual source's name: at most 23 characters
constexpr char16_t kPostcard[] = u"\u306F\u304C\u304D";                        // はがき
constexpr char16_t kReturnPostcard[] = u"\u5F80\u5FA9\u306F\u304C\u304D";        // 往復はがき

LPARAM SelectedData(HWND dialog, int list) {
    const auto selected = SendDlgItemMessageW(dialog, list, CB_GETCURSEL, 0, 0);
    if (selected < 0) return -1;
    return SendDlgItemMessageW(dialog, list, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
}

bool InOutputPaperList(HWND dialog, LPCWSTR name) {
    // Past the first entry, which stands for no output paper whatever its text.
    return SendDlgItemMessageW(dialog, kOutputPaperList, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(name)) > 0;
}

template <size_t N>
void SetName(WCHAR (&field)[N], WCHAR (&shadow)[N], LPCWSTR name) {
    std::fill(field, field + N, u'\0');
    std::fill(shadow, shadow + N, u'\0');
    for (size_t i = 0; i + 1 < N && name[i] != u'\0'; ++i) field[i] = shadow[i] = name[i];
}

template <size_t N>
bool SameName(const WCHAR (&field)[N], LPCWSTR name) {
    const WCHAR* end = std::find(field, field + N, u'\0');
    return std::u16string_view(field, static_cast<size_t>(end - field)) == std::u16string_view(name);
}

// The finishing warnings after a change that may have moved a position: the position
// warnings in finisher mode, then the cleared positions.
void WarnFinishing(PageRecord* page, HWND dialog, BYTE keptFirst, BYTE keptSecond, bool beep, bool onlyInFinisherMode) {
    const DriverDevMode& block = Working(page);
    const bool finisher = (block.CoverFlags & kOutputFinisherMode) != 0;
    if (finisher) ShowFinishingWarnings(page, dialog, block, beep);
    if (onlyInFinisherMode && !finisher) return;
    if (keptFirst != 0 && block.FinishPosition1 == 0)
        ShowFinishingMessage(page, dialog, kFirstPositionClearedMessage, MB_ICONWARNING, beep);
    if (keptSecond != 0 && block.FinishPosition2 == 0) {
        ShowFinishingMessage(page, dialog, kSecondPositionClearedMessage, MB_ICONWARNING, beep);
    }
}

// A FeatureFlags bit set or cleared, with its copy among the user's choices.
void SetFeature(DriverDevMode& block, DWORD bit, bool on) {
    block.FeatureFlags = on ? block.FeatureFlags | bit : block.FeatureFlags & ~bit;
    block.SavedFeatureFlags = on ? block.SavedFeatureFlags | bit : block.SavedFeatureFlags & ~bit;
}

bool HasManualSlot(PageRecord* page, WORD value) {
    const UiContext& context = *page->context;
    WCHAR manual[kManualNameChars] = {};
    if (LoadStringW(context.languageLibrary, kManualSourceName, manual, kManualNameChars) <= 0) return false;
    const ModelDescription* model = context.model;
    const auto* slots = model != nullptr ? ModelList<ModelNamedValue>(model, model->InputSlotOffset, model->InputSlotCount)
                                         : nullptr;
    for (DWORD i = 0; slots != nullptr && i < model->InputSlotCount; ++i) {
        if (LOWORD(slots[i].Value) != value) continue;
        WCHAR name[kManualNameChars + 1] = {};
        // Compared within the image: a name longer than the manual source's is another one.
        const LPCWSTR text = ModelString(model, slots[i].NameOffset);
        const size_t room = text[0] == u'\0' ? 0 : (model->TotalSize - slots[i].NameOffset) / sizeof(WCHAR);
        size_t length = 0;
        while (length < room && length < kManualNameChars && text[length] != u'\0') {
            name[length] = text[length];
            ++length;
        }
        if (std::u16string_view(name) == manual) return true;
    }
    return false;
}

}  // namespace

void ShowPaperPicture(PageRecord* page, HWND dialog) {
    const DriverDevMode& block = Working(page);
    SendDlgItemMessageW(dialog, kPreviewControl, LB_SETITEMDATA, 0, block.Public.dmPaperSize);
    if (HWND picture = GetDlgItem(dialog, kPreviewControl); picture != nullptr) InvalidateRect(picture, nullptr, TRUE);
}

void OnPaper(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const LPARAM data = SelectedData(dialog, kPaperList);
    if (data < 0) return;
    WCHAR name[kUiNameChars * 2 + 1] = {};
    GetPaperNameByIndex(page, dialog, static_cast<int>(data), name);
    if (SameName(block.Public.dmFormName, name)) return;
    SetName(block.Public.dmFormName, block.SavedFormName, name);
    const bool plain = block.NupDown == 1 && block.NupAcross == 1;
    if ((block.FeatureFlags & kFeatureSameAsPaper) != 0 && plain && block.OutputPaperSize == 0 &&
        !InOutputPaperList(dialog, name)) {
        Warn(page, dialog, kNeedsOutputPaperMessage);
    }
    OnSettingChanged(page, dialog, 0, FALSE);
    block.SavedLayoutScale = block.LayoutScale;
    ShowScale(page, dialog);
    Refresh(page, dialog);
    WarnNupSheetSize(page, dialog);
    NotifyPageChanged(page, dialog);
}

void OnOutputPaper(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const LPARAM data = SelectedData(dialog, kOutputPaperList);
    if (data < 0) return;
    WCHAR name[kUiNameChars * 2 + 1] = {};
    if (LOWORD(data) != 0) GetPaperNameByIndex(page, dialog, static_cast<int>(data), name);
    if (SameName(block.OutputPaperName, name)) return;
    if (name[0] == u'\0') {
        WCHAR paper[kUiNameChars + 1] = {};
        std::copy(block.Public.dmFormName, block.Public.dmFormName + kUiNameChars, paper);
        if (!InOutputPaperList(dialog, paper)) Warn(page, dialog, kNeedsOutputPaperMessage);
    }
    SetName(block.OutputPaperName, block.SavedOutputPaperName, name);
    OnSettingChanged(page, dialog, 0, FALSE);
    block.SavedLayoutScale = block.LayoutScale;
    ShowScale(page, dialog);
    Refresh(page, dialog);
    NotifyPageChanged(page, dialog);
}

void OnSameAsPaper(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const bool notSame = IsDlgButtonChecked(dialog, kSameAsPaperCheck) != BST_CHECKED;
    if (((block.FeatureFlags & kFeatureSameAsPaper) != 0) == notSame) return;
    SetPageHint(page, dialog, 0, 0);
    SetFeature(block, kFeatureSameAsPaper, notSame);
    OnSettingChanged(page, dialog, 0, FALSE);
    block.SavedLayoutScale = block.LayoutScale;
    Refresh(page, dialog);
    ShowScale(page, dialog);
    NotifyPageChanged(page, dialog);
}

void OnScaling(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const bool scaling = IsDlgButtonChecked(dialog, kScalingCheck) == BST_CHECKED;
    if (((block.FeatureFlags & kFeatureScaling) != 0) == scaling) return;
    SetPageHint(page, dialog, 0, 0);
    SetFeature(block, kFeatureScaling, scaling);
    block.SavedLayoutScale = block.LayoutScale;
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
    ShowScaleEdit(page, dialog);
    NotifyPageChanged(page, dialog);
}

void OnOrientation(PageRecord* page, HWND dialog, SHORT orientation) {
    DriverDevMode& block = Working(page);
    SetPageHint(page, dialog, kOrientationHint, kHintInfo);
    if (block.Public.dmOrientation == orientation) return;
    block.Public.dmOrientation = block.SavedOrientation = orientation;
    const BYTE keptFirst = block.FinishPosition1;
    const BYTE keptSecond = block.FinishPosition2;
    OnSettingChanged(page, dialog, 0, FALSE);
    WarnFinishing(page, dialog, keptFirst, keptSecond, false, false);
    block.SavedLayoutScale = block.LayoutScale;
    Refresh(page, dialog);
    NotifyPageChanged(page, dialog);
}

void OnSource(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const LPARAM data = SelectedData(dialog, kSourceList);
    if (data < 0) return;
    const auto source = static_cast<WORD>(data);
    const SHORT keptDuplex = block.Public.dmDuplex;
    if (source != static_cast<WORD>(block.Public.dmDefaultSource)) {
        block.Public.dmDefaultSource = block.SavedDefaultSource = static_cast<SHORT>(source);
        OnSettingChanged(page, dialog, 0, FALSE);
        Refresh(page, dialog);
        ShowPaperPicture(page, dialog);
    }
    if (keptDuplex != DMDUP_SIMPLEX) {
        if (HasManualSlot(page, source)) {
            Warn(page, dialog, kManualFeedDuplexMessage);
        } else if (block.SourceMediaValue != kMediaPlain && block.SourceMediaValue != kMediaByFeeder) {
            Warn(page, dialog, kMediaNotDuplexMessage);
        }
    }
    SetPageHint(page, dialog, kPaperSourceHint, kHintInfo);
    NotifyPageChanged(page, dialog);
}

void OnMediaKind(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const LPARAM data = SelectedData(dialog, kMediaList);
    if (data < 0 || static_cast<WORD>(data) == block.SourceMediaValue) return;
    const auto kind = static_cast<WORD>(data);
    block.SourceMediaValue = block.SavedSourceMediaValue = kind;
    WCHAR source[kUiNameChars * 2 + 1] = {};
    CurrentSourceName(page, source, std::size(source));
    block.SourceValues[SourceValueIndex(page->context->languageLibrary, source)] = kind;
    const BYTE keptFirst = block.FinishPosition1;
    const BYTE keptSecond = block.FinishPosition2;
    if (block.Public.dmDuplex != DMDUP_SIMPLEX && kind != kMediaPlain && kind != kMediaByFeeder) {
        Warn(page, dialog, kMediaNotDuplexMessage);
    }
    WCHAR paper[kUiNameChars + 1] = {};
    GetEffectivePaperName(page, paper);
    if (kind != kMediaByFeeder) {
        if (std::u16string_view(paper) == kPostcard) Warn(page, dialog, kPostcardMediaMessage);
        if (std::u16string_view(paper) == kReturnPostcard) Warn(page, dialog, kReturnPostcardMediaMessage);
    }
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
    if (kind == kMediaByFeeder) {
        SetPageHint(page, dialog, kFeederMediaHint, kHintWarning);
    } else {
        SetPageHint(page, dialog, 0, 0);
    }
    if ((block.CoverFlags & kOutputFinisherMode) != 0) {
        WarnFinishing(page, dialog, keptFirst, keptSecond, true, true);
        SetPageHint(page, dialog, 0, 0);
    }
    NotifyPageChanged(page, dialog);
}

void OnPrintMode(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const auto selected = SendDlgItemMessageW(dialog, kPrintModeList, CB_GETCURSEL, 0, 0);
    if (selected < 0) return;
    const SHORT keptDuplex = block.Public.dmDuplex;
    const bool changed = block.PrintMode != selected;
    if (changed) block.PrintMode = block.SavedPrintMode = static_cast<WORD>(selected);
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
    if (keptDuplex != DMDUP_SIMPLEX && block.SourceMediaValue != kMediaPlain)
        Warn(page, dialog, kMediaNotDuplexMessage);
    SetPageHint(page, dialog, 0, 0);
    if (changed) NotifyPageChanged(page, dialog);
}

void OnOutputTray(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const LPARAM data = SelectedData(dialog, kOutputTrayList);
    const DWORD before = block.CoverFlags;
    for (const OutputTrayItem& item : kOutputTrayItems) {
        if (static_cast<LPARAM>(item.stringId) != data || (block.CoverFlags & item.bit) != 0) continue;
        block.CoverFlags = (block.CoverFlags & ~kOutputTrayBits) | item.bit;
        block.SavedCoverFlags = (block.SavedCoverFlags & ~kOutputTrayBits) | item.bit;
        if ((block.CoverFlags & kOutputStacker) != 0 && (block.CoverFlags & kOutputSort) != 0) {
            Warn(page, dialog, kStackerSortMessage);
        }
    }
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
    if (FinisherInstalled(block)) SetPageHint(page, dialog, kOutputTrayHint, kHintInfo);
    if (block.CoverFlags != before) NotifyPageChanged(page, dialog);
}

void OnSeparator(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const DWORD on = IsDlgButtonChecked(dialog, kSeparatorCheck) == BST_CHECKED ? 1 : 0;
    if (block.PageDecorationOption == on) return;
    block.PageDecorationOption = on;
    if (on != 0) {
        SetPageHint(page, dialog, kSeparatorHint, kHintInfo);
    } else {
        SetPageHint(page, dialog, 0, 0);
    }
    Refresh(page, dialog);
    NotifyPageChanged(page, dialog);
}

void OnNupCount(PageRecord* page, HWND dialog, int list) {
    DriverDevMode& block = Working(page);
    const LPARAM data = SelectedData(dialog, list);
    if (data < 0) return;
    const auto count = static_cast<BYTE>(data);
    BYTE& field = list == kNupDownCombo ? block.NupDown : block.NupAcross;
    if (field != count) {
        block.SavedNupDown = block.NupDown;
        block.SavedNupAcross = block.NupAcross;
        field = count;
        const WORD keptLayout = block.PagesPerSheet;
        OnSettingChanged(page, dialog, 0, FALSE);
        ShowScale(page, dialog);
        Refresh(page, dialog);
        WarnNupSheetSize(page, dialog);
        if (keptLayout != 1 && block.PagesPerSheet == 1) Warn(page, dialog, kScalingOffMessage);
    }
    SetPageHint(page, dialog, kNupHint, kHintInfo);
    NotifyPageChanged(page, dialog);
}

void OnNupOrder(PageRecord* page, HWND dialog, BYTE order) {
    DriverDevMode& block = Working(page);
    SetPageHint(page, dialog, 0, 0);
    if (block.NupOrder == order) return;
    block.NupOrder = block.SavedNupOrder = order;
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
    MarkPresetModified(page, dialog);
    NotifyPageChanged(page, dialog);
}

void OnRestoreDefaults(PageRecord* page, HWND dialog) {
    const int restored = RestoreDefaults(page, dialog);
    Working(page).OptionFlags |= kOptionPageActive;
    if (restored == 0) return;
    OnSettingChanged(page, dialog, 0, FALSE);
    ShowCopiesEdit(page, dialog);
    ShowScaleEdit(page, dialog);
    Refresh(page, dialog);
    SetFocus(GetDlgItem(dialog, kPaperList));
    NotifyPageChanged(page, dialog);
    CheckAnsiNameField(dialog, page, NameFieldCheck::Warn);
    ResetTreeAfterDefaults(page, dialog);
    SetPageHint(page, dialog, kDefaultsRestoredHint, kHintInfo);
}

void OnReadStatus(PageRecord* page, HWND dialog) {
    if (ShowStatusWaitBox(page, dialog) > 0) NotifyPageChanged(page, dialog);
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
}

void OnSettingsList(PageRecord* page, HWND dialog) {
    page->flags |= kPageFlagTreeLayout;
    if (CheckEdits(page, dialog)) ShowSettingsTreeDialog(page, dialog);
    page->flags &= ~kPageFlagTreeLayout;
}

void OnSavePreset(PageRecord* page, HWND dialog) {
    if (!CheckEdits(page, dialog)) return;
    const INT_PTR result = DialogBoxParamW(page->context->languageLibrary, MAKEINTRESOURCEW(kPresetDialogTemplate), dialog,
                                           PresetDlgProc, reinterpret_cast<LPARAM>(page));
    if (result > 0) NotifyPageChanged(page, dialog);
}

void OnFeeder(PageRecord* page, HWND dialog) {
    const INT_PTR result = ShowFeederSettingDialog(page, dialog);
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
    MarkPresetModified(page, dialog);
    if (result == 1) NotifyPageChanged(page, dialog);
}

void OnSubstitution(PageRecord* page, HWND dialog) {
    SetPageHint(page, dialog, 0, 0);
    page->flags |= kPageFlagReadOnlyTables;
    ShowOutPaperDialog(page, dialog, kOutPaperSubstDocumentTemplate);
}

}  // namespace page2
