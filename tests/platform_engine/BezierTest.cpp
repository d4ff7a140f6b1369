// Paths made of records: how the driver enumerates them (one record per call, Bezier flags,
// closed figures) and how the engine's own fills and strokes flatten their curves; the path
// of a complex clip region.
#include <vector>

#include "tests/platform_engine/EngineTestSupport.h"

namespace {

using enginetest::Show;
using enginetest::TestBitmap;
using standin::engine::FixPoint;
using standin::engine::PathRecord;

using EngineBezierTest = enginetest::EngineLeakTest;

// One figure: a line, a curve over the top, a line back down and the closing line.
std::vector<PathRecord> Arch() {
    return {
        {PD_BEGINSUBPATH, {FixPoint(2, 20), FixPoint(2, 18)}},
        {PD_BEZIERS, {FixPoint(2, 2), FixPoint(30, 2), FixPoint(30, 18)}},
        {PD_ENDSUBPATH | PD_CLOSEFIGURE, {FixPoint(30, 20)}},
    };
}

TEST_F(EngineBezierTest, HandsOutOneRecordPerCallAndStartsOver) {
    std::vector<PathRecord> records = Arch();
    records.push_back({PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_BEZIERS,
                       {FixPoint(0, 0), FixPoint(1, 1), FixPoint(2, 1), FixPoint(3, 0)}});
    standin::engine::Path path = standin::engine::MakePathRecords(records);
    ASSERT_NE(nullptr, path.get());
    EXPECT_EQ(PO_BEZIERS | PO_ALL_INTEGERS, path.get()->fl);
    // Arch: a line, a curve, a line and the closing line; then one open curve.
    EXPECT_EQ(5u, path.get()->cCurves);

    for (int pass = 0; pass < 2; ++pass) {
        PATHOBJ_vEnumStart(path.get());
        for (size_t i = 0; i < records.size(); ++i) {
            PATHDATA pd{};
            const BOOL more = PATHOBJ_bEnum(path.get(), &pd);
            EXPECT_EQ(i + 1 < records.size(), more != FALSE) << "record " << i;  // FALSE with the last
            EXPECT_EQ(records[i].flags, pd.flags) << "record " << i;
            ASSERT_EQ(records[i].points.size(), pd.count) << "record " << i;
            for (size_t k = 0; k < pd.count; ++k) {
                EXPECT_EQ(records[i].points[k].x, pd.pptfx[k].x);
                EXPECT_EQ(records[i].points[k].y, pd.pptfx[k].y);
            }
        }
        PATHDATA after{};
        EXPECT_FALSE(PATHOBJ_bEnum(path.get(), &after));
        EXPECT_EQ(0u, after.count);
    }

    RECTFX bounds{};
    PATHOBJ_vGetBounds(path.get(), &bounds);  // control points count
    EXPECT_EQ(0, bounds.xLeft);
    EXPECT_EQ(0, bounds.yTop);
    EXPECT_EQ(30 * 16, bounds.xRight);
    EXPECT_EQ(20 * 16, bounds.yBottom);
}

TEST_F(EngineBezierTest, FillFollowsTheCurveNotItsControlPoints) {
    TestBitmap bmp(32, 24);
    bmp.Clear(true);
    BRUSHOBJ black = enginetest::SolidBrush(enginetest::kBlack);
    standin::engine::Path path = standin::engine::MakePathRecords(Arch());
    ASSERT_TRUE(EngFillPath(bmp.so(), path.get(), nullptr, &black, nullptr, R2_COPYPEN, FP_ALTERNATEMODE));
    // The curve's top is at y = 6.5 in the middle; the control points are at y = 2.
    EXPECT_FALSE(bmp.White(16, 8)) << Show(bmp.Picture());
    EXPECT_TRUE(bmp.White(16, 5)) << Show(bmp.Picture());
    EXPECT_TRUE(bmp.White(3, 4)) << Show(bmp.Picture());
    EXPECT_FALSE(bmp.White(3, 17)) << Show(bmp.Picture());
    EXPECT_TRUE(bmp.White(16, 21)) << Show(bmp.Picture());
}

TEST_F(EngineBezierTest, StrokeRunsAlongTheCurve) {
    TestBitmap bmp(32, 24);
    bmp.Clear(true);
    BRUSHOBJ black = enginetest::SolidBrush(enginetest::kBlack);
    standin::engine::Path path = standin::engine::MakePathRecords(
        {{PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_BEZIERS, {FixPoint(2, 18), FixPoint(2, 2), FixPoint(30, 2), FixPoint(30, 18)}}});
    ASSERT_TRUE(EngStrokePath(bmp.so(), path.get(), nullptr, nullptr, &black, nullptr, nullptr, R2_COPYPEN));
    // The middle column is crossed once, at the top of the curve; nothing reaches the
    // control points' row.
    int topRow = -1;
    for (LONG y = 0; y < 24; ++y)
        if (!bmp.White(16, y)) topRow = topRow < 0 ? y : topRow;
    EXPECT_TRUE(topRow == 6 || topRow == 7) << Show(bmp.Picture());
    EXPECT_EQ(1, bmp.CountBlack(RECTL{16, 0, 17, 24})) << Show(bmp.Picture());
    EXPECT_EQ(0, bmp.CountBlack(RECTL{0, 0, 32, 4})) << Show(bmp.Picture());
    EXPECT_FALSE(bmp.White(2, 17)) << Show(bmp.Picture());  // it starts at its start point
}

TEST_F(EngineBezierTest, FigureMayGoOnOverSeveralRecords) {
    TestBitmap split(16, 12), whole(16, 12);
    split.Clear(true);
    whole.Clear(true);
    BRUSHOBJ black = enginetest::SolidBrush(enginetest::kBlack);
    standin::engine::Path pieces = standin::engine::MakePathRecords({
        {PD_BEGINSUBPATH, {FixPoint(1, 1), FixPoint(12, 1)}},
        {0, {FixPoint(12, 9)}},
        {PD_ENDSUBPATH | PD_CLOSEFIGURE, {FixPoint(1, 9)}},
    });
    standin::engine::Path one =
        standin::engine::MakePath({{FixPoint(1, 1), FixPoint(12, 1), FixPoint(12, 9), FixPoint(1, 9)}}, true);
    EXPECT_EQ(4u, pieces.get()->cCurves);
    ASSERT_TRUE(EngFillPath(split.so(), pieces.get(), nullptr, &black, nullptr, R2_COPYPEN, FP_WINDINGMODE));
    ASSERT_TRUE(EngFillPath(whole.so(), one.get(), nullptr, &black, nullptr, R2_COPYPEN, FP_WINDINGMODE));
    EXPECT_EQ(whole.Picture(), split.Picture()) << Show(split.Picture());
    EXPECT_EQ(88, split.CountBlack());
}

TEST_F(EngineBezierTest, PathOfAComplexClipFillsItsRegionExactly) {
    standin::engine::Clip clip = standin::engine::MakeClip({{1, 1, 5, 3}, {7, 1, 9, 6}, {2, 4, 4, 7}});
    ASSERT_EQ(DC_COMPLEX, clip.get()->iDComplexity);
    PATHOBJ* path = CLIPOBJ_ppoGetPath(clip.get());
    ASSERT_NE(nullptr, path);
    TestBitmap viaPath(12, 8), viaClip(12, 8);
    viaPath.Clear(true);
    viaClip.Clear(true);
    BRUSHOBJ black = enginetest::SolidBrush(enginetest::kBlack);
    EXPECT_TRUE(EngFillPath(viaPath.so(), path, nullptr, &black, nullptr, R2_COPYPEN, FP_WINDINGMODE));
    EXPECT_TRUE(EngPaint(viaClip.so(), clip.get(), &black, nullptr, R2_COPYPEN));
    EXPECT_EQ(viaClip.Picture(), viaPath.Picture()) << Show(viaPath.Picture());
    EXPECT_EQ(8 + 10 + 6, viaPath.CountBlack());
    EngDeletePath(path);
}

}  // namespace
