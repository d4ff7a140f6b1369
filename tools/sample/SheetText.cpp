#include "tools/sample/SheetText.h"

#include <algorithm>
#include <cmath>

namespace kvtest {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr WORD kSpace = 0x20;
constexpr WORD kWideSpace = 0x8140;
/// The box of a character without a glyph keeps an eighth of the cell free on each side.
constexpr LONG kBoxInset = 8;

bool BoxInk(CharCell cell, LONG u, LONG v) {
    const LONG mx = cell.width / kBoxInset;
    const LONG my = cell.height / kBoxInset;
    if (u < mx || u >= cell.width - mx || v < my || v >= cell.height - my) return false;
    return u == mx || u == cell.width - mx - 1 || v == my || v == cell.height - my - 1;
}

}  // namespace

CharCell TextState::Cell(WORD code) const {
    CharCell cell;
    if (!doubleByte) {
        cell = CharCell{sizes[1], sizes[0]};
    } else {
        const bool vertical = (style & 0x8000) != 0;
        cell = vertical ? CharCell{sizes[2], sizes[3]} : CharCell{sizes[3], sizes[2]};
        if (code < 0x100) cell.width /= 2;
    }
    cell.width = std::max<LONG>(cell.width, 1);
    cell.height = std::max<LONG>(cell.height, 1);
    return cell;
}

POINTL TextState::Advance(const CharCell& cell) const {
    const double a = angle * kPi / 180;
    return POINTL{paint::Round(cell.width * std::cos(a)), paint::Round(-cell.width * std::sin(a))};
}

void DrawCharacter(const TextState& text, WORD code, CharCell cell, LONG x, LONG y, const paint::Plot& plot) {
    if (code == kSpace || code == kWideSpace) return;
    // Cell point (u, v) lands on (x + u cos a + v sin a, y - u sin a + v cos a); every printer
    // point of the turned cell's bounds is mapped back into the cell.
    const double a = text.angle * kPi / 180;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double corners[4][2] = {{0, 0}, {double(cell.width), 0}, {0, double(cell.height)}, {double(cell.width), double(cell.height)}};
    double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;
    for (const auto& k : corners) {
        const double px = k[0] * c + k[1] * s;
        const double py = -k[0] * s + k[1] * c;
        left = std::min(left, px);
        right = std::max(right, px);
        top = std::min(top, py);
        bottom = std::max(bottom, py);
    }
    for (LONG dy = static_cast<LONG>(std::floor(top)); dy < static_cast<LONG>(std::ceil(bottom)); ++dy) {
        for (LONG dx = static_cast<LONG>(std::floor(left)); dx < static_cast<LONG>(std::ceil(right)); ++dx) {
            const double px = dx + 0.5;
            const double py = dy + 0.5;
            const double u = px * c - py * s;
            const double v = px * s + py * c;
            if (u < 0 || v < 0 || u >= cell.width || v >= cell.height) continue;
            if (BoxInk(cell, static_cast<LONG>(u), static_cast<LONG>(v))) plot(x + dx, y + dy);
        }
    }
}

}  // namespace kvtest
