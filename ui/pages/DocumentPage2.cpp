// Document page two's procedure: its start and activation, the dispatch of its controls'
// commands (the controls' work is in DocumentPage2Commands.cpp, the typed numbers' in
// DocumentPage2Edits.cpp), its menu, its help and its notifications.
#include "platform/Controls.h"
#include "platform/User.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "ui/pages/DocumentPage2Internal.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/pages/LayoutPreview.h"
#include "ui/pages/PageIcons.h"
#include "ui/pages/PageListFillers.h"
#include "ui/pages/PageRoutines.h"
#include "ui/status/StatusQuery.h"

namespace {

using namespace page2;

constexpr DWORD kDataPresetsFixed = 1u << 16;
constexpr DWORD kStatusReported = 0x4;
constexpr int kHelpTopic = 2;

// Icons of the page's statics, from the page's own icons.
struct StaticIcon {
    int control;
    int icon;
};
constexpr StaticIcon kStaticIcons[] = {
    // Paper, output paper, scaling (a magnifier), source (a tray), media, output tray, print
    // mode (sorted sets), copies and the separator sheet.
    {kPaperSizeIcon, kDocumentPaperIconId},
    {kOutputPaperSizeIcon, kOutputPaperIconId},
    {kSameAsPaperIcon, kOutputPaperIconId},
    {kScalingIcon, kMagnifierIconId},
    {kSourceIcon, kTrayIconId},
    {kMediaIcon, kMediaTypeIconId},
    {kOutputTrayIcon, kSheetOutIconId},
    {kPrintModeIcon, kSortedSetsIconId},
    {kCopiesIcon, kCopiesIconId},
    {kSeparatorIcon, kSeparatorSheetIconId},
    {kPageIcon, kCheckedSheetIconId},
};

// The page's help ids by control, ending with 0.
constexpr DWORD kHelpIds[] = {
    kPaperList, 2001, kOutputPaperList, 2002, kSameAsPaperCheck, 2003, kSubstitutionButton, 2004,
    kScalingCheck, 2005, kScaleEdit, 2005, kPortraitRadio, 2006, kLandscapeRadio, 2006,
    kSourceList, 2007, kMediaList, 2008, kFeederButton, 2009, kPrintModeList, 2010,
    kOutputTrayList, 2011, kCopiesEdit, 2012, kSeparatorCheck, 2013, kNupDownCombo, 2014,
    kNupAcrossCombo, 2014, kNupOrderFirstRadio, 2015, kNupOrderSecondRadio, 2015, 0, 0,
};

// --- Lifecycle ---

void OnInitDialog(PageRecord* page, HWND dialog) {
    UiContext& context = *page->context;
    SetControlIcon(dialog, kDocumentPaperIcon, PageIcon(page, kDocumentPaperIconId));
    SetControlIcon(dialog, kOutputPaperIcon, PageIcon(page, kOutputPaperIconId));
    QueryPrinterStatus(&context.status, context.printer, nullptr);
    UpdateStatusFlag(&context.workingBlock, &context.status, context.printer);
    PublishDsProperties(&context.workingBlock, &context.status, context.printer, context.model);
}

void OnSetActive(PageRecord* page, HWND dialog) {
    ShowScaleEdit(page, dialog);
    ShowCopiesEdit(page, dialog);
    Refresh(page, dialog);
    for (const StaticIcon& icon : kStaticIcons) SetControlIcon(dialog, icon.control, PageIcon(page, icon.icon));
    PostMessageW(dialog, kPage2SourceStateMessage, 0, 0);
    PostMessageW(dialog, kPage2PaperHintsMessage, 0, 0);
}

void OnSourceState(PageRecord* page, HWND dialog) {
    ShowPaperPresence(dialog, &page->context->status);
    WarnSourceNotInstalled(page, dialog);
}

BOOL OnCommand(PageRecord* page, HWND dialog, int control, int code) {
    if (code == BN_CLICKED) {
        switch (control) {
        case kSettingsListButton: OnSettingsList(page, dialog); return TRUE;
        case kSavePresetButton: OnSavePreset(page, dialog); return TRUE;
        case kRestoreDefaultsItem: OnRestoreDefaults(page, dialog); return TRUE;
        case kReadStatusItem: OnReadStatus(page, dialog); return TRUE;
        case kSameAsPaperCheck: OnSameAsPaper(page, dialog); return TRUE;
        case kSubstitutionButton: OnSubstitution(page, dialog); return TRUE;
        case kScalingCheck: OnScaling(page, dialog); return TRUE;
        case kPortraitRadio: OnOrientation(page, dialog, DMORIENT_PORTRAIT); return TRUE;
        case kLandscapeRadio: OnOrientation(page, dialog, DMORIENT_LANDSCAPE); return TRUE;
        case kFeederButton: OnFeeder(page, dialog); return TRUE;
        case kSeparatorCheck: OnSeparator(page, dialog); return TRUE;
        case kNupOrderFirstRadio: OnNupOrder(page, dialog, 0); return TRUE;
        case kNupOrderSecondRadio: OnNupOrder(page, dialog, 1); return TRUE;
        default: break;
        }
    }
    if (code == CBN_SETFOCUS) {
        switch (control) {
        case kPaperList: SetPageHint(page, dialog, kPaperSizeHint, kHintInfo); return TRUE;
        case kOutputPaperList: SetPageHint(page, dialog, kOutputPaperHint, kHintInfo); return TRUE;
        case kSourceList: SetPageHint(page, dialog, kPaperSourceHint, kHintInfo); return TRUE;
        case kMediaList:
        case kPrintModeList: SetPageHint(page, dialog, 0, 0); return TRUE;
        case kOutputTrayList:
            if (FinisherInstalled(Working(page))) SetPageHint(page, dialog, kOutputTrayHint, kHintInfo);
            return TRUE;
        case kNupDownCombo:
        case kNupAcrossCombo: SetPageHint(page, dialog, kNupHint, kHintInfo); return TRUE;
        default: return FALSE;
        }
    }
    if (code == CBN_SELCHANGE) {
        switch (control) {
        case kPaperList: OnPaper(page, dialog); return TRUE;
        case kOutputPaperList: OnOutputPaper(page, dialog); return TRUE;
        case kSourceList: OnSource(page, dialog); return TRUE;
        case kMediaList: OnMediaKind(page, dialog); return TRUE;
        case kPrintModeList: OnPrintMode(page, dialog); return TRUE;
        case kOutputTrayList: OnOutputTray(page, dialog); return TRUE;
        case kNupDownCombo:
        case kNupAcrossCombo: OnNupCount(page, dialog, control); return TRUE;
        default: return FALSE;
        }
    }
    if (code == EN_CHANGE && control == kScaleEdit) {
        OnScaleTyped(page, dialog);
        return TRUE;
    }
    if (code == EN_CHANGE && control == kCopiesEdit) {
        OnCopiesTyped(page, dialog);
        return TRUE;
    }
    if (code == EN_SETFOCUS && control == kCopiesEdit) {
        SetPageHint(page, dialog, kCopiesHint, kHintInfo);
        return TRUE;
    }
    return FALSE;
}

BOOL OnContextMenu(PageRecord* page, HWND dialog, HWND control, LPARAM position) {
    const UiContext& context = *page->context;
    const int menuId = (context.workingBlock.OptionFlags & kDataPresetsFixed) != 0 ? kFixedPresetsPageMenu : kPageMenu;
    HMENU menu = LoadMenuW(context.languageLibrary, MAKEINTRESOURCEW(menuId));
    if (menu == nullptr) return FALSE;
    HMENU popup = GetSubMenu(menu, 0);
    if (popup == nullptr) {
        DestroyMenu(menu);
        return FALSE;
    }
    const bool mayChange = (context.flags & kUiMayChange) != 0;
    const bool statusReported = (context.status.printerExtStatus & kStatusReported) != 0;
    EnableMenuItem(popup, kReadStatusItem, MF_BYCOMMAND | (statusReported && mayChange ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(popup, kSavePresetButton,
                   MF_BYCOMMAND | ((context.flags & (kUiMayChange | kUiMayWriteData)) == (kUiMayChange | kUiMayWriteData)
                                       ? MF_ENABLED
                                       : MF_GRAYED));
    EnableMenuItem(popup, kRestoreDefaultsItem, MF_BYCOMMAND | (mayChange ? MF_ENABLED : MF_GRAYED));
    int x = static_cast<short>(LOWORD(position));
    int y = static_cast<short>(HIWORD(position));
    if (position == -1) {
        RECT rect{};
        GetWindowRect(control != nullptr ? control : dialog, &rect);
        x = (rect.left + rect.right) / 2;
        y = (rect.top + rect.bottom) / 2;
    }
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, dialog, nullptr);
    DestroyMenu(menu);
    return TRUE;
}

INT_PTR OnNotify(PageRecord* page, HWND dialog, WPARAM wParam, LPARAM lParam) {
    const auto* note = reinterpret_cast<const NMHDR*>(lParam);
    if (note == nullptr) return FALSE;
    switch (note->code) {
    case PSN_SETACTIVE: {
        const INT_PTR handled = PageFrameDlgProc(dialog, WM_NOTIFY, wParam, lParam);
        OnSetActive(page, dialog);
        return handled;
    }
    case PSN_KILLACTIVE:
        if (CheckEdits(page, dialog)) SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
        return TRUE;
    case PSN_HELP:
        ShowPageHelpTopic(page, kHelpTopic);
        return TRUE;
    default: return PageFrameDlgProc(dialog, WM_NOTIFY, wParam, lParam);
    }
}

}  // namespace

INT_PTR DocumentPage2DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const INT_PTR result = PageFrameDlgProc(dialog, message, wParam, lParam);
        PageRecord* page = PageRecordOf(dialog);
        if (page != nullptr && page->context != nullptr) OnInitDialog(page, dialog);
        return result;
    }
    PageRecord* page = PageRecordOf(dialog);
    if (page == nullptr || page->context == nullptr) return FALSE;
    switch (message) {
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure == nullptr || measure->CtlID != static_cast<UINT>(kPreviewControl)) return FALSE;
        RECT client{};
        GetClientRect(GetDlgItem(dialog, kPreviewControl), &client);
        measure->itemWidth = static_cast<UINT>(client.right);
        measure->itemHeight = static_cast<UINT>(client.bottom > 0 ? client.bottom : 1);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw == nullptr || draw->CtlID != static_cast<UINT>(kPreviewControl)) return FALSE;
        if ((draw->itemAction & ODA_DRAWENTIRE) != 0) PaintLayoutPreview(draw, page, dialog);
        return TRUE;
    }
    case WM_NOTIFY: return OnNotify(page, dialog, wParam, lParam);
    case WM_COMMAND: return OnCommand(page, dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_CONTEXTMENU: return OnContextMenu(page, dialog, reinterpret_cast<HWND>(wParam), lParam);
    case WM_HELP: return ShowControlHelp(page, lParam, kHelpIds);
    default: break;
    }
    if (message == kPage2SourceStateMessage) {
        OnSourceState(page, dialog);
        return TRUE;
    }
    if (message == kPage2PaperHintsMessage) {
        ShowPaperPicture(page, dialog);
        return TRUE;
    }
    return PageFrameDlgProc(dialog, message, wParam, lParam);
}
