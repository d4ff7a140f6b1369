// Transform objects (class, matrix, rounding, refusals) and colour translation objects.
#include <cmath>
#include <limits>
#include <vector>

#include "tests/platform_engine/EngineTestSupport.h"

namespace {

using EngineXformTest = enginetest::EngineLeakTest;

struct ClassCase {
    const char* what;
    XFORML matrix;
    ULONG expected;
};

TEST_F(EngineXformTest, ClassFollowsTheMatrix) {
    const ClassCase cases[] = {
        {"unit", {1, 0, 0, 1, 0, 0}, GX_IDENTITY},
        {"unit with an offset", {1, 0, 0, 1, 5, 0}, GX_OFFSET},
        {"unit with a y offset", {1, 0, 0, 1, 0, -2}, GX_OFFSET},
        {"scale", {2, 0, 0, 3, 0, 0}, GX_SCALE},
        {"scale with an offset", {0.5f, 0, 0, 0.5f, 7, 9}, GX_SCALE},
        {"negative scale", {-2, 0, 0, -2, 0, 0}, GX_SCALE},
        {"mirror", {-1, 0, 0, 1, 0, 0}, GX_GENERAL},
        {"quarter turn", {0, 1, -1, 0, 0, 0}, GX_GENERAL},
        {"shear", {1, 0.5f, 0, 1, 0, 0}, GX_GENERAL},
        {"flattened", {0, 0, 0, 1, 0, 0}, GX_GENERAL},
    };
    for (const ClassCase& c : cases) {
        standin::engine::Xform xform = standin::engine::MakeXform(c.matrix);
        XFORML read{9, 9, 9, 9, 9, 9};
        EXPECT_EQ(c.expected, XFORMOBJ_iGetXform(xform.get(), &read)) << c.what;
        EXPECT_EQ(c.matrix.eM11, read.eM11) << c.what;
        EXPECT_EQ(c.matrix.eM12, read.eM12) << c.what;
        EXPECT_EQ(c.matrix.eM21, read.eM21) << c.what;
        EXPECT_EQ(c.matrix.eDy, read.eDy) << c.what;
    }
    XFORMOBJ forged{};
    EXPECT_EQ(0xFFFFFFFFu, XFORMOBJ_iGetXform(&forged, nullptr));
}

struct ApplyCase {
    const char* what;
    XFORML matrix;
    ULONG mode;
    POINTL in;
    POINTL expected;
};

TEST_F(EngineXformTest, AppliesAndRoundsPerMode) {
    const ApplyCase cases[] = {
        {"halves round away from zero", {0.5f, 0, 0, 0.5f, 0, 0}, XF_LTOL, {3, -3}, {2, -2}},
        {"below a half rounds down", {0.25f, 0, 0, 0.25f, 0, 0}, XF_LTOL, {5, -5}, {1, -1}},
        {"offset is added after the matrix", {2, 0, 0, 2, 10, -4}, XF_LTOL, {3, 1}, {16, -2}},
        {"quarter turn maps x to y", {0, 1, -1, 0, 0, 0}, XF_LTOL, {2, 5}, {-5, 2}},
        {"28.4 keeps sixteenths", {0.5f, 0, 0, 0.5f, 0, 0}, XF_LTOFX, {3, -3}, {24, -24}},
        {"28.4 rounds to the nearest sixteenth", {1.0f / 3, 0, 0, 1, 0, 0}, XF_LTOFX, {1, 1}, {5, 16}},
        {"inverse undoes scale and offset", {2, 0, 0, 2, 10, 0}, XF_INV_LTOL, {30, 4}, {10, 2}},
        {"inverse from 28.4", {2, 0, 0, 2, 0, 0}, XF_INV_FXTOL, {320, -64}, {10, -2}},
    };
    for (const ApplyCase& c : cases) {
        standin::engine::Xform xform = standin::engine::MakeXform(c.matrix);
        POINTL in = c.in;
        POINTL out{0x7777, 0x7777};
        ASSERT_TRUE(XFORMOBJ_bApplyXform(xform.get(), c.mode, 1, &in, &out)) << c.what;
        EXPECT_EQ(c.expected.x, out.x) << c.what;
        EXPECT_EQ(c.expected.y, out.y) << c.what;
    }
    // In place: the output may be the input.
    standin::engine::Xform twice = standin::engine::MakeXform({2, 0, 0, 2, 0, 0});
    POINTL points[2] = {{1, 2}, {3, 4}};
    ASSERT_TRUE(XFORMOBJ_bApplyXform(twice.get(), XF_LTOL, 2, points, points));
    EXPECT_EQ(6, points[1].x);
    EXPECT_EQ(8, points[1].y);
}

TEST_F(EngineXformTest, RefusesResultsThatAreNotNumbersOrDoNotFit) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const ApplyCase cases[] = {
        {"not a number", {nan, 0, 0, 1, 0, 0}, XF_LTOL, {1, 1}, {}},
        {"infinite offset", {1, 0, 0, 1, inf, 0}, XF_LTOL, {1, 1}, {}},
        {"beyond 32 bits", {1e10f, 0, 0, 1, 0, 0}, XF_LTOL, {1, 0}, {}},
        {"fits as long, not as 28.4", {1e8f, 0, 0, 1, 0, 0}, XF_LTOFX, {10, 0}, {}},
        {"just past the largest long", {1, 0, 0, 1, 2147483647.0f, 0}, XF_LTOL, {1, 0}, {}},
        {"singular inverse", {0, 0, 0, 0, 0, 0}, XF_INV_LTOL, {1, 0}, {}},
        {"unknown mode", {1, 0, 0, 1, 0, 0}, 99, {1, 0}, {}},
    };
    for (const ApplyCase& c : cases) {
        standin::engine::Xform xform = standin::engine::MakeXform(c.matrix);
        POINTL in[2] = {{0, 0}, c.in};  // the first point fits: nothing may be written
        POINTL out[2] = {{0x7777, 0x7777}, {0x7777, 0x7777}};
        EXPECT_FALSE(XFORMOBJ_bApplyXform(xform.get(), c.mode, 2, in, out)) << c.what;
        EXPECT_EQ(0x7777, out[0].x) << c.what;
    }
    // A 28.4 result at the edge of 32 bits still fits.
    standin::engine::Xform unit = standin::engine::MakeXform({1, 0, 0, 1, 0, 0});
    POINTL edge{(1 << 27) - 1, -(1 << 27)}, out{};
    EXPECT_TRUE(XFORMOBJ_bApplyXform(unit.get(), XF_LTOFX, 1, &edge, &out));
    EXPECT_EQ(0x7FFFFFF0, out.x);
    EXPECT_EQ(std::numeric_limits<LONG>::min(), out.y);

    XFORMOBJ forged{};
    EXPECT_FALSE(XFORMOBJ_bApplyXform(&forged, XF_LTOL, 1, &edge, &out));
}

TEST_F(EngineXformTest, TranslationIsATableOrTrivial) {
    standin::engine::Xlate table = standin::engine::MakeXlate({0x0000FF, 0x00FF00, 0xFF0000});
    ASSERT_NE(nullptr, table.get());
    EXPECT_EQ(static_cast<FLONG>(XO_TABLE), table.get()->flXlate);
    ASSERT_EQ(3u, table.get()->cEntries);
    EXPECT_EQ(0x00FF00u, table.get()->pulXlate[1]);

    standin::engine::Xlate trivial = standin::engine::MakeXlate({});
    EXPECT_EQ(static_cast<FLONG>(XO_TRIVIAL), trivial.get()->flXlate);
    EXPECT_EQ(0u, trivial.get()->cEntries);
    EXPECT_EQ(nullptr, trivial.get()->pulXlate);
    EXPECT_NE(table.get()->iUniq, trivial.get()->iUniq);
}

}  // namespace
