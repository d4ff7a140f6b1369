// The ASCII path language for curves the binary forms could not take: NP; MA; PR; BR; CP;
// EP; and the endings the hooks write (ST; FL; EF;).
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "render/OutputStream.h"
#include "render/draw/DrawingState.h"
#include "render/draw/PathInternal.h"

namespace {

void PutText(PDEV* pdev, const char* text) { (void)WriteOutput(pdev, text, static_cast<DWORD>(std::strlen(text))); }

LONG Clamp32(int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

/// The mapping of the ASCII emitters: scale, slot and page origin, no turn.
POINTL MapUnturned(PDEV* pdev, POINTL page) {
    int64_t x = page.x;
    int64_t y = page.y;
    const int64_t s = pdev->Geometry.ScalePercent;
    if (s != 100) {
        x = x * s / 100;
        y = y * s / 100;
        if (NupActive(pdev)) {
            const RECTL& slot = CurrentSlot(pdev);
            const int64_t unit = pdev->UnitFactor == 2 ? 2 : 1;
            x += (int64_t{slot.left} + pdev->Geometry.CentringOffset.x) * unit;
            y += (int64_t{slot.top} + pdev->Geometry.CentringOffset.y) * unit;
        }
    }
    const POINTL origin = PageOrigin(pdev);
    return POINTL{Clamp32(x + origin.x), Clamp32(y + origin.y)};
}

POINTL AsciiPoint(PDEV* pdev, const POINTFIX& p) { return MapUnturned(pdev, Doubled(pdev, FixToDots(p))); }

/// Relative numbers are differences of 32-bit points: kept in 32 bits by clamping.
LONG Difference(LONG a, LONG b) { return Clamp32(int64_t{a} - b); }

void WriteMoveAbsolute(PDEV* pdev, const POINTFIX& p) {
    const POINTL at = AsciiPoint(pdev, p);
    DrawingStateCache& c = pdev->Draw;
    if (c.PositionKnown && c.Position.x == at.x && c.Position.y == at.y) return;
    PutText(pdev, "MA");
    const LONG values[] = {at.x, at.y};
    (void)PutNumberList(pdev, 2, values);
    PutText(pdev, ";");
    c.PositionKnown = 1;
    c.Position = at;
}

void WritePointRelative(PDEV* pdev, const POINTFIX& p) {
    const POINTL at = AsciiPoint(pdev, p);
    const LONG values[] = {Difference(at.x, pdev->Draw.Position.x), Difference(at.y, pdev->Draw.Position.y)};
    (void)PutNumberList(pdev, 2, values);
    pdev->Draw.Position = at;
    pdev->SheetBlank = 0;
}

void WriteBezierRelative(PDEV* pdev, const POINTFIX* three) {
    const POINTL p1 = AsciiPoint(pdev, three[0]);
    const POINTL p2 = AsciiPoint(pdev, three[1]);
    const POINTL p3 = AsciiPoint(pdev, three[2]);
    const POINTL cur = pdev->Draw.Position;
    const LONG values[] = {Difference(p1.x, cur.x), Difference(p1.y, cur.y), Difference(p2.x, p1.x),
                           Difference(p2.y, p1.y), Difference(p3.x, p2.x), Difference(p3.y, p2.y)};
    (void)PutNumberList(pdev, 6, values);
    pdev->Draw.Position = p3;
    pdev->SheetBlank = 0;
}

}  // namespace

BOOL WriteAsciiPath(PDEV* pdev, PATHOBJ* path) {
    pdev->StateFlags |= kStateAsciiPath;
    PutText(pdev, "NP;");
    FigureTracker tracker;
    BOOL result = TRUE;
    FLONG lastFlags = 0;
    ForEachRecord(path, [&](const PATHDATA& data, bool last) {
        if (last && data.count == 0) {
            PutText(pdev, "EP;");
            result = FALSE;
            return false;
        }
        ULONG i = 0;
        if (tracker.Begins(data)) {
            WriteMoveAbsolute(pdev, data.pptfx[0]);
            i = 1;
        }
        const ULONG remaining = data.count - i;
        if (data.flags & PD_BEZIERS) {
            if (remaining % 3 != 0) {
                result = FALSE;
                return false;
            }
            PutText(pdev, "BR");
            pdev->SheetBlank = 0;
            for (ULONG k = i; k < data.count; k += 3) {
                if (k > i) PutText(pdev, ",");
                WriteBezierRelative(pdev, data.pptfx + k);
            }
        } else {
            PutText(pdev, "PR");
            for (ULONG k = i; k < data.count; ++k) {
                if (k > i) PutText(pdev, ",");
                WritePointRelative(pdev, data.pptfx[k]);
            }
        }
        if (remaining > 0) PutText(pdev, ";");
        if (data.flags & PD_CLOSEFIGURE) PutText(pdev, "CP;");
        lastFlags = data.flags;
        return true;
    });
    if (result && (lastFlags & PD_ENDSUBPATH)) PutText(pdev, "EP;");
    return result;
}

void WriteStroke(PDEV* pdev) {
    PutText(pdev, "ST;");
    pdev->SheetBlank = 0;
}

void WriteFill(PDEV* pdev, FLONG fillOptions) {
    PutText(pdev, (fillOptions & FP_WINDINGMODE) ? "FL;" : "EF;");
    pdev->SheetBlank = 0;
}
