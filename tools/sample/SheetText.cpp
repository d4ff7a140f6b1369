#include "tools/sample/SheetText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/StandInDraw.h"
#include "platform/WinGdi.h"

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

/// Whether the engine's own font draws the character (it has the printable ASCII only).
bool EngineDraws(char16_t character) { return character >= 0x20 && character <= 0x7E; }

/// The glyph the window stand-in draws for a character, `height` dots high: the text drawn
/// black on white into a memory picture, ink where it is dark. Empty when it cannot be drawn.
standin::engine::GlyphImage WindowGlyph(char16_t character, LONG height) {
    standin::engine::GlyphImage glyph;
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) return glyph;
    LOGFONTW spec{};
    spec.lfHeight = -height;
    HFONT font = CreateFontIndirectW(&spec);
    HGDIOBJ oldFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    const WCHAR text[1] = {character};
    SIZE size{};
    HBITMAP picture = nullptr;
    if (GetTextExtentPoint32W(dc, text, 1, &size) && size.cx > 0 && size.cy > 0) {
        picture = CreateBitmap(size.cx, size.cy, 1, 24, nullptr);
    }
    if (picture != nullptr) {
        HGDIOBJ oldPicture = SelectObject(dc, picture);
        PatBlt(dc, 0, 0, size.cx, size.cy, WHITENESS);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        TextOutW(dc, 0, 0, text, 1);
        SelectObject(dc, oldPicture);
        const standin::ui::Pixels pixels = standin::ui::BitmapPixels(picture);
        const LONG rowBytes = (pixels.width + 7) / 8;
        glyph.size = SIZEL{pixels.width, pixels.height};
        glyph.advance = pixels.width;
        glyph.bits.assign(static_cast<size_t>(rowBytes) * static_cast<size_t>(pixels.height), 0);
        for (int y = 0; y < pixels.height; ++y) {
            for (int x = 0; x < pixels.width; ++x) {
                if (GetGValue(pixels.At(x, y)) < 128) {
                    glyph.bits[static_cast<size_t>(y * rowBytes + x / 8)] |= static_cast<BYTE>(0x80u >> (x % 8));
                }
            }
        }
        DeleteObject(picture);
    }
    if (oldFont != nullptr) SelectObject(dc, oldFont);
    if (font != nullptr) DeleteObject(font);
    DeleteDC(dc);
    return glyph;
}

/// What a cell shows: the glyph of the character at the cell's height, stretched over the
/// cell's width, or the box of a code without a character. The engine's font draws ASCII;
/// Japanese and the other characters it lacks take the glyphs the window stand-in draws.
class CellInk {
public:
    CellInk(WORD code, CharCell cell) : cell_(cell) {
        const std::optional<char16_t> character = Unicode(code);
        if (!character) return;
        if (EngineDraws(*character)) {
            standin::engine::FontSpec spec;
            spec.type = FO_TYPE_TRUETYPE;
            spec.heightDots = cell.height;
            glyph_ = standin::engine::FontGlyph(spec, *character);
        } else {
            glyph_ = WindowGlyph(*character, cell.height);
        }
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
