// WritePath: the range pre-check, the counting against the device limits and the choice of
// the command form; the point mapping every path form shares.
#include "render/draw/PathOutput.h"

#include <algorithm>
#include <cstdint>

#include "render/OutputStream.h"
#include "render/draw/Clip.h"
#include "render/draw/DrawingState.h"
#include "render/draw/PathInternal.h"

namespace {

/// Far beyond the device range, yet small enough that the turn and the origin cannot
/// overflow: the range test then refuses the point.
LONG Saturate(int64_t v) {
    constexpr int64_t kLimit = int64_t{1} << 30;
    return static_cast<LONG>(std::clamp(v, -kLimit, kLimit));
}

struct Precheck {
    bool outOfRange = false;
    bool curves = false;
    bool collapsed = false;  // a figure whose points all map to one point
};

/// Every point, Bezier points included, against the 16-bit device range; and whether a
/// figure collapses to a single point.
Precheck CheckRange(PDEV* pdev, PATHOBJ* path) {
    Precheck result;
    FigureTracker figures;
    bool single = true;
    bool started = false;
    POINTL first{0, 0};
    ForEachRecord(path, [&](const PATHDATA& data, bool) {
        if (data.flags & PD_BEZIERS) result.curves = true;
        if (figures.Begins(data)) {
            single = true;
            started = true;
            (void)PrinterPoint(pdev, data.pptfx[0], &first);
        }
        for (ULONG i = 0; i < data.count; ++i) {
            POINTL p;
            if (!PrinterPoint(pdev, data.pptfx[i], &p)) result.outOfRange = true;
            if (p.x != first.x || p.y != first.y) single = false;
        }
        if ((data.flags & PD_ENDSUBPATH) && started) {
            if (single) result.collapsed = true;
            started = false;
        }
        return true;
    });
    return result;
}

struct PathCount {
    DWORD points = 0;
    DWORD figures = 0;
    bool curves = false;
    bool closedSeen = false;
    bool openSeen = false;
    bool closeFigure = false;
};

PathCount CountPath(PATHOBJ* path) {
    PathCount c;
    FigureTracker figures;
    ForEachRecord(path, [&](const PATHDATA& data, bool) {
        // Saturating: a count past the 16-bit fields is refused or split, never wrapped.
        c.points = static_cast<DWORD>(std::min<uint64_t>(uint64_t{c.points} + data.count, 0xFFFFFFFFu));
        if (figures.Begins(data)) ++c.figures;
        if (data.flags & PD_BEZIERS) c.curves = true;
        if (data.flags & PD_CLOSEFIGURE) c.closeFigure = true;
        if (data.flags & PD_ENDSUBPATH) {
            if (data.flags & PD_CLOSEFIGURE) {
                c.closedSeen = true;
            } else {
                c.openSeen = true;
            }
        }
        return true;
    });
    return c;
}

void ClearPending(PDEV* pdev) { pdev->StateFlags &= ~(kStateDeferredClip | kStateRectPending); }

bool IsStroke(DWORD operation) { return operation == 1 || operation == 4; }

}  // namespace

void MapPoint(PDEV* pdev, LONG* x, LONG* y) {
    int64_t px = *x;
    int64_t py = *y;
    const int64_t s = pdev->Geometry.ScalePercent;
    if (s != 100) {
        px = px * s / 100;
        py = py * s / 100;
        if (NupActive(pdev)) {
            const RECTL& slot = CurrentSlot(pdev);
            const int64_t unit = pdev->UnitFactor == 2 ? 2 : 1;
            px += (int64_t{slot.left} + pdev->Geometry.CentringOffset.x) * unit;
            py += (int64_t{slot.top} + pdev->Geometry.CentringOffset.y) * unit;
        }
    }
    POINTL p{Saturate(px), Saturate(py)};
    if (PageTurned(pdev)) RotatePoint(pdev, 0, &p);
    const POINTL origin = PageOrigin(pdev);
    *x = Saturate(int64_t{p.x} + origin.x);
    *y = Saturate(int64_t{p.y} + origin.y);
}

bool MapInRange(PDEV* pdev, POINTL page, POINTL* out) {
    MapPoint(pdev, &page.x, &page.y);
    *out = page;
    return InDeviceRange(page);
}

bool PrinterPoint(PDEV* pdev, const POINTFIX& p, POINTL* out) {
    return MapInRange(pdev, Doubled(pdev, FixToDots(p)), out);
}

void PutPrinterPoint(PDEV* pdev, POINTL mapped) {
    PutWordBE(pdev, static_cast<WORD>(mapped.x));
    PutWordBE(pdev, static_cast<WORD>(mapped.y));
}

void SetKnownPosition(PDEV* pdev, POINTL mapped) {
    pdev->Draw.Position = mapped;
    pdev->Draw.PositionKnown = 1;
}

void SendPieceClip(PDEV* pdev) {
    ClearPending(pdev);
    if ((pdev->StateFlags & kStateClipPath) == 0) SetClipRectangle(pdev, pdev->Vector.ClipPiece);
}

BOOL WritePath(PDEV* pdev, PATHOBJ* path, SURFOBJ* /*surface*/, CLIPOBJ* /*clip*/, FLONG fillOptions) {
    if (pdev == nullptr || path == nullptr) return FALSE;
    VectorState& v = pdev->Vector;
    const DWORD entryOperation = v.Operation;

    const Precheck range = CheckRange(pdev, path);
    if (entryOperation == 1) {
        if (range.outOfRange) {
            // Clipped segments carry lines only; a curve cannot be cut that way.
            if (range.curves) return FALSE;
            SplitStrokePath(pdev, path);
            return TRUE;
        }
    } else if (range.outOfRange || range.collapsed) {
        return FALSE;
    }

    const PathCount count = CountPath(path);
    if (entryOperation == 1 && count.curves && count.closedSeen && count.openSeen) return FALSE;
    if (count.closeFigure && v.Operation == 1) v.Operation = 4;
    const DWORD operation = v.Operation;
    if (count.points == 0) return TRUE;

    const uint64_t size = uint64_t{count.figures} + count.points;
    const DWORD limit = count.curves ? pdev->Limits.CurvePathLimit : pdev->Limits.LinePathLimit;
    if (size > limit) {
        ClearPending(pdev);
        if (count.curves || !IsStroke(operation)) return FALSE;
    }

    if (count.figures >= 2 && !count.curves) {
        if (IsStroke(operation)) return WriteMultiFigureStroke(pdev, path, count.figures, count.points);
        return WriteMultiFigureFill(pdev, path, count.figures, count.points, fillOptions);
    }
    if (count.curves) {
        const DWORD curve = WriteCurvePath(pdev, path, count.figures, count.points, fillOptions);
        if (curve == kCurveWritten) return TRUE;
        if (curve == kCurveFailed) return FALSE;
    }

    // One figure of lines, or a curve path the binary form could not take.
    if (operation == 1) v.OutlineFlag = 0;
    if (operation == 4) {
        v.OutlineFlag = 1;
        DrawingStateCache& c = pdev->Draw;
        if (c.FillGray1 != 0 || c.FillGray2 != 0 || c.SelectedFill != 1) {
            PutBytes(pdev, {0xA5, 0x01, 0x00, 0x00});  // solid fill, gray code 0
            c.FillGray1 = 0;
            c.FillGray2 = 0;
            c.SelectedFill = 1;
        }
    }
    v.ClipSent = 0;
    if ((count.points == 4 || count.points == 5) && operation != 1 && !count.curves && DetectRectangle(pdev, path)) {
        pdev->StateFlags &= ~kStateDeferredClip;
        if ((pdev->StateFlags & kStateRectPending) == 0) return TRUE;
        if ((pdev->StateFlags & kStateClipPath) == 0 && v.ClipSent == 0) SetClipRectangle(pdev, pdev->ClipLimitRect);
        WriteFilledRect(pdev, v.RectangleResult, v.OutlineFlag);
        pdev->StateFlags &= ~kStateRectPending;
        return TRUE;
    }
    v.ClipSent = 0;
    SendPieceClip(pdev);
    if (count.curves) return WriteAsciiPath(pdev, path);
    return WriteSingleFigure(pdev, path, count.points, fillOptions);
}

DWORD GetResolutionValue(const PDEV* pdev) {
    const ModelDescription* model = pdev->Model;
    if (model == nullptr) return 0;
    switch (pdev->Settings.Public.dmPrintQuality) {
    case 200:
    case 400:
        return model->LinePatternScale400;
    case 240:
        return model->LinePatternScale240;
    case 300:
    case 600:
        return model->LinePatternScale600;
    case 1200:
        return model->LinePatternScale1200;
    default:
        return model->DefaultPatternScale;
    }
}
