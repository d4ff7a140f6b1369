// The bitmap hooks: bit-block transfers, stretches, copies, brush realization and dithering.
// In graphics-only mode the engine draws every call into the banding surface. In vector mode
// a 1-bit black-and-white source goes out as the driver's own raster image; any other source
// is halftoned (and, below 100 %, shrunk) by the engine, which calls DrvCopyBits back with
// the 1-bit result.
#include "render/BitmapHooks.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/Kernel.h"
#include "render/BitmapSource.h"
#include "render/BitmapWriters.h"
#include "render/DriverEntry.h"
#include "render/HookLog.h"
#include "render/DocumentHooks.h"
#include "render/OutputStream.h"
#include "render/PjlHeader.h"
#include "render/draw/DrawingHooks.h"
#include "render/draw/DrawingState.h"
#include "render/draw/HookFrame.h"

namespace {

constexpr ROP4 kRopDestination = 0xAAAA;  // leaves the target as it is
constexpr ROP4 kRopSourceCopy = 0xCCCC;
constexpr ROP4 kRopSourceCopyMasked = 0xCCAA;
constexpr ULONG kDitherHalftone = 2;      // DCR_HALFTONE: the engine halftones every colour
constexpr ULONG kWhite = 0xFFFFFFFF;
constexpr BYTE kWorkBusy = 0x1;
constexpr BYTE kWorkReentry = 0x2;
constexpr ULONG kFirstPatternHatch = 6;   // hatch indices 0-5 are the standard hatches
constexpr std::u16string_view kPostcardForm = u"\u306F\u304C\u304D";

enum class RopClass { PatternOnly, Source, PatternThenSource, Other };

// ROP4 values by what the printer can do with them; every value not listed is "other".
constexpr ROP4 kPatternOnlyRops[] = {0x0000, 0x00AA, 0x0505, 0x05AA, 0x0A0A, 0x0AAA, 0x0F0F, 0x0FAA,
                                     0x5050, 0x50AA, 0x5555, 0x55AA, 0x5A5A, 0x5AAA, 0x5F5F, 0x5FAA,
                                     0xA0A0, 0xA0AA, 0xA5A5, 0xA5AA, 0xAAF0, 0xAFAA, 0xAFAF, 0xF0AA,
                                     0xF0F0, 0xF5AA, 0xF5F5, 0xFAAA, 0xFAFA, 0xFFAA, 0xFFFF};
constexpr ROP4 kSourceRops[] = {0x1111, 0x11AA, 0x2222, 0x22AA, 0x3333, 0x33AA, 0x4444, 0x44AA, 0x6666,
                                0x66AA, 0x8888, 0x88AA, 0xBBAA, 0xBBBB, 0xCCAA, 0xCCCC, 0xEEAA, 0xEEEE};
constexpr ROP4 kPatternThenSourceRops[] = {0xB8AA, 0xB8B8, 0xC0AA, 0xC0C0, 0xE2AA,
                                           0xE2E2, 0xFBAA, 0xFBFB, 0xFCAA, 0xFCFC};

template <size_t N>
bool Listed(const ROP4 (&rops)[N], ROP4 rop4) {
    return std::find(std::begin(rops), std::end(rops), rop4) != std::end(rops);
}

RopClass ClassOf(ROP4 rop4) {
    if (Listed(kPatternOnlyRops, rop4)) return RopClass::PatternOnly;
    if (Listed(kSourceRops, rop4)) return RopClass::Source;
    if (Listed(kPatternThenSourceRops, rop4)) return RopClass::PatternThenSource;
    return RopClass::Other;
}

/// The two halves of the ROP4 differ: where the mask is 1 one applies, where it is 0 the other.
bool NeedsMask(ROP4 rop4) { return (rop4 >> 8 & 0xFF) != (rop4 & 0xFF); }

LONG Width(const RECTL& r) { return r.right - r.left; }
LONG Height(const RECTL& r) { return r.bottom - r.top; }
bool Complex(const CLIPOBJ* clip) { return clip != nullptr && clip->iDComplexity == DC_COMPLEX; }

/// What a blit or stretch sends before anything else, in either mode, and a vector-mode copy
/// before its own commands: out of page-control mode, the vector scale of the current
/// resolution, and the job's download-table reset. A graphics-only page's images then go out
/// under the scale that its first drawing set.
void PrepareVectorCommands(PDEV* pdev) {
    LeavePageControlMode(pdev);
    if (pdev->VectorResolution != static_cast<WORD>(Resolution(pdev))) EnterVectorScale(pdev);
    if (pdev->DownloadResetDone == 0) {
        ResetDownloadTable(pdev);
        pdev->DownloadResetDone = 1;
    }
}

/// Holds the device's reduced-stretch mark and saved clip for one engine shrink; the values
/// before it come back afterwards.
class ReducedStretchScope {
public:
    ReducedStretchScope(PDEV* pdev, CLIPOBJ* clip)
        : pdev_(pdev), flag_(pdev->ReducedStretch), clip_(pdev->ReducedStretchClip) {
        pdev->ReducedStretch = 1;
        pdev->ReducedStretchClip = clip;
    }
    ~ReducedStretchScope() {
        pdev_->ReducedStretch = flag_;
        pdev_->ReducedStretchClip = clip_;
    }
    ReducedStretchScope(const ReducedStretchScope&) = delete;
    ReducedStretchScope& operator=(const ReducedStretchScope&) = delete;

private:
    PDEV* pdev_;
    DWORD flag_;
    CLIPOBJ* clip_;
};

/// Marks a nested halftoning stretch as allowed while one of ours is under way.
class ReentryScope {
public:
    explicit ReentryScope(PDEV* pdev) : work_(pdev->RasterWork) {
        if (work_ == nullptr) return;
        before_ = static_cast<BYTE>(work_->Flags & kWorkReentry);
        if (work_->Flags & kWorkBusy) work_->Flags |= kWorkReentry;
    }
    ~ReentryScope() {
        if (work_ != nullptr) work_->Flags = static_cast<BYTE>((work_->Flags & ~kWorkReentry) | before_);
    }
    ReentryScope(const ReentryScope&) = delete;
    ReentryScope& operator=(const ReentryScope&) = delete;

private:
    RasterWorkRecord* work_;
    BYTE before_ = 0;
};

/// The engine's shrink of a blit or copy below 100 %: the destination reduced by the scale
/// (with a complex clip only its size, so that the clip still meets it), halftoned by the
/// engine, which sends the result back through DrvCopyBits.
BOOL EngineShrink(PDEV* pdev, SURFOBJ* dest, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                  const RECTL& destRect, RECTL sourceRect, POINTL* maskPoint) {
    const LONG s = ScalePercentOf(pdev);
    RECTL reduced;
    CLIPOBJ* stretchClip = nullptr;
    if (Complex(clip)) {
        reduced = RECTL{destRect.left, destRect.top, destRect.left + ScaleValue(Width(destRect), s),
                        destRect.top + ScaleValue(Height(destRect), s)};
        stretchClip = clip;
    } else {
        reduced = RECTL{ScaleValue(destRect.left, s), ScaleValue(destRect.top, s), ScaleValue(destRect.right, s),
                        ScaleValue(destRect.bottom, s)};
    }
    ReducedStretchScope scope(pdev, clip);
    POINTL origin{0, 0};
    return EngStretchBlt(dest, source, mask, stretchClip, xlate, &pdev->Settings.ColorAdjustment, &origin, &reduced,
                         &sourceRect, maskPoint, HALFTONE);
}

/// The source rectangle of a copy: pptlSrc with the destination's size, cut to the source
/// bitmap's bottom-right corner when it passes it, the destination cut to match.
void CutToSource(const SURFOBJ* source, const POINTL& from, RECTL* dest, RECTL* sourceRect) {
    *sourceRect = RECTL{from.x, from.y, from.x + Width(*dest), from.y + Height(*dest)};
    if (sourceRect->right > source->sizlBitmap.cx || sourceRect->bottom > source->sizlBitmap.cy) {
        sourceRect->right = source->sizlBitmap.cx;
        sourceRect->bottom = source->sizlBitmap.cy;
        dest->right = dest->left + Width(*sourceRect);
        dest->bottom = dest->top + Height(*sourceRect);
    }
}

/// The source part of a blit: the printer's image when the source is direct, else the
/// engine's halftone (or shrink) of it. A masked blit never goes out as a plain image.
BOOL BlitSource(PDEV* pdev, SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                RECTL dest, RECTL sourceRect, POINTL* maskPoint) {
    if (source == nullptr) return FALSE;
    if (!SentAtItsSize(ScalePercentOf(pdev), source->sizlBitmap.cx, source->sizlBitmap.cy)) {
        return EngineShrink(pdev, target, source, mask, clip, xlate, dest, sourceRect, maskPoint);
    }
    if (mask == nullptr && IsDirectBitmap(pdev, source, xlate)) {
        return WriteBitmapRaster(pdev, source, clip, &dest, &sourceRect);
    }
    POINTL origin{0, 0};
    return EngineHalftoneStretch(pdev, target, source, mask, clip, xlate, &pdev->RasterWork->ColorAdjustment, &origin,
                                 &dest, &sourceRect, maskPoint);
}

BOOL VectorBitBlt(PDEV* pdev, SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                  RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) {
    if (pdev->RasterWork == nullptr || prclTrg == nullptr) return FALSE;
    // A mask means something only where the two halves differ; there it is kept, and the
    // blit goes where the mask is honoured (the engine), never as a plain fill or image.
    const bool masked = psoMask != nullptr && NeedsMask(rop4);
    if (!masked) {
        psoMask = nullptr;
        pptlMask = nullptr;
    }
    RopClass rops = ClassOf(rop4);
    if (masked && (rops == RopClass::PatternOnly || rops == RopClass::PatternThenSource)) rops = RopClass::Other;
    const RECTL dest = *prclTrg;
    RECTL sourceRect{};
    if (pptlSrc != nullptr) {
        sourceRect = RECTL{pptlSrc->x, pptlSrc->y, pptlSrc->x + Width(dest), pptlSrc->y + Height(dest)};
    } else if (rops == RopClass::Source || rops == RopClass::PatternThenSource) {
        return FALSE;
    }

    pdev->StateFlags |= kStateClipPath | kStateRopSet;
    BOOL result = FALSE;
    switch (rops) {
    case RopClass::PatternOnly:
        pdev->StateFlags = (pdev->StateFlags & ~kStateRopSet) | kStateDeferredClip;
        result = FillBlitWithBrush(pdev, psoTrg, prclTrg, pbo, pptlBrush, pco, rop4);
        pdev->StateFlags &= ~kStateDeferredClip;
        break;
    case RopClass::Source:
        SetRasterOp(pdev, rop4);
        result = BlitSource(pdev, psoTrg, psoSrc, psoMask, pco, pxlo, dest, sourceRect, pptlMask);
        break;
    case RopClass::PatternThenSource:
        pdev->StateFlags &= ~kStateRopSet;
        result = FillBlitWithBrush(pdev, psoTrg, prclTrg, pbo, pptlBrush, pco, rop4);
        if (result) {
            pdev->StateFlags |= kStateRopSet;
            result = BlitSource(pdev, psoTrg, psoSrc, psoMask, pco, pxlo, dest, sourceRect, pptlMask);
        }
        break;
    case RopClass::Other:
        SetRasterOp(pdev, kRopSourceCopy);
        result = EngBitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo, pptlBrush, rop4);
        break;
    }
    pdev->StateFlags &= ~(kStateClipPath | kStateRopSet);
    return result;
}

bool IsPostcardForm(const PDEV* pdev) {
    const WCHAR* name = pdev->Settings.Public.dmFormName;
    const size_t max = sizeof pdev->Settings.Public.dmFormName / sizeof name[0];
    size_t length = 0;
    while (length < max && name[length] != u'\0') ++length;
    return std::u16string_view(name, length) == kPostcardForm;
}

/// A copy onto the device surface in vector mode: a direct image when the whole 1-bit
/// source lands inside the surface at its size, else the engine's halftone or shrink.
BOOL VectorCopyBits(PDEV* pdev, SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                    const RECTL& prclDest, const POINTL& pptlSrc) {
    const LONG s = ScalePercentOf(pdev);
    const bool inShrink = pdev->ReducedStretch != 0;
    const LONG sourceWidth = psoSrc->sizlBitmap.cx;
    const LONG sourceHeight = psoSrc->sizlBitmap.cy;
    RECTL dest = prclDest;
    RECTL sourceRect{};
    if (!inShrink && !SentAtItsSize(s, sourceWidth, sourceHeight)) {
        CutToSource(psoSrc, pptlSrc, &dest, &sourceRect);
        (void)EngineShrink(pdev, psoDest, psoSrc, nullptr, pco, pxlo, dest, sourceRect, nullptr);
        return TRUE;
    }

    const bool fromOrigin = pptlSrc.x == 0 && pptlSrc.y == 0;
    const bool insideSurface = dest.left >= 0 && dest.top >= 0 && dest.right <= psoDest->sizlBitmap.cx &&
                               dest.bottom <= psoDest->sizlBitmap.cy;
    const bool sameSize = Width(dest) == sourceWidth && Height(dest) == sourceHeight;
    if (fromOrigin && insideSurface && sameSize && IsDirectBitmap(pdev, psoSrc, pxlo)) {
        dest = RECTL{dest.left, dest.top, dest.left + sourceWidth, dest.top + sourceHeight};
        sourceRect = RECTL{0, 0, sourceWidth, sourceHeight};
        if (inShrink && Complex(pco)) {
            const LONG w = ScaleValue(sourceWidth, s);
            const LONG h = ScaleValue(sourceHeight, s);
            const LONG left = ScaleValue(prclDest.left, s);
            const LONG top = ScaleValue(prclDest.top, s);
            dest = RECTL{left, top, left + w, top + h};
            sourceRect = RECTL{0, 0, w, h};
        }
        if ((pdev->StateFlags & kStateRopSet) == 0) SetRasterOp(pdev, kRopSourceCopy);
        // A page turned on the sheet is cut by its clip after turning, which the rotated
        // writer does; postcards are placed that way under a rectangular clip too.
        const bool turned = PageTurned(pdev);
        const bool rotated =
            turned && (Complex(pco) || (pco != nullptr && !Complex(pco) && IsPostcardForm(pdev)));
        const BOOL written = rotated ? WriteBitmapRasterRotated(pdev, psoSrc, pco, &dest, &sourceRect)
                                     : WriteBitmapRaster(pdev, psoSrc, pco, &dest, &sourceRect);
        return written ? TRUE : FALSE;
    }

    CutToSource(psoSrc, pptlSrc, &dest, &sourceRect);
    ReentryScope reentry(pdev);
    return EngineHalftoneStretch(pdev, psoDest, psoSrc, nullptr, inShrink ? nullptr : pco, pxlo, nullptr, nullptr,
                                 &dest, &sourceRect, nullptr);
}

/// Bits per pixel of a pattern format (1 for the formats without a size of their own).
ULONG PatternBitsPerPixel(ULONG format) {
    switch (format) {
    case BMF_4BPP: return 4;
    case BMF_8BPP: return 8;
    case BMF_16BPP: return 16;
    case BMF_24BPP: return 24;
    case BMF_32BPP: return 32;
    default: return 1;
    }
}

void PutDwordLE(BYTE* at, ULONG value) { std::memcpy(at, &value, sizeof value); }

/// The realized brush's layout.
constexpr size_t kBrushHeader = 28;          // width .. hatch index
constexpr size_t kBrushTableGap = 4;         // between the bits and the colour table
constexpr uint64_t kMaxRealizedBrush = 0x7FFFFFFFu;

}  // namespace

BOOL DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclTrg,
               POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) noexcept {
    HookLog(PdevOf(psoTrg), kLogDrawingHooks, u"DDI:DrvBitBlt IN");
    HookLogValue(PdevOf(psoTrg), kLogDrawingHooks, u"rop4 = ", "%d", static_cast<int>(rop4));
    PDEV* pdev = EnterDrawing(psoTrg, nullptr);
    if (pdev == nullptr) return FALSE;
    FlushPendingSetup(pdev);
    PrepareVectorCommands(pdev);
    if (rop4 == kRopDestination) return TRUE;
    if (!GraphicsOnly(pdev)) {
        return VectorBitBlt(pdev, psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo, pptlBrush,
                            rop4);
    }

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
    PrepareVectorCommands(pdev);
    // The caller's mode is only logged: the printer takes 1-bit images, so every stretch
    // is halftoned.
    if (GraphicsOnly(pdev)) {
        if (pca == nullptr) pca = &pdev->Settings.ColorAdjustment;
        return EngStretchBlt(BandSurface(pdev, psoDest), psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest,
                             prclSrc, pptlMask, HALFTONE);
    }

    RasterWorkRecord* work = pdev->RasterWork;
    if (work == nullptr || psoSrc == nullptr || prclDest == nullptr || prclSrc == nullptr) return FALSE;
    SetRasterOp(pdev, kRopSourceCopy);
    ReentryScope reentry(pdev);
    pdev->StateFlags |= kStateClipPath;
    BOOL result;
    const LONG s = ScalePercentOf(pdev);
    if (SentAtItsSize(s, psoSrc->sizlBitmap.cx, psoSrc->sizlBitmap.cy)) {
        result = EngineHalftoneStretch(pdev, psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc,
                                       pptlMask);
    } else {
        // Shrunk about the clip's left-top corner, so that a complex clip still meets it.
        const RECTL& d = *prclDest;
        RECTL reduced;
        CLIPOBJ* stretchClip = nullptr;
        if (Complex(pco)) {
            const POINTL b{pco->rclBounds.left, pco->rclBounds.top};
            reduced.left = b.x - ScaleValue(b.x - d.left, s);
            reduced.top = b.y - ScaleValue(b.y - d.top, s);
            reduced.right = reduced.left + ScaleValue(Width(d), s);
            reduced.bottom = reduced.top + ScaleValue(Height(d), s);
            stretchClip = pco;
        } else {
            reduced = RECTL{ScaleValue(d.left, s), ScaleValue(d.top, s), ScaleValue(d.right, s),
                            ScaleValue(d.bottom, s)};
        }
        POINTL origin{0, 0};
        ReducedStretchScope scope(pdev, pco);
        result = EngStretchBlt(psoDest, psoSrc, psoMask, stretchClip, pxlo,
                               pca != nullptr ? pca : &pdev->Settings.ColorAdjustment,
                               pptlHTOrg != nullptr ? pptlHTOrg : &origin, &reduced, prclSrc, pptlMask, HALFTONE);
    }
    pdev->StateFlags &= ~kStateClipPath;
    return result;
}

BOOL DrvCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                 POINTL* pptlSrc) noexcept {
    // A copy from a device surface has nothing the driver can read: the target turns white.
    if (psoSrc != nullptr && psoSrc->iType != STYPE_BITMAP) return EngEraseSurface(psoDest, prclDest, kWhite);
    PDEV* pdev = PdevOf(psoDest);
    if (!ValidatePDEV(pdev)) return Refuse(ERROR_INVALID_PARAMETER);
    FlushPendingSetup(pdev);
    if (!GraphicsOnly(pdev)) {
        if (pdev->RasterWork == nullptr || OutputFailed(pdev)) return FALSE;
        if (psoSrc == nullptr || prclDest == nullptr || pptlSrc == nullptr) return FALSE;
        if (pco == nullptr && pdev->ReducedStretch != 0) pco = pdev->ReducedStretchClip;
        PrepareVectorCommands(pdev);
        pdev->StateFlags |= kStateClipPath;
        const BOOL result = VectorCopyBits(pdev, psoDest, psoSrc, pco, pxlo, *prclDest, *pptlSrc);
        pdev->StateFlags &= ~kStateClipPath;
        return result;
    }

    SURFOBJ* band = BandSurface(pdev, psoDest);
    if (psoSrc == nullptr || prclDest == nullptr || pptlSrc == nullptr || psoSrc->iBitmapFormat == BMF_1BPP) {
        return EngCopyBits(band, psoSrc, pco, pxlo, prclDest, pptlSrc);
    }
    // Colour and gray sources are halftoned; the source rectangle is cut to the source
    // bitmap and the destination kept the same size.
    RECTL dest = *prclDest;
    RECTL source{};
    CutToSource(psoSrc, *pptlSrc, &dest, &source);
    POINTL origin{0, 0};
    return EngStretchBlt(band, psoSrc, nullptr, pco, pxlo, &pdev->Settings.ColorAdjustment, &origin, &dest, &source,
                         nullptr, HALFTONE);
}

BOOL DrvRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* /*psoMask*/, XLATEOBJ* pxlo,
                     ULONG iHatch) noexcept {
    if (!ValidatePDEV(PdevOf(psoTarget))) return Refuse(ERROR_INVALID_PARAMETER);
    if (pbo == nullptr) return FALSE;
    const bool pattern = iHatch >= kFirstPatternHatch;
    uint64_t stride = 0;
    uint64_t patternBytes = 0;
    BitmapRows rows(psoPattern);
    if (pattern) {
        if (psoPattern == nullptr || psoPattern->sizlBitmap.cx < 0 || psoPattern->sizlBitmap.cy < 0) return FALSE;
        const uint64_t bits = static_cast<uint64_t>(psoPattern->sizlBitmap.cx) *
                              PatternBitsPerPixel(psoPattern->iBitmapFormat);
        stride = (bits + 31) / 32 * 4;
        patternBytes = stride * static_cast<uint64_t>(psoPattern->sizlBitmap.cy);
        // Rows that the surface cannot vouch for are not copied.
        if (patternBytes != 0 && !rows.Valid()) return FALSE;
    }
    const bool table = pxlo != nullptr && (pxlo->flXlate & XO_TABLE) != 0 && pxlo->pulXlate != nullptr;
    const uint64_t entries = table ? pxlo->cEntries : 0;
    const uint64_t size = kBrushHeader + patternBytes + kBrushTableGap + 4 * entries;
    if (size > kMaxRealizedBrush) return FALSE;
    auto* block = static_cast<BYTE*>(BRUSHOBJ_pvAllocRbrush(pbo, static_cast<ULONG>(size)));
    if (block == nullptr) return FALSE;
    std::memset(block, 0, static_cast<size_t>(size));

    if (pattern) {
        PutDwordLE(block + 0, static_cast<ULONG>(psoPattern->sizlBitmap.cx));
        PutDwordLE(block + 4, static_cast<ULONG>(psoPattern->sizlBitmap.cy));
        PutDwordLE(block + 8, psoPattern->iBitmapFormat);
        PutDwordLE(block + 12, psoPattern->fjBitmap);
        // The bits in memory order (the bottom row first for a bottom-up bitmap), each row at
        // the minimal step: only the bytes each of the surface's rows holds are read.
        const bool bottomUp = psoPattern->lDelta < 0;
        const size_t copy = static_cast<size_t>(std::min<uint64_t>(stride, rows.RowBytes()));
        for (LONG k = 0; k < rows.Height(); ++k) {
            const BYTE* row = rows.Row(bottomUp ? rows.Height() - 1 - k : k);
            std::memcpy(block + kBrushHeader + static_cast<size_t>(k) * stride, row, copy);
        }
    }
    PutDwordLE(block + 16, static_cast<ULONG>(entries));
    PutDwordLE(block + 20, static_cast<ULONG>(patternBytes + kBrushHeader + kBrushTableGap));
    PutDwordLE(block + 24, iHatch);
    if (entries != 0) {
        std::memcpy(block + kBrushHeader + patternBytes + kBrushTableGap, pxlo->pulXlate,
                    static_cast<size_t>(entries) * 4);
    }
    pbo->pvRbrush = block;
    return TRUE;
}

ULONG DrvDitherColor(DHPDEV /*dhpdev*/, ULONG /*iMode*/, ULONG /*rgb*/, ULONG* /*pul*/) noexcept {
    return kDitherHalftone;
}
