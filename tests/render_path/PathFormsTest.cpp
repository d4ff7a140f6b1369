// WritePath's binary forms: single figures packed and plain, several figures, the dot and the
// rectangle, and the packed forms decoded back against the plain ones.
#include <gtest/gtest.h>

#include <vector>

#include "render/draw/Clip.h"
#include "render/draw/DrawingState.h"
#include "render/draw/PathOutput.h"
#include "tests/render_path/PathFixture.h"

namespace pathtest {
namespace {

using standin::engine::MakePath;

class PathFormsTest : public PathTest {
protected:
    void TearDown() override {
        standin::ClearFaults();
        PathTest::TearDown();
    }
    /// The two work blocks of the next path can't be had: the plain form.
    static void NoWorkBlocks() { standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY, 0, 2); }
};

TEST_F(PathFormsTest, SingleFillPackedAndPlain) {
    {
        auto device = Device();
        auto path = MakePath({kTriangle}, false);
        device->pdev()->SheetBlank = 1;
        ASSERT_TRUE(Write(device->pdev(), path.get(), 2));
        Golden expected;
        expected.Add("E8 20: packed fill, alternate, 3 points", {0xE8, 0x20, 0x00, 0x03})
            .Add("length 6", {0x00, 0x00, 0x00, 0x06})
            .Add("(100,100) 664 664; +3 -10: 3 DA; -13 0: DD 0", {0x66, 0x46, 0x64, 0x3D, 0xAD, 0xD0});
        EXPECT_TRUE(expected.Matches(device->Buffered()));
        EXPECT_EQ(device->pdev()->SheetBlank, 0u);
        EXPECT_EQ(device->pdev()->Draw.Position.x, 90) << "the last point";
    }
    {
        auto device = Device();
        auto path = MakePath({kTriangle}, false);
        NoWorkBlocks();
        ASSERT_TRUE(Write(device->pdev(), path.get(), 3, FP_WINDINGMODE));
        Golden expected;
        expected.Add("E9 01: plain fill and stroke, winding, 3 points", {0xE9, 0x01, 0x00, 0x03})
            .Add("(100,100) (103,90) (90,90)", Be16({100, 100, 103, 90, 90, 90}));
        EXPECT_TRUE(expected.Matches(device->Buffered()));
        EXPECT_EQ(device->pdev()->Draw.PositionKnown, 1u);
        EXPECT_EQ(device->pdev()->Draw.Position.y, 90);
    }
}

TEST_F(PathFormsTest, OpenStrokePackedAndPlain) {
    {
        auto device = Device();
        auto path = MakePath({kTriangle}, false);
        ASSERT_TRUE(Write(device->pdev(), path.get(), 1));
        Golden expected;
        expected.Add("E0 04: packed polyline of 3, the first absolute", {0xE0, 0x04, 0x00, 0x03})
            .Add("length 6", {0x00, 0x00, 0x00, 0x06})
            .Add("points", {0x66, 0x46, 0x64, 0x3D, 0xAD, 0xD0});
        EXPECT_TRUE(expected.Matches(device->Buffered()));
        EXPECT_EQ(device->pdev()->Vector.Operation, 1u);
        EXPECT_EQ(device->pdev()->Vector.OutlineFlag, 0u);
    }
    {
        auto device = Device();
        auto path = MakePath({kTriangle}, false);
        NoWorkBlocks();
        ASSERT_TRUE(Write(device->pdev(), path.get(), 1));
        Golden expected;
        expected.Add("position (100,100)", {0xB6, 0x64, 0x00, 0x64})
            .Add("E0 00: polyline of 2 from the position", {0xE0, 0x00, 0x00, 0x02})
            .Add("(103,90) (90,90)", Be16({103, 90, 90, 90}));
        EXPECT_TRUE(expected.Matches(device->Buffered()));
    }
}

TEST_F(PathFormsTest, ClosedFigureMakesTheRestOfTheCallAClosedStroke) {
    auto device = Device();
    PDEV* p = device->pdev();
    auto path = MakePath({kTriangle}, true);
    ASSERT_TRUE(Write(p, path.get(), 1));
    Golden expected;
    expected.Add("A5 01 00 00: solid fill of gray 0 for the closed stroke", {0xA5, 0x01, 0x00, 0x00})
        .Add("E0 04: 4 points, the first again at the end", {0xE0, 0x04, 0x00, 0x04})
        .Add("length 8", {0x00, 0x00, 0x00, 0x08})
        .Add("664 664, 3 DA, DD 0, 5A 5A", {0x66, 0x46, 0x64, 0x3D, 0xAD, 0xD0, 0x5A, 0x5A});
    EXPECT_TRUE(expected.Matches(device->Buffered()));
    EXPECT_EQ(p->Vector.Operation, 4u);
    EXPECT_EQ(p->Vector.OutlineFlag, 1u);

    // A later piece of the same call sees operation 4 (and the fill state is held).
    device->ClearBuffer();
    auto open = MakePath({kTriangle}, false);
    ASSERT_TRUE(WritePath(p, open.get(), nullptr, nullptr, 0));
    const std::vector<BYTE> bytes = device->Buffered();
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(kvtest::CompareBytes(std::vector<BYTE>{0xE0, 0x04, 0x00, 0x04}, std::vector<BYTE>(bytes.begin(), bytes.begin() + 4)), "");
}

TEST_F(PathFormsTest, SeveralFiguresFill) {
    const std::vector<std::vector<POINTFIX>> figures = {kTriangle, {Fix(200, 200), Fix(210, 200), Fix(205, 190)}};
    {
        auto device = Device();
        auto path = MakePath(figures, true);
        ASSERT_TRUE(Write(device->pdev(), path.get(), 2, FP_WINDINGMODE));
        const std::vector<BYTE> b = device->Buffered();
        ASSERT_GE(b.size(), 8u);
        EXPECT_EQ(b[0], 0xE8);
        EXPECT_EQ(b[1], 0xA1) << "packed, several figures, winding";
        EXPECT_EQ(Word(b, 2), 9u) << "R = P + F + 1";
        const auto decoded = DecodeFigures(b.data() + 8, Dword(b, 4), 9, 1, true);
        ASSERT_EQ(decoded.size(), 2u);
        EXPECT_EQ(decoded[1].points[2].x, 205);
        EXPECT_EQ(decoded[1].points[2].y, 190);
        EXPECT_EQ(decoded[0].points[0].x, 100);
    }
    {
        auto device = Device();
        auto path = MakePath(figures, true);
        NoWorkBlocks();
        // The figure table is had; then both point blocks fail.
        standin::ClearFaults();
        standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY, 1, 2);
        ASSERT_TRUE(Write(device->pdev(), path.get(), 2));
        Golden expected;
        expected.Add("E8 80: plain, several figures, alternate, 9 records", {0xE8, 0x80, 0x00, 0x09})
            .Add("figure of 3", {0x00, 0x00, 0x00, 0x03})
            .Add("its points", Be16({100, 100, 103, 90, 90, 90}))
            .Add("figure of 3", {0x00, 0x00, 0x00, 0x03})
            .Add("its points", Be16({200, 200, 210, 200, 205, 190}))
            .Add("end of figures", {0x00, 0x00, 0x00, 0x00});
        EXPECT_TRUE(expected.Matches(device->Buffered()));
    }
}

TEST_F(PathFormsTest, SeveralFiguresStroke) {
    const std::vector<std::vector<POINTFIX>> figures = {kTriangle, {Fix(200, 200), Fix(210, 200)}};
    {
        auto device = Device();
        auto path = MakePath(figures, true);
        ASSERT_TRUE(Write(device->pdev(), path.get(), 1));
        const std::vector<BYTE> b = device->Buffered();
        ASSERT_GE(b.size(), 12u);
        EXPECT_EQ(b[0], 0xEA);
        EXPECT_EQ(b[1], 0x80) << "packed stroke of several figures";
        EXPECT_EQ(Word(b, 2), 5u + 3 * 2) << "closed: R = P + 3F";
        const auto decoded = DecodeFigures(b.data() + 8, Dword(b, 4), 11, 2, false);
        ASSERT_EQ(decoded.size(), 2u);
        EXPECT_EQ(decoded[0].pairs[0].y, 1);
        ASSERT_EQ(decoded[0].points.size(), 4u) << "closed: the first point again";
        EXPECT_EQ(decoded[0].points[3].x, 100);
        ASSERT_EQ(decoded[1].points.size(), 3u);
    }
    {
        // R above the curve-path limit: plain, figure by figure.
        Limits limits;
        limits.curve = 8;
        auto device = Device(600, limits);
        auto path = MakePath(figures, false);
        ASSERT_TRUE(Write(device->pdev(), path.get(), 1));
        Golden expected;
        expected.Add("position (100,100)", {0xB6, 0x64, 0x00, 0x64})
            .Add("E0 00: 2 more points", {0xE0, 0x00, 0x00, 0x02})
            .Add("(103,90) (90,90)", Be16({103, 90, 90, 90}))
            .Add("position (200,200)", {0xB8, 0x00, 0x00, 0xC8, 0x00, 0x00, 0x00, 0xC8})
            .Add("E0 00: 1 more point", {0xE0, 0x00, 0x00, 0x01})
            .Add("(210,200)", Be16({210, 200}));
        EXPECT_TRUE(expected.Matches(device->Buffered()));
    }
}

TEST_F(PathFormsTest, FiguresThatReturnToTheirStartAreWrittenOncePerFigure) {
    // The plain multi-figure stroke keeps the cached position in step figure by figure: a
    // second figure starting where the first started still gets its position command.
    Limits limits;
    limits.curve = 1;
    auto device = Device(600, limits);
    auto path = MakePath({{Fix(10, 10), Fix(20, 10)}, {Fix(10, 10), Fix(10, 20)}}, false);
    ASSERT_TRUE(Write(device->pdev(), path.get(), 1));
    Golden expected;
    expected.Add("position (10,10)", {0xB6, 0x0A, 0x00, 0x0A})
        .Add("E0 00: one point", {0xE0, 0x00, 0x00, 0x01})
        .Add("(20,10)", Be16({20, 10}))
        .Add("position (10,10) again: the printer stands at (20,10)", {0xB6, 0x0A, 0x00, 0x0A})
        .Add("E0 00: one point", {0xE0, 0x00, 0x00, 0x01})
        .Add("(10,20)", Be16({10, 20}));
    EXPECT_TRUE(expected.Matches(device->Buffered()));
}

TEST_F(PathFormsTest, PackedAndPlainCarryTheSamePoints) {
    // A random walk with steps of every coding size, at 600 and 300 dpi and in an N-up slot.
    std::vector<POINTFIX> walk;
    LONG x = 2000;
    LONG y = 2000;
    const LONG steps[] = {0, 1, -4, 5, -15, 16, -255, 256, -1000, 3, 40, -7};
    for (int i = 0; i < 60; ++i) {
        x += steps[i % 12];
        y -= steps[(i * 7) % 12];
        walk.push_back(Fix(x, y));
    }
    struct Case {
        const char* name;
        SHORT dpi;
        WORD pagesPerSheet;
    };
    for (const Case& c : {Case{"600 dpi", 600, 1}, Case{"300 dpi doubles", 300, 1}, Case{"2-up slot 1", 600, 2}}) {
        SCOPED_TRACE(c.name);
        auto packedDevice = Device(c.dpi, {}, c.pagesPerSheet);
        auto plainDevice = Device(c.dpi, {}, c.pagesPerSheet);
        for (PDEV* p : {packedDevice->pdev(), plainDevice->pdev()}) {
            if (c.pagesPerSheet == 2) {
                p->Geometry.ScalePercent = 50;
                p->Geometry.NupSlots[1] = RECTL{3000, 0, 6000, 4000};
                p->Geometry.CentringOffset = POINTL{7, 9};
                p->WantedPage.SlotIndex = 1;
                p->SentOrientation = static_cast<DWORD>(p->Settings.Public.dmOrientation);
                SetClipRectangle(p, p->Vector.ClipPiece);  // held before the path, as in the hooks
            }
        }
        packedDevice->ClearBuffer();
        plainDevice->ClearBuffer();
        auto path = MakePath({walk}, false);
        ASSERT_TRUE(Write(packedDevice->pdev(), path.get(), 2));
        NoWorkBlocks();
        ASSERT_TRUE(Write(plainDevice->pdev(), path.get(), 2));
        const std::vector<BYTE> packed = packedDevice->Buffered();
        const std::vector<BYTE> plain = plainDevice->Buffered();
        ASSERT_EQ(packed[1], 0x20);
        ASSERT_EQ(plain[1], 0x00);
        const std::vector<POINTL> decoded = DecodeSingle(packed.data() + 8, Dword(packed, 4), walk.size());
        ASSERT_EQ(plain.size(), 4 + 4 * walk.size());
        for (size_t i = 0; i < walk.size(); ++i) {
            EXPECT_EQ(decoded[i].x, SignedWord(plain, 4 + 4 * i)) << "point " << i;
            EXPECT_EQ(decoded[i].y, SignedWord(plain, 6 + 4 * i)) << "point " << i;
        }
        // The mapping itself: doubling at 300 dpi, scale and slot offset in N-up.
        const POINTL first = decoded[0];
        if (c.dpi == 300) {
            EXPECT_EQ(first.x, 2 * 2000);
        } else if (c.pagesPerSheet == 2) {
            EXPECT_EQ(first.x, 2000 / 2 + 3000 + 7);
            EXPECT_EQ(first.y, 2000 / 2 + 0 + 9);
        } else {
            EXPECT_EQ(first.x, 2000);
        }
    }
}

TEST_F(PathFormsTest, RectanglesAndDots) {
    const std::vector<POINTFIX> box = {Fix(10, 20), Fix(60, 20), Fix(60, 120), Fix(10, 120)};
    {
        SCOPED_TRACE("closed four-point box under a fill");
        auto device = Device();
        PDEV* p = device->pdev();
        DWORD mark = 1;
        EXPECT_FALSE(Piece(p, nullptr, &mark));
        auto path = MakePath({box}, true);
        ASSERT_TRUE(Write(p, path.get(), 2));
        Golden expected;
        expected.Add("DB: filled rectangle 101 high, 51 wide at (10,20)", {0xDB, 0x65, 0x00, 0x33, 0x00, 0x0A, 0x00, 0x14});
        EXPECT_TRUE(expected.Matches(device->Buffered()));
        EXPECT_EQ(p->StateFlags & (kStateRectPending | kStateDeferredClip), 0u);
    }
    {
        SCOPED_TRACE("five points, the last closing, under fill and stroke");
        auto device = Device();
        PDEV* p = device->pdev();
        p->StateFlags |= kStateRectPending;
        std::vector<POINTFIX> five = box;
        five.push_back(box[0]);
        auto path = MakePath({five}, false);
        ASSERT_TRUE(Write(p, path.get(), 3));
        Golden expected;
        expected.Add("DC: filled and outlined", {0xDC, 0x65, 0x00, 0x33, 0x00, 0x0A, 0x00, 0x14});
        EXPECT_TRUE(expected.Matches(device->Buffered()));
    }
    {
        SCOPED_TRACE("entirely outside the clip piece");
        auto device = Device();
        PDEV* p = device->pdev();
        p->Vector.ClipPiece = RECTL{200, 200, 300, 300};
        p->StateFlags |= kStateRectPending;
        auto path = MakePath({box}, true);
        ASSERT_TRUE(Write(p, path.get(), 2));
        EXPECT_TRUE(device->Buffered().empty());
        EXPECT_EQ(p->StateFlags & kStateRectPending, 0u);
    }
    {
        SCOPED_TRACE("four equal points under a closed stroke: the dot");
        auto device = Device();
        PDEV* p = device->pdev();
        p->StateFlags |= kStateRectPending;
        auto path = MakePath({{Fix(50, 60), Fix(50, 60), Fix(50, 60), Fix(50, 60)}}, true);
        ASSERT_TRUE(Write(p, path.get(), 1));
        Golden expected;
        expected.Add("A5 01 00 00: closed-stroke fill state", {0xA5, 0x01, 0x00, 0x00})
            .Add("position (50,60)", {0xB6, 0x32, 0x00, 0x3C})
            .Add("E0 00: one point (outline flag 1)", {0xE0, 0x00, 0x00, 0x01})
            .Add("the point plus (1,1)", Be16({51, 61}));
        EXPECT_TRUE(expected.Matches(device->Buffered()));
        EXPECT_EQ(p->Draw.Position.x, 51);
        EXPECT_EQ(p->Draw.Position.y, 61);
    }
    {
        SCOPED_TRACE("box at 300 dpi: extents and corner doubled");
        auto device = Device(300);
        PDEV* p = device->pdev();
        p->StateFlags |= kStateRectPending;
        auto path = MakePath({box}, true);
        ASSERT_TRUE(Write(p, path.get(), 2));
        Golden expected;
        expected.Add("DB: 202 high, 102 wide at (20,40)", {0xDB, 0xCA, 0x00, 0x66, 0x00, 0x14, 0x00, 0x28});
        EXPECT_TRUE(expected.Matches(device->Buffered()));
    }
}

TEST_F(PathFormsTest, RefusalsWriteNothing) {
    struct Case {
        const char* name;
        std::vector<std::vector<POINTFIX>> figures;
        DWORD operation;
        BOOL result;
    };
    const Case cases[] = {
        {"empty path", {}, 2, TRUE},
        {"fill of one repeated point", {{Fix(5, 5), Fix(5, 5), Fix(5, 5)}}, 2, FALSE},
        {"fill beyond 16 bits", {{Fix(10, 10), Fix(40000, 10), Fix(10, 50)}}, 2, FALSE},
        {"fill and stroke below -32768", {{Fix(10, 10), Fix(-40000, 10), Fix(10, 50)}}, 3, FALSE},
    };
    for (const Case& c : cases) {
        auto device = Device();
        auto path = MakePath(c.figures, false);
        EXPECT_EQ(Write(device->pdev(), path.get(), c.operation), c.result) << c.name;
        EXPECT_TRUE(device->Buffered().empty()) << c.name;
    }
}

TEST_F(PathFormsTest, StrokeBeyondSixteenBitsIsWrittenAsClippedSegments) {
    auto device = Device();
    PDEV* p = device->pdev();
    p->SheetBlank = 1;
    const LONG right = p->Vector.ClipPiece.right;
    auto path = MakePath({{Fix(100, 100), Fix(40000, 100), Fix(40000, 200), Fix(100, 200)}}, false);
    ASSERT_TRUE(Write(p, path.get(), 1));
    Golden expected;
    expected.Add("position (100,100)", {0xB6, 0x64, 0x00, 0x64})
        .Add("E0 00: one point", {0xE0, 0x00, 0x00, 0x01})
        .Add("cut at the clip piece's right edge", Be16({right, 100}))
        // (40000,100)-(40000,200) lies wholly right of the piece: nothing.
        .Add("position (right,200), from the path's own line", std::vector<BYTE>{0xB8, 0x00})
        .Add("x 16 bits, y 32 bits", Be16({right, 0, 200}))
        .Add("E0 00: one point", {0xE0, 0x00, 0x00, 0x01})
        .Add("(100,200)", Be16({100, 200}));
    EXPECT_TRUE(expected.Matches(device->Buffered()));
    EXPECT_EQ(p->SheetBlank, 0u) << "segments draw on the sheet";
}

}  // namespace
}  // namespace pathtest
