// Window geometry and state: positions and sizes (WM_WINDOWPOSCHANGING/CHANGED, WM_MOVE and
// WM_SIZE only on real changes), showing and minimising, coordinates, enabling, focus and
// activation.
#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

#include "platform/Kernel.h"
#include "platform/src/window/WindowState.h"

namespace standin::ui::core {
namespace {

std::atomic<unsigned> g_foregroundRequests{0};
HWND g_foreground = nullptr;  // under Lock()
// Threads whose input states are joined (AttachThreadInput), one entry per join; and whether
// the last SetForegroundWindow came from a thread joined with the foreground window's.
std::vector<std::pair<DWORD, DWORD>> g_joinedInputs;  // under Lock()
bool g_lastForegroundJoined = false;                  // under Lock()

bool JoinedLocked(DWORD a, DWORD b) {
    return a == b || std::any_of(g_joinedInputs.begin(), g_joinedInputs.end(), [&](const auto& p) {
               return (p.first == a && p.second == b) || (p.first == b && p.second == a);
           });
}

void MoveInZOrder(Window& w, HWND insertAfter) {
    if (Window* p = Find(w.parent)) {
        auto& list = p->children;
        list.erase(std::remove(list.begin(), list.end(), w.handle), list.end());
        if (insertAfter == HWND_BOTTOM) {
            list.push_back(w.handle);
        } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
            list.insert(list.begin(), w.handle);
        } else {
            auto it = std::find(list.begin(), list.end(), insertAfter);
            list.insert(it == list.end() ? list.end() : it + 1, w.handle);
        }
    }
    if (insertAfter == HWND_TOPMOST) w.exStyle |= WS_EX_TOPMOST;
    if (insertAfter == HWND_NOTOPMOST) w.exStyle &= ~WS_EX_TOPMOST;
}

}  // namespace

bool SetPosition(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    WINDOWPOS pos{hwnd, insertAfter, x, y, cx, cy, flags};
    {
        Guard guard(Lock());
        Window* w = FindOrFail(hwnd);
        if (w == nullptr) return false;
        if (flags & SWP_NOMOVE) {
            pos.x = w->rect.left;
            pos.y = w->rect.top;
        }
        if (flags & SWP_NOSIZE) {
            pos.cx = w->rect.right - w->rect.left;
            pos.cy = w->rect.bottom - w->rect.top;
        }
    }
    if (!(flags & SWP_NOSENDCHANGING)) SendMessageW(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    bool changed = false;
    {
        Guard guard(Lock());
        Window* w = FindOrFail(hwnd);
        if (w == nullptr) return false;
        const RECT oldRect = w->rect;
        const RECT oldClient = ClientRectOf(*w);
        const POINT oldOrigin{oldRect.left + w->insets.left, oldRect.top + w->insets.top};
        const RECT newRect{pos.x, pos.y, pos.x + std::max(pos.cx, 0), pos.y + std::max(pos.cy, 0)};
        w->rect = newRect;
        if (!(w->style & (WS_MINIMIZE | WS_MAXIMIZE))) w->normal = newRect;
        const RECT newClient = ClientRectOf(*w);
        const POINT newOrigin{newRect.left + w->insets.left, newRect.top + w->insets.top};
        const bool moved = oldOrigin.x != newOrigin.x || oldOrigin.y != newOrigin.y;
        const bool sized = !EqualRect(&oldClient, &newClient);
        changed = moved || sized || !EqualRect(&oldRect, &newRect) || (pos.flags & SWP_FRAMECHANGED);
        if (!(pos.flags & SWP_NOZORDER)) {
            MoveInZOrder(*w, pos.hwndInsertAfter);
            changed = true;
        }
        if ((pos.flags & SWP_SHOWWINDOW) && !(w->style & WS_VISIBLE)) {
            w->style |= WS_VISIBLE;
            changed = true;
        }
        if ((pos.flags & SWP_HIDEWINDOW) && (w->style & WS_VISIBLE)) {
            w->style &= ~WS_VISIBLE;
            changed = true;
        }
        if (!moved) pos.flags |= SWP_NOCLIENTMOVE;
        if (!sized) pos.flags |= SWP_NOCLIENTSIZE;
        if (sized) {
            ResizeSurface(*w);
            w->hasUpdate = true;
            w->eraseUpdate = true;
            w->update = newClient;
            NotifyQueue(w->thread);
        }
    }
    if (changed) SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    return true;
}

unsigned ForegroundRequestCount() { return g_foregroundRequests.load(); }
void ResetForeground() {
    g_foregroundRequests = 0;
    g_foreground = nullptr;
    g_joinedInputs.clear();
    g_lastForegroundJoined = false;
}

void JoinInputLocked(DWORD attach, DWORD attachTo, bool join) {
    if (join) {
        g_joinedInputs.emplace_back(attach, attachTo);
        return;
    }
    const auto it = std::find(g_joinedInputs.begin(), g_joinedInputs.end(), std::make_pair(attach, attachTo));
    if (it != g_joinedInputs.end()) g_joinedInputs.erase(it);
}

}  // namespace standin::ui::core

using namespace standin::ui::core;

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return SetPosition(hwnd, insertAfter, x, y, cx, cy, flags & ~(SWP_NOCLIENTMOVE | SWP_NOCLIENTSIZE)) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL ShowWindow(HWND hwnd, int command) {
    bool wasVisible = false;
    bool minimized = false;
    bool child = false;
    RECT normal{};
    {
        Guard guard(Lock());
        Window* w = FindOrFail(hwnd);
        if (w == nullptr) return FALSE;
        wasVisible = (w->style & WS_VISIBLE) != 0;
        minimized = (w->style & WS_MINIMIZE) != 0;
        child = (w->style & WS_CHILD) != 0;
        normal = w->normal;
    }
    const UINT keep = SWP_NOZORDER | SWP_NOACTIVATE;
    bool activate = false;
    switch (command) {
    case SW_HIDE:
        if (!wasVisible) return FALSE;
        SendMessageW(hwnd, WM_SHOWWINDOW, FALSE, 0);
        SetPosition(hwnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | keep);
        {
            Guard guard(Lock());
            Queue& q = CurrentQueue();
            if (q.focus == hwnd || IsDescendant(hwnd, q.focus)) q.focus = nullptr;
        }
        return TRUE;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE: {
        if (!wasVisible) SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
        if (!minimized) {
            {
                Guard guard(Lock());
                if (Window* w = Find(hwnd)) w->style = (w->style | WS_MINIMIZE) & ~WS_MAXIMIZE;
            }
            const int x = child ? 0 : MINIMIZED_POSITION, y = child ? 0 : MINIMIZED_POSITION;
            SetPosition(hwnd, nullptr, x, y, Metric(SM_CXMINIMIZED), Metric(SM_CYMINIMIZED), SWP_SHOWWINDOW | keep);
        } else {
            SetPosition(hwnd, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | keep);
        }
        return wasVisible ? TRUE : FALSE;
    }
    case SW_SHOWMAXIMIZED: {
        if (!wasVisible) SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        {
            Guard guard(Lock());
            if (Window* w = Find(hwnd)) w->style = (w->style | WS_MAXIMIZE) & ~WS_MINIMIZE;
        }
        SetPosition(hwnd, nullptr, work.left, work.top, work.right - work.left, work.bottom - work.top,
                    SWP_SHOWWINDOW | keep);
        activate = true;
        break;
    }
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT: {
        if (!wasVisible) SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
        bool restore = false;
        {
            Guard guard(Lock());
            if (Window* w = Find(hwnd)) {
                restore = (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) != 0;
                w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
            }
        }
        if (restore) {
            SetPosition(hwnd, nullptr, normal.left, normal.top, normal.right - normal.left,
                        normal.bottom - normal.top, SWP_SHOWWINDOW | keep);
        } else {
            SetPosition(hwnd, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | keep);
        }
        activate = true;
        break;
    }
    case SW_SHOW:
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
        if (!wasVisible) {
            SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
            SetPosition(hwnd, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | keep);
        }
        activate = command == SW_SHOW;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (activate && !child && IsWindow(hwnd)) SetActiveWindow(hwnd);
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
    Guard guard(Lock());
    for (Window* w = Find(hwnd); w != nullptr; w = Find(w->parent)) {
        if (!(w->style & WS_VISIBLE)) return FALSE;
        if (w->parent == nullptr) return TRUE;
    }
    return FALSE;
}

BOOL IsIconic(HWND hwnd) {
    Guard guard(Lock());
    Window* w = Find(hwnd);
    return w != nullptr && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hwnd) {
    Guard guard(Lock());
    Window* w = Find(hwnd);
    return w != nullptr && (w->style & WS_MAXIMIZE) ? TRUE : FALSE;
}

// The desktop is the whole screen; any other window gives the rectangle `of` picks.
template <typename Pick>
BOOL RectOfWindow(HWND hwnd, RECT* rect, Pick of) {
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (hwnd == DesktopHandle()) {
        SetRect(rect, 0, 0, Metric(SM_CXSCREEN), Metric(SM_CYSCREEN));
        return TRUE;
    }
    Guard guard(Lock());
    Window* w = FindOrFail(hwnd);
    if (w == nullptr) return FALSE;
    *rect = of(*w);
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    return RectOfWindow(hwnd, rect, [](const Window& w) { return ScreenRectOf(w); });
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
    return RectOfWindow(hwnd, rect, [](const Window& w) {
        return (w.style & WS_MINIMIZE) ? RECT{0, 0, 0, 0} : ClientRectOf(w);
    });
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle) {
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Insets in = FrameInsets(style, exStyle, menu != FALSE);
    rect->left -= in.left;
    rect->top -= in.top;
    rect->right += in.right;
    rect->bottom += in.bottom;
    return TRUE;
}

namespace {
// The client origin in screen coordinates; the screen itself for NULL or the desktop.
bool OriginOf(HWND hwnd, POINT* origin) {
    if (hwnd == nullptr || hwnd == DesktopHandle()) {
        *origin = POINT{0, 0};
        return true;
    }
    Window* w = FindOrFail(hwnd);
    if (w == nullptr) return false;
    *origin = ClientOriginOf(*w);
    return true;
}
}  // namespace

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
    Guard guard(Lock());
    POINT a{}, b{};
    if (!OriginOf(from, &a) || !OriginOf(to, &b)) return 0;
    const LONG dx = a.x - b.x, dy = a.y - b.y;
    for (UINT i = 0; points != nullptr && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    SetLastError(0);
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
    Guard guard(Lock());
    POINT o{};
    if (point == nullptr || !OriginOf(hwnd, &o) || hwnd == nullptr) return FALSE;
    point->x -= o.x;
    point->y -= o.y;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
    Guard guard(Lock());
    POINT o{};
    if (point == nullptr || !OriginOf(hwnd, &o) || hwnd == nullptr) return FALSE;
    point->x += o.x;
    point->y += o.y;
    return TRUE;
}

HWND WindowFromPoint(POINT point) {
    Guard guard(Lock());
    // Top-level windows in creation order stand for the Z order; the deepest visible child
    // under the point wins.
    HWND found = nullptr;
    for (auto& [h, w] : Windows()) {
        if (w->parent != nullptr || !(w->style & WS_VISIBLE)) continue;
        RECT r = ScreenRectOf(*w);
        if (PtInRect(&r, point)) found = h;
    }
    for (HWND current = found; current != nullptr;) {
        Window* w = Find(current);
        HWND next = nullptr;
        for (HWND c : w->children) {
            Window* cw = Find(c);
            RECT r = ScreenRectOf(*cw);
            if ((cw->style & WS_VISIBLE) && PtInRect(&r, point)) {
                next = c;
                break;
            }
        }
        if (next == nullptr) break;
        found = current = next;
    }
    return found;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    bool wasDisabled = false;
    {
        Guard guard(Lock());
        Window* w = FindOrFail(hwnd);
        if (w == nullptr) return FALSE;
        wasDisabled = (w->style & WS_DISABLED) != 0;
        if (wasDisabled == !enable) return wasDisabled ? TRUE : FALSE;
        if (enable) {
            w->style &= ~WS_DISABLED;
        } else {
            w->style |= WS_DISABLED;
        }
    }
    if (!enable) {
        HWND focus = GetFocus();
        if (focus == hwnd || IsChild(hwnd, focus)) SetFocus(nullptr);
    }
    SendMessageW(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
    Guard guard(Lock());
    Window* w = Find(hwnd);
    return w != nullptr && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

HWND SetFocus(HWND hwnd) {
    HWND old = nullptr;
    {
        Guard guard(Lock());
        Queue& q = CurrentQueue();
        old = q.focus;
        if (hwnd != nullptr) {
            Window* w = FindOrFail(hwnd);
            if (w == nullptr) return nullptr;
            if (w->thread != GetCurrentThreadId()) {
                SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
                return nullptr;
            }
        }
        if (old == hwnd) return old;
        q.focus = hwnd;
    }
    if (hwnd != nullptr) {
        HWND top = nullptr;
        {
            Guard guard(Lock());
            top = TopLevelOf(hwnd);
        }
        if (top != GetActiveWindow()) SetActiveWindow(top);
    }
    if (old != nullptr && IsWindow(old)) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd != nullptr && GetFocus() == hwnd) SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND GetFocus() {
    Guard guard(Lock());
    return CurrentQueue().focus;
}

HWND SetActiveWindow(HWND hwnd) {
    HWND old = nullptr;
    {
        Guard guard(Lock());
        Window* w = FindOrFail(hwnd);
        if (w == nullptr) return nullptr;
        if (w->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
            return nullptr;
        }
        hwnd = TopLevelOf(hwnd);
        Queue& q = CurrentQueue();
        old = q.active;
        if (old == hwnd) return old;
        q.active = hwnd;
        g_foreground = hwnd;
    }
    if (old != nullptr && IsWindow(old)) SendMessageW(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
    SendMessageW(hwnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
    return old;
}

HWND GetActiveWindow() {
    Guard guard(Lock());
    return CurrentQueue().active;
}

BOOL SetForegroundWindow(HWND hwnd) {
    ++g_foregroundRequests;
    {
        Guard guard(Lock());
        if (FindOrFail(hwnd) == nullptr) return FALSE;
        const Window* previous = Find(g_foreground);
        g_lastForegroundJoined = previous == nullptr || JoinedLocked(previous->thread, GetCurrentThreadId());
        g_foreground = TopLevelOf(hwnd);
    }
    return TRUE;
}

HWND GetForegroundWindow() {
    Guard guard(Lock());
    return Find(g_foreground) != nullptr ? g_foreground : nullptr;
}

BOOL BringWindowToTop(HWND hwnd) {
    return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

namespace standin::ui {
unsigned ForegroundRequests() { return core::ForegroundRequestCount(); }
bool LastForegroundJoined() {
    core::Guard guard(core::Lock());
    return core::g_lastForegroundJoined;
}
unsigned JoinedInputCount() {
    core::Guard guard(core::Lock());
    return static_cast<unsigned>(core::g_joinedInputs.size());
}
}  // namespace standin::ui
