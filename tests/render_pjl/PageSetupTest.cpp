// Page setup: when a new paper format is needed, the paper-format command's templates, and
// the form storage around it.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "render/PageSetup.h"
#include "render/PjlHeader.h"
#include "tests/render_pjl/PjlFixture.h"

namespace kvpjl {
namespace {

class PageSetupTest : public PjlTest {
protected:
    void SetUp() override {
        PjlTest::SetUp();
        if (HasFatalFailure()) return;
        DriverDevMode& s = Settings();
        s.OverlayFlags = 0;
        s.FeatureFlags = 0;
        s.PagesPerSheet = 1;
        s.NupDown = 1;
        s.NupAcross = 1;
        s.NupOrder = 0;
        SetWide(s.Public.dmFormName, u"A4");
    }
    // The page setup as the flow runs it: compare, write when changed, keep what was sent.
    std::vector<BYTE> PageSetup() {
        if (PageSettingsChanged(&Pdev(), &Pdev().SentPage, &Pdev().WantedPage)) {
            EXPECT_TRUE(EndFormStorageAndPageSetup(&Pdev()));
        }
        Pdev().SentPage = Pdev().WantedPage;
        return TakeBuffered();
    }
};

TEST_F(PageSetupTest, WhatNeedsANewPageSetup) {
    struct Case {
        const char* change;
        WORD pagesPerSheet;
        std::function<void(PDEV&)> apply;
        bool changed;
    };
    const Case cases[] = {
        {"nothing", 1, [](PDEV&) {}, false},
        {"source", 1, [](PDEV& p) { p.Settings.Public.dmDefaultSource = 258; }, true},
        {"duplex", 1, [](PDEV& p) { p.Settings.Public.dmDuplex = 2; }, true},
        {"duplex shift", 1, [](PDEV& p) { p.Settings.DuplexShift = 5; }, true},
        {"binding swap", 1, [](PDEV& p) { p.Settings.FeatureFlags |= 1u << 8; }, true},
        {"paper code", 1, [](PDEV& p) { p.Geometry.OutputPaper.Code = 100; }, true},
        {"paper width", 1, [](PDEV& p) { p.Geometry.OutputPaper.Width += 1; }, true},
        {"paper height", 1, [](PDEV& p) { p.Geometry.OutputPaper.Height += 1; }, true},
        {"N-up down", 2, [](PDEV& p) { p.Settings.NupDown = 2; }, true},
        {"N-up across", 2, [](PDEV& p) { p.Settings.NupAcross = 1; }, true},
        {"N-up order", 2, [](PDEV& p) { p.Settings.NupOrder = 1; }, true},
        {"pages per sheet", 1, [](PDEV& p) { p.Settings.PagesPerSheet = 4; }, true},
        {"overlay form", 1, [](PDEV& p) {
             p.Settings.OverlayFlags = kOverlayOn;
             std::strcpy(p.Settings.OverlayName, "inv01");
         }, true},
        {"orientation at one page per sheet", 1, [](PDEV& p) { p.Settings.Public.dmOrientation = 2; }, true},
        {"orientation alone with 2-up", 2, [](PDEV& p) { p.Settings.Public.dmOrientation = 2; }, false},
    };
    const DriverDevMode settings = Settings();
    const PageGeometry geometry = Pdev().Geometry;
    const PageSettings startPage = Pdev().SentPage;
    for (const Case& c : cases) {
        Settings() = settings;
        Pdev().Geometry = geometry;
        Pdev().SentPage = Pdev().WantedPage = startPage;
        Settings().PagesPerSheet = c.pagesPerSheet;
        Settings().Public.dmOrientation = 1;
        if (c.pagesPerSheet == 2) Settings().NupAcross = 2;
        PageSetup();
        c.apply(Pdev());
        EXPECT_EQ(PageSettingsChanged(&Pdev(), &Pdev().SentPage, &Pdev().WantedPage) != FALSE, c.changed) << c.change;
    }
}

TEST_F(PageSetupTest, OrientationAloneWith2UpSendsNothing) {
    Settings().PagesPerSheet = 2;
    Settings().NupAcross = 2;
    Settings().Public.dmOrientation = 1;
    EXPECT_FALSE(PageSetup().empty());
    Settings().Public.dmOrientation = 2;
    EXPECT_TRUE(PageSetup().empty());
}

TEST_F(PageSetupTest, BindingSwapStaysOnForTheJob) {
    Settings().FeatureFlags = 1u << 8;
    PageSetup();
    Settings().FeatureFlags = 0;
    EXPECT_FALSE(PageSettingsChanged(&Pdev(), &Pdev().SentPage, &Pdev().WantedPage));
    EXPECT_EQ(Pdev().WantedPage.BindingSwap, 1);
}

TEST_F(PageSetupTest, PaperFormatTemplates) {
    struct Case {
        BYTE down;
        BYTE across;
        BYTE order;
        std::u16string formName;
        BOOL sheetForm;
        const char* expected;
    };
    const Case cases[] = {
        // 210,000 x 297,000 µm: ceilings of 496.06 and 701.57 sixtieths.
        {1, 1, 0, u"A4", FALSE, "\x1c" "f1LP,497,702,1/60,i."},
        {1, 1, 1, u"A4", TRUE, "\x1c" "f1LP,497,702,1/60,i."},
        {1, 2, 1, u"A4", FALSE, "\x1c" "f1LPV1H2,497,702,1/60,i."},
        {1, 2, 0, u"A4", FALSE, "\x1c" "f1LPH2V1,497,702,1/60,i."},
        {2, 2, 3, u"A4", FALSE, "\x1c" "f1LPH2V2,497,702,1/60,i."},
        {1, 2, 1, u"A4", TRUE, "\x1c" "f1LP,1054,702,1/60,i."},
        {2, 3, 0, u"A4", TRUE, "\x1c" "f1LP,1551,1404,1/60,i."},
        // Other papers count their printable width: 201,540 µm is 476.08 sixtieths.
        {1, 2, 1, u"A4 横", FALSE, "\x1c" "f1LPV1H2,477,702,1/60,i."},
        {1, 2, 1, u"Letter", FALSE, "\x1c" "f1LPV1H2,477,702,1/60,i."},
        {1, 2, 1, u"A44", FALSE, "\x1c" "f1LPV1H2,477,702,1/60,i."},
    };
    for (const Case& c : cases) {
        Settings().NupDown = c.down;
        Settings().NupAcross = c.across;
        Settings().NupOrder = c.order;
        SetWide(Settings().Public.dmFormName, c.formName);
        WritePaperFormat(&Pdev(), Pdev().Geometry.OutputPaper, c.sheetForm);
        EXPECT_EQ(Text(TakeBuffered()), c.expected) << int{c.down} << "x" << int{c.across} << " order "
                                                   << int{c.order} << " " << kvtest::U8(c.formName);
    }
}

TEST_F(PageSetupTest, FirstPageGolden) {
    Pdev().StateFlags = 0;
    Golden golden;
    golden.Add("page-control mode", {0x1C, 'Z'}).Add("paper format, 1-up A4", "\x1c" "f1LP,497,702,1/60,i.");
    EXPECT_TRUE(golden.Matches(PageSetup()));
    EXPECT_EQ(Pdev().SentOrientation, 1u);
    EXPECT_TRUE(PageSetup().empty()) << "the second page sends nothing";
}

// A source change needs a page setup but not a new paper format.
TEST_F(PageSetupTest, SamePaperSendsNoPaperFormat) {
    PageSetup();
    Settings().Public.dmDefaultSource = 258;
    Pdev().SentOrientation = 2;
    EXPECT_TRUE(PageSetup().empty());
    EXPECT_EQ(Pdev().SentOrientation, 2u);
}

TEST_F(PageSetupTest, OverlayTurnedOffEndsTheForm) {
    struct Case {
        DWORD features;
        const char* fontCommand;
    };
    const Case cases[] = {{0, "\x1c" "05F2-02"}, {1u << 23, "\x1c" "05F2-00"}};
    for (const Case& c : cases) {
        PageSetup();
        Pdev().WantedPage.FormStorageOpen = 1;
        Pdev().SentPage.FormStorageOpen = 1;
        Settings().FeatureFlags = c.features;
        Settings().Public.dmDefaultSource = static_cast<SHORT>(Settings().Public.dmDefaultSource + 1);
        Golden golden;
        golden.Add("form off", {0x1C, 'u', '2', ',', '1', ',', 'E', '.'}).Add("plain font", c.fontCommand);
        EXPECT_TRUE(golden.Matches(PageSetup()));
        EXPECT_EQ(Pdev().WantedPage.FormStorageOpen, 0u);
    }
}

}  // namespace
}  // namespace kvpjl
