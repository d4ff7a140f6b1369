// Line width, caps and joins and dash styles as the printer's commands.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/StandIn.h"
#include "render/draw/LineAttributes.h"
#include "tests/render_vector/VectorFixture.h"

namespace vectortest {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

std::vector<BYTE> WidthCommand(WORD w) { return {0xAF, 0x00, static_cast<BYTE>(w >> 8), static_cast<BYTE>(w)}; }

std::vector<BYTE> Dword(DWORD v) {
    return {static_cast<BYTE>(v >> 24), static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v)};
}

LINEATTRS Cosmetic(LONG width = 1) {
    LINEATTRS a{};
    a.iJoin = JOIN_ROUND;
    a.iEndCap = ENDCAP_ROUND;
    a.elWidth.l = width;
    return a;
}

LINEATTRS Geometric(float width) {
    LINEATTRS a{};
    a.fl = LA_GEOMETRIC;
    a.iJoin = JOIN_ROUND;
    a.iEndCap = ENDCAP_ROUND;
    a.elWidth.e = width;
    return a;
}

class LineAttributesTest : public VectorTest {};

struct WidthCase {
    SHORT dpi;
    WORD scale;
    WORD width;
    WORD sent;
};

TEST_F(LineAttributesTest, WidthIsRaisedClampedByResolutionAndScaled) {
    const std::vector<WidthCase> cases = {
        {600, 100, 0, 1},       {600, 100, 5000, 1200}, {300, 100, 5000, 1200}, {1200, 100, 5000, 2400},
        {400, 100, 5000, 800},  {200, 100, 5000, 800},  {240, 100, 5000, 480},  {1000, 100, 5000, 5000},
        {600, 50, 3, 1},        {600, 50, 10, 5},       {600, 200, 700, 1400},  {1000, 400, 65535, 65534},  // 0xFFFF would read as "unknown" in the cache
    };
    for (const WidthCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.dpi) + " dpi, " + std::to_string(c.scale) + " %, width " +
                     std::to_string(c.width));
        ASSERT_NO_FATAL_FAILURE(MakeReadyDevice({c.dpi}));
        Pdev().Geometry.ScalePercent = c.scale;
        SetLineWidth(&Pdev(), c.width);
        EXPECT_TRUE(Same(Take(), WidthCommand(c.sent)));
        SetLineWidth(&Pdev(), c.width);
        EXPECT_TRUE(Take().empty()) << "the printer holds the width already";
    }
}

struct CapJoinCase {
    const char* name;
    ULONG join;
    ULONG cap;
    float miterLimit;
    std::vector<BYTE> sent;
    float limitAfter;
};

TEST_F(LineAttributesTest, CapsAndJoinsGoOutOnceWithTheMiterHeldToItsRange) {
    const std::vector<CapJoinCase> cases = {
        {"round join, flat cap", JOIN_ROUND, ENDCAP_BUTT, 10.0f, {0xB0, 0x20, 0x00, 0x00}, 10.0f},
        {"bevel join, square cap", JOIN_BEVEL, ENDCAP_SQUARE, 10.0f, {0xB0, 0x11, 0x00, 0x00}, 10.0f},
        {"miter 10, round cap", JOIN_MITER, ENDCAP_ROUND, 10.0f, {0xB0, 0x02, 0x00, 0x05}, 10.0f},
        {"miter below 1 is raised", JOIN_MITER, ENDCAP_ROUND, 0.25f, {0xB0, 0x02, 0x00, 0x01}, 1.0f},
        {"miter NaN is raised", JOIN_MITER, ENDCAP_ROUND, kNaN, {0xB0, 0x02, 0x00, 0x01}, 1.0f},
        {"miter 300 does not wrap", JOIN_MITER, ENDCAP_SQUARE, 300.0f, {0xB0, 0x12, 0x00, 0x7F}, 300.0f},
        {"miter infinite", JOIN_MITER, ENDCAP_BUTT, kInf, {0xB0, 0x22, 0x00, 0x7F}, kInf},
    };
    for (const CapJoinCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
        LINEATTRS a = Cosmetic();
        a.iJoin = c.join;
        a.iEndCap = c.cap;
        a.eMiterLimit = c.miterLimit;
        EXPECT_TRUE(SetLineAttributes(&Pdev(), &a, nullptr));
        Golden expected;
        expected.Add("caps and joins", c.sent)
            .Add("width 1", WidthCommand(1))
            .Add("solid line", {0xAC, 0x00, 0x00, 0x00});
        EXPECT_TRUE(expected.Matches(Take()));
        EXPECT_EQ(a.eMiterLimit, c.limitAfter);
        EXPECT_TRUE(SetLineAttributes(&Pdev(), &a, nullptr));
        EXPECT_TRUE(Take().empty()) << "nothing changed";
    }
}

struct GeometricCase {
    const char* name;
    SHORT dpi;
    XFORML matrix;  // eM11 0 and eM12 0 with identity: no transform object
    bool identity;
    float width;
    WORD sent;
};

TEST_F(LineAttributesTest, GeometricWidthScalesByTheTransformsMagnitude) {
    const std::vector<GeometricCase> cases = {
        {"no transform", 600, {}, true, 10.0f, 10},
        {"half scale", 600, {0.5f, 0, 0, 0.5f, 0, 0}, false, 10.0f, 5},
        {"tiny scale has a floor of 2", 600, {0.01f, 0, 0, 0.01f, 0, 0}, false, 10.0f, 2},
        {"quarter turn keeps the width", 600, {0, 1, -1, 0, 0, 0}, false, 10.0f, 10},
        {"mirror keeps the width", 600, {-1, 0, 0, 1, 0, 0}, false, 10.0f, 10},
        {"45 degrees at scale 2", 600, {1.41421356f, 1.41421356f, -1.41421356f, 1.41421356f, 0, 0}, false, 10.0f, 20},
        {"300 dpi doubles", 300, {}, true, 10.0f, 20},
        {"NaN width", 600, {2, 0, 0, 2, 0, 0}, false, kNaN, 2},
        {"negative width", 600, {}, true, -7.0f, 1},
        {"huge width", 1000, {}, true, 1e30f, 65534},
        {"huge width under a huge scale", 1000, {1e30f, 0, 0, 1e30f, 0, 0}, false, 1e30f, 65534},
    };
    for (const GeometricCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(MakeReadyDevice({c.dpi}));
        standin::engine::Xform xform;
        if (!c.identity) xform = standin::engine::MakeXform(c.matrix);
        LINEATTRS a = Geometric(c.width);
        EXPECT_TRUE(SetLineAttributes(&Pdev(), &a, xform.get()));
        const std::vector<BYTE> out = Take();
        ASSERT_GE(out.size(), 8u);
        EXPECT_TRUE(Same(std::vector<BYTE>(out.begin() + 4, out.begin() + 8), WidthCommand(c.sent)));
    }
}

TEST_F(LineAttributesTest, CosmeticWidthIsTheIntegerWidth) {
    const std::vector<std::pair<LONG, WORD>> cases = {{7, 7}, {0, 1}, {-5, 1}, {100000, 1200}};
    for (const auto& [width, sent] : cases) {
        SCOPED_TRACE(width);
        ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
        LINEATTRS a = Cosmetic(width);
        // A transform does not widen a cosmetic line.
        standin::engine::Xform xform = standin::engine::MakeXform(XFORML{3, 0, 0, 3, 0, 0});
        EXPECT_TRUE(SetLineAttributes(&Pdev(), &a, xform.get()));
        const std::vector<BYTE> out = Take();
        ASSERT_GE(out.size(), 8u);
        EXPECT_TRUE(Same(std::vector<BYTE>(out.begin() + 4, out.begin() + 8), WidthCommand(sent)));
    }
}

TEST_F(LineAttributesTest, CosmeticDashesScaleByTheModelsPatternScaleAndGoOutOnce) {
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice({600}));
    const DWORD patternScale = Pdev().Model->LinePatternScale600;
    ASSERT_EQ(patternScale, 25u) << "the sample model's 600-dpi line pattern scale";
    FLOAT_LONG style[] = {{}, {}};
    style[0].l = 3;
    style[1].l = 1;
    LINEATTRS a = Cosmetic();
    a.cstyle = 2;
    a.pstyle = style;
    a.elStyleState.e = 1.6f;
    EXPECT_TRUE(SetLineAttributes(&Pdev(), &a, nullptr));
    Golden expected;
    expected.Add("caps and joins: round, round", {0xB0, 0x00, 0x00, 0x00})
        .Add("width 1", WidthCommand(1))
        .Add("define 2 dashes", {0xAB, 0x10, 0x02, 0x00})
        .Add("dash 3 x 25", Dword(75))
        .Add("dash 1 x 25", Dword(25))
        .Add("select the user style at phase 2", {0xAC, 0x10, 0x00, 0x02});
    EXPECT_TRUE(expected.Matches(Take()));
    EXPECT_EQ(Pdev().Draw.DashSum, 100u);

    EXPECT_TRUE(SetLineAttributes(&Pdev(), &a, nullptr));
    EXPECT_TRUE(Take().empty()) << "the same style again";

    // Solid in between: the dashes the printer holds are selected again, not redefined.
    LINEATTRS solid = Cosmetic();
    EXPECT_TRUE(SetLineAttributes(&Pdev(), &solid, nullptr));
    EXPECT_TRUE(Same(Take(), {0xAC, 0x00, 0x00, 0x00}));
    EXPECT_TRUE(SetLineAttributes(&Pdev(), &a, nullptr));
    EXPECT_TRUE(Same(Take(), {0xAC, 0x10, 0x00, 0x02}));
}

TEST_F(LineAttributesTest, AlternateAndSolidStylesGoOutOnce) {
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
    LINEATTRS alternate = Cosmetic();
    alternate.fl = LA_ALTERNATE;
    EXPECT_TRUE(SetLineAttributes(&Pdev(), &alternate, nullptr));
    Golden expected;
    expected.Add("caps and joins", {0xB0, 0x00, 0x00, 0x00})
        .Add("width 1", WidthCommand(1))
        .Add("alternate style", {0xAC, 0x01, 0x06, 0x00});
    EXPECT_TRUE(expected.Matches(Take()));
    EXPECT_TRUE(SetLineAttributes(&Pdev(), &alternate, nullptr));
    EXPECT_TRUE(Take().empty());

    LINEATTRS solid = Cosmetic();
    EXPECT_TRUE(SetLineAttributes(&Pdev(), &solid, nullptr));
    EXPECT_TRUE(Same(Take(), {0xAC, 0x00, 0x00, 0x00}));
    solid.cstyle = 4;  // a count without an array is no style
    EXPECT_TRUE(SetLineAttributes(&Pdev(), &solid, nullptr));
    EXPECT_TRUE(Take().empty());
}

TEST_F(LineAttributesTest, MoreThanThirtyDashesAreCutToThirty) {
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
    std::vector<FLOAT_LONG> style(40);
    for (size_t i = 0; i < style.size(); ++i) style[i].e = static_cast<float>(i + 1);
    LINEATTRS a = Geometric(1.0f);
    a.cstyle = static_cast<ULONG>(style.size());
    a.pstyle = style.data();
    EXPECT_TRUE(SetLineAttributes(&Pdev(), &a, nullptr));
    const std::vector<BYTE> out = Take();
    // B0, AF, then AB 10 1E 00 with 30 lengths, then AC.
    ASSERT_EQ(out.size(), 4u + 4u + 4u + 30u * 4u + 4u);
    EXPECT_TRUE(Same(std::vector<BYTE>(out.begin() + 8, out.begin() + 12), {0xAB, 0x10, 0x1E, 0x00}));
    EXPECT_TRUE(Same(std::vector<BYTE>(out.end() - 8, out.end() - 4), Dword(30)));
    EXPECT_EQ(Pdev().Draw.DashCount, 30);
    EXPECT_EQ(Pdev().Draw.DashSum, 30u * 31u / 2u);
    EXPECT_EQ(Pdev().Draw.PenGray, 0xFF) << "the fields after the dash cache are untouched";
    EXPECT_EQ(Pdev().Draw.TextGray, 0xFF) << "the fields after the dash cache are untouched";
}

TEST_F(LineAttributesTest, GeometricDashesAreHeldToTheirRange) {
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
    FLOAT_LONG style[5] = {};
    style[0].e = kNaN;
    style[1].e = 1e30f;
    style[2].e = -5.0f;
    style[3].e = 2.6f;
    style[4].e = 0.0f;
    LINEATTRS a = Geometric(1.0f);
    a.cstyle = 5;
    a.pstyle = style;
    a.elStyleState.e = kNaN;
    EXPECT_TRUE(SetLineAttributes(&Pdev(), &a, nullptr));
    Golden expected;
    expected.Add("caps and joins", {0xB0, 0x00, 0x00, 0x00})
        .Add("width 1", WidthCommand(1))
        .Add("define 5 dashes", {0xAB, 0x10, 0x05, 0x00})
        .Add("NaN: 1", Dword(1))
        .Add("1e30: the largest length", Dword(0xFFFFFFFF))
        .Add("negative: 1", Dword(1))
        .Add("2.6: 2", Dword(2))
        .Add("0: 1", Dword(1))
        .Add("select at phase 0 (NaN state)", {0xAC, 0x10, 0x00, 0x00});
    EXPECT_TRUE(expected.Matches(Take()));
    EXPECT_EQ(Pdev().Draw.DashSum, 0xFFFFFFFFu) << "the sum saturates";
}

TEST_F(LineAttributesTest, GeometricDashesFollowTheTransformUnlessFeatureBit27) {
    for (bool unscaled : {false, true}) {
        SCOPED_TRACE(unscaled ? "bit 27 set" : "bit 27 clear");
        ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
        if (unscaled) Pdev().Settings.FeatureFlags |= kFeatureUnscaledDashes;
        standin::engine::Xform xform = standin::engine::MakeXform(XFORML{0, 2, -2, 0, 0, 0});
        FLOAT_LONG style[1] = {};
        style[0].e = 3.0f;
        LINEATTRS a = Geometric(1.0f);
        a.cstyle = 1;
        a.pstyle = style;
        EXPECT_TRUE(SetLineAttributes(&Pdev(), &a, xform.get()));
        const std::vector<BYTE> out = Take();
        ASSERT_EQ(out.size(), 20u);
        EXPECT_TRUE(Same(std::vector<BYTE>(out.begin() + 12, out.begin() + 16), Dword(unscaled ? 3 : 6)));
    }
}

}  // namespace
}  // namespace vectortest
