// The routines the bitmap hooks share: brush fills of a blit, the direct-image test, the
// engine's halftoning stretch under the busy flag, the row shift, and bounded row access.
#include <cstring>

#include "render/BitmapHooks.h"
#include "render/BitmapSource.h"
#include "render/PjlHeader.h"
#include "render/draw/Brushes.h"
#include "render/draw/Clip.h"

namespace {

constexpr BYTE kWorkBusy = 0x1;        // a HALFTONE stretch of ours is under way in the engine
constexpr BYTE kWorkReentry = 0x2;     // a nested one may start all the same
constexpr FLONG kFillModeRaster = 2;   // SelectBrush's fill options for a blit's rectangle
constexpr BYTE kCodeBlack = 0;
constexpr BYTE kCodeWhite = 7;
constexpr BYTE kCodeUnknown = 0xFF;

/// The colour code of a table entry (0x00BBGGRR): 1 red + 2 green + 4 blue, each full or
/// off; false when a component is neither.
bool ColourCode(ULONG entry, BYTE* code) {
    BYTE result = 0;
    for (int i = 0; i < 3; ++i) {
        const BYTE component = static_cast<BYTE>(entry >> (8 * i));
        if (component == 255) {
            result = static_cast<BYTE>(result | (1u << i));
        } else if (component != 0) {
            return false;
        }
    }
    *code = result;
    return true;
}

/// Colour-table entries an indexed format needs; 0 for the direct formats.
ULONG EntriesNeeded(ULONG format) {
    switch (format) {
    case BMF_1BPP: return 2;
    case BMF_4BPP: return 16;
    case BMF_8BPP: return 256;
    default: return 0;
    }
}

}  // namespace

// --- Rows and scale ------------------------------------------------------------------------

BitmapRows::BitmapRows(const SURFOBJ* surface) {
    if (surface == nullptr || surface->pvScan0 == nullptr || surface->lDelta == 0) return;
    if (surface->sizlBitmap.cx < 0 || surface->sizlBitmap.cy < 0) return;
    const int64_t delta = surface->lDelta;
    const uint64_t rowBytes = static_cast<uint64_t>(delta < 0 ? -delta : delta);
    // Bits that the surface says are fewer than its rows need are not read at all.
    if (surface->cjBits != 0 && rowBytes * static_cast<uint64_t>(surface->sizlBitmap.cy) > surface->cjBits) return;
    scan0_ = static_cast<const BYTE*>(surface->pvScan0);
    delta_ = surface->lDelta;
    width_ = surface->sizlBitmap.cx;
    height_ = surface->sizlBitmap.cy;
    rowBytes_ = static_cast<DWORD>(rowBytes);
}

const BYTE* BitmapRows::Row(LONG r) const {
    if (scan0_ == nullptr || r < 0 || r >= height_) return nullptr;
    return scan0_ + static_cast<ptrdiff_t>(r) * delta_;
}

LONG ScaleValue(LONG v, LONG percent) {
    const int64_t scaled = static_cast<int64_t>(v) * percent / 100;
    if (scaled > kLongMax) return kLongMax;
    if (scaled < kLongMin) return kLongMin;
    return static_cast<LONG>(scaled);
}

bool SentAtItsSize(LONG scalePercent, LONG width, LONG height) {
    if (scalePercent >= 100) return true;
    // Small images survive a moderate shrink by the printer's own scaling.
    return scalePercent >= 50 && scalePercent <= 90 && width <= 64 && height <= 64;
}

// --- Shared routines of the hooks ----------------------------------------------------------

BOOL FillBlitWithBrush(PDEV* pdev, SURFOBJ* target, RECTL* rect, BRUSHOBJ* brush, POINTL* brushOrigin,
                       CLIPOBJ* clip, ROP4 rop4) {
    if (pdev->DownloadResetDone == 0) {
        ResetDownloadTable(pdev);
        pdev->DownloadResetDone = 1;
    }
    const bool complex = clip != nullptr && clip->iDComplexity == DC_COMPLEX;
    BOOL result = TRUE;
    DWORD enumStart = 1;
    for (;;) {
        // The piece's bounds tell whether the clip gave one: the last rectangle of a complex
        // clip comes with the answer that none follows.
        constexpr LONG kNone = kLongMin;
        RECTL piece{kNone, kNone, kNone, kNone};
        const BOOL more = SetClipRegion(pdev, clip, &piece, &enumStart);
        const bool gotPiece = piece.left != kNone || piece.top != kNone;
        if (!more && !gotPiece && complex && (pdev->StateFlags & kStateClipPath) == 0) break;
        pdev->StateFlags |= kStateClipComputeOnly;
        result = SelectBrush(pdev, target, kFillModeRaster, brush, brushOrigin, rop4, rect, FALSE);
        pdev->StateFlags &= ~kStateClipComputeOnly;
        if (!more) break;
    }
    pdev->StateFlags |= kStateClipPath;
    return result;
}

BOOL IsDirectBitmap(PDEV* pdev, SURFOBJ* source, XLATEOBJ* xlate) {
    RasterWorkRecord* work = pdev->RasterWork;
    if (work == nullptr || source == nullptr || source->iType != STYPE_BITMAP) return FALSE;
    const ULONG format = source->iBitmapFormat;
    if (format != work->Bytes1to3[1] && format != work->Bytes1to3[2]) return FALSE;
    if (xlate == nullptr || (xlate->flXlate & XO_TABLE) == 0 || xlate->pulXlate == nullptr) return FALSE;
    const ULONG count = xlate->cEntries;
    // A table shorter than the format's indices leaves some pixels without a colour.
    if (count > work->Bytes1to3[0] || count < EntriesNeeded(format)) return FALSE;

    BYTE codes[sizeof work->PaletteCodes];
    std::memset(codes, kCodeUnknown, sizeof codes);
    for (ULONG i = 0; i < count && i < sizeof codes; ++i) {
        if (!ColourCode(xlate->pulXlate[i], &codes[i])) return FALSE;
    }
    if (format == BMF_1BPP) {
        const bool blackOrWhite0 = codes[0] == kCodeBlack || codes[0] == kCodeWhite;
        const bool blackOrWhite1 = codes[1] == kCodeBlack || codes[1] == kCodeWhite;
        if (!blackOrWhite0 || !blackOrWhite1 || codes[0] == codes[1]) return FALSE;
    }
    if (std::memcmp(codes, work->PaletteCodes, sizeof codes) != 0) {
        std::memcpy(work->PaletteCodes, codes, sizeof codes);
    }
    return TRUE;
}

BOOL EngineHalftoneStretch(PDEV* pdev, SURFOBJ* dest, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip,
                           XLATEOBJ* xlate, COLORADJUSTMENT* adjustment, POINTL* origin, RECTL* destRect,
                           RECTL* sourceRect, POINTL* maskPoint) {
    RasterWorkRecord* work = pdev->RasterWork;
    if (work == nullptr) return FALSE;
    const BYTE busyBefore = static_cast<BYTE>(work->Flags & kWorkBusy);
    if (busyBefore != 0 && (work->Flags & kWorkReentry) == 0) return FALSE;
    POINTL zero{0, 0};
    work->Flags |= kWorkBusy;
    const BOOL result = EngStretchBlt(dest, source, mask, clip, xlate,
                                      adjustment != nullptr ? adjustment : &work->ColorAdjustment,
                                      origin != nullptr ? origin : &zero, destRect, sourceRect, maskPoint, HALFTONE);
    // A nested stretch leaves the outer one busy.
    work->Flags = static_cast<BYTE>((work->Flags & ~kWorkBusy) | busyBefore);
    return result;
}

void ShiftRowBits(BYTE* out, const BYTE* row, DWORD firstBit, DWORD outBytes, DWORD rowBytes) {
    const DWORD start = firstBit / 8;
    const unsigned shift = firstBit % 8;
    // Bytes past the row's end read as 0: nothing outside the row is touched.
    auto at = [&](uint64_t index) -> unsigned { return index < rowBytes ? row[index] : 0u; };
    for (DWORD i = 0; i < outBytes; ++i) {
        const uint64_t index = static_cast<uint64_t>(start) + i;
        unsigned value = at(index);
        if (shift != 0) value = (value << shift) | (at(index + 1) >> (8 - shift));
        out[i] = static_cast<BYTE>(value);
    }
}
