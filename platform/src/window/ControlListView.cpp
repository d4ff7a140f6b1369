// The list-view control ("SysListView32") in report and icon views: columns, items with
// texts, image, data and state (overlay included), and the notifications of a user's clicks,
// keys and drags.
#include <algorithm>
#include <cstdlib>

#include "platform/src/ControlClasses.h"
#include "platform/src/window/ControlSupport.h"

namespace standin::controls {
namespace {

struct Column {
    std::u16string text;
    int width = 60;
    int fmt = LVCFMT_LEFT;
};
struct Item {
    std::vector<std::u16string> texts{u""};
    int image = 0;
    LPARAM lParam = 0;
    UINT state = 0;
};

struct ListViewState : ControlBase {
    std::vector<Column> columns;
    std::vector<Item> items;
    HIMAGELIST normal = nullptr;
    HIMAGELIST small = nullptr;
    HIMAGELIST stateList = nullptr;
    int top = 0;  // report view: first row shown
    int pressed = -1;
    POINT pressAt{};
    bool dragged = false;  // the press became a drag: no click follows
};

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }
bool Report(HWND hwnd) { return (StyleOf(hwnd) & LVS_TYPEMASK) == LVS_REPORT; }
bool Valid(const ListViewState& s, int i) { return i >= 0 && i < static_cast<int>(s.items.size()); }

int HeaderHeight(HWND hwnd, ListViewState& s) {
    return (StyleOf(hwnd) & LVS_NOCOLUMNHEADER) ? 0 : LineHeight(hwnd, s.font) + 6;
}
int RowHeight(HWND hwnd, ListViewState& s) {
    int cx = 0, cy = 0;
    if (s.small != nullptr) ImageList_GetIconSize(s.small, &cx, &cy);
    return std::max(LineHeight(hwnd, s.font) + 2, cy);
}
SIZE IconSize(ListViewState& s) {
    int cx = 32, cy = 32;
    if (s.normal != nullptr) ImageList_GetIconSize(s.normal, &cx, &cy);
    return SIZE{cx, cy};
}
// Icon view: each item takes one cell of this size, filled row by row.
SIZE Spacing(HWND hwnd, ListViewState& s) {
    const SIZE icon = IconSize(s);
    return SIZE{std::max(icon.cx + 43, 75), icon.cy + 2 * LineHeight(hwnd, s.font) + 8};
}
int PerRow(HWND hwnd, ListViewState& s) {
    RECT client{};
    GetClientRect(hwnd, &client);
    return std::max(1, static_cast<int>(client.right) / static_cast<int>(Spacing(hwnd, s).cx));
}

RECT ItemRect(HWND hwnd, ListViewState& s, int i, int code) {
    if (Report(hwnd)) {
        int width = 0;
        for (const Column& c : s.columns) width += c.width;
        const int h = RowHeight(hwnd, s);
        const int y = HeaderHeight(hwnd, s) + (i - s.top) * h;
        int iconWidth = 0, cy = 0;
        if (s.small != nullptr) ImageList_GetIconSize(s.small, &iconWidth, &cy);
        const int first = s.columns.empty() ? width : s.columns.front().width;
        switch (code) {
        case LVIR_ICON: return RECT{0, y, iconWidth, y + h};
        case LVIR_LABEL: return RECT{iconWidth, y, std::max(first, iconWidth), y + h};
        case LVIR_SELECTBOUNDS: return RECT{0, y, std::max(first, iconWidth), y + h};
        default: return RECT{0, y, width, y + h};
        }
    }
    const SIZE cell = Spacing(hwnd, s), icon = IconSize(s);
    const int x = (i % PerRow(hwnd, s)) * cell.cx, y = (i / PerRow(hwnd, s)) * cell.cy;
    const RECT iconRect{x + (cell.cx - icon.cx) / 2, y + 2, x + (cell.cx + icon.cx) / 2, y + 2 + icon.cy};
    const RECT label{x, iconRect.bottom + 2, x + cell.cx, y + cell.cy - 2};
    switch (code) {
    case LVIR_ICON: return iconRect;
    case LVIR_LABEL: return label;
    default: return RECT{x, y + 2, x + cell.cx, label.bottom};
    }
}

// Changes the state bits under mask, with LVN_ITEMCHANGING (refusable) and LVN_ITEMCHANGED.
bool ChangeState(HWND hwnd, ListViewState& s, int i, UINT state, UINT mask) {
    Item& item = s.items[static_cast<size_t>(i)];
    const UINT old = item.state;
    const UINT next = (old & ~mask) | (state & mask);
    if (next == old) return true;
    NMLISTVIEW note{};
    note.iItem = i;
    note.uNewState = next;
    note.uOldState = old;
    note.uChanged = LVIF_STATE;
    note.lParam = item.lParam;
    if (NotifyParent(hwnd, LVN_ITEMCHANGING, &note.hdr) != 0) return false;
    if (!Valid(s, i)) return false;
    s.items[static_cast<size_t>(i)].state = next;
    InvalidateRect(hwnd, nullptr, TRUE);
    note = NMLISTVIEW{};
    note.iItem = i;
    note.uNewState = next;
    note.uOldState = old;
    note.uChanged = LVIF_STATE;
    note.lParam = s.items[static_cast<size_t>(i)].lParam;
    NotifyParent(hwnd, LVN_ITEMCHANGED, &note.hdr);
    return true;
}

// Selection and focus follow the platform: with LVS_SINGLESEL (or a click) one item is
// selected, and only one item ever has the focus. Others lose theirs first.
void SetState(HWND hwnd, ListViewState& s, int i, UINT state, UINT mask) {
    const bool single = (StyleOf(hwnd) & LVS_SINGLESEL) != 0;
    for (int k = 0; k < static_cast<int>(s.items.size()); ++k) {
        if (k == i || !Valid(s, k)) continue;
        UINT clear = 0;
        if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED)) clear |= LVIS_FOCUSED;
        if (single && (mask & LVIS_SELECTED) && (state & LVIS_SELECTED)) clear |= LVIS_SELECTED;
        if (clear != 0 && (s.items[static_cast<size_t>(k)].state & clear)) ChangeState(hwnd, s, k, 0, clear);
    }
    if (Valid(s, i)) ChangeState(hwnd, s, i, state, mask);
}

int Neighbour(HWND hwnd, ListViewState& s, int i, UINT flags) {
    const int count = static_cast<int>(s.items.size());
    if (Report(hwnd)) {
        if (flags & LVNI_BELOW) return i + 1 < count ? i + 1 : -1;
        if (flags & LVNI_ABOVE) return i > 0 ? i - 1 : -1;
        return -1;
    }
    const int perRow = PerRow(hwnd, s);
    if (flags & LVNI_BELOW) return i + perRow < count ? i + perRow : -1;
    if (flags & LVNI_ABOVE) return i - perRow >= 0 ? i - perRow : -1;
    // Left and right stay within the row.
    if (flags & LVNI_TORIGHT) return (i % perRow) + 1 < perRow && i + 1 < count ? i + 1 : -1;
    if (flags & LVNI_TOLEFT) return i % perRow > 0 ? i - 1 : -1;
    return -1;
}

int NextItem(HWND hwnd, ListViewState& s, int start, UINT flags) {
    const UINT want = flags & (LVNI_FOCUSED | LVNI_SELECTED | LVIS_CUT | LVIS_DROPHILITED);
    if (flags & (LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT)) {
        if (!Valid(s, start)) return -1;
        for (int i = Neighbour(hwnd, s, start, flags); i >= 0; i = Neighbour(hwnd, s, i, flags)) {
            if ((s.items[static_cast<size_t>(i)].state & want) == want) return i;
        }
        return -1;
    }
    for (int i = std::max(start + 1, 0); i < static_cast<int>(s.items.size()); ++i) {
        if ((s.items[static_cast<size_t>(i)].state & want) == want) return i;
    }
    return -1;
}

int HitItem(HWND hwnd, ListViewState& s, POINT at) {
    for (int i = 0; i < static_cast<int>(s.items.size()); ++i) {
        RECT r = ItemRect(hwnd, s, i, Report(hwnd) ? LVIR_SELECTBOUNDS : LVIR_BOUNDS);
        if (PtInRect(&r, at)) return i;
    }
    return -1;
}

bool SetItemFields(HWND hwnd, ListViewState& s, const LVITEMW* item) {
    if (item == nullptr || !Valid(s, item->iItem) || item->iSubItem < 0) return false;
    Item& target = s.items[static_cast<size_t>(item->iItem)];
    if ((item->mask & LVIF_TEXT) && item->pszText != nullptr && reinterpret_cast<intptr_t>(item->pszText) != -1) {
        if (target.texts.size() <= static_cast<size_t>(item->iSubItem)) target.texts.resize(static_cast<size_t>(item->iSubItem) + 1);
        target.texts[static_cast<size_t>(item->iSubItem)] = item->pszText;
    }
    if (item->iSubItem == 0) {
        if (item->mask & LVIF_IMAGE) target.image = item->iImage;
        if (item->mask & LVIF_PARAM) target.lParam = item->lParam;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    if (item->iSubItem == 0 && (item->mask & LVIF_STATE)) SetState(hwnd, s, item->iItem, item->state, item->stateMask);
    return true;
}

void PaintList(HWND hwnd, ListViewState& s) {
    PaintScope paint(hwnd, s.font);
    HDC hdc = paint.Dc();
    if (hdc == nullptr) return;
    const RECT client = paint.Client();
    FillSolid(hdc, client, GetSysColor(COLOR_WINDOW));
    const bool showSel = s.focused || (StyleOf(hwnd) & LVS_SHOWSELALWAYS);
    if (Report(hwnd)) {
        const int hh = HeaderHeight(hwnd, s);
        int x = 0;
        for (const Column& c : s.columns) {
            if (hh == 0) break;
            const RECT cell{x, 0, x + c.width, hh};
            FillSolid(hdc, cell, GetSysColor(COLOR_BTNFACE));
            DrawEdge3d(hdc, cell, false);
            DrawTextIn(hdc, c.text, RECT{cell.left + 4, cell.top, cell.right - 2, cell.bottom}, DT_SINGLELINE | DT_VCENTER,
                       GetSysColor(COLOR_BTNTEXT));
            x += c.width;
        }
    }
    for (int i = Report(hwnd) ? s.top : 0; i < static_cast<int>(s.items.size()); ++i) {
        const Item& item = s.items[static_cast<size_t>(i)];
        const RECT icon = ItemRect(hwnd, s, i, LVIR_ICON);
        if (icon.top >= client.bottom) break;
        const bool selected = (item.state & LVIS_SELECTED) && showSel;
        HIMAGELIST images = Report(hwnd) ? s.small : s.normal;
        if (images != nullptr) {
            ImageList_Draw(images, item.image, hdc, icon.left, icon.top,
                           ILD_TRANSPARENT | (item.state & LVIS_OVERLAYMASK) | (selected ? ILD_SELECTED : 0));
        }
        // A selected item: the highlight and its text while the list has the focus; without
        // it (LVS_SHOWSELALWAYS) the button face and the button text, never light on light.
        const COLORREF back = GetSysColor(s.focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
        const COLORREF text = GetSysColor(!selected ? COLOR_WINDOWTEXT : s.focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
        if (Report(hwnd)) {
            int x = 0;
            for (size_t c = 0; c < std::max<size_t>(s.columns.size(), 1); ++c) {
                const int width = s.columns.empty() ? client.right : s.columns[c].width;
                RECT cell{c == 0 ? icon.right : x, icon.top, x + width, icon.bottom};
                if (c == 0 && selected) FillSolid(hdc, cell, back);
                if (c < item.texts.size()) {
                    DrawTextIn(hdc, item.texts[c], RECT{cell.left + 2, cell.top, cell.right, cell.bottom},
                               DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS,
                               c == 0 ? text : GetSysColor(COLOR_WINDOWTEXT));
                }
                x += width;
            }
        } else {
            const RECT label = ItemRect(hwnd, s, i, LVIR_LABEL);
            if (selected) FillSolid(hdc, label, back);
            DrawTextIn(hdc, item.texts.front(), label, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX, text);
        }
    }
}

LRESULT ListMessage(HWND hwnd, ListViewState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    const int count = static_cast<int>(s.items.size());
    switch (message) {
    case LVM_SETIMAGELIST: {
        HIMAGELIST& slot = wParam == LVSIL_SMALL ? s.small : wParam == LVSIL_STATE ? s.stateList : s.normal;
        HIMAGELIST old = slot;
        slot = reinterpret_cast<HIMAGELIST>(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(wParam == LVSIL_SMALL ? s.small : wParam == LVSIL_STATE ? s.stateList : s.normal);
    case LVM_GETITEMCOUNT: return count;
    case LVM_INSERTCOLUMNW: {
        const auto* c = reinterpret_cast<const LVCOLUMNW*>(lParam);
        if (c == nullptr) return -1;
        Column column;
        if ((c->mask & LVCF_TEXT) && c->pszText != nullptr) column.text = c->pszText;
        if (c->mask & LVCF_WIDTH) column.width = c->cx;
        if (c->mask & LVCF_FMT) column.fmt = c->fmt;
        const size_t at = std::min(static_cast<size_t>(wParam), s.columns.size());
        s.columns.insert(s.columns.begin() + static_cast<std::ptrdiff_t>(at), column);
        InvalidateRect(hwnd, nullptr, TRUE);
        return static_cast<LRESULT>(at);
    }
    case LVM_DELETECOLUMN:
        if (wParam >= s.columns.size()) return FALSE;
        s.columns.erase(s.columns.begin() + static_cast<std::ptrdiff_t>(wParam));
        return TRUE;
    case LVM_GETCOLUMNWIDTH: return wParam < s.columns.size() ? s.columns[wParam].width : 0;
    case LVM_SETCOLUMNWIDTH:
        if (wParam >= s.columns.size()) return FALSE;
        s.columns[wParam].width = static_cast<SHORT>(LOWORD(lParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case LVM_INSERTITEMW: {
        const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
        if (item == nullptr || item->iSubItem != 0 || item->iItem < 0) return -1;
        Item added;
        if ((item->mask & LVIF_TEXT) && item->pszText != nullptr && reinterpret_cast<intptr_t>(item->pszText) != -1) {
            added.texts[0] = item->pszText;
        }
        if (item->mask & LVIF_IMAGE) added.image = item->iImage;
        if (item->mask & LVIF_PARAM) added.lParam = item->lParam;
        if (item->mask & LVIF_STATE) added.state = item->state & item->stateMask;
        int at = std::min(item->iItem, count);
        if (StyleOf(hwnd) & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
            const bool up = (StyleOf(hwnd) & LVS_SORTASCENDING) != 0;
            at = 0;
            while (at < count && (up ? s.items[static_cast<size_t>(at)].texts[0] <= added.texts[0]
                                     : s.items[static_cast<size_t>(at)].texts[0] >= added.texts[0])) {
                ++at;
            }
        }
        s.items.insert(s.items.begin() + at, std::move(added));
        InvalidateRect(hwnd, nullptr, TRUE);
        NMLISTVIEW note{};
        note.iItem = at;
        NotifyParent(hwnd, LVN_INSERTITEM, &note.hdr);
        return at;
    }
    case LVM_DELETEITEM: {
        const int i = static_cast<int>(wParam);
        if (!Valid(s, i)) return FALSE;
        NMLISTVIEW note{};
        note.iItem = i;
        note.lParam = s.items[static_cast<size_t>(i)].lParam;
        NotifyParent(hwnd, LVN_DELETEITEM, &note.hdr);
        if (!Valid(s, i)) return FALSE;
        s.items.erase(s.items.begin() + i);
        s.top = std::min(s.top, std::max(0, count - 2));
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case LVM_DELETEALLITEMS: {
        NMLISTVIEW note{};
        note.iItem = -1;
        // A parent answering TRUE needs no LVN_DELETEITEM per item.
        const bool quiet = NotifyParent(hwnd, LVN_DELETEALLITEMS, &note.hdr) != 0;
        for (int i = 0; !quiet && i < static_cast<int>(s.items.size()); ++i) {
            NMLISTVIEW each{};
            each.iItem = i;
            each.lParam = s.items[static_cast<size_t>(i)].lParam;
            NotifyParent(hwnd, LVN_DELETEITEM, &each.hdr);
        }
        s.items.clear();
        s.top = 0;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case LVM_GETITEMW: {
        auto* item = reinterpret_cast<LVITEMW*>(lParam);
        if (item == nullptr || !Valid(s, item->iItem) || item->iSubItem < 0) return FALSE;
        const Item& from = s.items[static_cast<size_t>(item->iItem)];
        if (item->mask & LVIF_TEXT) {
            const size_t sub = static_cast<size_t>(item->iSubItem);
            CopyText(sub < from.texts.size() ? from.texts[sub] : std::u16string(), item->pszText, item->cchTextMax);
        }
        if (item->mask & LVIF_IMAGE) item->iImage = from.image;
        if (item->mask & LVIF_PARAM) item->lParam = from.lParam;
        if (item->mask & LVIF_STATE) item->state = from.state & item->stateMask;
        return TRUE;
    }
    case LVM_SETITEMW: return SetItemFields(hwnd, s, reinterpret_cast<const LVITEMW*>(lParam)) ? TRUE : FALSE;
    case LVM_GETITEMTEXTW: {
        auto* item = reinterpret_cast<LVITEMW*>(lParam);
        if (item == nullptr || !Valid(s, static_cast<int>(wParam))) return 0;
        const Item& from = s.items[wParam];
        const size_t sub = static_cast<size_t>(std::max(item->iSubItem, 0));
        return CopyText(sub < from.texts.size() ? from.texts[sub] : std::u16string(), item->pszText, item->cchTextMax);
    }
    case LVM_SETITEMTEXTW: {
        auto* item = reinterpret_cast<LVITEMW*>(lParam);
        if (item == nullptr) return FALSE;
        LVITEMW copy = *item;
        copy.iItem = static_cast<int>(wParam);
        copy.mask = LVIF_TEXT;
        return SetItemFields(hwnd, s, &copy) ? TRUE : FALSE;
    }
    case LVM_SETITEMSTATE: {
        const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
        if (item == nullptr) return FALSE;
        const int i = static_cast<int>(wParam);
        if (i == -1) {
            for (int k = 0; k < count; ++k) ChangeState(hwnd, s, k, item->state, item->stateMask);
            return TRUE;
        }
        if (!Valid(s, i)) return FALSE;
        SetState(hwnd, s, i, item->state, item->stateMask);
        return TRUE;
    }
    case LVM_GETITEMSTATE:
        return Valid(s, static_cast<int>(wParam)) ? static_cast<LRESULT>(s.items[wParam].state & static_cast<UINT>(lParam)) : 0;
    case LVM_GETSELECTEDCOUNT:
        return std::count_if(s.items.begin(), s.items.end(), [](const Item& i) { return (i.state & LVIS_SELECTED) != 0; });
    case LVM_GETNEXTITEM: return NextItem(hwnd, s, static_cast<int>(wParam), static_cast<UINT>(LOWORD(lParam)));
    case LVM_FINDITEMW: {
        const auto* find = reinterpret_cast<const LVFINDINFOW*>(lParam);
        if (find == nullptr || count == 0) return -1;
        const int start = static_cast<int>(wParam);
        const int span = (find->flags & LVFI_WRAP) ? count : count - std::max(start + 1, 0);
        for (int n = 0; n < span; ++n) {
            const int i = (std::max(start + 1, 0) + n) % count;
            const Item& item = s.items[static_cast<size_t>(i)];
            if ((find->flags & LVFI_PARAM) && item.lParam == find->lParam) return i;
            if (find->flags & (LVFI_STRING | LVFI_PARTIAL)) {
                const bool partial = (find->flags & LVFI_PARTIAL) != 0;
                if (partial ? StartsWithNoCase(item.texts[0], find->psz) : SameTextNoCase(item.texts[0], find->psz)) return i;
            }
        }
        return -1;
    }
    case LVM_GETITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (rect == nullptr || !Valid(s, static_cast<int>(wParam))) return FALSE;
        *rect = ItemRect(hwnd, s, static_cast<int>(wParam), rect->left);
        return TRUE;
    }
    case LVM_GETITEMPOSITION: {
        auto* at = reinterpret_cast<POINT*>(lParam);
        if (at == nullptr || !Valid(s, static_cast<int>(wParam))) return FALSE;
        const RECT r = ItemRect(hwnd, s, static_cast<int>(wParam), LVIR_BOUNDS);
        *at = POINT{r.left, r.top};
        return TRUE;
    }
    case LVM_GETITEMSPACING: {
        if (!Report(hwnd) && wParam == 0) {
            const SIZE cell = Spacing(hwnd, s);
            return MAKELONG(cell.cx, cell.cy);
        }
        int cx = 16, cy = 16;
        if (s.small != nullptr) ImageList_GetIconSize(s.small, &cx, &cy);
        return MAKELONG(cx + 8, RowHeight(hwnd, s));
    }
    case LVM_GETTOPINDEX: return Report(hwnd) ? s.top : 0;
    case LVM_ENSUREVISIBLE: {
        const int i = static_cast<int>(wParam);
        if (!Valid(s, i)) return FALSE;
        if (Report(hwnd)) {
            RECT client{};
            GetClientRect(hwnd, &client);
            const int shown = std::max(1, (static_cast<int>(client.bottom) - HeaderHeight(hwnd, s)) / RowHeight(hwnd, s));
            if (i < s.top) s.top = i;
            if (i >= s.top + shown) s.top = i - shown + 1;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return TRUE;
    }
    case LVM_SCROLL:
        if (Report(hwnd)) {
            const int rows = static_cast<int>(lParam) / std::max(1, RowHeight(hwnd, s));
            s.top = std::clamp(s.top + rows, 0, std::max(0, count - 1));
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return TRUE;
    case LVM_ARRANGE: InvalidateRect(hwnd, nullptr, TRUE); return TRUE;  // items always sit in their cells
    case LVM_CREATEDRAGIMAGE: {
        const int i = static_cast<int>(wParam);
        HIMAGELIST images = Report(hwnd) ? s.small : s.normal;
        if (!Valid(s, i) || images == nullptr) return 0;
        int cx = 0, cy = 0;
        ImageList_GetIconSize(images, &cx, &cy);
        // A one-image list drawn from the item's image; the caller destroys it.
        HIMAGELIST drag = ImageList_Create(cx, cy, ILC_COLOR24 | ILC_MASK, 1, 1);
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP picture = CreateCompatibleBitmap(screen, cx, cy);
        HGDIOBJ old = SelectObject(memory, picture);
        const RECT all{0, 0, cx, cy};
        FillSolid(memory, all, RGB(255, 0, 255));
        ImageList_Draw(images, s.items[static_cast<size_t>(i)].image, memory, 0, 0, ILD_TRANSPARENT);
        SelectObject(memory, old);
        ImageList_AddMasked(drag, picture, RGB(255, 0, 255));
        DeleteObject(picture);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        if (auto* at = reinterpret_cast<POINT*>(lParam)) {
            const RECT icon = ItemRect(hwnd, s, i, LVIR_ICON);
            *at = POINT{icon.left, icon.top};
        }
        return reinterpret_cast<LRESULT>(drag);
    }
    case LVM_SETEXTENDEDLISTVIEWSTYLE: return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT ListViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        Attach(hwnd, new ListViewState());
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (CommonMessage(hwnd, message, wParam, lParam, &result)) return result;
    ListViewState* s = StateOf<ListViewState>(hwnd);
    if (s == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: PaintList(hwnd, *s); return 0;
    case WM_LBUTTONDOWN: {
        if (GetFocus() != hwnd) SetFocus(hwnd);
        const POINT at{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        const int hit = HitItem(hwnd, *s, at);
        s->pressed = hit;
        s->pressAt = at;
        s->dragged = false;
        // A click chooses the item alone; a click beside the items clears the selection.
        for (int k = 0; k < static_cast<int>(s->items.size()); ++k) {
            if (k != hit && (s->items[static_cast<size_t>(k)].state & LVIS_SELECTED)) ChangeState(hwnd, *s, k, 0, LVIS_SELECTED);
        }
        if (hit >= 0) SetState(hwnd, *s, hit, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        return 0;
    }
    case WM_MOUSEMOVE: {
        const POINT at{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        if ((wParam & 0x0001) && s->pressed >= 0 &&
            (std::abs(at.x - s->pressAt.x) > 4 || std::abs(at.y - s->pressAt.y) > 4)) {
            NMLISTVIEW note{};
            note.iItem = s->pressed;
            note.ptAction = s->pressAt;
            note.lParam = Valid(*s, s->pressed) ? s->items[static_cast<size_t>(s->pressed)].lParam : 0;
            s->pressed = -1;
            s->dragged = true;
            NotifyParent(hwnd, LVN_BEGINDRAG, &note.hdr);
        }
        return 0;
    }
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: {
        const POINT at{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        const bool dragged = s->dragged;
        s->pressed = -1;
        s->dragged = false;
        if (message == WM_LBUTTONUP && dragged) return 0;
        NMITEMACTIVATE note{};
        note.iItem = HitItem(hwnd, *s, at);
        note.ptAction = at;
        NotifyParent(hwnd, message == WM_LBUTTONUP ? NM_CLICK : NM_DBLCLK, &note.hdr);
        return 0;
    }
    case WM_KEYDOWN: {
        NMLVKEYDOWN note{};
        note.wVKey = static_cast<WORD>(wParam);
        NotifyParent(hwnd, LVN_KEYDOWN, &note.hdr);
        const int focus = NextItem(hwnd, *s, -1, LVNI_FOCUSED);
        int target = -1;
        if (wParam == VK_DOWN) target = focus < 0 ? 0 : Neighbour(hwnd, *s, focus, LVNI_BELOW);
        if (wParam == VK_UP) target = focus < 0 ? 0 : Neighbour(hwnd, *s, focus, LVNI_ABOVE);
        if (wParam == VK_RIGHT && focus >= 0) target = Neighbour(hwnd, *s, focus, LVNI_TORIGHT);
        if (wParam == VK_LEFT && focus >= 0) target = Neighbour(hwnd, *s, focus, LVNI_TOLEFT);
        if (Valid(*s, target)) {
            for (int k = 0; k < static_cast<int>(s->items.size()); ++k) {
                if (k != target && (s->items[static_cast<size_t>(k)].state & LVIS_SELECTED)) ChangeState(hwnd, *s, k, 0, LVIS_SELECTED);
            }
            SetState(hwnd, *s, target, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: NotifyFocusChange(hwnd, *s, message == WM_SETFOCUS); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default: return ListMessage(hwnd, *s, message, wParam, lParam);
    }
}

const bool kListViewListed = standin::ui::AddBuiltinClass({WC_LISTVIEWW, 0, ListViewProc, CS_DBLCLKS, kStateBytes});

}  // namespace
}  // namespace standin::controls
