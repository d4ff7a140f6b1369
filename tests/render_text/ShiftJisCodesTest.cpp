// The ANSI codes of characters, which of them the Shift-JIS device fonts print, the codes
// that stand in for what the printer's set lacks, and the vertical style of two-byte text.
#include "platform/StandIn.h"
#include "render/draw/DeviceFontText.h"
#include "tests/render_text/TextFixture.h"

namespace texttest {
namespace {

class ShiftJisTest : public TextTest {
protected:
    void Font(bool vertical) {
        FontState font;
        font.selectId = "06F2-031";
        font.doubleByteFlags = static_cast<WORD>(kDbcsFont | (vertical ? kDbcsVertical : 0));
        font.textMode = 2;
        font.doubleByte[0] = 83;
        font.doubleByte[1] = 90;  // kept sizes that differ: a style change swaps them
        Realized(font);
        Pdev().TextValues[kTextVerticalShift] = vertical ? 1 : 0;
        Pdev().Draw.StyleWords[0] = vertical ? 0x8000 : 0;
    }
};

TEST_F(ShiftJisTest, AnsiCodesOfCharacters) {
    EXPECT_EQ(AnsiCodeOf(u'A'), 0x41);
    EXPECT_EQ(AnsiCodeOf(u'?'), 0x3F);
    EXPECT_EQ(AnsiCodeOf(u'あ'), 0x82A0);
    EXPECT_EQ(AnsiCodeOf(u'ｱ'), 0xB1);
    EXPECT_EQ(AnsiCodeOf(0xE000), 0xF040) << "first user-defined character";
    EXPECT_EQ(AnsiCodeOf(0x0100), 0xF040) << "a character the code page lacks";
    standin::SetAnsiCodePage(1252);
    EXPECT_EQ(AnsiCodeOf(u'あ'), 0xF040);
    EXPECT_EQ(AnsiCodeOf(0x00E9), 0xE9);
}

TEST_F(ShiftJisTest, WhatTheDeviceFontPrints) {
    struct Case {
        WCHAR wc;
        bool vertical;
        DWORD printable;
    };
    const Case cases[] = {
        {u'A', false, 1},       {u'~', false, 0},      {u'あ', false, 1},     {u'ｱ', false, 1},
        {0xE000, false, 0},     {0xE0BC, false, 0},    {0x0100, false, 0},    {u'?', false, 1},
        {0x7E8A, false, 0},     // an IBM extension (FA5C)
        {u'＿', false, 1},      {u'＿', true, 0},      // 8151 turns in vertical text
        {u'（', false, 1},      {u'（', true, 1},      // 8169 is not among them
        {u'ー', true, 1},       {0xFF5E, true, 1},  // fullwidth tilde 8160
    };
    for (const Case& c : cases) {
        Font(c.vertical);
        EXPECT_EQ(IsDeviceFontChar(&Pdev(), c.wc), c.printable) << std::hex << "U+" << static_cast<unsigned>(c.wc) << " vertical " << c.vertical;
    }
    standin::SetAnsiCodePage(1252);
    Font(false);
    EXPECT_EQ(IsDeviceFontChar(&Pdev(), u'あ'), 0u) << "Japanese text degrades without code page 932";
}

TEST_F(ShiftJisTest, CodesThePrinterLacksAreReplaced) {
    struct Case {
        WORD code;
        bool modeZero;
        WORD expected;
    };
    const Case cases[] = {
        {0x82A0, false, 0x82A0}, {0x82A0, true, 0x82A0},  // hiragana a
        {0x4142, false, 0x8148},                          // lead byte outside the set
        {0x8139, false, 0x8148}, {0x817F, false, 0x8148}, {0x81FD, false, 0x8148},  // bad trail bytes
        {0xF040, false, 0x8148}, {0xFA5C, false, 0x8148}, {0xFC4B, false, 0x8148},  // user rows, IBM rows
        {0xEB40, false, 0x8145}, {0xECFC, false, 0x8145}, {0xEEED, false, 0x8145},  // unassigned extension rows
        {0xED40, false, 0xED40}, {0xEEEF, false, 0xEEEF},
        {0x81AD, false, 0x81AD}, {0x81AD, true, 0x8145},  // unassigned in row 81: character mode 0 only
        {0x84BF, true, 0x8145},  {0x8776, true, 0x8145},  {0xEAA5, true, 0x8145}, {0xEAA4, true, 0xEAA4},
        {0x8740, true, 0x8740},  {0x001F, false, 0x8148}, {0x0041, false, 0x0041},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RepairShiftJis(c.code, c.modeZero), c.expected) << std::hex << c.code << " mode 0 " << c.modeZero;
    }
}

TEST_F(ShiftJisTest, VerticalStyleIsLeftForSingleByteCharactersAndEnteredForTwoByteOnes) {
    Font(true);
    Pdev().Text.Escapement = 0;
    const DWORD swappedBefore = Pdev().StateFlags & kStateSizesSwapped;

    DeviceCharRecord kanji{};
    ToDeviceCode(&Pdev(), 0x889F, &kanji);
    EXPECT_EQ(kanji.Code, 0x889F);
    EXPECT_EQ(kanji.Style, kNoStyle) << "already vertical";
    EXPECT_EQ(kanji.DoubleByte, 1u);
    EXPECT_EQ(kanji.Vertical, 1u);

    DeviceCharRecord letter{};
    ToDeviceCode(&Pdev(), 'A', &letter);
    EXPECT_EQ(letter.Code, 'A');
    EXPECT_EQ(letter.Style, 0x0000) << "bit 15 cleared for the letter";
    EXPECT_EQ(letter.SizeSwap, 1u);
    EXPECT_EQ(letter.Vertical, 0u);
    EXPECT_EQ(Pdev().TextValues[kTextVerticalShift], 0u);
    EXPECT_NE(Pdev().StateFlags & kStateSizesSwapped, swappedBefore);

    DeviceCharRecord dash{};
    ToDeviceCode(&Pdev(), 0x8151, &dash);
    EXPECT_EQ(dash.Style, 0x8000) << "back to the vertical style";
    EXPECT_EQ(dash.Direction, 270) << "turning punctuation";
    EXPECT_EQ(Pdev().StateFlags & kStateSizesSwapped, swappedBefore);

    DeviceCharRecord control{};
    ToDeviceCode(&Pdev(), 0x07, &control);
    EXPECT_EQ(control.Code, 0xA5);
    DeviceCharRecord kana{};
    ToDeviceCode(&Pdev(), 0xB1, &kana);
    EXPECT_EQ(kana.Code, 0xB1);
}

TEST_F(ShiftJisTest, HorizontalFontsKeepTheirStyleAndTurnNothing) {
    Font(false);
    Pdev().Text.Escapement = 90;
    DeviceCharRecord dash{};
    ToDeviceCode(&Pdev(), 0x8151, &dash);
    EXPECT_EQ(dash.Style, kNoStyle);
    EXPECT_EQ(dash.Direction, kNoDirection);
    DeviceCharRecord letter{};
    ToDeviceCode(&Pdev(), 'A', &letter);
    EXPECT_EQ(letter.Style, kNoStyle);
    // Character mode 0 repairs unassigned codes of row 81 too.
    Pdev().Draw.CharMode = 0;
    DeviceCharRecord gap{};
    ToDeviceCode(&Pdev(), 0x81AD, &gap);
    EXPECT_EQ(gap.Code, 0x8145);
    Pdev().Draw.CharMode = 2;
    ToDeviceCode(&Pdev(), 0x81AD, &gap);
    EXPECT_EQ(gap.Code, 0x81AD);
    DeviceCharRecord wide{};
    ToDeviceCode(&Pdev(), 0x1FFFF, &wide);
    EXPECT_EQ(wide.Code, 0x8148) << "a handle beyond 16 bits";
}

}  // namespace
}  // namespace texttest
