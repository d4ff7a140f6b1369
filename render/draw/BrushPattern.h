#pragma once
// The realized brush block that DrvRealizeBrush leaves in a BRUSHOBJ, as the fills read it,
// and the printer's downloaded 8 x 8 pattern.
#include <cstddef>

#include "platform/Ddi.h"
#include "render/Pdev.h"

/// MappingMode bit 0: the printer holds a downloaded 8 x 8 pattern (kept for the device's life).
inline constexpr DWORD kMappingPatternHeld = 0x1;
/// FeatureFlags bit 10: the printer's second hatch set, and pattern resolution codes.
inline constexpr DWORD kFeatureDevicePatternSet = 1u << 10;
/// SelectedFill of the downloaded 8 x 8 pattern.
inline constexpr WORD kFillPattern8x8 = 0x0100;

/// Reads the realized brush block: u32 fields, little-endian, at 0 width, 4 height, 8 bitmap
/// format, 12 bitmap flags (bit 0 top-down), 16 colour count n, 20 colour table offset,
/// 24 hatch index; the pattern bits from 28 (rows padded to 4 bytes, height rows); the colour
/// table of n entries (bytes R, G, B, 0). The block is trusted to be as large as these fields
/// say (DrvRealizeBrush sizes it from them).
class RealizedBrushView {
public:
    explicit RealizedBrushView(const void* block) : block_(static_cast<const BYTE*>(block)) {}
    DWORD Width() const { return Field(0); }
    DWORD Height() const { return Field(4); }
    DWORD Format() const { return Field(8); }
    DWORD BitmapFlags() const { return Field(12); }
    DWORD ColourCount() const { return Field(16); }
    DWORD Hatch() const { return Field(24); }
    bool TopDown() const { return (BitmapFlags() & 1u) != 0; }
    const BYTE* Bits() const { return block_ + 28; }
    /// Colour entry 0 or 1 as R, G, B. A table of fewer than two entries gives black for
    /// entry 0 and white for entry 1 (a 1-bit brush's own meaning), without reading it.
    void Colour(DWORD index, BYTE rgb[3]) const;

private:
    DWORD Field(size_t offset) const {
        const BYTE* p = block_ + offset;
        return DWORD{p[0]} | DWORD{p[1]} << 8 | DWORD{p[2]} << 16 | DWORD{p[3]} << 24;
    }
    const BYTE* block_;
};

/// The eight rows of the printer's pattern for a 1-bit brush, inverted (a set bit takes colour
/// entry 0): the brush's first 8 x 8 pixels, tiled when it is smaller, turned a quarter on
/// pages turned against the sheet. FALSE for other formats and empty brushes.
[[nodiscard]] bool BrushPatternRows(const PDEV* pdev, const RealizedBrushView& brush, BYTE rows[8]);
/// Sends a 1-bit brush as the printer's 8 x 8 pattern (unless the printer holds it) and
/// selects it; other brushes send nothing.
void DownloadBrushPattern(PDEV* pdev, const RealizedBrushView& brush);
