// A multi-column list box: items run down a column and on in the next, columns as wide as
// LB_SETCOLUMNWIDTH says; clicks, the keyboard, the selection and WM_HSCROLL move it sideways
// by whole columns.
#include "platform/StandInControls.h"
#include "tests/platform_controls/ControlsFixture.h"

namespace uicontrols {
namespace {

using ListColumns = ControlsTest;

constexpr int kRowHeight = 20;
constexpr int kColumnWidth = 100;

// 300 x 60: three rows of 20, three columns of 100 in view; twelve items make four columns.
HWND MakeColumns(ControlsTest& test, HWND parent, DWORD style = LBS_MULTICOLUMN | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT) {
    HWND list = test.MakeControlFor(parent, style);
    SendMessageW(list, LB_SETITEMHEIGHT, 0, kRowHeight);
    for (int i = 0; i < 12; ++i) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"item"));
    SendMessageW(list, LB_SETCOLUMNWIDTH, kColumnWidth, 0);
    return list;
}

RECT ItemRect(HWND list, int index) {
    RECT rect{-1, -1, -1, -1};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

LRESULT Top(HWND list) { return SendMessageW(list, LB_GETTOPINDEX, 0, 0); }

struct RectCase {
    int index;
    RECT rect;
};

TEST_F(ListColumns, ItemsRunDownAColumnAndOnInTheNext) {
    HWND list = MakeColumns(*this, MakeParent());
    const RectCase cases[] = {
        {0, {0, 0, 100, 20}},    {2, {0, 40, 100, 60}},   {3, {100, 0, 200, 20}},
        {8, {200, 40, 300, 60}}, {9, {300, 0, 400, 20}},  {11, {300, 40, 400, 60}},
    };
    for (const RectCase& c : cases) {
        const RECT r = ItemRect(list, c.index);
        EXPECT_EQ(r.left, c.rect.left) << c.index;
        EXPECT_EQ(r.top, c.rect.top) << c.index;
        EXPECT_EQ(r.right, c.rect.right) << c.index;
        EXPECT_EQ(r.bottom, c.rect.bottom) << c.index;
    }
    // A click picks the item under it; below the last row or past the last item, nothing.
    Log().clear();
    standin::ui::ClickAt(list, 150, 30);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 4);
    EXPECT_EQ(CodesFor(9), std::vector<UINT>{LBN_SELCHANGE});
    // Eight items: the third column ends at its second row.
    for (int i = 0; i < 4; ++i) SendMessageW(list, LB_DELETESTRING, 8, 0);
    standin::ui::ClickAt(list, 250, 50);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 4);
}

TEST_F(ListColumns, TheListScrollsSidewaysByWholeColumns) {
    HWND list = MakeColumns(*this, MakeParent());
    // A selection out of view brings its column in at the right edge.
    SendMessageW(list, LB_SETCURSEL, 10, 0);
    EXPECT_EQ(Top(list), 3);
    EXPECT_EQ(ItemRect(list, 10).left, 200);
    EXPECT_EQ(ItemRect(list, 1).left, -100);
    struct ScrollCase {
        WPARAM code;
        LRESULT top;
    };
    const ScrollCase scrolls[] = {
        {SB_LINELEFT, 0},  {SB_LINELEFT, 0},  {SB_PAGERIGHT, 3}, {SB_LINERIGHT, 3},
        {SB_PAGELEFT, 0},  {SB_RIGHT, 3},     {SB_LEFT, 0},      {(1u << 16) | SB_THUMBPOSITION, 3},
    };
    for (const ScrollCase& c : scrolls) {
        SendMessageW(list, WM_HSCROLL, c.code, 0);
        EXPECT_EQ(Top(list), c.top) << LOWORD(c.code);
    }
    // The top index is always the first item of a column.
    SendMessageW(list, LB_SETTOPINDEX, 5, 0);
    EXPECT_EQ(Top(list), 3);
    // Left and right move by a column's rows and keep the caret in view.
    SendMessageW(list, LB_SETTOPINDEX, 0, 0);
    SendMessageW(list, LB_SETCURSEL, 7, 0);
    SendMessageW(list, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 10);
    EXPECT_EQ(Top(list), 3);
    for (int i = 0; i < 3; ++i) SendMessageW(list, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Top(list), 0);
}

TEST_F(ListColumns, ASingleColumnListKeepsItsRows) {
    HWND list = MakeColumns(*this, MakeParent(), LBS_NOTIFY | LBS_NOINTEGRALHEIGHT);
    const RECT r = ItemRect(list, 3);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 3 * kRowHeight);
    EXPECT_EQ(r.right, 300);
    SendMessageW(list, WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(Top(list), 0);
}

}  // namespace
}  // namespace uicontrols
