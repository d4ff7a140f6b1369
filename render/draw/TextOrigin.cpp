// Where the printer is to put a character or a glyph bitmap: the page point moved by the
// realized font's baseline offsets and by a part of its cell, by the escapement.
#include "render/DriverEntry.h"
#include "render/draw/DrawingState.h"
#include "render/draw/TextInternal.h"
#include "render/draw/TextOutput.h"

LONG ResolutionDivisor(const PDEV* pdev) {
    switch (Resolution(pdev)) {
    case 240:
        return 25;
    case 200:
    case 400:
        return 15;
    case 1200:
        return 5;
    default:
        return 10;
    }
}

namespace {

/// The point moved by the baseline offsets, by the quadrant of the escapement.
POINTL AfterBaseline(const PDEV* pdev, POINTL p) {
    const TextState& t = pdev->Text;
    const LONG a = t.Escapement;
    const LONG ox = t.BaselineX;
    const LONG oy = t.BaselineY;
    if (a <= 90) return POINTL{p.x - ox, p.y - oy};
    if (a <= 180) return POINTL{p.x - ox, p.y + oy};
    if (a <= 270) return POINTL{p.x + ox, p.y + oy};
    return POINTL{p.x + ox, p.y - oy};
}

bool DoubleByteFont(const PDEV* pdev) { return (pdev->Text.DoubleByteFlags & kDbcsFont) != 0; }

/// The cell part that moves a double-byte character of a font at angle a.
POINTL DoubleByteShift(const PDEV* pdev, LONG a) {
    const LONG q = ResolutionDivisor(pdev);
    const LONG w = static_cast<LONG>(pdev->TextCell[kCellWidth2]) / q;
    const LONG h = static_cast<LONG>(pdev->TextCell[kCellHeight2]) / q;
    if (a == 0) return POINTL{0, h};
    if (a < 90) return POINTL{w, h};
    if (a == 90) return POINTL{w, 0};
    if (a < 180) return POINTL{w, -h};
    if (a == 180) return POINTL{0, -h};
    if (a < 270) return POINTL{-w, -h};
    if (a == 270) return POINTL{(pdev->StateFlags & kStateHorizontalDbcs) ? -w : -h, 0};
    return POINTL{-w, h};
}

POINTL SingleByteShift(const PDEV* pdev, LONG a) {
    const LONG q = ResolutionDivisor(pdev);
    const LONG w = static_cast<LONG>(pdev->TextCell[kCellWidth]) / q;
    const LONG h = static_cast<LONG>(pdev->TextCell[kCellHeight]) / q;
    if (a == 0) return POINTL{0, h};
    if (a == 90) return POINTL{w, 0};
    if (a == 270) return POINTL{-w, 0};
    return POINTL{0, 0};
}

}  // namespace

void TextOrigin(PDEV* pdev, POINTL p, POINTL d, const TextRunInfo* /*info*/) {
    const LONG k = (pdev->StateFlags & kStateDoubling) ? 2 : 1;
    if ((pdev->StateFlags & kStateDeviceFontText) == 0) {
        pdev->Text.Position = POINTL{k * (p.x + d.x), k * (p.y + d.y)};
        return;
    }
    const POINTL base = AfterBaseline(pdev, POINTL{k * p.x, k * p.y});
    const LONG a = pdev->Text.Escapement;
    const POINTL shift = DoubleByteFont(pdev) ? DoubleByteShift(pdev, a) : SingleByteShift(pdev, a);
    pdev->Text.Position = POINTL{base.x + k * d.x + shift.x, base.y + k * d.y + shift.y};
}

void GlyphOrigin(PDEV* pdev, POINTL p, POINTL d) {
    POINTL at{p.x + d.x, p.y + d.y};
    if (pdev->StateFlags & kStateDeviceFontText) {
        const POINTL base = AfterBaseline(pdev, p);
        at = POINTL{base.x + d.x, base.y + d.y};
        if (DoubleByteFont(pdev)) {
            const LONG q = ResolutionDivisor(pdev);
            const LONG w = static_cast<LONG>(pdev->TextCell[kCellWidth2]) / q;
            const LONG h = static_cast<LONG>(pdev->TextCell[kCellHeight2]) / q;
            const LONG a = pdev->Text.Escapement;
            if (a == 90) {
                at.x += w;
            } else if (a == 0) {
                at.y += h;
            } else if (a == 270 && (pdev->StateFlags & kStateHorizontalDbcs)) {
                at.x -= w;
            }
        }
    }
    WritePosition(pdev, at);
    pdev->Text.Position = at;
}
