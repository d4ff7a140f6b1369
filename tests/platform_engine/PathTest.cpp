// Paths and clip objects as the driver enumerates them, and the engine's fills and strokes.
#include <vector>

#include "tests/platform_engine/EngineTestSupport.h"

namespace {

using enginetest::Show;
using enginetest::TestBitmap;
using standin::engine::FixPoint;

TEST(EnginePathObjectTest, EnumeratesOneFigureAtATime) {
    standin::engine::Path path = standin::engine::MakePath(
        {{FixPoint(1, 2), FixPoint(9, 2), FixPoint(9, 7)}, {FixPoint(-3, 4), {5, 99}}}, true);
    ASSERT_NE(nullptr, path.get());
    EXPECT_EQ(4u, path.get()->cCurves);  // 2 lines and the closing one; a 2-point figure is 1 line
    EXPECT_EQ(0u, path.get()->fl & PO_ALL_INTEGERS);  // (5, 100) is not on whole dots

    RECTFX bounds{};
    PATHOBJ_vGetBounds(path.get(), &bounds);
    EXPECT_EQ(-3 * 16, bounds.xLeft);
    EXPECT_EQ(2 * 16, bounds.yTop);
    EXPECT_EQ(9 * 16, bounds.xRight);
    EXPECT_EQ(7 * 16, bounds.yBottom);

    PATHOBJ_vEnumStart(path.get());
    PATHDATA pd{};
    EXPECT_TRUE(PATHOBJ_bEnum(path.get(), &pd));
    EXPECT_EQ(PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_CLOSEFIGURE, pd.flags);
    ASSERT_EQ(3u, pd.count);
    EXPECT_EQ(9 * 16, pd.pptfx[2].x);
    EXPECT_FALSE(PATHOBJ_bEnum(path.get(), &pd));  // the last figure comes with FALSE
    ASSERT_EQ(2u, pd.count);
    EXPECT_EQ(-3 * 16, pd.pptfx[0].x);
    EXPECT_FALSE(PATHOBJ_bEnum(path.get(), &pd));
    EXPECT_EQ(0u, pd.count);

    PATHOBJ_vEnumStart(path.get());
    EXPECT_TRUE(PATHOBJ_bEnum(path.get(), &pd));
    EXPECT_EQ(3u, pd.count);

    standin::engine::Path open = standin::engine::MakePath({{FixPoint(0, 0), FixPoint(4, 0)}}, false);
    EXPECT_FALSE(PATHOBJ_bEnum(open.get(), &pd));
    EXPECT_EQ(PD_BEGINSUBPATH | PD_ENDSUBPATH, pd.flags);
    EXPECT_EQ(static_cast<FLONG>(PO_ALL_INTEGERS), open.get()->fl);
}

TEST(EnginePathObjectTest, UnknownPathsGiveNothing) {
    PATHOBJ forged{};
    PATHDATA pd{1, 1, nullptr};
    PATHOBJ_vEnumStart(&forged);
    EXPECT_FALSE(PATHOBJ_bEnum(&forged, &pd));
    EXPECT_EQ(0u, pd.count);
    RECTFX bounds{1, 1, 1, 1};
    PATHOBJ_vGetBounds(&forged, &bounds);
    EXPECT_EQ(0, bounds.xRight);
    EngDeletePath(&forged);  // not the engine's: ignored

    standin::engine::Path moved = standin::engine::MakePath({{FixPoint(0, 0), FixPoint(1, 1)}}, false);
    PATHOBJ* raw = moved.get();
    standin::engine::Path owner = std::move(moved);
    EXPECT_EQ(nullptr, moved.get());
    owner = standin::engine::Path();  // frees the path
    EXPECT_FALSE(PATHOBJ_bEnum(raw, &pd));
}

// Room for `n` rectangles in an ENUMRECTS.
ULONG EnumBytes(ULONG n) { return static_cast<ULONG>(sizeof(ULONG) + n * sizeof(RECTL)); }

struct EnumBuffer {
    ULONG c;
    RECTL arcl[8];
};

TEST(EngineClipObjectTest, EnumeratesInBatchesThatFitTheBuffer) {
    standin::engine::Clip clip = standin::engine::MakeClip({{10, 5, 20, 8}, {0, 0, 4, 2}, {5, 0, 9, 2}, {1, 1, 1, 9}});
    ASSERT_EQ(DC_COMPLEX, clip.get()->iDComplexity);
    EXPECT_EQ(0, clip.get()->rclBounds.left);
    EXPECT_EQ(20, clip.get()->rclBounds.right);
    EXPECT_EQ(8, clip.get()->rclBounds.bottom);

    EXPECT_EQ(0xFFFFFFFFu, CLIPOBJ_cEnumStart(clip.get(), TRUE, CT_RECTANGLES, CD_ANY, 2));
    ASSERT_EQ(3u, CLIPOBJ_cEnumStart(clip.get(), TRUE, CT_RECTANGLES, CD_RIGHTDOWN, 0));  // the empty one is gone
    EnumBuffer buffer{};
    EXPECT_TRUE(CLIPOBJ_bEnum(clip.get(), EnumBytes(2), &buffer.c));
    ASSERT_EQ(2u, buffer.c);
    EXPECT_EQ(0, buffer.arcl[0].left);  // top row first, left to right
    EXPECT_EQ(5, buffer.arcl[1].left);
    EXPECT_FALSE(CLIPOBJ_bEnum(clip.get(), EnumBytes(2), &buffer.c));
    ASSERT_EQ(1u, buffer.c);
    EXPECT_EQ(10, buffer.arcl[0].left);
    EXPECT_FALSE(CLIPOBJ_bEnum(clip.get(), EnumBytes(2), &buffer.c));
    EXPECT_EQ(0u, buffer.c);

    CLIPOBJ_cEnumStart(clip.get(), TRUE, CT_RECTANGLES, CD_LEFTUP, 0);
    EXPECT_FALSE(CLIPOBJ_bEnum(clip.get(), sizeof buffer, &buffer.c));
    ASSERT_EQ(3u, buffer.c);
    EXPECT_EQ(10, buffer.arcl[0].left);
    EXPECT_EQ(5, buffer.arcl[1].left);

    // A buffer with no room for a rectangle ends the enumeration rather than looping.
    CLIPOBJ_cEnumStart(clip.get(), TRUE, CT_RECTANGLES, CD_ANY, 0);
    EXPECT_FALSE(CLIPOBJ_bEnum(clip.get(), EnumBytes(0), &buffer.c));
    EXPECT_EQ(0u, buffer.c);
}

TEST(EngineClipObjectTest, HostRecordsAndPathsOfTheRegion) {
    CLIPOBJ single{};
    single.iDComplexity = DC_RECT;
    single.rclBounds = RECTL{1, 2, 3, 4};
    EXPECT_EQ(1u, CLIPOBJ_cEnumStart(&single, TRUE, CT_RECTANGLES, CD_ANY, 0));
    EnumBuffer buffer{};
    EXPECT_FALSE(CLIPOBJ_bEnum(&single, sizeof buffer, &buffer.c));
    ASSERT_EQ(1u, buffer.c);
    EXPECT_EQ(3, buffer.arcl[0].right);

    standin::engine::Clip clip = standin::engine::MakeClip({{0, 0, 4, 2}, {5, 1, 9, 3}});
    PATHOBJ* path = CLIPOBJ_ppoGetPath(clip.get());
    ASSERT_NE(nullptr, path);
    PATHOBJ_vEnumStart(path);
    PATHDATA pd{};
    EXPECT_TRUE(PATHOBJ_bEnum(path, &pd));
    ASSERT_EQ(4u, pd.count);
    EXPECT_EQ(PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_CLOSEFIGURE, pd.flags);
    EXPECT_EQ(4 * 16, pd.pptfx[2].x);
    EXPECT_EQ(2 * 16, pd.pptfx[2].y);
    EXPECT_FALSE(PATHOBJ_bEnum(path, &pd));
    EXPECT_EQ(9 * 16, pd.pptfx[1].x);
    EngDeletePath(path);
    EXPECT_FALSE(PATHOBJ_bEnum(path, &pd));

    standin::engine::Clip none = standin::engine::MakeClip({});
    EXPECT_EQ(DC_RECT, none.get()->iDComplexity);
    EXPECT_EQ(0u, CLIPOBJ_cEnumStart(none.get(), TRUE, CT_RECTANGLES, CD_ANY, 0));
}

class EngineFillTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, bmp_.so());
        bmp_.Clear(true);
    }
    BOOL Fill(const standin::engine::Path& path, FLONG mode, CLIPOBJ* clip = nullptr) {
        return EngFillPath(bmp_.so(), path.get(), clip, &black_, nullptr, R2_COPYPEN, mode);
    }
    // Black pixels of each row, as counts.
    std::vector<int> RowCounts() const {
        std::vector<int> counts;
        for (LONG y = 0; y < bmp_.so()->sizlBitmap.cy; ++y) counts.push_back(bmp_.CountBlack(RECTL{0, y, 64, y + 1}));
        return counts;
    }

    TestBitmap bmp_{32, 20};
    BRUSHOBJ black_ = enginetest::SolidBrush(enginetest::kBlack);
};

TEST_F(EngineFillTest, RectangleCoversItsPixelsExactly) {
    auto path = standin::engine::MakePath({{FixPoint(2, 1), FixPoint(12, 1), FixPoint(12, 6), FixPoint(2, 6)}}, true);
    ASSERT_TRUE(Fill(path, FP_ALTERNATEMODE));
    EXPECT_EQ(50, bmp_.CountBlack());
    EXPECT_EQ(50, bmp_.CountBlack(RECTL{2, 1, 12, 6})) << Show(bmp_.Picture());
}

TEST_F(EngineFillTest, TriangleRowsFollowTheSlantedEdge) {
    // Right angle at the origin: row y holds the centres x < 16 - y.
    auto path = standin::engine::MakePath({{FixPoint(0, 0), FixPoint(16, 0), FixPoint(0, 16)}}, false);
    ASSERT_TRUE(Fill(path, FP_WINDINGMODE));
    const std::vector<int> counts = RowCounts();
    for (int y = 0; y < 20; ++y) EXPECT_EQ(y < 16 ? 16 - y : 0, counts[y]) << "row " << y << Show(bmp_.Picture());
    EXPECT_EQ(136, bmp_.CountBlack());
    EXPECT_EQ(0, bmp_.CountBlack(RECTL{16, 0, 32, 20}));
}

TEST_F(EngineFillTest, FillModeDecidesAboutTheInnerFigure) {
    // Two squares drawn the same way round, the small one inside the large one.
    auto path = standin::engine::MakePath({{FixPoint(0, 0), FixPoint(10, 0), FixPoint(10, 10), FixPoint(0, 10)},
                                           {FixPoint(3, 3), FixPoint(7, 3), FixPoint(7, 7), FixPoint(3, 7)}},
                                          true);
    ASSERT_TRUE(Fill(path, FP_ALTERNATEMODE));
    EXPECT_EQ(100 - 16, bmp_.CountBlack());
    EXPECT_EQ(0, bmp_.CountBlack(RECTL{3, 3, 7, 7}));
    bmp_.Clear(true);
    ASSERT_TRUE(Fill(path, FP_WINDINGMODE));
    EXPECT_EQ(100, bmp_.CountBlack());
}

TEST_F(EngineFillTest, ClippedToTheRegionAndTheBitmap) {
    auto path = standin::engine::MakePath({{FixPoint(-10, -10), FixPoint(100, -10), FixPoint(100, 100),
                                            FixPoint(-10, 100)}},
                                          true);
    standin::engine::Clip clip = standin::engine::MakeClip({{0, 0, 2, 2}, {30, 18, 40, 30}});
    ASSERT_TRUE(Fill(path, FP_ALTERNATEMODE, clip.get()));
    EXPECT_EQ(4 + 4, bmp_.CountBlack()) << Show(bmp_.Picture());
    ASSERT_TRUE(Fill(path, FP_ALTERNATEMODE));
    EXPECT_EQ(32 * 20, bmp_.CountBlack());
    // A path the engine did not make is refused.
    PATHOBJ forged{};
    EXPECT_FALSE(EngFillPath(bmp_.so(), &forged, nullptr, &black_, nullptr, R2_COPYPEN, FP_ALTERNATEMODE));
}

class EngineStrokeTest : public EngineFillTest {
protected:
    BOOL Stroke(const standin::engine::Path& path, LINEATTRS* la = nullptr) {
        return EngStrokePath(bmp_.so(), path.get(), nullptr, nullptr, &black_, nullptr, la, R2_COPYPEN);
    }
    static LINEATTRS Geometric(float width, ULONG join, ULONG cap) {
        LINEATTRS la{};
        la.fl = LA_GEOMETRIC;
        la.iJoin = join;
        la.iEndCap = cap;
        la.elWidth.e = width;
        la.eMiterLimit = 10.0f;
        return la;
    }
};

TEST_F(EngineStrokeTest, CosmeticLinesAreOnePixelWithoutTheirLastPixel) {
    auto horizontal = standin::engine::MakePath({{FixPoint(2, 3), FixPoint(12, 3)}}, false);
    ASSERT_TRUE(Stroke(horizontal));
    EXPECT_EQ(10, bmp_.CountBlack());
    EXPECT_EQ(10, bmp_.CountBlack(RECTL{2, 3, 12, 4})) << Show(bmp_.Picture());

    bmp_.Clear(true);
    auto diagonal = standin::engine::MakePath({{FixPoint(0, 0), FixPoint(5, 5)}}, false);
    ASSERT_TRUE(Stroke(diagonal));
    EXPECT_EQ(5, bmp_.CountBlack());
    for (LONG i = 0; i < 5; ++i) EXPECT_FALSE(bmp_.White(i, i)) << i;

    // A closed outline meets itself: every corner once, 2 * (6 + 4) pixels.
    bmp_.Clear(true);
    auto box = standin::engine::MakePath({{FixPoint(1, 1), FixPoint(7, 1), FixPoint(7, 5), FixPoint(1, 5)}}, true);
    ASSERT_TRUE(Stroke(box));
    EXPECT_EQ(20, bmp_.CountBlack()) << Show(bmp_.Picture());
    EXPECT_EQ(0, bmp_.CountBlack(RECTL{2, 2, 7, 5}));

    // Thin geometric lines are drawn as cosmetic ones.
    bmp_.Clear(true);
    LINEATTRS thin = Geometric(1.0f, JOIN_MITER, ENDCAP_BUTT);
    ASSERT_TRUE(Stroke(horizontal, &thin));
    EXPECT_EQ(10, bmp_.CountBlack());
}

TEST_F(EngineStrokeTest, WideLinesFollowTheirWidthAndCaps) {
    auto line = standin::engine::MakePath({{FixPoint(4, 10), FixPoint(24, 10)}}, false);
    struct Case {
        ULONG cap;
        RECTL covered;  // exactly the black pixels
    } const cases[] = {
        {ENDCAP_BUTT, {4, 7, 24, 13}},
        {ENDCAP_SQUARE, {1, 7, 27, 13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cap);
        bmp_.Clear(true);
        LINEATTRS la = Geometric(6.0f, JOIN_MITER, c.cap);
        ASSERT_TRUE(Stroke(line, &la));
        const int area = (c.covered.right - c.covered.left) * (c.covered.bottom - c.covered.top);
        EXPECT_EQ(area, bmp_.CountBlack(c.covered)) << Show(bmp_.Picture());
        EXPECT_EQ(area, bmp_.CountBlack()) << Show(bmp_.Picture());
    }

    // Round caps reach beyond the ends but stay inside the square caps' box.
    bmp_.Clear(true);
    LINEATTRS round = Geometric(6.0f, JOIN_ROUND, ENDCAP_ROUND);
    ASSERT_TRUE(Stroke(line, &round));
    EXPECT_GT(bmp_.CountBlack(), 20 * 6);
    EXPECT_EQ(bmp_.CountBlack(), bmp_.CountBlack(RECTL{1, 7, 27, 13}));
    EXPECT_FALSE(bmp_.White(2, 10));
}

TEST_F(EngineStrokeTest, MiterJoinFillsTheOuterCorner) {
    // Right, then down: the outer corner is at the top right.
    auto corner = standin::engine::MakePath({{FixPoint(4, 6), FixPoint(20, 6), FixPoint(20, 18)}}, false);
    LINEATTRS miter = Geometric(4.0f, JOIN_MITER, ENDCAP_BUTT);
    ASSERT_TRUE(Stroke(corner, &miter));
    EXPECT_EQ(4, bmp_.CountBlack(RECTL{20, 4, 22, 6})) << Show(bmp_.Picture());
    bmp_.Clear(true);
    LINEATTRS bevel = Geometric(4.0f, JOIN_BEVEL, ENDCAP_BUTT);
    ASSERT_TRUE(Stroke(corner, &bevel));
    EXPECT_TRUE(bmp_.White(21, 4)) << Show(bmp_.Picture());  // the bevel cuts the tip off
    EXPECT_FALSE(bmp_.White(20, 5));
}

TEST_F(EngineStrokeTest, StrokeAndFillDrawsBoth) {
    TestBitmap gray(12, 12, BMF_8BPP, BMF_TOPDOWN);
    ASSERT_NE(nullptr, gray.so());
    auto box = standin::engine::MakePath({{FixPoint(2, 2), FixPoint(9, 2), FixPoint(9, 9), FixPoint(2, 9)}}, true);
    BRUSHOBJ outline = enginetest::SolidBrush(0xFFFFFF);
    BRUSHOBJ inside = enginetest::SolidBrush(0x808080);
    ASSERT_TRUE(EngStrokeAndFillPath(gray.so(), box.get(), nullptr, nullptr, &outline, nullptr, &inside, nullptr,
                                     R2_COPYPEN, FP_ALTERNATEMODE));
    EXPECT_EQ(0xFF, gray.Row(2)[2]);   // on the outline
    EXPECT_EQ(0x80, gray.Row(5)[5]);   // inside
    EXPECT_EQ(0x00, gray.Row(10)[5]);  // outside
    EXPECT_FALSE(EngStrokeAndFillPath(gray.so(), box.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      R2_COPYPEN, FP_ALTERNATEMODE));
}

}  // namespace
