// Drawing into memory bitmaps: the pixels each call leaves and what the log records.
#include "tests/platform_drawing/DrawingFixture.h"

namespace uiparts {
namespace {

using DrawingTest = UiTest;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

TEST_F(DrawingTest, BlockTransfersCombineSourceAndDestination) {
    struct Case {
        const char* name;
        DWORD rop;
        COLORREF source, dest, expected;
    };
    const Case cases[] = {
        {"SRCCOPY", SRCCOPY, RGB(0x12, 0x34, 0x56), RGB(0xFF, 0, 0), RGB(0x12, 0x34, 0x56)},
        {"SRCAND", SRCAND, RGB(0xF0, 0x0F, 0xFF), RGB(0x3C, 0x3C, 0x00), RGB(0x30, 0x0C, 0x00)},
        {"SRCPAINT", SRCPAINT, RGB(0xF0, 0x0F, 0x00), RGB(0x0C, 0x30, 0x01), RGB(0xFC, 0x3F, 0x01)},
        {"SRCINVERT", SRCINVERT, RGB(0xFF, 0x0F, 0x00), RGB(0x0F, 0x0F, 0xAA), RGB(0xF0, 0x00, 0xAA)},
        {"NOTSRCCOPY", NOTSRCCOPY, RGB(0xFF, 0x0F, 0x00), RGB(1, 2, 3), RGB(0x00, 0xF0, 0xFF)},
    };
    for (const Case& c : cases) {
        Canvas src(2, 2, c.source), dst(2, 2, c.dest);
        ASSERT_TRUE(BitBlt(dst.Dc(), 0, 0, 2, 2, src.Dc(), 0, 0, c.rop)) << c.name;
        EXPECT_EQ(dst.At(1, 1), c.expected) << c.name;
    }
}

TEST_F(DrawingTest, PatternOperationsNeedNoSource) {
    Canvas canvas(4, 1, RGB(10, 20, 30));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(canvas.Dc(), red);
    EXPECT_TRUE(PatBlt(canvas.Dc(), 0, 0, 1, 1, WHITENESS));
    EXPECT_TRUE(PatBlt(canvas.Dc(), 1, 0, 1, 1, BLACKNESS));
    EXPECT_TRUE(PatBlt(canvas.Dc(), 2, 0, 1, 1, PATCOPY));
    EXPECT_TRUE(BitBlt(canvas.Dc(), 3, 0, 1, 1, nullptr, 0, 0, DSTINVERT));
    EXPECT_FALSE(PatBlt(canvas.Dc(), 0, 0, 1, 1, SRCCOPY)) << "a source operation has no source here";
    EXPECT_EQ(canvas.At(0, 0), kWhite);
    EXPECT_EQ(canvas.At(1, 0), kBlack);
    EXPECT_EQ(canvas.At(2, 0), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(3, 0), RGB(245, 235, 225));
    SelectObject(canvas.Dc(), old);
    DeleteObject(red);
}

TEST_F(DrawingTest, MonochromeConversionUsesTextAndBackgroundColours) {
    // Colour to mono: the source DC's background colour becomes white, all else black.
    Canvas colour(2, 1, RGB(0, 0, 255));
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    RECT right{1, 0, 2, 1};
    FillRect(colour.Dc(), &right, green);
    DeleteObject(green);
    Canvas mono(2, 1, kBlack, 1);
    SetBkColor(colour.Dc(), RGB(0, 255, 0));
    BitBlt(mono.Dc(), 0, 0, 2, 1, colour.Dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(mono.At(0, 0), kBlack);
    EXPECT_EQ(mono.At(1, 0), kWhite);

    // Mono to colour: black takes the destination's text colour, white its background.
    Canvas target(2, 1);
    SetTextColor(target.Dc(), RGB(200, 0, 0));
    SetBkColor(target.Dc(), RGB(0, 0, 200));
    BitBlt(target.Dc(), 0, 0, 2, 1, mono.Dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(target.At(0, 0), RGB(200, 0, 0));
    EXPECT_EQ(target.At(1, 0), RGB(0, 0, 200));
}

TEST_F(DrawingTest, StretchScalesAndMirrors) {
    Canvas src(2, 1, kWhite);
    HBRUSH black = CreateSolidBrush(kBlack);
    RECT left{0, 0, 1, 1};
    FillRect(src.Dc(), &left, black);
    DeleteObject(black);
    Canvas dst(4, 2, RGB(1, 1, 1));
    EXPECT_TRUE(StretchBlt(dst.Dc(), 0, 0, 4, 1, src.Dc(), 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(dst.Row(0, 0, 4, kBlack), "##..");
    EXPECT_TRUE(StretchBlt(dst.Dc(), 0, 1, 4, 1, src.Dc(), 2, 0, -2, 1, SRCCOPY));
    EXPECT_EQ(dst.Row(1, 0, 4, kBlack), "..##");
}

TEST_F(DrawingTest, RectangleLinesAndPenStyles) {
    Canvas canvas(8, 8);
    HBRUSH fill = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ oldBrush = SelectObject(canvas.Dc(), fill);
    EXPECT_TRUE(Rectangle(canvas.Dc(), 1, 1, 5, 4));
    EXPECT_EQ(canvas.Row(1, 0, 6, kBlack), ".####.");  // right edge exclusive
    EXPECT_EQ(canvas.Row(2, 0, 6, RGB(0, 0, 255)), "..##..");
    EXPECT_EQ(canvas.Row(3, 0, 6, kBlack), ".####.");
    SelectObject(canvas.Dc(), oldBrush);
    DeleteObject(fill);

    // A line leaves out its last point; a dotted pen skips every other pixel and, drawn
    // transparent, leaves the gaps alone.
    MoveToEx(canvas.Dc(), 0, 6, nullptr);
    LineTo(canvas.Dc(), 4, 6);
    EXPECT_EQ(canvas.Row(6, 0, 8, kBlack), "####....");
    HPEN dot = CreatePen(PS_DOT, 1, kBlack);
    HGDIOBJ oldPen = SelectObject(canvas.Dc(), dot);
    SetBkMode(canvas.Dc(), TRANSPARENT);
    MoveToEx(canvas.Dc(), 0, 7, nullptr);
    LineTo(canvas.Dc(), 8, 7);
    EXPECT_EQ(canvas.Row(7, 0, 8, kBlack), "#.#.#.#.");
    SelectObject(canvas.Dc(), oldPen);
    DeleteObject(dot);
}

TEST_F(DrawingTest, BinaryRasterOperationsOfThePen) {
    struct Case {
        int rop2;
        COLORREF expected;
    };
    // Pen 0x0F0F0F on a 0x333333 background.
    for (const Case& c : {Case{R2_COPYPEN, RGB(0x0F, 0x0F, 0x0F)}, Case{R2_NOT, RGB(0xCC, 0xCC, 0xCC)},
                          Case{R2_XORPEN, RGB(0x3C, 0x3C, 0x3C)}, Case{R2_NOP, RGB(0x33, 0x33, 0x33)},
                          Case{R2_MASKPEN, RGB(0x03, 0x03, 0x03)}, Case{R2_WHITE, kWhite}}) {
        Canvas canvas(3, 1, RGB(0x33, 0x33, 0x33));
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(0x0F, 0x0F, 0x0F));
        HGDIOBJ old = SelectObject(canvas.Dc(), pen);
        EXPECT_EQ(SetROP2(canvas.Dc(), c.rop2), R2_COPYPEN);
        MoveToEx(canvas.Dc(), 0, 0, nullptr);
        LineTo(canvas.Dc(), 2, 0);
        EXPECT_EQ(canvas.At(1, 0), c.expected) << c.rop2;
        SelectObject(canvas.Dc(), old);
        DeleteObject(pen);
    }
}

TEST_F(DrawingTest, FocusRectangleDrawnTwiceLeavesNoTrace) {
    Canvas canvas(6, 6, RGB(0x40, 0x80, 0xC0));
    const standin::ui::Pixels before = standin::ui::BitmapPixels(canvas.Bitmap());
    RECT r{0, 0, 6, 6};
    DrawFocusRect(canvas.Dc(), &r);
    EXPECT_EQ(canvas.At(0, 0), RGB(0xBF, 0x7F, 0x3F));
    EXPECT_EQ(canvas.At(2, 2), RGB(0x40, 0x80, 0xC0)) << "the inside is left alone";
    DrawFocusRect(canvas.Dc(), &r);
    EXPECT_EQ(standin::ui::BitmapPixels(canvas.Bitmap()).bgr, before.bgr);
}

TEST_F(DrawingTest, ClipRectangleBoundsEveryCall) {
    Canvas canvas(6, 1);
    EXPECT_EQ(IntersectClipRect(canvas.Dc(), 2, 0, 4, 1), SIMPLEREGION);
    EXPECT_TRUE(PatBlt(canvas.Dc(), 0, 0, 6, 1, BLACKNESS));
    EXPECT_EQ(canvas.Row(0, 0, 6, kBlack), "..##..");
    RECT box{};
    EXPECT_EQ(GetClipBox(canvas.Dc(), &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.right, 4);
    EXPECT_EQ(IntersectClipRect(canvas.Dc(), 5, 0, 6, 1), NULLREGION);
}

TEST_F(DrawingTest, DibsDecodeBottomUpWithTheirColourTable) {
    // A 4-bit, 3 x 2 DIB, bottom row first: indexes 1 2 0 / 0 1 1.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[3];
    } info{};
    info.header = {sizeof(BITMAPINFOHEADER), 3, 2, 1, 4, BI_RGB, 0, 0, 0, 3, 0};
    info.colors[0] = {0, 0, 0, 0};
    info.colors[1] = {0, 0, 255, 0};  // red
    info.colors[2] = {255, 0, 0, 0};  // blue
    const BYTE bits[8] = {0x12, 0x00, 0, 0, 0x01, 0x10, 0, 0};
    Canvas screen(1, 1);
    HBITMAP bitmap = CreateDIBitmap(screen.Dc(), &info.header, CBM_INIT, bits,
                                    reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
    ASSERT_NE(bitmap, nullptr);
    const standin::ui::Pixels px = standin::ui::BitmapPixels(bitmap);
    EXPECT_EQ(px.At(0, 1), RGB(255, 0, 0));
    EXPECT_EQ(px.At(1, 1), RGB(0, 0, 255));
    EXPECT_EQ(px.At(2, 1), kBlack);
    EXPECT_EQ(px.At(1, 0), RGB(255, 0, 0));
    DeleteObject(bitmap);

    info.header.biCompression = 1;  // run-length coding is refused
    EXPECT_EQ(CreateDIBitmap(screen.Dc(), &info.header, CBM_INIT, bits, reinterpret_cast<const BITMAPINFO*>(&info),
                             DIB_RGB_COLORS),
              nullptr);
}

TEST_F(DrawingTest, LogRecordsCallsPerDc) {
    Canvas canvas(4, 4);
    RECT r{0, 0, 2, 2};
    FillRect(canvas.Dc(), &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    TextOutW(canvas.Dc(), 1, 2, u"OK", 2);
    const std::vector<standin::ui::DrawCall> log = standin::ui::DrawLog(canvas.Dc());
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2].ToString(),
              "FillRect(0,0,2,2," + std::to_string(GetSysColor(COLOR_HIGHLIGHT)) + ")");
    EXPECT_EQ(log.back().ToString(), "TextOutW(1,2,\"OK\")");
}

}  // namespace
}  // namespace uiparts
