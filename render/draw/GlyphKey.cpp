// The key of a glyph bitmap: font identities, the size measures and escapement of the
// font's transform, the style, and the glyph's code.
#include <cmath>

#include "render/DriverEntry.h"
#include "render/draw/DeviceFonts.h"
#include "render/draw/GlyphWork.h"

namespace glyphs {

namespace {

constexpr double kEscapementUnits = 1000.0 * 18432.0;
constexpr double kComponentMax = 268435456.0;      // 2^28: the length's products fit 64 bits
constexpr WORD kBoldWeight = 700;
constexpr DWORD kStyleItalic = 0x1;
constexpr DWORD kStyleBold = 0x2;

/// value truncated toward zero into [-limit, limit]; NaN gives 0.
LONGLONG Bounded(double value, double limit) {
    if (std::isnan(value)) return 0;
    if (value > limit) value = limit;
    if (value < -limit) value = -limit;
    return static_cast<LONGLONG>(value);
}

DWORD Measure(ULONGLONG length, bool shiftJis, int resolution) {
    const ULONGLONG value = shiftJis ? length * 720 / resolution : (length * 120 / 33) * 400 / resolution;
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(value);
}

/// The magnitude of a transformed em component, at most 2^28.
LONG Component(double value) {
    const LONGLONG rounded = Bounded(std::nearbyint(value), kComponentMax);
    return static_cast<LONG>(rounded < 0 ? -rounded : rounded);
}

}  // namespace

BOOL ComputeGlyphKey(PDEV* pdev, FONTOBJ* font, XFORMOBJ* transform, HGLYPH glyph, GLYPHPOS* /*pos*/) {
    const int resolution = Resolution(pdev);
    if (font == nullptr || resolution <= 0) return FALSE;
    const IFIMETRICS* metrics = FONTOBJ_pifi(font);
    if (metrics == nullptr) return FALSE;
    if (transform == nullptr) transform = FONTOBJ_pxoGetXform(font);
    XFORML m{};
    if (transform == nullptr || XFORMOBJ_iGetXform(transform, &m) == 0xFFFFFFFFu) return FALSE;

    GlyphKey& key = pdev->GlyphCache.Key;
    key.FontFile = font->iFile;
    key.TrueTypeId = font->iTTUniq;
    key.Glyph = static_cast<WORD>(glyph);
    key.Style = 0;
    if ((font->flFontType & FO_SIM_ITALIC) != 0 || metrics->ptlCaret.x != 0) key.Style |= kStyleItalic;
    if ((font->flFontType & FO_SIM_BOLD) != 0 || metrics->usWinWeight >= kBoldWeight) key.Style |= kStyleBold;
    key.Escapement = EscapementDegrees(m, kEscapementUnits / resolution);

    const bool shiftJis = metrics->jWinCharSet == SHIFTJIS_CHARSET;
    const double em = shiftJis ? metrics->fwdUnitsPerEm : 1000.0;
    // The em's vertical (0, em) and horizontal (em, 0) vectors through the transform.
    const ULONGLONG height = VectorLength(Component(em * m.eM21), Component(em * m.eM22));
    const ULONGLONG width = VectorLength(Component(em * m.eM11), Component(em * m.eM12));
    key.Height = Measure(height, shiftJis, resolution);
    key.Width = Measure(width, shiftJis, resolution);
    return TRUE;
}

}  // namespace glyphs
