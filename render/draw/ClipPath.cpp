// SetClipPath: a complex clip region as the printer's clip path (B5 04 packed, B5 02 plain),
// with the copy of the last one sent that keeps a repeated clip off the wire.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "render/HookLog.h"
#include "render/OutputStream.h"
#include "render/draw/Clip.h"
#include "render/draw/ClipInternal.h"
#include "render/draw/DrawingState.h"
#include "render/draw/PathInternal.h"

namespace {

/// Log word bit of the clip-path counts.
constexpr DWORD kLogClipPath = 0x10;

/// "SetClipPath : <n> <unit>" in the debug log.
void LogCount(const PDEV* pdev, DWORD value, char16_t unit) {
    char digits[16];
    const int n = std::snprintf(digits, sizeof digits, "%u", static_cast<unsigned>(value));
    char16_t line[48] = u"SetClipPath : ";
    size_t at = 14;
    for (int i = 0; i < n; ++i) line[at++] = static_cast<char16_t>(digits[i]);
    line[at++] = u' ';
    line[at++] = unit;
    HookLog(pdev, kLogClipPath, std::u16string_view(line, at));
}

LONG Scaled(LONG v, LONG percent) { return static_cast<LONG>(int64_t{v} * percent / 100); }

/// Whether every point maps to one page point (scaled); the first point's dots in *first.
bool AllOnePoint(PDEV* pdev, PATHOBJ* path, POINTL* first) {
    const LONG s = pdev->Geometry.ScalePercent;
    bool any = false;
    bool same = true;
    POINTL scaledFirst{0, 0};
    ForEachRecord(path, [&](const PATHDATA& data, bool) {
        for (ULONG i = 0; i < data.count; ++i) {
            const POINTL dots = FixToDots(data.pptfx[i]);
            const POINTL scaled{Scaled(dots.x, s), Scaled(dots.y, s)};
            if (!any) {
                any = true;
                *first = dots;
                scaledFirst = scaled;
            } else if (scaled.x != scaledFirst.x || scaled.y != scaledFirst.y) {
                same = false;
            }
        }
        return same;
    });
    return any && same;
}

/// Whether every point can be stored in 16 bits and sent within the device range.
bool PointsFit(PDEV* pdev, PATHOBJ* path) {
    bool fit = true;
    ForEachRecord(path, [&](const PATHDATA& data, bool) {
        for (ULONG i = 0; i < data.count && fit; ++i) {
            const POINTL dots = FixToDots(data.pptfx[i]);
            POINTL mapped;
            fit = InDeviceRange(dots) && MapInRange(pdev, Doubled(pdev, dots), &mapped);
        }
        return fit;
    });
    return fit;
}

bool SameAsStored(const PDEV* pdev, PATHOBJ* path, DWORD points) {
    const StoredClipPoint* stored = pdev->Vector.ClipPathBlock;
    if (pdev->Draw.ClipPathStored == 0 || stored == nullptr || pdev->Draw.ClipPathPoints != points) return false;
    DWORD at = 0;
    bool same = true;
    ForEachRecord(path, [&](const PATHDATA& data, bool) {
        for (ULONG i = 0; i < data.count && same; ++i, ++at) {
            const POINTL dots = FixToDots(data.pptfx[i]);
            same = at < points && stored[at].x == dots.x && stored[at].y == dots.y;
        }
        return same;
    });
    return same && at == points;
}

bool StorePath(PDEV* pdev, PATHOBJ* path, DWORD points) {
    DropStoredClipPath(pdev);
    auto* block = static_cast<StoredClipPoint*>(PoolAlloc(pdev->ChainHead, 4 * SIZE_T{points} + 8));
    if (block == nullptr) return false;
    DWORD at = 0;
    ForEachRecord(path, [&](const PATHDATA& data, bool) {
        for (ULONG i = 0; i < data.count && at < points; ++i, ++at) {
            const POINTL dots = FixToDots(data.pptfx[i]);
            block[at] = StoredClipPoint{static_cast<SHORT>(dots.x), static_cast<SHORT>(dots.y)};
        }
        return at < points;
    });
    pdev->Vector.ClipPathBlock = block;
    pdev->Draw.ClipPathPoints = static_cast<WORD>(points);
    pdev->Draw.ClipPathStored = 1;
    return true;
}

POINTL SentPoint(PDEV* pdev, const StoredClipPoint& p) {
    POINTL mapped;
    (void)MapInRange(pdev, Doubled(pdev, POINTL{p.x, p.y}), &mapped);  // checked by PointsFit
    return mapped;
}

void WritePacked(PDEV* pdev, const DWORD* counts, DWORD figures, DWORD r, BYTE* packed, PathPointRecord* records) {
    const StoredClipPoint* stored = pdev->Vector.ClipPathBlock;
    RecordList list(records, r);
    DWORD at = 0;
    for (DWORD f = 0; f < figures; ++f) {
        list.Add(0, static_cast<LONG>(counts[f]), kPointCountPair);
        for (DWORD i = 0; i < counts[f]; ++i, ++at) {
            list.Add(SentPoint(pdev, stored[at]), i == 0 ? kPointFigureStart : kPointOrdinary);
        }
    }
    list.Add(0, 0, kPointTerminator);
    PutBytes(pdev, {0xB5, 0x04});
    PutWordBE(pdev, static_cast<WORD>(r));
    WritePackedBody(pdev, list, packed, false);
}

void WritePlain(PDEV* pdev, const DWORD* counts, DWORD figures, DWORD r) {
    const StoredClipPoint* stored = pdev->Vector.ClipPathBlock;
    PutBytes(pdev, {0xB5, 0x02});
    PutWordBE(pdev, static_cast<WORD>(r));
    DWORD at = 0;
    for (DWORD f = 0; f < figures; ++f) {
        PutWordBE(pdev, 0);
        PutWordBE(pdev, static_cast<WORD>(counts[f]));
        for (DWORD i = 0; i < counts[f]; ++i, ++at) PutPrinterPoint(pdev, SentPoint(pdev, stored[at]));
    }
    PutBytes(pdev, {0x00, 0x00, 0x00, 0x00});
}

}  // namespace

BOOL SetClipPath(PDEV* pdev, PATHOBJ* path) {
    if (pdev == nullptr || path == nullptr) return FALSE;
    POINTL dot{0, 0};
    if (AllOnePoint(pdev, path, &dot)) {
        WritePosition(pdev, dot);
        SetClipRectangle(pdev, RECTL{dot.x, dot.y, dot.x + 1, dot.y + 1});
        return TRUE;
    }

    const uint64_t limit = pdev->Limits.ClipPathLimit;
    uint64_t points = 0;
    DWORD figures = 0;
    FigureTracker tracker;
    ForEachRecord(path, [&](const PATHDATA& data, bool) {
        if (tracker.Begins(data)) ++figures;
        points += data.count;
        return points <= limit;
    });
    LogCount(pdev, static_cast<DWORD>(std::min<uint64_t>(points, 0xFFFFFFFFu)), u'点');
    LogCount(pdev, figures, u'個');
    const uint64_t r = points + figures + 1;
    if (points == 0 || r > limit || r > kMaxWordCount) return FALSE;
    if (!PointsFit(pdev, path)) return FALSE;

    WorkBlock table(pdev, uint64_t{figures} * sizeof(DWORD) + 8);
    if (!table) return FALSE;
    auto* counts = reinterpret_cast<DWORD*>(table.get());
    {
        FigureTracker walk;
        DWORD index = 0;
        bool any = false;
        ForEachRecord(path, [&](const PATHDATA& data, bool) {
            if (walk.Begins(data)) {
                if (any) ++index;
                any = true;
            }
            if (any && index < figures) counts[index] += data.count;
            return true;
        });
    }

    const DWORD p = static_cast<DWORD>(points);
    if (SameAsStored(pdev, path, p)) return TRUE;
    if (!StorePath(pdev, path, p)) return FALSE;

    const DWORD records = static_cast<DWORD>(r);
    {
        WorkBlock packed(pdev, PackedBytesFor(records));
        WorkBlock list(pdev, RecordBytesFor(records));
        if (packed && list) {
            WritePacked(pdev, counts, figures, records, packed.get(), reinterpret_cast<PathPointRecord*>(list.get()));
        } else {
            WritePlain(pdev, counts, figures, records);
        }
    }
    pdev->Draw.ClipRect = RECTL{0, 0, 0, 0};
    return TRUE;
}
