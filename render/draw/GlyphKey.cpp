// The key of a glyph bitmap: font identities, the size measures and escapement of the
// font's transform, the style, and the glyph's code.
#include <cmath>
#include <cstdlib>

#include "render/DriverEntry.h"
#include "render/draw/GlyphWork.h"

namespace glyphs {

namespace {

constexpr double kEscapementUnits = 1000.0 * 18432.0;
constexpr double kCoefficientMax = 2147483647.0;   // escapement coefficients: squares fit 64 bits
constexpr double kComponentMax = 268435456.0;      // 2^28: the measure's products fit 64 bits
constexpr WORD kBoldWeight = 700;
constexpr DWORD kStyleItalic = 0x1;
constexpr DWORD kStyleBold = 0x2;

// round(10000 sin i) for 0 to 90 degrees; the table runs back down to 180.
constexpr WORD kSine[91] = {
    0,    175,  349,  523,  698,  872,  1045, 1219, 1392, 1564, 1736, 1908, 2079, 2250, 2419, 2588,
    2756, 2924, 3090, 3256, 3420, 3584, 3746, 3907, 4067, 4226, 4384, 4540, 4695, 4848, 5000, 5150,
    5299, 5446, 5592, 5736, 5878, 6018, 6157, 6293, 6428, 6561, 6691, 6820, 6947, 7071, 7193, 7314,
    7431, 7547, 7660, 7771, 7880, 7986, 8090, 8192, 8290, 8387, 8480, 8572, 8660, 8746, 8829, 8910,
    8988, 9063, 9135, 9205, 9272, 9336, 9397, 9455, 9511, 9563, 9613, 9659, 9703, 9744, 9781, 9816,
    9848, 9877, 9903, 9925, 9945, 9962, 9976, 9986, 9994, 9998, 10000};

DWORD SineEntry(DWORD degrees) { return kSine[degrees <= 90 ? degrees : 180 - degrees]; }

/// Whole degrees of a sine in 1/10000: the table steps from 0 while the next entry is below
/// |sine|; 360 minus that for a negative sine.
DWORD AngleOfSine(LONGLONG sine) {
    const ULONGLONG magnitude = static_cast<ULONGLONG>(sine < 0 ? -sine : sine);
    DWORD steps = 0;
    while (steps < 180 && SineEntry(steps + 1) < magnitude) ++steps;
    return sine < 0 ? 360 - steps : steps;
}

/// floor(sqrt(n)) for any 64-bit n.
ULONGLONG SquareRoot(ULONGLONG n) {
    auto root = static_cast<ULONGLONG>(std::sqrt(static_cast<double>(n)));
    while (root > 0 && (root > 0xFFFFFFFFull || root * root > n)) --root;
    while (root < 0xFFFFFFFFull && (root + 1) * (root + 1) <= n) ++root;
    return root;
}

/// value truncated toward zero into [-limit, limit]; NaN gives 0.
LONGLONG Bounded(double value, double limit) {
    if (std::isnan(value)) return 0;
    if (value > limit) value = limit;
    if (value < -limit) value = -limit;
    return static_cast<LONGLONG>(value);
}

/// The printer's length of a vector: the larger component p plus the least n with
/// 4pn + 2n(n - 1) >= q^2 (q the smaller), found from the quadratic's root.
ULONGLONG MeasureLength(ULONGLONG x, ULONGLONG y) {
    const ULONGLONG p = x > y ? x : y;
    const ULONGLONG q = x > y ? y : x;
    if (q == 0) return p;
    const ULONGLONG target = q * q;
    auto reaches = [&](ULONGLONG n) { return 4 * p * n + 2 * n * (n > 0 ? n - 1 : 0) >= target; };
    const double b = 4.0 * static_cast<double>(p) - 2.0;
    const double estimate = (-b + std::sqrt(b * b + 8.0 * static_cast<double>(target))) / 4.0;
    ULONGLONG n = estimate > 0 ? static_cast<ULONGLONG>(estimate) : 0;
    while (n > 0 && reaches(n - 1)) --n;
    while (!reaches(n)) ++n;
    return p + n;
}

/// Escapement in whole degrees from the transform's 2 x 2 matrix.
DWORD Escapement(const XFORML& m, int resolution) {
    const double units = kEscapementUnits / resolution;
    const LONGLONG a = Bounded(m.eM11 * units, kCoefficientMax);
    const LONGLONG b = Bounded(m.eM12 * units, kCoefficientMax);
    const LONGLONG c = Bounded(m.eM21 * units, kCoefficientMax);
    const LONGLONG d = Bounded(m.eM22 * units, kCoefficientMax);
    if (b == 0 && c == 0 && a >= 1 && d >= 1) return 0;
    if (a == 0 && d == 0) return b < 0 ? 90 : 270;
    const ULONGLONG radius = SquareRoot(static_cast<ULONGLONG>(b * b) + static_cast<ULONGLONG>(a * a));
    if (radius == 0) return 0;  // no direction at all
    DWORD angle = AngleOfSine(-b * 10000 / static_cast<LONGLONG>(radius));
    if (a < 0) {
        if (angle == 0) {
            angle = 180;
        } else if (angle < 180) {
            angle = 180 - angle;
        } else if (angle > 180) {
            angle = 540 - angle;
        }
    }
    return angle;
}

DWORD Measure(ULONGLONG length, bool shiftJis, int resolution) {
    const ULONGLONG value = shiftJis ? length * 720 / resolution : (length * 120 / 33) * 400 / resolution;
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(value);
}

ULONGLONG Component(double value) {
    const LONGLONG rounded = Bounded(std::nearbyint(value), kComponentMax);
    return static_cast<ULONGLONG>(rounded < 0 ? -rounded : rounded);
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
    key.Escapement = Escapement(m, resolution);

    const bool shiftJis = metrics->jWinCharSet == SHIFTJIS_CHARSET;
    const double em = shiftJis ? metrics->fwdUnitsPerEm : 1000.0;
    // The em's vertical (0, em) and horizontal (em, 0) vectors through the transform.
    const ULONGLONG height = MeasureLength(Component(em * m.eM21), Component(em * m.eM22));
    const ULONGLONG width = MeasureLength(Component(em * m.eM11), Component(em * m.eM12));
    key.Height = Measure(height, shiftJis, resolution);
    key.Width = Measure(width, shiftJis, resolution);
    return TRUE;
}

}  // namespace glyphs
