// The rectangle command: DB/DC (height below 256) and DD/DE, filled with the current fill and,
// with the outline flag, outlined with the pen.
#include <algorithm>
#include <cstdint>

#include "render/OutputStream.h"
#include "render/draw/Clip.h"
#include "render/draw/DrawingState.h"
#include "render/draw/PathInternal.h"

namespace {

int64_t Scaled(int64_t v, int64_t percent) { return v * percent / 100; }

/// An extent as the 16-bit field carries it: never wrapped, at least one dot.
WORD Extent(int64_t v) { return static_cast<WORD>(std::clamp<int64_t>(v, 1, 0xFFFF)); }

}  // namespace

void WriteFilledRect(PDEV* pdev, RECTL rect, DWORD outline) {
    const int64_t s = pdev->Geometry.ScalePercent;
    const bool doubling = (pdev->StateFlags & kStateDoubling) != 0;
    const bool wholeSheet = (pdev->MappingMode & kMappingWholeSheet) != 0;
    const bool twice = doubling && !wholeSheet;

    int64_t h;
    int64_t w;
    if (pdev->FrameBeingDrawn) {
        h = int64_t{rect.bottom} - rect.top;
        w = int64_t{rect.right} - rect.left;
    } else {
        h = Scaled(rect.bottom, s) - Scaled(rect.top, s);
        w = Scaled(rect.right, s) - Scaled(rect.left, s);
    }
    if (twice) {
        h *= 2;
        w *= 2;
    }
    WORD height = Extent(h);
    WORD width = Extent(w);
    const bool turned = PageTurned(pdev);
    if (turned) std::swap(height, width);

    int64_t x = rect.left;
    int64_t y = rect.top;
    if (twice) {
        x *= 2;
        y *= 2;
    }
    if (s != 100) {
        x = Scaled(x, s);
        y = Scaled(y, s);
        if (NupActive(pdev)) {
            const RECTL& slot = CurrentSlot(pdev);
            const int64_t unit = pdev->UnitFactor == 2 ? 2 : 1;
            x += (int64_t{slot.left} + pdev->Geometry.CentringOffset.x) * unit;
            y += (int64_t{slot.top} + pdev->Geometry.CentringOffset.y) * unit;
        }
    }
    // A corner beyond the 16-bit fields is not drawn rather than drawn elsewhere.
    if (x < kDeviceMin || x > kDeviceMax || y < kDeviceMin || y > kDeviceMax) return;
    POINTL corner{static_cast<LONG>(x), static_cast<LONG>(y)};
    if (turned) {
        RotatePoint(pdev, 0, &corner);
        corner.y -= height;
    }
    const POINTL origin = PageOrigin(pdev);
    corner.x += origin.x;
    corner.y += origin.y;
    if (!InDeviceRange(corner)) return;

    const auto hi = [](DWORD v) { return static_cast<BYTE>(v >> 8); };
    const auto lo = [](DWORD v) { return static_cast<BYTE>(v); };
    const DWORD cx = static_cast<WORD>(corner.x);
    const DWORD cy = static_cast<WORD>(corner.y);
    if (height >= 256) {
        PutBytes(pdev, {static_cast<BYTE>(outline ? 0xDE : 0xDD), 0x00, hi(height), lo(height), hi(width), lo(width),
                        hi(cx), lo(cx), hi(cy), lo(cy), 0x00, 0x00});
    } else {
        PutBytes(pdev, {static_cast<BYTE>(outline ? 0xDC : 0xDB), lo(height), hi(width), lo(width), hi(cx), lo(cx),
                        hi(cy), lo(cy)});
    }
    pdev->Draw.Position = corner;
    pdev->SheetBlank = 0;
}
