// The default window procedure.
#include <algorithm>
#include <cstring>

#include "platform/Kernel.h"
#include "platform/src/ControlClasses.h"
#include "platform/src/window/WindowState.h"

using namespace standin::ui::core;

namespace {

LRESULT PositionChanged(HWND hwnd, const WINDOWPOS& pos) {
    LONG x = 0, y = 0, cx = 0, cy = 0;
    WPARAM kind = SIZE_RESTORED;
    {
        Guard guard(Lock());
        Window* w = Find(hwnd);
        if (w == nullptr) return 0;
        x = w->rect.left + w->insets.left;
        y = w->rect.top + w->insets.top;
        const RECT c = ClientRectOf(*w);
        cx = c.right;
        cy = c.bottom;
        if (w->style & WS_MINIMIZE) {
            kind = SIZE_MINIMIZED;
            cx = cy = 0;
        } else if (w->style & WS_MAXIMIZE) {
            kind = SIZE_MAXIMIZED;
        }
    }
    if (!(pos.flags & SWP_NOCLIENTMOVE)) SendMessageW(hwnd, WM_MOVE, 0, MAKELONG(x, y));
    if (!(pos.flags & SWP_NOCLIENTSIZE)) SendMessageW(hwnd, WM_SIZE, kind, MAKELONG(cx, cy));
    return 0;
}

}  // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (cs != nullptr && cs->lpszName != nullptr && !IS_INTRESOURCE(cs->lpszName)) {
            Guard guard(Lock());
            if (Window* w = Find(hwnd)) w->text = cs->lpszName;
        }
        return TRUE;
    }
    case WM_NCCALCSIZE: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        Guard guard(Lock());
        Window* w = Find(hwnd);
        if (w == nullptr || r == nullptr) return 0;
        const Insets in = FrameInsets(w->style, w->exStyle, w->menu != nullptr);
        r->left += in.left;
        r->top += in.top;
        r->right = std::max(r->left, r->right - in.right);
        r->bottom = std::max(r->top, r->bottom - in.bottom);
        return 0;
    }
    case WM_SETTEXT: {
        Guard guard(Lock());
        Window* w = Find(hwnd);
        if (w == nullptr) return FALSE;
        const auto* text = reinterpret_cast<LPCWSTR>(lParam);
        w->text = text != nullptr ? text : u"";
        return TRUE;
    }
    case WM_GETTEXT: {
        Guard guard(Lock());
        Window* w = Find(hwnd);
        auto* buffer = reinterpret_cast<LPWSTR>(lParam);
        if (w == nullptr || buffer == nullptr || wParam == 0) return 0;
        const size_t n = std::min<size_t>(w->text.size(), wParam - 1);
        std::copy_n(w->text.begin(), n, buffer);
        buffer[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
        Guard guard(Lock());
        Window* w = Find(hwnd);
        return w == nullptr ? 0 : static_cast<LRESULT>(w->text.size());
    }
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_PAINT: ValidateRect(hwnd, nullptr); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_WINDOWPOSCHANGED:
        if (lParam != 0) return PositionChanged(hwnd, *reinterpret_cast<const WINDOWPOS*>(lParam));
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); return 0;
        case SC_MAXIMIZE: ShowWindow(hwnd, SW_SHOWMAXIMIZED); return 0;
        case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); return 0;
        case SC_CLOSE: SendMessageW(hwnd, WM_CLOSE, 0, 0); return 0;
        default: return 0;
        }
    case WM_SETICON: {
        Guard guard(Lock());
        Window* w = Find(hwnd);
        if (w == nullptr) return 0;
        HICON& slot = wParam == ICON_BIG ? w->iconBig : w->iconSmall;
        HICON old = slot;
        slot = reinterpret_cast<HICON>(lParam);
        return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON: {
        Guard guard(Lock());
        Window* w = Find(hwnd);
        if (w == nullptr) return 0;
        return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? w->iconBig : w->iconSmall);
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(hwnd)) {
            HWND focus = GetFocus();
            if (focus != hwnd && !IsChild(hwnd, focus)) SetFocus(hwnd);
        }
        return 0;
    case WM_NCHITTEST: return 1;  // HTCLIENT
    case WM_GETMINMAXINFO: return 0;
    case WM_QUERYENDSESSION: return TRUE;
    default: return 0;
    }
}
