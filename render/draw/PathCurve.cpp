// Paths with Bezier curves as the mixed line-and-curve command EA: every line point goes out
// as a Bezier segment whose three points are its end point.
#include "render/OutputStream.h"
#include "render/draw/PathInternal.h"

namespace {

/// Per figure, its length as the printer counts it (start 1, line point 3, Bezier point 1);
/// table may be NULL. Returns the sum over the figures, and whether the path ends on an
/// empty record.
uint64_t ConvertedCounts(PATHOBJ* path, DWORD* table, DWORD figures, bool* endsEmpty) {
    FigureTracker tracker;
    uint64_t sum = 0;
    DWORD index = 0;
    bool any = false;
    *endsEmpty = false;
    ForEachRecord(path, [&](const PATHDATA& data, bool last) {
        if (last && data.count == 0) *endsEmpty = true;
        ULONG i = 0;
        uint64_t add = 0;
        if (tracker.Begins(data)) {
            if (any) ++index;
            any = true;
            add = 1;
            i = 1;
        }
        if (!any) return true;
        const DWORD each = (data.flags & PD_BEZIERS) ? 1 : 3;
        add += uint64_t{data.count - i} * each;
        sum += add;
        // Filled only once the caller has found the sum within the 16-bit count.
        if (table != nullptr && index < figures) table[index] += static_cast<DWORD>(add);
        return true;
    });
    return sum;
}

BYTE PlainMode(DWORD operation, bool wind) {
    switch (operation) {
    case 1:
        return 0x00;
    case 4:
        return 0x10;
    case 2:
        return wind ? 0x12 : 0x02;
    default:
        return wind ? 0x11 : 0x01;
    }
}

/// Calls start(index, mapped) at each figure's first point and point(mapped) for each
/// further one, a line point three times.
template <typename Start, typename Point>
void WalkCurvePoints(PDEV* pdev, PATHOBJ* path, Start&& start, Point&& point) {
    FigureTracker tracker;
    DWORD index = 0;
    bool any = false;
    ForEachRecord(path, [&](const PATHDATA& data, bool) {
        ULONG i = 0;
        if (tracker.Begins(data)) {
            POINTL mapped;
            (void)PrinterPoint(pdev, data.pptfx[0], &mapped);
            start(index++, mapped);
            any = true;
            i = 1;
        }
        if (!any) return true;
        const int times = (data.flags & PD_BEZIERS) ? 1 : 3;
        for (; i < data.count; ++i) {
            POINTL mapped;
            (void)PrinterPoint(pdev, data.pptfx[i], &mapped);
            for (int t = 0; t < times; ++t) point(mapped);
        }
        return true;
    });
}

}  // namespace

DWORD WriteCurvePath(PDEV* pdev, PATHOBJ* path, DWORD figures, DWORD /*points*/, FLONG fillOptions) {
    bool endsEmpty = false;
    const uint64_t r = 2 * uint64_t{figures} + ConvertedCounts(path, nullptr, 0, &endsEmpty);
    if (endsEmpty) return kCurveFailed;
    if (r > pdev->Limits.CurvePathLimit || r > kMaxWordCount) return kCurveFailed;
    WorkBlock table(pdev, uint64_t{figures} * sizeof(DWORD) + 8);
    if (!table) return kCurveGoOn;
    auto* counts = reinterpret_cast<DWORD*>(table.get());
    (void)ConvertedCounts(path, counts, figures, &endsEmpty);
    SendPieceClip(pdev);
    pdev->SheetBlank = 0;

    const BYTE mode = PlainMode(pdev->Vector.Operation, fillOptions == FP_WINDINGMODE);
    auto countOf = [&](DWORD index) { return index < figures ? counts[index] : 0; };
    WorkBlock packed(pdev, PackedBytesFor(r));
    WorkBlock records(pdev, RecordBytesFor(r));
    if (packed && records) {
        RecordList list(reinterpret_cast<PathPointRecord*>(records.get()), static_cast<DWORD>(r));
        WalkCurvePoints(
            pdev, path,
            [&](DWORD index, POINTL first) {
                list.Add(0, 1, kPointCountPair);
                list.Add(1, static_cast<LONG>(countOf(index)), kPointCountPair);
                list.Add(first, kPointFigureStart);
            },
            [&](POINTL p) { list.Add(p, kPointOrdinary); });
        PutBytes(pdev, {0xEA, static_cast<BYTE>(mode | 0x80)});
        PutWordBE(pdev, static_cast<WORD>(r));
        WritePackedBody(pdev, list, packed.get(), true);
        pdev->Draw.PositionKnown = 1;
        return kCurveWritten;
    }

    PutBytes(pdev, {0xEA, mode});
    PutWordBE(pdev, static_cast<WORD>(r));
    POINTL last{0, 0};
    WalkCurvePoints(
        pdev, path,
        [&](DWORD index, POINTL first) {
            const DWORD n = countOf(index);
            PutBytes(pdev, {0x00, 0x00, 0x00, 0x01, 0x00, 0x01, static_cast<BYTE>(n >> 8), static_cast<BYTE>(n)});
            PutPrinterPoint(pdev, first);
            last = first;
        },
        [&](POINTL p) {
            PutPrinterPoint(pdev, p);
            last = p;
        });
    SetKnownPosition(pdev, last);
    return kCurveWritten;
}
