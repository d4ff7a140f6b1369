// The "ComboBox" class: a drop-down list (CBS_DROPDOWNLIST) or an edit field with a list
// (CBS_DROPDOWN, whose edit is a child "Edit" with id 1001). The list itself is never shown:
// a user's choice arrives as keys or through standin::ui::ChooseComboItem.
#include <algorithm>

#include "platform/StandInControls.h"
#include "platform/src/ControlClasses.h"
#include "platform/src/window/ControlSupport.h"

namespace standin::controls {
namespace {

constexpr int kEditId = 1001;

struct ComboState : ControlBase {
    ItemList list;
    int current = -1;
    int top = 0;  // first item of the list when it drops down
    int itemHeight = 16;
    bool ownerDraw = false;
    bool dropped = false;
    HWND edit = nullptr;
};

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }
bool HasEdit(DWORD style) { return (style & 3u) == CBS_DROPDOWN || (style & 3u) == CBS_SIMPLE; }

UINT ChooseMessage() {
    static const UINT id = RegisterWindowMessageW(u"StandInChooseComboItem");
    return id;
}

// The shown text follows the selection: the edit's text, or the window text of a list.
void ShowSelection(HWND hwnd, ComboState& s) {
    const std::u16string text =
        s.current >= 0 && s.list.hasStrings ? s.list.items[static_cast<size_t>(s.current)].text : std::u16string();
    if (s.edit != nullptr) {
        SetWindowTextW(s.edit, text.c_str());
    } else {
        DefWindowProcW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    InvalidateRect(hwnd, nullptr, TRUE);
}

void PaintCombo(HWND hwnd, ComboState& s) {
    PaintScope paint(hwnd, s.font);
    HDC hdc = paint.Dc();
    if (hdc == nullptr) return;
    const RECT client = paint.Client();
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    FillSolid(hdc, client, GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    DrawEdge3d(hdc, client, true);
    // The drop button at the right with its arrow.
    const int button = GetSystemMetrics(SM_CXVSCROLL);
    RECT arrow{client.right - 2 - button, client.top + 2, client.right - 2, client.bottom - 2};
    FillSolid(hdc, arrow, GetSysColor(COLOR_BTNFACE));
    DrawEdge3d(hdc, arrow, false);
    const int cx = (arrow.left + arrow.right) / 2, cy = (arrow.top + arrow.bottom) / 2;
    for (int i = 0; i < 4; ++i) {
        FillSolid(hdc, RECT{cx - 3 + i, cy - 1 + i, cx + 4 - i, cy + i}, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    }
    if (s.edit != nullptr) return;  // the edit child shows the text
    RECT field{client.left + 3, client.top + 3, arrow.left - 1, client.bottom - 3};
    if (s.ownerDraw) {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_COMBOBOX;
        item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
        item.itemID = static_cast<UINT>(s.current);
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = 0x1000 /* ODS_COMBOBOXEDIT */ | (s.focused ? ODS_SELECTED | ODS_FOCUS : 0) |
                         (enabled ? 0 : ODS_DISABLED);
        item.hwndItem = hwnd;
        item.hDC = hdc;
        item.rcItem = field;
        item.itemData = s.current >= 0 ? s.list.items[static_cast<size_t>(s.current)].data : 0;
        SendMessageW(GetParent(hwnd), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
        return;
    }
    if (s.focused) FillSolid(hdc, field, GetSysColor(COLOR_HIGHLIGHT));
    const COLORREF color = GetSysColor(!enabled ? COLOR_GRAYTEXT : s.focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    if (s.current >= 0) {
        DrawTextIn(hdc, s.list.items[static_cast<size_t>(s.current)].text, RECT{field.left + 1, field.top, field.right, field.bottom},
                   DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, color);
    }
}

// A choice made by the user: the notifications a real drop-down sends around it.
void UserChoose(HWND hwnd, ComboState& s, int index, bool throughList) {
    if (index < 0 || static_cast<size_t>(index) >= s.list.items.size()) return;
    if (throughList) NotifyCommand(hwnd, CBN_DROPDOWN);
    const bool changed = index != s.current;
    s.current = index;
    ShowSelection(hwnd, s);
    if (changed) NotifyCommand(hwnd, CBN_SELCHANGE);
    if (throughList) {
        NotifyCommand(hwnd, CBN_SELENDOK);
        NotifyCommand(hwnd, CBN_CLOSEUP);
    }
}

LRESULT ComboMessage(HWND hwnd, ComboState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    const int count = static_cast<int>(s.list.items.size());
    switch (message) {
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
        const int at = message == CB_ADDSTRING ? s.list.Add(lParam) : s.list.Insert(static_cast<int>(wParam), lParam);
        if (at < 0) return CB_ERR;
        if (s.current >= at) ++s.current;
        return at;
    }
    case CB_DELETESTRING:
        if (!s.list.Valid(wParam)) return CB_ERR;
        s.list.items.erase(s.list.items.begin() + static_cast<std::ptrdiff_t>(wParam));
        if (s.current == static_cast<int>(wParam)) {
            s.current = -1;
            ShowSelection(hwnd, s);
        } else if (s.current > static_cast<int>(wParam)) {
            --s.current;
        }
        return count - 1;
    case CB_RESETCONTENT:
        s.list.items.clear();
        s.current = -1;
        s.top = 0;
        ShowSelection(hwnd, s);
        return CB_OKAY;
    case CB_GETCOUNT: return count;
    case CB_SETCURSEL:
        if (!s.list.Valid(wParam)) {
            s.current = -1;
            ShowSelection(hwnd, s);
            return CB_ERR;
        }
        s.current = static_cast<int>(wParam);
        ShowSelection(hwnd, s);
        return s.current;
    case CB_GETCURSEL: return s.current;
    case CB_GETTOPINDEX: return s.top;
    case CB_SETTOPINDEX:
        if (!s.list.Valid(wParam)) return CB_ERR;
        s.top = static_cast<int>(wParam);
        return CB_OKAY;
    case CB_GETLBTEXT:
        if (!s.list.Valid(wParam) || lParam == 0) return CB_ERR;
        if (!s.list.hasStrings) {
            *reinterpret_cast<ULONG_PTR*>(lParam) = s.list.items[wParam].data;
            return sizeof(ULONG_PTR);
        }
        return CopyText(s.list.items[wParam].text, reinterpret_cast<LPWSTR>(lParam),
                        static_cast<int>(s.list.items[wParam].text.size()) + 1);
    case CB_GETLBTEXTLEN:
        if (!s.list.Valid(wParam)) return CB_ERR;
        return s.list.hasStrings ? static_cast<LRESULT>(s.list.items[wParam].text.size()) : sizeof(ULONG_PTR);
    case CB_GETITEMDATA: return s.list.Valid(wParam) ? static_cast<LRESULT>(s.list.items[wParam].data) : CB_ERR;
    case CB_SETITEMDATA:
        if (!s.list.Valid(wParam)) return CB_ERR;
        s.list.items[wParam].data = static_cast<ULONG_PTR>(lParam);
        return CB_OKAY;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
        return s.list.Find(static_cast<int>(wParam), reinterpret_cast<LPCWSTR>(lParam), message == CB_FINDSTRINGEXACT);
    case CB_SELECTSTRING: {
        const int found = s.list.Find(static_cast<int>(wParam), reinterpret_cast<LPCWSTR>(lParam), false);
        if (found >= 0) {
            s.current = found;
            ShowSelection(hwnd, s);
        }
        return found;
    }
    case CB_SHOWDROPDOWN:
        if ((wParam != 0) != s.dropped) {
            s.dropped = wParam != 0;
            NotifyCommand(hwnd, s.dropped ? CBN_DROPDOWN : CBN_CLOSEUP);
        }
        return TRUE;
    case CB_GETDROPPEDSTATE: return s.dropped ? TRUE : FALSE;
    case CB_GETITEMHEIGHT: return s.itemHeight;
    case CB_SETITEMHEIGHT: s.itemHeight = LOWORD(lParam); return CB_OKAY;
    case CB_LIMITTEXT:
        if (s.edit != nullptr) SendMessageW(s.edit, EM_LIMITTEXT, wParam, 0);
        return TRUE;
    default:
        if (message == ChooseMessage()) {
            UserChoose(hwnd, s, static_cast<int>(wParam), true);
            return s.current == static_cast<int>(wParam) ? TRUE : FALSE;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT ComboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* s = new ComboState();
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        const DWORD style = cs != nullptr ? static_cast<DWORD>(cs->style) : 0;
        s->ownerDraw = (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0;
        s->list.hasStrings = !s->ownerDraw || (style & CBS_HASSTRINGS);
        s->list.sorted = (style & CBS_SORT) != 0;
        Attach(hwnd, s);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (message == WM_SETFONT) {
        if (auto* s = StateOf<ComboState>(hwnd); s != nullptr && s->edit != nullptr) {
            SendMessageW(s->edit, WM_SETFONT, wParam, lParam);
        }
    }
    if (CommonMessage(hwnd, message, wParam, lParam, &result)) return result;
    ComboState* s = StateOf<ComboState>(hwnd);
    if (s == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_CREATE: {
        // The window keeps the height of its selection field; the template's height is the
        // dropped list's.
        s->itemHeight = LineHeight(hwnd, s->font);
        if (s->ownerDraw) {
            MEASUREITEMSTRUCT measure{};
            measure.CtlType = ODT_COMBOBOX;
            measure.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
            measure.itemHeight = static_cast<UINT>(s->itemHeight);
            SendMessageW(GetParent(hwnd), WM_MEASUREITEM, measure.CtlID, reinterpret_cast<LPARAM>(&measure));
            if (measure.itemHeight > 0 && measure.itemHeight < 256) s->itemHeight = static_cast<int>(measure.itemHeight);
        }
        RECT rect{};
        GetClientRect(hwnd, &rect);
        const int height = s->itemHeight + 8;
        SetWindowPos(hwnd, nullptr, 0, 0, rect.right, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (HasEdit(StyleOf(hwnd))) {
            const int button = GetSystemMetrics(SM_CXVSCROLL);
            const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            s->edit = CreateWindowExW(0, u"Edit", u"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 3, 3,
                                      std::max(1, static_cast<int>(rect.right) - button - 6), height - 6, hwnd,
                                      reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(kEditId)),
                                      cs != nullptr ? cs->hInstance : nullptr, nullptr);
        }
        return 0;
    }
    case WM_PAINT: PaintCombo(hwnd, *s); return 0;
    case WM_COMMAND:
        // The edit child's notifications become the combo box's own.
        if (s->edit != nullptr && reinterpret_cast<HWND>(lParam) == s->edit) {
            switch (HIWORD(wParam)) {
            case EN_CHANGE: NotifyCommand(hwnd, CBN_EDITCHANGE); break;
            case EN_UPDATE: NotifyCommand(hwnd, 6 /* CBN_EDITUPDATE */); break;
            case EN_SETFOCUS: NotifyCommand(hwnd, CBN_SETFOCUS); break;
            case EN_KILLFOCUS: NotifyCommand(hwnd, CBN_KILLFOCUS); break;
            default: break;
            }
        }
        return 0;
    case WM_SETTEXT:
        if (s->edit != nullptr) return SetWindowTextW(s->edit, reinterpret_cast<LPCWSTR>(lParam));
        return CB_ERR;  // a drop-down list shows only its items
    case WM_GETTEXT:
        if (s->edit != nullptr) return GetWindowTextW(s->edit, reinterpret_cast<LPWSTR>(lParam), static_cast<int>(wParam));
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_GETTEXTLENGTH:
        if (s->edit != nullptr) return GetWindowTextLengthW(s->edit);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SETFOCUS:
        if (s->edit != nullptr) {
            SetFocus(s->edit);  // the edit reports EN_SETFOCUS, passed on as CBN_SETFOCUS
            return 0;
        }
        s->focused = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyCommand(hwnd, CBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        if (s->edit != nullptr) return 0;
        s->focused = false;
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyCommand(hwnd, CBN_KILLFOCUS);
        return 0;
    case WM_LBUTTONDOWN:
        if (GetFocus() != hwnd && GetFocus() != s->edit) SetFocus(hwnd);
        return 0;
    case WM_KEYDOWN: {
        const int count = static_cast<int>(s->list.items.size());
        if (wParam == VK_DOWN) UserChoose(hwnd, *s, std::min(s->current + 1, count - 1), false);
        else if (wParam == VK_UP) UserChoose(hwnd, *s, std::max(s->current - 1, 0), false);
        return 0;
    }
    case WM_ENABLE:
        if (s->edit != nullptr) EnableWindow(s->edit, static_cast<BOOL>(wParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default: return ComboMessage(hwnd, *s, message, wParam, lParam);
    }
}

const bool kComboListed =
    standin::ui::AddBuiltinClass({u"ComboBox", DLGITEM_COMBOBOX, ComboProc, CS_DBLCLKS, kStateBytes});

}  // namespace
}  // namespace standin::controls

namespace standin::ui {

bool ChooseComboItem(HWND combo, int index) {
    return SendMessageW(combo, controls::ChooseMessage(), static_cast<WPARAM>(index), 0) != FALSE;
}

}  // namespace standin::ui
