// The "ListBox" class: a scrolled list of strings (or owner-drawn items) with one selection
// (or several with LBS_MULTIPLESEL / LBS_EXTENDEDSEL). With LBS_MULTICOLUMN the items run top
// to bottom and then on in the next column to the right, columns LB_SETCOLUMNWIDTH wide, and
// the list scrolls sideways by whole columns.
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
    bool multiColumn = false;
    int columnWidth = 0;  // multi-column lists; 0 until set: as wide as the client area
};

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

RECT ClientOf(HWND hwnd) {
    RECT client{};
    GetClientRect(hwnd, &client);
    return client;
}

// Rows of one column (a single-column list: the rows that can be seen).
int RowsPerColumn(HWND hwnd, const ListBoxState& s) {
    return std::max(1, static_cast<int>(ClientOf(hwnd).bottom) / std::max(1, s.itemHeight));
}

int ColumnWidth(HWND hwnd, const ListBoxState& s) {
    return s.columnWidth > 0 ? s.columnWidth : std::max(1, static_cast<int>(ClientOf(hwnd).right));
}

// Whole columns the client area shows (at least one).
int VisibleColumns(HWND hwnd, const ListBoxState& s) {
    return std::max(1, static_cast<int>(ClientOf(hwnd).right) / ColumnWidth(hwnd, s));
}

// The first index of the column that holds `index`: a multi-column list's top is always one.
int ColumnStart(HWND hwnd, const ListBoxState& s, int index) {
    const int rows = RowsPerColumn(hwnd, s);
    return std::max(0, index) / rows * rows;
}

RECT ItemRect(HWND hwnd, const ListBoxState& s, int index) {
    if (s.multiColumn) {
        const int rows = RowsPerColumn(hwnd, s);
        const int width = ColumnWidth(hwnd, s);
        const int x = (index / rows - s.top / rows) * width;
        const int y = index % rows * s.itemHeight;
        return RECT{x, y, x + width, y + s.itemHeight};
    }
    const int y = (index - s.top) * s.itemHeight;
    return RECT{0, y, ClientOf(hwnd).right, y + s.itemHeight};
}

// The item under a client point, -1 for none.
int ItemAt(HWND hwnd, const ListBoxState& s, int x, int y) {
    if (x < 0 || y < 0) return -1;
    int index = s.top + y / std::max(1, s.itemHeight);
    if (s.multiColumn) {
        const int rows = RowsPerColumn(hwnd, s);
        const int row = y / std::max(1, s.itemHeight);
        if (row >= rows) return -1;
        index = s.top + x / ColumnWidth(hwnd, s) * rows + row;
    }
    return index < static_cast<int>(s.list.items.size()) ? index : -1;
}

// The top that shows `index`, moving as little as it can.
int TopShowing(HWND hwnd, const ListBoxState& s, int index) {
    if (index < 0) return s.top;
    if (s.multiColumn) {
        const int rows = RowsPerColumn(hwnd, s);
        const int span = VisibleColumns(hwnd, s) * rows;
        if (index < s.top) return ColumnStart(hwnd, s, index);
        if (index >= s.top + span) return ColumnStart(hwnd, s, index) - (VisibleColumns(hwnd, s) - 1) * rows;
        return s.top;
    }
    const int rows = RowsPerColumn(hwnd, s);
    if (index < s.top) return index;
    if (index >= s.top + rows) return index - rows + 1;
    return s.top;
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
        const RECT rect = ItemRect(hwnd, s, i);
        if (rect.left >= client.right || rect.top >= client.bottom) break;
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

// Sideways scrolling of a multi-column list, by columns: SB_LINELEFT / SB_LINERIGHT one,
// SB_PAGELEFT / SB_PAGERIGHT as many as are shown, SB_THUMBPOSITION / SB_THUMBTRACK to the
// column in the high word; never past the column of the last item.
void ScrollColumns(HWND hwnd, ListBoxState& s, WPARAM wParam) {
    if (!s.multiColumn) return;
    const int rows = RowsPerColumn(hwnd, s);
    const int count = static_cast<int>(s.list.items.size());
    const int lastColumn = count > 0 ? (count - 1) / rows : 0;
    const int maxFirst = std::max(0, lastColumn - VisibleColumns(hwnd, s) + 1);
    int column = s.top / rows;
    switch (LOWORD(wParam)) {
    case SB_LINELEFT: --column; break;
    case SB_LINERIGHT: ++column; break;
    case SB_PAGELEFT: column -= VisibleColumns(hwnd, s); break;
    case SB_PAGERIGHT: column += VisibleColumns(hwnd, s); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: column = HIWORD(wParam); break;
    case SB_LEFT: column = 0; break;
    case SB_RIGHT: column = maxFirst; break;
    default: return;
    }
    const int top = std::clamp(column, 0, maxFirst) * rows;
    if (top == s.top) return;
    s.top = top;
    InvalidateRect(hwnd, nullptr, TRUE);
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
        s.top = TopShowing(hwnd, s, s.current);
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
        s.top = s.multiColumn ? ColumnStart(hwnd, s, static_cast<int>(wParam)) : static_cast<int>(wParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case LB_GETITEMRECT: {
        if (lParam == 0 || (!s.list.Valid(wParam) && !(wParam == 0 && count == 0))) return LB_ERR;
        *reinterpret_cast<RECT*>(lParam) = ItemRect(hwnd, s, static_cast<int>(wParam));
        return 1;
    }
    case LB_GETITEMHEIGHT: return s.itemHeight;
    case LB_SETCOLUMNWIDTH:
        if (s.multiColumn) {
            s.columnWidth = static_cast<int>(std::min<WPARAM>(wParam, 0x7FFF));
            s.top = ColumnStart(hwnd, s, s.top);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
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
        s->multiColumn = (style & LBS_MULTICOLUMN) != 0;
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
        const int index = ItemAt(hwnd, *s, static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)));
        if (index < 0) return 0;
        UserSelect(hwnd, *s, index);
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        if (StyleOf(hwnd) & LBS_NOTIFY) NotifyCommand(hwnd, LBN_DBLCLK);
        return 0;
    case WM_KEYDOWN: {
        const int count = static_cast<int>(s->list.items.size());
        int next = s->current;
        // Sideways a multi-column list moves by a column's rows.
        const int step = s->multiColumn ? RowsPerColumn(hwnd, *s) : 0;
        if (wParam == VK_DOWN) next = std::min(s->current + 1, count - 1);
        else if (wParam == VK_UP) next = std::max(s->current - 1, 0);
        else if (wParam == VK_RIGHT && step > 0) next = std::min(s->current + step, count - 1);
        else if (wParam == VK_LEFT && step > 0) next = std::max(s->current - step, 0);
        else if (wParam == VK_HOME) next = 0;
        else if (wParam == VK_END) next = count - 1;
        else return 0;
        if (!s->multiple) UserSelect(hwnd, *s, next);
        const int top = TopShowing(hwnd, *s, s->current);
        if (s->multiColumn && top != s->top) {
            s->top = top;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    }
    case WM_HSCROLL: ScrollColumns(hwnd, *s, wParam); return 0;
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
