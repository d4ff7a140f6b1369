#pragma once
// What the engine's families share: the checked view of a drawable surface, colours in a
// surface's own pixel format, raster operations, and the clip region as rectangles.
#include <vector>

#include "platform/Ddi.h"

namespace standin::engine::detail {

/// The bits of a locked engine bitmap, taken from its SURFOBJ after the table check.
struct Bitmap {
    BYTE* scan0 = nullptr;
    LONG delta = 0;
    LONG cx = 0;
    LONG cy = 0;
    ULONG format = 0;  // BMF_1BPP, BMF_8BPP, BMF_24BPP or BMF_32BPP
};

/// True when pso is the SURFOBJ of a live engine bitmap in a drawable format; fills *view.
bool DrawableView(const SURFOBJ* pso, Bitmap* view);

// --- Pixels (raw values in the bitmap's format: 0/1, a gray byte, or 0x00RRGGBB) ---
ULONG ReadPixel(const Bitmap& bmp, LONG x, LONG y);
void WritePixel(const Bitmap& bmp, LONG x, LONG y, ULONG raw);
ULONG FormatMask(ULONG format);
/// An RGB colour 0x00BBGGRR as a raw value, and back.
ULONG RawFromRgb(ULONG format, ULONG rgb);
ULONG RgbFromRaw(ULONG format, ULONG raw);
/// A brush or erase colour as a raw value: on 1-bit bitmaps 0 and 1 are palette indexes.
ULONG RawFromColor(ULONG format, ULONG color);

// --- Raster operations ---
/// The ROP3 applied bitwise to pattern, source and destination values.
ULONG ApplyRop3(BYTE rop3, ULONG pattern, ULONG source, ULONG destination);
/// The ROP3 that does what the mix's foreground binary operation does; false for a bad mix.
bool Rop3FromMix(MIX mix, BYTE* rop3);
bool Rop3UsesSource(BYTE rop3);
bool Rop3UsesPattern(BYTE rop3);

/// Fills x0..x1-1 of row y (already clipped) with the pattern value under a ROP3 without source.
void FillSpan(const Bitmap& bmp, LONG y, LONG x0, LONG x1, BYTE rop3, ULONG pattern);

// --- Clipping ---
RECTL Intersect(const RECTL& a, const RECTL& b);
bool IsEmpty(const RECTL& r);
/// The rectangles of the clip object within `limit` (DC_TRIVIAL or no clip object: `limit`
/// itself); false for a DC_COMPLEX clip object that is not the engine's own.
bool ClipRegion(const CLIPOBJ* pco, const RECTL& limit, std::vector<RECTL>* rects);
/// The rectangle list of an engine clip object, or false when it is not one.
bool EngineClipRects(const CLIPOBJ* pco, std::vector<RECTL>* rects);

/// The figures of an engine path, or false when it is not one.
struct Figure {
    std::vector<POINTFIX> points;
    bool closed = false;
};
bool EnginePathFigures(const PATHOBJ* ppo, std::vector<Figure>* figures);

/// The solid colour of a brush as a raw value; false when there is none (pattern brushes).
bool SolidBrush(const BRUSHOBJ* pbo, ULONG format, ULONG* raw);

/// Fills polygons given in pixel coordinates (pixel centres at +0.5) within the region.
struct PointF {
    double x;
    double y;
};
void FillPolygons(const Bitmap& bmp, const std::vector<std::vector<PointF>>& polygons, bool winding,
                  const std::vector<RECTL>& region, BYTE rop3, ULONG pattern);

}  // namespace standin::engine::detail
