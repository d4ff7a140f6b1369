// The page layout: N-up repair, its margins, the reduction onto the output paper and the
// pages-per-sheet rules.
#include <string>

#include "tests/settings_validate/ValidateFixture.h"

namespace kvtest {
namespace {

struct NupCase {
    const char* label;
    const char16_t* paper;
    BYTE savedDown, savedAcross, down, across;
    BYTE expectedDown, expectedAcross, expectedSavedDown, expectedSavedAcross, expectedOrder;
};

// The saved copy tells which count the user changed; NupOrder starts at 2 to show when it
// is left alone.
TEST_F(ValidateTest, RepairsAnNupArrangementThePaperDoesNotAllow) {
    const NupCase cases[] = {
        {"A4: 1 x 2 is allowed", u"A4", 1, 1, 1, 2, 1, 2, 1, 1, 0},
        {"はがき: 1 x 2 becomes 2 x 2", u"はがき", 1, 1, 1, 2, 2, 2, 1, 1, 2},
        {"はがき: 1 x 3 becomes 2 x 3", u"はがき", 1, 1, 1, 3, 2, 3, 1, 1, 2},
        {"A4 横: across falls back to 1", u"A4 横", 1, 1, 1, 2, 1, 1, 1, 1, 0},
        {"往復はがき: 2 x 1 is kept", u"往復はがき", 1, 1, 2, 1, 2, 1, 2, 1, 1},
        {"はがき 横: down 3 takes across 1", u"はがき 横", 1, 1, 3, 3, 3, 1, 3, 1, 1},
        {"A4: down 3 fits nowhere", u"A4", 1, 1, 3, 1, 1, 1, 1, 1, 0},
        {"A4: saved 2 x 2 falls back to 1 x 1", u"A4", 2, 2, 2, 2, 1, 1, 1, 1, 0},
        {"A4: saved 1 x 2 stays", u"A4", 1, 2, 1, 2, 1, 2, 1, 2, 0},
        {"往復はがき: saved arrangement follows the live one", u"往復はがき", 2, 1, 2, 2, 2, 2, 2, 2, 2},
    };
    const DriverDevMode defaults = block_;
    for (const NupCase& c : cases) {
        SCOPED_TRACE(c.label);
        block_ = defaults;
        SetPaper(c.paper);
        block_.SavedNupDown = c.savedDown;
        block_.SavedNupAcross = c.savedAcross;
        block_.NupDown = c.down;
        block_.NupAcross = c.across;
        block_.NupOrder = 2;
        Validate();
        EXPECT_EQ(block_.NupDown, c.expectedDown);
        EXPECT_EQ(block_.NupAcross, c.expectedAcross);
        EXPECT_EQ(block_.SavedNupDown, c.expectedSavedDown);
        EXPECT_EQ(block_.SavedNupAcross, c.expectedSavedAcross);
        EXPECT_EQ(block_.NupOrder, c.expectedOrder);
        // N-up in use turns on the face layout feature.
        const bool nup = c.expectedDown != 1 || c.expectedAcross != 1;
        EXPECT_EQ((block_.FeatureFlags & kFeatureNupLayout) != 0, nup);
    }
}

TEST_F(ValidateTest, SetsTheNupMarginsOnceAndResetsThemWhenNupEnds) {
    SetPaper(u"A4");
    block_.TopMargin = 42;
    block_.LeftMargin = 43;
    block_.NupAcross = 2;
    Validate();
    EXPECT_EQ(block_.TopMargin, 50);
    EXPECT_EQ(block_.LeftMargin, 50);
    EXPECT_NE(block_.OptionFlags & kOptionNupMargins, 0u);

    // The user's own margins survive later checks while N-up stays on.
    block_.TopMargin = 30;
    block_.LeftMargin = 31;
    Validate();
    EXPECT_EQ(block_.TopMargin, 30);
    EXPECT_EQ(block_.LeftMargin, 31);

    block_.NupAcross = 1;
    Validate();
    EXPECT_EQ(block_.TopMargin, 0);
    EXPECT_EQ(block_.LeftMargin, 127);
    EXPECT_EQ(block_.OptionFlags & kOptionNupMargins, 0u);

    Validate();
    EXPECT_EQ(block_.LeftMargin, 127);
}

struct MarginCase {
    const char* label;
    const char16_t* paper;
    BYTE across;
    DWORD optionBits;  // of bits 24 and 25
    WORD pagesPerSheet;
    WORD savedPagesPerSheet;
    LONG expectedTop, expectedLeft;
    DWORD expectedOptionBits;
};

TEST_F(ValidateTest, SetsMarginsForPagesPerSheet) {
    const DWORD both = kOptionNupMargins | kOptionPagesPerSheetMargins;
    const MarginCase cases[] = {
        {"pages per sheet, bit 25 set", u"A4", 1, kOptionPagesPerSheetMargins, 2, 1, 50, 177, 0},
        {"pages per sheet, bit 25 clear", u"A4", 1, 0, 2, 1, 30, 31, 0},
        {"N-up paper after pages per sheet", u"A4", 2, kOptionNupMargins, 1, 2, 50, 50, both},
        {"other paper after pages per sheet", u"Legal", 2, 0, 1, 2, 0, 127, kOptionPagesPerSheetMargins},
        {"N-up, bit 25 already set", u"A4", 2, both, 1, 2, 30, 31, both},
        {"N-up on another paper resets bit 24", u"Legal", 2, kOptionNupMargins, 1, 1, 0, 127, 0},
    };
    const DriverDevMode defaults = block_;
    for (const MarginCase& c : cases) {
        SCOPED_TRACE(c.label);
        block_ = defaults;
        SetPaper(c.paper);
        block_.NupAcross = c.across;
        block_.OptionFlags = (block_.OptionFlags & ~both) | c.optionBits;
        block_.PagesPerSheet = c.pagesPerSheet;
        block_.SavedPagesPerSheet = c.savedPagesPerSheet;
        block_.TopMargin = 30;
        block_.LeftMargin = 31;
        Validate();
        EXPECT_EQ(block_.TopMargin, c.expectedTop);
        EXPECT_EQ(block_.LeftMargin, c.expectedLeft);
        EXPECT_EQ(block_.OptionFlags & both, c.expectedOptionBits);
    }
}

// A model whose forms have no *FormPort record but the one a case adds.
std::u16string SmallModel(const std::u16string& formPortLine) {
    return u"*FriendlyName \"KV-TD520\"\r\n"
           u"*PrivateID 0x4B565444\r\n"
           u"*DefaultResolution 600\r\n"
           u"*Resolution 600 \"600dpi\" 600 \"Fine\" 1\r\n"
           u"*DefaultInputSlot \"AUTO\" 7\r\n"
           u"*InputSlot \"AUTO\" 7\r\n"
           u"*MaxForm 297000 431800\r\n"
           u"*MinForm 90000 139700\r\n"
           u"*DefaultForm \"A4\" 210000 297000 4230 4230 205770 292770\r\n" +
           formPortLine;
}

struct ScaleCase {
    const char* label;
    const char16_t* formPortLine;  // NULL: the sample data file
    const char16_t* paper;
    const char16_t* output;
    WORD pagesPerSheet;
    BYTE across;
    bool noReduction;
    WORD expectedScale;
};

TEST_F(ValidateTest, ReducesThePaperOntoTheOutputPaper) {
    const ScaleCase cases[] = {
        // Paper 200,000 x 287,000 (standard margins), output 271,600 x 415,700: 135.
        {"A4 on A3 without FormPort records", u"", u"A4", u"A3", 1, 1, false, 135},
        {"A4 on A3 by FormPort areas", nullptr, u"A4", u"A3", 1, 1, false, 142},
        {"A3 on A4 by FormPort areas", nullptr, u"A3", u"A4", 1, 1, false, 69},
        {"paper record of no size", u"*FormPort \"A4\" 210000 297000 0 0 0 0\r\n", u"A4", u"A3", 1, 1, false, 100},
        {"output record of no size", u"*FormPort \"A3\" 297000 420000 5000 5000 5000 5000\r\n", u"A4", u"A3", 1, 1,
         false, 100},
        // 105,834 is 1000.006 dots (1001), 211,667 is 2000.003 (2001): 200,100 / 1001 = 199.
        {"areas rounded up to whole dots",
         u"*FormPort \"A4\" 210000 297000 0 0 105834 105834\r\n*FormPort \"A3\" 297000 420000 0 0 211667 211667\r\n",
         u"A4", u"A3", 1, 1, false, 199},
        {"pages per sheet", nullptr, u"A4", u"A3", 2, 1, false, 100},
        {"N-up", nullptr, u"A4", u"A3", 1, 2, false, 100},
        {"reduction switched off", nullptr, u"A4", u"A3", 1, 1, true, 250},
    };
    const DriverDevMode defaults = block_;
    for (const ScaleCase& c : cases) {
        SCOPED_TRACE(c.label);
        ModelImage small;
        if (c.formPortLine != nullptr) {
            small = CompileModel(SmallModel(c.formPortLine));
            ASSERT_NE(small, nullptr);
        }
        block_ = defaults;
        SetPaper(c.paper);
        SetOutputPaper(c.output);
        block_.FeatureFlags |= kFeatureNupLayout;  // keeps the chosen output paper
        if (c.noReduction) block_.FeatureFlags |= kFeatureNoReduction;
        block_.PagesPerSheet = c.pagesPerSheet;
        block_.NupAcross = c.across;
        block_.LayoutScale = 250;
        Validate(small != nullptr ? small.get() : model_.get());
        EXPECT_EQ(block_.LayoutScale, c.expectedScale);
    }
}

struct PagesCase {
    const char* label;
    bool overlay;
    bool noReduction;
    BYTE across;
    WORD pagesPerSheet, frame, slotOrder;
    WORD expectedPages, expectedFrame, expectedSlotOrder, expectedSavedSlotOrder;
};

TEST_F(ValidateTest, AppliesThePagesPerSheetRules) {
    const PagesCase cases[] = {
        {"overlay", true, false, 1, 4, 2, 3, 1, 0, 0, 9},
        {"N-up", false, false, 2, 4, 2, 3, 1, 2, 0, 9},
        // Pages per sheet switch the no-reduction bit off first.
        {"no reduction with pages per sheet", false, true, 1, 4, 2, 3, 4, 2, 3, 9},
        {"four pages keep every order", false, false, 1, 4, 2, 3, 4, 2, 3, 9},
        {"two pages: order 1 stays", false, false, 1, 2, 2, 1, 2, 2, 1, 9},
        {"two pages: order 3 resets its saved copy", false, false, 1, 2, 2, 3, 2, 2, 0, 0},
        {"one page", false, false, 1, 1, 2, 3, 1, 2, 0, 9},
    };
    const DriverDevMode defaults = block_;
    for (const PagesCase& c : cases) {
        SCOPED_TRACE(c.label);
        block_ = defaults;
        if (c.overlay) block_.OverlayFlags |= kOverlayOn;
        if (c.noReduction) block_.FeatureFlags |= kFeatureNoReduction;
        block_.NupAcross = c.across;
        block_.PagesPerSheet = c.pagesPerSheet;
        block_.PageFrame = c.frame;
        block_.NupSlotOrder = c.slotOrder;
        block_.SavedNupSlotOrder = 9;
        Validate();
        EXPECT_EQ(block_.PagesPerSheet, c.expectedPages);
        EXPECT_EQ(block_.PageFrame, c.expectedFrame);
        EXPECT_EQ(block_.NupSlotOrder, c.expectedSlotOrder);
        EXPECT_EQ(block_.SavedNupSlotOrder, c.expectedSavedSlotOrder);
    }
}

}  // namespace
}  // namespace kvtest
