// The clip of each drawing piece: rectangles, the clip path with its stored copy, the
// rectangles of a complex region one by one (the last one included), and compute-only mode.
#include <gtest/gtest.h>

#include <vector>

#include "render/draw/Clip.h"
#include "render/draw/DrawingState.h"
#include "render/draw/PathOutput.h"
#include "tests/render_path/PathFixture.h"

namespace pathtest {
namespace {

using standin::engine::MakeClip;
using standin::engine::MakePath;

class ClipRegionTest : public PathTest {
protected:
    void TearDown() override {
        standin::ClearFaults();
        PathTest::TearDown();
    }
};

const std::vector<RECTL> kTwoRects = {{10, 20, 60, 120}, {100, 20, 150, 40}};

TEST_F(ClipRegionTest, RectangleClipIsSentAndEndsTheLoop) {
    auto device = Device();
    PDEV* p = device->pdev();
    p->StateFlags |= kStateClipPath;
    auto clip = MakeClip({{10, 20, 59, 119}});
    ASSERT_EQ(clip.get()->iDComplexity, DC_RECT);
    DWORD mark = 1;
    RECTL bounds{};
    EXPECT_FALSE(SetClipRegion(p, clip.get(), &bounds, &mark));
    Golden expected;
    expected.Add("position (10,20)", {0xB6, 0x0A, 0x00, 0x14})
        .Add("B1: 100 high, 50 wide (right and bottom + 1)", {0xB1, 0x64, 0x00, 0x32});
    EXPECT_TRUE(expected.Matches(device->Buffered()));
    EXPECT_EQ(bounds.right, 60);
    EXPECT_EQ(bounds.bottom, 120);
    EXPECT_EQ(p->StateFlags & kStateClipPath, 0u) << "a rectangle clip ends clip-path mode";
}

TEST_F(ClipRegionTest, DeferredRectangleIsSavedForThePathWriter) {
    auto device = Device();
    PDEV* p = device->pdev();
    auto clip = MakeClip({{10, 20, 59, 119}});
    DWORD mark = 1;
    // Rectangle pending clear: the printer gets the page, the piece waits in ClipPiece.
    p->StateFlags |= kStateDeferredClip;
    EXPECT_FALSE(SetClipRegion(p, clip.get(), nullptr, &mark));
    EXPECT_TRUE(device->Buffered().empty()) << "the page clip is held already";
    EXPECT_EQ(p->Vector.ClipPiece.right, 60);
    EXPECT_EQ(p->Vector.ClipPiece.bottom, 120);
}

TEST_F(ClipRegionTest, EveryRectangleOfAComplexClipIsAPieceTheLastOneToo) {
    auto device = Device();
    PDEV* p = device->pdev();
    auto clip = MakeClip({{10, 20, 60, 120}, {100, 20, 150, 40}, {200, 300, 210, 310}});
    ASSERT_EQ(clip.get()->iDComplexity, DC_COMPLEX);
    DWORD mark = 1;
    std::vector<RECTL> pieces;
    for (int round = 0; round < 10; ++round) {
        RECTL bounds{};
        p->StateFlags |= kStateDeferredClip | kStateRectPending;
        if (!SetClipRegion(p, clip.get(), &bounds, &mark)) break;
        pieces.push_back(p->Vector.ClipPiece);
    }
    ASSERT_EQ(pieces.size(), 3u) << "the engine's last rectangle comes with FALSE and is drawn";
    EXPECT_EQ(pieces[2].left, 200);
    EXPECT_EQ(pieces[2].right, 211);
    EXPECT_EQ(mark, 0u);
    EXPECT_TRUE(device->Buffered().empty()) << "with a rectangle pending the path writer sends the piece";

    // A new call starts the enumeration again.
    mark = 1;
    p->StateFlags |= kStateDeferredClip | kStateRectPending;
    EXPECT_TRUE(SetClipRegion(p, clip.get(), nullptr, &mark));
    EXPECT_EQ(p->Vector.ClipPiece.left, 10);
}

TEST_F(ClipRegionTest, ComputeOnlyPiecesSendNothingAndKeepTheEdges) {
    auto device = Device();
    PDEV* p = device->pdev();
    p->StateFlags |= kStateClipComputeOnly;
    auto clip = MakeClip(kTwoRects);
    DWORD mark = 1;
    RECTL bounds{};
    ASSERT_TRUE(SetClipRegion(p, clip.get(), &bounds, &mark));
    EXPECT_EQ(bounds.right, 60) << "no + 1 when only computing";
    ASSERT_TRUE(SetClipRegion(p, clip.get(), &bounds, &mark));
    EXPECT_EQ(bounds.left, 100);
    EXPECT_FALSE(SetClipRegion(p, clip.get(), &bounds, &mark));
    EXPECT_TRUE(device->Buffered().empty());
}

TEST_F(ClipRegionTest, ComplexClipAsAClipPathSentOnce) {
    auto device = Device();
    PDEV* p = device->pdev();
    p->StateFlags |= kStateClipPath | kStateDeferredClip;
    auto clip = MakeClip(kTwoRects);
    DWORD mark = 1;
    RECTL bounds{};
    EXPECT_FALSE(SetClipRegion(p, clip.get(), &bounds, &mark)) << "one piece under the clip path";
    EXPECT_NE(p->StateFlags & kStateClipPath, 0u);
    EXPECT_EQ(p->StateFlags & kStateDeferredClip, 0u);
    EXPECT_EQ(bounds.left, 10);
    EXPECT_EQ(bounds.right, 151);
    const std::vector<BYTE> b = device->Buffered();
    ASSERT_GE(b.size(), 8u);
    EXPECT_EQ(Word(b, 0), 0xB504u) << "packed clip path";
    EXPECT_EQ(Word(b, 2), 11u) << "P + F + 1";
    const auto figures = DecodeFigures(b.data() + 8, Dword(b, 4), 11, 1, true);
    ASSERT_EQ(figures.size(), 2u);
    EXPECT_EQ(figures[1].points[0].x, 100);
    EXPECT_EQ(figures[1].points[2].y, 40);
    EXPECT_EQ(p->Draw.ClipRect.right, 0) << "the printer's clip rectangle is replaced";
    EXPECT_EQ(p->Draw.ClipPathStored, 1u);
    EXPECT_EQ(p->Draw.ClipPathPoints, 8);

    device->ClearBuffer();
    mark = 1;
    EXPECT_FALSE(SetClipRegion(p, clip.get(), &bounds, &mark));
    EXPECT_TRUE(device->Buffered().empty()) << "the same clip path is not sent again";

    // A rectangle clip drops the stored path; the path then goes out again.
    SetClipRectangle(p, RECTL{0, 0, 10, 10});
    EXPECT_EQ(p->Vector.ClipPathBlock, nullptr);
    device->ClearBuffer();
    mark = 1;
    p->StateFlags |= kStateClipPath;
    EXPECT_FALSE(SetClipRegion(p, clip.get(), &bounds, &mark));
    EXPECT_FALSE(device->Buffered().empty());
}

TEST_F(ClipRegionTest, PlainClipPathWhenThePackedBlocksCannotBeHad) {
    auto device = Device(300);
    PDEV* p = device->pdev();
    auto clip = MakeClip({{10, 20, 60, 120}});
    auto region = MakePath({{Fix(10, 20), Fix(60, 20), Fix(60, 120)}}, true);
    // The figure table and the stored copy are had; both packed blocks fail.
    standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY, 2, 2);
    ASSERT_TRUE(SetClipPath(p, region.get()));
    Golden expected;
    expected.Add("B5 02: plain clip path, 5 records", {0xB5, 0x02, 0x00, 0x05})
        .Add("figure of 3", {0x00, 0x00, 0x00, 0x03})
        .Add("points doubled at 300 dpi", Be16({20, 40, 120, 40, 120, 240}))
        .Add("end", {0x00, 0x00, 0x00, 0x00});
    EXPECT_TRUE(expected.Matches(device->Buffered()));
}

TEST_F(ClipRegionTest, ClipPathRefusalsFallBackToRectangles) {
    Limits limits;
    limits.clip = 10;  // two rectangles need 8 + 2 + 1
    auto device = Device(600, limits);
    PDEV* p = device->pdev();
    p->StateFlags |= kStateClipPath;
    p->Draw.ClipPathStored = 0;
    auto clip = MakeClip(kTwoRects);
    DWORD mark = 1;
    p->StateFlags |= kStateDeferredClip | kStateRectPending;
    EXPECT_TRUE(SetClipRegion(p, clip.get(), nullptr, &mark)) << "by rectangles";
    EXPECT_EQ(p->StateFlags & kStateClipPath, 0u);
    EXPECT_EQ(p->Vector.ClipPiece.left, 10);

    auto empty = MakePath({}, true);
    EXPECT_FALSE(SetClipPath(p, empty.get())) << "no points";
}

TEST_F(ClipRegionTest, ClipPathOfOnePointIsADotRectangle) {
    auto device = Device();
    PDEV* p = device->pdev();
    auto region = MakePath({{Fix(30, 40), Fix(30, 40), Fix(30, 40)}}, true);
    ASSERT_TRUE(SetClipPath(p, region.get()));
    Golden expected;
    expected.Add("position (30,40)", {0xB6, 0x1E, 0x00, 0x28}).Add("B1: one dot", {0xB1, 0x01, 0x00, 0x01});
    EXPECT_TRUE(expected.Matches(device->Buffered()));
}

TEST_F(ClipRegionTest, ClipPathFitsCountsPointsAndFigures) {
    auto clip = MakeClip(kTwoRects);  // 8 points, 2 figures
    auto single = MakeClip({{0, 0, 5, 5}});
    for (DWORD limit : {10u, 9u}) {
        Limits limits;
        limits.clip = limit;
        auto device = Device(600, limits);
        EXPECT_EQ(ClipPathFits(device->pdev(), clip.get()), limit == 10 ? TRUE : FALSE) << limit;
        EXPECT_TRUE(ClipPathFits(device->pdev(), single.get()));
        EXPECT_TRUE(ClipPathFits(device->pdev(), nullptr));
    }
}

TEST_F(ClipRegionTest, FilledRectangleForms) {
    struct Case {
        const char* name;
        SHORT dpi;
        WORD scale;
        RECTL rect;
        DWORD outline;
        std::vector<BYTE> expected;
    };
    const Case cases[] = {
        {"short form", 600, 100, {10, 20, 60, 120}, 0, {0xDB, 0x64, 0x00, 0x32, 0x00, 0x0A, 0x00, 0x14}},
        {"outlined", 600, 100, {10, 20, 60, 120}, 1, {0xDC, 0x64, 0x00, 0x32, 0x00, 0x0A, 0x00, 0x14}},
        {"height 0 is sent as 1", 600, 100, {10, 20, 60, 20}, 0, {0xDB, 0x01, 0x00, 0x32, 0x00, 0x0A, 0x00, 0x14}},
        {"256 high: long form", 600, 100, {10, 20, 60, 276}, 0,
         {0xDD, 0x00, 0x01, 0x00, 0x00, 0x32, 0x00, 0x0A, 0x00, 0x14, 0x00, 0x00}},
        {"long and outlined", 600, 100, {10, 20, 60, 320}, 1,
         {0xDE, 0x00, 0x01, 0x2C, 0x00, 0x32, 0x00, 0x0A, 0x00, 0x14, 0x00, 0x00}},
        {"doubled at 300 dpi", 300, 100, {10, 20, 60, 120}, 0, {0xDB, 0xC8, 0x00, 0x64, 0x00, 0x14, 0x00, 0x28}},
        {"scaled to 50 %", 600, 50, {10, 20, 60, 120}, 0, {0xDB, 0x32, 0x00, 0x19, 0x00, 0x05, 0x00, 0x0A}},
        {"past the 16-bit extent: held at 65535, not wrapped", 600, 100, {0, 0, 70000, 10}, 0,
         {0xDB, 0x0A, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}},
        {"corner past 16 bits: not drawn", 600, 100, {40000, 0, 40010, 10}, 0, {}},
    };
    for (const Case& c : cases) {
        auto device = Device(c.dpi);
        PDEV* p = device->pdev();
        p->Geometry.ScalePercent = c.scale;
        p->SheetBlank = 1;
        WriteFilledRect(p, c.rect, c.outline);
        EXPECT_EQ(kvtest::CompareBytes(c.expected, device->Buffered()), "") << c.name;
        EXPECT_EQ(p->SheetBlank, c.expected.empty() ? 1u : 0u) << c.name;
    }
}

TEST_F(ClipRegionTest, PenGrayAndLogicalCode) {
    struct Case {
        const char* name;
        BYTE r, g, b;
        MIX mix;
        std::vector<BYTE> expected;
    };
    const Case cases[] = {
        {"R2_MASKPENNOT over R2_NOP is not taken", 0, 0, 0, 0x0B05, {}},
        {"copy pen, black", 0, 0, 0, 0x0D0D, {0xAD, 0x00, 0x10, 0x4F, 0xA6, 0x00, 0xF0, 0xF0}},
        {"copy pen over nothing, white", 255, 255, 255, 0x0B0D, {0xAD, 0x00, 0x4F, 0x4F, 0xA6, 0x00, 0xF0, 0xAA}},
        {"R2_BLACK both", 0, 0, 0, 0x0101, {0xAD, 0x00, 0x10, 0x4F, 0xA6, 0x00, 0xFF, 0xFF}},
        {"R2_WHITE both", 0, 0, 0, 0x1010, {0xAD, 0x00, 0x10, 0x4F, 0xA6, 0x00, 0x00, 0x00}},
        {"halves differ", 0, 0, 0, 0x0D07, {}},
        {"ROP2 17 does not exist", 0, 0, 0, 0x1111, {}},
    };
    for (const Case& c : cases) {
        auto device = Device();
        SetPenColor(device->pdev(), c.r, c.g, c.b, c.mix);
        EXPECT_EQ(kvtest::CompareBytes(c.expected, device->Buffered()), "") << c.name;
    }
    auto device = Device();
    SetPenColor(device->pdev(), 0, 0, 0, 0x0D0D);
    device->ClearBuffer();
    SetPenColor(device->pdev(), 0, 0, 0, 0x0D0D);
    EXPECT_TRUE(device->Buffered().empty()) << "held by the printer";
    EXPECT_EQ(PenLogicalCode(7), 0xA5);
}

}  // namespace
}  // namespace pathtest
