// One figure of lines as a packed or plain point list (E0 stroke, E8/E9 fill). A stroke
// longer than the 16-bit count goes out in consecutive pieces that share their end points.
#include <algorithm>

#include "render/OutputStream.h"
#include "render/draw/DrawingState.h"
#include "render/draw/PathInternal.h"

namespace {

/// Calls fn(const POINTFIX&) for every point of the path in order.
template <typename Fn>
void ForEachPoint(PATHOBJ* path, Fn&& fn) {
    ForEachRecord(path, [&](const PATHDATA& data, bool) {
        for (ULONG i = 0; i < data.count; ++i) fn(data.pptfx[i]);
        return true;
    });
}

BYTE FillCommand(DWORD operation) { return operation == 3 ? 0xE9 : 0xE8; }

/// Packed: the figure in pieces of at most 65,535 records, each starting at the end of the
/// one before.
void WritePacked(PDEV* pdev, PATHOBJ* path, DWORD total, DWORD pieceMax, BYTE* packed, PathPointRecord* records,
                 FLONG fillOptions) {
    const DWORD operation = pdev->Vector.Operation;
    const bool stroke = operation == 1 || operation == 4;
    const bool wind = fillOptions == FP_WINDINGMODE;
    RecordList list(records, pieceMax);
    DWORD written = 0;
    auto flush = [&] {
        const WORD n = static_cast<WORD>(list.Count());
        if (stroke) {
            PutBytes(pdev, {0xE0, 0x04, static_cast<BYTE>(n >> 8), static_cast<BYTE>(n)});
        } else {
            PutBytes(pdev, {FillCommand(operation), static_cast<BYTE>(wind ? 0x21 : 0x20), static_cast<BYTE>(n >> 8),
                            static_cast<BYTE>(n)});
        }
        WritePackedBody(pdev, list, packed, true);
    };
    auto add = [&](POINTL mapped) {
        list.Add(mapped, list.Count() == 0 ? kPointFigureStart : kPointOrdinary);
        ++written;
        if (list.Count() == pieceMax && written < total) {
            flush();
            list = RecordList(records, pieceMax);
            list.Add(mapped, kPointFigureStart);
        }
    };
    POINTL first{0, 0};
    bool haveFirst = false;
    ForEachPoint(path, [&](const POINTFIX& p) {
        POINTL mapped;
        (void)PrinterPoint(pdev, p, &mapped);  // in range: WritePath checked every point
        if (!haveFirst) {
            first = mapped;
            haveFirst = true;
        }
        add(mapped);
    });
    if (operation == 4) add(first);
    flush();
    // The printer stands at the last point; the encoder has put it in the cache.
}

/// Plain: the position command and E0 00 for a stroke (pieces as above), or E8/E9 with the
/// first point in the list for a fill.
void WritePlain(PDEV* pdev, PATHOBJ* path, DWORD total, DWORD pieceMax, FLONG fillOptions) {
    const DWORD operation = pdev->Vector.Operation;
    const bool stroke = operation == 1 || operation == 4;
    DWORD written = 0;   // points of the figure handled so far
    DWORD inPiece = 0;   // points of the current piece written (its first counts)
    POINTL first{0, 0};
    POINTL last{0, 0};
    auto startStrokePiece = [&](DWORD done) {
        const DWORD size = std::min(pieceMax, total - done);
        const WORD n = static_cast<WORD>(size - 1);
        PutBytes(pdev, {0xE0, 0x00, static_cast<BYTE>(n >> 8), static_cast<BYTE>(n)});
    };
    auto add = [&](POINTL mapped) {
        if (inPiece > 0 || !stroke) PutPrinterPoint(pdev, mapped);
        ++inPiece;
        ++written;
        last = mapped;
        if (stroke && inPiece == pieceMax && written < total) {
            // The next piece starts where this one ends: the printer stands there already.
            SetKnownPosition(pdev, mapped);
            startStrokePiece(written - 1);
            inPiece = 1;
        }
    };
    bool haveFirst = false;
    ForEachPoint(path, [&](const POINTFIX& p) {
        POINTL mapped;
        (void)PrinterPoint(pdev, p, &mapped);
        if (!haveFirst) {
            haveFirst = true;
            first = mapped;
            if (stroke) {
                WritePosition(pdev, FixToDots(p));
                startStrokePiece(0);
            } else {
                const WORD n = static_cast<WORD>(total);
                PutBytes(pdev, {FillCommand(operation), static_cast<BYTE>(fillOptions == FP_WINDINGMODE ? 0x01 : 0x00),
                                static_cast<BYTE>(n >> 8), static_cast<BYTE>(n)});
            }
        }
        add(mapped);
    });
    if (operation == 4) add(first);
    SetKnownPosition(pdev, last);
}

}  // namespace

BOOL WriteSingleFigure(PDEV* pdev, PATHOBJ* path, DWORD points, FLONG fillOptions) {
    pdev->StateFlags &= ~kStateAsciiPath;
    const DWORD operation = pdev->Vector.Operation;
    const uint64_t total = uint64_t{points} + (operation == 4 ? 1 : 0);
    const bool stroke = operation == 1 || operation == 4;
    // A fill's count is one field; a stroke can be cut into pieces.
    if (!stroke && total > kMaxWordCount) return FALSE;
    if (total > 0xFFFFFFFFu) return FALSE;
    const DWORD pieceMax = static_cast<DWORD>(std::min<uint64_t>(total, kMaxWordCount));
    pdev->SheetBlank = 0;
    WorkBlock packed(pdev, PackedBytesFor(pieceMax));
    WorkBlock records(pdev, RecordBytesFor(pieceMax));
    if (packed && records) {
        WritePacked(pdev, path, static_cast<DWORD>(total), pieceMax, packed.get(),
                    reinterpret_cast<PathPointRecord*>(records.get()), fillOptions);
    } else {
        WritePlain(pdev, path, static_cast<DWORD>(total), pieceMax, fillOptions);
    }
    return TRUE;
}
