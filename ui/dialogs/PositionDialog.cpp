// The print-position dialogs: the image's offsets on the output paper typed, stepped, centred
// or set back to the default, the scale switched and typed, the units switched; OK hands the
// scratch block to the working block.
#include <algorithm>
#include <iterator>

#include "platform/Controls.h"
#include "platform/Modules.h"
#include "platform/PropSheet.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "ui/resolver/Constraints.h"
#include "ui/pages/PageCommon.h"
#include "ui/dialogs/PositionDialog.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace {

constexpr int kOffsetSpins[] = {kPositionTopSpin, kPositionLeftSpin, kPositionBackTopSpin, kPositionBackLeftSpin};

// The dialogs' help table: {control id, help id} pairs ending with 0. The help ids are the
// help file's topic numbers, which for these controls are the numbers of their ids.
constexpr DWORD kPositionHelpIds[] = {kPositionPicture,          2401, kPositionTopEdit,      2406,
                                      kPositionLeftEdit,         2410, kPositionBelowText,    2414,
                                      kPositionRightText,        2417, kPositionCentreButton, 2419,
                                      kPositionScaleCheck,       2439, kPositionScaleEdit,    2440,
                                      kPositionMillimetresRadio, 2444, kPositionInchesRadio,  2445,
                                      kDefaultsButton,           1002, 0,                     0};

PositionDialogState* StateOf(HWND dialog) {
    PageRecord* page = PageRecordOf(dialog);
    return page != nullptr ? page->position : nullptr;
}

bool Inches(const DriverDevMode* block) { return (block->FeatureFlags & kFeatureInches) != 0; }

LONG OffsetLimit(const DriverDevMode* block) { return Inches(block) ? kPositionLimitInch : kPositionLimitMm; }

// A shown offset as stored: 0.1 mm, with the N-up shift for the left one.
LONG StoredOffset(const DriverDevMode* block, LONG shown, bool left) {
    const LONG limited = std::clamp(shown, -OffsetLimit(block), OffsetLimit(block));
    const LONG value = Inches(block) ? InchToTenthMm(limited) : limited;
    return left && LeftShiftApplies(block) ? value + kNupLeftShift : value;
}

void Constrain(PositionDialogState* state, HWND dialog) {
    UiContext* context = state->context;
    ApplyConstraints(&context->scratchBlock, nullptr, &context->status, context->printer, context->model, dialog,
                     context->languageLibrary, context->flags);
}

// The geometry after a change: the sizes looked up again (the fixed N-up picture keeps its
// own document), the pixels, and a repaint.
void RefreshPicture(PositionDialogState* state, HWND dialog) {
    ComputePictureGeometry(state, nullptr, true);
    if (state->mode & kModeFixedNup) {
        state->docWidth = state->outWidth;
        state->docLength = state->outLength;
        std::copy(std::begin(kFixedNupMargins), std::end(kFixedNupMargins), state->docMargins);
    }
    ComputePictureGeometry(state, dialog, false);
    if (state->picture != nullptr) InvalidateRect(state->picture, nullptr, FALSE);
}

void EnableScaleEdit(HWND dialog, bool enable) {
    EnableWindow(GetDlgItem(dialog, kPositionScaleEdit), enable ? TRUE : FALSE);
    EnableWindow(GetDlgItem(dialog, kPositionScaleSpin), enable ? TRUE : FALSE);
}

void StoreScale(DriverDevMode* block, LONG value) {
    if (value < kScaleMin || value > kScaleMax) return;
    block->LayoutScale = static_cast<WORD>(value);
    block->SavedLayoutScale = static_cast<WORD>(value);
}

void OnInit(HWND dialog, PageRecord* page, bool nup) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
    UiContext* context = page->context;
    context->scratchBlock = context->workingBlock;
    auto* state = static_cast<PositionDialogState*>(UiPoolAlloc(context->pool, sizeof(PositionDialogState)));
    if (state == nullptr) {
        EndDialog(dialog, -1);
        return;
    }
    *state = PositionDialogState{};
    state->page = page;
    state->context = context;
    state->dialog = dialog;
    state->nupDialog = nup;
    page->position = state;
    // The offset spins step in display units; the dialog writes their edits' text itself.
    for (int id : kOffsetSpins) {
        HWND spin = GetDlgItem(dialog, id);
        if (spin != nullptr) SetWindowLongW(spin, GWL_STYLE, GetWindowLongW(spin, GWL_STYLE) & ~static_cast<LONG>(UDS_SETBUDDYINT));
    }
    DriverDevMode* block = &context->scratchBlock;
    SetPositionModeFlags(state);
    Constrain(state, dialog);
    ArrangeScaleControls(state, dialog);
    CheckDlgButton(dialog, kPositionScaleCheck, (block->FeatureFlags & kFeatureScaling) ? BST_CHECKED : BST_UNCHECKED);
    SetPositionLimits(state, dialog);
    ComputePictureGeometry(state, dialog, true);
    if (state->mode & kModeFixedNup) {
        state->docWidth = state->outWidth;
        state->docLength = state->outLength;
        std::copy(std::begin(kFixedNupMargins), std::end(kFixedNupMargins), state->docMargins);
    }
    ClampScale(state);
    ComputePictureGeometry(state, dialog, false);
    ShowPositionFields(state, dialog, true);
    ShowPositionUnits(state, dialog);
    ShowPaperCaption(state, dialog);
    RememberHomeCorner(state, dialog);
    if (!nup) {
        HWND picture = GetDlgItem(dialog, kPositionPicture);
        if (picture != nullptr) {
            state->picture = picture;
            SetWindowLongPtrW(picture, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
            state->oldProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(picture, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PagePictureWndProc)));
        }
    }
}

void OnDestroy(HWND dialog, PositionDialogState* state) {
    if (state->picture != nullptr && state->oldProc != nullptr) {
        SetWindowLongPtrW(state->picture, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(state->oldProc));
        SetWindowLongPtrW(state->picture, GWLP_USERDATA, 0);
    }
    ReleasePictureBackground(state);
    PageRecord* page = state->page;
    page->position = nullptr;
    UiPoolFree(state->context->pool, state);
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
}

void OnOffsetKillFocus(PositionDialogState* state, HWND dialog, int edit, int spin) {
    DriverDevMode* block = PositionBlock(state);
    bool digits = false;
    const LONG shown = ReadPositionEdit(state, dialog, true, edit, spin, &digits);
    const bool left = edit == kPositionLeftEdit;
    // An edit left without a number keeps the last value; the fields show it again.
    if (digits) (left ? block->LeftMargin : block->TopMargin) = StoredOffset(block, shown, left);
    RefreshPicture(state, dialog);
    ShowPositionFields(state, dialog, false);
}

void OnOffsetChange(PositionDialogState* state, HWND dialog, int edit, int spin) {
    DriverDevMode* block = PositionBlock(state);
    bool digits = false;
    const LONG shown = ReadPositionEdit(state, dialog, false, edit, spin, &digits);
    if (!digits) return;
    const bool left = edit == kPositionLeftEdit;
    LONG& field = left ? block->LeftMargin : block->TopMargin;
    const LONG stored = StoredOffset(block, shown, left);
    if (field != stored) field = stored;
}

void OnScaleEdit(PositionDialogState* state, HWND dialog, bool killFocus) {
    DriverDevMode* block = PositionBlock(state);
    if (!killFocus && (state->mode & kModeFixedNup)) return;
    bool digits = false;
    const LONG value = ReadPositionEdit(state, dialog, false, kPositionScaleEdit, 0, &digits);
    // Out of range the text stays as typed, so that OK can say why it refuses it.
    if (!digits || value == block->LayoutScale || value < kScaleMin || value > kScaleMax) return;
    StoreScale(block, value);
    if (killFocus) {
        RefreshPicture(state, dialog);
        ShowPositionFields(state, dialog, false);
    }
}

void OnSpin(PositionDialogState* state, HWND dialog, HWND spin, WPARAM wParam) {
    if (LOWORD(wParam) != SB_THUMBPOSITION) return;
    DriverDevMode* block = PositionBlock(state);
    const int id = GetDlgCtrlID(spin);
    if (id == kPositionScaleSpin) {
        StoreScale(block, static_cast<SHORT>(HIWORD(wParam)));
    } else if (id == kPositionTopSpin || id == kPositionLeftSpin) {
        const int edit = id == kPositionTopSpin ? kPositionTopEdit : kPositionLeftEdit;
        const LONG limit = OffsetLimit(block);
        LONG position = static_cast<SHORT>(HIWORD(wParam));
        const LONG typed = ReadPositionEdit(state, dialog, false, edit, 0);
        if (typed < -limit) position = -limit;
        if (typed > limit) position = limit;
        WCHAR text[16];
        FormatPositionText(text, position, Inches(block) ? 100 : 10);
        state->updating = true;
        SetDlgItemTextW(dialog, edit, text);
        SendMessageW(spin, UDM_SETPOS32, 0, position);
        state->updating = false;
        const bool left = edit == kPositionLeftEdit;
        (left ? block->LeftMargin : block->TopMargin) = StoredOffset(block, position, left);
        RefreshPicture(state, dialog);
        ShowPositionFields(state, dialog, false);
        SendDlgItemMessageW(dialog, edit, EM_SETSEL, 0, -1);
        return;
    } else {
        return;
    }
    RefreshPicture(state, dialog);
    ShowPositionFields(state, dialog, false);
}

void OnCentre(PositionDialogState* state, HWND dialog) {
    DriverDevMode* block = PositionBlock(state);
    const double top = ReadPositionEdit(state, dialog, false, kPositionTopEdit, 0);
    const double left = ReadPositionEdit(state, dialog, false, kPositionLeftEdit, 0);
    const double below = ReadPositionEdit(state, dialog, false, kPositionBelowText, 0);
    const double right = ReadPositionEdit(state, dialog, false, kPositionRightText, 0);
    LONG newTop = RoundAway((top + below) / 2);
    LONG newLeft = RoundAway((left + right) / 2);
    if (Inches(block)) {
        // Unlike every other conversion, centring in inches truncates.
        newTop = static_cast<LONG>(newTop * 2.54);
        newLeft = static_cast<LONG>(newLeft * 2.54);
    }
    block->TopMargin = newTop;
    block->LeftMargin = LeftShiftApplies(block) ? newLeft + kNupLeftShift : newLeft;
    RefreshPicture(state, dialog);
    ShowPositionFields(state, dialog, false);
}

void OnDefaults(PositionDialogState* state, HWND dialog) {
    DriverDevMode* block = PositionBlock(state);
    const bool fixed = (state->mode & kModeFixedNup) != 0;
    block->TopMargin = fixed ? kFixedNupTop : state->outMargins[kTop];
    block->LeftMargin = fixed ? kFixedNupLeft : state->outMargins[kLeft];
    const DWORD scaling = state->context->defaultBlock.FeatureFlags & kFeatureScaling;
    block->FeatureFlags = (block->FeatureFlags & ~kFeatureScaling) | scaling;
    block->SavedFeatureFlags = (block->SavedFeatureFlags & ~kFeatureScaling) | scaling;
    CheckDlgButton(dialog, kPositionScaleCheck, scaling != 0 ? BST_CHECKED : BST_UNCHECKED);
    EnableScaleEdit(dialog, scaling != 0);
    state->mode &= ~kModeCornerScaling;
    SetPositionModeFlags(state);
    Constrain(state, dialog);
    block->SavedLayoutScale = block->LayoutScale;
    ClampScale(state);
    block->FeatureFlags &= ~kFeatureInches;
    SetPositionLimits(state, dialog);
    RefreshPicture(state, dialog);
    ShowPositionFields(state, dialog, true);
    ShowPositionUnits(state, dialog);
    ShowPaperCaption(state, dialog);
    SetFocus(GetDlgItem(dialog, kPositionTopEdit));
}

void OnScalingCheck(PositionDialogState* state, HWND dialog) {
    DriverDevMode* block = PositionBlock(state);
    if (IsDlgButtonChecked(dialog, kPositionScaleCheck) == BST_CHECKED) {
        block->FeatureFlags |= kFeatureScaling;
        block->SavedFeatureFlags |= kFeatureScaling;
        EnableScaleEdit(dialog, true);
        SetPositionModeFlags(state);
        Constrain(state, dialog);
    } else {
        block->FeatureFlags &= ~kFeatureScaling;
        block->SavedFeatureFlags &= ~kFeatureScaling;
        EnableScaleEdit(dialog, false);
        state->mode &= ~kModeCornerScaling;
        SetPositionModeFlags(state);
        Constrain(state, dialog);
        ClampScale(state);
    }
    RefreshPicture(state, dialog);
    ShowPositionFields(state, dialog, true);
}

void OnUnits(PositionDialogState* state, HWND dialog, bool inches) {
    DriverDevMode* block = PositionBlock(state);
    if (Inches(block) == inches) return;
    block->FeatureFlags ^= kFeatureInches;
    SetPositionLimits(state, dialog);
    ShowPositionFields(state, dialog, true);
    ShowPositionUnits(state, dialog);
    ShowPaperCaption(state, dialog);
}

void OnOk(PositionDialogState* state, HWND dialog) {
    DriverDevMode* block = PositionBlock(state);
    // A scale typed outside the range is never stored: the edit tells what the user asked for.
    bool digits = false;
    LONG typed = block->LayoutScale;
    if (!(state->mode & kModeFixedNup) && IsWindowEnabled(GetDlgItem(dialog, kPositionScaleEdit))) {
        const LONG value = ReadPositionEdit(state, dialog, false, kPositionScaleEdit, 0, &digits);
        if (digits) typed = value;
    }
    if (block->LayoutScale < kScaleMin || block->LayoutScale > kScaleMax || typed < kScaleMin || typed > kScaleMax) {
        ShowPageWarning(PageRecordOf(dialog), dialog, kScaleRangeMessage);
        HWND edit = GetDlgItem(dialog, kPositionScaleEdit);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return;
    }
    if (!CheckImageOnPaper(state)) ShowPageWarning(PageRecordOf(dialog), dialog, kImageOffPaperMessage);
    Constrain(state, dialog);
    state->context->workingBlock = state->context->scratchBlock;
    EndDialog(dialog, 1);
}

INT_PTR OnCommand(PositionDialogState* state, HWND dialog, WPARAM wParam) {
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    switch (id) {
    case kPositionTopEdit:
    case kPositionLeftEdit: {
        const int spin = id == kPositionTopEdit ? kPositionTopSpin : kPositionLeftSpin;
        if (state->updating) return FALSE;
        if (code == EN_KILLFOCUS) OnOffsetKillFocus(state, dialog, id, spin);
        if (code == EN_CHANGE) OnOffsetChange(state, dialog, id, spin);
        return TRUE;
    }
    case kPositionScaleEdit:
        if (state->updating) return FALSE;
        if (code == EN_KILLFOCUS || code == EN_CHANGE) OnScaleEdit(state, dialog, code == EN_KILLFOCUS);
        return TRUE;
    case kPositionCentreButton: OnCentre(state, dialog); return TRUE;
    case kDefaultsButton: OnDefaults(state, dialog); return TRUE;
    case kPositionScaleCheck: OnScalingCheck(state, dialog); return TRUE;
    case kPositionMillimetresRadio: OnUnits(state, dialog, false); return TRUE;
    case kPositionInchesRadio: OnUnits(state, dialog, true); return TRUE;
    case IDOK: OnOk(state, dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
    }
}

INT_PTR PositionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, bool nup) {
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<PageRecord*>(lParam);
        if (page == nullptr || page->context == nullptr) {
            EndDialog(dialog, -1);
            return TRUE;
        }
        OnInit(dialog, page, nup);
        return TRUE;
    }
    PositionDialogState* state = StateOf(dialog);
    if (state == nullptr) return FALSE;
    switch (message) {
    case WM_DESTROY: OnDestroy(dialog, state); return FALSE;
    case WM_COMMAND: return OnCommand(state, dialog, wParam);
    case WM_VSCROLL: OnSpin(state, dialog, reinterpret_cast<HWND>(lParam), wParam); return TRUE;
    case WM_HELP: {
        const auto* help = reinterpret_cast<const HELPINFO*>(lParam);
        if (help == nullptr) return FALSE;
        InvokeHtmlHelp(static_cast<HWND>(help->hItemHandle), state->context->helpPath, HH_TP_HELP_WM_HELP,
                       reinterpret_cast<ULONG_PTR>(kPositionHelpIds));
        return TRUE;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        RECT client{};
        if (item == nullptr || !GetClientRect(GetDlgItem(dialog, static_cast<int>(item->CtlID)), &client)) return FALSE;
        item->itemWidth = static_cast<UINT>(client.right);
        item->itemHeight = static_cast<UINT>(client.bottom);
        return TRUE;
    }
    default: return FALSE;
    }
}

}  // namespace

DriverDevMode* PositionBlock(PositionDialogState* state) { return &state->context->scratchBlock; }

bool NupCountsInUse(const DriverDevMode* block) { return block->NupDown != 1 || block->NupAcross != 1; }

bool LeftShiftApplies(const DriverDevMode* block) {
    return (block->OptionFlags & kOptionNupMargins) == 0 && NupCountsInUse(block);
}

void SetPositionModeFlags(PositionDialogState* state) {
    const DriverDevMode* block = PositionBlock(state);
    const bool scaling = (block->FeatureFlags & kFeatureScaling) != 0;
    const bool overlay = (block->OverlayFlags & kOverlayOn) != 0;
    if (scaling) state->mode |= kModeCornerScaling;
    if (overlay) state->mode &= ~kModeCornerScaling;
    // The back side is never shown, whatever the duplex setting.
    state->mode &= ~kModeBackSide;
    if (block->PagesPerSheet != 1) {
        state->mode |= kModeFixedNup;
        if (scaling || overlay) state->mode &= ~kModeFixedNup;
    }
}

void ClampScale(PositionDialogState* state) {
    DriverDevMode* block = PositionBlock(state);
    block->LayoutScale = std::clamp<WORD>(block->LayoutScale, kScaleMin, kScaleMax);
}

bool CheckImageOnPaper(PositionDialogState* state) {
    const DriverDevMode* block = PositionBlock(state);
    const LONG* m = state->outMargins;
    const RECT image{block->LeftMargin, block->TopMargin, block->LeftMargin + RoundAway(ScaledWidth(state)),
                     block->TopMargin + RoundAway(ScaledLength(state))};
    const RECT printable{m[kLeft], m[kTop], state->outWidth - m[kRight], state->outLength - m[kBottom]};
    RECT overlap{};
    return IntersectRect(&overlap, &image, &printable) != FALSE;
}

INT_PTR PrintPositionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return PositionDialogProc(dialog, message, wParam, lParam, false);
}

INT_PTR NupPrintPositionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return PositionDialogProc(dialog, message, wParam, lParam, true);
}

INT_PTR ShowPrintPositionDialog(PageRecord* page, HWND owner) {
    if (page == nullptr || page->context == nullptr) return -1;
    const DriverDevMode& working = page->context->workingBlock;
    const bool nup = NupCountsInUse(&working);
    const int templateId = nup ? kNupPositionDialogTemplate : kPositionDialogTemplate;
    return DialogBoxParamW(page->context->languageLibrary, MAKEINTRESOURCEW(templateId), owner,
                           nup ? NupPrintPositionDialogProc : PrintPositionDialogProc, reinterpret_cast<LPARAM>(page));
}
