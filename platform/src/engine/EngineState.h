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
/// True when pso is the SURFOBJ of a live engine surface (bitmap or device).
bool IsEngineSurface(const SURFOBJ* pso);
/// The driver hook (INDEX_*) that the host set for the device of a live engine surface;
/// NULL when there is none.
PFN SurfaceHook(const SURFOBJ* pso, ULONG index);
/// A hook of the table as its own signature (through void (*)(), which any function pointer
/// may be converted to and back).
template <typename Hook>
Hook HookAs(PFN pfn) {
    return reinterpret_cast<Hook>(reinterpret_cast<void (*)()>(pfn));
}

// --- Transfers onto device surfaces (the surface's device must have DrvCopyBits) ---
bool IsDeviceSurface(const SURFOBJ* pso);
BOOL StretchToDevice(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                     POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, ULONG iMode);
BOOL BltToDevice(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclTrg,
                 POINTL* pptlSrc, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4);

// --- Live objects of each family, for standin::engine::LiveDrawingObjectCount ---
unsigned LivePathClipCount();
unsigned LiveXformObjectCount();
unsigned LiveBrushObjectCount();
unsigned LiveFontStringCount();

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

/// Whether a gray level (0 black to 255 white) dithers to white at (x, y): an 8 x 8 ordered
/// dither whose tile is fixed to the target's coordinates from `phase`. Black and white stay.
bool DitherWhite(ULONG gray, LONG x, LONG y, POINTL phase);

/// Fills x0..x1-1 of row y (already clipped) with the pattern value under a ROP3 without source.
void FillSpan(const Bitmap& bmp, LONG y, LONG x0, LONG x1, BYTE rop3, ULONG pattern);

/// What a brush paints, as raw values of the target's format: one colour, or a tile repeated
/// from the brush origin (the tile's top-left pixel lands on the origin and every whole tile
/// step from it).
struct Fill {
    bool solid = true;
    ULONG color = 0;
    std::vector<ULONG> tile;  // cx * cy values, top row first
    LONG cx = 0;
    LONG cy = 0;
    POINTL origin{0, 0};

    ULONG At(LONG x, LONG y) const {
        if (solid) return color;
        long long u = (static_cast<long long>(x) - origin.x) % cx;
        long long v = (static_cast<long long>(y) - origin.y) % cy;
        if (u < 0) u += cx;
        if (v < 0) v += cy;
        return tile[static_cast<size_t>(v * cx + u)];
    }
};
/// The brush as a fill of the format: a solid colour from iSolidColor, else the pattern of
/// an engine brush (standin::engine::MakeHatchBrush / MakePatternBrush) with the origin
/// (0, 0 without one). False for a pattern brush that is not the engine's or whose pattern
/// format the engine does not draw.
bool BrushFill(const BRUSHOBJ* pbo, ULONG format, const POINTL* origin, Fill* fill);
/// FillSpan with the brush's value at each pixel.
void FillSpan(const Bitmap& bmp, LONG y, LONG x0, LONG x1, BYTE rop3, const Fill& fill);

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
                  const std::vector<RECTL>& region, BYTE rop3, const Fill& fill);

}  // namespace standin::engine::detail
