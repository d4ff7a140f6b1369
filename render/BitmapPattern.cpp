// Pattern mode of the image writers: while a brush is sent through the bitmap hooks, its 1-bit
// picture becomes the printer's fill pattern (24 x 24, or 8 x 8 in the small form) and the
// fill's two colours are set; nothing is drawn.
#include <cstring>

#include "render/BitmapSource.h"
#include "render/DriverEntry.h"
#include "render/OutputStream.h"
#include "render/draw/DrawingState.h"

namespace {

constexpr DWORD kPatternSide = 24;
constexpr DWORD kPatternRowBytes = 3;
constexpr DWORD kPatternBytes = kPatternSide * kPatternRowBytes;
constexpr DWORD kSmallPatternRows = 8;
constexpr WORD kLargePatternNumber = 0x0101;
constexpr WORD kSmallPatternNumber = 0x0100;
constexpr WORD kFillUnknown = 0xFFFF;
constexpr BYTE kFillRop = 0xF0;
constexpr WORD kForegroundGray = 16;  // black
constexpr WORD kBackgroundGray = 79;  // white
/// OptionFlags bit: brushes go out in the printer's 8 x 8 pattern form.
constexpr DWORD kOptionSmallPattern = 0x40000;
/// FeatureFlags bit 10: the 8 x 8 definition carries the resolution's code.
constexpr DWORD kFeatureResolutionCode = 0x400;

using Pattern = BYTE[kPatternBytes];

bool PixelSet(const Pattern& p, DWORD row, DWORD column) {
    return (p[row * kPatternRowBytes + column / 8] & (0x80u >> (column % 8))) != 0;
}

/// A quarter turn anticlockwise, for pages turned on the sheet.
void TurnPattern(const Pattern& from, Pattern& to) {
    std::memset(to, 0, kPatternBytes);
    for (DWORD r = 0; r < kPatternSide; ++r) {
        for (DWORD c = 0; c < kPatternSide; ++c) {
            if (PixelSet(from, r, c)) {
                const DWORD row = kPatternSide - 1 - c;
                to[row * kPatternRowBytes + r / 8] |= static_cast<BYTE>(0x80u >> (r % 8));
            }
        }
    }
}

/// The source's rows from the top of the source rectangle, repeated down the 24 rows; each
/// pattern row takes the row's first bytes, repeated across as the source's width allows.
/// Returns false when the bitmap has no rows to take.
bool BuildPattern(const BitmapRows& rows, LONG top, bool invert, Pattern& out) {
    if (rows.Height() <= 0) return false;
    if (top < 0 || top >= rows.Height()) top = 0;
    const LONG cycle = rows.Height() - top;
    const LONG width = rows.Width();
    for (DWORD i = 0; i < kPatternSide; ++i) {
        const BYTE* row = rows.Row(top + static_cast<LONG>(i) % cycle);
        // A row step shorter than the bytes wanted gives white rather than the next row.
        auto at = [&](DWORD k) -> BYTE { return k < rows.RowBytes() ? row[k] : 0; };
        BYTE bytes[kPatternRowBytes];
        bytes[0] = at(0);
        bytes[1] = width >= 9 ? at(1) : bytes[0];
        bytes[2] = width >= 17 ? at(2) : bytes[0];
        for (DWORD k = 0; k < kPatternRowBytes; ++k) {
            out[i * kPatternRowBytes + k] = invert ? static_cast<BYTE>(~bytes[k]) : bytes[k];
        }
    }
    return true;
}

BYTE ResolutionCode(const PDEV* pdev) {
    if ((pdev->Settings.FeatureFlags & kFeatureResolutionCode) == 0) return 0x00;
    switch (Resolution(pdev)) {
    case 1200: return 0x30;
    case 200:
    case 400: return 0x10;
    case 240: return 0x00;
    default: return 0x20;
    }
}

void Send(PDEV* pdev, const BYTE* bytes, DWORD count) { (void)WriteOutput(pdev, bytes, count); }

}  // namespace

BOOL WriteBitmapPattern(PDEV* pdev, SURFOBJ* source, RECTL* sourceRect) {
    if (source == nullptr || source->iBitmapFormat != BMF_1BPP) return TRUE;
    const BitmapRows rows(source);
    Pattern built;
    if (!rows.Valid() || !BuildPattern(rows, sourceRect != nullptr ? sourceRect->top : 0, InvertsSource(pdev), built)) {
        return FALSE;
    }
    Pattern pattern;
    if (PageTurned(pdev)) {
        TurnPattern(built, pattern);
    } else {
        std::memcpy(pattern, built, kPatternBytes);
    }

    DrawingStateCache& cache = pdev->Draw;
    if (cache.SelectedFill == kLargePatternNumber && std::memcmp(pattern, cache.Pattern24x24, kPatternBytes) != 0) {
        cache.SelectedFill = kFillUnknown;
    }
    if ((pdev->Settings.OptionFlags & kOptionSmallPattern) == 0) {
        if (cache.SelectedFill != kLargePatternNumber) {
            const BYTE define[] = {0xA0, 0x03, 0x01, 0x01};
            Send(pdev, define, sizeof define);
            Send(pdev, pattern, kPatternBytes);
            std::memcpy(cache.Pattern24x24, pattern, kPatternBytes);
        }
        const BYTE select[] = {0xA4, 0x00, 0x01, 0x01};
        Send(pdev, select, sizeof select);
        cache.SelectedFill = kLargePatternNumber;
    } else {
        BYTE define[4 + kSmallPatternRows] = {0xA0, ResolutionCode(pdev), 0x01, 0x00};
        for (DWORD r = 0; r < kSmallPatternRows; ++r) define[4 + r] = pattern[r * kPatternRowBytes];
        Send(pdev, define, sizeof define);
        std::memcpy(cache.Pattern8x8, define + 4, kSmallPatternRows);
        const BYTE select[] = {0xA4, 0x00, 0x01, 0x00};
        Send(pdev, select, sizeof select);
        cache.SelectedFill = kSmallPatternNumber;
    }

    // Set bits in the foreground's black, clear ones in the background's white.
    if (cache.RopForeground != kFillRop || cache.FillGray1 != kForegroundGray) {
        const BYTE foreground[] = {0xA2, kFillRop, 0x00, static_cast<BYTE>(kForegroundGray)};
        Send(pdev, foreground, sizeof foreground);
        cache.RopForeground = kFillRop;
        cache.FillGray1 = kForegroundGray;
    }
    if (cache.RopBackground != kFillRop || cache.FillGray2 != kBackgroundGray) {
        const BYTE background[] = {0xA3, kFillRop, 0x00, static_cast<BYTE>(kBackgroundGray)};
        Send(pdev, background, sizeof background);
        cache.RopBackground = kFillRop;
        cache.FillGray2 = kBackgroundGray;
    }
    return OutputFailed(pdev) ? FALSE : TRUE;
}
