// Vector pages through the loaded rendering library: every kind of path, clips, line
// attributes, fills and patterns, checked in the decoded job stream and, where the drawing is
// the engine's too, on the painted sheet against the engine's own drawing of the page.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/render_vector_jobs/VectorJobFixture.h"

namespace vectorjobs {
namespace {

using kvtest::CommandKind;
using kvtest::StreamCommand;
using Mode = gdihost::DrawOp::PathMode;
using Points = std::vector<POINTL>;

std::vector<Points> FiguresOf(const StreamCommand& c) {
    std::vector<Points> out;
    for (const kvtest::PathFigure& f : c.figures) out.push_back(f.points);
    return out;
}

std::string Show(const std::vector<Points>& figures) {
    std::string out;
    for (const Points& f : figures) {
        out += "[";
        for (const POINTL& p : f) out += " " + std::to_string(p.x) + "," + std::to_string(p.y);
        out += " ]";
    }
    return out;
}

class PathJobTest : public VectorJobTest {};

struct PathCase {
    const char* name;
    gdihost::DrawOp op;
    BYTE opcode;   // E0, E8, E9, EA
    LONG mode;     // the mode byte
    std::vector<LONG> kinds;  // per figure: 0 lines, 1 curves
    std::vector<Points> figures;
};

standin::engine::PathRecord CurveRecord(const Points& points) {
    standin::engine::PathRecord r;
    r.flags = PD_BEZIERS | PD_ENDSUBPATH;
    for (const POINTL& p : points) r.points.push_back(standin::engine::FixPoint(p.x, p.y));
    return r;
}

std::vector<PathCase> PathCases() {
    const Points zigzag{{300, 300}, {900, 300}, {600, 800}, {1200, 900}};
    const Points square{{1500, 300}, {2100, 300}, {2100, 900}, {1500, 900}};
    const Points inner{{1650, 450}, {1950, 450}, {1950, 750}, {1650, 750}};
    // A five-pointed star drawn in one stroke: its middle is inside by winding, outside by
    // alternation.
    const Points star{{1000, 1200}, {1294, 2105}, {524, 1546}, {1476, 1546}, {706, 2105}};
    std::vector<PathCase> cases;

    gdihost::DrawOp open = PathOp({Figure(zigzag, false)}, Mode::Stroke);
    cases.push_back({"open stroke", open, 0xE0, 0x04, {0}, {zigzag}});

    // Not a rectangle (rectangles have their own command).
    const Points kite{{1500, 300}, {2100, 500}, {1900, 1000}, {1400, 800}, {1450, 600}};
    gdihost::DrawOp closed = PathOp({Figure(kite, true)}, Mode::Stroke);
    closed.pen.geometric = true;
    closed.pen.widthDots = 5;
    Points closedPoints = kite;
    closedPoints.push_back(kite.front());
    cases.push_back({"closed stroke", closed, 0xE0, 0x04, {0}, {closedPoints}});

    gdihost::DrawOp alternate = PathOp({Figure(star, true)}, Mode::Fill);
    cases.push_back({"alternate fill", alternate, 0xE8, 0x20, {0}, {star}});

    gdihost::DrawOp winding = alternate;
    winding.fillMode = FP_WINDINGMODE;
    cases.push_back({"winding fill", winding, 0xE8, 0x21, {0}, {star}});

    // Black on black: the engine keeps no gray on a 1-bit page, where the printer dithers it.
    gdihost::DrawOp both = PathOp({Figure(kite, true)}, Mode::StrokeAndFill);
    both.pen.geometric = true;
    both.pen.widthDots = 9;
    cases.push_back({"stroke and fill", both, 0xE9, 0x20, {0}, {kite}});

    gdihost::DrawOp ring = PathOp({Figure(square, true), Figure(inner, true)}, Mode::Fill);
    cases.push_back({"fill of two figures", ring, 0xE8, 0xA0, {0, 0}, {square, inner}});

    const Points other{{300, 2600}, {1200, 2600}};
    gdihost::DrawOp twoLines = PathOp({Figure(zigzag, false), Figure(other, false)}, Mode::Stroke);
    twoLines.pen.geometric = true;
    twoLines.pen.widthDots = 3;
    cases.push_back({"stroke of two figures", twoLines, 0xEA, 0x80, {0, 0}, {zigzag, other}});

    standin::engine::PathRecord start = Figure({{300, 3000}}, false);
    start.flags = PD_BEGINSUBPATH;
    const Points wave{{600, 2600}, {900, 3400}, {1200, 3000}, {1500, 2600}, {1800, 3400}, {2100, 3000}};
    gdihost::DrawOp curve = PathOp({start, CurveRecord(wave)}, Mode::Stroke);
    curve.pen.geometric = true;
    curve.pen.widthDots = 4;
    Points curvePoints{{300, 3000}};
    curvePoints.insert(curvePoints.end(), wave.begin(), wave.end());
    cases.push_back({"curve stroke", curve, 0xEA, 0x80, {1}, {curvePoints}});

    gdihost::DrawOp curveFill = PathOp({start, CurveRecord(wave)}, Mode::Fill);
    curveFill.records.back().flags |= PD_CLOSEFIGURE;
    cases.push_back({"curve fill", curveFill, 0xEA, 0x82, {1}, {curvePoints}});
    return cases;
}

TEST_F(PathJobTest, EveryKindOfPathReachesThePrinterAsItsFiguresAndPaintsAsTheEngineDraws) {
    for (const PathCase& c : PathCases()) {
        SCOPED_TRACE(c.name);
        const PrintedJob job = PrintPage(VectorBlock(), {c.op});
        ASSERT_TRUE(job.printed) << job.failure;
        ASSERT_TRUE(job.listing.Ok()) << Listing(job);
        const auto paths = job.OnPage(0, CommandKind::Path);
        ASSERT_EQ(paths.size(), 1u) << Listing(job);
        const StreamCommand& path = *paths[0];
        EXPECT_EQ(path.opcode, c.opcode) << path.Describe();
        EXPECT_EQ(path.values[0], c.mode) << path.Describe();
        EXPECT_EQ(Show(FiguresOf(path)), Show(c.figures));
        for (size_t f = 0; f < path.figures.size() && f < c.kinds.size(); ++f)
            EXPECT_EQ(path.figures[f].kind, c.kinds[f]) << "figure " << f;
        ExpectSheetLikeReference(job, 0, 2);
    }
}

TEST_F(PathJobTest, RectangularPathsAreRectangleCommandsOverTheirCornersInclusive) {
    struct Case {
        const char* name;
        Mode mode;
        bool closed;
    };
    const Case cases[] = {{"filled", Mode::Fill, true}, {"stroked", Mode::Stroke, true}, {"stroked and filled", Mode::StrokeAndFill, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gdihost::DrawOp square = PathOp({Figure({{600, 700}, {1400, 700}, {1400, 1300}, {600, 1300}}, c.closed)}, c.mode);
        square.brush.color = 0x00404040;
        const PrintedJob job = PrintPage(VectorBlock(), {square});
        ASSERT_TRUE(job.printed) << job.failure;
        EXPECT_EQ(job.OnPage(0, CommandKind::Path).size(), 0u) << Listing(job);
        const auto rects = job.OnPage(0, CommandKind::Rectangle);
        ASSERT_EQ(rects.size(), 1u) << Listing(job);
        const StreamCommand& r = *rects[0];
        EXPECT_EQ((std::vector<LONG>{r.values[0], r.values[1], r.values[2], r.values[3]}),
                  (std::vector<LONG>{601, 801, 600, 700}))
            << r.Describe();
        ExpectSheetLikeReference(job, 0, 2);
    }
}

TEST_F(PathJobTest, AnOpenCosmeticPolylineIsOneFigureOfPlainPoints) {
    // A single line segment: the shortest path form after a position.
    gdihost::DrawOp line = PathOp({Figure({{500, 500}, {2500, 1500}}, false)}, Mode::Stroke);
    const PrintedJob job = PrintPage(VectorBlock(), {line});
    ASSERT_TRUE(job.printed) << job.failure;
    const auto paths = job.OnPage(0, CommandKind::Path);
    const auto polylines = job.OnPage(0, CommandKind::Polyline);
    ASSERT_EQ(paths.size() + polylines.size(), 1u) << Listing(job);
    const StreamCommand& c = paths.empty() ? *polylines[0] : *paths[0];
    ASSERT_EQ(c.figures.size(), 1u);
    EXPECT_EQ(Show(FiguresOf(c)), Show({{{500, 500}, {2500, 1500}}}));
    ExpectSheetLikeReference(job, 0, 2);
}

// ---- Clips ------------------------------------------------------------------------------

gdihost::DrawOp Fan(POINTL centre, LONG radius) {
    gdihost::DrawOp fan = PathOp({}, Mode::Stroke);
    for (int k = 0; k < 16; ++k) {
        const double a = k * 3.14159265358979 / 8;
        fan.records.push_back(Figure(Points{centre, POINTL{centre.x + static_cast<LONG>(radius * std::cos(a)),
                                               centre.y + static_cast<LONG>(radius * std::sin(a))}},
                                     false));
    }
    fan.pen.geometric = true;
    fan.pen.widthDots = 3;
    return fan;
}

bool InsideAny(const std::vector<RECTL>& rects, LONG x, LONG y) {
    for (const RECTL& r : rects)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

size_t BlackOutside(const kvtest::PageImage& page, const std::vector<RECTL>& rects) {
    size_t count = 0;
    for (LONG y = 0; y < page.height; ++y)
        for (LONG x = 0; x < page.width; ++x)
            if (page.Black(x, y) && !InsideAny(rects, x, y)) ++count;
    return count;
}

TEST_F(PathJobTest, ARectangularClipIsSentAsTheClipRectangleAtItsCorner) {
    gdihost::DrawOp fan = Fan({1200, 1200}, 800);
    const RECTL window{700, 900, 1500, 1400};
    fan.clip = {window};
    const PrintedJob job = PrintPage(VectorBlock(), {fan});
    ASSERT_TRUE(job.printed) << job.failure;
    const auto page = job.Page(0);
    // The last clip rectangle before the path: right after a move to the window's corner.
    const StreamCommand* clip = nullptr;
    const StreamCommand* before = nullptr;
    for (size_t i = 0; i < page.size(); ++i) {
        if (page[i]->kind == CommandKind::Path) break;
        if (page[i]->kind == CommandKind::ClipRect) {
            clip = page[i];
            before = i > 0 ? page[i - 1] : nullptr;
        }
    }
    ASSERT_NE(clip, nullptr) << Listing(job);
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(before->kind, CommandKind::Position);
    EXPECT_EQ(before->values[0], window.left);
    EXPECT_EQ(before->values[1], window.top);
    // The printer gets the clip bounds and one dot more, as it gets the whole page.
    EXPECT_EQ(clip->values[0], window.bottom - window.top + 1);
    EXPECT_EQ(clip->values[1], window.right - window.left + 1);
    EXPECT_EQ(job.OnPage(0, CommandKind::ClipPath).size(), 0u);
    ASSERT_EQ(job.sheets.pages.size(), 1u);
    EXPECT_EQ(BlackOutside(job.sheets.pages[0], {RECTL{window.left, window.top, window.right + 1, window.bottom + 1}}), 0u);
    EXPECT_GT(job.sheets.pages[0].BlackCount(), 1000u);
    ExpectSheetLikeReference(job, 0, 2);
}

TEST_F(PathJobTest, AComplexClipIsSentAsAClipPathOfEveryRectangleTheLastOneIncluded) {
    gdihost::DrawOp fan = Fan({1200, 1200}, 900);
    const std::vector<RECTL> window{{500, 500, 1900, 800}, {500, 800, 900, 1500}, {1500, 800, 1900, 1900}};
    fan.clip = window;
    const PrintedJob job = PrintPage(VectorBlock(), {fan});
    ASSERT_TRUE(job.printed) << job.failure;
    const auto clips = job.OnPage(0, CommandKind::ClipPath);
    ASSERT_EQ(clips.size(), 1u) << Listing(job);
    std::vector<Points> expected;
    for (const RECTL& r : window) expected.push_back({{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}});
    EXPECT_EQ(Show(FiguresOf(*clips[0])), Show(expected));
    ASSERT_EQ(job.sheets.pages.size(), 1u);
    const kvtest::PageImage& sheet = job.sheets.pages[0];
    EXPECT_EQ(BlackOutside(sheet, window), 0u);
    for (const RECTL& r : window) EXPECT_GT(BlackIn(sheet, r), 100u) << "rectangle at " << r.left << "," << r.top;
    ExpectSheetLikeReference(job, 0, 2);
}

TEST_F(PathJobTest, APaintUnderAComplexClipFillsEveryPieceAndNothingElse) {
    gdihost::DrawOp paint;
    paint.kind = gdihost::DrawOp::Kind::Paint;
    paint.brush.color = 0;
    const std::vector<RECTL> window{{400, 400, 1000, 700}, {400, 700, 700, 1200}, {1200, 900, 1800, 1300}};
    paint.clip = window;
    const PrintedJob job = PrintPage(VectorBlock(), {paint});
    ASSERT_TRUE(job.printed) << job.failure;
    ASSERT_TRUE(job.listing.Ok()) << Listing(job);
    ASSERT_EQ(job.sheets.pages.size(), 1u);
    const kvtest::PageImage& sheet = job.sheets.pages[0];
    EXPECT_EQ(BlackOutside(sheet, window), 0u);
    for (const RECTL& r : window)
        EXPECT_EQ(BlackIn(sheet, r), static_cast<size_t>((r.right - r.left) * (r.bottom - r.top)))
            << "rectangle at " << r.left << "," << r.top << "\n" << Listing(job);
    ExpectSheetLikeReference(job, 0, 0, 0);
}

// ---- Line attributes ----------------------------------------------------------------------

struct LineCase {
    const char* name;
    gdihost::PenSpec pen;
    LONG width;
    LONG capJoin;
    LONG miter;
    std::vector<LONG> style;   // the three bytes of AC
    std::vector<LONG> dashes;  // AB 10's lengths, empty when none is defined
};

gdihost::PenSpec Pen(LONG width, ULONG cap, ULONG join, std::vector<FLOATL> dashes = {}) {
    gdihost::PenSpec pen;
    pen.geometric = true;
    pen.widthDots = width;
    pen.cap = cap;
    pen.join = join;
    pen.dashes = std::move(dashes);
    return pen;
}

TEST_F(PathJobTest, LineWidthsCapsJoinsAndDashesAreSentBeforeTheStroke) {
    gdihost::PenSpec cosmetic;
    gdihost::PenSpec alternate;
    alternate.alternate = true;
    const LineCase cases[] = {
        {"cosmetic solid", cosmetic, 1, 0x00, 0, {0, 0, 0}, {}},
        {"cosmetic alternate", alternate, 1, 0x00, 0, {1, 6, 0}, {}},
        {"round cap, round join", Pen(9, ENDCAP_ROUND, JOIN_ROUND), 9, 0x00, 0, {0, 0, 0}, {}},
        {"square cap, bevel join", Pen(9, ENDCAP_SQUARE, JOIN_BEVEL), 9, 0x11, 0, {0, 0, 0}, {}},
        {"flat cap, mitre join", Pen(12, ENDCAP_BUTT, JOIN_MITER), 12, 0x22, 5, {0, 0, 0}, {}},
        {"dashed", Pen(6, ENDCAP_BUTT, JOIN_ROUND, {30.0f, 10.0f, 5.0f, 10.0f}), 6, 0x20, 0, {0x10, 0, 0}, {30, 10, 5, 10}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        gdihost::DrawOp zigzag = PathOp({Figure({{300, 600}, {800, 300}, {1300, 600}, {1800, 300}}, false)}, Mode::Stroke);
        zigzag.pen = c.pen;
        const PrintedJob job = PrintPage(VectorBlock(), {zigzag});
        ASSERT_TRUE(job.printed) << job.failure;
        // The attributes in force at the path: the last of each kind before it.
        const StreamCommand* width = nullptr;
        const StreamCommand* join = nullptr;
        const StreamCommand* style = nullptr;
        const StreamCommand* dashes = nullptr;
        bool pathSeen = false;
        for (const StreamCommand* cmd : job.Page(0)) {
            if (cmd->kind == CommandKind::Path || cmd->kind == CommandKind::Polyline) {
                pathSeen = true;
                break;
            }
            if (cmd->kind == CommandKind::LineWidth) width = cmd;
            if (cmd->kind == CommandKind::LineJoin) join = cmd;
            if (cmd->kind == CommandKind::LineStyle) style = cmd;
            if (cmd->kind == CommandKind::DashDefine) dashes = cmd;
        }
        ASSERT_TRUE(pathSeen) << Listing(job);
        ASSERT_NE(width, nullptr) << Listing(job);
        ASSERT_NE(join, nullptr) << Listing(job);
        ASSERT_NE(style, nullptr) << Listing(job);
        EXPECT_EQ(width->values[0], c.width);
        EXPECT_EQ(join->values[0], c.capJoin);
        EXPECT_EQ(join->values[1], c.miter);
        EXPECT_EQ((std::vector<LONG>{style->values[0], style->values[1], style->values[2]}), c.style);
        if (c.dashes.empty()) {
            EXPECT_EQ(dashes, nullptr);
        } else {
            ASSERT_NE(dashes, nullptr) << Listing(job);
            EXPECT_EQ(dashes->numbers, c.dashes);
        }
        ExpectSheetLikeReference(job, 0, 3);
    }
}

TEST_F(PathJobTest, RepeatedLineAttributesAreSentOnce) {
    std::vector<gdihost::DrawOp> ops;
    for (int i = 0; i < 3; ++i) {
        gdihost::DrawOp line = PathOp({Figure({{300, 300 + 100 * i}, {2000, 300 + 100 * i}}, false)}, Mode::Stroke);
        line.pen = Pen(7, ENDCAP_SQUARE, JOIN_MITER, {20.0f, 20.0f});
        ops.push_back(line);
    }
    const PrintedJob job = PrintPage(VectorBlock(), ops);
    ASSERT_TRUE(job.printed) << job.failure;
    EXPECT_EQ(job.OnPage(0, CommandKind::Path).size() + job.OnPage(0, CommandKind::Polyline).size(), 3u);
    EXPECT_EQ(job.OnPage(0, CommandKind::DashDefine).size(), 1u) << Listing(job);
    EXPECT_EQ(job.OnPage(0, CommandKind::LineJoin).size(), 1u) << Listing(job);
    size_t widths = 0;
    for (const StreamCommand* c : job.OnPage(0, CommandKind::LineWidth)) widths += c->values[0] == 7 ? 1 : 0;
    EXPECT_EQ(widths, 1u) << Listing(job);
}

// ---- Fills and patterns -------------------------------------------------------------------

const StreamCommand* LastBefore(const PrintedJob& job, CommandKind kind, CommandKind drawing) {
    const StreamCommand* last = nullptr;
    for (const StreamCommand* c : job.Page(0)) {
        if (c->kind == drawing) return last;
        if (c->kind == kind) last = c;
    }
    return nullptr;
}

TEST_F(PathJobTest, SolidBrushesAreGrayFillsFromBlackToWhite) {
    struct Case {
        ULONG color;
        LONG gray;  // -1: strictly between black and white
    };
    const Case cases[] = {{0x00000000, 0x10}, {0x00FFFFFF, 0x4F}, {0x00808080, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.color);
        gdihost::DrawOp fill = PathOp({Figure({{400, 400}, {1400, 500}, {900, 1400}}, true)}, Mode::Fill);
        fill.brush.color = c.color;
        const PrintedJob job = PrintPage(VectorBlock(), {fill});
        ASSERT_TRUE(job.printed) << job.failure;
        const StreamCommand* f = LastBefore(job, CommandKind::Fill, CommandKind::Path);
        ASSERT_NE(f, nullptr) << Listing(job);
        EXPECT_EQ(f->values[0], 1);
        if (c.gray >= 0) {
            EXPECT_EQ(f->values[1], c.gray);
        } else {
            EXPECT_GT(f->values[1], 0x10);
            EXPECT_LT(f->values[1], 0x4F);
        }
    }
}

TEST_F(PathJobTest, EachHatchIsItsFillTypeInBothHatchSets) {
    constexpr DWORD kFeatureSecondHatchSet = 1u << 10;
    const ULONG hatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
    for (bool second : {false, true}) {
        std::vector<BYTE> settings = VectorBlock();
        if (second) {
            Block(settings).FeatureFlags |= kFeatureSecondHatchSet;
        } else {
            Block(settings).FeatureFlags &= ~kFeatureSecondHatchSet;
        }
        std::vector<gdihost::DrawOp> ops;
        for (int h = 0; h < 6; ++h) {
            const LONG x = 300 + 500 * (h % 3);
            const LONG y = 300 + 500 * (h / 3);
            gdihost::DrawOp op = PathOp({Figure({{x, y}, {x + 400, y}, {x + 400, y + 400}, {x, y + 400}}, true)}, Mode::Fill);
            op.brush.kind = gdihost::BrushSpec::Kind::Hatch;
            op.brush.hatch = hatches[h];
            ops.push_back(op);
        }
        const PrintedJob job = PrintPage(settings, ops);
        ASSERT_TRUE(job.printed) << job.failure;
        std::vector<LONG> types;
        const StreamCommand* fill = nullptr;
        for (const StreamCommand* c : job.Page(0)) {
            if (c->kind == CommandKind::Fill) fill = c;
            if ((c->kind == CommandKind::Path || c->kind == CommandKind::Rectangle) && fill != nullptr) {
                types.push_back(fill->values[0]);
                EXPECT_EQ(fill->values[1], 0x10) << "black lines";
                EXPECT_EQ(fill->values[2], 0x4F) << "on white";
            }
        }
        const LONG base = second ? 8 : 2;
        EXPECT_EQ(types, (std::vector<LONG>{base, base + 1, base + 2, base + 3, base + 4, base + 5})) << Listing(job);
        // Each square holds some of its hatch and is not filled solid.
        ASSERT_EQ(job.sheets.pages.size(), 1u);
        for (int h = 0; h < 6; ++h) {
            const LONG x = 300 + 500 * (h % 3);
            const LONG y = 300 + 500 * (h / 3);
            const size_t black = BlackIn(job.sheets.pages[0], RECTL{x, y, x + 400, y + 400});
            EXPECT_GT(black, 400u) << "hatch " << h;
            EXPECT_LT(black, 400u * 400u / 2) << "hatch " << h;
        }
    }
}

/// A 1-bit pattern of `size` (rows padded to 4 bytes) from one byte per row, left-aligned.
std::vector<BYTE> PatternRows(const std::vector<BYTE>& rows) {
    std::vector<BYTE> bits;
    for (BYTE r : rows) bits.insert(bits.end(), {r, 0, 0, 0});
    return bits;
}

TEST_F(PathJobTest, PatternBrushesAreDownloadedAsEightByEightPatternsTiledFromSmallerOnes) {
    struct Case {
        const char* name;
        SIZEL size;
        std::vector<BYTE> rows;      // the brush's rows, left-aligned
        std::vector<BYTE> expected;  // the 8 rows the printer gets: a set bit takes the first gray
    };
    const Case cases[] = {
        {"8 x 8", {8, 8}, {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}, {0x7E, 0xBD, 0xDB, 0xE7, 0xE7, 0xDB, 0xBD, 0x7E}},
        {"4 x 4 tiled", {4, 4}, {0x80, 0x40, 0x20, 0x10}, {0x77, 0xBB, 0xDD, 0xEE, 0x77, 0xBB, 0xDD, 0xEE}},
        {"2 x 2 tiled", {2, 2}, {0x80, 0x00}, {0x55, 0xFF, 0x55, 0xFF, 0x55, 0xFF, 0x55, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gdihost::DrawOp fill = PathOp({Figure({{400, 400}, {1200, 400}, {1200, 1000}, {400, 1000}}, true)}, Mode::Fill);
        fill.brush.kind = gdihost::BrushSpec::Kind::Pattern;
        fill.brush.patternSize = c.size;
        fill.brush.patternBits = PatternRows(c.rows);
        const PrintedJob job = PrintPage(VectorBlock(), {fill});
        ASSERT_TRUE(job.printed) << job.failure;
        const auto patterns = job.OnPage(0, CommandKind::PatternDefine);
        ASSERT_EQ(patterns.size(), 1u) << Listing(job);
        EXPECT_EQ(patterns[0]->values[1], 8);
        EXPECT_EQ(patterns[0]->image, c.expected);
        const auto selects = job.OnPage(0, CommandKind::PatternSelect);
        ASSERT_EQ(selects.size(), 1u);
        EXPECT_EQ(selects[0]->values[0], 0x0100);
        // The brush's clear bits (its background, white) are the pattern's set bits: the
        // first gray is white, the second black.
        const auto grays = job.OnPage(0, CommandKind::PatternGray);
        ASSERT_EQ(grays.size(), 2u) << Listing(job);
        EXPECT_EQ(grays[0]->opcode, 0xA2);
        EXPECT_EQ(grays[0]->values[1], 0x4F);
        EXPECT_EQ(grays[1]->opcode, 0xA3);
        EXPECT_EQ(grays[1]->values[1], 0x10);
        // The filled area carries the pattern's density.
        ASSERT_EQ(job.sheets.pages.size(), 1u);
        size_t setBits = 0;
        for (BYTE r : c.expected)
            for (int b = 0; b < 8; ++b) setBits += ((r >> b) & 1u) == 0 ? 1 : 0;
        const size_t area = 800 * 600;
        const size_t expectedBlack = area * setBits / 64;
        const size_t black = BlackIn(job.sheets.pages[0], RECTL{400, 400, 1200, 1000});
        EXPECT_NEAR(static_cast<double>(black), static_cast<double>(expectedBlack), area * 0.03);
        ExpectSheetLikeReference(job, 0, 8);
    }
}

TEST_F(PathJobTest, APatternUsedTwiceIsDownloadedOnce) {
    std::vector<gdihost::DrawOp> ops;
    for (int i = 0; i < 2; ++i) {
        gdihost::DrawOp fill = PathOp({Figure({{400 + 900 * i, 400}, {1200 + 900 * i, 400}, {800 + 900 * i, 1000}}, true)}, Mode::Fill);
        fill.brush.kind = gdihost::BrushSpec::Kind::Pattern;
        fill.brush.patternBits = PatternRows({0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F});
        ops.push_back(fill);
    }
    const PrintedJob job = PrintPage(VectorBlock(), ops);
    ASSERT_TRUE(job.printed) << job.failure;
    EXPECT_EQ(job.OnPage(0, CommandKind::PatternDefine).size(), 1u) << Listing(job);
    EXPECT_EQ(job.OnPage(0, CommandKind::Path).size(), 2u) << Listing(job);
}

}  // namespace
}  // namespace vectorjobs
