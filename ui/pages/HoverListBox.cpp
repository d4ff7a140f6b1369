// The hover list box: an owner-drawn list box of a page that remembers which of its tracked
// items the mouse is over, so that the owner draws that item highlighted.
#include "platform/Controls.h"
#include "platform/User.h"
#include "ui/pages/PropertyPages.h"

namespace {

PageRecord* HoverPage(HWND window) { return reinterpret_cast<PageRecord*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

void InvalidateItem(HWND window, WORD item) {
    if (item == kNoHoverItem) return;
    RECT rect{};
    if (SendMessageW(window, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect)) != LB_ERR) {
        InvalidateRect(window, &rect, FALSE);
    }
}

// The first tracked item under the point (client coordinates), kNoHoverItem for none.
WORD ItemAt(HWND window, const int* items, POINT point) {
    if (items == nullptr) return kNoHoverItem;
    for (const int* item = items; *item != -1; ++item) {
        if (*item < 0 || *item >= kNoHoverItem) continue;
        RECT rect{};
        if (SendMessageW(window, LB_GETITEMRECT, static_cast<WPARAM>(*item), reinterpret_cast<LPARAM>(&rect)) == LB_ERR) {
            continue;
        }
        if (PtInRect(&rect, point)) return static_cast<WORD>(*item);
    }
    return kNoHoverItem;
}

}  // namespace

void SubclassHoverListBox(PageRecord* page, HWND listBox, const int* items) {
    if (page == nullptr || listBox == nullptr) return;
    page->hoverItem = kNoHoverItem;
    page->hoverItems = items;
    SetWindowLongPtrW(listBox, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
    page->hoverPreviousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(listBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HoverListBoxWndProc)));
}

LRESULT HoverListBoxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PageRecord* page = HoverPage(window);
    if (page == nullptr || page->hoverPreviousProc == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    const LRESULT answer = CallWindowProcW(page->hoverPreviousProc, window, message, wParam, lParam);
    if (message == WM_NCMOUSEMOVE && page->hoverItem != kNoHoverItem) {
        InvalidateItem(window, page->hoverItem);
        page->hoverItem = kNoHoverItem;
        UpdateWindow(window);
    } else if (message == WM_MOUSEMOVE) {
        const POINT point{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        const WORD hovered = ItemAt(window, page->hoverItems, point);
        if (hovered != page->hoverItem) {
            InvalidateItem(window, page->hoverItem);
            InvalidateItem(window, hovered);
            page->hoverItem = hovered;
            UpdateWindow(window);
        }
    }
    return answer;
}
