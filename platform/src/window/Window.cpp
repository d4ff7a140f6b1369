// Windows: the table of window records, creation and destruction with the platform's message
// order, window data (GetWindowLongPtrW), text, and the window tree.
#include <algorithm>
#include <cstring>

#include "platform/Kernel.h"
#include "platform/src/window/WindowState.h"

namespace standin::ui::core {
namespace {

struct WindowTable {
    std::map<HWND, std::unique_ptr<Window>> windows;
    ULONG_PTR nextHandle = 0x10010;
    std::map<DWORD, std::unique_ptr<Queue>> queues;
};
WindowTable& Table() {
    static WindowTable table;
    return table;
}

// The desktop stands for the screen; it has no procedure and no queue.
constexpr ULONG_PTR kDesktopValue = 0x10004;

}  // namespace

std::mutex& Lock() {
    static std::mutex lock;
    return lock;
}

std::map<HWND, std::unique_ptr<Window>>& Windows() { return Table().windows; }
HWND DesktopHandle() { return reinterpret_cast<HWND>(kDesktopValue); }

Window* Find(HWND hwnd) {
    auto it = Table().windows.find(hwnd);
    return it == Table().windows.end() ? nullptr : it->second.get();
}

Window* FindOrFail(HWND hwnd) {
    Window* w = Find(hwnd);
    if (w == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

Queue& CurrentQueue() {
    const DWORD id = GetCurrentThreadId();
    auto& slot = Table().queues[id];
    if (slot == nullptr) {
        slot = std::make_unique<Queue>();
        slot->thread = id;
    }
    return *slot;
}

Queue* QueueOf(DWORD thread) {
    auto it = Table().queues.find(thread);
    return it == Table().queues.end() ? nullptr : it->second.get();
}

void NotifyQueue(DWORD thread) {
    if (Queue* q = QueueOf(thread)) q->cv.notify_all();
}

POINT ClientOriginOf(const Window& w) {
    POINT origin{w.rect.left + w.insets.left, w.rect.top + w.insets.top};
    if (const Window* p = Find(w.parent)) {
        const POINT parentOrigin = ClientOriginOf(*p);
        origin.x += parentOrigin.x;
        origin.y += parentOrigin.y;
    }
    return origin;
}

RECT ScreenRectOf(const Window& w) {
    RECT r = w.rect;
    if (const Window* p = Find(w.parent)) {
        const POINT o = ClientOriginOf(*p);
        OffsetRect(&r, o.x, o.y);
    }
    return r;
}

RECT ClientRectOf(const Window& w) {
    const LONG width = (w.rect.right - w.rect.left) - w.insets.left - w.insets.right;
    const LONG height = (w.rect.bottom - w.rect.top) - w.insets.top - w.insets.bottom;
    return RECT{0, 0, std::max<LONG>(width, 0), std::max<LONG>(height, 0)};
}

bool IsDescendant(HWND ancestor, HWND hwnd) {
    for (Window* w = Find(hwnd); w != nullptr && w->parent != nullptr; w = Find(w->parent)) {
        if (w->parent == ancestor) return true;
    }
    return false;
}

HWND TopLevelOf(HWND hwnd) {
    Window* w = Find(hwnd);
    while (w != nullptr && w->parent != nullptr) w = Find(w->parent);
    return w == nullptr ? nullptr : w->handle;
}

// Frames as the platform draws them: a sizing frame, else a dialog frame, else a thin
// border; a caption and a menu bar on top; a client edge inside.
Insets FrameInsets(DWORD style, DWORD exStyle, bool hasMenu) {
    Insets in;
    LONG fx = 0, fy = 0;
    if (style & WS_THICKFRAME) {
        fx = Metric(SM_CXFRAME);
        fy = Metric(SM_CYFRAME);
    } else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
        fx = Metric(SM_CXDLGFRAME);
        fy = Metric(SM_CYDLGFRAME);
    } else if (style & WS_BORDER) {
        fx = Metric(SM_CXBORDER);
        fy = Metric(SM_CYBORDER);
    }
    in.left = in.right = fx;
    in.top = in.bottom = fy;
    if ((style & WS_CAPTION) == WS_CAPTION) in.top += Metric(SM_CYCAPTION);
    if (hasMenu && !(style & WS_CHILD)) in.top += Metric(SM_CYMENU);
    if (exStyle & WS_EX_CLIENTEDGE) {
        in.left += Metric(SM_CXEDGE);
        in.right += Metric(SM_CXEDGE);
        in.top += Metric(SM_CYEDGE);
        in.bottom += Metric(SM_CYEDGE);
    }
    return in;
}

void ResizeSurface(Window& w) {
    if (w.surface == nullptr) return;
    const RECT c = ClientRectOf(w);
    Surface& s = *w.surface;
    if (s.width == c.right && s.height == c.bottom) return;
    std::vector<BYTE> bgr(static_cast<size_t>(c.right) * c.bottom * 3, 0xFF);
    const LONG keepW = std::min(s.width, c.right), keepH = std::min(s.height, c.bottom);
    for (LONG y = 0; y < keepH; ++y) {
        std::memcpy(&bgr[static_cast<size_t>(y) * c.right * 3], &s.bgr[static_cast<size_t>(y) * s.width * 3],
                    static_cast<size_t>(keepW) * 3);
    }
    s.bgr = std::move(bgr);
    s.width = c.right;
    s.height = c.bottom;
}

LRESULT CallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = nullptr;
    {
        Guard guard(Lock());
        Window* w = FindOrFail(hwnd);
        if (w == nullptr) return 0;
        proc = w->proc;
    }
    return proc(hwnd, message, wParam, lParam);
}

namespace {

LONG_PTR ReadExtra(const Window& w, int offset, size_t size, bool* ok) {
    *ok = offset >= 0 && static_cast<size_t>(offset) + size <= w.extra.size();
    if (!*ok) return 0;
    if (size == 4) {
        LONG v;
        std::memcpy(&v, &w.extra[static_cast<size_t>(offset)], 4);
        return v;
    }
    LONG_PTR v;
    std::memcpy(&v, &w.extra[static_cast<size_t>(offset)], sizeof(v));
    return v;
}

void WriteExtra(Window& w, int offset, size_t size, LONG_PTR value) {
    if (size == 4) {
        const LONG v = static_cast<LONG>(value);
        std::memcpy(&w.extra[static_cast<size_t>(offset)], &v, 4);
    } else {
        std::memcpy(&w.extra[static_cast<size_t>(offset)], &value, sizeof(value));
    }
}

LONG_PTR GetLong(HWND hwnd, int index, size_t size) {
    Guard guard(Lock());
    Window* w = FindOrFail(hwnd);
    if (w == nullptr) return 0;
    switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent != nullptr ? w->parent : w->owner);
    case GWLP_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWLP_USERDATA: return w->userData;
    default: break;
    }
    bool ok = false;
    const LONG_PTR v = ReadExtra(*w, index, size, &ok);
    if (!ok) SetLastError(ERROR_INVALID_INDEX);
    return v;
}

LONG_PTR SetLong(HWND hwnd, int index, LONG_PTR value, size_t size) {
    Guard guard(Lock());
    Window* w = FindOrFail(hwnd);
    if (w == nullptr) return 0;
    if (w->thread != GetCurrentThreadId() && index == GWLP_WNDPROC) {
        SetLastError(ERROR_ACCESS_DENIED);  // no subclassing across threads
        return 0;
    }
    LONG_PTR old = 0;
    switch (index) {
    case GWLP_WNDPROC:
        if (value == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        old = reinterpret_cast<LONG_PTR>(w->proc);
        w->proc = reinterpret_cast<WNDPROC>(value);
        return old;
    case GWLP_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(w->instance);
        w->instance = reinterpret_cast<HINSTANCE>(value);
        return old;
    case GWLP_HWNDPARENT:
        old = reinterpret_cast<LONG_PTR>(w->owner);
        if (w->parent == nullptr) w->owner = reinterpret_cast<HWND>(value);
        return old;
    case GWLP_ID:
        old = w->id;
        w->id = value;
        return old;
    case GWLP_USERDATA:
        old = w->userData;
        w->userData = value;
        return old;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
        DWORD& field = index == GWL_STYLE ? w->style : w->exStyle;
        old = static_cast<LONG>(field);
        struct {
            DWORD oldStyle, newStyle;
        } change{field, static_cast<DWORD>(value)};
        guard.unlock();
        SendMessageW(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
        guard.lock();
        w = Find(hwnd);
        if (w == nullptr) return old;
        (index == GWL_STYLE ? w->style : w->exStyle) = change.newStyle;
        guard.unlock();
        SendMessageW(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
        return old;
    }
    default: break;
    }
    bool ok = false;
    old = ReadExtra(*w, index, size, &ok);
    if (!ok) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    WriteExtra(*w, index, size, value);
    return old;
}

// Owned windows go first, then the window: WM_DESTROY parent first, WM_NCDESTROY children
// first, as the platform orders them.
void SendDestroy(HWND hwnd) {
    std::vector<HWND> children;
    {
        Guard guard(Lock());
        Window* w = Find(hwnd);
        if (w == nullptr) return;
        children = w->children;
    }
    SendMessageW(hwnd, WM_DESTROY, 0, 0);
    for (HWND child : children) SendDestroy(child);
}

void SendNcDestroy(HWND hwnd) {
    std::vector<HWND> children;
    {
        Guard guard(Lock());
        Window* w = Find(hwnd);
        if (w == nullptr) return;
        children = w->children;
    }
    for (HWND child : children) SendNcDestroy(child);
    SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
    Guard guard(Lock());
    Window* w = Find(hwnd);
    if (w == nullptr) return;
    if (Window* p = Find(w->parent)) {
        auto& list = p->children;
        list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
    }
    for (auto& [thread, q] : Table().queues) {
        if (q->focus == hwnd) q->focus = nullptr;
        if (q->active == hwnd) q->active = nullptr;
        auto& posted = q->posted;
        posted.erase(std::remove_if(posted.begin(), posted.end(), [&](const MSG& m) { return m.hwnd == hwnd; }),
                     posted.end());
    }
    // The dialog font is deleted after the window table's lock is let go: the drawing state's
    // lock is taken before the table's elsewhere (GetDC), never after it.
    const HFONT ownedFont = w->ownsFont ? w->font : nullptr;
    w->cls->windows--;
    Table().windows.erase(hwnd);
    guard.unlock();
    if (ownedFont != nullptr) ReleaseDialogFont(ownedFont);
}

std::vector<HWND> OwnedWindows(HWND owner) {
    std::vector<HWND> owned;
    for (auto& [h, w] : Table().windows) {
        if (w->owner == owner && w->parent == nullptr && !w->destroying) owned.push_back(h);
    }
    return owned;
}

}  // namespace

void DestroyAllWindows() {
    for (;;) {
        HWND victim = nullptr;
        {
            Guard guard(Lock());
            for (auto& [h, w] : Table().windows) {
                if (w->parent == nullptr && !w->destroying) {
                    victim = h;
                    break;
                }
            }
            if (victim == nullptr) {
                Table().windows.clear();
                for (auto& [thread, q] : Table().queues) {
                    q->posted.clear();
                    q->sent.clear();
                    q->quit = false;
                    q->focus = q->active = nullptr;
                    q->timers.clear();
                }
                return;
            }
            // Windows of other threads cannot be destroyed from here; forget them.
            if (Table().windows[victim]->thread != GetCurrentThreadId()) {
                Table().windows[victim]->destroying = true;
                continue;
            }
        }
        DestroyWindow(victim);
    }
}

}  // namespace standin::ui::core

using namespace standin::ui::core;

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    if (className == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HWND hwnd = nullptr;
    MINMAXINFO mmi{};
    CREATESTRUCTW cs{};
    {
        Guard guard(Lock());
        std::shared_ptr<Class> cls = FindClass(className, instance);
        if (cls == nullptr) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        if (parent == DesktopHandle() || parent == HWND_MESSAGE) parent = nullptr;
        Window* p = nullptr;
        if (parent != nullptr && (p = FindOrFail(parent)) == nullptr) return nullptr;
        if ((style & WS_CHILD) && p == nullptr) {
            SetLastError(1406u);  // ERROR_TLW_WITH_WSCHILD
            return nullptr;
        }
        auto w = std::make_unique<Window>();
        hwnd = reinterpret_cast<HWND>(Table().nextHandle);
        Table().nextHandle += 4;
        w->handle = hwnd;
        w->thread = GetCurrentThreadId();
        CurrentQueue();
        w->cls = cls;
        w->proc = cls->proc;
        w->instance = instance;
        w->style = style & ~WS_VISIBLE;  // shown at the end, as the platform does
        w->exStyle = exStyle;
        w->extra.assign(static_cast<size_t>(cls->cbWndExtra), 0);
        if (style & WS_CHILD) {
            w->parent = parent;
            w->id = reinterpret_cast<LONG_PTR>(menu);
        } else {
            w->owner = p != nullptr ? TopLevelOf(parent) : nullptr;
            w->menu = menu;
            if (x == CW_USEDEFAULT) x = y = 32;
            if (width == CW_USEDEFAULT) {
                width = Metric(SM_CXSCREEN) * 3 / 4;
                height = Metric(SM_CYSCREEN) * 3 / 4;
            }
        }
        if (x == CW_USEDEFAULT) x = y = 0;
        if (width == CW_USEDEFAULT) width = height = 0;
        w->rect = RECT{x, y, x + width, y + height};
        w->normal = w->rect;
        cls->windows++;
        if (p != nullptr && (style & WS_CHILD)) p->children.push_back(hwnd);  // new children go to the bottom
        cs = CREATESTRUCTW{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), windowName,
                           className, exStyle};
        const bool tracks = !(style & WS_CHILD);
        mmi.ptMaxSize = POINT{Metric(SM_CXSCREEN), Metric(SM_CYSCREEN)};
        mmi.ptMinTrackSize = POINT{Metric(SM_CXMINTRACK), Metric(SM_CYMINTRACK)};
        mmi.ptMaxTrackSize = POINT{Metric(SM_CXMAXTRACK), Metric(SM_CYMAXTRACK)};
        Table().windows.emplace(hwnd, std::move(w));
        if (!tracks) mmi.ptMaxSize.x = -1;
    }

    auto fail = [&]() -> HWND {
        DestroyWindow(hwnd);
        return nullptr;
    };
    if (mmi.ptMaxSize.x != -1) {
        SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
        // Windows with a frame the user could size are held to the tracking limits.
        if ((style & WS_THICKFRAME) || !(style & WS_POPUP)) {
            cs.cx = std::clamp<int>(cs.cx, mmi.ptMinTrackSize.x, std::max(mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x));
            cs.cy = std::clamp<int>(cs.cy, mmi.ptMinTrackSize.y, std::max(mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y));
            Guard guard(Lock());
            if (Window* w = Find(hwnd)) {
                w->rect.right = w->rect.left + cs.cx;
                w->rect.bottom = w->rect.top + cs.cy;
                w->normal = w->rect;
            }
        }
    }
    if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        SetLastError(0);
        return fail();
    }
    NCCALCSIZE_PARAMS calc{};
    {
        Guard guard(Lock());
        Window* w = Find(hwnd);
        if (w == nullptr) return nullptr;
        calc.rgrc[0] = w->rect;
    }
    const RECT before = calc.rgrc[0];
    SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&calc.rgrc[0]));
    {
        Guard guard(Lock());
        Window* w = Find(hwnd);
        if (w == nullptr) return nullptr;
        w->insets = Insets{calc.rgrc[0].left - before.left, calc.rgrc[0].top - before.top,
                           before.right - calc.rgrc[0].right, before.bottom - calc.rgrc[0].bottom};
        w->hasUpdate = true;
        w->eraseUpdate = true;
        w->update = ClientRectOf(*w);
    }
    if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) return fail();
    RECT client{};
    POINT origin{};
    HWND notify = nullptr;
    LONG_PTR id = 0;
    {
        Guard guard(Lock());
        Window* w = Find(hwnd);
        if (w == nullptr) return nullptr;
        client = ClientRectOf(*w);
        origin = POINT{w->rect.left + w->insets.left, w->rect.top + w->insets.top};
        if (w->parent != nullptr && !(exStyle & WS_EX_NOPARENTNOTIFY)) notify = w->parent;
        id = w->id;
    }
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELONG(client.right, client.bottom));
    SendMessageW(hwnd, WM_MOVE, 0, MAKELONG(origin.x, origin.y));
    if (notify != nullptr) {
        SendMessageW(notify, WM_PARENTNOTIFY, MAKELONG(WM_CREATE, id), reinterpret_cast<LPARAM>(hwnd));
    }
    if (!IsWindow(hwnd)) return nullptr;
    if (style & WS_VISIBLE) ShowWindow(hwnd, (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED : SW_SHOW);
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
    std::vector<HWND> owned;
    bool wasVisible = false;
    {
        Guard guard(Lock());
        Window* w = FindOrFail(hwnd);
        if (w == nullptr) return FALSE;
        if (w->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (w->destroying) return TRUE;
        w->destroying = true;
        wasVisible = (w->style & WS_VISIBLE) != 0;
        owned = OwnedWindows(hwnd);
    }
    for (HWND o : owned) DestroyWindow(o);
    if (wasVisible) {
        SetPosition(hwnd, nullptr, 0, 0, 0, 0,
                    SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    HWND notify = nullptr;
    LONG_PTR id = 0;
    {
        Guard guard(Lock());
        Window* w = Find(hwnd);
        if (w != nullptr && w->parent != nullptr && !(w->exStyle & WS_EX_NOPARENTNOTIFY)) {
            notify = w->parent;
            id = w->id;
        }
    }
    if (notify != nullptr) {
        SendMessageW(notify, WM_PARENTNOTIFY, MAKELONG(WM_DESTROY, id), reinterpret_cast<LPARAM>(hwnd));
    }
    DropWindowTimers(hwnd);
    SendDestroy(hwnd);
    // The menu bar and the system-menu copy go with the window; one that WM_DESTROY took
    // away with SetMenu(hwnd, NULL) stays its caller's.
    HMENU menu = nullptr;
    HMENU systemMenu = nullptr;
    {
        Guard guard(Lock());
        if (Window* w = Find(hwnd)) {
            menu = w->menu;
            systemMenu = w->systemMenu;
            w->menu = nullptr;
            w->systemMenu = nullptr;
        }
    }
    // A handle that is no menu (CreateWindowExW does not check it) leaves the last error alone.
    for (HMENU m : {menu, systemMenu})
        if (m != nullptr && IsMenu(m)) DestroyMenu(m);
    SendNcDestroy(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) {
    Guard guard(Lock());
    return Find(hwnd) != nullptr || (hwnd != nullptr && hwnd == DesktopHandle());
}

BOOL IsChild(HWND parent, HWND hwnd) {
    Guard guard(Lock());
    return IsDescendant(parent, hwnd) ? TRUE : FALSE;
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
    Guard guard(Lock());
    Window* w = FindOrFail(hwnd);
    if (w == nullptr) return 0;
    if (processId != nullptr) *processId = GetCurrentProcessId();
    return w->thread;
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) { return GetLong(hwnd, index, sizeof(LONG_PTR)); }
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) { return SetLong(hwnd, index, value, sizeof(LONG_PTR)); }
LONG GetWindowLongW(HWND hwnd, int index) { return static_cast<LONG>(GetLong(hwnd, index, 4)); }
LONG SetWindowLongW(HWND hwnd, int index, LONG value) { return static_cast<LONG>(SetLong(hwnd, index, value, 4)); }

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (proc == nullptr) return 0;
    return proc(hwnd, message, wParam, lParam);
}

HWND GetParent(HWND hwnd) {
    Guard guard(Lock());
    Window* w = FindOrFail(hwnd);
    if (w == nullptr) return nullptr;
    if (w->style & WS_CHILD) return w->parent;
    return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
    Guard guard(Lock());
    Window* w = FindOrFail(child);
    if (w == nullptr) return nullptr;
    if (newParent == DesktopHandle()) newParent = nullptr;
    Window* p = nullptr;
    if (newParent != nullptr && ((p = FindOrFail(newParent)) == nullptr || IsDescendant(child, newParent) ||
                                 newParent == child)) {
        if (p != nullptr) SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HWND old = w->parent != nullptr ? w->parent : DesktopHandle();
    if (Window* op = Find(w->parent)) {
        op->children.erase(std::remove(op->children.begin(), op->children.end(), child), op->children.end());
    }
    w->parent = newParent;
    if (p != nullptr) p->children.insert(p->children.begin(), child);
    return old;
}

HWND GetWindow(HWND hwnd, UINT relation) {
    Guard guard(Lock());
    Window* w = FindOrFail(hwnd);
    if (w == nullptr) return nullptr;
    if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
    if (relation == GW_OWNER) return w->owner;
    if (relation == GW_ENABLEDPOPUP) return nullptr;
    std::vector<HWND> siblings;
    if (Window* p = Find(w->parent)) {
        siblings = p->children;
    } else {
        for (auto& [h, other] : Table().windows) {
            if (other->parent == nullptr) siblings.push_back(h);
        }
    }
    const auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    switch (relation) {
    case GW_HWNDFIRST: return siblings.front();
    case GW_HWNDLAST: return siblings.back();
    case GW_HWNDNEXT: return (it == siblings.end() || it + 1 == siblings.end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV: return (it == siblings.begin() || it == siblings.end()) ? nullptr : *(it - 1);
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

namespace {
void CollectDescendants(HWND parent, std::vector<HWND>* out) {
    Window* w = Find(parent);
    if (w == nullptr) return;
    for (HWND c : w->children) {
        out->push_back(c);
        CollectDescendants(c, out);
    }
}
}  // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param) {
    std::vector<HWND> list;
    {
        Guard guard(Lock());
        if (parent == nullptr || parent == DesktopHandle()) {
            for (auto& [h, w] : Table().windows) {
                if (w->parent == nullptr) {
                    list.push_back(h);
                    CollectDescendants(h, &list);
                }
            }
        } else {
            CollectDescendants(parent, &list);
        }
    }
    for (HWND h : list) {
        if (IsWindow(h) && !proc(h, param)) break;
    }
    return TRUE;
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM param) {
    std::vector<HWND> list;
    {
        Guard guard(Lock());
        for (auto& [h, w] : Table().windows) {
            if (w->parent == nullptr && w->thread == threadId) list.push_back(h);
        }
    }
    for (HWND h : list) {
        if (IsWindow(h) && !proc(h, param)) return FALSE;
    }
    return list.empty() ? FALSE : TRUE;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM param) {
    std::vector<HWND> list;
    {
        Guard guard(Lock());
        for (auto& [h, w] : Table().windows) {
            if (w->parent == nullptr) list.push_back(h);
        }
    }
    for (HWND h : list) {
        if (IsWindow(h) && !proc(h, param)) return FALSE;
    }
    return TRUE;
}

HWND GetDesktopWindow() { return DesktopHandle(); }

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    Guard guard(Lock());
    for (auto& [h, w] : Table().windows) {
        if (w->parent != nullptr) continue;
        if (className != nullptr) {
            const bool byAtom = IS_INTRESOURCE(className);
            if (byAtom ? w->cls->atom != reinterpret_cast<ULONG_PTR>(className)
                       : lstrcmpiW(w->cls->name.c_str(), className) != 0) {
                continue;
            }
        }
        if (windowName != nullptr && w->text != windowName) continue;
        return h;
    }
    return nullptr;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : u"")) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int cchMax) {
    if (buffer == nullptr || cchMax <= 0) return 0;
    buffer[0] = 0;
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(cchMax), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

namespace standin::ui {

Surface* WindowSurface(HWND hwnd) {
    Guard guard(core::Lock());
    core::Window* w = core::Find(hwnd);
    if (w == nullptr) return nullptr;
    if (w->surface == nullptr) {
        w->surface = std::make_unique<Surface>();
        core::ResizeSurface(*w);
    }
    return w->surface.get();
}

unsigned LiveWindowCount() {
    Guard guard(core::Lock());
    return static_cast<unsigned>(core::Windows().size());
}

}  // namespace standin::ui
