// The list, the choices and the layout the two substitution dialogs share.
#include <initializer_list>

#include "platform/Controls.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/User.h"
#include "ui/dialogs/SubstDialogs.h"
#include "ui/data/SubstTable.h"

namespace {

constexpr int kStretchBelowChoices = 10;
constexpr int kColumnTextChars = 64;

HWND ListOf(HWND dialog, const SubstControls& controls) { return GetDlgItem(dialog, controls.list); }

void HideAndDisable(HWND dialog, int control) {
    const HWND window = GetDlgItem(dialog, control);
    ShowWindow(window, SW_HIDE);
    EnableWindow(window, FALSE);
}

// A window's rectangle in its dialog's client coordinates.
RECT RectInDialog(HWND dialog, HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

bool IsReadOnlySubst(const PageRecord* page) { return page != nullptr && (page->flags & kPageFlagReadOnlyTables) != 0; }

void InsertSubstColumns(HWND dialog, const SubstControls& controls, HMODULE language, UINT leftText, UINT rightText) {
    const HWND list = ListOf(dialog, controls);
    RECT rect{};
    GetWindowRect(list, &rect);
    const int width = (rect.right - rect.left - 4) / 2;
    const UINT texts[] = {leftText, rightText};
    for (int column = 0; column < 2; ++column) {
        WCHAR text[kColumnTextChars] = {};
        LoadStringW(language, texts[column], text, kColumnTextChars);
        LVCOLUMNW info{};
        info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        info.fmt = LVCFMT_LEFT;
        info.cx = width > 0 ? width : 0;
        info.pszText = text;
        info.iSubItem = column;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
    }
}

void LayoutSubstMode(HWND dialog, const SubstControls& controls, bool readOnly) {
    if (!readOnly) {
        HideAndDisable(dialog, kCloseButton);
        return;
    }
    const HWND list = ListOf(dialog, controls);
    const RECT listRect = RectInDialog(dialog, list);
    const RECT choices = RectInDialog(dialog, GetDlgItem(dialog, controls.choices));
    const int height = choices.bottom + kStretchBelowChoices - listRect.top;
    if (height > 0) MoveWindow(list, listRect.left, listRect.top, listRect.right - listRect.left, height, TRUE);
    for (int control : {controls.label, controls.name, controls.choices, IDOK, kDefaultsButton})
        HideAndDisable(dialog, control);
    ShowWindow(GetDlgItem(dialog, IDCANCEL), SW_HIDE);
}

int SubstItemCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

LPARAM SubstItemParam(HWND list, int item) {
    LVITEMW info{};
    info.mask = LVIF_PARAM;
    info.iItem = item;
    if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info))) return 0;
    return info.lParam;
}

void SetSubstItemParam(HWND list, int item, LPARAM value) {
    LVITEMW info{};
    info.mask = LVIF_PARAM;
    info.iItem = item;
    info.lParam = value;
    SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&info));
}

void GetSubstItemText(HWND list, int item, int column, LPWSTR out, int cch) {
    if (cch <= 0) return;
    out[0] = u'\0';
    LVITEMW info{};
    info.iSubItem = column;
    info.pszText = out;
    info.cchTextMax = cch;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info));
    out[cch - 1] = u'\0';
}

void SetSubstItemText(HWND list, int item, int column, LPCWSTR text) {
    LVITEMW info{};
    info.iSubItem = column;
    info.pszText = const_cast<LPWSTR>(text);
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info));
}

int AddSubstItem(HWND list, LPCWSTR text, LPARAM value) {
    LVITEMW info{};
    info.mask = LVIF_TEXT | LVIF_PARAM;
    info.iItem = SubstItemCount(list);
    info.pszText = const_cast<LPWSTR>(text);
    info.lParam = value;
    return static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&info)));
}

int FindSubstItem(HWND list, LPCWSTR name) {
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = name;
    const int found = static_cast<int>(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    if (found >= 0 || lstrlenW(name) != static_cast<int>(kSubstNameChars)) return found;
    // A longer name was stored cut to its first 63 characters.
    for (int item = 0, count = SubstItemCount(list); item < count; ++item) {
        WCHAR text[kSubstItemChars] = {};
        GetSubstItemText(list, item, 0, text, kSubstItemChars);
        if (lstrlenW(text) <= static_cast<int>(kSubstNameChars)) continue;
        text[kSubstNameChars] = u'\0';
        if (lstrcmpiW(text, name) == 0) return item;
    }
    return -1;
}

int FindSubstItemExact(HWND list, LPCWSTR name) {
    for (int item = 0, count = SubstItemCount(list); item < count; ++item) {
        WCHAR text[kSubstItemChars] = {};
        GetSubstItemText(list, item, 0, text, kSubstItemChars);
        if (lstrcmpW(text, name) == 0) return item;
    }
    return -1;
}

int FindSubstChoice(HWND dialog, const SubstControls& controls, LPCWSTR name) {
    const LRESULT found =
        SendDlgItemMessageW(dialog, controls.choices, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    return found == CB_ERR ? -1 : static_cast<int>(found);
}

int SelectedSubstItem(HWND list) {
    const int selected = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (selected >= 0) return selected;
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void ShowSubstItem(HWND dialog, const SubstControls& controls, int item) {
    const HWND list = ListOf(dialog, controls);
    WCHAR text[kSubstItemChars] = {};
    GetSubstItemText(list, item, 0, text, kSubstItemChars);
    SetDlgItemTextW(dialog, controls.name, text);
    SendDlgItemMessageW(dialog, controls.choices, CB_SETCURSEL, static_cast<WPARAM>(SubstItemParam(list, item)), 0);
}

void RefreshSubstLists(HWND dialog, const SubstControls& controls) {
    const HWND list = ListOf(dialog, controls);
    const int count = SubstItemCount(list);
    for (int item = 0; item < count; ++item) {
        const LPARAM entry = SubstItemParam(list, item);
        WCHAR text[kSubstItemChars] = {};
        const LRESULT length = entry >= 0 ? SendDlgItemMessageW(dialog, controls.choices, CB_GETLBTEXTLEN, static_cast<WPARAM>(entry), 0) : CB_ERR;
        if (length != CB_ERR && length < kSubstItemChars) {
            SendDlgItemMessageW(dialog, controls.choices, CB_GETLBTEXT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(text));
        }
        SetSubstItemText(list, item, 1, text);
    }
    if (count == 0) return;
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
    ShowSubstItem(dialog, controls, 0);
}

void SetSelectedSubstChoice(HWND dialog, const SubstControls& controls, int entry) {
    const HWND list = ListOf(dialog, controls);
    const int item = SelectedSubstItem(list);
    if (item < 0 || entry < 0) return;
    WCHAR text[kSubstItemChars] = {};
    const LRESULT length = SendDlgItemMessageW(dialog, controls.choices, CB_GETLBTEXTLEN, static_cast<WPARAM>(entry), 0);
    if (length != CB_ERR && length < kSubstItemChars) {
        SendDlgItemMessageW(dialog, controls.choices, CB_GETLBTEXT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(text));
    }
    SetSubstItemText(list, item, 1, text);
    SetSubstItemParam(list, item, entry);
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
}
