// A stroke that leaves the 16-bit device range: one-segment strokes cut to the clip piece;
// the line clipper; and whether a complex clip's path fits the device.
#include <cstdint>

#include "render/OutputStream.h"
#include "render/draw/DrawingState.h"
#include "render/draw/PathInternal.h"

namespace {

unsigned OutCode(const POINTL& p, const RECTL& r) {
    unsigned code = 0;
    if (p.x < r.left) code |= 1;
    if (p.x > r.right) code |= 2;
    if (p.y < r.top) code |= 4;
    if (p.y > r.bottom) code |= 8;
    return code;
}

/// Moves p onto the first edge of its code, in the order left, right, top, bottom, whose
/// crossing of the line a-b lies on the rectangle. The products are 64-bit: the points come
/// from coordinates far beyond 16 bits.
bool MoveToEdge(POINTL* p, unsigned code, const POINTL& a, const POINTL& b, const RECTL& r) {
    const int64_t dx = int64_t{b.x} - a.x;
    const int64_t dy = int64_t{b.y} - a.y;
    auto acrossX = [&](LONG edge, POINTL* out) {
        if (dx == 0) return false;
        const int64_t y = a.y + dy * (int64_t{edge} - a.x) / dx;
        if (y < r.top || y > r.bottom) return false;
        *out = POINTL{edge, static_cast<LONG>(y)};
        return true;
    };
    auto acrossY = [&](LONG edge, POINTL* out) {
        if (dy == 0) return false;
        const int64_t x = a.x + dx * (int64_t{edge} - a.y) / dy;
        if (x < r.left || x > r.right) return false;
        *out = POINTL{static_cast<LONG>(x), edge};
        return true;
    };
    if ((code & 1) && acrossX(r.left, p)) return true;
    if ((code & 2) && acrossX(r.right, p)) return true;
    if ((code & 4) && acrossY(r.top, p)) return true;
    if ((code & 8) && acrossY(r.bottom, p)) return true;
    return false;
}

/// One segment of doubled page points: position, E0 00 00 01 and the end point.
void WriteSegment(PDEV* pdev, POINTL from, POINTL to) {
    POINTL mappedFrom;
    POINTL mappedTo;
    if (!MapInRange(pdev, from, &mappedFrom) || !MapInRange(pdev, to, &mappedTo)) return;
    const bool doubling = (pdev->StateFlags & kStateDoubling) != 0;
    // The position command doubles again.
    WritePosition(pdev, doubling ? POINTL{from.x / 2, from.y / 2} : from);
    PutBytes(pdev, {0xE0, 0x00, 0x00, 0x01});
    PutPrinterPoint(pdev, mappedTo);
    SetKnownPosition(pdev, mappedTo);
    pdev->SheetBlank = 0;
}

void StrokeSegment(PDEV* pdev, POINTL from, POINTL to, const RECTL& rect) {
    POINTL mapped;
    if (MapInRange(pdev, from, &mapped) && MapInRange(pdev, to, &mapped)) {
        WriteSegment(pdev, from, to);
        return;
    }
    if (ClipLine(&from, &to, rect)) WriteSegment(pdev, from, to);
}

}  // namespace

BOOL ClipLine(POINTL* start, POINTL* end, const RECTL& rect) {
    const POINTL a = *start;
    const POINTL b = *end;
    const unsigned codeA = OutCode(a, rect);
    const unsigned codeB = OutCode(b, rect);
    if ((codeA | codeB) == 0) return TRUE;
    if (codeA & codeB) return FALSE;
    POINTL newStart = a;
    POINTL newEnd = b;
    if (codeA != 0 && !MoveToEdge(&newStart, codeA, a, b, rect)) return FALSE;
    if (codeB != 0 && !MoveToEdge(&newEnd, codeB, a, b, rect)) return FALSE;
    *start = newStart;
    *end = newEnd;
    return TRUE;
}

void SplitStrokePath(PDEV* pdev, PATHOBJ* path) {
    RECTL rect = pdev->Vector.ClipPiece;
    if (pdev->StateFlags & kStateDoubling) {
        rect = RECTL{rect.left * 2, rect.top * 2, rect.right * 2, rect.bottom * 2};
    }
    FigureTracker tracker;
    bool open = false;
    POINTL figureStart{0, 0};
    POINTL start{0, 0};
    ForEachRecord(path, [&](const PATHDATA& data, bool) {
        ULONG i = 0;
        if (tracker.Begins(data)) {
            figureStart = start = Doubled(pdev, FixToDots(data.pptfx[0]));
            open = true;
            i = 1;
        }
        if (!open) return true;
        for (; i < data.count; ++i) {
            const POINTL next = Doubled(pdev, FixToDots(data.pptfx[i]));
            StrokeSegment(pdev, start, next, rect);
            // The next segment runs from the path's own point, not from a clipped end, so
            // that every segment keeps its direction.
            start = next;
        }
        if (data.flags & PD_CLOSEFIGURE) StrokeSegment(pdev, start, figureStart, rect);
        if (data.flags & PD_ENDSUBPATH) open = false;
        return true;
    });
}

BOOL ClipPathFits(PDEV* pdev, CLIPOBJ* clip) {
    if (clip == nullptr || clip->iDComplexity != DC_COMPLEX) return TRUE;
    ClipRegionPath region(clip);
    if (region.get() == nullptr) return FALSE;
    const uint64_t limit = pdev->Limits.ClipPathLimit;
    uint64_t sum = 0;
    FigureTracker tracker;
    ForEachRecord(region.get(), [&](const PATHDATA& data, bool) {
        if (tracker.Begins(data)) ++sum;
        sum += data.count;
        return sum <= limit;
    });
    return sum <= limit;
}
