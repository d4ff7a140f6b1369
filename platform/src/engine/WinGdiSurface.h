#pragma once
// A 24-bit pixel store (blue, green, red; top row first) with the raster operations that the
// drawing calls share. Windows and memory bitmaps both draw into one.
#include <cstdint>
#include <vector>

#include "platform/WinGdi.h"

namespace standin::gdi {

/// Pixels owned elsewhere (a bitmap's Surface, or a window's client pixels kept by the window
/// side), drawn through the same code.
struct PixelView {
    uint8_t* bgr = nullptr;
    int width = 0;
    int height = 0;
    bool mono = false;
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    COLORREF Get(int x, int y) const;
    void Set(int x, int y, COLORREF color) const;
};

struct Surface {
    int width = 0;
    int height = 0;
    bool mono = false;  // a one-bit bitmap: every pixel is black or white
    std::vector<uint8_t> bgr;

    Surface() = default;
    Surface(int w, int h, COLORREF fill = 0);
    void Resize(int w, int h, COLORREF fill);
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    COLORREF Get(int x, int y) const;
    /// Ignores points outside; a mono surface keeps white or black by luminance.
    void Set(int x, int y, COLORREF color);
    PixelView View() { return {bgr.data(), width, height, mono}; }
};

/// Luminance test of the one-bit conversion: at least half bright counts as white.
bool IsLight(COLORREF color);
/// A ternary raster operation (the third byte of a ROP code) on pattern, source and
/// destination colours, channel by channel.
COLORREF ApplyRop3(BYTE rop, COLORREF pattern, COLORREF source, COLORREF dest);
/// A binary raster operation (R2_*) of pen and destination colours.
COLORREF ApplyRop2(int rop2, COLORREF pen, COLORREF dest);
/// Clamps a rectangle to the surface and the clip; false when nothing is left.
bool ClipRect(RECT& r, const RECT& clip);

}  // namespace standin::gdi
