// The tree-view control ("SysTreeView32"): items in levels with text, images, data and
// state, one selection (the caret), expansion, and the notifications a user's clicks cause.
// Item handles are never reused within a tree, so a stale handle is refused, not misread.
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/src/ControlClasses.h"
#include "platform/src/window/ControlSupport.h"

namespace standin::controls {
namespace {

struct Node {
    ULONG_PTR parent = 0;  // 0 for a root item
    std::vector<ULONG_PTR> children;
    std::u16string text;
    int image = 0;
    int selectedImage = 0;
    UINT state = 0;
    LPARAM lParam = 0;
};

struct TreeState : ControlBase {
    std::map<ULONG_PTR, Node> nodes;
    std::vector<ULONG_PTR> roots;
    ULONG_PTR next = 1;
    ULONG_PTR caret = 0;
    ULONG_PTR drop = 0;
    int top = 0;   // index of the first visible row
    int left = 0;  // pixels scrolled to the right
    HWND bar = nullptr;  // the horizontal scroll bar, a child at the foot while shown
    int indent = 19;
    HIMAGELIST images = nullptr;
    HIMAGELIST stateImages = nullptr;
};

HTREEITEM H(ULONG_PTR id) { return reinterpret_cast<HTREEITEM>(id); }
ULONG_PTR Id(HTREEITEM h) { return reinterpret_cast<ULONG_PTR>(h); }
DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

Node* Find(TreeState& s, ULONG_PTR id) {
    auto it = s.nodes.find(id);
    return it == s.nodes.end() ? nullptr : &it->second;
}
std::vector<ULONG_PTR>& Siblings(TreeState& s, const Node& n) { return n.parent == 0 ? s.roots : s.nodes[n.parent].children; }

int Level(TreeState& s, ULONG_PTR id) {
    int level = 0;
    for (Node* n = Find(s, id); n != nullptr && n->parent != 0; n = Find(s, n->parent)) ++level;
    return level;
}

// Rows in display order: every item whose ancestors are all expanded.
void AddRows(TreeState& s, const std::vector<ULONG_PTR>& level, std::vector<ULONG_PTR>& rows) {
    for (ULONG_PTR id : level) {
        rows.push_back(id);
        const Node& n = s.nodes[id];
        if (n.state & TVIS_EXPANDED) AddRows(s, n.children, rows);
    }
}
std::vector<ULONG_PTR> Rows(TreeState& s) {
    std::vector<ULONG_PTR> rows;
    AddRows(s, s.roots, rows);
    return rows;
}
int RowOf(TreeState& s, ULONG_PTR id) {
    const std::vector<ULONG_PTR> rows = Rows(s);
    auto it = std::find(rows.begin(), rows.end(), id);
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

int ItemHeight(HWND hwnd, TreeState& s) {
    int cx = 0, cy = 0;
    if (s.images != nullptr) ImageList_GetIconSize(s.images, &cx, &cy);
    return std::max(LineHeight(hwnd, s.font) + 2, cy);
}

int TextWidth(HWND hwnd, TreeState& s, const std::u16string& text, bool bold) {
    HDC hdc = GetDC(hwnd);
    if (hdc == nullptr) return 0;
    HGDIOBJ old = s.font != nullptr ? SelectObject(hdc, s.font) : nullptr;
    SIZE extent{};
    GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(text.size()), &extent);
    if (old != nullptr) SelectObject(hdc, old);
    ReleaseDC(hwnd, hdc);
    return extent.cx + (bold ? static_cast<int>(text.size()) : 0);
}

// The row's rectangle, or only the text's with textOnly; false for an item not shown.
bool ItemRect(HWND hwnd, TreeState& s, ULONG_PTR id, bool textOnly, RECT* rect) {
    const int row = RowOf(s, id);
    if (row < 0) return false;
    RECT client{};
    GetClientRect(hwnd, &client);
    const int h = ItemHeight(hwnd, s);
    const int y = (row - s.top) * h;
    if (!textOnly) {
        *rect = RECT{0, y, client.right, y + h};
        return true;
    }
    const Node& n = s.nodes[id];
    int x = Level(s, id) * s.indent + ((StyleOf(hwnd) & TVS_LINESATROOT) ? s.indent : 0);
    if (s.images != nullptr) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(s.images, &cx, &cy);
        x += cx + 3;
    }
    x -= s.left;
    *rect = RECT{x, y, x + TextWidth(hwnd, s, n.text, (n.state & TVIS_BOLD) != 0) + 4, y + h};
    return true;
}

// The width the rows need: the right end of the widest text, scrolled or not.
int ContentWidth(HWND hwnd, TreeState& s) {
    int widest = 0;
    for (ULONG_PTR id : Rows(s)) {
        RECT text{};
        if (ItemRect(hwnd, s, id, true, &text)) widest = std::max(widest, static_cast<int>(text.right) + s.left);
    }
    return widest;
}

// The horizontal scroll bar at the foot of the client area, shown (unless TVS_NOHSCROLL)
// while the rows are wider than the tree; the rows keep the area above it.
struct HorizontalBar {
    bool shown = false;
    RECT bar{};
    int content = 0;  // width of the rows
    int page = 0;     // width shown
};
HorizontalBar BarOf(HWND hwnd, TreeState& s) {
    HorizontalBar h;
    RECT client{};
    GetClientRect(hwnd, &client);
    h.page = client.right;
    h.content = ContentWidth(hwnd, s);
    const int thickness = GetSystemMetrics(SM_CYHSCROLL);
    h.shown = !(StyleOf(hwnd) & TVS_NOHSCROLL) && h.content > client.right && client.bottom > thickness;
    if (h.shown) h.bar = RECT{0, client.bottom - thickness, client.right, client.bottom};
    return h;
}

int MaxLeft(const HorizontalBar& h) { return std::max(0, h.content - h.page); }

// Arrow buttons at both ends and the thumb between, raised on the scroll bar's track.
void PaintBar(HDC hdc, const HorizontalBar& h, int left) {
    const RECT& r = h.bar;
    const int side = r.bottom - r.top;
    FillSolid(hdc, r, GetSysColor(COLOR_SCROLLBAR));
    const RECT buttons[2] = {{r.left, r.top, r.left + side, r.bottom}, {r.right - side, r.top, r.right, r.bottom}};
    for (int b = 0; b < 2; ++b) {
        FillSolid(hdc, buttons[b], GetSysColor(COLOR_BTNFACE));
        DrawEdge3d(hdc, buttons[b], false);
        const int cx = (buttons[b].left + buttons[b].right) / 2;
        const int cy = (r.top + r.bottom) / 2;
        for (int k = 0; k < 4; ++k) {
            const int x = b == 0 ? cx - 2 + k : cx + 1 - k;
            FillSolid(hdc, RECT{x, cy - k, x + 1, cy + k + 1}, GetSysColor(COLOR_BTNTEXT));
        }
    }
    const int track = r.right - r.left - 2 * side;
    if (track <= 0 || h.content <= 0) return;
    const int thumb = std::max(8, track * h.page / h.content);
    const int range = MaxLeft(h);
    const int at = range > 0 ? (track - thumb) * left / range : 0;
    const RECT box{r.left + side + at, r.top, r.left + side + at + thumb, r.bottom};
    FillSolid(hdc, box, GetSysColor(COLOR_BTNFACE));
    DrawEdge3d(hdc, box, false);
}

void ScrollAcross(HWND hwnd, TreeState& s, WPARAM code) {
    const HorizontalBar h = BarOf(hwnd, s);
    const int line = 8;
    int left = s.left;
    switch (LOWORD(code)) {
    case SB_LINELEFT: left -= line; break;
    case SB_LINERIGHT: left += line; break;
    case SB_PAGELEFT: left -= h.page; break;
    case SB_PAGERIGHT: left += h.page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: left = static_cast<SHORT>(HIWORD(code)); break;
    case SB_LEFT: left = 0; break;
    case SB_RIGHT: left = MaxLeft(h); break;
    default: return;
    }
    left = std::clamp(left, 0, MaxLeft(h));
    if (left == s.left) return;
    s.left = left;
    InvalidateRect(hwnd, nullptr, TRUE);
    if (s.bar != nullptr) InvalidateRect(s.bar, nullptr, TRUE);
}

// The scroll bar is a child window over the foot of the tree, so that it covers the rows
// under it whoever draws them, as the platform's frame keeps them out of sight.
constexpr char16_t kBarClass[] = u"StandInTreeScrollBar";

TreeState* TreeOfBar(HWND bar) { return StateOf<TreeState>(GetParent(bar)); }

// The arrows move a line, the track a page towards the click.
WPARAM BarCode(const HorizontalBar& h, int x) {
    const int side = h.bar.bottom - h.bar.top;
    if (x < side) return SB_LINELEFT;
    if (x >= h.bar.right - side) return SB_LINERIGHT;
    return x < h.bar.right / 2 ? SB_PAGELEFT : SB_PAGERIGHT;
}

LRESULT CALLBACK BarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC hdc = BeginPaint(hwnd, &paint);
        TreeState* s = TreeOfBar(hwnd);
        if (hdc != nullptr && s != nullptr) {
            HorizontalBar h = BarOf(GetParent(hwnd), *s);
            if (h.shown) {
                OffsetRect(&h.bar, -h.bar.left, -h.bar.top);
                PaintBar(hdc, h, s->left);
            }
        }
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN: {
        TreeState* s = TreeOfBar(hwnd);
        if (s == nullptr) return 0;
        const HorizontalBar h = BarOf(GetParent(hwnd), *s);
        if (h.shown) ScrollAcross(GetParent(hwnd), *s, BarCode(h, static_cast<SHORT>(LOWORD(lParam))));
        return 0;
    }
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// Shows, places or takes away the scroll bar after the rows or the tree's size changed.
void SyncBar(HWND hwnd, TreeState& s) {
    const HorizontalBar h = BarOf(hwnd, s);
    if (s.left > MaxLeft(h)) s.left = MaxLeft(h);
    if (!h.shown) {
        if (s.bar != nullptr) DestroyWindow(s.bar);
        s.bar = nullptr;
        return;
    }
    const RECT& r = h.bar;
    if (s.bar == nullptr) {
        s.bar = CreateWindowExW(0, kBarClass, u"", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, hwnd, nullptr, nullptr, nullptr);
    } else {
        SetWindowPos(s.bar, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(s.bar, nullptr, TRUE);
    }
}

void FillItem(TreeState& s, ULONG_PTR id, TVITEMW& item) {
    item = TVITEMW{};
    item.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
    item.hItem = H(id);
    if (Node* n = Find(s, id)) {
        item.state = n->state;
        item.stateMask = 0xFFFF;
        item.lParam = n->lParam;
    }
}

// Moves the caret; the parent may refuse with a non-zero answer to TVN_SELCHANGINGW.
bool SelectCaret(HWND hwnd, TreeState& s, ULONG_PTR id, UINT action) {
    if (id == s.caret) return true;
    NMTREEVIEWW note{};
    note.action = action;
    FillItem(s, s.caret, note.itemOld);
    FillItem(s, id, note.itemNew);
    if (NotifyParent(hwnd, TVN_SELCHANGINGW, &note.hdr) != 0) return false;
    const ULONG_PTR oldId = s.caret;
    if (Node* old = Find(s, s.caret)) old->state &= ~TVIS_SELECTED;
    s.caret = 0;
    if (Node* n = Find(s, id)) {
        n->state |= TVIS_SELECTED;
        s.caret = id;
        // The chosen item is shown: its ancestors open.
        for (Node* p = Find(s, n->parent); p != nullptr; p = Find(s, p->parent)) p->state |= TVIS_EXPANDED;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    note = NMTREEVIEWW{};
    note.action = action;
    FillItem(s, oldId, note.itemOld);
    FillItem(s, s.caret, note.itemNew);
    NotifyParent(hwnd, TVN_SELCHANGEDW, &note.hdr);
    return true;
}

bool Expand(HWND hwnd, TreeState& s, ULONG_PTR id, UINT code) {
    Node* n = Find(s, id);
    if (n == nullptr || n->children.empty()) return false;
    const bool open = (n->state & TVIS_EXPANDED) != 0;
    const UINT how = code & 3;
    const bool wantOpen = how == TVE_TOGGLE ? !open : how == TVE_EXPAND;
    if (wantOpen == open) return true;
    NMTREEVIEWW note{};
    note.action = wantOpen ? TVE_EXPAND : TVE_COLLAPSE;
    FillItem(s, id, note.itemNew);
    if (NotifyParent(hwnd, TVN_ITEMEXPANDINGW, &note.hdr) != 0) return false;
    n = Find(s, id);
    if (n == nullptr) return false;
    n->state = wantOpen ? (n->state | TVIS_EXPANDED | TVIS_EXPANDEDONCE) : (n->state & ~TVIS_EXPANDED);
    FillItem(s, id, note.itemNew);
    NotifyParent(hwnd, TVN_ITEMEXPANDEDW, &note.hdr);
    InvalidateRect(hwnd, nullptr, TRUE);
    return true;
}

void Delete(HWND hwnd, TreeState& s, ULONG_PTR id) {
    Node* n = Find(s, id);
    if (n == nullptr) return;
    const std::vector<ULONG_PTR> children = n->children;
    for (ULONG_PTR c : children) Delete(hwnd, s, c);
    NMTREEVIEWW note{};
    FillItem(s, id, note.itemOld);
    NotifyParent(hwnd, TVN_DELETEITEMW, &note.hdr);
    n = Find(s, id);
    if (n == nullptr) return;
    auto& siblings = Siblings(s, *n);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), id), siblings.end());
    if (s.caret == id) s.caret = 0;
    if (s.drop == id) s.drop = 0;
    s.nodes.erase(id);
}

LRESULT Insert(HWND hwnd, TreeState& s, const TVINSERTSTRUCTW* insert) {
    if (insert == nullptr) return 0;
    const ULONG_PTR parent = (insert->hParent == nullptr || insert->hParent == TVI_ROOT) ? 0 : Id(insert->hParent);
    if (parent != 0 && Find(s, parent) == nullptr) return 0;
    Node node;
    node.parent = parent;
    const TVITEMW& item = insert->item;
    if ((item.mask & TVIF_TEXT) && item.pszText != nullptr && reinterpret_cast<intptr_t>(item.pszText) != -1) {
        node.text = item.pszText;
    }
    if (item.mask & TVIF_IMAGE) node.image = item.iImage;
    if (item.mask & TVIF_SELECTEDIMAGE) node.selectedImage = item.iSelectedImage;
    if (item.mask & TVIF_PARAM) node.lParam = item.lParam;
    if (item.mask & TVIF_STATE) node.state = item.state & item.stateMask & ~TVIS_SELECTED;
    std::vector<ULONG_PTR>& siblings = parent == 0 ? s.roots : s.nodes[parent].children;
    size_t at = siblings.size();
    if (insert->hInsertAfter == TVI_FIRST) {
        at = 0;
    } else if (insert->hInsertAfter == TVI_SORT) {
        at = 0;
        while (at < siblings.size() && s.nodes[siblings[at]].text <= node.text) ++at;
    } else if (insert->hInsertAfter != TVI_LAST && insert->hInsertAfter != nullptr) {
        auto it = std::find(siblings.begin(), siblings.end(), Id(insert->hInsertAfter));
        if (it != siblings.end()) at = static_cast<size_t>(it - siblings.begin()) + 1;
    }
    const ULONG_PTR id = s.next++;
    s.nodes.emplace(id, std::move(node));
    std::vector<ULONG_PTR>& list = parent == 0 ? s.roots : s.nodes[parent].children;
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(std::min(at, list.size())), id);
    InvalidateRect(hwnd, nullptr, TRUE);
    return static_cast<LRESULT>(id);
}

ULONG_PTR NextItem(TreeState& s, UINT code, ULONG_PTR id) {
    auto neighbour = [&](int step) -> ULONG_PTR {
        Node* n = Find(s, id);
        if (n == nullptr) return 0;
        const auto& siblings = Siblings(s, *n);
        auto it = std::find(siblings.begin(), siblings.end(), id);
        const std::ptrdiff_t at = (it - siblings.begin()) + step;
        return at >= 0 && at < static_cast<std::ptrdiff_t>(siblings.size()) ? siblings[static_cast<size_t>(at)] : 0;
    };
    const std::vector<ULONG_PTR> rows = Rows(s);
    switch (code) {
    case TVGN_ROOT: return s.roots.empty() ? 0 : s.roots.front();
    case TVGN_NEXT: return neighbour(1);
    case TVGN_PREVIOUS: return neighbour(-1);
    case TVGN_PARENT: return Find(s, id) != nullptr ? Find(s, id)->parent : 0;
    case TVGN_CHILD: {
        if (id == 0) return s.roots.empty() ? 0 : s.roots.front();
        Node* n = Find(s, id);
        return n != nullptr && !n->children.empty() ? n->children.front() : 0;
    }
    case TVGN_CARET: return s.caret;
    case TVGN_DROPHILITE: return s.drop;
    case TVGN_FIRSTVISIBLE: return s.top < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(s.top)] : 0;
    case TVGN_LASTVISIBLE: return rows.empty() ? 0 : rows.back();
    case TVGN_NEXTVISIBLE:
    case TVGN_PREVIOUSVISIBLE: {
        auto it = std::find(rows.begin(), rows.end(), id);
        if (it == rows.end()) return 0;
        if (code == TVGN_NEXTVISIBLE) return it + 1 == rows.end() ? 0 : *(it + 1);
        return it == rows.begin() ? 0 : *(it - 1);
    }
    default: return 0;
    }
}

bool GetItem(TreeState& s, TVITEMW* item) {
    Node* n = item != nullptr ? Find(s, Id(item->hItem)) : nullptr;
    if (n == nullptr) return false;
    if (item->mask & TVIF_TEXT) CopyText(n->text, item->pszText, item->cchTextMax);
    if (item->mask & TVIF_IMAGE) item->iImage = n->image;
    if (item->mask & TVIF_SELECTEDIMAGE) item->iSelectedImage = n->selectedImage;
    if (item->mask & TVIF_PARAM) item->lParam = n->lParam;
    if (item->mask & TVIF_STATE) item->state = n->state & item->stateMask;
    if (item->mask & TVIF_CHILDREN) item->cChildren = n->children.empty() ? 0 : 1;
    return true;
}

bool SetItem(HWND hwnd, TreeState& s, const TVITEMW* item) {
    Node* n = item != nullptr ? Find(s, Id(item->hItem)) : nullptr;
    if (n == nullptr) return false;
    if ((item->mask & TVIF_TEXT) && item->pszText != nullptr && reinterpret_cast<intptr_t>(item->pszText) != -1) {
        n->text = item->pszText;
    }
    if (item->mask & TVIF_IMAGE) n->image = item->iImage;
    if (item->mask & TVIF_SELECTEDIMAGE) n->selectedImage = item->iSelectedImage;
    if (item->mask & TVIF_PARAM) n->lParam = item->lParam;
    if (item->mask & TVIF_STATE) n->state = (n->state & ~item->stateMask) | (item->state & item->stateMask);
    InvalidateRect(hwnd, nullptr, TRUE);
    return true;
}

void PaintTree(HWND hwnd, TreeState& s) {
    PaintScope paint(hwnd, s.font);
    HDC hdc = paint.Dc();
    if (hdc == nullptr) return;
    const RECT client = paint.Client();
    FillSolid(hdc, client, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_WINDOW : COLOR_BTNFACE));
    const std::vector<ULONG_PTR> rows = Rows(s);
    const bool showSel = s.focused || (StyleOf(hwnd) & TVS_SHOWSELALWAYS);
    for (size_t r = static_cast<size_t>(s.top); r < rows.size(); ++r) {
        const ULONG_PTR id = rows[r];
        RECT text{};
        if (!ItemRect(hwnd, s, id, true, &text) || text.top >= client.bottom) break;
        const Node& n = s.nodes[id];
        if ((StyleOf(hwnd) & TVS_HASBUTTONS) && !n.children.empty() &&
            (n.parent != 0 || (StyleOf(hwnd) & TVS_LINESATROOT))) {
            const int bx = Level(s, id) * s.indent + ((StyleOf(hwnd) & TVS_LINESATROOT) ? 0 : -s.indent) + s.indent / 2 -
                           s.left;
            const int by = (text.top + text.bottom) / 2;
            const RECT box{bx - 4, by - 4, bx + 5, by + 5};
            DrawFrame(hdc, box, GetSysColor(COLOR_BTNSHADOW));
            FillSolid(hdc, RECT{bx - 2, by, bx + 3, by + 1}, GetSysColor(COLOR_WINDOWTEXT));
            if (!(n.state & TVIS_EXPANDED)) FillSolid(hdc, RECT{bx, by - 2, bx + 1, by + 3}, GetSysColor(COLOR_WINDOWTEXT));
        }
        if (s.images != nullptr) {
            int cx = 0, cy = 0;
            ImageList_GetIconSize(s.images, &cx, &cy);
            const int image = (n.state & TVIS_SELECTED) ? n.selectedImage : n.image;
            ImageList_Draw(s.images, image, hdc, text.left - cx - 3, text.top, ILD_TRANSPARENT | (n.state & TVIS_OVERLAYMASK));
        }
        const bool highlighted = (n.state & TVIS_DROPHILITED) || ((n.state & TVIS_SELECTED) && showSel && s.drop == 0);
        COLORREF color = GetSysColor(COLOR_WINDOWTEXT);
        if (highlighted) {
            const bool strong = s.focused || (n.state & TVIS_DROPHILITED);
            FillSolid(hdc, text, GetSysColor(strong ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
            color = GetSysColor(strong ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
        }
        DrawTextIn(hdc, n.text, RECT{text.left + 2, text.top, text.right, text.bottom}, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX,
                   color);
        if (n.state & TVIS_BOLD) {
            DrawTextIn(hdc, n.text, RECT{text.left + 3, text.top, text.right, text.bottom},
                       DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, color);
        }
    }
}

ULONG_PTR HitRow(HWND hwnd, TreeState& s, LPARAM lParam, bool* onButton) {
    const int y = static_cast<SHORT>(HIWORD(lParam));
    const int x = static_cast<SHORT>(LOWORD(lParam)) + s.left;
    if (y < 0) return 0;
    const std::vector<ULONG_PTR> rows = Rows(s);
    const size_t row = static_cast<size_t>(s.top + y / std::max(1, ItemHeight(hwnd, s)));
    if (row >= rows.size()) return 0;
    const int level = Level(s, rows[row]) + ((StyleOf(hwnd) & TVS_LINESATROOT) ? 1 : 0);
    *onButton = x < level * s.indent && x >= (level - 1) * s.indent;
    return rows[row];
}

LRESULT TreeMessage(HWND hwnd, TreeState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case TVM_INSERTITEMW: return Insert(hwnd, s, reinterpret_cast<const TVINSERTSTRUCTW*>(lParam));
    case TVM_DELETEITEM: {
        const ULONG_PTR id = Id(reinterpret_cast<HTREEITEM>(lParam));
        if (reinterpret_cast<HTREEITEM>(lParam) == TVI_ROOT || lParam == 0) {
            const std::vector<ULONG_PTR> roots = s.roots;
            for (ULONG_PTR r : roots) Delete(hwnd, s, r);
            s.top = 0;
        } else {
            if (Find(s, id) == nullptr) return FALSE;
            Delete(hwnd, s, id);
        }
        s.top = std::min(s.top, std::max(0, static_cast<int>(Rows(s).size()) - 1));
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TVM_EXPAND: return Expand(hwnd, s, Id(reinterpret_cast<HTREEITEM>(lParam)), static_cast<UINT>(wParam)) ? TRUE : FALSE;
    case TVM_GETITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (rect == nullptr) return FALSE;
        HTREEITEM item{};
        std::memcpy(&item, rect, sizeof(item));
        return ItemRect(hwnd, s, Id(item), wParam != 0, rect) ? TRUE : FALSE;
    }
    case TVM_GETCOUNT: return static_cast<LRESULT>(s.nodes.size());
    case TVM_GETINDENT: return s.indent;
    case TVM_SETINDENT:
        s.indent = std::max(static_cast<int>(wParam), 0);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TVM_GETIMAGELIST: return reinterpret_cast<LRESULT>(wParam == TVSIL_STATE ? s.stateImages : s.images);
    case TVM_SETIMAGELIST: {
        HIMAGELIST& slot = wParam == TVSIL_STATE ? s.stateImages : s.images;
        HIMAGELIST old = slot;
        slot = reinterpret_cast<HIMAGELIST>(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case TVM_GETNEXTITEM: return static_cast<LRESULT>(NextItem(s, static_cast<UINT>(wParam), Id(reinterpret_cast<HTREEITEM>(lParam))));
    case TVM_SELECTITEM: {
        const ULONG_PTR id = Id(reinterpret_cast<HTREEITEM>(lParam));
        if (id != 0 && Find(s, id) == nullptr) return FALSE;
        switch (wParam & 0xFF) {
        case TVGN_CARET: return SelectCaret(hwnd, s, id, TVC_UNKNOWN) ? TRUE : FALSE;
        case TVGN_DROPHILITE:
            if (Node* old = Find(s, s.drop)) old->state &= ~TVIS_DROPHILITED;
            s.drop = id;
            if (Node* n = Find(s, id)) n->state |= TVIS_DROPHILITED;
            InvalidateRect(hwnd, nullptr, TRUE);
            return TRUE;
        case TVGN_FIRSTVISIBLE: {
            const int row = RowOf(s, id);
            if (row < 0) return FALSE;
            s.top = row;
            InvalidateRect(hwnd, nullptr, TRUE);
            return TRUE;
        }
        default: return FALSE;
        }
    }
    case TVM_ENSUREVISIBLE: {
        Node* n = Find(s, Id(reinterpret_cast<HTREEITEM>(lParam)));
        if (n == nullptr) return FALSE;
        for (Node* p = Find(s, n->parent); p != nullptr; p = Find(s, p->parent)) p->state |= TVIS_EXPANDED;
        const int row = RowOf(s, Id(reinterpret_cast<HTREEITEM>(lParam)));
        RECT client{};
        GetClientRect(hwnd, &client);
        const HorizontalBar bar = BarOf(hwnd, s);
        if (bar.shown) client.bottom = bar.bar.top;
        const int shown = std::max(1, static_cast<int>(client.bottom) / ItemHeight(hwnd, s));
        if (row < s.top) s.top = row;
        if (row >= s.top + shown) s.top = row - shown + 1;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TVM_GETITEMHEIGHT: return ItemHeight(hwnd, s);
    case TVM_GETITEMSTATE: {
        Node* n = Find(s, Id(reinterpret_cast<HTREEITEM>(wParam)));
        return n == nullptr ? 0 : static_cast<LRESULT>(n->state & static_cast<UINT>(lParam));
    }
    case TVM_GETITEMW: return GetItem(s, reinterpret_cast<TVITEMW*>(lParam)) ? TRUE : FALSE;
    case TVM_SETITEMW: return SetItem(hwnd, s, reinterpret_cast<const TVITEMW*>(lParam)) ? TRUE : FALSE;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT TreeDispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        Attach(hwnd, new TreeState());
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (CommonMessage(hwnd, message, wParam, lParam, &result)) return result;
    TreeState* s = StateOf<TreeState>(hwnd);
    if (s == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: PaintTree(hwnd, *s); return 0;
    case WM_HSCROLL: ScrollAcross(hwnd, *s, wParam); return 0;
    case WM_LBUTTONDOWN: {
        if (GetFocus() != hwnd) SetFocus(hwnd);
        if (const HorizontalBar bar = BarOf(hwnd, *s); bar.shown && static_cast<SHORT>(HIWORD(lParam)) >= bar.bar.top) {
            ScrollAcross(hwnd, *s, BarCode(bar, static_cast<SHORT>(LOWORD(lParam))));
            return 0;
        }
        bool onButton = false;
        const ULONG_PTR id = HitRow(hwnd, *s, lParam, &onButton);
        if (id != 0 && onButton) {
            Expand(hwnd, *s, id, TVE_TOGGLE);
        } else if (id != 0) {
            SelectCaret(hwnd, *s, id, TVC_BYMOUSE);
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        NMHDR note{};
        NotifyParent(hwnd, NM_CLICK, &note);
        return 0;
    }
    case WM_LBUTTONDBLCLK: {
        NMHDR note{};
        if (NotifyParent(hwnd, NM_DBLCLK, &note) == 0 && s->caret != 0) Expand(hwnd, *s, s->caret, TVE_TOGGLE);
        return 0;
    }
    case WM_KEYDOWN: {
        ULONG_PTR target = 0;
        if (wParam == VK_DOWN) target = NextItem(*s, TVGN_NEXTVISIBLE, s->caret);
        else if (wParam == VK_UP) target = NextItem(*s, TVGN_PREVIOUSVISIBLE, s->caret);
        else if (wParam == VK_HOME) target = NextItem(*s, TVGN_ROOT, 0);
        else if (wParam == VK_RIGHT && s->caret != 0) Expand(hwnd, *s, s->caret, TVE_EXPAND);
        else if (wParam == VK_LEFT && s->caret != 0) Expand(hwnd, *s, s->caret, TVE_COLLAPSE);
        if (target != 0) SelectCaret(hwnd, *s, target, TVC_BYKEYBOARD);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: NotifyFocusChange(hwnd, *s, message == WM_SETFOCUS); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default: return TreeMessage(hwnd, *s, message, wParam, lParam);
    }
}

// Messages after which the rows may be wider or narrower than before, or the tree resized.
bool ChangesRows(UINT message) {
    switch (message) {
    case TVM_INSERTITEMW:
    case TVM_DELETEITEM:
    case TVM_EXPAND:
    case TVM_SETITEMW:
    case TVM_SETIMAGELIST:
    case TVM_SETINDENT:
    case TVM_ENSUREVISIBLE:
    case WM_SETFONT:
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN: return true;
    default: return false;
    }
}

LRESULT TreeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = TreeDispatch(hwnd, message, wParam, lParam);
    if (ChangesRows(message)) {
        if (TreeState* s = StateOf<TreeState>(hwnd)) SyncBar(hwnd, *s);
    }
    return result;
}

const bool kTreeListed = standin::ui::AddBuiltinClass({WC_TREEVIEWW, 0, TreeProc, CS_DBLCLKS, kStateBytes});
const bool kTreeBarListed = standin::ui::AddBuiltinClass({kBarClass, 0, BarProc, 0, 0});

}  // namespace
}  // namespace standin::controls
