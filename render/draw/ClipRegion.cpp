// SetClipRegion: the printer's clip for each piece of a drawing call, by a rectangle, by the
// clip path of a complex region, or by the region's rectangles one piece at a time.
#include "render/Geometry.h"
#include "render/draw/Clip.h"
#include "render/draw/ClipInternal.h"
#include "render/draw/DrawingState.h"
#include "render/draw/PathInternal.h"

namespace {

bool ComputeOnly(const PDEV* pdev) { return (pdev->StateFlags & kStateClipComputeOnly) != 0; }

void SetBounds(RECTL* bounds, const RECTL& r) {
    if (bounds != nullptr) *bounds = r;
}

/// A rectangle clip: the whole page (trivial) or the clip's bounds.
BOOL RectangleClip(PDEV* pdev, CLIPOBJ* clip, RECTL* bounds) {
    DropStoredClipPath(pdev);
    RECTL r;
    if (clip == nullptr || clip->iDComplexity == DC_TRIVIAL) {
        const PaperRecord& paper = pdev->Geometry.InputPaper;
        const SHORT dpi = pdev->Settings.Public.dmPrintQuality;
        r = RECTL{0, 0, MicronsToDots(paper.Printable.right - paper.Printable.left, dpi) + 1,
                  MicronsToDots(paper.Printable.bottom - paper.Printable.top, dpi) + 1};
    } else {
        r = clip->rclBounds;
        if (!ComputeOnly(pdev)) {
            r.right += 1;
            r.bottom += 1;
        }
    }
    if (!ComputeOnly(pdev)) {
        if (pdev->StateFlags & kStateDeferredClip) {
            // The path writer sends the piece itself when it needs it.
            pdev->Vector.ClipPiece = r;
            SetClipRectangle(pdev, (pdev->StateFlags & kStateRectPending) ? r : pdev->ClipLimitRect);
        } else {
            SetClipRectangle(pdev, r);
        }
    }
    SetBounds(bounds, r);
    pdev->StateFlags &= ~kStateClipPath;
    return FALSE;
}

/// The complex region as the printer's clip path; FALSE when it must go by rectangles.
bool ClipByPath(PDEV* pdev, CLIPOBJ* clip, RECTL* bounds, bool* noPath) {
    ClipRegionPath region(clip);
    if (region.get() == nullptr) {
        *noPath = true;
        return false;
    }
    if (SetClipPath(pdev, region.get())) {
        pdev->StateFlags &= ~kStateDeferredClip;
        RECTFX fx{};
        PATHOBJ_vGetBounds(region.get(), &fx);
        SetBounds(bounds, RECTL{fx.xLeft >> 4, fx.yTop >> 4, (fx.xRight >> 4) + 1, (fx.yBottom >> 4) + 1});
        return true;
    }
    pdev->StateFlags &= ~kStateClipPath;
    DropStoredClipPath(pdev);
    return false;
}

BOOL ComplexClip(PDEV* pdev, CLIPOBJ* clip, RECTL* bounds, DWORD* enumStart) {
    VectorState& v = pdev->Vector;
    if (NupActive(pdev) && static_cast<DWORD>(pdev->Settings.Public.dmOrientation) != pdev->SentOrientation &&
        ComputeOnly(pdev)) {
        pdev->StateFlags &= ~kStateClipPath;
        DropStoredClipPath(pdev);
    }
    if (pdev->StateFlags & kStateClipPath) {
        bool noPath = false;
        // Drawn once under the clip path: no further piece follows.
        if (ClipByPath(pdev, clip, bounds, &noPath) || noPath) return FALSE;
    }

    if (enumStart != nullptr && *enumStart == 1) {
        (void)CLIPOBJ_cEnumStart(clip, FALSE, CT_RECTANGLES, CD_ANY, 0);
        *enumStart = 0;
        v.ClipEnumEnded = 0;
    }
    // The engine hands its last rectangle together with FALSE: that piece is drawn too, and
    // the call after it ends the caller's loop.
    if (v.ClipEnumEnded) return FALSE;
    struct {
        ULONG c;
        RECTL arcl[1];
    } batch{};
    static_assert(sizeof batch == 20);
    const BOOL more = CLIPOBJ_bEnum(clip, sizeof batch, reinterpret_cast<ULONG*>(&batch));
    if (!more) {
        v.ClipEnumEnded = 1;
        if (batch.c == 0) return FALSE;
    }

    RECTL r = batch.arcl[0];
    if (!ComputeOnly(pdev)) {
        r.right += 1;
        r.bottom += 1;
        if (pdev->StateFlags & kStateDeferredClip) {
            v.ClipPiece = r;
            if ((pdev->StateFlags & kStateRectPending) == 0) SetClipRectangle(pdev, pdev->ClipLimitRect);
        } else {
            SetClipRectangle(pdev, r);
        }
    }
    if (r.right < 0) r.right = 0;
    if (r.bottom < 0) r.bottom = 0;
    SetBounds(bounds, r);
    return TRUE;
}

}  // namespace

BOOL SetClipRegion(PDEV* pdev, CLIPOBJ* clip, RECTL* bounds, DWORD* enumStart) {
    const BYTE complexity = clip == nullptr ? DC_TRIVIAL : clip->iDComplexity;
    switch (complexity) {
    case DC_TRIVIAL:
    case DC_RECT:
        return RectangleClip(pdev, clip, bounds);
    case DC_COMPLEX:
        return ComplexClip(pdev, clip, bounds, enumStart);
    default:
        return FALSE;
    }
}
