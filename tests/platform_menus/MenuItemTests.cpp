// Items inserted from MENUITEMINFOW, TrackPopupMenuEx, the menus a window takes with it when
// destroyed, and the menu bar a dialog template names.
#include <cstddef>

#include "tests/platform_menus/MenusFixture.h"

namespace menutest {
namespace {

MENUITEMINFOW Info(UINT mask) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    return info;
}

using MenuItemInfo = MenusTest;

TEST_F(MenuItemInfo, OnlyTheMaskedMembersMakeTheItem) {
    char16_t text[] = u"&Text";
    struct Case {
        const char* what;
        MENUITEMINFOW info;
        UINT state;             // GetMenuState by position
        UINT id;                // GetMenuItemID by position
        const char16_t* shown;  // GetMenuStringW by position
    };
    auto with = [&](UINT mask, UINT type, UINT state, UINT id) {
        MENUITEMINFOW info = Info(mask);
        info.fType = type;
        info.fState = state;
        info.wID = id;
        info.dwTypeData = text;
        return info;
    };
    const Case cases[] = {
        {"string and id", with(MIIM_STRING | MIIM_ID, 0, MFS_CHECKED, 7), 0, 7, u"&Text"},
        {"state read", with(MIIM_STRING | MIIM_ID | MIIM_STATE, 0, MFS_CHECKED | MFS_GRAYED, 8),
         MF_CHECKED | MF_GRAYED | MF_DISABLED, 8, u"&Text"},
        {"id not read", with(MIIM_STRING, 0, 0, 9), 0, 0, u"&Text"},
        {"text not read", with(MIIM_ID | MIIM_FTYPE, MFT_RADIOCHECK, 0, 10), MFT_RADIOCHECK, 10, u""},
        {"old type with text", with(MIIM_TYPE | MIIM_ID, MFT_STRING, 0, 11), 0, 11, u"&Text"},
        {"old type separator", with(MIIM_TYPE, MFT_SEPARATOR, 0, 0), MF_SEPARATOR, 0, u""},
        {"new type separator", with(MIIM_FTYPE | MIIM_STATE, MFT_SEPARATOR, MFS_DEFAULT, 0),
         MF_SEPARATOR | MF_DEFAULT, 0, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HMENU menu = CreatePopupMenu();
        ASSERT_TRUE(InsertMenuItemW(menu, 0, TRUE, &c.info));
        ASSERT_EQ(GetMenuItemCount(menu), 1);
        EXPECT_EQ(GetMenuState(menu, 0, MF_BYPOSITION), c.state);
        EXPECT_EQ(GetMenuItemID(menu, 0), c.id);
        EXPECT_EQ(TextOf(menu, 0, MF_BYPOSITION), c.shown);
        DestroyMenu(menu);
    }
}

TEST_F(MenuItemInfo, InsertsByPositionOrBeforeACommandBelow) {
    HMENU bar = CreateMenu();
    HMENU sub = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuW(sub, MF_STRING, 31, u"Thirty-one"));
    ASSERT_TRUE(AppendMenuW(bar, MF_STRING, 40, u"Forty"));

    char16_t popupText[] = u"&Tools";
    MENUITEMINFOW popup = Info(MIIM_STRING | MIIM_SUBMENU);
    popup.dwTypeData = popupText;
    popup.hSubMenu = sub;
    ASSERT_TRUE(InsertMenuItemW(bar, 0, TRUE, &popup));

    char16_t before[] = u"Thirty";
    MENUITEMINFOW byCommand = Info(MIIM_STRING | MIIM_ID);
    byCommand.dwTypeData = before;
    byCommand.wID = 30;
    ASSERT_TRUE(InsertMenuItemW(bar, 31, FALSE, &byCommand));  // inside the submenu

    char16_t last[] = u"Last";
    MENUITEMINFOW append = Info(MIIM_STRING | MIIM_ID);
    append.dwTypeData = last;
    append.wID = 50;
    ASSERT_TRUE(InsertMenuItemW(bar, 99, TRUE, &append));  // past the end appends

    EXPECT_EQ(GetMenuItemCount(bar), 3);
    EXPECT_EQ(GetSubMenu(bar, 0), sub);
    EXPECT_EQ(TextOf(bar, 0, MF_BYPOSITION), u"&Tools");
    EXPECT_EQ(GetMenuState(bar, 0, MF_BYPOSITION), (2u << 8) | MF_POPUP);
    EXPECT_EQ(GetMenuItemID(bar, 1), 40u);
    EXPECT_EQ(GetMenuItemID(bar, 2), 50u);
    EXPECT_EQ(GetMenuItemID(sub, 0), 30u);
    EXPECT_EQ(GetMenuItemID(sub, 1), 31u);

    // No such command, a handle that is no menu, a submenu that is none.
    SetLastError(kSentinel);
    EXPECT_FALSE(InsertMenuItemW(bar, 77, FALSE, &byCommand));
    EXPECT_EQ(GetLastError(), ERROR_MENU_ITEM_NOT_FOUND);
    SetLastError(kSentinel);
    EXPECT_FALSE(InsertMenuItemW(reinterpret_cast<HMENU>(0x1234), 0, TRUE, &byCommand));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
    MENUITEMINFOW badSub = popup;
    badSub.hSubMenu = reinterpret_cast<HMENU>(0x1234);
    SetLastError(kSentinel);
    EXPECT_FALSE(InsertMenuItemW(bar, 0, TRUE, &badSub));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
    EXPECT_EQ(GetMenuItemCount(bar), 3);

    // The submenu now belongs to the bar.
    EXPECT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(IsMenu(sub));
}

TEST_F(MenuItemInfo, ASizeOrMaskItCannotReadIsRefused) {
    HMENU menu = CreatePopupMenu();
    char16_t text[] = u"x";
    struct Case {
        const char* what;
        UINT cbSize;
        UINT mask;
        bool accepted;
    };
    const Case cases[] = {
        {"whole structure", sizeof(MENUITEMINFOW), MIIM_STRING, true},
        {"without the item bitmap", offsetof(MENUITEMINFOW, hbmpItem), MIIM_STRING, true},
        {"zero size", 0, MIIM_STRING, false},
        {"larger size", sizeof(MENUITEMINFOW) + 4, MIIM_STRING, false},
        {"old type with new string", sizeof(MENUITEMINFOW), MIIM_TYPE | MIIM_STRING, false},
        {"old type with new type", sizeof(MENUITEMINFOW), MIIM_TYPE | MIIM_FTYPE, false},
    };
    int expected = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MENUITEMINFOW info = Info(c.mask);
        info.cbSize = c.cbSize;
        info.dwTypeData = text;
        SetLastError(kSentinel);
        EXPECT_EQ(InsertMenuItemW(menu, 0, TRUE, &info) != FALSE, c.accepted);
        if (c.accepted) ++expected;
        else EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        EXPECT_EQ(GetMenuItemCount(menu), expected);
    }
    SetLastError(kSentinel);
    EXPECT_FALSE(InsertMenuItemW(menu, 0, TRUE, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    DestroyMenu(menu);
}

using PopupMenusEx = MenusTest;

TEST_F(PopupMenusEx, ChoosesAsTrackPopupMenuAndChecksItsParameters) {
    HWND owner = MakeOwner();
    HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(IDM_CONTEXT));
    HMENU popup = GetSubMenu(menu, 0);
    UINT choice = IDM_ABOUT;
    standin::ui::OnTrackPopupMenu([&](HMENU, HWND) { return choice; });

    TPMPARAMS params{sizeof(TPMPARAMS), {0, 0, 10, 10}};
    EXPECT_EQ(TrackPopupMenuEx(popup, TPM_RETURNCMD, 5, 5, owner, &params), IDM_ABOUT);
    EXPECT_EQ(TrackPopupMenuEx(popup, TPM_RETURNCMD, 5, 5, owner, nullptr), IDM_ABOUT);
    EXPECT_EQ(MessagesOf(owner, WM_INITMENUPOPUP).size(), 2u);

    // Posted without TPM_RETURNCMD; TPM_NONOTIFY keeps it back.
    MSG msg{};
    EXPECT_EQ(TrackPopupMenuEx(popup, TPM_NONOTIFY, 5, 5, owner, nullptr), TRUE);
    EXPECT_FALSE(PeekMessageW(&msg, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(TrackPopupMenuEx(popup, 0, 5, 5, owner, &params), TRUE);
    ASSERT_TRUE(PeekMessageW(&msg, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(IDM_ABOUT));

    // A grayed choice is a cancel, as with TrackPopupMenu.
    choice = IDM_RESTORE;
    EXPECT_EQ(TrackPopupMenuEx(popup, TPM_RETURNCMD, 5, 5, owner, nullptr), 0);

    // A wrong cbSize fails before the owner hears anything.
    choice = IDM_ABOUT;
    for (UINT size : {0u, static_cast<UINT>(sizeof(TPMPARAMS)) + 1}) {
        params.cbSize = size;
        SetLastError(kSentinel);
        EXPECT_EQ(TrackPopupMenuEx(popup, TPM_RETURNCMD, 5, 5, owner, &params), 0) << size;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << size;
    }
    EXPECT_EQ(MessagesOf(owner, WM_INITMENUPOPUP).size(), 5u);
    DestroyMenu(menu);
    DestroyWindow(owner);
}

using WindowMenus = MenusTest;

// Takes its menu bar back while it is destroyed, as a window does that means to keep it.
LRESULT CALLBACK KeepingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) SetMenu(hwnd, nullptr);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(WindowMenus, DestroyWindowDestroysItsMenuBarAndSystemMenu) {
    HWND window = MakeOwner();
    HMENU bar = CreateMenu();
    HMENU sub = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"&File"));
    ASSERT_TRUE(SetMenu(window, bar));
    HMENU system = GetSystemMenu(window, FALSE);
    ASSERT_NE(system, nullptr);
    // A menu the window merely showed as a popup is not its own.
    HMENU other = CreatePopupMenu();

    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_FALSE(IsMenu(sub));
    EXPECT_FALSE(IsMenu(system));
    EXPECT_TRUE(IsMenu(other));

    // A window with neither loses nothing else; a replaced bar stays its caller's.
    HWND plain = MakeOwner();
    HMENU first = CreateMenu();
    HMENU second = CreateMenu();
    ASSERT_TRUE(SetMenu(plain, first));
    ASSERT_TRUE(SetMenu(plain, second));
    ASSERT_TRUE(DestroyWindow(plain));
    EXPECT_TRUE(IsMenu(first));
    EXPECT_FALSE(IsMenu(second));
    EXPECT_TRUE(IsMenu(other));
    DestroyMenu(first);
    DestroyMenu(other);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = KeepingProc;
    wc.hInstance = module_;
    wc.lpszClassName = u"Keeper";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    HWND keeper = CreateWindowExW(0, u"Keeper", u"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, module_,
                                  nullptr);
    HMENU kept = CreateMenu();
    ASSERT_TRUE(SetMenu(keeper, kept));
    ASSERT_TRUE(DestroyWindow(keeper));
    EXPECT_TRUE(IsMenu(kept));
    DestroyMenu(kept);
}

using DialogMenus = MenusTest;

TEST_F(DialogMenus, TheTemplatesMenuBecomesTheDialogsMenuBar) {
    HWND dialog = CreateDialogParamW(module_, MAKEINTRESOURCEW(IDD_WITH_MENU), nullptr, QuietProc, 0);
    ASSERT_NE(dialog, nullptr);
    HMENU bar = GetMenu(dialog);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 1);
    EXPECT_EQ(TextOf(bar, 0, MF_BYPOSITION), u"Context");
    HMENU popup = GetSubMenu(bar, 0);
    EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(IDM_SAVE));
    EXPECT_EQ(GetMenuState(popup, IDM_RESTORE, MF_BYCOMMAND), MF_GRAYED);
    // The client area keeps the template's size below the bar.
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 180);  // 120 units across
    EXPECT_EQ(client.bottom, 98);  // 60 units down
    RECT frame{};
    GetWindowRect(dialog, &frame);
    RECT plain{0, 0, 180, 98};
    AdjustWindowRectEx(&plain, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, 0);
    EXPECT_EQ((frame.bottom - frame.top) - (plain.bottom - plain.top), GetSystemMetrics(SM_CYMENU));

    ASSERT_TRUE(DestroyWindow(dialog));
    EXPECT_FALSE(IsMenu(bar));

    // A dialog whose menu is missing from the module is not made.
    SetLastError(kSentinel);
    EXPECT_EQ(CreateDialogParamW(module_, MAKEINTRESOURCEW(IDD_MISSING_MENU), nullptr, QuietProc, 0), nullptr);
    EXPECT_NE(GetLastError(), kSentinel);
    EXPECT_EQ(standin::ui::LiveWindowCount(), 0u);
}

}  // namespace
}  // namespace menutest
