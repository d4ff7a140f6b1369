// The placement correction of single-byte characters in proportional device fonts: the
// printer draws them from their cell's left edge, so narrow characters move left by a part of
// the cell that depends on the character's class.
#include "render/draw/DeviceFontText.h"
#include "render/draw/TextInternal.h"

namespace {

/// The class of codes 32 to 127, in order.
constexpr BYTE kPlacementClass[96] = {
    0, 6, 5, 2, 2, 2, 2, 5, 7, 3, 3, 3, 7, 3, 7, 5,  //
    2, 4, 2, 2, 2, 2, 2, 2, 2, 2, 7, 6, 4, 4, 4, 4,  //
    1, 2, 2, 1, 2, 1, 1, 1, 1, 7, 2, 0, 2, 1, 2, 2,  //
    2, 2, 2, 2, 1, 1, 1, 0, 1, 1, 2, 9, 2, 3, 5, 1,  //
    6, 2, 2, 2, 1, 2, 4, 1, 3, 8, 4, 2, 7, 1, 3, 3,  //
    2, 2, 5, 3, 5, 2, 3, 2, 3, 3, 3, 8, 6, 2, 0, 0,  //
};

}  // namespace

LONG CharPlacementCorrection(PDEV* pdev, WORD code) {
    if (code < 32 || code > 127) return 0;
    const char kind = FontKind(pdev);
    if (kind == kSelectCourier || kind == kSelectOcrB) return 0;
    const long long t = kPlacementClass[code - 32];
    const long long w = pdev->TextCell[kCellWidth];
    return static_cast<LONG>(-(t * w / 100) * Resolution(pdev) / 240);
}
