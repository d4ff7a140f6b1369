// The dialog manager's helpers for controls: items by id, text and numbers, buttons, the
// tab order and the keyboard handling of IsDialogMessageW.
#include <algorithm>
#include <string>

#include "platform/Kernel.h"
#include "platform/src/window/WindowState.h"

using namespace standin::ui::core;

namespace {

// Children of the dialog that can take the focus, in tab (Z) order.
std::vector<HWND> TabStops(HWND dialog, DWORD require) {
    std::vector<HWND> list;
    Guard guard(Lock());
    Window* w = Find(dialog);
    if (w == nullptr) return list;
    for (HWND c : w->children) {
        Window* cw = Find(c);
        if (cw != nullptr && (cw->style & WS_VISIBLE) && !(cw->style & WS_DISABLED) && (cw->style & require) == require) {
            list.push_back(c);
        }
    }
    return list;
}

UINT DialogCode(HWND control, const MSG* msg) {
    return control == nullptr ? 0 : static_cast<UINT>(SendMessageW(control, WM_GETDLGCODE, msg->wParam,
                                                                   reinterpret_cast<LPARAM>(msg)));
}

void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKELONG(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    std::vector<HWND> stops = TabStops(dialog, WS_TABSTOP);
    if (stops.empty()) return nullptr;
    auto it = std::find(stops.begin(), stops.end(), control);
    if (it == stops.end()) return previous ? stops.back() : stops.front();
    const auto n = static_cast<std::ptrdiff_t>(stops.size());
    const std::ptrdiff_t i = it - stops.begin();
    return stops[static_cast<size_t>((i + (previous ? n - 1 : 1)) % n)];
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
    // A group runs from a WS_GROUP control up to the next one.
    std::vector<HWND> all = TabStops(dialog, 0);
    auto it = std::find(all.begin(), all.end(), control);
    if (it == all.end()) return all.empty() ? nullptr : all.front();
    auto isGroupStart = [](HWND h) { return (GetWindowLongW(h, GWL_STYLE) & WS_GROUP) != 0; };
    auto first = it;
    while (first != all.begin() && !isGroupStart(*first)) --first;
    auto last = it + 1;
    while (last != all.end() && !isGroupStart(*last)) ++last;
    std::vector<HWND> group(first, last);
    auto at = std::find(group.begin(), group.end(), control);
    const auto n = static_cast<std::ptrdiff_t>(group.size());
    return group[static_cast<size_t>(((at - group.begin()) + (previous ? n - 1 : 1)) % n)];
}

BOOL IsDialogMessageW(HWND dialog, LPMSG msg) {
    if (msg == nullptr || !IsWindow(dialog)) return FALSE;
    if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
    const bool key = msg->message == WM_KEYDOWN;
    const bool chr = msg->message == WM_CHAR;
    const auto vk = static_cast<int>(msg->wParam);
    if ((key && (vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE)) ||
        (chr && (vk == 0x09 || vk == 0x0D || vk == 0x1B))) {
        HWND focus = GetFocus();
        const UINT code = DialogCode(IsChild(dialog, focus) ? focus : nullptr, msg);
        const bool wantsAll = (code & DLGC_WANTALLKEYS) != 0;
        const bool wantsTab = (code & DLGC_WANTTAB) != 0;
        const bool wanted = wantsAll || ((vk == VK_TAB || vk == 0x09) && wantsTab);
        if (!wanted) {
            if (chr) return TRUE;  // the WM_KEYDOWN already acted
            if (vk == VK_TAB) {
                const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
                HWND next = GetNextDlgTabItem(dialog, IsChild(dialog, focus) ? focus : nullptr, back ? TRUE : FALSE);
                if (next != nullptr) SetFocus(next);
            } else if (vk == VK_ESCAPE) {
                Click(dialog, IDCANCEL);
            } else {
                int id = IDOK;
                if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
                    id = GetDlgCtrlID(focus);
                } else {
                    const LRESULT def = SendMessageW(dialog, DM_GETDEFID, 0, 0);
                    if (HIWORD(def) == DC_HASDEFID) id = LOWORD(def);
                }
                Click(dialog, id);
            }
            return TRUE;
        }
    }
    TranslateMessage(msg);
    DispatchMessageW(msg);
    return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
    Guard guard(Lock());
    Window* w = FindOrFail(dialog);
    if (w == nullptr) return nullptr;
    for (HWND c : w->children) {
        Window* cw = Find(c);
        if (cw != nullptr && static_cast<int>(cw->id) == id) return c;
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
    Guard guard(Lock());
    Window* w = FindOrFail(hwnd);
    if (w == nullptr) return 0;
    return (w->style & WS_CHILD) ? static_cast<int>(w->id) : 0;
}

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
    HWND item = GetDlgItem(dialog, id);
    return item == nullptr ? FALSE : SetWindowTextW(item, text);
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int cchMax) {
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) {
        if (buffer != nullptr && cchMax > 0) buffer[0] = 0;
        return 0;
    }
    return static_cast<UINT>(GetWindowTextW(item, buffer, cchMax));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    const std::string digits =
        isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(static_cast<unsigned>(value));
    const std::u16string text(digits.begin(), digits.end());
    return SetDlgItemTextW(dialog, id, text.c_str());
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
    if (translated != nullptr) *translated = FALSE;
    WCHAR buffer[64];
    if (GetDlgItem(dialog, id) == nullptr) return 0;
    GetDlgItemTextW(dialog, id, buffer, 64);
    const std::u16string text(buffer);
    size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    bool negative = false;
    if (isSigned && i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    const size_t start = i;
    long long value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        value = value * 10 + (text[i++] - u'0');
        if (value > 0xFFFFFFFFLL) return 0;
    }
    while (i < text.size() && text[i] == u' ') ++i;
    if (i == start || i != text.size()) return 0;
    if (negative) value = -value;
    if (isSigned ? (value < -0x80000000LL || value > 0x7FFFFFFFLL) : value > 0xFFFFFFFFLL) return 0;
    if (translated != nullptr) *translated = TRUE;
    return static_cast<UINT>(value);
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND item = GetDlgItem(dialog, id);
    return item == nullptr ? 0 : SendMessageW(item, message, wParam, lParam);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) return FALSE;
    SendMessageW(item, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    return static_cast<UINT>(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
    for (int id = firstId; id <= lastId; ++id) {
        if (HWND item = GetDlgItem(dialog, id)) SendMessageW(item, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return TRUE;
}

BOOL MapDialogRect(HWND dialog, RECT* rect) {
    if (rect == nullptr || !IsWindow(dialog)) {
        SetLastError(rect == nullptr ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const SIZE units = DialogBaseUnits(dialog);
    auto sx = [&units](LONG x) { return (x * units.cx + (x >= 0 ? 2 : -2)) / 4; };
    auto sy = [&units](LONG y) { return (y * units.cy + (y >= 0 ? 4 : -4)) / 8; };
    *rect = RECT{sx(rect->left), sy(rect->top), sx(rect->right), sy(rect->bottom)};
    return TRUE;
}

LONG GetDialogBaseUnits() { return MAKELONG(STANDIN_DLG_BASE_X, STANDIN_DLG_BASE_Y); }
