// Text: the fixed metric callers lay out with, DrawTextW's placement, and glyphs or boxes.
#include "tests/platform_drawing/DrawingFixture.h"

namespace uiparts {
namespace {

using TextTest = UiTest;

// Selects a font of that height and weight into the DC for the life of the object.
class FontIn {
public:
    FontIn(HDC dc, LONG height, LONG weight) : dc_(dc) {
        LOGFONTW lf{};
        lf.lfHeight = height;
        lf.lfWeight = weight;
        font_ = CreateFontIndirectW(&lf);
        old_ = SelectObject(dc_, font_);
    }
    ~FontIn() {
        SelectObject(dc_, old_);
        DeleteObject(font_);
    }
    FontIn(const FontIn&) = delete;
    FontIn& operator=(const FontIn&) = delete;

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ old_;
};

TEST_F(TextTest, ExtentsFollowHeightWeightAndWideCharacters) {
    struct Case {
        LONG height, weight;
        const char16_t* text;
        LONG cx, cy;
    };
    const Case cases[] = {
        {-12, FW_NORMAL, u"Paper", 30, 12},
        {16, FW_NORMAL, u"A4", 16, 16},
        {0, FW_NORMAL, u"x", 8, 16},              // height 0: the default 16
        {-12, FW_BOLD, u"Paper", 35, 12},         // bold: one more pixel per character
        {-12, FW_NORMAL, u"\u7528\u7D19", 24, 12},  // wide characters: the full height
        {-12, FW_NORMAL, u"\uFF71", 6, 12},        // half-width katakana stays narrow
    };
    Canvas canvas(1, 1);
    for (const Case& c : cases) {
        FontIn font(canvas.Dc(), c.height, c.weight);
        SIZE size{};
        ASSERT_TRUE(GetTextExtentPoint32W(canvas.Dc(), c.text, static_cast<int>(std::char_traits<char16_t>::length(c.text)), &size));
        EXPECT_EQ(size.cx, c.cx) << c.height << "/" << c.weight;
        EXPECT_EQ(size.cy, c.cy) << c.height << "/" << c.weight;
    }
    FontIn font(canvas.Dc(), -16, FW_BOLD);
    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(canvas.Dc(), &tm));
    EXPECT_EQ(tm.tmHeight, 16);
    EXPECT_EQ(tm.tmAscent, 14);
    EXPECT_EQ(tm.tmDescent, 2);
    EXPECT_EQ(tm.tmAveCharWidth, 9);
    EXPECT_EQ(tm.tmWeight, FW_BOLD);
}

TEST_F(TextTest, DrawTextPlacesAndMeasures) {
    Canvas canvas(100, 40);
    FontIn font(canvas.Dc(), -10, FW_NORMAL);  // characters 5 pixels wide, lines 10 high
    RECT calc{0, 0, 40, 0};
    EXPECT_EQ(DrawTextW(canvas.Dc(), u"one two three", -1, &calc, DT_CALCRECT | DT_WORDBREAK), 20);
    EXPECT_EQ(calc.right, 35);  // "one two" is the widest line, "three" goes below
    EXPECT_EQ(calc.bottom, 20);

    RECT prefix{0, 0, 100, 0};
    DrawTextW(canvas.Dc(), u"&Save && exit", -1, &prefix, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(prefix.right, 55) << "prefix marks take no room";

    // Centred on one line: the text's ink stays within the middle of the box.
    SetBkMode(canvas.Dc(), OPAQUE);
    SetBkColor(canvas.Dc(), RGB(255, 0, 0));
    RECT box{0, 0, 100, 40};
    EXPECT_EQ(DrawTextW(canvas.Dc(), u"ab", 2, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE), 10);
    EXPECT_EQ(canvas.At(45, 15), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(44, 15), RGB(255, 255, 255));
    EXPECT_EQ(canvas.At(55, 15), RGB(255, 255, 255));
    EXPECT_EQ(canvas.At(50, 14), RGB(255, 255, 255));
}

TEST_F(TextTest, TextAlignmentAndCurrentPosition) {
    Canvas canvas(60, 20);
    FontIn font(canvas.Dc(), -10, FW_NORMAL);
    SetBkColor(canvas.Dc(), RGB(0, 255, 0));
    SetTextAlign(canvas.Dc(), TA_RIGHT | TA_BOTTOM);
    TextOutW(canvas.Dc(), 30, 20, u"ab", 2);  // the cell runs from (20, 10) to (30, 20)
    EXPECT_EQ(canvas.At(20, 10), RGB(0, 255, 0));
    EXPECT_EQ(canvas.At(19, 10), RGB(255, 255, 255));
    EXPECT_EQ(canvas.At(30, 10), RGB(255, 255, 255));

    SetTextAlign(canvas.Dc(), TA_UPDATECP);
    MoveToEx(canvas.Dc(), 2, 0, nullptr);
    TextOutW(canvas.Dc(), 0, 0, u"abc", 3);
    POINT at{};
    MoveToEx(canvas.Dc(), 0, 0, &at);
    EXPECT_EQ(at.x, 17);
}

TEST_F(TextTest, GlyphsComeFromTheFontFileOrBoxes) {
    // Without glyphs every character is a box of the same extent.
    standin::ui::SetGlyphFile("");
    Canvas boxes(16, 16);
    SetBkMode(boxes.Dc(), TRANSPARENT);
    TextOutW(boxes.Dc(), 0, 0, u"A", 1);
    EXPECT_EQ(boxes.At(1, 2), RGB(0, 0, 0));  // the box's corner
    EXPECT_EQ(boxes.At(3, 6), RGB(255, 255, 255));

    // A one-glyph font file: "A" is a single vertical bar in column 0.
    kvtest::TempFolder folder;
    const std::string path = folder.Path() + "/glyphs.hex";
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("0041:80808080808080808080808080808080\nbad line\n", f);
    std::fclose(f);
    standin::ui::SetGlyphFile(path);
    EXPECT_TRUE(standin::ui::GlyphsAvailable());
    Canvas glyph(16, 16);
    FontIn font(glyph.Dc(), -16, FW_NORMAL);
    SetBkMode(glyph.Dc(), TRANSPARENT);
    TextOutW(glyph.Dc(), 0, 0, u"AB", 2);  // "B" has no glyph: a box
    EXPECT_EQ(glyph.Row(5, 0, 8, RGB(0, 0, 0)), "#.......");
    EXPECT_EQ(glyph.At(9, 2), RGB(0, 0, 0));

    standin::ui::SetGlyphFile("/usr/share/unifont/unifont.hex");
}

// The lowest row of the column holding black ink, or -1.
int LowestInk(const Canvas& canvas, int x, int height) {
    int lowest = -1;
    for (int y = 0; y < height; ++y) {
        if (canvas.At(x, y) == RGB(0, 0, 0)) lowest = y;
    }
    return lowest;
}

TEST_F(TextTest, MnemonicUnderlineShowsBelowTheLetter) {
    // "E" is a solid block on design rows 2-13, where letters stand (14 and 15 are for
    // descenders): the underline must come below its foot, not merge into it.
    kvtest::TempFolder folder;
    const std::string path = folder.Path() + "/glyphs.hex";
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("0045:0000FFFFFFFFFFFFFFFFFFFFFFFF0000\n", f);
    std::fclose(f);
    standin::ui::SetGlyphFile(path);
    for (LONG height : {11, 12, 13, 16, 24}) {
        Canvas plain(20, 30);
        Canvas marked(20, 30);
        FontIn plainFont(plain.Dc(), -height, FW_NORMAL);
        FontIn markedFont(marked.Dc(), -height, FW_NORMAL);
        RECT box{0, 0, 20, 30};
        DrawTextW(plain.Dc(), u"E", -1, &box, DT_SINGLELINE | DT_NOCLIP);
        DrawTextW(marked.Dc(), u"&E", -1, &box, DT_SINGLELINE | DT_NOCLIP);
        const int foot = LowestInk(plain, 1, 30);
        ASSERT_GT(foot, 0) << height;
        EXPECT_GT(LowestInk(marked, 1, 30), foot) << "height " << height;
        EXPECT_LT(LowestInk(marked, 1, 30), height) << "height " << height;
    }
    standin::ui::SetGlyphFile("/usr/share/unifont/unifont.hex");
}

}  // namespace
}  // namespace uiparts
