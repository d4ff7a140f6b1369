// The device limits and the 16-bit counts: exactly at a limit and one past, paths whose
// counts no longer fit a 16-bit field, and the line clipper on coordinates far past 16 bits.
#include <gtest/gtest.h>

#include <vector>

#include "render/draw/Clip.h"
#include "render/draw/PathOutput.h"
#include "tests/render_path/PathFixture.h"

namespace pathtest {
namespace {

using standin::engine::MakePath;

class LimitsTest : public PathTest {
protected:
    void TearDown() override {
        standin::ClearFaults();
        PathTest::TearDown();
    }
};

/// n distinct points on the page, row by row.
std::vector<POINTFIX> Points(DWORD n, LONG row0 = 100) {
    std::vector<POINTFIX> out;
    out.reserve(n);
    for (DWORD i = 0; i < n; ++i) out.push_back(Fix(100 + static_cast<LONG>(i % 4000), row0 + static_cast<LONG>(i / 4000)));
    return out;
}

const std::vector<POINTFIX> kOther = {Fix(200, 200), Fix(210, 200), Fix(205, 190)};

TEST_F(LimitsTest, LinePathLimitAtAndOnePast) {
    struct Case {
        const char* name;
        std::vector<std::vector<POINTFIX>> figures;
        DWORD limit;
        BOOL accepted;
    };
    const Case cases[] = {
        {"one figure, F + P = limit", {kTriangle}, 4, TRUE},
        {"one figure, F + P = limit + 1", {kTriangle}, 3, FALSE},
        {"two figures, P + F + 1 = limit", {kTriangle, kOther}, 9, TRUE},
        {"two figures, P + F + 1 = limit + 1", {kTriangle, kOther}, 8, FALSE},
    };
    for (const Case& c : cases) {
        Limits limits;
        limits.line = c.limit;
        auto device = Device(600, limits);
        auto path = MakePath(c.figures, true);
        EXPECT_EQ(Write(device->pdev(), path.get(), 2), c.accepted) << c.name;
        EXPECT_EQ(device->Buffered().empty(), !c.accepted) << c.name;
    }
}

TEST_F(LimitsTest, LineStrokeOverTheLimitIsStillWritten) {
    Limits limits;
    limits.line = 3;
    auto device = Device(600, limits);
    auto path = MakePath({kTriangle}, false);
    EXPECT_TRUE(Write(device->pdev(), path.get(), 1));
    EXPECT_FALSE(device->Buffered().empty());
}

TEST_F(LimitsTest, MultiFigureFillCountMustFitSixteenBits) {
    // A model limit above 65535 no longer lets the record count wrap: 65,535 records go out
    // in the field, 65,536 are refused before anything is written.
    Limits limits;
    limits.line = limits.curve = 100000;
    for (DWORD records : {65535u, 65536u}) {
        SCOPED_TRACE(records);
        auto device = Device(600, limits);
        const DWORD points = records - 3;  // two figures and the terminator
        auto path = MakePath({Points(points / 2), Points(points - points / 2, 3000)}, true);
        const BOOL written = Write(device->pdev(), path.get(), 2);
        const std::vector<BYTE> bytes = device->Spooled();
        if (records == 65535) {
            ASSERT_TRUE(written);
            ASSERT_GE(bytes.size(), 8u);
            EXPECT_EQ(Word(bytes, 0), 0xE8A0u);
            EXPECT_EQ(Word(bytes, 2), 65535u);
            const auto figures = DecodeFigures(bytes.data() + 8, Dword(bytes, 4), records, 1, true);
            ASSERT_EQ(figures.size(), 2u);
            EXPECT_EQ(figures[0].points.size() + figures[1].points.size(), points);
            EXPECT_EQ(8 + Dword(bytes, 4), bytes.size());
        } else {
            EXPECT_FALSE(written);
            EXPECT_TRUE(bytes.empty());
        }
    }
}

TEST_F(LimitsTest, MultiFigureStrokeAtAndPastSixteenBitRecords) {
    Limits limits;
    limits.line = limits.curve = 100000;
    for (DWORD records : {65535u, 65536u}) {
        SCOPED_TRACE(records);
        auto device = Device(600, limits);
        const DWORD points = records - 6;  // closed: P + 3F with two figures
        auto path = MakePath({Points(points / 2), Points(points - points / 2, 3000)}, true);
        const BOOL written = Write(device->pdev(), path.get(), 1);
        const std::vector<BYTE> bytes = device->Spooled();
        if (records == 65535) {
            ASSERT_TRUE(written);
            ASSERT_GE(bytes.size(), 8u);
            EXPECT_EQ(Word(bytes, 0), 0xEA80u);
            EXPECT_EQ(Word(bytes, 2), 65535u);
            const auto figures = DecodeFigures(bytes.data() + 8, Dword(bytes, 4), records, 2, false);
            ASSERT_EQ(figures.size(), 2u);
            EXPECT_EQ(figures[1].points.size(), points - points / 2 + 1) << "closing point";
        } else {
            EXPECT_FALSE(written);
            EXPECT_TRUE(bytes.empty());
        }
    }
}

TEST_F(LimitsTest, LongStrokeGoesOutInPiecesThatShareTheirEnds) {
    // 70,000 points in one open figure: no 16-bit count may wrap, so the figure is cut into
    // pieces of at most 65,535 points, each starting where the one before ends.
    const DWORD n = 70000;
    const std::vector<POINTFIX> line = Points(n);
    for (bool plain : {false, true}) {
        SCOPED_TRACE(plain ? "plain" : "packed");
        auto device = Device();
        auto path = MakePath({line}, false);
        if (plain) standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY, 0, 2);
        ASSERT_TRUE(Write(device->pdev(), path.get(), 1));
        standin::ClearFaults();
        const std::vector<BYTE> b = device->Spooled();
        std::vector<POINTL> got;
        size_t at = 0;
        if (!plain) {
            for (DWORD expectedCount : {65535u, n - 65535 + 1}) {
                ASSERT_EQ(Word(b, at), 0xE004u);
                ASSERT_EQ(Word(b, at + 2), expectedCount);
                const DWORD length = Dword(b, at + 4);
                const std::vector<POINTL> piece = DecodeSingle(b.data() + at + 8, length, expectedCount);
                if (!got.empty()) {
                    EXPECT_EQ(piece.front().x, got.back().x) << "the piece starts at the last end";
                    got.pop_back();
                }
                got.insert(got.end(), piece.begin(), piece.end());
                at += 8 + length;
            }
        } else {
            at = 4;  // the position command of the first point (B6 64 00 64)
            got.push_back(POINTL{100, 100});
            for (DWORD expectedCount : {65534u, n - 65535}) {
                ASSERT_EQ(Word(b, at), 0xE000u);
                ASSERT_EQ(Word(b, at + 2), expectedCount);
                at += 4;
                for (DWORD i = 0; i < expectedCount; ++i, at += 4) got.push_back(POINTL{SignedWord(b, at), SignedWord(b, at + 2)});
            }
        }
        EXPECT_EQ(at, b.size());
        ASSERT_EQ(got.size(), n);
        for (DWORD i = 0; i < n; i += 997) {
            EXPECT_EQ(got[i].x, line[i].x / 16) << i;
            EXPECT_EQ(got[i].y, line[i].y / 16) << i;
        }
        EXPECT_EQ(got.back().y, line.back().y / 16);
    }
}

TEST_F(LimitsTest, ClipPathCountMustFitSixteenBits) {
    Limits limits;
    limits.clip = 100000;
    for (DWORD records : {65535u, 65536u}) {
        SCOPED_TRACE(records);
        auto device = Device(600, limits);
        const DWORD points = records - 3;
        auto path = MakePath({Points(points / 2), Points(points - points / 2, 3000)}, true);
        const BOOL sent = SetClipPath(device->pdev(), path.get());
        const std::vector<BYTE> bytes = device->Spooled();
        if (records == 65535) {
            ASSERT_TRUE(sent);
            EXPECT_EQ(Word(bytes, 0), 0xB504u);
            EXPECT_EQ(Word(bytes, 2), 65535u);
        } else {
            EXPECT_FALSE(sent);
            EXPECT_TRUE(bytes.empty());
        }
    }
}

TEST_F(LimitsTest, ClipLineCutsToTheInclusiveRectangle) {
    const RECTL rect{0, 0, 1000, 1000};
    struct Case {
        const char* name;
        POINTL start, end;
        BOOL visible;
        POINTL wantStart, wantEnd;
    };
    const Case cases[] = {
        {"inside", {10, 10}, {20, 30}, TRUE, {10, 10}, {20, 30}},
        {"on the right edge (inclusive)", {1000, 5}, {1000, 50}, TRUE, {1000, 5}, {1000, 50}},
        {"wholly left", {-20, 10}, {-10, 900}, FALSE, {}, {}},
        {"crosses left and right", {-100, 100}, {1100, 100}, TRUE, {0, 100}, {1000, 100}},
        {"corner to corner outside", {-10, 500}, {500, -10}, TRUE, {0, 490}, {490, 0}},
        {"misses the corner", {-10, 5}, {5, -10}, FALSE, {}, {}},
        // Far beyond 16 bits: the products need 64 bits (100 x 100,000,000 overflows 32).
        {"huge coordinates", {-100000000, 50}, {100000000, 150}, TRUE, {0, 100}, {1000, 100}},
        {"huge vertical", {500, -120000000}, {501, 120000000}, TRUE, {500, 0}, {500, 1000}},
    };
    for (const Case& c : cases) {
        POINTL s = c.start;
        POINTL e = c.end;
        EXPECT_EQ(ClipLine(&s, &e, rect), c.visible) << c.name;
        if (!c.visible) continue;
        EXPECT_EQ(s.x, c.wantStart.x) << c.name;
        EXPECT_EQ(s.y, c.wantStart.y) << c.name;
        EXPECT_EQ(e.x, c.wantEnd.x) << c.name;
        EXPECT_EQ(e.y, c.wantEnd.y) << c.name;
    }
}

}  // namespace
}  // namespace pathtest
