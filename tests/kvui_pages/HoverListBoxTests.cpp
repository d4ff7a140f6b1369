// The hover list box: the tracked item under the mouse, none when the mouse is over an item
// that is not tracked or leaves the client area, and the list box's own behaviour kept.
#include "platform/User.h"
#include "tests/kvui_pages/PagesFixture.h"

namespace kvuipages {
namespace {

POINT CentreOf(HWND list, int item) {
    RECT rect{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect));
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

LPARAM At(POINT point) { return static_cast<LPARAM>(MAKELONG(point.x, point.y)); }

TEST_F(PagesTest, HoverListBoxTracksTheListedItemsUnderTheMouse) {
    HWND list = CreateWindowExW(0, u"LISTBOX", u"", WS_POPUP | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                                                        LBS_NOINTEGRALHEIGHT,
                                0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    for (const char16_t* text : {u"one", u"two", u"three", u"four"}) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    static const int kTracked[] = {0, 2, 70000, -1};  // an index no list item has is skipped
    PageRecord page{};
    SubclassHoverListBox(&page, list, kTracked);
    EXPECT_EQ(page.hoverItem, kNoHoverItem);
    EXPECT_NE(page.hoverPreviousProc, nullptr);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 4);

    struct Move {
        UINT message;
        POINT point;
        WORD hovered;
    };
    const Move moves[] = {
        {WM_MOUSEMOVE, CentreOf(list, 2), 2},
        {WM_MOUSEMOVE, CentreOf(list, 0), 0},
        {WM_MOUSEMOVE, CentreOf(list, 1), kNoHoverItem},  // not tracked
        {WM_MOUSEMOVE, CentreOf(list, 2), 2},
        {WM_NCMOUSEMOVE, POINT{-5, -5}, kNoHoverItem},
        {WM_MOUSEMOVE, POINT{100, 190}, kNoHoverItem},  // below the last item
        {WM_MOUSEMOVE, CentreOf(list, 0), 0},
    };
    for (const Move& move : moves) {
        SendMessageW(list, move.message, 0, At(move.point));
        EXPECT_EQ(page.hoverItem, move.hovered) << move.point.x << "," << move.point.y;
    }
    EXPECT_EQ(GetWindowLongPtrW(list, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&HoverListBoxWndProc));
    DestroyWindow(list);
}

}  // namespace
}  // namespace kvuipages
