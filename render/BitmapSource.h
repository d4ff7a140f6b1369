#pragma once
// What the bitmap hooks and the image writers share: rows of an engine bitmap read only
// within its bits, the scale arithmetic of shrinks and images, and the pattern writer.
#include <cstdint>
#include <limits>

#include "platform/Ddi.h"
#include "render/Pdev.h"

/// A 1-bit (or any) engine bitmap's rows as the surface lays them out: row r (0 = top) starts
/// at pvScan0 + r x lDelta, whichever way the bitmap runs. Rows are |lDelta| bytes; no read
/// goes outside height x |lDelta| bytes.
class BitmapRows {
public:
    /// Empty (Valid() false) for a missing surface, missing bits, a zero row step, a
    /// negative size, or bits shorter than the rows claim.
    explicit BitmapRows(const SURFOBJ* surface);
    bool Valid() const { return scan0_ != nullptr; }
    LONG Width() const { return width_; }
    LONG Height() const { return height_; }
    DWORD RowBytes() const { return rowBytes_; }
    /// Row r (0 = top), or NULL when r lies outside the bitmap.
    const BYTE* Row(LONG r) const;

private:
    const BYTE* scan0_ = nullptr;
    LONG delta_ = 0;
    LONG width_ = 0;
    LONG height_ = 0;
    DWORD rowBytes_ = 0;
};

inline constexpr LONG kLongMax = std::numeric_limits<LONG>::max();
inline constexpr LONG kLongMin = std::numeric_limits<LONG>::min();

/// v x percent / 100, truncated toward zero, without overflow; saturated to 32 bits.
LONG ScaleValue(LONG v, LONG percent);
/// The device's scale percent (0, which would divide by zero, stands for 100).
inline LONG ScalePercentOf(const PDEV* pdev) {
    return pdev->Geometry.ScalePercent == 0 ? 100 : pdev->Geometry.ScalePercent;
}
/// True when a bitmap of this size goes to the printer at its size; false when the engine
/// must shrink it first at this scale.
bool SentAtItsSize(LONG scalePercent, LONG width, LONG height);

/// Pattern mode of both image writers: the 1-bit source becomes the printer's fill pattern.
/// TRUE also when nothing is sent (a source that is not 1-bit).
BOOL WriteBitmapPattern(PDEV* pdev, SURFOBJ* source, RECTL* sourceRect);

/// True when the code of palette entry 0 of the last direct bitmap is black: the printer's
/// bit 1 is a black dot, so such bitmaps are sent complemented.
inline bool InvertsSource(const PDEV* pdev) {
    return pdev->RasterWork != nullptr && pdev->RasterWork->PaletteCodes[0] == 0;
}
