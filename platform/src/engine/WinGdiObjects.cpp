// GDI object table: stock objects, pens, brushes, fonts, bitmaps, palettes; selection into
// DCs and deletion.
#include <algorithm>
#include <cstring>

#include "platform/Kernel.h"
#include "platform/src/engine/WinGdiState.h"

namespace standin::gdi {

namespace {

HGDIOBJ AddObject(State& s, Object object) {
    HGDIOBJ h = NewHandle(s);
    s.objects[reinterpret_cast<uintptr_t>(h)] = std::move(object);
    return h;
}

HGDIOBJ StockBrush(State& s, COLORREF color, UINT style = BS_SOLID) {
    Object o;
    o.kind = Kind::Brush;
    o.stock = true;
    o.brush = {style, color, 0};
    return AddObject(s, std::move(o));
}

HGDIOBJ StockPen(State& s, COLORREF color, UINT style = PS_SOLID) {
    Object o;
    o.kind = Kind::Pen;
    o.stock = true;
    o.pen = {style, {1, 0}, color};
    return AddObject(s, std::move(o));
}

HGDIOBJ StockFont(State& s, LONG height, const char16_t* face, LONG weight) {
    Object o;
    o.kind = Kind::Font;
    o.stock = true;
    o.font.lfHeight = height;
    o.font.lfWeight = weight;
    o.font.lfCharSet = DEFAULT_CHARSET;
    for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) o.font.lfFaceName[i] = face[i];
    return AddObject(s, std::move(o));
}

void MakeStock(State& s) {
    s.stock[WHITE_BRUSH] = StockBrush(s, RGB(255, 255, 255));
    s.stock[LTGRAY_BRUSH] = StockBrush(s, RGB(192, 192, 192));
    s.stock[GRAY_BRUSH] = StockBrush(s, RGB(128, 128, 128));
    s.stock[DKGRAY_BRUSH] = StockBrush(s, RGB(64, 64, 64));
    s.stock[BLACK_BRUSH] = StockBrush(s, RGB(0, 0, 0));
    s.stock[NULL_BRUSH] = StockBrush(s, 0, BS_NULL);
    s.stock[WHITE_PEN] = StockPen(s, RGB(255, 255, 255));
    s.stock[BLACK_PEN] = StockPen(s, RGB(0, 0, 0));
    s.stock[NULL_PEN] = StockPen(s, 0, PS_NULL);
    s.stock[OEM_FIXED_FONT] = StockFont(s, 16, u"Terminal", FW_NORMAL);
    s.stock[ANSI_FIXED_FONT] = StockFont(s, 16, u"Courier", FW_NORMAL);
    s.stock[ANSI_VAR_FONT] = StockFont(s, 16, u"MS Sans Serif", FW_NORMAL);
    s.stock[SYSTEM_FONT] = StockFont(s, 16, u"System", FW_BOLD);
    s.stock[DEVICE_DEFAULT_FONT] = StockFont(s, 16, u"System", FW_NORMAL);
    s.stock[SYSTEM_FIXED_FONT] = StockFont(s, 16, u"Fixedsys", FW_NORMAL);
    // The platform's 8-point MS Shell Dlg at 96 dpi.
    s.stock[DEFAULT_GUI_FONT] = StockFont(s, -11, u"MS Shell Dlg", FW_NORMAL);
    Object palette;
    palette.kind = Kind::Palette;
    palette.stock = true;
    const COLORREF basic[] = {RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
                              RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
                              RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
                              RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
    for (COLORREF c : basic) palette.palette.push_back({GetRValue(c), GetGValue(c), GetBValue(c), 0});
    s.stock[DEFAULT_PALETTE] = AddObject(s, std::move(palette));
    for (int i = 0; i < 31; ++i) s.sysBrush[i] = StockBrush(s, SysColor(i));
}

HBITMAP NewBitmap(State& s, int width, int height, int bitsPixel) {
    Object o;
    o.kind = Kind::Bitmap;
    o.bitsPixel = bitsPixel;
    o.bitmap = std::make_shared<Surface>(width, height, RGB(0, 0, 0));
    o.bitmap->mono = bitsPixel == 1;
    return static_cast<HBITMAP>(AddObject(s, std::move(o)));
}

HGDIOBJ* SlotFor(DcState& st, Kind kind) {
    switch (kind) {
    case Kind::Pen: return &st.pen;
    case Kind::Brush: return &st.brush;
    case Kind::Font: return &st.font;
    case Kind::Bitmap: return &st.bitmap;
    case Kind::Palette: return &st.palette;
    }
    return nullptr;
}

// Selection counts follow every saved state too, so a restored object is never freed early.
void Hold(State& s, HGDIOBJ h, HDC owner) {
    Object* o = FindObject(s, h);
    if (!o) return;
    if (o->kind == Kind::Bitmap) o->selectedInto = owner;
    else ++o->selections;
}

void Release(State& s, HGDIOBJ h) {
    Object* o = FindObject(s, h);
    if (!o) return;
    if (o->kind == Kind::Bitmap) o->selectedInto = nullptr;
    else if (o->selections) --o->selections;
}

}  // namespace

State& Gdi() {
    static State* state = [] {
        auto* s = new State;  // lives as long as the process: DCs may outlive static order
        MakeStock(*s);
        return s;
    }();
    return *state;
}

HGDIOBJ NewHandle(State& s) {
    s.next += 4;
    return reinterpret_cast<HGDIOBJ>(s.next);
}

Object* FindObject(State& s, HGDIOBJ handle) {
    auto it = s.objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == s.objects.end() ? nullptr : &it->second;
}

Object* FindObject(State& s, HGDIOBJ handle, Kind kind) {
    Object* o = FindObject(s, handle);
    return o && o->kind == kind ? o : nullptr;
}

Dc* FindDc(State& s, HDC hdc) {
    auto it = s.dcs.find(reinterpret_cast<uintptr_t>(hdc));
    return it == s.dcs.end() ? nullptr : &it->second;
}

HDC NewDc(State& s, bool memory, HWND hwnd, bool wholeWindow) {
    HDC h = static_cast<HDC>(NewHandle(s));
    Dc dc;
    dc.memory = memory;
    dc.hwnd = hwnd;
    dc.wholeWindow = wholeWindow;
    dc.state.pen = s.stock[BLACK_PEN];
    dc.state.brush = s.stock[WHITE_BRUSH];
    dc.state.font = s.stock[SYSTEM_FONT];
    dc.state.palette = s.stock[DEFAULT_PALETTE];
    if (memory) dc.state.bitmap = NewBitmap(s, 1, 1, 1);
    s.dcs[reinterpret_cast<uintptr_t>(h)] = std::move(dc);
    Dc& d = s.dcs[reinterpret_cast<uintptr_t>(h)];
    for (HGDIOBJ o : {d.state.pen, d.state.brush, d.state.font, d.state.palette, d.state.bitmap}) Hold(s, o, h);
    if (memory) {
        FindObject(s, d.state.bitmap)->stock = true;  // never deleted by a caller
        d.ownBitmap = d.state.bitmap;
    }
    return h;
}

void DropDc(State& s, HDC hdc) {
    Dc* dc = FindDc(s, hdc);
    if (!dc) return;
    auto releaseAll = [&](const DcState& st) {
        for (HGDIOBJ o : {st.pen, st.brush, st.font, st.palette, st.bitmap}) Release(s, o);
    };
    releaseAll(dc->state);
    for (const DcState& st : dc->saved) releaseAll(st);
    HGDIOBJ ownBitmap = dc->ownBitmap;
    if (ownBitmap) s.objects.erase(reinterpret_cast<uintptr_t>(ownBitmap));
    s.dcs.erase(reinterpret_cast<uintptr_t>(hdc));
}

COLORREF BrushColor(State& s, HGDIOBJ brush) {
    const Object* o = FindObject(s, brush, Kind::Brush);
    if (!o || o->brush.lbStyle == BS_NULL) return CLR_INVALID;
    return o->brush.lbColor;
}

}  // namespace standin::gdi

using namespace standin::gdi;

namespace {

// The stand-in reports a bad handle the way the platform does: the call fails and the last
// error says why.
template <typename R>
R Fail(R value) {
    SetLastError(ERROR_INVALID_HANDLE);
    return value;
}

}  // namespace

PLATFORM_API HGDIOBJ GetStockObject(int object) {
    State& s = Gdi();
    if (object < 0 || object >= 18) return nullptr;
    return s.stock[object];
}

PLATFORM_API HBRUSH GetSysColorBrush(int index) {
    State& s = Gdi();
    if (index < 0 || index >= 31) return nullptr;
    return static_cast<HBRUSH>(s.sysBrush[index]);
}

PLATFORM_API HPEN CreatePen(int style, int width, COLORREF color) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Object o;
    o.kind = Kind::Pen;
    o.pen = {static_cast<UINT>(style), {std::max(width, 0), 0}, color & 0xFFFFFFu};
    return static_cast<HPEN>(AddObject(s, std::move(o)));
}

PLATFORM_API HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
    if (!brush) return Fail<HBRUSH>(nullptr);
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Object o;
    o.kind = Kind::Brush;
    o.brush = *brush;
    return static_cast<HBRUSH>(AddObject(s, std::move(o)));
}

PLATFORM_API HBRUSH CreateSolidBrush(COLORREF color) {
    LOGBRUSH b{BS_SOLID, color & 0xFFFFFFu, 0};
    return CreateBrushIndirect(&b);
}

PLATFORM_API HFONT CreateFontIndirectW(const LOGFONTW* font) {
    if (!font) return Fail<HFONT>(nullptr);
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Object o;
    o.kind = Kind::Font;
    o.font = *font;
    o.font.lfFaceName[LF_FACESIZE - 1] = 0;
    return static_cast<HFONT>(AddObject(s, std::move(o)));
}

PLATFORM_API HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (width < 0 || height < 0 || planes != 1 ||
        (bitsPerPixel != 1 && bitsPerPixel != 24 && bitsPerPixel != 32) || width > 16384 || height > 16384) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    HBITMAP h = NewBitmap(s, std::max(width, 1), std::max(height, 1), static_cast<int>(bitsPerPixel));
    if (!bits) return h;
    Surface& surf = *FindObject(s, h)->bitmap;
    const auto* p = static_cast<const uint8_t*>(bits);
    const size_t stride = ((static_cast<size_t>(width) * bitsPerPixel + 15) / 16) * 2;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = p + stride * static_cast<size_t>(y);
        for (int x = 0; x < width; ++x) {
            if (bitsPerPixel == 1) {
                const bool on = row[x / 8] & (0x80 >> (x % 8));
                surf.Set(x, y, on ? RGB(255, 255, 255) : RGB(0, 0, 0));
            } else {
                const uint8_t* px = row + static_cast<size_t>(x) * (bitsPerPixel / 8);
                surf.Set(x, y, RGB(px[2], px[1], px[0]));
            }
        }
    }
    return h;
}

PLATFORM_API HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<HBITMAP>(nullptr);
    int bits = 24;
    if (dc->memory) {
        if (const Object* b = FindObject(s, dc->state.bitmap, Kind::Bitmap)) bits = b->bitsPixel;
    }
    return CreateBitmap(width, height, 1, static_cast<UINT>(bits), nullptr);
}

PLATFORM_API HPALETTE CreatePalette(const LOGPALETTE* palette) {
    if (!palette || palette->palNumEntries == 0 || palette->palVersion != 0x300) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Object o;
    o.kind = Kind::Palette;
    o.palette.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
    return static_cast<HPALETTE>(AddObject(s, std::move(o)));
}

PLATFORM_API HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    Object* o = FindObject(s, object);
    if (!dc || !o || o->kind == Kind::Palette) return Fail<HGDIOBJ>(nullptr);
    if (o->kind == Kind::Bitmap) {
        // Only a memory DC takes a bitmap, and a bitmap lives in one DC at a time.
        if (!dc->memory || (o->selectedInto && o->selectedInto != hdc)) return Fail<HGDIOBJ>(nullptr);
    }
    HGDIOBJ* slot = SlotFor(dc->state, o->kind);
    HGDIOBJ previous = *slot;
    if (previous == object) return previous;
    Release(s, previous);
    *slot = object;
    Hold(s, object, hdc);
    return previous;
}

PLATFORM_API HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc || !FindObject(s, palette, Kind::Palette)) return Fail<HPALETTE>(nullptr);
    HGDIOBJ previous = dc->state.palette;
    Release(s, previous);
    dc->state.palette = palette;
    Hold(s, palette, hdc);
    Record(s, hdc, *dc, "SelectPalette", {static_cast<long long>(FindObject(s, palette)->palette.size())});
    return static_cast<HPALETTE>(previous);
}

PLATFORM_API UINT RealizePalette(HDC hdc) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<UINT>(GDI_ERROR);
    const Object* p = FindObject(s, dc->state.palette, Kind::Palette);
    const UINT n = p ? static_cast<UINT>(p->palette.size()) : 0;
    Record(s, hdc, *dc, "RealizePalette", {n});
    return n;
}

PLATFORM_API BOOL DeleteObject(HGDIOBJ object) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Object* o = FindObject(s, object);
    if (!o) return Fail<BOOL>(FALSE);
    if (o->stock) return TRUE;
    if (o->selectedInto || o->selections) return FALSE;
    s.objects.erase(reinterpret_cast<uintptr_t>(object));
    return TRUE;
}

PLATFORM_API DWORD GetObjectType(HGDIOBJ object) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    if (Dc* dc = FindDc(s, static_cast<HDC>(object))) return dc->memory ? OBJ_MEMDC : OBJ_DC;
    const Object* o = FindObject(s, object);
    if (!o) return Fail<DWORD>(0);
    switch (o->kind) {
    case Kind::Pen: return OBJ_PEN;
    case Kind::Brush: return OBJ_BRUSH;
    case Kind::Font: return OBJ_FONT;
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Palette: return OBJ_PAL;
    }
    return 0;
}

PLATFORM_API HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<HGDIOBJ>(nullptr);
    switch (type) {
    case OBJ_PEN: return dc->state.pen;
    case OBJ_BRUSH: return dc->state.brush;
    case OBJ_FONT: return dc->state.font;
    case OBJ_BITMAP: return dc->state.bitmap;
    case OBJ_PAL: return dc->state.palette;
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

PLATFORM_API int GetObjectW(HGDIOBJ object, int cbBuffer, LPVOID buffer) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    const Object* o = FindObject(s, object);
    if (!o) return Fail<int>(0);
    auto copy = [&](const void* data, int size) {
        if (!buffer) return size;
        const int n = std::min(size, cbBuffer);
        if (n <= 0) return 0;
        std::memcpy(buffer, data, static_cast<size_t>(n));
        return n;
    };
    switch (o->kind) {
    case Kind::Pen: return copy(&o->pen, sizeof(LOGPEN));
    case Kind::Brush: return copy(&o->brush, sizeof(LOGBRUSH));
    case Kind::Font: return copy(&o->font, sizeof(LOGFONTW));
    case Kind::Palette: {
        const WORD n = static_cast<WORD>(o->palette.size());
        return copy(&n, sizeof(WORD));
    }
    case Kind::Bitmap: {
        BITMAP bm{};
        bm.bmWidth = o->bitmap->width;
        bm.bmHeight = o->bitmap->height;
        bm.bmPlanes = 1;
        bm.bmBitsPixel = static_cast<WORD>(o->bitsPixel);
        bm.bmWidthBytes = ((bm.bmWidth * o->bitsPixel + 15) / 16) * 2;
        return copy(&bm, sizeof(BITMAP));
    }
    }
    return 0;
}

namespace standin::ui {

unsigned LiveGdiObjectCount() {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    return static_cast<unsigned>(
        std::count_if(s.objects.begin(), s.objects.end(), [](const auto& e) { return !e.second.stock; }));
}

unsigned LiveDcCount() {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    return static_cast<unsigned>(s.dcs.size());
}

Pixels BitmapPixels(HBITMAP bitmap) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    const Object* o = FindObject(s, bitmap, Kind::Bitmap);
    if (!o) return {};
    return {o->bitmap->width, o->bitmap->height, o->bitmap->bgr};
}

COLORREF Pixels::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return RGB(bgr[i + 2], bgr[i + 1], bgr[i]);
}

}  // namespace standin::ui
