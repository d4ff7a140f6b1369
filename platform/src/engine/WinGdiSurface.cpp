// Pixel store and raster operations shared by window and memory drawing.
#include "platform/src/engine/WinGdiSurface.h"

#include <algorithm>

namespace standin::gdi {

Surface::Surface(int w, int h, COLORREF fill) { Resize(w, h, fill); }

void Surface::Resize(int w, int h, COLORREF fill) {
    width = std::max(w, 0);
    height = std::max(h, 0);
    bgr.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0);
    for (size_t i = 0; i < bgr.size(); i += 3) {
        bgr[i] = GetBValue(fill);
        bgr[i + 1] = GetGValue(fill);
        bgr[i + 2] = GetRValue(fill);
    }
}

COLORREF PixelView::Get(int x, int y) const {
    if (!Contains(x, y)) return CLR_INVALID;
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return RGB(bgr[i + 2], bgr[i + 1], bgr[i]);
}

void PixelView::Set(int x, int y, COLORREF color) const {
    if (!Contains(x, y)) return;
    if (mono) color = IsLight(color) ? RGB(255, 255, 255) : RGB(0, 0, 0);
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    bgr[i] = GetBValue(color);
    bgr[i + 1] = GetGValue(color);
    bgr[i + 2] = GetRValue(color);
}

COLORREF Surface::Get(int x, int y) const {
    return PixelView{const_cast<uint8_t*>(bgr.data()), width, height, mono}.Get(x, y);
}

void Surface::Set(int x, int y, COLORREF color) { View().Set(x, y, color); }

bool IsLight(COLORREF color) {
    const unsigned lum = GetRValue(color) * 30u + GetGValue(color) * 59u + GetBValue(color) * 11u;
    return lum >= 128u * 100u;
}

namespace {

BYTE Rop3Channel(BYTE rop, BYTE p, BYTE s, BYTE d) {
    // Each set bit i of the code turns on the minterm whose pattern, source and destination
    // bits are those of i (P is the high bit).
    unsigned out = 0;
    for (unsigned i = 0; i < 8; ++i) {
        if (!(rop & (1u << i))) continue;
        const unsigned term = ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
        out |= term;
    }
    return static_cast<BYTE>(out);
}

BYTE Rop2Channel(int rop2, BYTE p, BYTE d) {
    const unsigned table = static_cast<unsigned>(rop2 - 1) & 0xF;  // bit (P * 2 + D)
    unsigned out = 0;
    for (unsigned i = 0; i < 4; ++i) {
        if (!(table & (1u << i))) continue;
        out |= ((i & 2) ? p : ~p) & ((i & 1) ? d : ~d);
    }
    return static_cast<BYTE>(out);
}

}  // namespace

COLORREF ApplyRop3(BYTE rop, COLORREF pattern, COLORREF source, COLORREF dest) {
    return RGB(Rop3Channel(rop, GetRValue(pattern), GetRValue(source), GetRValue(dest)),
               Rop3Channel(rop, GetGValue(pattern), GetGValue(source), GetGValue(dest)),
               Rop3Channel(rop, GetBValue(pattern), GetBValue(source), GetBValue(dest)));
}

COLORREF ApplyRop2(int rop2, COLORREF pen, COLORREF dest) {
    return RGB(Rop2Channel(rop2, GetRValue(pen), GetRValue(dest)), Rop2Channel(rop2, GetGValue(pen), GetGValue(dest)),
               Rop2Channel(rop2, GetBValue(pen), GetBValue(dest)));
}

bool ClipRect(RECT& r, const RECT& clip) {
    r.left = std::max(r.left, clip.left);
    r.top = std::max(r.top, clip.top);
    r.right = std::min(r.right, clip.right);
    r.bottom = std::min(r.bottom, clip.bottom);
    return r.left < r.right && r.top < r.bottom;
}

}  // namespace standin::gdi
