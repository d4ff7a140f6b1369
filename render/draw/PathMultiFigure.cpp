// Paths of several figures of lines: the multi-figure fill (E8/E9 8x, Ax) and the
// multi-figure stroke (EA 80 packed, E0 00 per figure plain).
#include "render/OutputStream.h"
#include "render/draw/DrawingState.h"
#include "render/draw/PathInternal.h"

namespace {

/// The point count of every figure, into a table of `figures` entries.
void GatherFigureCounts(PATHOBJ* path, DWORD* table, DWORD figures) {
    FigureTracker tracker;
    DWORD index = 0;
    bool any = false;
    ForEachRecord(path, [&](const PATHDATA& data, bool) {
        if (tracker.Begins(data)) {
            if (any) ++index;
            any = true;
        }
        if (any && index < figures) table[index] += data.count;
        return true;
    });
}

void ClearPendingFlags(PDEV* pdev) { pdev->StateFlags &= ~(kStateDeferredClip | kStateRectPending); }

BYTE FillCommand(DWORD operation) { return operation == 3 ? 0xE9 : 0xE8; }

void PutWord(PDEV* pdev, DWORD value) { PutWordBE(pdev, static_cast<WORD>(value)); }

/// The figures' points in order: begin(index, first mapped, first page dots) at each figure,
/// point(mapped) for each further point, end(closed) after each.
template <typename Begin, typename Point, typename End>
void WalkFigures(PDEV* pdev, PATHOBJ* path, Begin&& begin, Point&& point, End&& end) {
    FigureTracker tracker;
    DWORD index = 0;
    bool open = false;
    ForEachRecord(path, [&](const PATHDATA& data, bool) {
        ULONG i = 0;
        if (tracker.Begins(data)) {
            if (open) end(false);
            POINTL mapped;
            (void)PrinterPoint(pdev, data.pptfx[0], &mapped);
            begin(index++, mapped, FixToDots(data.pptfx[0]));
            open = true;
            i = 1;
        }
        if (!open) return true;
        for (; i < data.count; ++i) {
            POINTL mapped;
            (void)PrinterPoint(pdev, data.pptfx[i], &mapped);
            point(mapped);
        }
        if (data.flags & PD_ENDSUBPATH) {
            end((data.flags & PD_CLOSEFIGURE) != 0);
            open = false;
        }
        return true;
    });
    if (open) end(false);
}

}  // namespace

BOOL WriteMultiFigureFill(PDEV* pdev, PATHOBJ* path, DWORD figures, DWORD points, FLONG fillOptions) {
    const uint64_t r = uint64_t{points} + figures + 1;
    if (r > pdev->Limits.LinePathLimit || r > kMaxWordCount) return FALSE;
    WorkBlock table(pdev, uint64_t{figures} * sizeof(DWORD) + 8);
    if (!table) {
        ClearPendingFlags(pdev);
        return FALSE;
    }
    auto* counts = reinterpret_cast<DWORD*>(table.get());
    GatherFigureCounts(path, counts, figures);
    SendPieceClip(pdev);
    pdev->SheetBlank = 0;

    const DWORD operation = pdev->Vector.Operation;
    const bool wind = fillOptions == FP_WINDINGMODE;
    WorkBlock packed(pdev, PackedBytesFor(r));
    WorkBlock records(pdev, RecordBytesFor(r));
    if (packed && records) {
        RecordList list(reinterpret_cast<PathPointRecord*>(records.get()), static_cast<DWORD>(r));
        WalkFigures(
            pdev, path,
            [&](DWORD index, POINTL first, POINTL) {
                list.Add(0, static_cast<LONG>(index < figures ? counts[index] : 0), kPointCountPair);
                list.Add(first, kPointFigureStart);
            },
            [&](POINTL p) { list.Add(p, kPointOrdinary); }, [](bool) {});
        list.Add(0, 0, kPointTerminator);
        PutBytes(pdev, {FillCommand(operation), static_cast<BYTE>(wind ? 0xA1 : 0xA0)});
        PutWord(pdev, static_cast<DWORD>(r));
        WritePackedBody(pdev, list, packed.get(), true);
        pdev->Draw.PositionKnown = 1;
        return TRUE;
    }

    PutBytes(pdev, {FillCommand(operation), static_cast<BYTE>(wind ? 0x81 : 0x80)});
    PutWord(pdev, static_cast<DWORD>(r));
    POINTL last{0, 0};
    WalkFigures(
        pdev, path,
        [&](DWORD index, POINTL first, POINTL) {
            PutWord(pdev, 0);
            PutWord(pdev, index < figures ? counts[index] : 0);
            PutPrinterPoint(pdev, first);
            last = first;
        },
        [&](POINTL p) {
            PutPrinterPoint(pdev, p);
            last = p;
        },
        [](bool) {});
    PutBytes(pdev, {0x00, 0x00, 0x00, 0x00});
    SetKnownPosition(pdev, last);
    return TRUE;
}

BOOL WriteMultiFigureStroke(PDEV* pdev, PATHOBJ* path, DWORD figures, DWORD points) {
    // The largest form carries P + 3F records in a 16-bit count.
    const uint64_t largest = uint64_t{points} + 3 * uint64_t{figures};
    if (largest > kMaxWordCount) return FALSE;
    const DWORD operation = pdev->Vector.Operation;
    const bool closing = operation == 4;
    const DWORD r = static_cast<DWORD>(closing ? largest : uint64_t{points} + 2 * uint64_t{figures});
    const bool packedWanted = r <= pdev->Limits.CurvePathLimit;
    WorkBlock table(pdev, uint64_t{figures} * sizeof(DWORD) + 8);
    if (!table) {
        ClearPendingFlags(pdev);
        return FALSE;
    }
    auto* counts = reinterpret_cast<DWORD*>(table.get());
    GatherFigureCounts(path, counts, figures);
    SendPieceClip(pdev);
    pdev->SheetBlank = 0;

    WorkBlock packed(pdev, packedWanted ? PackedBytesFor(r) : 0);
    WorkBlock records(pdev, packedWanted ? RecordBytesFor(r) : 0);
    if (packed && records) {
        RecordList list(reinterpret_cast<PathPointRecord*>(records.get()), r);
        POINTL first{0, 0};
        POINTL last{0, 0};
        WalkFigures(
            pdev, path,
            [&](DWORD index, POINTL start, POINTL) {
                const DWORD n = (index < figures ? counts[index] : 0) + (closing ? 1 : 0);
                list.Add(0, 1, kPointCountPair);
                list.Add(0, static_cast<LONG>(n), kPointCountPair);
                list.Add(start, kPointFigureStart);
                first = last = start;
            },
            [&](POINTL p) {
                list.Add(p, kPointOrdinary);
                last = p;
            },
            [&](bool closed) {
                if (closing) list.Add(closed ? first : last, kPointOrdinary);
            });
        PutBytes(pdev, {0xEA, 0x80});
        PutWord(pdev, r);
        WritePackedBody(pdev, list, packed.get(), true);
        pdev->Draw.PositionKnown = 1;
        return TRUE;
    }

    POINTL first{0, 0};
    POINTL last{0, 0};
    WalkFigures(
        pdev, path,
        [&](DWORD index, POINTL start, POINTL page) {
            const DWORD n = index < figures ? counts[index] : 1;
            WritePosition(pdev, page);
            PutBytes(pdev, {0xE0, 0x00});
            PutWord(pdev, closing ? n : n - 1);
            first = last = start;
        },
        [&](POINTL p) {
            PutPrinterPoint(pdev, p);
            last = p;
        },
        [&](bool closed) {
            if (closing) {
                last = closed ? first : last;
                PutPrinterPoint(pdev, last);
            }
            // The next figure's position command compares with where this one ends.
            SetKnownPosition(pdev, last);
        });
    SetKnownPosition(pdev, last);
    return TRUE;
}
