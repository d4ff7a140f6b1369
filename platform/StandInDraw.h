#pragma once
// Test controls of window drawing: the log of drawing calls, the live GDI object count, the
// display's capabilities and pictures of windows. Not platform calls; product code never
// includes this header.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/WinGdi.h"

namespace standin::ui {

/// One drawing call as it reached a DC: the call's name, its integer arguments in order
/// (colours, rectangles and points spelled out) and its text, if any.
struct DrawCall {
    std::string name;
    std::vector<long long> args;
    std::u16string text;
    /// "Name(a,b,"text")": what a failing test prints.
    std::string ToString() const;
};

/// Calls made on DCs of the window (client and whole-window DCs alike), oldest first.
std::vector<DrawCall> DrawLog(HWND hwnd);
/// Calls made on that DC while it lives (memory DCs included).
std::vector<DrawCall> DrawLog(HDC hdc);
void ClearDrawLogs();

/// Pens, brushes, fonts, bitmaps and palettes made and not yet deleted (stock objects and
/// system colour brushes excluded), and DCs not yet released or deleted.
unsigned LiveGdiObjectCount();
unsigned LiveDcCount();

struct DisplayCaps {
    int bitsPerPixel = 24;  // 8 or fewer makes a palette display (RC_PALETTE, NUMCOLORS 20)
    int logPixels = 96;
    int width = 1024;
    int height = 768;
};
void SetDisplayCaps(const DisplayCaps& caps);
DisplayCaps GetDisplayCaps();

/// The pixels of a memory bitmap, rows top first, three bytes (blue, green, red) per pixel.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;
    COLORREF At(int x, int y) const;
};
/// Empty for an unknown bitmap.
Pixels BitmapPixels(HBITMAP bitmap);
/// The top-level window's surface as it stands (painted or not); empty for an unknown window.
Pixels WindowPixels(HWND hwnd);
/// Paints the top-level window with its children (frames, captions, client areas, in
/// z-order) into its surface and returns the pixels; empty for an unknown window.
Pixels PaintWindow(HWND hwnd);
/// PaintWindow, then writes the pixels as a PNG (8-bit RGB, stored deflate blocks) to a Linux
/// path. False for an unknown window or an unwritable file.
bool SavePicture(HWND hwnd, const std::string& linuxPath);
/// The PNG bytes of pixels, as SavePicture writes them.
std::vector<uint8_t> EncodePng(const Pixels& pixels);

/// Where glyphs come from: the first Unifont .hex file found (e.g.
/// /usr/share/unifont/unifont.hex) unless a test set another path ("" draws boxes only).
void SetGlyphFile(const std::string& linuxPath);
bool GlyphsAvailable();

}  // namespace standin::ui
