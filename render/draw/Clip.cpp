// The clip rectangle command (B1 short form, B2 long form) and its cache.
#include "render/draw/Clip.h"

#include <algorithm>

#include "render/DriverEntry.h"
#include "render/Geometry.h"
#include "render/OutputStream.h"
#include "render/draw/ClipInternal.h"
#include "render/draw/DrawingState.h"

namespace {

LONG ScaleBy(LONG v, LONG percent) { return static_cast<LONG>(static_cast<long long>(v) * percent / 100); }

/// The page extent a clip rectangle is held to. A graphics-only page of one page per sheet
/// arrives already scaled, so its extent is the scaled page and no further scale applies.
SIZEL PageExtent(PDEV* pdev, bool* prescaled) {
    const PaperRecord& paper = pdev->Geometry.InputPaper;
    const SHORT dpi = pdev->Settings.Public.dmPrintQuality;
    const LONG width = paper.Printable.right - paper.Printable.left;
    const LONG height = paper.Printable.bottom - paper.Printable.top;
    *prescaled = !NupActive(pdev) && GraphicsOnly(pdev);
    if (*prescaled) {
        const LONG s = pdev->Geometry.ScalePercent;
        return SIZEL{MicronsToDots(ScaleBy(width, s), dpi), MicronsToDots(ScaleBy(height, s), dpi)};
    }
    return SIZEL{MicronsToDots(width, dpi) + 1, MicronsToDots(height, dpi) + 1};
}

void SendClip(PDEV* pdev, RECTL rect) {
    const bool wholeSheet = (pdev->MappingMode & kMappingWholeSheet) != 0;
    RECTL r = rect;
    if (pdev->FrameBeingDrawn == 0) {
        DropStoredClipPath(pdev);
        bool prescaled = false;
        const SIZEL extent = PageExtent(pdev, &prescaled);
        // Held for this rectangle only: the caller's scale stays the device's.
        if (prescaled) pdev->Geometry.ScalePercent = 100;
        if (rect.left > extent.cx || rect.top > extent.cy || rect.right < 0 || rect.bottom < 0) {
            r = RECTL{0, 0, extent.cx, extent.cy};  // wholly off the page: the whole page
        } else {
            r = RECTL{std::max(rect.left, LONG{0}), std::max(rect.top, LONG{0}), std::min(rect.right, extent.cx),
                      std::min(rect.bottom, extent.cy)};
        }
        if (PageTurned(pdev)) r = RECTL{r.top, r.left, r.bottom, r.right};
    }
    if (wholeSheet) r = rect;

    LONG dy = r.bottom - r.top;
    LONG dx = r.right - r.left;
    // A turned page's clip starts at its right-top corner, which the turn takes to the
    // sheet's left-top.
    POINTL corner = PageTurned(pdev) ? POINTL{r.top + dy, r.left} : POINTL{r.left, r.top};
    const LONG s = pdev->Geometry.ScalePercent;
    const bool doubling = (pdev->StateFlags & kStateDoubling) != 0;
    if (s != 100) {
        dy = ScaleBy(dy, s);
        dx = ScaleBy(dx, s);
    }
    if (doubling) {
        dy *= 2;
        if (!wholeSheet) dx *= 2;
        // Positions are not doubled in graphics-only mode, so the corner is doubled here.
        if (GraphicsOnly(pdev)) {
            if (!wholeSheet) corner.x *= 2;
            corner.y *= 2;
        }
    }

    const POINTL mapped = MapPagePoint(pdev, corner, false);
    const RECTL wanted{mapped.x, mapped.y, mapped.x + dx, mapped.y + dy};
    const RECTL& held = pdev->Draw.ClipRect;
    if (held.left == wanted.left && held.top == wanted.top && held.right == wanted.right &&
        held.bottom == wanted.bottom) {
        return;
    }

    WritePosition(pdev, corner);
    // A scaled extent is rounded down; one more dot (two when doubled) keeps the edge.
    LONG sentDy = dy;
    LONG sentDx = dx;
    if (s != 100) {
        sentDy += doubling ? 2 : 1;
        sentDx += doubling ? 2 : 1;
    }
    if (sentDy > 255) {
        const BYTE cmd[] = {0xB2,
                            0x00,
                            static_cast<BYTE>(sentDy >> 8),
                            static_cast<BYTE>(sentDy),
                            static_cast<BYTE>(sentDx >> 8),
                            static_cast<BYTE>(sentDx),
                            0x00,
                            0x00};
        (void)WriteOutput(pdev, cmd, sizeof cmd);
    } else {
        const BYTE cmd[] = {0xB1, static_cast<BYTE>(sentDy), static_cast<BYTE>(sentDx >> 8),
                            static_cast<BYTE>(sentDx)};
        (void)WriteOutput(pdev, cmd, sizeof cmd);
    }
    const POINTL at = pdev->Draw.Position;
    pdev->Draw.ClipRect = RECTL{at.x, at.y, at.x + dx, at.y + dy};
}

}  // namespace

void DropStoredClipPath(PDEV* pdev) {
    pdev->Draw.ClipPathStored = 0;
    pdev->Draw.ClipPathPoints = 0;
    if (pdev->Vector.ClipPathBlock != nullptr) {
        PoolFree(pdev->ChainHead, pdev->Vector.ClipPathBlock);
        pdev->Vector.ClipPathBlock = nullptr;
    }
}

void SetClipRectangle(PDEV* pdev, RECTL rect) {
    pdev->SheetBlank = 0;
    const WORD scale = pdev->Geometry.ScalePercent;
    SendClip(pdev, rect);
    pdev->Geometry.ScalePercent = scale;
}
