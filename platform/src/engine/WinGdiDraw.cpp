// Shapes and block transfers: Rectangle, FillRect, FrameRect, lines, PatBlt, BitBlt,
// StretchBlt and the focus rectangle.
#include <algorithm>
#include <cstdlib>

#include "platform/Kernel.h"
#include "platform/src/engine/WinGdiState.h"

namespace standin::gdi {

namespace {

bool DotOn(const LOGPEN& pen, int step) {
    switch (pen.lopnStyle) {
    case PS_DOT: return step % 2 == 0;
    case PS_DASH: return step % 8 < 6;
    default: return true;
    }
}

}  // namespace

void DrawPenLine(const Target& t, const LOGPEN& pen, int rop2, int x0, int y0, int x1, int y1) {
    if (pen.lopnStyle == PS_NULL) return;
    const int width = std::max<int>(pen.lopnWidth.x, 1);
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy, x = x0, y = y0, step = 0;
    // The last point is left out, as the platform does, so that joined lines meet once.
    while (x != x1 || y != y1) {
        if (DotOn(pen, step++)) {
            for (int oy = 0; oy < width; ++oy)
                for (int ox = 0; ox < width; ++ox)
                    PlotPixel(t, x + ox - width / 2, y + oy - width / 2, pen.lopnColor, rop2);
        }
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

}  // namespace standin::gdi

using namespace standin::gdi;

namespace {

template <typename R>
R Fail(R value) {
    SetLastError(ERROR_INVALID_HANDLE);
    return value;
}

// What each drawing call needs: the DC and where its drawing lands, under the lock.
struct Drawing {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard{s.lock};
    Dc* dc = nullptr;
    Target target;
    explicit Drawing(HDC hdc) {
        dc = FindDc(s, hdc);
        if (dc && !ResolveTarget(s, *dc, &target)) dc = nullptr;
    }
    explicit operator bool() const { return dc != nullptr; }
};

LOGPEN PenOf(State& s, const Dc& dc) {
    const Object* p = FindObject(s, dc.state.pen, Kind::Pen);
    return p ? p->pen : LOGPEN{PS_NULL, {0, 0}, 0};
}

bool UsesSource(DWORD rop) {
    const unsigned r = (rop >> 16) & 0xFF;
    return ((r >> 2) & 0x33) != (r & 0x33);
}
bool UsesPattern(DWORD rop) {
    const unsigned r = (rop >> 16) & 0xFF;
    return ((r >> 4) & 0x0F) != (r & 0x0F);
}

// A block of source pixels already converted to the destination's kind of colour.
struct SourceBlock {
    int width = 0, height = 0;
    std::vector<COLORREF> px;
    COLORREF At(int x, int y) const { return px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

SourceBlock ReadSource(State& s, const Dc& src, const Target& st, const Dc& dest, const Target& dt, int x, int y,
                       int width, int height) {
    SourceBlock b;
    b.width = width;
    b.height = height;
    b.px.assign(static_cast<size_t>(width) * static_cast<size_t>(height), RGB(0, 0, 0));
    (void)s;
    const bool srcMono = st.surface.mono, destMono = dt.surface.mono;
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            COLORREF c = st.surface.Get(x + i + st.origin.x, y + j + st.origin.y);
            if (c == CLR_INVALID) c = RGB(0, 0, 0);
            if (srcMono && !destMono) {
                c = c == RGB(0, 0, 0) ? dest.state.text : dest.state.bk;
            } else if (!srcMono && destMono) {
                c = c == (src.state.bk & 0xFFFFFF) ? RGB(255, 255, 255) : RGB(0, 0, 0);
            }
            b.px[static_cast<size_t>(j) * static_cast<size_t>(width) + static_cast<size_t>(i)] = c;
        }
    }
    return b;
}

void PutRop(const Target& t, int x, int y, DWORD rop, COLORREF pattern, COLORREF source) {
    const int sx = x + t.origin.x, sy = y + t.origin.y;
    if (sx < t.clip.left || sy < t.clip.top || sx >= t.clip.right || sy >= t.clip.bottom) return;
    const BYTE code = static_cast<BYTE>((rop >> 16) & 0xFF);
    const COLORREF dest = t.surface.Get(sx, sy);
    t.surface.Set(sx, sy, code == 0xCC ? source : ApplyRop3(code, pattern, source, dest));
}

}  // namespace

PLATFORM_API BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    Drawing d(hdc);
    if (!d) return Fail<BOOL>(FALSE);
    Record(d.s, hdc, *d.dc, "Rectangle", {left, top, right, bottom});
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    const COLORREF fill = BrushColor(d.s, d.dc->state.brush);
    if (fill != CLR_INVALID) FillArea(d.target, {left + 1, top + 1, right - 1, bottom - 1}, fill, d.dc->state.rop2);
    const LOGPEN pen = PenOf(d.s, *d.dc);
    const int rop2 = d.dc->state.rop2;
    DrawPenLine(d.target, pen, rop2, left, top, right - 1, top);
    DrawPenLine(d.target, pen, rop2, right - 1, top, right - 1, bottom - 1);
    DrawPenLine(d.target, pen, rop2, right - 1, bottom - 1, left, bottom - 1);
    DrawPenLine(d.target, pen, rop2, left, bottom - 1, left, top);
    return TRUE;
}

PLATFORM_API int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    Drawing d(hdc);
    if (!d || !rect) return Fail<int>(0);
    const COLORREF color = BrushColor(d.s, brush);
    if (!FindObject(d.s, brush, Kind::Brush)) return Fail<int>(0);
    Record(d.s, hdc, *d.dc, "FillRect", {rect->left, rect->top, rect->right, rect->bottom, color});
    if (color != CLR_INVALID) FillArea(d.target, *rect, color, R2_COPYPEN);
    return 1;
}

PLATFORM_API int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    Drawing d(hdc);
    if (!d || !rect || !FindObject(d.s, brush, Kind::Brush)) return Fail<int>(0);
    const COLORREF color = BrushColor(d.s, brush);
    Record(d.s, hdc, *d.dc, "FrameRect", {rect->left, rect->top, rect->right, rect->bottom, color});
    if (color == CLR_INVALID || rect->right <= rect->left || rect->bottom <= rect->top) return 1;
    const RECT& r = *rect;
    FillArea(d.target, {r.left, r.top, r.right, r.top + 1}, color, R2_COPYPEN);
    FillArea(d.target, {r.left, r.bottom - 1, r.right, r.bottom}, color, R2_COPYPEN);
    FillArea(d.target, {r.left, r.top, r.left + 1, r.bottom}, color, R2_COPYPEN);
    FillArea(d.target, {r.right - 1, r.top, r.right, r.bottom}, color, R2_COPYPEN);
    return 1;
}

PLATFORM_API BOOL LineTo(HDC hdc, int x, int y) {
    Drawing d(hdc);
    if (!d) return Fail<BOOL>(FALSE);
    Record(d.s, hdc, *d.dc, "LineTo", {x, y});
    LOGPEN pen = PenOf(d.s, *d.dc);
    // Gaps of a styled pen take the background colour when the DC draws opaque.
    if (pen.lopnStyle != PS_SOLID && pen.lopnStyle != PS_NULL && d.dc->state.bkMode == OPAQUE) {
        LOGPEN gap{PS_SOLID, pen.lopnWidth, d.dc->state.bk};
        DrawPenLine(d.target, gap, d.dc->state.rop2, d.dc->state.pos.x, d.dc->state.pos.y, x, y);
    }
    DrawPenLine(d.target, pen, d.dc->state.rop2, d.dc->state.pos.x, d.dc->state.pos.y, x, y);
    d.dc->state.pos = {x, y};
    return TRUE;
}

PLATFORM_API BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
    Drawing d(hdc);
    if (!d) return Fail<BOOL>(FALSE);
    if (UsesSource(rop)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Record(d.s, hdc, *d.dc, "PatBlt", {x, y, width, height, rop});
    if (width < 0) {
        x += width;
        width = -width;
    }
    if (height < 0) {
        y += height;
        height = -height;
    }
    COLORREF pattern = BrushColor(d.s, d.dc->state.brush);
    if (pattern == CLR_INVALID) pattern = RGB(0, 0, 0);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) PutRop(d.target, x + i, y + j, rop, pattern, 0);
    return TRUE;
}

PLATFORM_API BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int xSource, int ySource,
                             int widthSource, int heightSource, DWORD rop) {
    Drawing d(dest);
    if (!d) return Fail<BOOL>(FALSE);
    Record(d.s, dest, *d.dc, "StretchBlt", {x, y, width, height, xSource, ySource, widthSource, heightSource, rop});
    COLORREF pattern = UsesPattern(rop) ? BrushColor(d.s, d.dc->state.brush) : 0;
    if (pattern == CLR_INVALID) pattern = RGB(0, 0, 0);
    if (!UsesSource(rop)) {
        for (int j = 0; j < std::abs(height); ++j)
            for (int i = 0; i < std::abs(width); ++i)
                PutRop(d.target, std::min(x, x + width) + i, std::min(y, y + height) + j, rop, pattern, 0);
        return TRUE;
    }
    Dc* src = FindDc(d.s, source);
    Target st;
    if (!src || !ResolveTarget(d.s, *src, &st)) return Fail<BOOL>(FALSE);
    if (width == 0 || height == 0 || widthSource == 0 || heightSource == 0) return TRUE;
    // Opposite signs of the two widths (or heights) mirror the picture.
    const bool flipX = (width < 0) != (widthSource < 0), flipY = (height < 0) != (heightSource < 0);
    const int sx0 = std::min(xSource, xSource + widthSource), sy0 = std::min(ySource, ySource + heightSource);
    const int sw = std::abs(widthSource), sh = std::abs(heightSource);
    const int dx0 = std::min(x, x + width), dy0 = std::min(y, y + height);
    const int dw = std::abs(width), dh = std::abs(height);
    const SourceBlock block = ReadSource(d.s, *src, st, *d.dc, d.target, sx0, sy0, sw, sh);
    for (int j = 0; j < dh; ++j) {
        int sj = static_cast<int>(static_cast<long long>(j) * sh / dh);
        if (flipY) sj = sh - 1 - sj;
        for (int i = 0; i < dw; ++i) {
            int si = static_cast<int>(static_cast<long long>(i) * sw / dw);
            if (flipX) si = sw - 1 - si;
            PutRop(d.target, dx0 + i, dy0 + j, rop, pattern, block.At(si, sj));
        }
    }
    return TRUE;
}

PLATFORM_API BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int xSource, int ySource,
                         DWORD rop) {
    if (!UsesSource(rop)) return PatBlt(dest, x, y, width, height, rop);
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* d = FindDc(s, dest);
    Dc* src = FindDc(s, source);
    Target dt, st;
    if (!d || !src || !ResolveTarget(s, *d, &dt) || !ResolveTarget(s, *src, &st)) return Fail<BOOL>(FALSE);
    Record(s, dest, *d, "BitBlt", {x, y, width, height, xSource, ySource, rop});
    if (width <= 0 || height <= 0) return TRUE;
    COLORREF pattern = UsesPattern(rop) ? BrushColor(s, d->state.brush) : 0;
    if (pattern == CLR_INVALID) pattern = RGB(0, 0, 0);
    // Read first: the source may be the destination itself.
    const SourceBlock block = ReadSource(s, *src, st, *d, dt, xSource, ySource, width, height);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) PutRop(dt, x + i, y + j, rop, pattern, block.At(i, j));
    return TRUE;
}

PLATFORM_API BOOL DrawFocusRect(HDC hdc, const RECT* rect) {
    Drawing d(hdc);
    if (!d || !rect) return Fail<BOOL>(FALSE);
    Record(d.s, hdc, *d.dc, "DrawFocusRect", {rect->left, rect->top, rect->right, rect->bottom});
    const RECT& r = *rect;
    // Every other pixel of the border, inverted: a second call puts the pixels back.
    for (int x = r.left; x < r.right; ++x) {
        if ((x - r.left) % 2 == 0) {
            PlotPixel(d.target, x, r.top, 0, R2_NOT);
            if (r.bottom - 1 > r.top) PlotPixel(d.target, x, r.bottom - 1, 0, R2_NOT);
        }
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        if ((y - r.top) % 2 == 0) {
            PlotPixel(d.target, r.left, y, 0, R2_NOT);
            if (r.right - 1 > r.left) PlotPixel(d.target, r.right - 1, y, 0, R2_NOT);
        }
    }
    return TRUE;
}
