// The integer length, square-root and angle helpers of the font and text code.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "render/draw/DeviceFonts.h"

namespace {

constexpr LONG kMin = std::numeric_limits<LONG>::min();
constexpr LONG kMax = std::numeric_limits<LONG>::max();

// The printer's walk as the printer does it, one step at a time (small values only).
ULONG WalkedLength(LONG x, LONG y) {
    const ULONGLONG a = static_cast<ULONGLONG>(std::llabs(x));
    const ULONGLONG b = static_cast<ULONGLONG>(std::llabs(y));
    if (x == 0) return static_cast<ULONG>(b);
    if (y == 0) return static_cast<ULONG>(a);
    ULONGLONG m = std::max(a, b);
    const ULONGLONG s = std::min(a, b) * std::min(a, b);
    ULONGLONG sum = 0;
    ULONGLONG step = 4 * m;
    while (sum < s) {
        sum += step;
        ++m;
        step += 4;
    }
    return static_cast<ULONG>(m);
}

TEST(VectorLengthTest, KnownValuesAndAxes) {
    struct Case {
        LONG x, y;
        ULONG length;
    };
    for (const Case& c : {Case{0, -7, 7}, Case{-7, 0, 7}, Case{3, 4, 5}, Case{-4, 3, 5}, Case{1000, 1000, 1225},
                          Case{0, 0, 0}, Case{1, 1, 2}, Case{kMin, 0, 0x80000000u}, Case{0, kMin, 0x80000000u}}) {
        EXPECT_EQ(VectorLength(c.x, c.y), c.length) << c.x << ", " << c.y;
    }
}

// The closed form gives what the step-by-step walk gives, and stays below the Euclidean length
// except on the axes.
TEST(VectorLengthTest, AgreesWithTheWalk) {
    std::mt19937 random(7);
    std::uniform_int_distribution<LONG> value(-3000, 3000);
    for (int i = 0; i < 20000; ++i) {
        const LONG x = value(random);
        const LONG y = value(random);
        const ULONG length = VectorLength(x, y);
        ASSERT_EQ(length, WalkedLength(x, y)) << x << ", " << y;
        if (x != 0 && y != 0) {
            ASSERT_LE(length, std::hypot(x, y) + 1) << x << ", " << y;
        }
    }
}

// The squares of 32-bit components need 64 bits; a walk over them would take billions of
// steps, so the length of the largest vectors comes at once and without wrapping.
TEST(VectorLengthTest, LargestComponentsNeitherWrapNorHang) {
    const ULONG diagonal = VectorLength(kMin, kMin);
    EXPECT_GT(diagonal, 0x80000000u);
    EXPECT_LT(diagonal, 0xC0000000u);
    EXPECT_EQ(VectorLength(kMax, 1), static_cast<ULONG>(kMax) + 1);
    EXPECT_GE(VectorLength(kMax, 46341), static_cast<ULONG>(kMax));
    // About 256 pt at 1200 dpi in 28.4 on a 45-degree baseline.
    EXPECT_EQ(VectorLength(4160000, 4160000), WalkedLength(4160000, 4160000));
}

TEST(IntegerSqrtTest, FloorOfTheRootForSmallValues) {
    for (ULONGLONG n = 0; n < 200000; ++n) {
        const ULONGLONG r = IntegerSqrt(n);
        ASSERT_LE(r * r, n) << n;
        ASSERT_GT((r + 1) * (r + 1), n) << n;
    }
}

// The mean of u and n / u wraps in 32 bits for n = 0xFFFFFFFF (and in 64 bits near 2^64),
// which left a division by zero; every value now has its root.
TEST(IntegerSqrtTest, LargeValuesWithoutWrapping) {
    struct Case {
        ULONGLONG n;
        ULONG root;
    };
    for (const Case& c : {Case{0xFFFFFFFFull, 65535}, Case{0x100000000ull, 65536}, Case{0xFFFFFFFEull, 65535},
                          Case{0xFFFFFFFE00000001ull, 0xFFFFFFFFu}, Case{0xFFFFFFFFFFFFFFFFull, 0xFFFFFFFFu},
                          Case{0x4000000000000000ull, 0x80000000u}, Case{0x3FFFFFFFFFFFFFFFull, 0x7FFFFFFFu}}) {
        EXPECT_EQ(IntegerSqrt(c.n), c.root) << std::hex << c.n;
    }
    std::mt19937_64 random(11);
    for (int i = 0; i < 20000; ++i) {
        const ULONGLONG n = random() >> (i % 40);
        const ULONGLONG r = IntegerSqrt(n);
        ASSERT_LE(r * r, n) << n;
        ASSERT_TRUE(r == 0xFFFFFFFFull || (r + 1) * (r + 1) > n) << n;
    }
}

TEST(EuclidLengthTest, RootOfTheSquaresIn64Bits) {
    EXPECT_EQ(EuclidLength(0, -7), 7u);
    EXPECT_EQ(EuclidLength(-9, 0), 9u);
    EXPECT_EQ(EuclidLength(3, -4), 5u);
    EXPECT_EQ(EuclidLength(1000, 1000), 1414u);
    // A 256 pt text matrix at 1200 dpi (about pt x 256 per entry): the squares pass 2^32.
    EXPECT_EQ(EuclidLength(65536, 65536), 92681u);
    EXPECT_EQ(EuclidLength(kMin, kMin), 3037000499u);
}

TEST(AngleTest, AngleFromSineTakesTheDegreeOfTheNearestSine) {
    struct Case {
        LONG sine;
        ULONG degrees;
    };
    // 5001 and 7072: a sine over a truncated root comes out a little high and keeps its degree.
    for (const Case& c : {Case{0, 0}, Case{175, 1}, Case{176, 1}, Case{262, 1}, Case{263, 2}, Case{4999, 30},
                          Case{5000, 30}, Case{5001, 30}, Case{7071, 45}, Case{7072, 45}, Case{9998, 89},
                          Case{9999, 89}, Case{10000, 90}, Case{12000, 90}, Case{-1, 0}, Case{-100, 359},
                          Case{-5000, 330}, Case{-10000, 270}, Case{kMin, 270}}) {
        EXPECT_EQ(AngleFromSine(c.sine), c.degrees) << c.sine;
    }
}

TEST(AngleTest, SineAndCosineOverTheCircle) {
    struct Case {
        LONG degrees;
        LONG sine, cosine;
    };
    for (const Case& c : {Case{0, 0, 10000}, Case{30, 5000, 8660}, Case{90, 10000, 0}, Case{135, 7071, -7071},
                          Case{180, 0, -10000}, Case{210, -5000, -8660}, Case{270, -10000, 0},
                          Case{300, -8660, 5000}, Case{359, -175, 9998}, Case{360, 0, 10000}, Case{-90, -10000, 0},
                          Case{450, 10000, 0}, Case{-30, -5000, 8660}}) {
        EXPECT_EQ(SineOf(c.degrees), c.sine) << c.degrees;
        EXPECT_EQ(CosineOf(c.degrees), c.cosine) << c.degrees;
    }
    for (LONG a = 0; a < 360; ++a) {
        ASSERT_NEAR(SineOf(a), 10000 * std::sin(a * M_PI / 180), 0.5001) << a;
        ASSERT_NEAR(CosineOf(a), 10000 * std::cos(a * M_PI / 180), 0.5001) << a;
        // The angle back from the sine, within the quadrant the sine can tell.
        if (a <= 90) {
            ASSERT_EQ(AngleFromSine(SineOf(a)), static_cast<ULONG>(a)) << a;
        }
    }
}

}  // namespace
