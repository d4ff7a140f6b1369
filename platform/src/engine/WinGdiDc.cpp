// Device contexts: window and memory DCs, their drawing state, the clip, device capabilities,
// system colours and the log of drawing calls.
#include <algorithm>
#include <cstdio>

#include "platform/Kernel.h"
#include "platform/src/engine/WinGdiState.h"

namespace standin::gdi {

namespace {

// A light theme of the classic palette: fixed so that pictures and tests never vary.
constexpr COLORREF kSysColors[31] = {
    RGB(200, 200, 200),  // COLOR_SCROLLBAR
    RGB(0, 78, 152),     // COLOR_BACKGROUND
    RGB(0, 84, 227),     // COLOR_ACTIVECAPTION
    RGB(122, 150, 223),  // COLOR_INACTIVECAPTION
    RGB(255, 255, 255),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(212, 208, 200),  // COLOR_ACTIVEBORDER
    RGB(212, 208, 200),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(49, 106, 197),   // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(236, 233, 216),  // COLOR_BTNFACE
    RGB(172, 168, 153),  // COLOR_BTNSHADOW
    RGB(172, 168, 153),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(216, 228, 248),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(113, 111, 100),  // COLOR_3DDKSHADOW
    RGB(241, 239, 226),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(181, 181, 181),  // 25: unused by the platform, kept grey
    RGB(0, 0, 128),      // COLOR_HOTLIGHT
    RGB(61, 149, 255),   // COLOR_GRADIENTACTIVECAPTION
    RGB(157, 185, 235),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(49, 106, 197),   // COLOR_MENUHILIGHT
    RGB(236, 233, 216),  // COLOR_MENUBAR
};

template <typename R>
R Fail(R value) {
    SetLastError(ERROR_INVALID_HANDLE);
    return value;
}

}  // namespace

DWORD SysColor(int index) { return index >= 0 && index < 31 ? kSysColors[index] : 0; }

bool ResolveTarget(State& s, const Dc& dc, Target* target) {
    if (dc.memory) {
        Object* b = FindObject(s, dc.state.bitmap, Kind::Bitmap);
        if (!b) return false;
        target->surface = b->bitmap->View();
        target->origin = {0, 0};
        target->clip = {0, 0, b->bitmap->width, b->bitmap->height};
    } else if (!dc.hwnd || !WindowTarget(s, dc.hwnd, dc.wholeWindow, target)) {
        return false;
    }
    if (dc.state.clipped) {
        RECT c = dc.state.clip;
        c.left += target->origin.x;
        c.right += target->origin.x;
        c.top += target->origin.y;
        c.bottom += target->origin.y;
        if (!ClipRect(target->clip, c)) target->clip = {0, 0, 0, 0};
    }
    return true;
}

void Record(State& s, HDC, Dc& dc, const char* name, std::vector<long long> args, std::u16string text) {
    ui::DrawCall call{name, std::move(args), std::move(text)};
    if (dc.hwnd) s.windowLogs[dc.hwnd].push_back(call);
    dc.log.push_back(std::move(call));
}

void PlotPixel(const Target& t, int x, int y, COLORREF color, int rop2) {
    const int sx = x + t.origin.x, sy = y + t.origin.y;
    if (sx < t.clip.left || sy < t.clip.top || sx >= t.clip.right || sy >= t.clip.bottom) return;
    if (rop2 == R2_NOP) return;
    t.surface.Set(sx, sy, rop2 == R2_COPYPEN ? color : ApplyRop2(rop2, color, t.surface.Get(sx, sy)));
}

void FillArea(const Target& t, RECT r, COLORREF color, int rop2) {
    r.left += t.origin.x;
    r.right += t.origin.x;
    r.top += t.origin.y;
    r.bottom += t.origin.y;
    if (!ClipRect(r, t.clip)) return;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            t.surface.Set(x, y, rop2 == R2_COPYPEN ? color : ApplyRop2(rop2, color, t.surface.Get(x, y)));
}

}  // namespace standin::gdi

using namespace standin::gdi;

PLATFORM_API HDC GetDC(HWND hwnd) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Target t;
    if (hwnd && !WindowTarget(s, hwnd, false, &t)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return NewDc(s, false, hwnd, false);
}

PLATFORM_API HDC GetWindowDC(HWND hwnd) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Target t;
    if (hwnd && !WindowTarget(s, hwnd, true, &t)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return NewDc(s, false, hwnd, true);
}

PLATFORM_API int ReleaseDC(HWND, HDC hdc) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc || dc->memory) return 0;
    DropDc(s, hdc);
    return 1;
}

PLATFORM_API HDC CreateCompatibleDC(HDC hdc) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    if (hdc && !FindDc(s, hdc)) return Fail<HDC>(nullptr);
    return NewDc(s, true, nullptr, false);
}

PLATFORM_API BOOL DeleteDC(HDC hdc) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    if (!FindDc(s, hdc)) return Fail<BOOL>(FALSE);
    DropDc(s, hdc);
    return TRUE;
}

PLATFORM_API HWND WindowFromDC(HDC hdc) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    return dc ? dc->hwnd : nullptr;
}

PLATFORM_API int SaveDC(HDC hdc) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<int>(0);
    dc->saved.push_back(dc->state);
    for (HGDIOBJ o : {dc->state.pen, dc->state.brush, dc->state.font, dc->state.palette}) {
        if (Object* obj = FindObject(s, o)) ++obj->selections;
    }
    return static_cast<int>(dc->saved.size());
}

PLATFORM_API BOOL RestoreDC(HDC hdc, int savedDc) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<BOOL>(FALSE);
    const int n = static_cast<int>(dc->saved.size());
    const int index = savedDc < 0 ? n + savedDc : savedDc - 1;  // -1: the last saved
    if (index < 0 || index >= n) return FALSE;
    // Drop the states above the one restored, giving back what they held.
    auto release = [&](const DcState& st) {
        for (HGDIOBJ o : {st.pen, st.brush, st.font, st.palette}) {
            if (Object* obj = FindObject(s, o); obj && obj->selections) --obj->selections;
        }
    };
    release(dc->state);
    for (int i = n - 1; i > index; --i) release(dc->saved[static_cast<size_t>(i)]);
    const HGDIOBJ bitmap = dc->state.bitmap;
    dc->state = dc->saved[static_cast<size_t>(index)];
    dc->state.bitmap = bitmap;  // a bitmap stays selected: it may have been deleted since
    dc->saved.resize(static_cast<size_t>(index));
    return TRUE;
}

PLATFORM_API COLORREF SetTextColor(HDC hdc, COLORREF color) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<COLORREF>(CLR_INVALID);
    std::swap(dc->state.text, color);
    return color;
}

PLATFORM_API COLORREF GetTextColor(HDC hdc) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    return dc ? dc->state.text : Fail<COLORREF>(CLR_INVALID);
}

PLATFORM_API COLORREF SetBkColor(HDC hdc, COLORREF color) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<COLORREF>(CLR_INVALID);
    std::swap(dc->state.bk, color);
    return color;
}

PLATFORM_API COLORREF GetBkColor(HDC hdc) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    return dc ? dc->state.bk : Fail<COLORREF>(CLR_INVALID);
}

PLATFORM_API int SetBkMode(HDC hdc, int mode) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<int>(0);
    if (mode != TRANSPARENT && mode != OPAQUE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::swap(dc->state.bkMode, mode);
    return mode;
}

PLATFORM_API int GetBkMode(HDC hdc) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    return dc ? dc->state.bkMode : Fail<int>(0);
}

PLATFORM_API UINT SetTextAlign(HDC hdc, UINT align) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<UINT>(GDI_ERROR);
    std::swap(dc->state.align, align);
    return align;
}

PLATFORM_API UINT GetTextAlign(HDC hdc) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    return dc ? dc->state.align : Fail<UINT>(GDI_ERROR);
}

PLATFORM_API int SetROP2(HDC hdc, int rop2) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<int>(0);
    if (rop2 < R2_BLACK || rop2 > R2_WHITE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::swap(dc->state.rop2, rop2);
    return rop2;
}

PLATFORM_API int GetROP2(HDC hdc) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    return dc ? dc->state.rop2 : Fail<int>(0);
}

PLATFORM_API BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<BOOL>(FALSE);
    if (previous) *previous = dc->state.pos;
    dc->state.pos = {x, y};
    Record(s, hdc, *dc, "MoveToEx", {x, y});
    return TRUE;
}

PLATFORM_API int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<int>(ERROR);
    RECT r{left, top, right, bottom};
    if (dc->state.clipped) ClipRect(r, dc->state.clip);
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    dc->state.clip = r;
    dc->state.clipped = true;
    Record(s, hdc, *dc, "IntersectClipRect", {left, top, right, bottom});
    return r.left < r.right && r.top < r.bottom ? SIMPLEREGION : NULLREGION;
}

PLATFORM_API int GetClipBox(HDC hdc, RECT* rect) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc || !rect) return Fail<int>(ERROR);
    Target t;
    if (!ResolveTarget(s, *dc, &t)) return Fail<int>(ERROR);
    *rect = {t.clip.left - t.origin.x, t.clip.top - t.origin.y, t.clip.right - t.origin.x,
             t.clip.bottom - t.origin.y};
    return rect->left < rect->right && rect->top < rect->bottom ? SIMPLEREGION : NULLREGION;
}

PLATFORM_API int GetDeviceCaps(HDC hdc, int index) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<int>(0);
    const standin::ui::DisplayCaps& d = s.display;
    const bool palette = d.bitsPerPixel <= 8;
    switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZSIZE: return d.width * 254 / (d.logPixels * 10);
    case VERTSIZE: return d.height * 254 / (d.logPixels * 10);
    case HORZRES: return d.width;
    case VERTRES: return d.height;
    case BITSPIXEL: return d.bitsPerPixel;
    case PLANES: return 1;
    case NUMCOLORS: return palette ? 20 : -1;  // the platform reports the reserved colours
    case RASTERCAPS:
        return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | (palette ? RC_PALETTE : 0);
    case LOGPIXELSX:
    case LOGPIXELSY: return d.logPixels;
    case SIZEPALETTE: return palette ? 1 << d.bitsPerPixel : 0;
    case NUMRESERVED: return palette ? 20 : 0;
    case COLORRES: return 24;
    default: return 0;
    }
}

PLATFORM_API DWORD GetSysColor(int index) { return SysColor(index); }

namespace standin::ui {

std::string DrawCall::ToString() const {
    std::string out = name + "(";
    for (size_t i = 0; i < args.size(); ++i) {
        if (i) out += ",";
        out += std::to_string(args[i]);
    }
    if (!text.empty()) {
        if (!args.empty()) out += ",";
        out += "\"";
        for (char16_t c : text) {
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
                out += buf;
            }
        }
        out += "\"";
    }
    return out + ")";
}

std::vector<DrawCall> DrawLog(HWND hwnd) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    auto it = s.windowLogs.find(hwnd);
    return it == s.windowLogs.end() ? std::vector<DrawCall>{} : it->second;
}

std::vector<DrawCall> DrawLog(HDC hdc) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    return dc ? dc->log : std::vector<DrawCall>{};
}

void ClearDrawLogs() {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    s.windowLogs.clear();
    for (auto& [key, dc] : s.dcs) dc.log.clear();
}

void SetDisplayCaps(const DisplayCaps& caps) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    s.display = caps;
    if (s.display.logPixels <= 0) s.display.logPixels = 96;
}

DisplayCaps GetDisplayCaps() {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    return s.display;
}

}  // namespace standin::ui
