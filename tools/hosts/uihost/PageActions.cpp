#include "tools/hosts/uihost/PageActions.h"

#include <cstring>

#include "platform/PropSheet.h"
#include "platform/StandInControls.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"

namespace uihost {
namespace {

HTREEITEM NextItem(HWND tree, UINT relation, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// The item whose id is `itemId` among `from`, its siblings after it and their children.
HTREEITEM FindItem(HWND tree, HTREEITEM from, int itemId) {
    for (HTREEITEM item = from; item != nullptr; item = NextItem(tree, TVGN_NEXT, item)) {
        TVITEMW data{};
        data.mask = TVIF_HANDLE | TVIF_PARAM;
        data.hItem = item;
        if (SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)) != 0 &&
            static_cast<int>(data.lParam & 0xFFFF) == itemId) {
            return item;
        }
        if (HTREEITEM found = FindItem(tree, NextItem(tree, TVGN_CHILD, item), itemId)) return found;
    }
    return nullptr;
}

}  // namespace

HWND CurrentPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

HWND OpenTab(HWND sheet, int index, int marker) {
    if (!standin::ui::ClickSheetTab(sheet, index)) return nullptr;
    HWND page = CurrentPage(sheet);
    return page != nullptr && GetDlgItem(page, marker) != nullptr ? page : nullptr;
}

void Click(HWND control) { standin::ui::ClickAt(control, 3, 3); }

bool ChooseByData(HWND combo, LPARAM data) {
    const auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == data) {
            return standin::ui::ChooseComboItem(combo, i);
        }
    }
    return false;
}

bool ChooseByText(HWND combo, const std::u16string& text) {
    const auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        WCHAR item[128] = {};
        if (SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) >= 128) continue;
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        if (text == item) return standin::ui::ChooseComboItem(combo, i);
    }
    return false;
}

LPARAM CurrentData(HWND combo) {
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return index < 0 ? -1 : SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}

void TypeOver(HWND edit, const std::u16string& text) {
    SendMessageW(edit, EM_SETSEL, 0, -1);
    standin::ui::TypeText(edit, text);
}

bool ClickListViewItem(HWND list, const std::u16string& text) {
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = text.c_str();
    const auto item =
        static_cast<int>(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    if (item < 0) return false;
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
    RECT bounds{};
    bounds.left = LVIR_ICON;
    if (SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&bounds)) == 0) {
        return false;
    }
    standin::ui::ClickAt(list, (bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
    return SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == item;
}

HWND SettingsTreeOf(HWND page) {
    for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        WCHAR name[64] = {};
        GetClassNameW(child, name, 64);
        if (GetDlgCtrlID(child) == kTreePlaceholder && std::u16string(name) == WC_TREEVIEWW) return child;
    }
    return nullptr;
}

bool ClickTreeItem(HWND page, int itemId) {
    HWND tree = SettingsTreeOf(page);
    if (tree == nullptr) return false;
    HTREEITEM item = FindItem(tree, NextItem(tree, TVGN_ROOT, nullptr), itemId);
    if (item == nullptr) return false;
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    // The item's handle goes in where its rectangle comes back.
    RECT rect{};
    std::memcpy(&rect, &item, sizeof item);
    if (SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)) == 0) return false;
    standin::ui::ClickAt(tree, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return NextItem(tree, TVGN_CARET, nullptr) == item;
}

LPARAM ClickListEntry(HWND page, int listId, const std::function<bool(LPARAM data)>& wanted) {
    HWND list = GetDlgItem(page, listId);
    if (list == nullptr || !IsWindowVisible(list) || !IsWindowEnabled(list)) return -1;
    const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const LPARAM data = SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0);
        if (!wanted(data)) continue;
        SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(i), 0);
        RECT rect{};
        if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rect)) == LB_ERR) {
            return -1;
        }
        standin::ui::ClickAt(list, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        return SendMessageW(list, LB_GETCURSEL, 0, 0) == i ? data : -1;
    }
    return -1;
}

LPARAM SelectedEntry(HWND page, int listId) {
    HWND list = GetDlgItem(page, listId);
    const LRESULT index = list != nullptr ? SendMessageW(list, LB_GETCURSEL, 0, 0) : LB_ERR;
    return index < 0 ? -1 : SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}

void PumpMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace uihost
