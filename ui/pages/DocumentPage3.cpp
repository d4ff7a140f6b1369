// Document page three's dialog procedure: the tree's notifications, the page's activation,
// its buttons and context menu, the owner text and its checks. The frame (PageFrameDlgProc)
// keeps the page record, puts the tree in place, marks the block while the page is active and
// hands the block back at apply.
#include <algorithm>
#include <iterator>

#include "platform/Kernel.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "ui/pages/DocumentPage3Internal.h"
#include "ui/data/HalftoneAdjustments.h"
#include "ui/data/OverlayForm.h"
#include "ui/pages/PageCommon.h"
#include "ui/dialogs/PositionDialog.h"
#include "ui/dialogs/PresetDialog.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/tree/SettingsTree.h"
#include "ui/status/StatusQuery.h"
#include "ui/dialogs/SubstDialogs.h"
#include "ui/dialogs/TreeDialogs.h"
#include "ui/entry/UiInstance.h"

namespace page3 {
namespace {

constexpr int kPageIconId = kSettingsTabIconId;
constexpr DWORD kHelpContext = 3;
constexpr DWORD kOwnerTextBit = 1u << 22;
constexpr DWORD kFixedPresetsBit = 1u << 16;  // data word: menu kFixedPresetsPageMenu in place of kPageMenu
constexpr DWORD kPageFlagTreeDialog = kPageFlagTreeLayout;
// The first 17 bytes of a name are what the printer takes; the ANSI text may hold 34.
constexpr int kNameBytes = 17;
constexpr int kNameAnsiBytes = 34;

constexpr WPARAM CommandWord(int id, int code) {
    return static_cast<WPARAM>((static_cast<DWORD>(code) << 16) | (static_cast<DWORD>(id) & 0xFFFFu));
}

// A button item's sub-dialog; its result, 0 for no change.
INT_PTR OpenItemDialog(PageRecord* page, HWND dialog, int itemId) {
    switch (itemId) {
    case kColourAdjustmentTreeItem: return AdjustDocumentColor(page);
    case kPrintPositionTreeItem: return ShowPrintPositionDialog(page, dialog);
    case kFormOverlayTreeItem: return OpenFormOverlayDialog(page, dialog);
    case kReadPrinterStatusTreeItem: return ShowStatusWaitBox(page, dialog);
    default: return 0;
    }
}

// The item's controls built again from the block; none when the tree has no selection.
void ShowSelectionAgain(PageRecord* page, HWND dialog) {
    if (page->tree == nullptr) return;
    ReselectTreeItem(page);
    if (SelectedTreeItem(page) == 0) ShowItem(page, dialog, 0);
}

void OnInitDialog(PageRecord* page, HWND dialog) {
    UiContext* context = page->context;
    StateOf(dialog, page);
    QueryPrinterStatus(&context->status, context->printer, nullptr);
    UpdateStatusFlag(&context->workingBlock, &context->status, context->printer);
    PublishDsProperties(&context->workingBlock, &context->status, context->printer, context->model);
}

void OnSetActive(PageRecord* page, HWND dialog) {
    SendDlgItemMessageW(dialog, kItemText, EM_LIMITTEXT, kOwnerTextChars, 0);
    ShowSelectionAgain(page, dialog);
    SetControlIcon(dialog, kPageIcon, LoadIconW(UiLibraryInstance(), MAKEINTRESOURCEW(kPageIconId)));
    SetPageHint(page, dialog, 0, 0);
    CheckAnsiNameField(dialog, page, NameFieldCheck::SelectItem);
}

void OnDoubleClick(PageRecord* page, HWND dialog) {
    const State* state = StateOf(dialog, page);
    const Item* item = state != nullptr ? FindItem(state->shownItem) : nullptr;
    if (item == nullptr) return;
    if (item->kind == ItemKind::Button && IsWindowEnabled(GetDlgItem(dialog, kItemButton))) {
        PostMessageW(dialog, WM_COMMAND, CommandWord(kItemButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, kItemButton)));
        return;
    }
    const bool listItem =
        item->kind == ItemKind::Choice || item->kind == ItemKind::Resolution || item->kind == ItemKind::OwnerText;
    HWND list = GetDlgItem(dialog, kItemList);
    if (!listItem || !IsWindowEnabled(list)) return;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (count <= 0) return;
    const auto next = (SendMessageW(list, LB_GETCURSEL, 0, 0) + 1) % count;
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(next), 0);
    PostMessageW(dialog, WM_COMMAND, CommandWord(kItemList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// The notifications the page answers itself; false for those that go on to the frame.
bool OnNotify(PageRecord* page, HWND dialog, const NMHDR* note, INT_PTR* handled) {
    switch (note->code) {
    case TVN_SELCHANGINGW: {
        const auto* change = reinterpret_cast<const NMTREEVIEWW*>(note);
        const bool leavingOwnerText =
            TreeItemId(change->itemOld.lParam) == kOwnerTextTreeItem && change->itemOld.hItem != nullptr;
        const bool refused = leavingOwnerText && !CheckOwnerText(page, dialog, true);
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, refused ? 1 : 0);
        *handled = TRUE;
        return true;
    }
    case TVN_SELCHANGEDW: {
        const auto* change = reinterpret_cast<const NMTREEVIEWW*>(note);
        ShowItem(page, dialog, change->itemNew.hItem != nullptr ? TreeItemId(change->itemNew.lParam) : 0);
        *handled = TRUE;
        return true;
    }
    case NM_DBLCLK:
        if (note->hwndFrom != page->tree) return false;
        OnDoubleClick(page, dialog);
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
        *handled = TRUE;
        return true;
    case PSN_KILLACTIVE:
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, CheckOwnerText(page, dialog, false) ? 0 : 1);
        *handled = TRUE;
        return true;
    case PSN_RESET:
        *handled = TRUE;
        return true;
    case PSN_HELP:
        ShowPageHelpTopic(page, kHelpContext);
        *handled = TRUE;
        return true;
    default: return false;
    }
}

void OnContextMenu(PageRecord* page, HWND dialog, HWND control, LPARAM point) {
    UiContext* context = page->context;
    int x = static_cast<short>(LOWORD(static_cast<DWORD>(point)));
    int y = static_cast<short>(HIWORD(static_cast<DWORD>(point)));
    if (point == -1) {  // from the keyboard: the control's centre
        RECT rect{};
        GetWindowRect(control, &rect);
        x = (rect.left + rect.right) / 2;
        y = (rect.top + rect.bottom) / 2;
    }
    const bool fixedPresets = (context->workingBlock.OptionFlags & kFixedPresetsBit) != 0;
    HMENU menu = LoadMenuW(context->languageLibrary, MAKEINTRESOURCEW(fixedPresets ? kFixedPresetsPageMenu : kPageMenu));
    if (menu == nullptr) return;
    HMENU popup = GetSubMenu(menu, 0);
    if (!fixedPresets) {
        const bool mayChange = (context->flags & kUiMayChange) != 0;
        const bool mayWrite = (context->flags & kUiMayWriteData) != 0;
        const bool reported = (context->status.printerExtStatus & kExtStatusKnown) != 0;
        EnableMenuItem(popup, kReadStatusItem, MF_BYCOMMAND | (reported && mayChange ? MF_ENABLED : MF_GRAYED));
        EnableMenuItem(popup, kSavePresetButton, MF_BYCOMMAND | (mayChange && mayWrite ? MF_ENABLED : MF_GRAYED));
        EnableMenuItem(popup, kRestoreDefaultsItem, MF_BYCOMMAND | (mayChange ? MF_ENABLED : MF_GRAYED));
    }
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, x, y, 0, dialog, nullptr);
    DestroyMenu(menu);
    if (State* state = StateOf(dialog, page)) state->menuControl = control;
}

void RestorePageDefaults(PageRecord* page, HWND dialog) {
    const int restored = RestoreDefaults(page, dialog);
    page->context->workingBlock.OptionFlags |= kOptionPageActive;
    if (restored == 0) return;
    OnSettingChanged(page, dialog, 0, TRUE);
    SelectTreeRoot(page);
    ShowSelectionAgain(page, dialog);
    CheckAnsiNameField(dialog, page, NameFieldCheck::SelectItem);
    SetPageHint(page, dialog, kDefaultsRestoredHint, kHintInfo);
}

void OnCommand(PageRecord* page, HWND dialog, int id, int code) {
    switch (id) {
    case kItemList:
        if (code == LBN_SELCHANGE) ChooseEntry(page, dialog);
        return;
    case kItemText:
        if (code == EN_UPDATE) ReadOwnerTextField(page, dialog);
        return;
    case kItemButton: {
        const State* state = StateOf(dialog, page);
        const int item = state != nullptr ? state->shownItem : 0;
        const INT_PTR result = OpenItemDialog(page, dialog, item);
        OnSettingChanged(page, dialog, 0, result > 0 ? TRUE : FALSE);
        ShowItem(page, dialog, item);
        return;
    }
    case kItemSecondButton:
        page->flags |= kPageFlagReadOnlyTables;
        ShowTTSubstDialog(page, dialog, kTTSubstDocumentTemplate);
        return;
    case kDefaultsButton:
    case kRestoreDefaultsItem: RestorePageDefaults(page, dialog); return;
    case kSettingsListButton:
        if (!CheckOwnerText(page, dialog, false)) return;
        page->flags |= kPageFlagTreeDialog;
        ShowSettingsTreeDialog(page, dialog);
        page->flags &= ~kPageFlagTreeDialog;
        return;
    case kSavePresetButton: {
        if (!CheckOwnerText(page, dialog, false)) return;
        const INT_PTR result = DialogBoxParamW(page->context->languageLibrary, MAKEINTRESOURCEW(kPresetDialogTemplate),
                                               dialog, PresetDlgProc, reinterpret_cast<LPARAM>(page));
        if (result > 0) {
            OnSettingChanged(page, dialog, 0, TRUE);
            ShowSelectionAgain(page, dialog);
        }
        return;
    }
    case kReadStatusItem: {
        const INT_PTR result = ShowStatusWaitBox(page, dialog);
        OnSettingChanged(page, dialog, 0, result > 0 ? TRUE : FALSE);
        return;
    }
    default: return;
    }
}

// The ANSI bytes of at most the first 17 characters of the text, terminated.
void ToAnsiName(LPCWSTR text, size_t cchText, char (&out)[kNameAnsiBytes + 1]) {
    size_t chars = 0;
    while (chars < cchText && chars < static_cast<size_t>(kNameBytes) && text[chars] != u'\0') ++chars;
    std::fill(std::begin(out), std::end(out), '\0');
    if (chars == 0) return;
    const int cb = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(chars), out, kNameAnsiBytes, nullptr, nullptr);
    out[std::clamp(cb, 0, kNameAnsiBytes)] = '\0';
}

}  // namespace

State* StateOf(HWND dialog, PageRecord* page) {
    if (dialog == nullptr || page == nullptr || page->context == nullptr) return nullptr;
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    if (state != nullptr) return state;
    // The pool outlives the page window; the block goes with the sheet.
    state = static_cast<State*>(UiPoolAlloc(page->context->pool, sizeof(State)));
    if (state != nullptr) SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    return state;
}

void ReadOwnerTextField(PageRecord* page, HWND dialog) {
    DriverDevMode& block = page->context->workingBlock;
    if ((block.FeatureFlags & kOwnerTextBit) == 0) return;
    // The field holds 16 characters and the terminator, whatever the edit was given.
    WCHAR text[kOwnerTextChars + 1] = {};
    GetDlgItemTextW(dialog, kItemText, text, kOwnerTextChars + 1);
    WCHAR field[std::size(DriverDevMode{}.UserName2)] = {};
    std::copy(std::begin(text), std::end(text), field);
    if (std::equal(std::begin(field), std::end(field), std::begin(block.UserName2))) return;
    std::copy(std::begin(field), std::end(field), block.UserName2);
    OnSettingChanged(page, dialog, kOwnerTextTreeItem, TRUE);
}

bool CheckOwnerText(PageRecord* page, HWND dialog, bool post) {
    DriverDevMode& block = page->context->workingBlock;
    if ((block.FeatureFlags & kOwnerTextBit) == 0) return true;
    WCHAR text[kNameBytes + 1] = {};
    GetDlgItemTextW(dialog, kItemText, text, kNameBytes + 1);
    if (HasRefusedNameByte(text, std::size(text))) {
        ShowPageWarning(page, dialog, kOwnerTextCharactersMessage);
        if (post) {
            PostMessageW(dialog, kFocusOwnerTextMessage, 0, 0);
        } else {
            SetFocus(GetDlgItem(dialog, kItemText));
            SendDlgItemMessageW(dialog, kItemText, EM_SETSEL, 0, -1);
        }
        return false;
    }
    // The text passes through the ANSI code page as the printer gets it.
    char ansi[kNameAnsiBytes + 1];
    ToAnsiName(text, std::size(text), ansi);
    WCHAR wide[kNameAnsiBytes + 1] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, kNameAnsiBytes);
    wide[kOwnerTextChars] = u'\0';
    std::fill(std::begin(block.UserName2), std::end(block.UserName2), u'\0');
    std::copy_n(wide, kOwnerTextChars, block.UserName2);
    return true;
}

}  // namespace page3

using namespace page3;

INT_PTR DocumentPage3DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const INT_PTR result = PageFrameDlgProc(dialog, message, wParam, lParam);
        PageRecord* page = PageRecordOf(dialog);
        if (page != nullptr && page->context != nullptr) OnInitDialog(page, dialog);
        return result;
    }
    PageRecord* page = PageRecordOf(dialog);
    if (page == nullptr || page->context == nullptr) return PageFrameDlgProc(dialog, message, wParam, lParam);
    switch (message) {
    case WM_NOTIFY: {
        const auto* note = reinterpret_cast<const NMHDR*>(lParam);
        if (note == nullptr) return FALSE;
        INT_PTR handled = FALSE;
        if (OnNotify(page, dialog, note, &handled)) return handled;
        if (note->code != PSN_SETACTIVE) return PageFrameDlgProc(dialog, message, wParam, lParam);
        // The frame keeps the sheet, marks the block and runs the resolver and the tree first.
        const INT_PTR result = PageFrameDlgProc(dialog, message, wParam, lParam);
        OnSetActive(page, dialog);
        return result;
    }
    case WM_COMMAND:
        OnCommand(page, dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_DRAWITEM:
        return DrawListItem(page, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_CONTEXTMENU:
        OnContextMenu(page, dialog, reinterpret_cast<HWND>(wParam), lParam);
        return TRUE;
    case WM_HELP: {
        const State* state = StateOf(dialog, page);
        return state != nullptr ? ShowControlHelp(page, lParam, state->helpIds) : FALSE;
    }
    case kFocusOwnerTextMessage:
        SetFocus(GetDlgItem(dialog, kItemText));
        SendDlgItemMessageW(dialog, kItemText, EM_SETSEL, 0, -1);
        return TRUE;
    case kNameFieldWarningMessage: {
        ShowPageWarning(page, dialog, kUserNameCharactersMessage);
        HWND list = GetDlgItem(dialog, kItemList);
        SendMessageW(list, LB_SETCURSEL, 0, 0);
        PostMessageW(dialog, WM_COMMAND, CommandWord(kItemList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        return TRUE;
    }
    default: return PageFrameDlgProc(dialog, message, wParam, lParam);
    }
}
