// Pending runs of device-font characters as single characters, plain runs and runs with
// displacements.
#include <string>

#include "render/draw/DeviceFontText.h"
#include "tests/render_text/TextFixture.h"

namespace texttest {
namespace {

class DeviceFontStringTest : public TextTest {
protected:
    void SetUp() override {
        TextTest::SetUp();
        Realized(FontState{});  // Courier, 50 dots wide, upright, everything cached
        ClearBuffer();
    }
    /// Records of `text` on one line from x0, each `step` dots further, numbered to 1.
    std::vector<DeviceCharRecord> Line(const std::string& text, LONG x0, LONG y, LONG step) {
        std::vector<DeviceCharRecord> records;
        for (size_t i = 0; i < text.size(); ++i) {
            records.push_back(Record(static_cast<BYTE>(text[i]), x0 + static_cast<LONG>(i) * step, y));
            records.back().Left = static_cast<WORD>(text.size() - i);
        }
        return records;
    }
    BOOL Write(std::vector<DeviceCharRecord>& records) {
        return WriteDeviceFontString(&Pdev(), records.data(), static_cast<ULONG>(records.size()));
    }
};

TEST_F(DeviceFontStringTest, OneCharacterGoesWithItsPosition) {
    auto records = Line("A", 100, 200, 50);
    ASSERT_TRUE(Write(records));
    GoldenStream expected;
    expected.Add("move, short x: (100, 200)", {0xB6, 0x64, 0x00, 0xC8})
        .Add("one character 'A'", {0xCC, 0x00, 0x41});
    EXPECT_TRUE(expected.Matches(Buffered()));
    EXPECT_FALSE(Pdev().Draw.PositionKnown) << "the character moved the printer";
}

TEST_F(DeviceFontStringTest, CharactersAtTheFontsAdvanceGoAsOnePlainRunWithoutOuterSpaces) {
    auto records = Line("  AB C  ", 0, 200, 50);
    ASSERT_TRUE(Write(records));
    GoldenStream expected;
    expected.Add("move to the first character after the leading spaces: (100, 200)", {0xB6, 0x64, 0x00, 0xC8})
        .Add("plain run of 4: A B space C", {0xCE, 0x00, 0x00, 0x04, 0x41, 0x42, 0x20, 0x43});
    EXPECT_TRUE(expected.Matches(Buffered()));
}

TEST_F(DeviceFontStringTest, SpacesAloneSendNothing) {
    auto spaces = Line("   ", 100, 200, 50);
    ASSERT_TRUE(Write(spaces));
    auto one = Line(" ", 100, 200, 50);
    ASSERT_TRUE(Write(one));
    EXPECT_TRUE(Buffered().empty());
}

TEST_F(DeviceFontStringTest, DisplacementsFromTheAdvanceGoWithEachCharacter) {
    auto records = Line("ABC", 100, 200, 50);
    records[1].X = 160;  // 10 more than the advance
    records[2].X = 205;  // 5 less
    records[2].Y = 203;
    ASSERT_TRUE(Write(records));
    GoldenStream expected;
    expected.Add("move, short x: (100, 200)", {0xB6, 0x64, 0x00, 0xC8})
        .Add("run of 3 with displacements", {0xCD, 0x03})
        .Add("'A' then +10, 0", {0x41, 0x0A, 0x00})
        .Add("'B' then -5, +3", {0x42, 0xFB, 0x03})
        .Add("'C', last", {0x43, 0x00, 0x00});
    EXPECT_TRUE(expected.Matches(Buffered()));
}

TEST_F(DeviceFontStringTest, ABigDisplacementSplitsTheRunIntoPlacedCharacters) {
    auto records = Line("AB", 100, 200, 50);
    records[1].X = 100 + 50 + 128;  // one dot beyond the byte
    ASSERT_TRUE(Write(records));
    GoldenStream expected;
    expected.Add("move, short x: (100, 200)", {0xB6, 0x64, 0x00, 0xC8})
        .Add("'A'", {0xCC, 0x00, 0x41})
        .Add("move, long: (278, 200)", {0xB8, 0x00, 0x01, 0x16, 0x00, 0x00, 0x00, 0xC8})
        .Add("'B'", {0xCC, 0x00, 0x42});
    EXPECT_TRUE(expected.Matches(Buffered()));
}

TEST_F(DeviceFontStringTest, RunsAreCutAt255Characters) {
    for (bool displaced : {false, true}) {
        SCOPED_TRACE(displaced ? "with displacements" : "plain");
        ClearBuffer();
        Pdev().Draw.PositionKnown = 0;
        auto records = Line(std::string(300, 'x'), 0, 100, displaced ? 51 : 50);
        ASSERT_TRUE(Write(records));
        const std::vector<BYTE> out = Buffered();
        GoldenStream expected;
        std::vector<BYTE> first;
        std::vector<BYTE> second;
        if (!displaced) {
            first = {0xCE, 0x00, 0x00, 0xFF};
            first.insert(first.end(), 255, 'x');
            second = {0xCE, 0x00, 0x00, 0x2D};
            second.insert(second.end(), 45, 'x');
        } else {
            first = {0xCD, 0xFF};
            for (int i = 0; i < 255; ++i) first.insert(first.end(), {'x', BYTE(i < 254 ? 1 : 0), 0x00});
            second = {0xCD, 0x2D};
            for (int i = 0; i < 45; ++i) second.insert(second.end(), {'x', BYTE(i < 44 ? 1 : 0), 0x00});
        }
        const LONG x2 = 255 * (displaced ? 51 : 50);
        expected.Add("move, short x: (0, 100)", {0xB6, 0x00, 0x00, 0x64})
            .Add("first 255 characters", first)
            .Add("move, short y: character 256", {0xB7, 0x64, BYTE(x2 >> 8), BYTE(x2)})
            .Add("the other 45", second);
        EXPECT_TRUE(expected.Matches(out));
    }
}

TEST_F(DeviceFontStringTest, TurnedTextAdvancesAlongItsAngle) {
    FontState font;
    font.escapement = 90;
    Realized(font);
    Pdev().Draw.DirectionAngle = 0;
    ClearBuffer();
    // At 90 degrees the advance is (0, -50).
    auto records = Line("AB", 100, 500, 0);
    records[1].Y = 450;
    ASSERT_TRUE(Write(records));
    GoldenStream expected;
    expected.Add("direction 90", {0xC7, 0x00, 0x00, 0x5A})
        .Add("move, short x: (100, 500)", {0xB6, 0x64, 0x01, 0xF4})
        .Add("plain run of 2", {0xCE, 0x00, 0x00, 0x02, 0x41, 0x42});
    EXPECT_TRUE(expected.Matches(Buffered()));
}

TEST_F(DeviceFontStringTest, ShiftJisStyleChangesSizeSwapsAndTurningPunctuationStandApart) {
    FontState font;
    font.selectId = "06F2-031";
    font.doubleByteFlags = kDbcsFont | kDbcsVertical;
    font.textMode = 2;
    font.doubleByte[0] = 83;
    font.doubleByte[1] = 90;
    Realized(font);
    Pdev().Draw.StyleWords[0] = 0x8000;
    Pdev().Draw.FontNumber = 0x20;  // the single-byte font was selected last
    ClearBuffer();

    std::vector<DeviceCharRecord> records = {Record(0x889F, 100, 100), Record('A', 100, 200),
                                             Record(0x8151, 100, 300)};
    records[1].Style = 0x0000;
    records[1].SizeSwap = 1;
    records[2].Style = 0x8000;
    records[2].SizeSwap = 1;
    records[2].Direction = 270;
    for (WORD i = 0; i < 3; ++i) records[i].Left = static_cast<WORD>(3 - i);
    ASSERT_TRUE(Write(records));
    GoldenStream expected;
    expected.Add("select the double-byte font 0x310", {0xCB, 0x00, 0x03, 0x10})
        .Add("move, short x: (100, 100)", {0xB6, 0x64, 0x00, 0x64})
        .Add("kanji 889F", {0xCC, 0x00, 0x88, 0x9F})
        .Add("style: horizontal for the letter", {0xC8, 0x00, 0x00, 0x00})
        .Add("height takes the cached width 83", {0xC5, 0x00, 0x00, 0x53})
        .Add("width takes the cached height 90", {0xC6, 0x00, 0x00, 0x5A})
        .Add("move, short x: (100, 200)", {0xB6, 0x64, 0x00, 0xC8})
        .Add("'A' as a two-byte code", {0xCC, 0x00, 0x00, 0x41})
        .Add("style: vertical again", {0xC8, 0x00, 0x80, 0x00})
        .Add("sizes back: height 90", {0xC5, 0x00, 0x00, 0x5A})
        .Add("width 83", {0xC6, 0x00, 0x00, 0x53})
        .Add("direction 270 for the turning dash", {0xC7, 0x00, 0x01, 0x0E})
        .Add("move by the cached C5 (90) along the escapement: (190, 300)",
                 {0xB8, 0x00, 0x00, 0xBE, 0x00, 0x00, 0x01, 0x2C})
        .Add("dash 8151", {0xCC, 0x00, 0x81, 0x51});
    EXPECT_TRUE(expected.Matches(Buffered()));
}

TEST_F(DeviceFontStringTest, RedTextStandsAloneInItsOwnCharacterMode) {
    FontState font;
    font.selectId = "06F2-251";
    font.doubleByteFlags = kDbcsFont;
    font.textMode = 2;
    font.doubleByteFont = 0x2510;
    Realized(font);
    Pdev().Text.RedText = 1;
    ClearBuffer();
    std::vector<DeviceCharRecord> records = {Record(0x91CB, 100, 100), Record(0x91CC, 183, 100)};
    records[0].Left = 2;
    ASSERT_TRUE(Write(records));
    GoldenStream expected;
    expected.Add("move, short x: (100, 100)", {0xB6, 0x64, 0x00, 0x64})
        .Add("character mode 0", {0xC2, 0x00, 0x00, 0x00})
        .Add("91CB", {0xCC, 0x00, 0x91, 0xCB})
        .Add("character mode back to 2", {0xC2, 0x00, 0x00, 0x02})
        .Add("move, short y: (183, 100)", {0xB7, 0x64, 0x00, 0xB7})
        .Add("91CC", {0xCC, 0x00, 0x91, 0xCC});
    EXPECT_TRUE(expected.Matches(Buffered()));
}

}  // namespace
}  // namespace texttest
