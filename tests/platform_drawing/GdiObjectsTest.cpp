// GDI objects: what deletion and selection allow, what GetObjectW reports, and that bad
// handles fail instead of crashing.
#include "tests/platform_drawing/DrawingFixture.h"

#include "platform/Kernel.h"

namespace uiparts {
namespace {

using GdiObjectsTest = UiTest;

TEST_F(GdiObjectsTest, StockObjectsAndSystemBrushesOutliveDeletion) {
    for (int id : {WHITE_BRUSH, BLACK_PEN, NULL_BRUSH, DEFAULT_GUI_FONT, SYSTEM_FONT}) {
        HGDIOBJ stock = GetStockObject(id);
        ASSERT_NE(stock, nullptr) << id;
        EXPECT_TRUE(DeleteObject(stock));
        EXPECT_EQ(GetStockObject(id), stock);
        EXPECT_NE(GetObjectType(stock), 0u) << "stock object " << id << " was freed";
    }
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    EXPECT_TRUE(DeleteObject(face));
    LOGBRUSH lb{};
    ASSERT_EQ(GetObjectW(face, sizeof lb, &lb), static_cast<int>(sizeof lb));
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetStockObject(99), nullptr);
    // The GUI font is the platform's 8-point one: a bold label of eleven letters takes 66
    // pixels, as it does there, and fits the 72 the status sheets give it.
    LOGFONTW gui{};
    ASSERT_GT(GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui), 0);
    EXPECT_EQ(gui.lfHeight, -11);
    gui.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectW(&gui);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bold);
    SIZE extent{};
    ASSERT_TRUE(GetTextExtentPoint32W(dc, u"Paper level", 11, &extent));
    EXPECT_EQ(extent.cx, 66);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bold);
}

TEST_F(GdiObjectsTest, LiveCountFollowsCreationAndDeletion) {
    const unsigned before = standin::ui::LiveGdiObjectCount();
    HPEN pen = CreatePen(PS_DOT, 1, RGB(1, 2, 3));
    HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
    LOGFONTW lf{};
    lf.lfHeight = -12;
    lf.lfWeight = FW_BOLD;
    HFONT font = CreateFontIndirectW(&lf);
    HBITMAP bitmap = CreateBitmap(4, 4, 1, 24, nullptr);
    EXPECT_EQ(standin::ui::LiveGdiObjectCount(), before + 4);
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(brush), static_cast<HGDIOBJ>(font),
                      static_cast<HGDIOBJ>(bitmap)})
        EXPECT_TRUE(DeleteObject(o));
    EXPECT_EQ(standin::ui::LiveGdiObjectCount(), before);
}

TEST_F(GdiObjectsTest, SelectedObjectsRefuseDeletionUntilDeselected) {
    HDC dc = CreateCompatibleDC(nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 24, nullptr);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    EXPECT_EQ(oldPen, GetStockObject(BLACK_PEN));
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(bitmap));

    // A bitmap lives in one DC at a time.
    HDC other = CreateCompatibleDC(dc);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr);
    DeleteDC(other);

    SelectObject(dc, oldPen);
    SelectObject(dc, oldBitmap);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteDC(dc));
}

TEST_F(GdiObjectsTest, SavedStateKeepsItsObjectsSelected) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
    HGDIOBJ old = SelectObject(dc, brush);
    const int saved = SaveDC(dc);
    SelectObject(dc, old);
    EXPECT_FALSE(DeleteObject(brush)) << "the saved state still holds it";
    ASSERT_TRUE(RestoreDC(dc, saved));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteObject(brush));
    DeleteDC(dc);
}

TEST_F(GdiObjectsTest, GetObjectReportsEachKind) {
    HPEN pen = CreatePen(PS_DOT, 2, RGB(1, 2, 3));
    LOGPEN lp{};
    EXPECT_EQ(GetObjectW(pen, sizeof lp, &lp), static_cast<int>(sizeof lp));
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DOT));
    EXPECT_EQ(lp.lopnWidth.x, 2);
    EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));

    const BYTE rows[2][2] = {{0x80, 0}, {0x40, 0}};  // 1-bit rows padded to 16 bits
    HBITMAP mono = CreateBitmap(3, 2, 1, 1, rows);
    BITMAP bm{};
    EXPECT_EQ(GetObjectW(mono, 0, nullptr), static_cast<int>(sizeof bm));
    ASSERT_EQ(GetObjectW(mono, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmWidthBytes, 2);
    const standin::ui::Pixels px = standin::ui::BitmapPixels(mono);
    EXPECT_EQ(px.At(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(px.At(1, 0), RGB(0, 0, 0));
    EXPECT_EQ(px.At(1, 1), RGB(255, 255, 255));

    BYTE entries[sizeof(LOGPALETTE) + sizeof(PALETTEENTRY)]{};
    auto* lp2 = reinterpret_cast<LOGPALETTE*>(entries);
    lp2->palVersion = 0x300;
    lp2->palNumEntries = 2;
    HPALETTE palette = CreatePalette(lp2);
    WORD count = 0;
    EXPECT_EQ(GetObjectW(palette, sizeof count, &count), 2);
    EXPECT_EQ(count, 2);
    lp2->palVersion = 0x200;
    EXPECT_EQ(CreatePalette(lp2), nullptr);

    for (HGDIOBJ o : {static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(mono), static_cast<HGDIOBJ>(palette)})
        DeleteObject(o);
}

TEST_F(GdiObjectsTest, UnknownAndDeletedHandlesFail) {
    HBRUSH brush = CreateSolidBrush(0);
    DeleteObject(brush);
    HDC dc = CreateCompatibleDC(nullptr);
    DeleteDC(dc);
    RECT r{0, 0, 1, 1};
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetObjectW(brush, 0, nullptr), 0);
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), nullptr);
    EXPECT_EQ(FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW)), 0);
    EXPECT_FALSE(Rectangle(dc, 0, 0, 1, 1));
    EXPECT_FALSE(TextOutW(dc, 0, 0, u"x", 1));
    EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 0);
}

TEST_F(GdiObjectsTest, DeviceCapsFollowTheDisplay) {
    HDC dc = CreateCompatibleDC(nullptr);
    struct Case {
        int bits, logPixels, numColors;
        bool palette;
    };
    for (const Case& c : {Case{24, 96, -1, false}, Case{8, 120, 20, true}, Case{32, 144, -1, false}}) {
        standin::ui::SetDisplayCaps({c.bits, c.logPixels, 1024, 768});
        EXPECT_EQ(GetDeviceCaps(dc, NUMCOLORS), c.numColors) << c.bits;
        EXPECT_EQ((GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0, c.palette) << c.bits;
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), c.logPixels);
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), c.logPixels);
        EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), c.bits);
    }
    DeleteDC(dc);
}

}  // namespace
}  // namespace uiparts
