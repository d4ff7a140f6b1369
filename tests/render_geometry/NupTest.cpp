// The N-up fit scale, the sheet frame, the slot order and the centring offset.
#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

#include "tests/render_geometry/GeometryFixture.h"

namespace kvgeo {
namespace {

constexpr RECTL kMargins4230(LONG w, LONG h) { return RECTL{4230, 4230, w - 4230, h - 4230}; }

// --- ComputeFitScale -----------------------------------------------------------------------

struct FitCase {
    const char* what;
    WORD pages;
    PaperRecord input;
    PaperRecord output;
    WORD scale;
};

class FitScaleTest : public GeometryTest {};

TEST_F(FitScaleTest, ScalesThePageIntoItsSlot) {
    const PaperRecord page = Paper(u"page", 210000, 297000, {0, 0, 200000, 280000});
    const FitCase cases[] = {
        // One page per sheet measures the output's printable area.
        {"slot as large as the page", 1, page, Paper(u"out", 0, 0, {5, 5, 200005, 280005}), 99},
        {"slot ten times the page", 1, Paper(u"in", 0, 0, {0, 0, 20000, 28000}), Paper(u"out", 0, 0, {0, 0, 200000, 280000}), 400},
        {"slot a twentieth of the page", 1, page, Paper(u"out", 0, 0, {0, 0, 10000, 14000}), 10},
        {"the narrower axis decides", 1, page, Paper(u"out", 0, 0, {0, 0, 100000, 280000}), 49},
        // 4-up on a landscape sheet: (381000 - 35400) / 2 wide, (279400 - 14300) / 2 high.
        {"4-up landscape", 4, page, Paper(u"15x11inch", 381000, 279400, {}), 46},
        // 2-up on a portrait sheet: two columns of the full height.
        {"2-up portrait", 2, page, Paper(u"A3", 297000, 420000, {}), 64},
        // 16-up: four by four.
        {"16-up landscape", 16, page, Paper(u"15x11inch", 381000, 279400, {}), 22},
        // Not a layout of the table: one face on the sheet less the frame margins.
        {"pages 3", 3, page, Paper(u"15x11inch", 381000, 279400, {}), 93},
        {"pages 65535", 65535, page, Paper(u"15x11inch", 381000, 279400, {}), 93},
    };
    for (const FitCase& c : cases) {
        Settings().PagesPerSheet = c.pages;
        EXPECT_EQ(ComputeFitScale(&Pdev(), &c.input, &c.output), c.scale) << c.what;
    }
}

TEST_F(FitScaleTest, PageWithoutExtentNeitherShrinksNorGrows) {
    const PaperRecord out = Paper(u"out", 0, 0, {0, 0, 100000, 280000});
    const FitCase cases[] = {
        {"no width", 1, Paper(u"in", 0, 0, {0, 0, 0, 280000}), out, 99},            // y alone: 100 - 1
        {"negative width", 1, Paper(u"in", 0, 0, {100, 0, 0, 560000}), out, 49},     // y alone: 50 - 1
        {"no extent at all", 1, Paper(u"in", 0, 0, {7, 7, 7, 7}), out, 100},
        {"negative height", 1, Paper(u"in", 0, 0, {0, 10, 400000, 0}), out, 24},     // x alone: 25 - 1
    };
    for (const FitCase& c : cases) {
        Settings().PagesPerSheet = c.pages;
        EXPECT_EQ(ComputeFitScale(&Pdev(), &c.input, &c.output), c.scale) << c.what;
    }
}

TEST_F(FitScaleTest, RatiosBeyondSixteenBitsSaturate) {
    // 65586 % in both axes would wrap to 50 in 16 bits.
    const PaperRecord in = Paper(u"in", 0, 0, {0, 0, 100, 100});
    const FitCase cases[] = {
        {"just past 16 bits", 1, in, Paper(u"out", 0, 0, {0, 0, 65586, 65586}), 400},
        {"the largest sheet", 1, in, Paper(u"out", 0, 0, {0, 0, INT_MAX, INT_MAX}), 400},
        // An output paper smaller than the frame margins leaves no slot at all.
        {"no room for a slot", 4, in, Paper(u"out", 30000, 10000, {}), 10},
        {"hostile extents", 1, Paper(u"in", 0, 0, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}),
         Paper(u"out", 0, 0, {INT_MAX, INT_MAX, INT_MIN, INT_MIN}), 10},
    };
    for (const FitCase& c : cases) {
        Settings().PagesPerSheet = c.pages;
        EXPECT_EQ(ComputeFitScale(&Pdev(), &c.input, &c.output), c.scale) << c.what;
    }
}

// --- ComputeNupSlots -----------------------------------------------------------------------

class NupSlotsTest : public GeometryTest {
protected:
    void SetUp() override {
        GeometryTest::SetUp();
        SetResolution(240);
        Geo().OutputPaper = Paper(u"15x11inch", 381000, 279400, kMargins4230(381000, 279400));
        Geo().InputPaper = Paper(u"A4", 210000, 297000, {0, 0, 200000, 280000});
        Geo().ScalePercent = 50;
        for (RECTL& slot : Geo().NupSlots) slot = kUntouched;
    }

    static constexpr RECTL kUntouched = {-7, -7, -7, -7};

    // 15x11inch at 240 dpi: frame {168, 48, 3433, 2553}; the grid starts at the frame less
    // the printable corner (40 dots).
    static constexpr LONG kX0 = 128;
    static constexpr LONG kY0 = 8;

    static RECTL Cell(int column, int row, LONG width, LONG height) {
        return RECTL{kX0 + column * width, kY0 + row * height, kX0 + (column + 1) * width, kY0 + (row + 1) * height};
    }

    void ExpectSlots(const std::vector<RECTL>& expected, const std::string& what) {
        for (size_t k = 0; k < 16; ++k) {
            const RECTL want = k < expected.size() ? expected[k] : kUntouched;
            const RECTL& got = Geo().NupSlots[k];
            EXPECT_TRUE(got.left == want.left && got.top == want.top && got.right == want.right &&
                        got.bottom == want.bottom)
                << what << ": slot " << k << " is " << Describe(got) << ", expected " << Describe(want);
        }
    }
};

TEST_F(NupSlotsTest, SheetFrameAtEachResolution) {
    struct Row {
        SHORT dpi;
        RECTL frame;
    };
    const Row rows[] = {
        {240, {168, 48, 3433, 2553}}, {200, {140, 40, 2861, 2127}}, {300, {210, 60, 4291, 3191}},
        {400, {280, 80, 5722, 4255}}, {600, {420, 120, 8583, 6383}}, {1200, {840, 240, 17165, 12765}},
        // Another resolution: 0.7 and 0.2 inch rounded up.
        {250, {175, 50, 3577, 2660}},
    };
    Settings().PagesPerSheet = 4;
    for (const Row& r : rows) {
        SetResolution(r.dpi);
        ComputeNupSlots(&Pdev());
        const RECTL& f = Geo().SheetFrame;
        EXPECT_TRUE(f.left == r.frame.left && f.top == r.frame.top && f.right == r.frame.right &&
                    f.bottom == r.frame.bottom)
            << r.dpi << " dpi: " << Describe(f) << ", expected " << Describe(r.frame);
    }
}

TEST_F(NupSlotsTest, FourUpOrdersOnALandscapeSheet) {
    // Two columns of 1632 dots, two rows of 1252.
    auto cell = [](int c, int r) { return Cell(c, r, 1632, 1252); };
    const std::pair<WORD, std::vector<RECTL>> orders[] = {
        {0, {cell(0, 0), cell(1, 0), cell(0, 1), cell(1, 1)}},  // rows, left to right
        {1, {cell(1, 0), cell(0, 0), cell(1, 1), cell(0, 1)}},  // rows, right to left
        {2, {cell(0, 0), cell(0, 1), cell(1, 0), cell(1, 1)}},  // left column top then bottom
        {3, {cell(1, 0), cell(1, 1), cell(0, 0), cell(0, 1)}},  // right column first
        {4, {}},                                                // unknown: nothing written
    };
    Settings().PagesPerSheet = 4;
    for (const auto& [order, slots] : orders) {
        for (RECTL& slot : Geo().NupSlots) slot = kUntouched;
        Settings().NupSlotOrder = order;
        ComputeNupSlots(&Pdev());
        ExpectSlots(slots, "order " + std::to_string(order));
    }
}

TEST_F(NupSlotsTest, TwoUpRightToLeftStartsAtTheBottomOfAWideSlot) {
    Settings().PagesPerSheet = 2;
    Settings().NupSlotOrder = 1;
    // Landscape sheet: one column, two rows of wide slots; the lower one comes first.
    ComputeNupSlots(&Pdev());
    ExpectSlots({Cell(0, 1, 3265, 1252), Cell(0, 0, 3265, 1252)}, "2-up landscape, order 1");

    Settings().NupSlotOrder = 0;
    ComputeNupSlots(&Pdev());
    ExpectSlots({Cell(0, 0, 3265, 1252), Cell(0, 1, 3265, 1252)}, "2-up landscape, order 0");

    // Portrait sheet: two tall slots side by side, right to left as usual.
    Settings().NupSlotOrder = 1;
    Geo().OutputPaper = Paper(u"A3", 297000, 420000, kMargins4230(297000, 420000));
    ComputeNupSlots(&Pdev());
    ExpectSlots({Cell(1, 0, 1236, 3833), Cell(0, 0, 1236, 3833)}, "2-up portrait, order 1");
}

TEST_F(NupSlotsTest, SlotCountFollowsTheLayout) {
    struct Row {
        WORD pages;
        size_t written;
    };
    const Row rows[] = {{6, 6}, {8, 8}, {9, 9}, {16, 16}, {5, 1}, {17, 1}, {65535, 1}};
    for (const Row& r : rows) {
        for (RECTL& slot : Geo().NupSlots) slot = kUntouched;
        Settings().PagesPerSheet = r.pages;
        ComputeNupSlots(&Pdev());
        size_t written = 0;
        for (const RECTL& slot : Geo().NupSlots) written += slot.left != kUntouched.left ? 1 : 0;
        EXPECT_EQ(written, r.written) << r.pages << " pages per sheet";
    }
}

TEST_F(NupSlotsTest, ScaledPageIsCentredInItsSlot) {
    Settings().PagesPerSheet = 4;
    ComputeNupSlots(&Pdev());
    // 100000 um of width is 945 dots in a slot of 1632; 140000 um of height is 1323 dots, more
    // than the slot's 1252, so the page overhangs it equally above and below.
    EXPECT_EQ(Geo().CentringOffset.x, (1632 - 945) / 2);
    EXPECT_EQ(Geo().CentringOffset.y, (1252 - 1323) / 2);
    EXPECT_EQ(Geo().CentringOffset.y, -35);
}

TEST_F(NupSlotsTest, HostileOutputPaperDoesNotOverflow) {
    Settings().PagesPerSheet = 16;
    Geo().OutputPaper = Paper(u"huge", INT_MAX, INT_MIN, {INT_MIN, INT_MAX, 0, 0});
    Geo().ScalePercent = 400;
    Geo().InputPaper = Paper(u"huge", 0, 0, {INT_MIN, INT_MIN, INT_MAX, INT_MAX});
    ComputeNupSlots(&Pdev());  // the sanitizer tree reports any overflow
    EXPECT_EQ(Geo().SheetFrame.left, 168);
}

}  // namespace
}  // namespace kvgeo
