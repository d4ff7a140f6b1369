#pragma once
// GDI objects and DCs of the stand-in, kept in one table under one lock; what the drawing
// files share.
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/StandInDraw.h"
#include "platform/WinGdi.h"
#include "platform/src/engine/WinGdiSurface.h"

namespace standin::gdi {

enum class Kind { Pen, Brush, Font, Bitmap, Palette };

struct Object {
    Kind kind = Kind::Pen;
    bool stock = false;  // never deleted
    LOGPEN pen{};
    LOGBRUSH brush{};
    LOGFONTW font{};
    std::shared_ptr<Surface> bitmap;
    int bitsPixel = 24;
    HDC selectedInto = nullptr;  // bitmaps: at most one memory DC
    unsigned selections = 0;     // pens, brushes, fonts, palettes: DCs holding it
    std::vector<PALETTEENTRY> palette;
};

struct DcState {
    HGDIOBJ pen = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ font = nullptr;
    HGDIOBJ bitmap = nullptr;
    HGDIOBJ palette = nullptr;
    COLORREF text = RGB(0, 0, 0);
    COLORREF bk = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    UINT align = TA_LEFT | TA_TOP;
    int rop2 = R2_COPYPEN;
    POINT pos{0, 0};
    bool clipped = false;
    RECT clip{};  // DC coordinates, when clipped
};

struct Dc {
    bool memory = false;
    HWND hwnd = nullptr;
    bool wholeWindow = false;  // GetWindowDC: origin at the window's corner
    HGDIOBJ ownBitmap = nullptr;  // a memory DC's 1 x 1 default bitmap, freed with it
    DcState state;
    std::vector<DcState> saved;
    std::vector<ui::DrawCall> log;
};

/// Where a DC's drawing lands: surface coordinates = DC coordinates + origin, limited to clip.
struct Target {
    PixelView surface;
    POINT origin{0, 0};
    RECT clip{};
};

struct State {
    std::recursive_mutex lock;
    std::map<uintptr_t, Object> objects;
    std::map<uintptr_t, Dc> dcs;
    std::map<HWND, std::vector<ui::DrawCall>> windowLogs;
    std::map<HWND, std::shared_ptr<Surface>> windowSurfaces;  // one per top-level window
    uintptr_t next = 0x4000;
    HGDIOBJ stock[18]{};
    HGDIOBJ sysBrush[31]{};
    ui::DisplayCaps display;
};

/// The process's GDI state, with the stock objects made on first use.
State& Gdi();
HGDIOBJ NewHandle(State& s);
Object* FindObject(State& s, HGDIOBJ handle);
Object* FindObject(State& s, HGDIOBJ handle, Kind kind);
Dc* FindDc(State& s, HDC hdc);
/// A DC for a window or memory; selects the stock pen, brush, font, palette (and a 1 x 1
/// mono bitmap for memory).
HDC NewDc(State& s, bool memory, HWND hwnd, bool wholeWindow);
void DropDc(State& s, HDC hdc);
/// False when the DC's window is gone or its bitmap is missing.
bool ResolveTarget(State& s, const Dc& dc, Target* target);
/// Appends to the DC's log and its window's log.
void Record(State& s, HDC hdc, Dc& dc, const char* name, std::vector<long long> args,
            std::u16string text = {});
/// The colour a brush paints with; CLR_INVALID for a hollow or unknown brush.
COLORREF BrushColor(State& s, HGDIOBJ brush);
DWORD SysColor(int index);

// Drawing helpers on a resolved target (DC coordinates).
void FillArea(const Target& t, RECT r, COLORREF color, int rop2);
void PlotPixel(const Target& t, int x, int y, COLORREF color, int rop2);
void DrawPenLine(const Target& t, const LOGPEN& pen, int rop2, int x0, int y0, int x1, int y1);

// Text (WinGdiText.cpp).
struct FontMetrics {
    int height = 16;
    int ascent = 14;
    bool bold = false;
};
FontMetrics MetricsOf(State& s, const Dc& dc);
int CharWidth(const FontMetrics& m, char16_t c);
int TextWidth(const FontMetrics& m, const char16_t* text, int cch);
/// Draws glyphs with their top-left cell corner at (x, y) in the text colour (DC coordinates).
void DrawGlyphs(const Target& t, const FontMetrics& m, int x, int y, const char16_t* text, int cch, COLORREF color);

/// Where a window's drawing lands (WinGdiWindows.cpp): the window's client pixels kept by the
/// window side; a whole-window DC has its origin at the window's corner, so only the client
/// part of what it draws is kept. False for an unknown or destroyed window.
bool WindowTarget(State& s, HWND hwnd, bool wholeWindow, Target* target);

}  // namespace standin::gdi
