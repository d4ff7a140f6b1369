// The "ListBox" class: a scrolled list of strings (or owner-drawn items) with one selection
// (or several with LBS_MULTIPLESEL / LBS_EXTENDEDSEL).
#include <algorithm>

#include "platform/src/ControlClasses.h"
#include "platform/src/window/ControlSupport.h"

namespace standin::controls {
namespace {

struct ListBoxState : ControlBase {
    ItemList list;
    int current = -1;  // the selection of a single-selection list, the caret of a multiple one
    int top = 0;
    int itemHeight = 16;
    bool ownerDraw = false;
    bool multiple = false;
};

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

RECT ItemRect(HWND hwnd, const ListBoxState& s, int index) {
    RECT client{};
    GetClientRect(hwnd, &client);
    const int y = (index - s.top) * s.itemHeight;
    return RECT{0, y, client.right, y + s.itemHeight};
}

bool IsSelected(const ListBoxState& s, int index) {
    if (index < 0 || static_cast<size_t>(index) >= s.list.items.size()) return false;
    return s.multiple ? s.list.items[static_cast<size_t>(index)].selected : index == s.current;
}

void DrawOne(HWND hwnd, ListBoxState& s, HDC hdc, int index, UINT action) {
    const RECT rect = ItemRect(hwnd, s, index);
    const bool selected = IsSelected(s, index);
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    if (s.ownerDraw) {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_LISTBOX;
        item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
        item.itemID = static_cast<UINT>(index);
        item.itemAction = action;
        item.itemState = (selected ? ODS_SELECTED : 0) | (enabled ? 0 : ODS_DISABLED) |
                         (s.focused && index == s.current ? ODS_FOCUS : 0);
        item.hwndItem = hwnd;
        item.hDC = hdc;
        item.rcItem = rect;
        item.itemData = s.list.items[static_cast<size_t>(index)].data;
        SendMessageW(GetParent(hwnd), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
        return;
    }
    FillSolid(hdc, rect, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const COLORREF color = GetSysColor(!enabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    DrawTextIn(hdc, s.list.items[static_cast<size_t>(index)].text, RECT{rect.left + 2, rect.top, rect.right, rect.bottom},
               DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, color);
    if (s.focused && index == s.current) DrawFocusRect(hdc, &rect);
}

void PaintList(HWND hwnd, ListBoxState& s) {
    PaintScope paint(hwnd, s.font);
    HDC hdc = paint.Dc();
    if (hdc == nullptr) return;
    const RECT client = paint.Client();
    FillSolid(hdc, client, GetSysColor(COLOR_WINDOW));
    for (int i = s.top; i < static_cast<int>(s.list.items.size()); ++i) {
        if ((i - s.top) * s.itemHeight >= client.bottom) break;
        DrawOne(hwnd, s, hdc, i, ODA_DRAWENTIRE);
    }
}

// An owner-drawn list redraws only the items whose selection changed (ODA_SELECT); others
// are invalidated and painted again.
void Redraw(HWND hwnd, ListBoxState& s, std::initializer_list<int> changed) {
    if (!s.ownerDraw) {
        InvalidateRect(hwnd, nullptr, TRUE);
        return;
    }
    HDC hdc = GetDC(hwnd);
    if (hdc == nullptr) return;
    if (s.font != nullptr) SelectObject(hdc, s.font);
    for (int index : changed) {
        if (index >= 0 && static_cast<size_t>(index) < s.list.items.size()) DrawOne(hwnd, s, hdc, index, ODA_SELECT);
    }
    ReleaseDC(hwnd, hdc);
}

void Select(HWND hwnd, ListBoxState& s, int index) {
    const int old = s.current;
    s.current = index;
    if (old != index) Redraw(hwnd, s, {old, index});
}

// A choice the user made: the selection moves and, with LBS_NOTIFY, the parent hears of it.
void UserSelect(HWND hwnd, ListBoxState& s, int index) {
    if (index < 0 || static_cast<size_t>(index) >= s.list.items.size()) return;
    if (s.multiple) {
        auto& item = s.list.items[static_cast<size_t>(index)];
        item.selected = !item.selected;
        s.current = index;
        Redraw(hwnd, s, {index});
    } else {
        if (index == s.current) return;
        Select(hwnd, s, index);
    }
    if (StyleOf(hwnd) & LBS_NOTIFY) NotifyCommand(hwnd, LBN_SELCHANGE);
}

int VisibleRows(HWND hwnd, const ListBoxState& s) {
    RECT client{};
    GetClientRect(hwnd, &client);
    return std::max(1, static_cast<int>(client.bottom) / std::max(1, s.itemHeight));
}

void MeasureOwnerDrawn(HWND hwnd, ListBoxState& s) {
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_LISTBOX;
    measure.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
    measure.itemHeight = static_cast<UINT>(s.itemHeight);
    SendMessageW(GetParent(hwnd), WM_MEASUREITEM, measure.CtlID, reinterpret_cast<LPARAM>(&measure));
    if (measure.itemHeight > 0 && measure.itemHeight < 256) s.itemHeight = static_cast<int>(measure.itemHeight);
}

LRESULT ListMessage(HWND hwnd, ListBoxState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    const int count = static_cast<int>(s.list.items.size());
    switch (message) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
        const int at = message == LB_ADDSTRING ? s.list.Add(lParam) : s.list.Insert(static_cast<int>(wParam), lParam);
        if (at < 0) return LB_ERR;
        if (!s.multiple && s.current >= at) ++s.current;
        InvalidateRect(hwnd, nullptr, TRUE);
        return at;
    }
    case LB_DELETESTRING:
        if (!s.list.Valid(wParam)) return LB_ERR;
        s.list.items.erase(s.list.items.begin() + static_cast<std::ptrdiff_t>(wParam));
        if (s.current == static_cast<int>(wParam)) s.current = -1;
        else if (s.current > static_cast<int>(wParam)) --s.current;
        s.top = std::min(s.top, std::max(0, count - 2));
        InvalidateRect(hwnd, nullptr, TRUE);
        return count - 1;
    case LB_RESETCONTENT:
        s.list.items.clear();
        s.current = -1;
        s.top = 0;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case LB_GETCOUNT: return count;
    case LB_SETCURSEL:
        if (s.multiple) return LB_ERR;
        if (static_cast<int>(wParam) == -1 || !s.list.Valid(wParam)) {
            Select(hwnd, s, -1);
            return static_cast<int>(wParam) == -1 ? 0 : LB_ERR;
        }
        Select(hwnd, s, static_cast<int>(wParam));
        if (s.current < s.top) s.top = s.current;
        if (s.current >= s.top + VisibleRows(hwnd, s)) s.top = s.current - VisibleRows(hwnd, s) + 1;
        return s.current;
    case LB_GETCURSEL: return s.current;
    case LB_SETSEL: {
        if (!s.multiple) return LB_ERR;
        const int index = static_cast<int>(lParam);
        if (index == -1) {
            for (auto& item : s.list.items) item.selected = wParam != 0;
        } else if (s.list.Valid(static_cast<WPARAM>(index))) {
            s.list.items[static_cast<size_t>(index)].selected = wParam != 0;
        } else {
            return LB_ERR;
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case LB_GETSEL: return s.list.Valid(wParam) ? (IsSelected(s, static_cast<int>(wParam)) ? 1 : 0) : LB_ERR;
    case LB_GETTEXT:
        if (!s.list.Valid(wParam)) return LB_ERR;
        if (!s.list.hasStrings) {
            if (lParam != 0) *reinterpret_cast<ULONG_PTR*>(lParam) = s.list.items[wParam].data;
            return sizeof(ULONG_PTR);
        }
        if (lParam == 0) return LB_ERR;
        return CopyText(s.list.items[wParam].text, reinterpret_cast<LPWSTR>(lParam),
                        static_cast<int>(s.list.items[wParam].text.size()) + 1);
    case LB_GETTEXTLEN:
        if (!s.list.Valid(wParam)) return LB_ERR;
        return s.list.hasStrings ? static_cast<LRESULT>(s.list.items[wParam].text.size()) : sizeof(ULONG_PTR);
    case LB_GETITEMDATA: return s.list.Valid(wParam) ? static_cast<LRESULT>(s.list.items[wParam].data) : LB_ERR;
    case LB_SETITEMDATA:
        if (!s.list.Valid(wParam)) return LB_ERR;
        s.list.items[wParam].data = static_cast<ULONG_PTR>(lParam);
        return 0;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
        return s.list.Find(static_cast<int>(wParam), reinterpret_cast<LPCWSTR>(lParam), message == LB_FINDSTRINGEXACT);
    case LB_SELECTSTRING: {
        const int found = s.list.Find(static_cast<int>(wParam), reinterpret_cast<LPCWSTR>(lParam), false);
        if (found >= 0 && !s.multiple) Select(hwnd, s, found);
        return found;
    }
    case LB_GETTOPINDEX: return s.top;
    case LB_SETTOPINDEX:
        if (!s.list.Valid(wParam) && !(wParam == 0 && count == 0)) return LB_ERR;
        s.top = static_cast<int>(wParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case LB_GETITEMRECT: {
        if (lParam == 0 || (!s.list.Valid(wParam) && !(wParam == 0 && count == 0))) return LB_ERR;
        *reinterpret_cast<RECT*>(lParam) = ItemRect(hwnd, s, static_cast<int>(wParam));
        return 1;
    }
    case LB_GETITEMHEIGHT: return s.itemHeight;
    case LB_SETITEMHEIGHT:
        if (LOWORD(lParam) == 0 || LOWORD(lParam) > 255) return LB_ERR;
        s.itemHeight = LOWORD(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT ListBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* s = new ListBoxState();
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        const DWORD style = cs != nullptr ? static_cast<DWORD>(cs->style) : 0;
        s->ownerDraw = (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0;
        s->list.hasStrings = !s->ownerDraw || (style & LBS_HASSTRINGS);
        s->list.sorted = (style & LBS_SORT) != 0;
        s->multiple = (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
        Attach(hwnd, s);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (message == WM_SETFONT) {
        // The row height follows the font unless the owner measures the rows.
        if (auto* s = StateOf<ListBoxState>(hwnd); s != nullptr && !s->ownerDraw) {
            s->itemHeight = LineHeight(hwnd, reinterpret_cast<HFONT>(wParam));
        }
    }
    if (CommonMessage(hwnd, message, wParam, lParam, &result)) return result;
    ListBoxState* s = StateOf<ListBoxState>(hwnd);
    if (s == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        s->itemHeight = LineHeight(hwnd, s->font);
        if (s->ownerDraw) MeasureOwnerDrawn(hwnd, *s);
        return 0;
    case WM_PAINT: PaintList(hwnd, *s); return 0;
    case WM_LBUTTONDOWN: {
        if (GetFocus() != hwnd) SetFocus(hwnd);
        const int y = static_cast<SHORT>(HIWORD(lParam));
        if (y < 0) return 0;
        UserSelect(hwnd, *s, s->top + y / std::max(1, s->itemHeight));
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        if (StyleOf(hwnd) & LBS_NOTIFY) NotifyCommand(hwnd, LBN_DBLCLK);
        return 0;
    case WM_KEYDOWN: {
        const int count = static_cast<int>(s->list.items.size());
        int next = s->current;
        if (wParam == VK_DOWN) next = std::min(s->current + 1, count - 1);
        else if (wParam == VK_UP) next = std::max(s->current - 1, 0);
        else if (wParam == VK_HOME) next = 0;
        else if (wParam == VK_END) next = count - 1;
        else return 0;
        if (!s->multiple) UserSelect(hwnd, *s, next);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        s->focused = message == WM_SETFOCUS;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default: return ListMessage(hwnd, *s, message, wParam, lParam);
    }
}

const bool kListBoxListed =
    standin::ui::AddBuiltinClass({u"ListBox", DLGITEM_LISTBOX, ListBoxProc, CS_DBLCLKS, kStateBytes});

}  // namespace
}  // namespace standin::controls
