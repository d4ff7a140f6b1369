// The integer lengths, square root and angles of the font and text code.
#include <algorithm>
#include <cmath>

#include "render/draw/DeviceFonts.h"

namespace {

// round(10000 sin a) for whole degrees 0 to 90; the rest of the circle follows by symmetry.
constexpr WORD kQuarterSine[91] = {
    0, 175, 349, 523, 698, 872, 1045, 1219, 1392, 1564,
    1736, 1908, 2079, 2250, 2419, 2588, 2756, 2924, 3090, 3256,
    3420, 3584, 3746, 3907, 4067, 4226, 4384, 4540, 4695, 4848,
    5000, 5150, 5299, 5446, 5592, 5736, 5878, 6018, 6157, 6293,
    6428, 6561, 6691, 6820, 6947, 7071, 7193, 7314, 7431, 7547,
    7660, 7771, 7880, 7986, 8090, 8192, 8290, 8387, 8480, 8572,
    8660, 8746, 8829, 8910, 8988, 9063, 9135, 9205, 9272, 9336,
    9397, 9455, 9511, 9563, 9613, 9659, 9703, 9744, 9781, 9816,
    9848, 9877, 9903, 9925, 9945, 9962, 9976, 9986, 9994, 9998,
    10000,
};
constexpr LONG kFullSine = 10000;

ULONGLONG Magnitude(LONG v) {
    return v < 0 ? static_cast<ULONGLONG>(-static_cast<LONGLONG>(v)) : static_cast<ULONGLONG>(v);
}

// sin a and |cos a| of 0 to 180 degrees.
LONG HalfSine(LONG a) { return kQuarterSine[a <= 90 ? a : 180 - a]; }
LONG HalfCosine(LONG a) { return kQuarterSine[a <= 90 ? 90 - a : a - 90]; }

LONG ReduceDegrees(LONG degrees) {
    const LONG a = degrees % 360;
    return a < 0 ? a + 360 : a;
}

// What k steps of the printer's length walk add: 4m + 4(m + 1) + ... + 4(m + k - 1).
ULONGLONG WalkSum(ULONGLONG m, ULONGLONG k) { return 4 * m * k + 2 * k * (k > 0 ? k - 1 : 0); }

}  // namespace

// The printer walks from the longer side m in steps of 4m, 4(m + 1), ... until their sum
// reaches the shorter side squared, and adds one per step. The step count k is the smallest
// with WalkSum(m, k) >= s: found from the quadratic and settled exactly in integers, so a
// long vector costs no more than a short one. Every value stays below 2^63: k is at most
// s / 4m + 1 <= m / 4 + 1.
ULONG VectorLength(LONG x, LONG y) {
    const ULONGLONG a = Magnitude(x);
    const ULONGLONG b = Magnitude(y);
    if (x == 0) return static_cast<ULONG>(b);
    if (y == 0) return static_cast<ULONG>(a);
    const ULONGLONG m = std::max(a, b);
    const ULONGLONG shorter = std::min(a, b);
    const ULONGLONG s = shorter * shorter;
    const double linear = 4.0 * static_cast<double>(m) - 2.0;
    const double estimate =
        2.0 * static_cast<double>(s) / (linear + std::sqrt(linear * linear + 8.0 * static_cast<double>(s)));
    auto k = static_cast<ULONGLONG>(estimate);
    while (k > 0 && WalkSum(m, k - 1) >= s) --k;
    while (WalkSum(m, k) < s) ++k;
    return static_cast<ULONG>(m + k);
}

ULONG EuclidLength(LONG x, LONG y) {
    if (x == 0) return static_cast<ULONG>(Magnitude(y));
    if (y == 0) return static_cast<ULONG>(Magnitude(x));
    const ULONGLONG a = Magnitude(x);
    const ULONGLONG b = Magnitude(y);
    return IntegerSqrt(a * a + b * b);  // at most 2^63
}

// Newton's iteration from 1: u' = (u + n / u) / 2 until it repeats u or meets the quotient.
// The mean is taken without forming u + q, which would wrap for n near 2^64; u never becomes
// 0 once n > 0, so nothing divides by zero.
ULONG IntegerSqrt(ULONGLONG n) {
    ULONGLONG u = 1;
    for (;;) {
        const ULONGLONG q = n / u;
        const ULONGLONG next = (u >> 1) + (q >> 1) + (u & q & 1);
        if (next == u || next == q) return static_cast<ULONG>(next);
        u = next;
    }
}

// The whole degree of 0 to 90 whose table sine is nearest |s| (values beyond one count as
// one; a tie takes the smaller degree); a negative sine gives the angle below the axis, 360
// minus that (0 stays 0). A sine computed from a truncated root comes out a little high: the
// nearest entry keeps it at its degree rather than the next.
ULONG AngleFromSine(LONG sine) {
    const ULONGLONG wanted = std::min<ULONGLONG>(Magnitude(sine), kFullSine);
    ULONG degrees = 0;
    while (degrees < 90 && kQuarterSine[degrees] < wanted) ++degrees;
    if (degrees > 0 && wanted - kQuarterSine[degrees - 1] <= kQuarterSine[degrees] - wanted) --degrees;
    return sine < 0 && degrees != 0 ? 360 - degrees : degrees;
}

ULONG EscapementDegrees(const XFORML& matrix, double entryScale) {
    const auto entry = [entryScale](FLOATL e) -> LONGLONG {
        const double v = static_cast<double>(e) * entryScale;
        if (std::isnan(v)) return 0;
        return static_cast<LONGLONG>(std::clamp(v, -2147483648.0, 2147483647.0));
    };
    const LONGLONG m11 = entry(matrix.eM11);
    const LONGLONG m12 = entry(matrix.eM12);
    const LONGLONG m21 = entry(matrix.eM21);
    const LONGLONG m22 = entry(matrix.eM22);
    if (m12 == 0 && m21 == 0 && m11 > 0 && m22 > 0) return 0;
    if (m11 == 0 && m22 == 0) return m12 < 0 ? 90 : 270;
    // The squares of 32-bit entries need 64 bits; a zero first row has no direction.
    const ULONGLONG radius = IntegerSqrt(static_cast<ULONGLONG>(m12 * m12) + static_cast<ULONGLONG>(m11 * m11));
    if (radius == 0) return 0;
    // |m12| <= radius, so the sine stays within one (10000).
    ULONG angle = AngleFromSine(static_cast<LONG>(-m12 * 10000 / static_cast<LONGLONG>(radius)));
    if (m11 < 0) {
        if (angle == 0) {
            angle = 180;
        } else if (angle < 180) {
            angle = 180 - angle;
        } else if (angle > 180) {
            angle = 540 - angle;
        }
    }
    return angle % 360;
}

LONG SineOf(LONG degrees) {
    const LONG a = ReduceDegrees(degrees);
    return a <= 180 ? HalfSine(a) : -HalfSine(a - 180);
}

LONG CosineOf(LONG degrees) {
    const LONG a = ReduceDegrees(degrees);
    if (a <= 90) return HalfCosine(a);
    if (a <= 180) return -HalfCosine(a);
    if (a < 270) return -HalfCosine(a - 180);
    return HalfCosine(a - 180);
}
