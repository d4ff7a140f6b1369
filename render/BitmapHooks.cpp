// The bitmap hooks: bit-block transfers, stretches, copies, brush realization and dithering.
// In graphics-only mode the engine draws every call into the banding surface; outside it these
// hooks refuse with ERROR_NOT_SUPPORTED for now.
#include "render/BitmapHooks.h"

#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/HookLog.h"
#include "render/JobFlow.h"
#include "render/OutputStream.h"
#include "render/draw/DrawingHooks.h"
#include "render/draw/HookFrame.h"

namespace {

constexpr ROP4 kRopDestination = 0xAAAA;  // leaves the target as it is
constexpr ROP4 kRopSourceCopyMasked = 0xCCAA;
constexpr ULONG kDitherHalftone = 2;       // DCR_HALFTONE: the engine halftones every colour

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

BOOL DrvRealizeBrush(BRUSHOBJ* /*pbo*/, SURFOBJ* psoTarget, SURFOBJ* /*psoPattern*/, SURFOBJ* /*psoMask*/,
                     XLATEOBJ* /*pxlo*/, ULONG /*iHatch*/) noexcept {
    if (!ValidatePDEV(PdevOf(psoTarget))) return Refuse(ERROR_INVALID_PARAMETER);
    // Realized brushes serve only the vector path; the engine realizes its own for the band.
    return Refuse(ERROR_NOT_SUPPORTED);
}

ULONG DrvDitherColor(DHPDEV /*dhpdev*/, ULONG /*iMode*/, ULONG /*rgb*/, ULONG* /*pul*/) noexcept {
    return kDitherHalftone;
}

