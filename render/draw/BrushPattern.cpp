// The downloaded 8 x 8 pattern of 1-bit brushes (A0 define, A4 select).
#include "render/draw/BrushPattern.h"

#include <algorithm>
#include <cstring>

#include "render/DriverEntry.h"
#include "render/OutputStream.h"
#include "render/draw/DrawingState.h"

namespace {

constexpr DWORD kPatternSide = 8;

/// Bits 0..7 of the pattern row from a brush row `width` pixels wide (bit 7 leftmost),
/// repeating a narrower row across the eight.
BYTE TiledRowByte(const BYTE* row, DWORD width) {
    if (width >= kPatternSide) return row[0];
    BYTE out = 0;
    for (DWORD x = 0; x < kPatternSide; ++x) {
        const DWORD from = x % width;
        if (row[from / 8] & (0x80u >> (from % 8))) out |= static_cast<BYTE>(0x80u >> x);
    }
    return out;
}

/// The printer's code for the pattern's resolution.
BYTE ResolutionCode(const PDEV* pdev) {
    if ((pdev->Settings.FeatureFlags & kFeatureDevicePatternSet) == 0) return 0x00;
    switch (Resolution(pdev)) {
    case 1200:
        return 0x30;
    case 200:
    case 400:
        return 0x10;
    case 240:
        return 0x00;
    default:
        return 0x20;
    }
}

}  // namespace

void RealizedBrushView::Colour(DWORD index, BYTE rgb[3]) const {
    if (ColourCount() < 2) {
        const BYTE v = index == 0 ? 0x00 : 0xFF;
        rgb[0] = rgb[1] = rgb[2] = v;
        return;
    }
    const BYTE* entry = block_ + Field(20) + 4 * static_cast<size_t>(index);
    rgb[0] = entry[0];
    rgb[1] = entry[1];
    rgb[2] = entry[2];
}

bool BrushPatternRows(const PDEV* pdev, const RealizedBrushView& brush, BYTE rows[8]) {
    const DWORD width = brush.Width();
    const DWORD height = brush.Height();
    if (brush.Format() != BMF_1BPP || width == 0 || height == 0) return false;
    const size_t stride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    // Rows are read only below the brush's height: a short brush repeats its rows.
    const DWORD used = std::min(height, kPatternSide);
    BYTE upright[kPatternSide];
    for (DWORD k = 0; k < kPatternSide; ++k) {
        const DWORD visible = k % used;
        const DWORD memoryRow = brush.TopDown() ? visible : used - 1 - visible;
        upright[k] = static_cast<BYTE>(~TiledRowByte(brush.Bits() + memoryRow * stride, width));
    }
    if (!PageTurned(pdev)) {
        std::memcpy(rows, upright, kPatternSide);
        return true;
    }
    std::memset(rows, 0, kPatternSide);
    for (DWORD r = 0; r < kPatternSide; ++r) {
        for (DWORD c = 0; c < kPatternSide; ++c) {
            if (upright[r] & (0x80u >> c)) rows[kPatternSide - 1 - c] |= static_cast<BYTE>(0x80u >> r);
        }
    }
    return true;
}

void DownloadBrushPattern(PDEV* pdev, const RealizedBrushView& brush) {
    BYTE rows[kPatternSide];
    if (!BrushPatternRows(pdev, brush, rows)) return;
    DrawingStateCache& c = pdev->Draw;
    // The printer may hold another pattern than the one selected: a new one must be defined
    // and then selected again.
    bool define = false;
    if ((pdev->MappingMode & kMappingPatternHeld) == 0) {
        c.SelectedFill = 0xFFFF;
        define = true;
    } else if (std::memcmp(rows, c.Pattern8x8, kPatternSide) != 0) {
        if (c.SelectedFill == kFillPattern8x8) c.SelectedFill = 0xFFFF;
        define = true;
    }
    if (c.SelectedFill == kFillPattern8x8) return;
    if (define) {
        BYTE cmd[4 + kPatternSide] = {0xA0, ResolutionCode(pdev), 0x01, 0x00};
        std::memcpy(cmd + 4, rows, kPatternSide);
        (void)WriteOutput(pdev, cmd, sizeof cmd);
        std::memcpy(c.Pattern8x8, rows, kPatternSide);
    }
    const BYTE select[] = {0xA4, 0x00, 0x01, 0x00};
    (void)WriteOutput(pdev, select, sizeof select);
    pdev->MappingMode |= kMappingPatternHeld;
    c.SelectedFill = kFillPattern8x8;
}
