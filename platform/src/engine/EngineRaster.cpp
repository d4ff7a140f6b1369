// The engine's raster drawing on its own bitmaps: pixels and colours, raster operations,
// clipping, and the block transfers (EngBitBlt, EngCopyBits, EngStretchBlt, EngPaint).
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/Ddi.h"
#include "platform/Kernel.h"
#include "platform/src/engine/EngineState.h"

namespace standin::engine::detail {

// --- Pixels ---

ULONG FormatMask(ULONG format) {
    switch (format) {
        case BMF_1BPP: return 1;
        case BMF_8BPP: return 0xFF;
        case BMF_24BPP: return 0xFFFFFF;
        default: return 0xFFFFFFFF;
    }
}

ULONG ReadPixel(const Bitmap& bmp, LONG x, LONG y) {
    const BYTE* row = bmp.scan0 + static_cast<ptrdiff_t>(y) * bmp.delta;
    switch (bmp.format) {
        case BMF_1BPP: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
        case BMF_8BPP: return row[x];
        case BMF_24BPP: {
            const BYTE* p = row + static_cast<ptrdiff_t>(x) * 3;
            return p[0] | (p[1] << 8) | (static_cast<ULONG>(p[2]) << 16);
        }
        default: {
            ULONG v;
            std::memcpy(&v, row + static_cast<ptrdiff_t>(x) * 4, 4);
            return v;
        }
    }
}

void WritePixel(const Bitmap& bmp, LONG x, LONG y, ULONG raw) {
    BYTE* row = bmp.scan0 + static_cast<ptrdiff_t>(y) * bmp.delta;
    switch (bmp.format) {
        case BMF_1BPP: {
            const BYTE bit = static_cast<BYTE>(0x80u >> (x & 7));
            row[x >> 3] = static_cast<BYTE>((raw & 1u) != 0 ? row[x >> 3] | bit : row[x >> 3] & ~bit);
            break;
        }
        case BMF_8BPP: row[x] = static_cast<BYTE>(raw); break;
        case BMF_24BPP: {
            BYTE* p = row + static_cast<ptrdiff_t>(x) * 3;
            p[0] = static_cast<BYTE>(raw);
            p[1] = static_cast<BYTE>(raw >> 8);
            p[2] = static_cast<BYTE>(raw >> 16);
            break;
        }
        default: std::memcpy(row + static_cast<ptrdiff_t>(x) * 4, &raw, 4); break;
    }
}

namespace {

ULONG Luminance(ULONG rgb) {
    const ULONG r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
    return (r * 299 + g * 587 + b * 114) / 1000;
}

// Raw 24- and 32-bit pixels are 0x00RRGGBB (blue first in memory); colours are 0x00BBGGRR.
ULONG SwapRedBlue(ULONG v) { return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF); }

}  // namespace

ULONG RawFromRgb(ULONG format, ULONG rgb) {
    switch (format) {
        case BMF_1BPP: return Luminance(rgb) >= 128 ? 1u : 0u;
        case BMF_8BPP: return Luminance(rgb);
        default: return SwapRedBlue(rgb & 0xFFFFFF);
    }
}

ULONG RgbFromRaw(ULONG format, ULONG raw) {
    switch (format) {
        case BMF_1BPP: return (raw & 1u) != 0 ? 0xFFFFFFu : 0u;
        case BMF_8BPP: return (raw & 0xFF) * 0x010101u;
        default: return SwapRedBlue(raw & 0xFFFFFF);
    }
}

ULONG RawFromColor(ULONG format, ULONG color) {
    if (format == BMF_1BPP && color <= 1) return color;
    return RawFromRgb(format, color);
}

bool SolidBrush(const BRUSHOBJ* pbo, ULONG format, ULONG* raw) {
    if (pbo == nullptr || pbo->iSolidColor == 0xFFFFFFFFu) return false;
    *raw = RawFromColor(format, pbo->iSolidColor);
    return true;
}

// --- Raster operations ---

ULONG ApplyRop3(BYTE rop3, ULONG pattern, ULONG source, ULONG destination) {
    // Bit i of a ROP3 is the result for pattern bit (i & 4), source bit (i & 2) and destination
    // bit (i & 1): the sum of the minterms whose bit is set.
    ULONG result = 0;
    for (unsigned i = 0; i < 8; ++i) {
        if (((rop3 >> i) & 1u) == 0) continue;
        result |= ((i & 4) != 0 ? pattern : ~pattern) & ((i & 2) != 0 ? source : ~source) &
                  ((i & 1) != 0 ? destination : ~destination);
    }
    return result;
}

bool Rop3FromMix(MIX mix, BYTE* rop3) {
    const ULONG r2 = mix & 0xFF;
    if (r2 < R2_BLACK || r2 > R2_WHITE) return false;
    // Bit (pen << 1 | destination) of r2 - 1 is the result of the binary operation.
    BYTE rop = 0;
    for (unsigned i = 0; i < 8; ++i) {
        const unsigned pen = (i >> 2) & 1u, dst = i & 1u;
        if ((((r2 - 1) >> ((pen << 1) | dst)) & 1u) != 0) rop = static_cast<BYTE>(rop | (1u << i));
    }
    *rop3 = rop;
    return true;
}

bool DitherWhite(ULONG gray, LONG x, LONG y, POINTL phase) {
    constexpr int kSize = 8;
    // The order in which the cells of a tile turn white as the gray rises (a recursive Bayer
    // matrix): neighbouring levels spread over the tile instead of growing a clump.
    static constexpr BYTE kOrder[kSize][kSize] = {
        {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
        {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
        {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21},
    };
    const int u = static_cast<int>(((static_cast<long long>(x) + phase.x) % kSize + kSize) % kSize);
    const int v = static_cast<int>(((static_cast<long long>(y) + phase.y) % kSize + kSize) % kSize);
    // Level k of 64 turns white above (k + 1/2) * 255 / 64.
    return gray * 128 > (2u * kOrder[v][u] + 1) * 255;
}

bool Rop3UsesSource(BYTE rop3) { return (((rop3 >> 2) ^ rop3) & 0x33) != 0; }
bool Rop3UsesPattern(BYTE rop3) { return (((rop3 >> 4) ^ rop3) & 0x0F) != 0; }

void FillSpan(const Bitmap& bmp, LONG y, LONG x0, LONG x1, BYTE rop3, ULONG pattern) {
    if (x0 >= x1) return;
    // Plain fills of 1-bit rows go a byte at a time: pages are erased this way.
    const bool plain = rop3 == 0xF0 || rop3 == 0x00 || rop3 == 0xFF;
    if (bmp.format == BMF_1BPP && plain) {
        const bool white = rop3 == 0xFF || (rop3 == 0xF0 && (pattern & 1u) != 0);
        BYTE* row = bmp.scan0 + static_cast<ptrdiff_t>(y) * bmp.delta;
        LONG x = x0;
        for (; x < x1 && (x & 7) != 0; ++x) WritePixel(bmp, x, y, white ? 1u : 0u);
        const LONG wholeEnd = x + (x1 - x) / 8 * 8;
        if (wholeEnd > x) std::memset(row + (x >> 3), white ? 0xFF : 0x00, static_cast<size_t>((wholeEnd - x) / 8));
        for (x = std::max(x, wholeEnd); x < x1; ++x) WritePixel(bmp, x, y, white ? 1u : 0u);
        return;
    }
    const ULONG mask = FormatMask(bmp.format);
    for (LONG x = x0; x < x1; ++x)
        WritePixel(bmp, x, y, ApplyRop3(rop3, pattern, 0, ReadPixel(bmp, x, y)) & mask);
}

void FillSpan(const Bitmap& bmp, LONG y, LONG x0, LONG x1, BYTE rop3, const Fill& fill) {
    if (fill.solid) {
        FillSpan(bmp, y, x0, x1, rop3, fill.color);
        return;
    }
    const ULONG mask = FormatMask(bmp.format);
    for (LONG x = x0; x < x1; ++x)
        WritePixel(bmp, x, y, ApplyRop3(rop3, fill.At(x, y), 0, ReadPixel(bmp, x, y)) & mask);
}

// --- Clipping ---

RECTL Intersect(const RECTL& a, const RECTL& b) {
    return RECTL{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const RECTL& r) { return r.left >= r.right || r.top >= r.bottom; }

bool ClipRegion(const CLIPOBJ* pco, const RECTL& limit, std::vector<RECTL>* rects) {
    rects->clear();
    if (pco == nullptr || pco->iDComplexity == DC_TRIVIAL) {
        if (!IsEmpty(limit)) rects->push_back(limit);
        return true;
    }
    if (pco->iDComplexity == DC_RECT) {
        const RECTL r = Intersect(pco->rclBounds, limit);
        if (!IsEmpty(r)) rects->push_back(r);
        return true;
    }
    std::vector<RECTL> all;
    if (pco->iDComplexity != DC_COMPLEX || !EngineClipRects(pco, &all)) return false;
    for (const RECTL& each : all) {
        const RECTL r = Intersect(each, limit);
        if (!IsEmpty(r)) rects->push_back(r);
    }
    return true;
}

}  // namespace standin::engine::detail

namespace {

using namespace standin::engine::detail;

// A rectangle with left <= right and top <= bottom; *flipX/*flipY tell whether it was turned.
RECTL Ordered(const RECTL& r, bool* flipX, bool* flipY) {
    *flipX = r.right < r.left;
    *flipY = r.bottom < r.top;
    return RECTL{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                 std::max(r.top, r.bottom)};
}

// A source pixel as a raw value of the target format, through the translation table when the
// source is indexed and the table covers the index.
ULONG SourceValue(const Bitmap& src, ULONG raw, const Bitmap& dst, const XLATEOBJ* pxlo) {
    const bool indexed = src.format == BMF_1BPP || src.format == BMF_8BPP;
    if (pxlo != nullptr && pxlo->pulXlate != nullptr && indexed && raw < pxlo->cEntries)
        return RawFromColor(dst.format, pxlo->pulXlate[raw]);
    if (src.format == dst.format) return raw;
    return RawFromRgb(dst.format, RgbFromRaw(src.format, raw));
}

// A source pixel's gray level (0 black to 255 white), through the translation table as above.
ULONG SourceGray(const Bitmap& src, ULONG raw, const XLATEOBJ* pxlo) {
    const bool indexed = src.format == BMF_1BPP || src.format == BMF_8BPP;
    const ULONG rgb = pxlo != nullptr && pxlo->pulXlate != nullptr && indexed && raw < pxlo->cEntries
                          ? pxlo->pulXlate[raw]
                          : RgbFromRaw(src.format, raw);
    return RawFromRgb(BMF_8BPP, rgb);
}

bool Inside(const Bitmap& bmp, LONG x, LONG y) { return x >= 0 && y >= 0 && x < bmp.cx && y < bmp.cy; }

// A copy of the source pixels, already in the target's format, so that a transfer within one
// bitmap reads what was there before it began.
struct SourceCopy {
    LONG left = 0, top = 0, width = 0, height = 0;
    std::vector<ULONG> values;
    std::vector<bool> present;
};

SourceCopy CopySource(const Bitmap& src, const RECTL& area, const Bitmap& dst, const XLATEOBJ* pxlo) {
    SourceCopy copy;
    copy.left = area.left;
    copy.top = area.top;
    copy.width = area.right - area.left;
    copy.height = area.bottom - area.top;
    const size_t n = static_cast<size_t>(copy.width) * static_cast<size_t>(copy.height);
    copy.values.assign(n, 0);
    copy.present.assign(n, false);
    for (LONG y = 0; y < copy.height; ++y)
        for (LONG x = 0; x < copy.width; ++x) {
            if (!Inside(src, area.left + x, area.top + y)) continue;
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(copy.width) + static_cast<size_t>(x);
            copy.values[i] = SourceValue(src, ReadPixel(src, area.left + x, area.top + y), dst, pxlo);
            copy.present[i] = true;
        }
    return copy;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

BOOL EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclTrg,
               POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) {
    if (IsDeviceSurface(psoTrg))
        return BltToDevice(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pbo, pptlBrush, rop4);
    Bitmap dst;
    if (prclTrg == nullptr || !DrawableView(psoTrg, &dst)) return Fail(ERROR_INVALID_PARAMETER);
    const BYTE fore = static_cast<BYTE>(rop4 & 0xFF);
    const BYTE back = static_cast<BYTE>((rop4 >> 8) & 0xFF);
    Bitmap mask;
    const bool masked = fore != back;
    if (masked && (pptlMask == nullptr || !DrawableView(psoMask, &mask) || mask.format != BMF_1BPP))
        return Fail(ERROR_INVALID_PARAMETER);
    const bool needSource = Rop3UsesSource(fore) || Rop3UsesSource(back);
    const bool needPattern = Rop3UsesPattern(fore) || Rop3UsesPattern(back);
    Bitmap src;
    if (needSource && (pptlSrc == nullptr || !DrawableView(psoSrc, &src))) return Fail(ERROR_INVALID_PARAMETER);
    Fill pattern;
    try {
        if (needPattern && !BrushFill(pbo, dst.format, pptlBrush, &pattern)) return Fail(ERROR_NOT_SUPPORTED);
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }

    bool flipX = false, flipY = false;
    const RECTL target = Ordered(*prclTrg, &flipX, &flipY);
    std::vector<RECTL> region;
    try {
        if (!ClipRegion(pco, Intersect(target, RECTL{0, 0, dst.cx, dst.cy}), &region))
            return Fail(ERROR_INVALID_PARAMETER);
        SourceCopy source;
        if (needSource) {
            const RECTL from{pptlSrc->x, pptlSrc->y, pptlSrc->x + (target.right - target.left),
                             pptlSrc->y + (target.bottom - target.top)};
            source = CopySource(src, from, dst, pxlo);
        }
        const ULONG formatMask = FormatMask(dst.format);
        for (const RECTL& r : region) {
            for (LONG y = r.top; y < r.bottom; ++y) {
                if (!needSource && !masked) {
                    FillSpan(dst, y, r.left, r.right, fore, pattern);
                    continue;
                }
                for (LONG x = r.left; x < r.right; ++x) {
                    ULONG s = 0;
                    if (needSource) {
                        const size_t i = static_cast<size_t>(y - target.top) * static_cast<size_t>(source.width) +
                                         static_cast<size_t>(x - target.left);
                        if (!source.present[i]) continue;  // the source does not reach this far
                        s = source.values[i];
                    }
                    BYTE rop = fore;
                    if (masked) {
                        const LONG mx = pptlMask->x + (x - target.left), my = pptlMask->y + (y - target.top);
                        if (!Inside(mask, mx, my)) continue;
                        rop = ReadPixel(mask, mx, my) != 0 ? fore : back;
                    }
                    WritePixel(dst, x, y, ApplyRop3(rop, pattern.At(x, y), s, ReadPixel(dst, x, y)) & formatMask);
                }
            }
        }
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    return TRUE;
}

BOOL EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest, POINTL* pptlSrc) {
    return EngBitBlt(psoDest, psoSrc, nullptr, pco, pxlo, prclDest, pptlSrc, nullptr, nullptr, nullptr, SRCCOPY_ROP4);
}

BOOL EngPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix) {
    Bitmap dst;
    BYTE rop3 = 0;
    if (!DrawableView(pso, &dst) || !Rop3FromMix(mix, &rop3)) return Fail(ERROR_INVALID_PARAMETER);
    try {
        Fill pattern;
        if (Rop3UsesPattern(rop3) && !BrushFill(pbo, dst.format, pptlBrushOrg, &pattern))
            return Fail(ERROR_NOT_SUPPORTED);
        std::vector<RECTL> region;
        if (!ClipRegion(pco, RECTL{0, 0, dst.cx, dst.cy}, &region)) return Fail(ERROR_INVALID_PARAMETER);
        for (const RECTL& r : region)
            for (LONG y = r.top; y < r.bottom; ++y) FillSpan(dst, y, r.left, r.right, rop3, pattern);
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    return TRUE;
}

BOOL EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                   COLORADJUSTMENT* /*pca*/, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                   POINTL* /*pptlMask*/, ULONG iMode) {
    if (IsDeviceSurface(psoDest))
        return StretchToDevice(psoDest, psoSrc, psoMask, pco, pxlo, pptlHTOrg, prclDest, prclSrc, iMode);
    Bitmap dst, src;
    if (psoMask != nullptr || prclDest == nullptr || prclSrc == nullptr || !DrawableView(psoDest, &dst) ||
        !DrawableView(psoSrc, &src))
        return Fail(ERROR_INVALID_PARAMETER);
    if (iMode != BLACKONWHITE && iMode != WHITEONBLACK && iMode != COLORONCOLOR && iMode != HALFTONE)
        return Fail(ERROR_INVALID_PARAMETER);
    bool dFlipX = false, dFlipY = false, sFlipX = false, sFlipY = false;
    const RECTL to = Ordered(*prclDest, &dFlipX, &dFlipY);
    const RECTL from = Ordered(*prclSrc, &sFlipX, &sFlipY);
    const bool mirrorX = dFlipX != sFlipX, mirrorY = dFlipY != sFlipY;
    const long long dw = to.right - to.left, dh = to.bottom - to.top;
    const long long sw = from.right - from.left, sh = from.bottom - from.top;
    if (dw == 0 || dh == 0) return TRUE;
    if (sw == 0 || sh == 0) return Fail(ERROR_INVALID_PARAMETER);
    // A shrink in these modes keeps the black (AND) or the white (OR) of the dropped pixels.
    const bool combine = iMode == BLACKONWHITE || iMode == WHITEONBLACK;
    // Onto 1 bit, HALFTONE dithers the source's gray from the halftone origin.
    const bool dither = iMode == HALFTONE && dst.format == BMF_1BPP;
    const POINTL phase = pptlHTOrg != nullptr ? *pptlHTOrg : POINTL{0, 0};
    const ULONG formatMask = FormatMask(dst.format);

    // The source span [first, last) that destination offset d (0-based, unmirrored) covers.
    auto span = [](long long d, long long dn, long long sn, long long* first, long long* last) {
        *first = d * sn / dn;
        *last = (d + 1) * sn / dn;
        const long long nearest = (2 * d + 1) * sn / (2 * dn);
        if (*last <= *first) {
            *first = nearest;
            *last = nearest + 1;
        }
    };
    try {
        std::vector<RECTL> region;
        if (!ClipRegion(pco, Intersect(to, RECTL{0, 0, dst.cx, dst.cy}), &region)) return Fail(ERROR_INVALID_PARAMETER);
        for (const RECTL& r : region) {
            for (LONG y = r.top; y < r.bottom; ++y) {
                long long dy = y - to.top;
                if (mirrorY) dy = dh - 1 - dy;
                long long y0 = 0, y1 = 0;
                span(dy, dh, sh, &y0, &y1);
                if (!combine) y0 = (2 * dy + 1) * sh / (2 * dh), y1 = y0 + 1;
                for (LONG x = r.left; x < r.right; ++x) {
                    long long dx = x - to.left;
                    if (mirrorX) dx = dw - 1 - dx;
                    long long x0 = 0, x1 = 0;
                    span(dx, dw, sw, &x0, &x1);
                    if (!combine) x0 = (2 * dx + 1) * sw / (2 * dw), x1 = x0 + 1;
                    bool any = false;
                    ULONG value = iMode == BLACKONWHITE ? formatMask : 0;
                    for (long long sy = y0; sy < y1; ++sy)
                        for (long long sx = x0; sx < x1; ++sx) {
                            const LONG px = static_cast<LONG>(from.left + sx), py = static_cast<LONG>(from.top + sy);
                            if (!Inside(src, px, py)) continue;
                            const ULONG raw = ReadPixel(src, px, py);
                            const ULONG v = dither ? (DitherWhite(SourceGray(src, raw, pxlo), x, y, phase) ? 1u : 0u)
                                                   : SourceValue(src, raw, dst, pxlo);
                            value = iMode == BLACKONWHITE ? (value & v) : iMode == WHITEONBLACK ? (value | v) : v;
                            any = true;
                        }
                    if (any) WritePixel(dst, x, y, value & formatMask);
                }
            }
        }
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    return TRUE;
}
