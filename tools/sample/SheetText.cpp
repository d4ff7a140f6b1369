#include "tools/sample/SheetText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "platform/Kernel.h"
#include "platform/StandIn.h"

namespace kvtest {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr WORD kSpace = 0x20;
constexpr WORD kWideSpace = 0x8140;
/// The box of a character without a glyph keeps an eighth of the cell free on each side.
constexpr LONG kBoxInset = 8;
constexpr UINT kShiftJis = 932;

bool BoxInk(CharCell cell, LONG u, LONG v) {
    const LONG mx = cell.width / kBoxInset;
    const LONG my = cell.height / kBoxInset;
    if (u < mx || u >= cell.width - mx || v < my || v >= cell.height - my) return false;
    return u == mx || u == cell.width - mx - 1 || v == my || v == cell.height - my - 1;
}

/// The character a device-font code stands for: one byte or a Shift-JIS pair through the
/// platform's conversion; none for a code that does not convert to one UTF-16 character.
std::optional<char16_t> Unicode(WORD code) {
    char bytes[2];
    int count = 0;
    if (code >= 0x100) bytes[count++] = static_cast<char>(code >> 8);
    bytes[count++] = static_cast<char>(code & 0xFF);
    WCHAR wide[2] = {};
    if (MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, bytes, count, wide, 2) != 1) return std::nullopt;
    return wide[0];
}

/// What a cell shows: the engine's glyph of the character at the cell's height, stretched
/// over the cell's width, or the box of a code without a character.
class CellInk {
public:
    CellInk(WORD code, CharCell cell) : cell_(cell) {
        const std::optional<char16_t> character = Unicode(code);
        if (!character) return;
        standin::engine::FontSpec spec;
        spec.type = FO_TYPE_TRUETYPE;
        spec.heightDots = cell.height;
        glyph_ = standin::engine::FontGlyph(spec, *character);
        rowBytes_ = (glyph_.size.cx + 7) / 8;
    }

    bool operator()(LONG u, LONG v) const {
        if (glyph_.size.cx <= 0 || glyph_.size.cy <= 0) return BoxInk(cell_, u, v);
        const LONG gu = static_cast<LONG>(static_cast<int64_t>(u) * glyph_.size.cx / cell_.width);
        const LONG gv = static_cast<LONG>(static_cast<int64_t>(v) * glyph_.size.cy / cell_.height);
        const size_t at = static_cast<size_t>(gv) * static_cast<size_t>(rowBytes_) + static_cast<size_t>(gu / 8);
        return at < glyph_.bits.size() && (glyph_.bits[at] & (0x80u >> (gu % 8))) != 0;
    }

private:
    CharCell cell_;
    standin::engine::GlyphImage glyph_;
    LONG rowBytes_ = 0;
};

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
    const CellInk ink(code, cell);
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
            if (ink(static_cast<LONG>(u), static_cast<LONG>(v))) plot(x + dx, y + dy);
        }
    }
}

}  // namespace kvtest
