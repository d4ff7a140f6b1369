// Paths with Bezier curves: the EA command packed and plain, its converted counts against the
// limits and the 16-bit field, the range check of curve points, and the ASCII path language.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/draw/PathOutput.h"
#include "tests/render_path/PathFixture.h"

namespace pathtest {
namespace {

using standin::engine::MakePathRecords;
using standin::engine::PathRecord;

class CurvePathTest : public PathTest {
protected:
    void TearDown() override {
        standin::ClearFaults();
        PathTest::TearDown();
    }
    /// The next `count` allocations fail after `skip` that succeed.
    static void FailAllocations(unsigned skip, unsigned count) {
        standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY, skip, count);
    }
};

std::string Text(const std::vector<BYTE>& bytes) { return std::string(bytes.begin(), bytes.end()); }

/// (100,100), a line to (110,100), a curve to (140,100); closed.
std::vector<PathRecord> LineThenCurve() {
    return {{PD_BEGINSUBPATH, {Fix(100, 100), Fix(110, 100)}},
            {PD_BEZIERS | PD_ENDSUBPATH | PD_CLOSEFIGURE, {Fix(120, 110), Fix(130, 120), Fix(140, 100)}}};
}

TEST_F(CurvePathTest, PackedCurvePathCountsALinePointThrice) {
    auto device = Device();
    auto path = MakePathRecords(LineThenCurve());
    ASSERT_TRUE(Write(device->pdev(), path.get(), 2, FP_WINDINGMODE));
    const std::vector<BYTE> b = device->Buffered();
    ASSERT_GE(b.size(), 8u);
    EXPECT_EQ(b[0], 0xEA);
    EXPECT_EQ(b[1], 0x92) << "packed fill, winding";
    EXPECT_EQ(Word(b, 2), 2u + 7u) << "2F + start 1 + line 3 + curve 3";
    const auto figures = DecodeFigures(b.data() + 8, Dword(b, 4), 9, 2, false);
    ASSERT_EQ(figures.size(), 1u);
    EXPECT_EQ(figures[0].pairs[0].x, 0);
    EXPECT_EQ(figures[0].pairs[0].y, 1);
    EXPECT_EQ(figures[0].pairs[1].x, 1);
    EXPECT_EQ(figures[0].pairs[1].y, 7);
    const LONG want[][2] = {{100, 100}, {110, 100}, {110, 100}, {110, 100}, {120, 110}, {130, 120}, {140, 100}};
    ASSERT_EQ(figures[0].points.size(), 7u);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(figures[0].points[i].x, want[i][0]) << i;
        EXPECT_EQ(figures[0].points[i].y, want[i][1]) << i;
    }
}

TEST_F(CurvePathTest, ModeBytesOfEachOperation) {
    struct Case {
        DWORD operation;
        FLONG fill;
        BYTE mode;
    };
    // The figure is closed, so a stroke becomes a closed stroke (90).
    for (const Case& c : {Case{1, 0, 0x90}, Case{2, FP_ALTERNATEMODE, 0x82}, Case{3, FP_ALTERNATEMODE, 0x81},
                          Case{3, FP_WINDINGMODE, 0x91}}) {
        auto device = Device();
        auto path = MakePathRecords(LineThenCurve());
        ASSERT_TRUE(Write(device->pdev(), path.get(), c.operation, c.fill));
        const std::vector<BYTE> b = device->Buffered();
        ASSERT_GE(b.size(), 2u);
        EXPECT_EQ(b[1], c.mode) << "operation " << c.operation;
    }
}

TEST_F(CurvePathTest, PlainCurvePathAtThreeHundredDpi) {
    auto device = Device(300);
    auto path = MakePathRecords(LineThenCurve());
    FailAllocations(1, 2);  // the count table is had, the packed blocks are not
    ASSERT_TRUE(Write(device->pdev(), path.get(), 2));
    Golden expected;
    expected.Add("EA 02: plain curve fill, alternate, 9 records", {0xEA, 0x02, 0x00, 0x09})
        .Add("figure: 0 1, 1 7", {0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x07})
        .Add("start, doubled", Be16({200, 200}))
        .Add("line point three times", Be16({220, 200, 220, 200, 220, 200}))
        .Add("curve points", Be16({240, 220, 260, 240, 280, 200}));
    EXPECT_TRUE(expected.Matches(device->Buffered()));
}

TEST_F(CurvePathTest, ConvertedCountMustFitTheLimitAndSixteenBits) {
    // One figure: start, k line points (3 each), one curve segment (3): R = 2 + 1 + 3k + 3.
    Limits limits;
    limits.line = limits.curve = 100000;
    for (DWORD k : {21843u, 21844u}) {
        const DWORD r = 2 + 1 + 3 * k + 3;
        SCOPED_TRACE(r);
        std::vector<POINTFIX> line;
        for (DWORD i = 0; i < k + 1; ++i) line.push_back(Fix(100 + static_cast<LONG>(i % 3000), 100 + static_cast<LONG>(i / 3000)));
        auto path = MakePathRecords({{PD_BEGINSUBPATH, line},
                                     {PD_BEZIERS | PD_ENDSUBPATH, {Fix(10, 10), Fix(20, 20), Fix(30, 10)}}});
        auto device = Device(600, limits);
        const BOOL written = Write(device->pdev(), path.get(), 2);
        const std::vector<BYTE> b = device->Spooled();
        if (r <= 65535) {
            ASSERT_TRUE(written);
            EXPECT_EQ(Word(b, 2), r);
        } else {
            EXPECT_FALSE(written) << "a 16-bit count would wrap";
            EXPECT_TRUE(b.empty());
        }
    }
    // Within 16 bits but above the model's curve limit.
    limits.curve = 9;
    auto device = Device(600, limits);
    auto path = MakePathRecords(LineThenCurve());
    EXPECT_TRUE(Write(device->pdev(), path.get(), 2)) << "9 records: at the limit";
    limits.curve = 8;
    auto small = Device(600, limits);
    EXPECT_FALSE(Write(small->pdev(), path.get(), 2)) << "9 records: one past";
    EXPECT_TRUE(small->Buffered().empty());
}

TEST_F(CurvePathTest, CurvePointsOutOfRangeAreRefused) {
    // A stroke's curve control point beyond 16 bits would wrap in EA: refused, not split.
    auto device = Device();
    auto path = MakePathRecords({{PD_BEGINSUBPATH | PD_BEZIERS | PD_ENDSUBPATH,
                                  {Fix(100, 100), Fix(40000, 100), Fix(200, 300), Fix(300, 100)}}});
    EXPECT_FALSE(Write(device->pdev(), path.get(), 1));
    EXPECT_TRUE(device->Buffered().empty());
}

TEST_F(CurvePathTest, StrokeMixingClosedAndOpenCurvedFiguresIsRefused) {
    auto device = Device();
    auto path = MakePathRecords(
        {{PD_BEGINSUBPATH | PD_BEZIERS | PD_ENDSUBPATH | PD_CLOSEFIGURE, {Fix(10, 10), Fix(20, 20), Fix(30, 20), Fix(40, 10)}},
         {PD_BEGINSUBPATH | PD_ENDSUBPATH, {Fix(50, 50), Fix(60, 60)}}});
    EXPECT_FALSE(Write(device->pdev(), path.get(), 1));
    EXPECT_TRUE(device->Buffered().empty());
}

TEST_F(CurvePathTest, AsciiPathWhenTheCountTableCannotBeHad) {
    auto device = Device();
    PDEV* p = device->pdev();
    auto path = MakePathRecords(LineThenCurve());
    FailAllocations(0, 1);
    ASSERT_TRUE(Write(p, path.get(), 2, FP_WINDINGMODE));
    EXPECT_EQ(Text(device->Buffered()), "NP;MA100,100;PR10,0;BR10,10,10,10,10,-20;CP;EP;");
    EXPECT_NE(p->StateFlags & kStateAsciiPath, 0u);
    device->ClearBuffer();
    WriteFill(p, FP_WINDINGMODE);
    WriteFill(p, FP_ALTERNATEMODE);
    WriteStroke(p);
    EXPECT_EQ(Text(device->Buffered()), "FL;EF;ST;");
}

TEST_F(CurvePathTest, AsciiEdgeCases) {
    struct Case {
        const char* name;
        std::vector<PathRecord> records;
        BOOL result;
        std::string text;
    };
    const Case cases[] = {
        {"a line record with only its start point",
         {{PD_BEGINSUBPATH, {Fix(5, 5)}}, {PD_BEZIERS | PD_ENDSUBPATH, {Fix(6, 6), Fix(7, 7), Fix(8, 5)}}},
         TRUE,
         "NP;MA5,5;PRBR1,1,1,1,1,-2;EP;"},
        {"a curve record of 4 points after its start",
         {{PD_BEGINSUBPATH | PD_BEZIERS | PD_ENDSUBPATH, {Fix(5, 5), Fix(6, 6), Fix(7, 7), Fix(8, 5), Fix(9, 9)}}},
         FALSE,
         "NP;MA5,5;"},
    };
    for (const Case& c : cases) {
        auto device = Device();
        auto path = MakePathRecords(c.records);
        FailAllocations(0, 1);
        EXPECT_EQ(Write(device->pdev(), path.get(), 2), c.result) << c.name;
        standin::ClearFaults();
        EXPECT_EQ(Text(device->Buffered()), c.text) << c.name;
    }
}

}  // namespace
}  // namespace pathtest

