// The drawing hooks' common frame. In graphics-only mode the engine draws every call into
// the banding surface and DrvNextBand sends the page as raster. Outside graphics-only mode
// these hooks refuse with ERROR_NOT_SUPPORTED (this library sends no printer commands for
// paths, text or bitmaps), so the engine reports the failure instead of a page silently
// losing its drawing.
#include "render/draw/DrawingHooks.h"

#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/HookLog.h"
#include "render/JobFlow.h"
#include "render/OutputStream.h"

namespace {

constexpr ROP4 kRopDestination = 0xAAAA;  // leaves the target as it is
constexpr ROP4 kRopSourceCopyMasked = 0xCCAA;
constexpr ULONG kDitherHalftone = 2;       // DCR_HALFTONE: the engine halftones every colour
constexpr ULONG kGlyphHandles = 1;         // FO_HGLYPHS
constexpr LONG kFontDataError = -1;        // FD_ERROR
constexpr ULONG kQueryWidths = 0;          // QAW_GETWIDTHS
constexpr ULONG kQueryEasyWidths = 1;      // QAW_GETEASYWIDTHS

// The surface the engine draws a graphics-only page into: the locked shadow bitmap when the
// band surface is device-managed, else the (bitmap) surface the call came with.
SURFOBJ* BandSurface(PDEV* pdev, SURFOBJ* given) {
    return pdev->ShadowSurface != nullptr ? pdev->ShadowSurface : given;
}

BOOL Refuse(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// Entry of a drawing hook: the device when it may draw, else NULL (last error 87 for a bad
// device; a device whose output failed draws nothing more, without an error).
PDEV* EnterDrawing(SURFOBJ* pso, const char16_t* validated) {
    PDEV* pdev = PdevOf(pso);
    if (!ValidatePDEV(pdev)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (OutputFailed(pdev)) return nullptr;
    if (validated != nullptr) HookLog(pdev, kLogDrawingHooks, validated);
    return pdev;
}

}  // namespace

BOOL DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclTrg,
               POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) noexcept {
    HookLog(PdevOf(psoTrg), kLogDrawingHooks, u"DDI:DrvBitBlt IN");
    HookLogValue(PdevOf(psoTrg), kLogDrawingHooks, u"rop4 = ", "%d", static_cast<int>(rop4));
    PDEV* pdev = EnterDrawing(psoTrg, nullptr);
    if (pdev == nullptr) return FALSE;
    FlushPendingSetup(pdev);
    if (rop4 == kRopDestination) return TRUE;
    if (!GraphicsOnly(pdev)) return Refuse(ERROR_NOT_SUPPORTED);

    SURFOBJ* band = BandSurface(pdev, psoTrg);
    // A source copy is halftoned into the 1-bit band rather than cut at a threshold.
    if ((rop4 == SRCCOPY_ROP4 || rop4 == kRopSourceCopyMasked) && psoSrc != nullptr && pptlSrc != nullptr &&
        prclTrg != nullptr) {
        RECTL source{pptlSrc->x, pptlSrc->y, pptlSrc->x + (prclTrg->right - prclTrg->left),
                     pptlSrc->y + (prclTrg->bottom - prclTrg->top)};
        POINTL origin{0, 0};
        return EngStretchBlt(band, psoSrc, psoMask, pco, pxlo, &pdev->Settings.ColorAdjustment, &origin, prclTrg,
                             &source, pptlMask, HALFTONE);
    }
    return EngBitBlt(band, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo, pptlBrush, rop4);
}

BOOL DrvStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                   COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask,
                   ULONG iMode) noexcept {
    HookLog(PdevOf(psoDest), kLogDrawingHooks, u"DDI:DrvStretchBlt IN");
    HookLogValue(PdevOf(psoDest), kLogDrawingHooks, u"iMode = ", "%d", static_cast<int>(iMode));
    PDEV* pdev = EnterDrawing(psoDest, nullptr);
    if (pdev == nullptr) return FALSE;
    FlushPendingSetup(pdev);
    if (!GraphicsOnly(pdev)) return Refuse(ERROR_NOT_SUPPORTED);
    // The caller's mode is only logged: the printer takes 1-bit images, so every stretch
    // is halftoned.
    if (pca == nullptr) pca = &pdev->Settings.ColorAdjustment;
    return EngStretchBlt(BandSurface(pdev, psoDest), psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc,
                         pptlMask, HALFTONE);
}

BOOL DrvCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                 POINTL* pptlSrc) noexcept {
    // A copy from a device surface has nothing the driver can read: the target turns white.
    if (psoSrc != nullptr && psoSrc->iType != STYPE_BITMAP) return EngEraseSurface(psoDest, prclDest, 0xFFFFFFFF);
    PDEV* pdev = PdevOf(psoDest);
    if (!ValidatePDEV(pdev)) return Refuse(ERROR_INVALID_PARAMETER);
    FlushPendingSetup(pdev);
    if (!GraphicsOnly(pdev)) return Refuse(ERROR_NOT_SUPPORTED);

    SURFOBJ* band = BandSurface(pdev, psoDest);
    if (psoSrc == nullptr || prclDest == nullptr || pptlSrc == nullptr || psoSrc->iBitmapFormat == BMF_1BPP) {
        return EngCopyBits(band, psoSrc, pco, pxlo, prclDest, pptlSrc);
    }
    // Colour and gray sources are halftoned; the source rectangle is cut to the source
    // bitmap and the destination kept the same size.
    RECTL dest = *prclDest;
    RECTL source{pptlSrc->x, pptlSrc->y, pptlSrc->x + (dest.right - dest.left), pptlSrc->y + (dest.bottom - dest.top)};
    if (source.right > psoSrc->sizlBitmap.cx || source.bottom > psoSrc->sizlBitmap.cy) {
        source.right = psoSrc->sizlBitmap.cx;
        source.bottom = psoSrc->sizlBitmap.cy;
        dest.right = dest.left + (source.right - source.left);
        dest.bottom = dest.top + (source.bottom - source.top);
    }
    POINTL origin{0, 0};
    return EngStretchBlt(band, psoSrc, nullptr, pco, pxlo, &pdev->Settings.ColorAdjustment, &origin, &dest, &source,
                         nullptr, HALFTONE);
}

BOOL DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                   LINEATTRS* plineattrs, MIX mix) noexcept {
    HookLog(PdevOf(pso), kLogDrawingHooks, u"DDI:DrvStrokePath IN");
    PDEV* pdev = EnterDrawing(pso, u"DDI:DrvStrokePath IN 妥当性チェックclear!");
    if (pdev == nullptr) return FALSE;
    if (!GraphicsOnly(pdev)) return Refuse(ERROR_NOT_SUPPORTED);
    FlushPendingSetup(pdev);
    return EngStrokePath(BandSurface(pdev, pso), ppo, pco, pxo, pbo, pptlBrushOrg, plineattrs, mix);
}

BOOL DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix,
                 FLONG flOptions) noexcept {
    HookLog(PdevOf(pso), kLogDrawingHooks, u"DDI:DrvFillPath IN");
    PDEV* pdev = EnterDrawing(pso, u"DDI:DrvFillPath IN 妥当性チェックClear!");
    if (pdev == nullptr) return FALSE;
    if (!GraphicsOnly(pdev)) return Refuse(ERROR_NOT_SUPPORTED);
    FlushPendingSetup(pdev);
    return EngFillPath(BandSurface(pdev, pso), ppo, pco, pbo, pptlBrushOrg, mix, flOptions);
}

BOOL DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                          LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mixFill,
                          FLONG flOptions) noexcept {
    HookLog(PdevOf(pso), kLogDrawingHooks, u"DDI:DrvStrokeAndFillPath IN");
    PDEV* pdev = EnterDrawing(pso, u"DDI:DrvStrokeAndFillPath IN 妥当性チェックClear!");
    if (pdev == nullptr) return FALSE;
    if (!GraphicsOnly(pdev)) return Refuse(ERROR_NOT_SUPPORTED);
    FlushPendingSetup(pdev);
    return EngStrokeAndFillPath(BandSurface(pdev, pso), ppo, pco, pxo, pboStroke, plineattrs, pboFill, pptlBrushOrg,
                                mixFill, flOptions);
}

BOOL DrvPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix) noexcept {
    HookLog(PdevOf(pso), kLogDrawingHooks, u"DDI:DrvPaint IN");
    PDEV* pdev = EnterDrawing(pso, u"DDI:DrvPaint IN 妥当性チェックClear!");
    if (pdev == nullptr) return FALSE;
    if (!GraphicsOnly(pdev)) return Refuse(ERROR_NOT_SUPPORTED);
    FlushPendingSetup(pdev);
    return EngPaint(BandSurface(pdev, pso), pco, pbo, pptlBrushOrg, mix);
}

BOOL DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) noexcept {
    if (pso == nullptr || pstro == nullptr || pfo == nullptr) return Refuse(ERROR_INVALID_PARAMETER);
    HookLog(PdevOf(pso), kLogDrawingHooks, u"DDI:DrvTextOut IN");
    PDEV* pdev = EnterDrawing(pso, nullptr);
    if (pdev == nullptr) return FALSE;
    if (!GraphicsOnly(pdev)) return Refuse(ERROR_NOT_SUPPORTED);
    FlushPendingSetup(pdev);
    return EngTextOut(BandSurface(pdev, pso), pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg,
                      mix);
}

BOOL DrvRealizeBrush(BRUSHOBJ* /*pbo*/, SURFOBJ* psoTarget, SURFOBJ* /*psoPattern*/, SURFOBJ* /*psoMask*/,
                     XLATEOBJ* /*pxlo*/, ULONG /*iHatch*/) noexcept {
    if (!ValidatePDEV(PdevOf(psoTarget))) return Refuse(ERROR_INVALID_PARAMETER);
    // Realized brushes serve only the vector path; the engine realizes its own for the band.
    return Refuse(ERROR_NOT_SUPPORTED);
}

ULONG DrvDitherColor(DHPDEV /*dhpdev*/, ULONG /*iMode*/, ULONG /*rgb*/, ULONG* /*pul*/) noexcept {
    return kDitherHalftone;
}

ULONG DrvGetGlyphMode(DHPDEV /*dhpdev*/, FONTOBJ* /*pfo*/) noexcept { return kGlyphHandles; }

// The device carries no fonts yet (its font count is 0), so no face number is in range:
// every query is refused as a bad face.
PVOID DrvQueryFont(DHPDEV /*dhpdev*/, ULONG_PTR /*iFile*/, ULONG /*iFace*/, ULONG_PTR* pid) noexcept {
    if (pid != nullptr) *pid = 0;
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

PVOID DrvQueryFontTree(DHPDEV /*dhpdev*/, ULONG_PTR /*iFile*/, ULONG /*iFace*/, ULONG /*iMode*/,
                       ULONG_PTR* pid) noexcept {
    if (pid != nullptr) *pid = 0;
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

LONG DrvQueryFontData(DHPDEV /*dhpdev*/, FONTOBJ* /*pfo*/, ULONG /*iMode*/, HGLYPH /*hg*/, PVOID /*pgd*/,
                      PVOID /*pv*/, ULONG /*cjSize*/) noexcept {
    SetLastError(ERROR_INVALID_PARAMETER);
    return kFontDataError;
}

BOOL DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* /*pfo*/, ULONG iMode, HGLYPH* /*phg*/, PVOID /*pvWidths*/,
                           ULONG cGlyphs) noexcept {
    if (!ValidatePDEV(PdevOf(dhpdev))) return Refuse(ERROR_INVALID_PARAMETER);
    if (iMode != kQueryWidths && iMode != kQueryEasyWidths) return Refuse(ERROR_INVALID_PARAMETER);
    if (cGlyphs == 0) return TRUE;
    return Refuse(ERROR_INVALID_PARAMETER);
}
