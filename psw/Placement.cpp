// Window placement inside the monitors' work areas.
#include "psw/Placement.h"

#include "psw/PswLog.h"
#include "platform/Kernel.h"

namespace {

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

// The caption buttons' count depends on the system's generation: newer shells draw the
// close button with the system menu and always pair minimise with maximise.
bool NewShell() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExW(&version)) return true;
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ||
           (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 3);
}

bool WorkAreaOf(HMONITOR monitor, RECT* work) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!monitor || !GetMonitorInfoW(monitor, &info)) return false;
    *work = info.rcWork;
    return true;
}

}  // namespace

void GetPrimaryWorkArea(RECT* work) {
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, work, 0)) {
        *work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
}

DWORD PointSizeToRect(RECT* out, LONG x, LONG y, LONG cx, LONG cy) {
    *out = RECT{x, y, x + cx, y + cy};
    return kPlacementOk;
}

DWORD RectToPointSize(POINT* point, SIZE* size, LONG left, LONG top, LONG right, LONG bottom) {
    *point = POINT{left, top};
    *size = SIZE{right - left, bottom - top};
    return kPlacementOk;
}

DWORD CenterRect(RECT* out, const RECT* window, const RECT* work) {
    const LONG cx = Width(*window);
    const LONG cy = Height(*window);
    out->left = work->left + (Width(*work) >> 1) - (cx >> 1);
    out->top = work->top + (Height(*work) >> 1) - (cy >> 1);
    out->right = out->left + cx;
    out->bottom = out->top + cy;
    return kPlacementOk;
}

DWORD GetHoldTitleRect(const RECT* window, DWORD style, RECT* out) {
    LONG fx = 1;
    LONG fy = 1;
    if (style & WS_THICKFRAME) {
        fx = GetSystemMetrics(SM_CXFRAME);
        fy = GetSystemMetrics(SM_CYFRAME);
    } else if (style & WS_DLGFRAME) {
        fx = GetSystemMetrics(SM_CXDLGFRAME);
        fy = GetSystemMetrics(SM_CYDLGFRAME);
    } else if (style & WS_BORDER) {
        fx = GetSystemMetrics(SM_CXBORDER);
        fy = GetSystemMetrics(SM_CYBORDER);
    }
    const LONG iconSlots = (style & DS_MODALFRAME) ? 0 : 1;
    LONG buttons = 0;
    if (NewShell()) {
        if (style & WS_SYSMENU) {
            buttons = 1;
            if (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) {
                buttons += 2;
            } else if (style & DS_CONTEXTHELP) {
                buttons += 1;
            }
        }
    } else if (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) {
        buttons = ((style & WS_MINIMIZEBOX) ? 1 : 0) + ((style & WS_MAXIMIZEBOX) ? 1 : 0);
    } else if (style & DS_CONTEXTHELP) {
        buttons = 1;
    }
    const LONG cxSize = GetSystemMetrics(SM_CXSIZE);
    out->left = window->left + cxSize * iconSlots + fx;
    out->top = window->top + fy;
    out->right = window->right - cxSize * buttons - fx;
    out->bottom = window->top + fy + GetSystemMetrics(SM_CYCAPTION);
    return kPlacementOk;
}

DWORD CheckWndSize(const RECT* window, const RECT* work) {
    return (Width(*work) < Width(*window) || Height(*work) < Height(*window)) ? kPlacementResize : kPlacementOk;
}

DWORD CheckWndRect(const RECT* window, const RECT* holdTitle, RECT* work) {
    if (GetSystemMetrics(SM_CMONITORS) > 1) {
        if (WorkAreaOf(MonitorFromRect(holdTitle, MONITOR_DEFAULTTONULL), work)) return CheckWndSize(window, work);
        if (WorkAreaOf(MonitorFromRect(window, MONITOR_DEFAULTTONEAREST), work)) return kPlacementMove;
    }
    GetPrimaryWorkArea(work);
    RECT common{};
    if (!IntersectRect(&common, holdTitle, work)) return kPlacementMove;
    return CheckWndSize(window, work);
}

DWORD AdjustWndRect(RECT* out, const RECT* window, const RECT* work, DWORD style, DWORD mode) {
    RECT r = *window;
    const bool sizable = (style & WS_THICKFRAME) != 0;
    if (mode & kAdjustResize) {
        if (sizable) {
            if (Width(r) > Width(*work)) r.right = r.left + Width(*work);
            if (Height(r) > Height(*work)) r.bottom = r.top + Height(*work);
        }
        *out = r;
        return kPlacementOk;
    }
    // Right before left and bottom before top: a window larger than the work area keeps its
    // left and top edges on screen.
    if (r.right > work->right) { r.left -= r.right - work->right; r.right = work->right; }
    if (r.left < work->left) { r.right += work->left - r.left; r.left = work->left; }
    if (r.bottom > work->bottom) { r.top -= r.bottom - work->bottom; r.bottom = work->bottom; }
    if (r.top < work->top) { r.bottom += work->top - r.top; r.top = work->top; }
    if (!(mode & kAdjustNoCut) && sizable) {
        if (r.right > work->right) r.right = work->right;
        if (r.bottom > work->bottom) r.bottom = work->bottom;
    }
    *out = r;
    return kPlacementOk;
}

DWORD GetCorrectWndRect(RECT* out, const RECT* window, DWORD style) {
    RECT hold{};
    if (GetHoldTitleRect(window, style, &hold) != kPlacementOk) return kPlacementFault;
    *out = *window;
    RECT work{};
    const DWORD result = CheckWndRect(window, &hold, &work);
    if (result == kPlacementMove) AdjustWndRect(out, window, &work, style, 0);
    if (result == kPlacementResize) AdjustWndRect(out, window, &work, style, kAdjustResize);
    return result;
}

DWORD SetWndRect(HWND window, LONG left, LONG top, LONG right, LONG bottom) {
    const RECT wanted{left, top, right, bottom};
    RECT corrected{};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const DWORD result = GetCorrectWndRect(&corrected, &wanted, style);
    if (result != kPlacementOk && result != kPlacementFault) {
        SetWindowPos(window, nullptr, corrected.left, corrected.top, Width(corrected), Height(corrected), 0);
    }
    return kPlacementOk;
}

DWORD AdjustWndToMon(HMONITOR monitor, RECT* out, const RECT* window, DWORD style, DWORD mode) {
    RECT work{};
    if (!WorkAreaOf(monitor, &work)) GetPrimaryWorkArea(&work);
    if (mode == kMonitorCentre) CenterRect(out, window, &work);
    if (mode == kMonitorKeepInside) AdjustWndRect(out, window, &work, style, 0);
    return kPlacementOk;
}

DWORD SetChildWndRect(HWND parent, HWND child, DWORD mode) {
    RECT rect{};
    if (!GetWindowRect(child, &rect)) {
        LogPrint(kLogError, "GetWindowRect() failed\n");
        return kPlacementOk;
    }
    RECT placed = rect;
    AdjustWndToMon(MonitorFromWindow(parent, MONITOR_DEFAULTTONEAREST), &placed, &rect, 0, mode);
    SetWindowPos(child, nullptr, placed.left, placed.top, Width(placed), Height(placed), 0);
    return kPlacementOk;
}
