// Page origins from the print positions, and the page-layout comparison of a device reset.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>

#include "tests/render_geometry/GeometryFixture.h"

namespace kvgeo {
namespace {

class OriginsTest : public GeometryTest {
protected:
    void SetUp() override {
        GeometryTest::SetUp();
        Prepare();
    }

public:
    void Prepare() {
        ResetDevice();
        Geo().OutputPaper = Paper(u"15x11inch", 381000, 279400, {4230, 4230, 376770, 275170});
        Geo().OddOrigin = POINTL{-9, -9};
        Geo().EvenOrigin = POINTL{-9, -9};
    }
    // Print positions (0.1 mm) that put the four origins 10, 20, 30 and 40 mm from where
    // each layout starts counting.
    void NupPositions() {
        Settings().LeftMargin = 177 + 100;
        Settings().TopMargin = 50 + 200;
        Settings().LeftMarginEven = 100 + 300;
        Settings().TopMarginEven = 100 + 400;
    }
    void SinglePagePositions() {
        // The printable edge, 4.23 mm, rounds up to 4.3 mm.
        Settings().LeftMargin = 43 + 100;
        Settings().TopMargin = 43 + 200;
        Settings().LeftMarginEven = 43 + 300;
        Settings().TopMarginEven = 43 + 400;
    }
};

struct OriginCase {
    const char* what;
    std::function<void(OriginsTest&)> setup;
    POINTL odd;
    POINTL even;
};

// 10, 20, 30 and 40 mm at 600 dpi; 5 mm is 120 dots.
constexpr POINTL kOdd600{238, 473};
constexpr POINTL kEven600{710, 945};

TEST_F(OriginsTest, OriginsByLayout) {
    const OriginCase cases[] = {
        {"one page", [](OriginsTest& t) { t.SinglePagePositions(); }, kOdd600, kEven600},
        {"4-up", [](OriginsTest& t) { t.NupPositions(); t.Settings().PagesPerSheet = 4; }, kOdd600, kEven600},
        {"duplex with a binding shift",
         [](OriginsTest& t) {
             t.SinglePagePositions();
             t.Settings().Public.dmDuplex = 2;
             t.Settings().DuplexShift = 1;
         },
         {0, 0}, {0, 0}},
        {"binding shift without duplex",
         [](OriginsTest& t) {
             t.SinglePagePositions();
             t.Settings().DuplexShift = 1;
         },
         kOdd600, kEven600},
        {"duplex without a binding shift",
         [](OriginsTest& t) {
             t.SinglePagePositions();
             t.Settings().Public.dmDuplex = 2;
         },
         kOdd600, kEven600},
        {"form overlay",
         [](OriginsTest& t) {
             t.NupPositions();
             t.Settings().PagesPerSheet = 4;
             t.Settings().OverlayFlags = kOverlayOn;
         },
         {0, 0}, {0, 0}},
        {"printable edge below zero rounds up toward zero",
         [](OriginsTest& t) {
             t.Geo().OutputPaper.Printable.left = -150;  // -1.5 mm counts as -1 mm
             t.Geo().OutputPaper.Printable.top = 4200;   // exactly 4.2 mm
             t.Settings().LeftMargin = -1 + 100;
             t.Settings().TopMargin = 42 + 200;
             t.Settings().LeftMarginEven = -1 + 300;
             t.Settings().TopMarginEven = 42 + 400;
         },
         kOdd600, kEven600},
    };
    for (const OriginCase& c : cases) {
        Prepare();
        c.setup(*this);
        ComputePageOrigins(&Pdev());
        EXPECT_EQ(Geo().OddOrigin.x, c.odd.x) << c.what;
        EXPECT_EQ(Geo().OddOrigin.y, c.odd.y) << c.what;
        EXPECT_EQ(Geo().EvenOrigin.x, c.even.x) << c.what;
        EXPECT_EQ(Geo().EvenOrigin.y, c.even.y) << c.what;
    }
}

TEST_F(OriginsTest, FaceLayoutMovesSomeSinglePagesInward) {
    struct Row {
        const char16_t* form;
        BYTE down;
        BYTE across;
        bool nudged;
    };
    const Row rows[] = {
        {u"A4", 2, 1, true},          {u"A4", 1, 2, true},        {u"はがき 横", 2, 2, true},
        {u"往復はがき", 1, 3, true},   {u"Letter 横", 2, 1, true}, {u"A4", 1, 1, false},
        {u"A3", 2, 2, false},         {u"A4 横", 2, 2, false},    {u"A4 ", 2, 2, false},
        {u"a4", 2, 2, false},
    };
    for (const Row& r : rows) {
        SinglePagePositions();
        SetFormName(r.form);
        Settings().NupDown = r.down;
        Settings().NupAcross = r.across;
        ComputePageOrigins(&Pdev());
        const LONG nudge = r.nudged ? 120 : 0;
        const std::string what = kvtest::U8(r.form) + " " + std::to_string(r.down) + "x" + std::to_string(r.across);
        EXPECT_EQ(Geo().OddOrigin.x, kOdd600.x + nudge) << what;
        EXPECT_EQ(Geo().OddOrigin.y, kOdd600.y + nudge) << what;
        // The even side is never moved.
        EXPECT_EQ(Geo().EvenOrigin.x, kEven600.x) << what;
        EXPECT_EQ(Geo().EvenOrigin.y, kEven600.y) << what;
    }
}

TEST_F(OriginsTest, UnterminatedFormNameIsNotNudged) {
    SinglePagePositions();
    Settings().NupDown = 2;
    for (WCHAR& c : Settings().Public.dmFormName) c = u'A';
    ComputePageOrigins(&Pdev());
    EXPECT_EQ(Geo().OddOrigin.x, kOdd600.x);
}

TEST_F(OriginsTest, HalfResolutionsDoubleAllFour) {
    struct Row {
        SHORT dpi;
        LONG odd[2];
        LONG even[2];
    };
    const Row rows[] = {
        {240, {95, 189}, {284, 378}},
        {200, {2 * 79, 2 * 157}, {2 * 237, 2 * 315}},
        {300, {2 * 119, 2 * 236}, {2 * 355, 2 * 472}},
        {600, {238, 473}, {710, 945}},
    };
    for (const WORD pages : {WORD{1}, WORD{4}}) {
        for (const Row& r : rows) {
            Settings().PagesPerSheet = pages;
            if (pages == 1) {
                SinglePagePositions();
            } else {
                NupPositions();
            }
            SetResolution(r.dpi);
            ComputePageOrigins(&Pdev());
            const std::string what = std::to_string(pages) + " pages at " + std::to_string(r.dpi);
            EXPECT_EQ(Geo().OddOrigin.x, r.odd[0]) << what;
            EXPECT_EQ(Geo().OddOrigin.y, r.odd[1]) << what;
            EXPECT_EQ(Geo().EvenOrigin.x, r.even[0]) << what;
            EXPECT_EQ(Geo().EvenOrigin.y, r.even[1]) << what;
        }
    }
}

TEST_F(OriginsTest, HostilePositionsClampInsteadOfOverflowing) {
    // (position - edge) x 100 leaves 32 bits; it is clamped before the conversion.
    Settings().PagesPerSheet = 4;
    Settings().LeftMargin = INT_MIN;
    Settings().TopMargin = INT_MAX;
    Settings().LeftMarginEven = INT_MIN;
    Settings().TopMarginEven = INT_MAX;
    ComputePageOrigins(&Pdev());
    EXPECT_EQ(Geo().OddOrigin.x, MicronsToDots(INT_MIN, 600));
    EXPECT_EQ(Geo().OddOrigin.y, MicronsToDots(INT_MAX, 600));
    EXPECT_EQ(Geo().EvenOrigin.x, MicronsToDots(INT_MIN, 600));

    // Doubled at 300 dpi: still in range, twice the single value.
    SetResolution(300);
    ComputePageOrigins(&Pdev());
    EXPECT_EQ(Geo().OddOrigin.x, 2 * MicronsToDots(INT_MIN, 300));

    Settings().PagesPerSheet = 1;
    Geo().OutputPaper.Printable.left = INT_MIN;
    Settings().LeftMargin = INT_MAX;
    ComputePageOrigins(&Pdev());
    EXPECT_EQ(Geo().OddOrigin.x, 2 * MicronsToDots(INT_MAX, 300));
}

// --- PageLayoutChanged ---------------------------------------------------------------------

class LayoutChangeTest : public GeometryTest {
protected:
    void SetUp() override {
        GeometryTest::SetUp();
        Geo().InputPaper = Paper(u"A4", 210000, 297000, {4230, 4230, 205770, 292770}, 101);
        Geo().OutputPaper = Paper(u"15x11inch", 381000, 279400, {4230, 4230, 376770, 275170}, 134);
        Geo().OddOrigin = POINTL{10, 20};
        Geo().EvenOrigin = POINTL{30, 40};
    }
};

TEST_F(LayoutChangeTest, EachDifferenceCounts) {
    struct Change {
        const char* what;
        std::function<void(PDEV&)> apply;
        BOOL changed;
    };
    const Change changes[] = {
        {"nothing", [](PDEV&) {}, FALSE},
        {"resolution", [](PDEV& p) { p.Settings.Public.dmPrintQuality = 300; }, TRUE},
        {"source", [](PDEV& p) { p.Settings.Public.dmDefaultSource = 7; }, TRUE},
        {"duplex", [](PDEV& p) { p.Settings.Public.dmDuplex = 2; }, TRUE},
        {"pages per sheet", [](PDEV& p) { p.Settings.PagesPerSheet = 2; }, TRUE},
        {"arrangement", [](PDEV& p) { p.Settings.NupSlotOrder = 3; }, TRUE},
        {"input paper", [](PDEV& p) { p.Geometry.InputPaper.Name[1] = u'5'; }, TRUE},
        {"output paper", [](PDEV& p) { p.Geometry.OutputPaper.Name[0] = u'B'; }, TRUE},
        // Origins and the side swap matter only when both sides are printed.
        {"origins, simplex", [](PDEV& p) { p.Geometry.OddOrigin.x += 1; p.Geometry.EvenOrigin.y += 1; }, FALSE},
        {"side swap, simplex", [](PDEV& p) { p.Settings.FeatureFlags ^= 1u << 8; }, FALSE},
        {"other feature bits", [](PDEV& p) { p.Settings.FeatureFlags ^= 0xFFFFFEFFu; }, FALSE},
        {"paper size and code", [](PDEV& p) { p.Geometry.InputPaper.Width += 1; p.Geometry.OutputPaper.Code = 1; }, FALSE},
        {"scale and slots", [](PDEV& p) { p.Geometry.ScalePercent = 50; p.Geometry.NupSlots[0].left = 3; }, FALSE},
    };
    for (const Change& c : changes) {
        auto newer = std::make_unique<PDEV>(Pdev());
        c.apply(*newer);
        EXPECT_EQ(PageLayoutChanged(&Pdev(), newer.get()), c.changed) << c.what;
    }
}

TEST_F(LayoutChangeTest, DuplexComparesSideSwapAndOrigins) {
    Pdev().Settings.Public.dmDuplex = 2;
    struct Change {
        const char* what;
        std::function<void(PDEV&)> apply;
    };
    const Change changes[] = {
        {"side swap", [](PDEV& p) { p.Settings.FeatureFlags ^= 1u << 8; }},
        {"odd x", [](PDEV& p) { p.Geometry.OddOrigin.x += 1; }},
        {"odd y", [](PDEV& p) { p.Geometry.OddOrigin.y -= 1; }},
        {"even x", [](PDEV& p) { p.Geometry.EvenOrigin.x += 1; }},
        {"even y", [](PDEV& p) { p.Geometry.EvenOrigin.y += 1; }},
    };
    auto same = std::make_unique<PDEV>(Pdev());
    EXPECT_FALSE(PageLayoutChanged(&Pdev(), same.get()));
    for (const Change& c : changes) {
        auto newer = std::make_unique<PDEV>(Pdev());
        c.apply(*newer);
        EXPECT_TRUE(PageLayoutChanged(&Pdev(), newer.get())) << c.what;
    }
    // The new device's duplex decides: an old duplex device going simplex differs already
    // by its duplex setting.
    auto simplex = std::make_unique<PDEV>(Pdev());
    simplex->Settings.Public.dmDuplex = 1;
    EXPECT_TRUE(PageLayoutChanged(&Pdev(), simplex.get()));
}

}  // namespace
}  // namespace kvgeo
