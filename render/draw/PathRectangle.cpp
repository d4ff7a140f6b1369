// DetectRectangle: a four- or five-point axis-aligned figure under a fill or closed stroke
// goes out as one rectangle command; four equal points as a dot.
#include <algorithm>

#include "render/OutputStream.h"
#include "render/draw/Clip.h"
#include "render/draw/DrawingState.h"
#include "render/draw/PathInternal.h"

namespace {

/// The dot: the clip piece, the position, and a one-point fill (or stroke) to the point
/// plus one dot.
void WriteDot(PDEV* pdev, POINTL point) {
    VectorState& v = pdev->Vector;
    v.ClipSent = 1;
    SetClipRectangle(pdev, v.ClipPiece);
    WritePosition(pdev, point);
    POINTL page = Doubled(pdev, point);
    page.x += 1;
    page.y += 1;
    POINTL mapped;
    if (MapInRange(pdev, page, &mapped)) {
        if (v.OutlineFlag == 0) {
            PutBytes(pdev, {0xE8, 0x01, 0x00, 0x01});
        } else {
            PutBytes(pdev, {0xE0, 0x00, 0x00, 0x01});
        }
        PutPrinterPoint(pdev, mapped);
        SetKnownPosition(pdev, mapped);
        pdev->SheetBlank = 0;
    }
    pdev->StateFlags &= ~kStateRectPending;
}

bool GoesRound(const POINTL* p) {
    return (p[0].x == p[1].x && p[1].y == p[2].y && p[2].x == p[3].x && p[3].y == p[0].y) ||
           (p[0].y == p[1].y && p[1].x == p[2].x && p[2].y == p[3].y && p[3].x == p[0].x);
}

}  // namespace

BOOL DetectRectangle(PDEV* pdev, PATHOBJ* path) {
    POINTL p[5]{};
    ULONG firstCount = 0;
    ULONG total = 0;
    ForEachRecord(path, [&](const PATHDATA& data, bool) {
        if (total == 0) {
            firstCount = data.count;
            for (ULONG i = 0; i < data.count && i < 5; ++i) p[i] = FixToDots(data.pptfx[i]);
        }
        total += data.count;
        return total <= 5;
    });
    if (firstCount != total || (total != 4 && total != 5)) return FALSE;
    if (total == 5 && (p[4].x != p[0].x || p[4].y != p[0].y)) return FALSE;
    if (!GoesRound(p)) return FALSE;

    LONG sums[4];
    for (int i = 0; i < 4; ++i) sums[i] = p[i].x + p[i].y;
    const LONG low = *std::min_element(sums, sums + 4);
    const LONG high = *std::max_element(sums, sums + 4);
    const auto lowCount = std::count(sums, sums + 4, low);
    const auto highCount = std::count(sums, sums + 4, high);
    if (low == high) {
        WriteDot(pdev, p[0]);
        return TRUE;
    }
    LONG extra;  // a zero-width or zero-height rectangle runs between its corners exactly
    if (lowCount == 1 && highCount == 1) {
        extra = 1;
    } else if (lowCount == 2 && highCount == 2) {
        extra = 0;
    } else {
        return FALSE;
    }
    const POINTL nearCorner = p[std::find(sums, sums + 4, low) - sums];
    const POINTL farCorner = p[std::find(sums, sums + 4, high) - sums];
    const RECTL whole{nearCorner.x, nearCorner.y, farCorner.x + extra, farCorner.y + extra};

    VectorState& v = pdev->Vector;
    if (pdev->StateFlags & kStateClipPath) {
        v.RectangleResult = whole;
        return TRUE;
    }
    const RECTL& clip = v.ClipPiece;
    const bool meets = clip.left <= farCorner.x && clip.top <= farCorner.y && nearCorner.x <= clip.right &&
                       nearCorner.y <= clip.bottom;
    if (!meets) {
        pdev->StateFlags &= ~kStateRectPending;
        return TRUE;
    }
    if (v.Operation == 2) {
        v.RectangleResult = RECTL{std::max(whole.left, clip.left), std::max(whole.top, clip.top),
                                  std::min(whole.right, clip.right), std::min(whole.bottom, clip.bottom)};
        return TRUE;
    }
    v.RectangleResult = whole;
    const bool inside = whole.left >= clip.left && whole.top >= clip.top && whole.right <= clip.right &&
                        whole.bottom <= clip.bottom;
    // An outline of more than one dot reaches past the rectangle: the printer must clip it.
    if (!inside || pdev->Draw.LineWidth != 1) {
        v.ClipSent = 1;
        SetClipRectangle(pdev, clip);
    }
    return TRUE;
}
