// Glyphs sent as image blocks at their position: strip-coded and scaled by the printer,
// strip-coded after the reduction, or as raster rows (raw or row-compressed).
#include <algorithm>

#include "render/DriverEntry.h"
#include "render/Geometry.h"
#include "render/OutputStream.h"
#include "render/RasterCompression.h"
#include "render/draw/DrawingState.h"
#include "render/draw/GlyphDownload.h"
#include "render/draw/GlyphWork.h"

namespace glyphs {

namespace {

constexpr BYTE kImageRaw = 0x00;
constexpr BYTE kImageStrips = 0x10;
constexpr BYTE kImageCompressed = 0x20;
constexpr ULONGLONG kWordMax = 0xFFFF;

/// Nothing goes where the printer cannot put it: a position right of or below the output
/// paper's printable area, or an image that ends left of or above the page.
bool WithinFrame(const PDEV* pdev, ULONGLONG width, ULONGLONG height) {
    const RECTL printable = PrintableRectDots(pdev->Geometry.OutputPaper, pdev->Settings.Public.dmPrintQuality);
    const LONGLONG factor = (pdev->StateFlags & kStateDoubling) != 0 ? 2 : 1;
    const POINTL at = pdev->Draw.Position;
    return at.x <= factor * printable.right && at.y <= factor * printable.bottom &&
           at.x + static_cast<LONGLONG>(width) >= 0 && at.y + static_cast<LONGLONG>(height) >= 0;
}

/// The glyph at hand and where it goes, for the image writers; FALSE when there are no bits,
/// the glyph is empty or there is no position.
bool TakeGlyph(PDEV* pdev, GLYPHPOS* pos, POINTL* position, FONTOBJ* font, Bitmap* glyph, POINTL* at) {
    if (pos == nullptr || !FetchGlyphBits(pdev, font, pos->hg, pos)) return false;
    *glyph = CurrentGlyph(pdev);
    return glyph->Bits != nullptr && GlyphPosition(pdev, pos, position, at);
}

void WriteStripImage(PDEV* pdev, const StripImage& image) {
    const BYTE opcode[] = {0xF2, 0x00, 0x00, kImageStrips};
    (void)WriteOutput(pdev, opcode, sizeof opcode);
    PutWordBE(pdev, static_cast<WORD>(image.PaddedWidth));
    PutWordBE(pdev, static_cast<WORD>(image.Height));
    PutDwordBE(pdev, image.Length);
    (void)WriteOutput(pdev, image.Data.get(), image.Length);
}

/// The glyph unreduced, for the printer to scale to its target size: raw rows for small
/// glyphs or when the row compression does not pay, else compressed rows.
bool WriteRasterGlyph(PDEV* pdev, const Bitmap& glyph, DWORD scale) {
    const ULONGLONG unit = std::max<LONGLONG>(1, pdev->UnitFactor);
    const ULONGLONG targetWidth = std::max<ULONGLONG>(1, ScaledSize(scale, glyph.Width)) * unit;
    const ULONGLONG targetHeight = std::max<ULONGLONG>(1, ScaledSize(scale, glyph.Height)) * unit;
    const ULONGLONG rawLength = static_cast<ULONGLONG>(glyph.Stride) * glyph.Height;
    if (glyph.Width > kWordMax || glyph.Height > kWordMax || targetWidth > kWordMax || targetHeight > kWordMax ||
        rawLength > 0xFFFFFFFFull) {
        return false;
    }
    if (!WithinFrame(pdev, targetWidth, targetHeight)) return true;
    const auto send = [&](BYTE form, const BYTE* data, DWORD length) {
        WriteImageBlock(pdev, 0x00, form, static_cast<WORD>(glyph.Width), static_cast<WORD>(glyph.Height),
                        static_cast<WORD>(targetWidth), static_cast<WORD>(targetHeight), data, length);
        pdev->SheetBlank = 0;
    };
    if (glyph.Stride < 3 || glyph.Height < 4) {
        send(kImageRaw, glyph.Bits, static_cast<DWORD>(rawLength));
        return true;
    }
    // The coder may pass the raw size by one row before it gives up.
    ChainBlock seed(pdev, glyph.Stride);
    ChainBlock coded(pdev, rawLength + 2ull * glyph.Stride + 16);
    if (!seed || !coded) return false;
    const BYTE* end = CompressRasterRows(seed.get(), glyph.Bits, glyph.Height, glyph.Stride, coded.get(), glyph.Stride);
    if (end == nullptr) {
        send(kImageRaw, glyph.Bits, static_cast<DWORD>(rawLength));
    } else {
        send(kImageCompressed, coded.get(), static_cast<DWORD>(end - coded.get()));
    }
    return true;
}

}  // namespace

bool FetchGlyphBits(PDEV* pdev, FONTOBJ* font, HGLYPH glyph, const GLYPHPOS* pos) {
    GLYPHBITS* bits = nullptr;
    if (pos != nullptr && pos->pgdf != nullptr && pos->pgdf->pgb != nullptr) {
        bits = pos->pgdf->pgb;
    } else if (font != nullptr) {
        HGLYPH handle = glyph;
        GLYPHDATA* data = nullptr;
        if (FONTOBJ_cGetGlyphs(font, FO_GLYPHBITS, 1, &handle, reinterpret_cast<PVOID*>(&data)) != 0 &&
            data != nullptr) {
            bits = data->gdf.pgb;
        }
    }
    if (bits == nullptr) return false;
    GlyphCacheState& cache = pdev->GlyphCache;
    cache.Bits = bits->aj;
    cache.BitmapSize = bits->sizlBitmap;
    cache.BitmapOrigin = bits->ptlOrigin;
    return true;
}

void WriteImageBlock(PDEV* pdev, BYTE op2, BYTE op4, WORD sourceWidth, WORD sourceHeight, WORD targetWidth,
                     WORD targetHeight, const BYTE* data, DWORD length) {
    const BYTE opcode[] = {0xF4, op2, 0x00, op4};
    (void)WriteOutput(pdev, opcode, sizeof opcode);
    PutWordBE(pdev, sourceWidth);
    PutWordBE(pdev, sourceHeight);
    PutWordBE(pdev, targetWidth);
    PutWordBE(pdev, targetHeight);
    PutDwordBE(pdev, length);
    (void)WriteOutput(pdev, data, length);
}

}  // namespace glyphs

BOOL WriteGlyphBitmaps(PDEV* pdev, GLYPHPOS* pos, POINTL* position, FONTOBJ* font) {
    using namespace glyphs;
    Bitmap glyph{};
    POINTL at{};
    if (pdev == nullptr || !TakeGlyph(pdev, pos, position, font, &glyph, &at)) return FALSE;
    if (glyph.Width > kWordMax || glyph.Height > kWordMax) return FALSE;
    ChainBlock turned;
    if (PageTurned(pdev)) {
        // A turned page takes the glyph turned with it, its corner a glyph width further.
        at.x = static_cast<LONG>(std::min<LONGLONG>(static_cast<LONGLONG>(at.x) + glyph.Width, INT32_MAX));
        turned = ChainBlock(pdev, static_cast<ULONGLONG>(RowBytes(glyph.Height)) * glyph.Width);
        if (!turned) return FALSE;
        TurnBitmap(glyph, turned.get());
        glyph = Bitmap{turned.get(), RowBytes(glyph.Height), glyph.Height, glyph.Width};
    }
    WritePosition(pdev, at);

    StripImage image;
    if (!MakeStripImage(pdev, glyph, &image)) return FALSE;
    const DWORD scale = pdev->Geometry.ScalePercent;
    const ULONGLONG factor = (pdev->StateFlags & kStateDoubling) != 0 ? 2 : 1;
    const ULONGLONG targetWidth = std::max<ULONGLONG>(1, ScaledSize(scale, image.PaddedWidth) * factor);
    const ULONGLONG targetHeight = std::max<ULONGLONG>(1, ScaledSize(scale, image.Height) * factor);
    // Sizes the command cannot carry are refused, never wrapped.
    if (targetWidth > kWordMax || targetHeight > kWordMax) return FALSE;
    if (WithinFrame(pdev, targetWidth, targetHeight)) {
        WriteImageBlock(pdev, 0x00, kImageStrips, static_cast<WORD>(image.PaddedWidth), static_cast<WORD>(image.Height),
                        static_cast<WORD>(targetWidth), static_cast<WORD>(targetHeight), image.Data.get(),
                        image.Length);
        pdev->SheetBlank = 0;
    }
    return TRUE;
}

BOOL WriteScaledGlyphBitmaps(PDEV* pdev, GLYPHPOS* pos, POINTL* position, FONTOBJ* font) {
    using namespace glyphs;
    Bitmap glyph{};
    POINTL at{};
    if (pdev == nullptr || !TakeGlyph(pdev, pos, position, font, &glyph, &at)) return FALSE;
    WritePosition(pdev, at);

    const DWORD scale = pdev->Geometry.ScalePercent;
    const bool reduces = scale >= 1 && scale <= 100 && ScaledSize(scale, glyph.Width) >= 1 &&
                         ScaledSize(scale, glyph.Height) >= 1;
    if (!reduces) return WriteRasterGlyph(pdev, glyph, scale) ? TRUE : FALSE;

    PreparedGlyph prepared;
    StripImage image;
    if (!PrepareGlyph(pdev, glyph, scale, (pdev->StateFlags & kStateDoubling) != 0, &prepared) ||
        !MakeStripImage(pdev, prepared.Pixels, &image)) {
        return FALSE;
    }
    if (WithinFrame(pdev, image.PaddedWidth, image.Height)) {
        WriteStripImage(pdev, image);
        pdev->SheetBlank = 0;
    }
    return TRUE;
}
