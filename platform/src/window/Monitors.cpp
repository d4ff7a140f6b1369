// The screen: monitors and their work areas, system metrics and parameters, and the
// rectangle helpers.
#include <algorithm>
#include <climits>
#include <map>

#include "platform/Kernel.h"
#include "platform/src/window/WindowState.h"

namespace standin::ui::core {
namespace {

// The screen has its own lock: metrics are read while the window lock is held.
std::mutex& ScreenLock() {
    static std::mutex lock;
    return lock;
}

struct Screen {
    std::vector<Monitor> monitors{Monitor{RECT{0, 0, 1024, 768}, RECT{0, 0, 1024, 728}}};
    std::map<int, int> overrides;
    DWORD foregroundLockTimeout = 200000;
};
Screen& TheScreen() {
    static Screen screen;  // under ScreenLock()
    return screen;
}

// Classic 96-dpi values (pixels); a test overrides what it needs.
struct MetricRow {
    int index;
    int value;
};
constexpr MetricRow kMetrics[] = {
    {SM_CXVSCROLL, 17},  {SM_CYHSCROLL, 17},     {SM_CYCAPTION, 19},    {SM_CXBORDER, 1},
    {SM_CYBORDER, 1},    {SM_CXDLGFRAME, 3},     {SM_CYDLGFRAME, 3},    {SM_CYVTHUMB, 17},
    {SM_CXHTHUMB, 17},   {SM_CXICON, 32},        {SM_CYICON, 32},       {SM_CXCURSOR, 32},
    {SM_CYCURSOR, 32},   {SM_CYMENU, 19},        {SM_CYVSCROLL, 17},    {SM_CXHSCROLL, 17},
    {SM_CXMIN, 112},     {SM_CYMIN, 27},         {SM_CXSIZE, 18},       {SM_CYSIZE, 18},
    {SM_CXFRAME, 4},     {SM_CYFRAME, 4},        {SM_CXMINTRACK, 112},  {SM_CYMINTRACK, 27},
    {SM_CXDOUBLECLK, 4}, {SM_CYDOUBLECLK, 4},    {SM_CXEDGE, 2},        {SM_CYEDGE, 2},
    {SM_CXSMICON, 16},   {SM_CYSMICON, 16},      {SM_CYSMCAPTION, 15},  {SM_CXMINIMIZED, 160},
    {SM_CYMINIMIZED, 24},
};

RECT VirtualScreen() {
    RECT all = TheScreen().monitors.front().rect;
    for (const Monitor& m : TheScreen().monitors) UnionRect(&all, &all, &m.rect);
    return all;
}

HMONITOR HandleOf(size_t index) { return reinterpret_cast<HMONITOR>(static_cast<ULONG_PTR>(0x20001 + index)); }
Monitor* MonitorOf(HMONITOR h) {
    const auto v = reinterpret_cast<ULONG_PTR>(h);
    if (v < 0x20001 || v - 0x20001 >= TheScreen().monitors.size()) return nullptr;
    return &TheScreen().monitors[v - 0x20001];
}

LONG DistanceSquared(const RECT& r, const POINT& p) {
    const LONG dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - r.right + 1 : 0;
    const LONG dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - r.bottom + 1 : 0;
    return std::min<LONG>(dx, 40000) * std::min<LONG>(dx, 40000) + std::min<LONG>(dy, 40000) * std::min<LONG>(dy, 40000);
}

HMONITOR FromRectLocked(const RECT& rect, DWORD flags) {
    const auto& monitors = TheScreen().monitors;
    LONG bestArea = 0;
    HMONITOR best = nullptr;
    for (size_t i = 0; i < monitors.size(); ++i) {
        RECT overlap{};
        if (IntersectRect(&overlap, &rect, &monitors[i].rect)) {
            const LONG area = (overlap.right - overlap.left) * (overlap.bottom - overlap.top);
            if (area > bestArea) {
                bestArea = area;
                best = HandleOf(i);
            }
        }
    }
    if (best != nullptr) return best;
    if (flags == MONITOR_DEFAULTTOPRIMARY) return HandleOf(0);
    if (flags != MONITOR_DEFAULTTONEAREST) return nullptr;
    // Nearest: the smallest distance from the rectangle's centre.
    const POINT centre{rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2};
    LONG bestDistance = INT32_MAX;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const LONG d = DistanceSquared(monitors[i].rect, centre);
        if (d < bestDistance) {
            bestDistance = d;
            best = HandleOf(i);
        }
    }
    return best;
}

}  // namespace

int Metric(int index) {
    Guard guard(ScreenLock());
    Screen& s = TheScreen();
    if (auto it = s.overrides.find(index); it != s.overrides.end()) return it->second;
    const RECT& primary = s.monitors.front().rect;
    const RECT& work = s.monitors.front().work;
    const RECT all = VirtualScreen();
    switch (index) {
    case SM_CXSCREEN: return primary.right - primary.left;
    case SM_CYSCREEN: return primary.bottom - primary.top;
    case SM_CXFULLSCREEN: return work.right - work.left;
    case SM_CYFULLSCREEN: return work.bottom - work.top - 19;
    case SM_CXMAXIMIZED: return work.right - work.left + 8;
    case SM_CYMAXIMIZED: return work.bottom - work.top + 8;
    case SM_CXMAXTRACK: return all.right - all.left + 12;
    case SM_CYMAXTRACK: return all.bottom - all.top + 12;
    case SM_XVIRTUALSCREEN: return all.left;
    case SM_YVIRTUALSCREEN: return all.top;
    case SM_CXVIRTUALSCREEN: return all.right - all.left;
    case SM_CYVIRTUALSCREEN: return all.bottom - all.top;
    case SM_CMONITORS: return static_cast<int>(s.monitors.size());
    default: break;
    }
    for (const MetricRow& row : kMetrics) {
        if (row.index == index) return row.value;
    }
    return 0;
}

void ResetMonitors() {
    Guard guard(ScreenLock());
    TheScreen() = Screen{};
}

}  // namespace standin::ui::core

using namespace standin::ui::core;
using standin::ui::Monitor;

namespace standin::ui {

void SetMonitors(const std::vector<Monitor>& monitors) {
    if (monitors.empty()) return;
    Guard guard(ScreenLock());
    TheScreen().monitors = monitors;
}

void SetSystemMetric(int index, int value) {
    Guard guard(ScreenLock());
    TheScreen().overrides[index] = value;
}

}  // namespace standin::ui

int GetSystemMetrics(int index) { return Metric(index); }

BOOL SystemParametersInfoW(UINT action, UINT uiParam, PVOID pv, UINT winIni) {
    (void)uiParam;
    (void)winIni;
    Guard guard(ScreenLock());
    Screen& s = TheScreen();
    switch (action) {
    case SPI_GETWORKAREA:
        if (pv == nullptr) break;
        *static_cast<RECT*>(pv) = s.monitors.front().work;
        return TRUE;
    case SPI_SETWORKAREA: {
        RECT work = s.monitors.front().rect;
        if (pv != nullptr) work = *static_cast<const RECT*>(pv);
        s.monitors.front().work = work;
        return TRUE;
    }
    case SPI_GETFOREGROUNDLOCKTIMEOUT:
        if (pv == nullptr) break;
        *static_cast<DWORD*>(pv) = s.foregroundLockTimeout;
        return TRUE;
    case SPI_SETFOREGROUNDLOCKTIMEOUT:
        s.foregroundLockTimeout = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(pv));
        return TRUE;
    default: break;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) {
    if (rect == nullptr) return nullptr;
    Guard guard(ScreenLock());
    return FromRectLocked(*rect, flags);
}

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
    const RECT r{point.x, point.y, point.x + 1, point.y + 1};
    return MonitorFromRect(&r, flags);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
    RECT r{};
    if (!GetWindowRect(hwnd, &r)) return flags == MONITOR_DEFAULTTONULL ? nullptr : MonitorFromRect(&r, MONITOR_DEFAULTTOPRIMARY);
    // A minimised window counts where it will be restored.
    if (IsIconic(hwnd)) {
        Guard guard(Lock());
        if (Window* w = Find(hwnd)) r = w->normal;
    }
    return MonitorFromRect(&r, flags);
}

BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) {
    if (info == nullptr || info->cbSize != sizeof(MONITORINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Guard guard(ScreenLock());
    Monitor* m = MonitorOf(monitor);
    if (m == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    info->rcMonitor = m->rect;
    info->rcWork = m->work;
    info->dwFlags = m == &TheScreen().monitors.front() ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC proc, LPARAM param) {
    (void)dc;
    std::vector<Monitor> monitors;
    {
        Guard guard(ScreenLock());
        monitors = TheScreen().monitors;
    }
    for (size_t i = 0; i < monitors.size(); ++i) {
        RECT r = monitors[i].rect;
        if (clip != nullptr && !IntersectRect(&r, &r, clip)) continue;
        if (!proc(HandleOf(i), nullptr, &r, param)) return FALSE;
    }
    return TRUE;
}

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom) {
    if (rect == nullptr) return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(RECT* rect) { return SetRect(rect, 0, 0, 0, 0); }

BOOL CopyRect(RECT* dst, const RECT* src) {
    if (dst == nullptr || src == nullptr) return FALSE;
    *dst = *src;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* rect) {
    return rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top ? TRUE : FALSE;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
    if (a == nullptr || b == nullptr) return FALSE;
    return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom ? TRUE : FALSE;
}

BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b) {
    if (dst == nullptr || a == nullptr || b == nullptr) return FALSE;
    const RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
                 std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *dst = RECT{};
        return FALSE;
    }
    *dst = r;
    return TRUE;
}

BOOL UnionRect(RECT* dst, const RECT* a, const RECT* b) {
    if (dst == nullptr || a == nullptr || b == nullptr) return FALSE;
    if (IsRectEmpty(a) && IsRectEmpty(b)) {
        *dst = RECT{};
        return FALSE;
    }
    if (IsRectEmpty(a)) {
        *dst = *b;
    } else if (IsRectEmpty(b)) {
        *dst = *a;
    } else {
        *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                    std::max(a->bottom, b->bottom)};
    }
    return TRUE;
}

BOOL OffsetRect(RECT* rect, int dx, int dy) {
    if (rect == nullptr) return FALSE;
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL InflateRect(RECT* rect, int dx, int dy) {
    if (rect == nullptr) return FALSE;
    rect->left -= dx;
    rect->right += dx;
    rect->top -= dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL PtInRect(const RECT* rect, POINT point) {
    if (rect == nullptr) return FALSE;
    return point.x >= rect->left && point.x < rect->right && point.y >= rect->top && point.y < rect->bottom ? TRUE
                                                                                                              : FALSE;
}

BOOL SubtractRect(RECT* dst, const RECT* a, const RECT* b) {
    if (dst == nullptr || a == nullptr || b == nullptr) return FALSE;
    RECT r = *a;
    RECT overlap{};
    if (IntersectRect(&overlap, a, b)) {
        // Only a full-width or full-height cut leaves a rectangle.
        if (overlap.left == a->left && overlap.right == a->right) {
            if (overlap.top == a->top) r.top = overlap.bottom;
            else if (overlap.bottom == a->bottom) r.bottom = overlap.top;
        } else if (overlap.top == a->top && overlap.bottom == a->bottom) {
            if (overlap.left == a->left) r.left = overlap.right;
            else if (overlap.right == a->right) r.right = overlap.left;
        }
    }
    *dst = r;
    if (IsRectEmpty(&r)) {
        *dst = RECT{};
        return FALSE;
    }
    return TRUE;
}
