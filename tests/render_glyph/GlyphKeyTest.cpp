// The glyph key: escapement from the font transform, the size measures, the style and the
// bucket of a key.
#include <cmath>
#include <limits>

#include "render/draw/GlyphWork.h"
#include "tests/render_glyph/GlyphFixture.h"

namespace glyphtest {
namespace {

class GlyphKeyTest : public GlyphTest {
protected:
    GlyphKey KeyOf(const XFORML& matrix, FLONG simulations = 0, BYTE charset = 0, USHORT weight = 400) {
        standin::engine::Font font = TrueTypeFont(matrix, 1, simulations, charset, weight);
        EXPECT_NE(font.get(), nullptr);
        GLYPHPOS pos{};
        EXPECT_TRUE(glyphs::ComputeGlyphKey(pdev_, font.get(), nullptr, 0x41, &pos));
        return Pdev().GlyphCache.Key;
    }
};

TEST_F(GlyphKeyTest, EscapementOfTheQuarterTurns) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    struct Case {
        XFORML matrix;
        DWORD escapement;
    };
    const Case cases[] = {
        {{0.05f, 0, 0, 0.05f, 0, 0}, 0},
        {{0, -0.05f, 0.05f, 0, 0, 0}, 90},
        {{-0.05f, 0, 0, -0.05f, 0, 0}, 180},
        {{0, 0.05f, -0.05f, 0, 0, 0}, 270},
        {{-0.05f, 0, 0, 0.05f, 0, 0}, 180},  // mirrored: a is negative
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyOf(c.matrix).Escapement, c.escapement) << c.matrix.eM11 << " " << c.matrix.eM12;
    }
    // Turned by 30 degrees one way and the other: angles of opposite sides.
    const float cosine = 0.05f * std::cos(0.5235988f);
    const float sine = 0.05f * std::sin(0.5235988f);
    const DWORD up = KeyOf({cosine, -sine, sine, cosine, 0, 0}).Escapement;
    const DWORD down = KeyOf({cosine, sine, -sine, cosine, 0, 0}).Escapement;
    EXPECT_GE(up, 29u);
    EXPECT_LE(up, 30u);
    EXPECT_GE(down, 330u);
    EXPECT_LE(down, 331u);
}

TEST_F(GlyphKeyTest, EscapementOfEveryWholeDegree) {
    // A font turned by a whole number of degrees keys by that number, on both sides of the
    // axis and in every quadrant. (At 0.5, 500 dots to the em, the transform's coefficients
    // are fine enough to tell 89 degrees from 90.)
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    for (int degrees = 0; degrees < 360; ++degrees) {
        const double a = degrees * 3.14159265358979323846 / 180;
        const auto cosine = static_cast<FLOATL>(0.5 * std::cos(a));
        const auto sine = static_cast<FLOATL>(0.5 * std::sin(a));
        ASSERT_EQ(KeyOf({cosine, -sine, sine, cosine, 0, 0}).Escapement, static_cast<DWORD>(degrees)) << degrees;
    }
}

TEST_F(GlyphKeyTest, MeasuresFollowTheSize) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    // 1000 units at 0.05: 50 dots; (50 x 120 / 33) x 400 / 400.
    const GlyphKey upright = KeyOf({0.05f, 0, 0, 0.05f, 0, 0});
    EXPECT_EQ(upright.Height, 181u);
    EXPECT_EQ(upright.Width, 181u);
    const GlyphKey wide = KeyOf({0.1f, 0, 0, 0.05f, 0, 0});
    EXPECT_EQ(wide.Width, 363u);
    EXPECT_EQ(wide.Height, 181u);
    // Turned by 45 degrees: (35, 35) has the printer's length 35 + 8, 8 the least n with
    // 4 x 35 x n + 2n(n - 1) >= 35 x 35 (below the true 49.5).
    const GlyphKey turned = KeyOf({0.035f, -0.035f, 0.035f, 0.035f, 0, 0});
    EXPECT_EQ(turned.Height, (43u * 120 / 33) * 400 / 400);
    // Shift-JIS fonts measure their own em in 1/720 inch.
    standin::engine::Font sjis = TrueTypeFont({0.05f, 0, 0, 0.05f, 0, 0}, 1, 0, SHIFTJIS_CHARSET);
    const IFIMETRICS* metrics = FONTOBJ_pifi(sjis.get());
    ASSERT_NE(metrics, nullptr);
    GLYPHPOS pos{};
    ASSERT_TRUE(glyphs::ComputeGlyphKey(pdev_, sjis.get(), nullptr, 0x41, &pos));
    const auto em = static_cast<DWORD>(std::lround(metrics->fwdUnitsPerEm * 0.05));
    EXPECT_EQ(Pdev().GlyphCache.Key.Height, em * 720 / 400);
}

TEST_F(GlyphKeyTest, StyleBits) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    const XFORML m{0.05f, 0, 0, 0.05f, 0, 0};
    EXPECT_EQ(KeyOf(m).Style, 0u);
    EXPECT_EQ(KeyOf(m, FO_SIM_ITALIC).Style, 1u);
    EXPECT_EQ(KeyOf(m, FO_SIM_BOLD).Style, 2u);
    EXPECT_EQ(KeyOf(m, 0, 0, 700).Style, 2u);
    EXPECT_EQ(KeyOf(m, FO_SIM_ITALIC, 0, 900).Style, 3u);
}

TEST_F(GlyphKeyTest, HugeAndBrokenTransformsStillGiveAKey) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    const float huge = 1e30f;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const XFORML cases[] = {{huge, huge, -huge, huge, 0, 0}, {nan, nan, nan, nan, 0, 0}, {inf, -inf, inf, 0, 0, 0},
                            {0, 0, 0, 0, 0, 0},           {3000.0f, 2000.0f, -2000.0f, 3000.0f, 0, 0}};
    for (const XFORML& m : cases) {
        standin::engine::Font font = TrueTypeFont(m);
        if (font.get() == nullptr) continue;  // the engine refused the matrix
        GLYPHPOS pos{};
        const BOOL made = glyphs::ComputeGlyphKey(pdev_, font.get(), nullptr, 0x41, &pos);
        if (made) {
            EXPECT_LT(Pdev().GlyphCache.Key.Escapement, 361u);
        }
    }
}

TEST(GlyphBucketTest, TheSumWrapsAt32BitsBeforeTheModulus) {
    GlyphKey key{};
    key.Glyph = 7;
    key.FontFile = 0x1'8000'0001ull;  // only the low 32 bits count
    key.TrueTypeId = 0x0400'0000ull;
    key.Width = 0x4000'0000u;
    key.Height = 3;
    key.Style = 2;
    key.Escapement = 90;
    const DWORD sum = 7u + 2u * 0x8000'0001u + 4u * 0x4000'0000u + 8u * 3u + 16u * 2u + 32u * 90u + 64u * 0x0400'0000u;
    EXPECT_EQ(glyphs::GlyphBucket(key), sum % kGlyphBuckets);
    EXPECT_LT(glyphs::GlyphBucket(key), kGlyphBuckets);
}

}  // namespace
}  // namespace glyphtest
