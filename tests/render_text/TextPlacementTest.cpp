// The single-byte code table, a character's printer position and the placement correction of
// proportional device fonts.
#include <set>

#include "render/draw/DeviceFontText.h"
#include "render/draw/TextOutput.h"
#include "tests/render_text/TextFixture.h"

namespace texttest {
namespace {

TEST(DeviceCharTableTest, HoldsTheRowsSortedWithTheGroupsAndTheEndRow) {
    DWORD rows = 0;
    while (kDeviceCharTable[rows].GlyphName != nullptr) ++rows;
    ASSERT_EQ(rows, kDeviceCharRows);
    EXPECT_EQ(kDeviceCharTable[rows].Code, 0);
    for (DWORD i = 1; i < rows; ++i) {
        EXPECT_LT(kDeviceCharTable[i - 1].Unicode, kDeviceCharTable[i].Unicode) << "row " << i;
    }
    // Group 0 ends with U+00A3, the 99th row.
    EXPECT_EQ(kDeviceCharTable[98].Unicode, 0x00A3);
    for (DWORD i = 0; i < rows; ++i) EXPECT_EQ(kDeviceCharTable[i].Group, i < 99 ? 0 : 128) << "row " << i;
}

TEST(DeviceCharTableTest, MapsCharactersToThePrintersCodes) {
    struct Row {
        WCHAR unicode;
        const char* name;
        BYTE code;
    };
    const Row cases[] = {
        {0x0020, "space", 32},         {0x0041, "A", 65},           {0x007E, "asciitilde", 126},
        {0x00A0, "space", 32},         {0x00A8, "dieresis", 11},    {0x00AD, "hyphen", 45},
        {0x00E9, "eacute", 0xE9},      {0x00FF, "ydieresis", 0xFF}, {0x0141, "Lslash", 146},
        {0x0300, "grave", 0},          {0x2019, "quoteright", 39},  {0x2018, "quoteleft", 96},
        {0x20DB, "fraction", 128},     {0x2122, "trademark", 151},  {0x2212, "minus", 154},
    };
    for (const Row& c : cases) {
        const DeviceCharRow* found = nullptr;
        for (DWORD i = 0; i < kDeviceCharRows; ++i) {
            if (kDeviceCharTable[i].Unicode == c.unicode) found = &kDeviceCharTable[i];
        }
        ASSERT_NE(found, nullptr) << std::hex << static_cast<unsigned>(c.unicode);
        EXPECT_STREQ(found->GlyphName, c.name);
        EXPECT_EQ(found->Code, c.code) << found->GlyphName;
    }
    // Characters the table leaves out.
    std::set<WCHAR> present;
    for (DWORD i = 0; i < kDeviceCharRows; ++i) present.insert(kDeviceCharTable[i].Unicode);
    for (WCHAR absent : {WCHAR{0x7F}, WCHAR{0x9F}, WCHAR{0x2044}, WCHAR{0x3042}}) EXPECT_EQ(present.count(absent), 0u);
    // A code listed twice answers with its first row.
    ASSERT_NE(DeviceCharByCode(39), nullptr);
    EXPECT_EQ(DeviceCharByCode(39)->Unicode, 0x0027);
    EXPECT_EQ(DeviceCharByCode(127), nullptr);
}

class TextOriginTest : public TextTest {
protected:
    /// Device-font text with cells W = H = 100 and W2 = H2 = 200 decipoints and baseline
    /// offsets (3, 5).
    void DeviceText(bool doubleByte, LONG angle) {
        PDEV& p = Pdev();
        p.StateFlags |= kStateDeviceFontText;
        p.Text.DoubleByteFlags = doubleByte ? kDbcsFont : 0;
        p.Text.Escapement = angle;
        p.Text.BaselineX = 3;
        p.Text.BaselineY = 5;
        p.TextCell[kCellWidth] = p.TextCell[kCellHeight] = 100;
        p.TextCell[kCellWidth2] = p.TextCell[kCellHeight2] = 200;
    }
    POINTL Origin(POINTL p, POINTL d) {
        TextOrigin(&Pdev(), p, d, nullptr);
        return Pdev().Text.Position;
    }
};

struct OriginCase {
    const char* name;
    bool doubleByte;
    LONG angle;
    bool horizontalDbcs;
    POINTL expected;  // p = (1000, 2000), d = (7, -4); cells 10 and 20 dots at 600 dpi
};

TEST_F(TextOriginTest, MovesByTheBaselineAndThePartOfTheCellOfTheAngle) {
    const OriginCase cases[] = {
        {"double 0", true, 0, false, {1004, 2011}},
        {"double 45", true, 45, false, {1024, 2011}},
        {"double 90", true, 90, false, {1024, 1991}},
        {"double 135", true, 135, false, {1024, 1981}},
        {"double 180", true, 180, false, {1004, 1981}},
        {"double 225", true, 225, false, {990, 1981}},
        {"double 270, vertical", true, 270, false, {990, 2001}},
        {"double 270, horizontal font", true, 270, true, {990, 2001}},
        {"double 315", true, 315, false, {990, 2011}},
        {"single 0", false, 0, false, {1004, 2001}},
        {"single 90", false, 90, false, {1014, 1991}},
        {"single 270", false, 270, false, {1000, 2001}},
        {"single 45", false, 45, false, {1004, 1991}},
        {"single 200", false, 200, false, {1010, 2001}},
    };
    for (const OriginCase& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceText(c.doubleByte, c.angle);
        if (c.horizontalDbcs) {
            Pdev().StateFlags |= kStateHorizontalDbcs;
        } else {
            Pdev().StateFlags &= ~kStateHorizontalDbcs;
        }
        const POINTL at = Origin({1000, 2000}, {7, -4});
        EXPECT_EQ(at.x, c.expected.x);
        EXPECT_EQ(at.y, c.expected.y);
    }
}

TEST_F(TextOriginTest, TwoHundredSeventyDegreesTakesTheCellHeightOfAVerticalFont) {
    DeviceText(true, 270);
    Pdev().TextCell[kCellHeight2] = 300;  // 30 dots against a width of 20
    Pdev().StateFlags &= ~kStateHorizontalDbcs;
    EXPECT_EQ(Origin({1000, 2000}, {0, 0}).x, 1000 + 3 - 30);
    Pdev().StateFlags |= kStateHorizontalDbcs;
    EXPECT_EQ(Origin({1000, 2000}, {0, 0}).x, 1000 + 3 - 20);
}

TEST_F(TextOriginTest, HalfScaleDoublesThePointAndTheOffsetButNotTheCell) {
    MakeDevice(300);
    ASSERT_TRUE(Pdev().StateFlags & kStateDoubling);
    Pdev().StateFlags &= ~kStateDeviceFontText;
    POINTL at = Origin({100, 200}, {3, 4});
    EXPECT_EQ(at.x, 206);
    EXPECT_EQ(at.y, 408);
    DeviceText(false, 0);
    at = Origin({100, 200}, {3, 4});
    EXPECT_EQ(at.x, 200 - 3 + 6);
    EXPECT_EQ(at.y, 400 - 5 + 8 + 10);
}

TEST_F(TextOriginTest, TheDivisorFollowsTheResolution) {
    const std::pair<SHORT, LONG> cases[] = {{240, 25}, {200, 15}, {400, 15}, {1200, 5}, {600, 10}, {300, 10}};
    for (const auto& [dpi, q] : cases) {
        SCOPED_TRACE(dpi);
        MakeDevice(dpi);
        DeviceText(false, 0);
        Pdev().TextCell[kCellHeight] = 3000;
        Pdev().Text.BaselineX = Pdev().Text.BaselineY = 0;
        const LONG k = (Pdev().StateFlags & kStateDoubling) ? 2 : 1;
        EXPECT_EQ(Origin({0, 0}, {0, 0}).y, 3000 / q) << "k " << k;
    }
}

TEST_F(TextOriginTest, GlyphOriginIsSentAndKept) {
    DeviceText(true, 90);
    GlyphOrigin(&Pdev(), {1000, 2000}, {7, -4});
    // After the baseline (997, 1995): the cell width to the right at 90 degrees.
    EXPECT_EQ(Pdev().Text.Position.x, 997 + 7 + 20);
    EXPECT_EQ(Pdev().Text.Position.y, 1995 - 4);
    EXPECT_TRUE(Pdev().Draw.PositionKnown);

    Pdev().StateFlags &= ~kStateDeviceFontText;
    ClearBuffer();
    GlyphOrigin(&Pdev(), {100, 50}, {0, 0});
    EXPECT_EQ(Pdev().Text.Position.x, 100);
    EXPECT_EQ(Pdev().Text.Position.y, 50);
    GoldenStream expected;
    expected.Add("move, short x: (100, 50)", {0xB6, 0x64, 0x00, 0x32});
    EXPECT_TRUE(expected.Matches(Buffered()));
}

TEST_F(TextTest, PlacementCorrectionMovesNarrowCharactersOfProportionalFonts) {
    FontState helv;
    helv.selectId = "06F1-003";
    Realized(helv);
    Pdev().TextCell[kCellWidth] = 100;
    // Class 7 ('.') and class 9 ('['); the space class 0; codes outside 32-127 none.
    EXPECT_EQ(CharPlacementCorrection(&Pdev(), '.'), -7 * 600 / 240);
    EXPECT_EQ(CharPlacementCorrection(&Pdev(), '['), -9 * 600 / 240);
    EXPECT_EQ(CharPlacementCorrection(&Pdev(), 'i'), -8 * 600 / 240);
    EXPECT_EQ(CharPlacementCorrection(&Pdev(), ' '), 0);
    EXPECT_EQ(CharPlacementCorrection(&Pdev(), 31), 0);
    EXPECT_EQ(CharPlacementCorrection(&Pdev(), 128), 0);
    Pdev().TextCell[kCellWidth] = 120;
    // -(7 x 120 / 100) x 600 / 240: the class part truncates first.
    EXPECT_EQ(CharPlacementCorrection(&Pdev(), 'I'), -20);
    EXPECT_EQ(CharPlacementCorrection(&Pdev(), 'W'), 0);

    for (const char* fixedPitch : {"06F1-002", "06F1-004"}) {
        FontState font;
        font.selectId = fixedPitch;
        Realized(font);
        EXPECT_EQ(CharPlacementCorrection(&Pdev(), '.'), 0) << fixedPitch;
    }
}

}  // namespace
}  // namespace texttest
