// Menus built by calls, loaded from MENU and MENUEX resources, the per-window system menu
// and popup menus chosen by a script.
#include "tests/platform_menus/MenusFixture.h"

namespace menutest {
namespace {

using MenuCalls = MenusTest;

TEST_F(MenuCalls, ItemsAreFoundByPositionOrByCommandInSubmenus) {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuW(file, MF_STRING, 11, u"&Open"));
    ASSERT_TRUE(AppendMenuW(file, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenuW(file, MF_STRING | MF_GRAYED, 13, u"E&xit"));
    ASSERT_TRUE(AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File"));
    ASSERT_TRUE(AppendMenuW(bar, MF_STRING, 20, u"&Help"));
    // Before command 13 (inside the submenu), and at position 0 of the bar.
    ASSERT_TRUE(InsertMenuW(bar, 13, MF_BYCOMMAND | MF_STRING, 12, u"&Save"));
    ASSERT_TRUE(InsertMenuW(bar, 0, MF_BYPOSITION | MF_STRING, 5, u"&Edit"));

    EXPECT_EQ(GetMenuItemCount(bar), 3);
    EXPECT_EQ(GetMenuItemCount(file), 4);
    EXPECT_EQ(GetSubMenu(bar, 1), file);
    EXPECT_EQ(GetSubMenu(bar, 0), nullptr);
    EXPECT_EQ(GetMenuItemID(bar, 0), 5u);
    EXPECT_EQ(GetMenuItemID(bar, 1), UINT(-1));  // a popup
    EXPECT_EQ(GetMenuItemID(bar, 3), UINT(-1));  // no such position
    EXPECT_EQ(GetMenuItemID(file, 2), 12u);
    EXPECT_EQ(TextOf(bar, 12, MF_BYCOMMAND), u"&Save");
    EXPECT_EQ(TextOf(bar, 1, MF_BYPOSITION), u"&File");
    EXPECT_EQ(GetMenuStringW(bar, 13, nullptr, 0, MF_BYCOMMAND), 5);
    // A popup's state carries its item count in the high byte.
    EXPECT_EQ(GetMenuState(bar, 1, MF_BYPOSITION), (4u << 8) | MF_POPUP);
    EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION), MF_SEPARATOR);
    EXPECT_EQ(GetMenuState(bar, 99, MF_BYCOMMAND), UINT(-1));

    // Previous states come back; missing items give -1.
    EXPECT_EQ(EnableMenuItem(bar, 13, MF_BYCOMMAND | MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
    EXPECT_EQ(EnableMenuItem(bar, 11, MF_BYCOMMAND | MF_GRAYED), static_cast<BOOL>(MF_ENABLED));
    EXPECT_EQ(GetMenuState(file, 11, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_EQ(EnableMenuItem(bar, 99, MF_BYCOMMAND | MF_GRAYED), -1);
    EXPECT_EQ(CheckMenuItem(bar, 20, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(CheckMenuItem(bar, 20, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(bar, 99, MF_BYCOMMAND | MF_CHECKED), DWORD(-1));

    EXPECT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(IsMenu(file));  // destroyed with its parent
}

TEST_F(MenuCalls, DeleteMenuDestroysTheSubmenuAndRemoveMenuHandsItBack) {
    HMENU bar = CreateMenu();
    HMENU first = CreatePopupMenu();
    HMENU second = CreatePopupMenu();
    AppendMenuW(first, MF_STRING, 1, u"a");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(first), u"first");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(second), u"second");

    ASSERT_TRUE(RemoveMenu(bar, 1, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(second));
    ASSERT_TRUE(DeleteMenu(bar, 0, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(first));
    EXPECT_EQ(GetMenuItemCount(bar), 0);

    SetLastError(kSentinel);
    EXPECT_FALSE(DeleteMenu(bar, 0, MF_BYPOSITION));
    EXPECT_EQ(GetLastError(), ERROR_MENU_ITEM_NOT_FOUND);
    EXPECT_TRUE(DestroyMenu(second));
    EXPECT_TRUE(DestroyMenu(bar));

    // Every call on a destroyed menu names the bad handle.
    struct Case {
        const char* call;
        bool failed;
    };
    SetLastError(kSentinel);
    const Case cases[] = {
        {"DestroyMenu", !DestroyMenu(bar)},
        {"AppendMenuW", !AppendMenuW(bar, MF_STRING, 1, u"x")},
        {"GetMenuItemCount", GetMenuItemCount(bar) == -1},
        {"AppendMenuW of a dead popup", !AppendMenuW(CreateMenu(), MF_POPUP, reinterpret_cast<UINT_PTR>(first), u"x")},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.failed) << c.call;
    }
    EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
}

TEST_F(MenuCalls, SystemMenuIsTheWindowsOwnCopyAndKeepsItsChanges) {
    HWND window = MakeOwner();
    HWND other = MakeOwner();
    HMENU system = GetSystemMenu(window, FALSE);
    ASSERT_NE(system, nullptr);
    const UINT expected[] = {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, 0, SC_CLOSE};
    ASSERT_EQ(GetMenuItemCount(system), 7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(GetMenuItemID(system, i), expected[i]) << i;

    // Removing Maximize sticks to this window only.
    ASSERT_TRUE(DeleteMenu(system, SC_MAXIMIZE, MF_BYCOMMAND));
    EXPECT_EQ(GetSystemMenu(window, FALSE), system);
    EXPECT_EQ(GetMenuState(GetSystemMenu(window, FALSE), SC_MAXIMIZE, MF_BYCOMMAND), UINT(-1));
    EXPECT_NE(GetMenuState(GetSystemMenu(other, FALSE), SC_MAXIMIZE, MF_BYCOMMAND), UINT(-1));

    // Reverting drops the copy; the next one is whole again.
    EXPECT_EQ(GetSystemMenu(window, TRUE), nullptr);
    EXPECT_FALSE(IsMenu(system));
    EXPECT_EQ(GetMenuItemCount(GetSystemMenu(window, FALSE)), 7);

    SetLastError(kSentinel);
    DestroyWindow(other);
    EXPECT_EQ(GetSystemMenu(other, FALSE), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    DestroyWindow(window);
}

TEST_F(MenuCalls, MenuBarBelongsToTopLevelWindowsOnly) {
    HWND window = MakeOwner();
    HWND child = CreateWindowExW(0, u"Recorder", u"", WS_CHILD, 0, 0, 10, 10, window,
                                 reinterpret_cast<HMENU>(7), module_, nullptr);
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_STRING, 1, u"&File");
    EXPECT_EQ(GetMenu(window), nullptr);
    RECT before{};
    GetClientRect(window, &before);
    ASSERT_TRUE(SetMenu(window, bar));
    EXPECT_EQ(GetMenu(window), bar);
    EXPECT_FALSE(SetMenu(child, bar));
    EXPECT_EQ(GetMenu(child), nullptr);  // a child's menu field is its id
    SetLastError(kSentinel);
    EXPECT_FALSE(SetMenu(window, reinterpret_cast<HMENU>(0x1234)));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
    EXPECT_TRUE(SetMenu(window, nullptr));
    EXPECT_EQ(GetMenu(window), nullptr);
    DestroyMenu(bar);
    DestroyWindow(window);
}

using LoadedMenus = MenusTest;

TEST_F(LoadedMenus, MenuAndMenuExResourcesBecomeTheSameTree) {
    struct Case {
        WORD id;
        int items;  // in the popup
        UINT separator;  // its position
    };
    for (const Case& c : {Case{IDM_CONTEXT, 5, 2}, Case{IDM_CONTEXT_EX, 3, 1}}) {
        SCOPED_TRACE(c.id);
        HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(c.id));
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(GetMenuItemCount(menu), 1);
        HMENU popup = GetSubMenu(menu, 0);
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(TextOf(menu, 0, MF_BYPOSITION), u"Context");
        EXPECT_EQ(GetMenuItemCount(popup), c.items);
        EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(IDM_SAVE));
        EXPECT_EQ(TextOf(popup, IDM_SAVE, MF_BYCOMMAND), u"&Save preset...");
        EXPECT_EQ(GetMenuState(popup, c.separator, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
        EXPECT_EQ(GetMenuState(menu, IDM_RESTORE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
        DestroyMenu(menu);
    }
    // The plain layout's nested popup and its checked item.
    HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(IDM_CONTEXT));
    HMENU more = GetSubMenu(GetSubMenu(menu, 0), 3);
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(GetMenuState(menu, IDM_STATUS, MF_BYCOMMAND), MF_CHECKED);
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 0), 4), static_cast<UINT>(IDM_ABOUT));
    DestroyMenu(menu);
}

TEST_F(LoadedMenus, TruncatedOrMissingTemplatesAreRefused) {
    SetLastError(kSentinel);
    EXPECT_EQ(LoadMenuW(module_, MAKEINTRESOURCEW(IDR_TRUNCATED_MENU)), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
    SetLastError(kSentinel);
    EXPECT_EQ(LoadMenuW(module_, MAKEINTRESOURCEW(999)), nullptr);
    EXPECT_NE(GetLastError(), kSentinel);

    // In memory: the end flags bound the read; an unknown version is refused.
    const WORD whole[] = {0, 0, MF_END, 7, u'A', 0};
    HMENU fromMemory = LoadMenuIndirectW(whole);
    ASSERT_NE(fromMemory, nullptr);
    EXPECT_EQ(GetMenuItemID(fromMemory, 0), 7u);
    DestroyMenu(fromMemory);
    const WORD unknownVersion[] = {2, 0, MF_END, 7, u'A', 0};
    SetLastError(kSentinel);
    EXPECT_EQ(LoadMenuIndirectW(unknownVersion), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
}

using PopupMenus = MenusTest;

TEST_F(PopupMenus, TheScriptsChoiceIsReturnedOrPostedToTheOwner) {
    HWND owner = MakeOwner();
    HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(IDM_CONTEXT));
    HMENU popup = GetSubMenu(menu, 0);
    std::vector<std::pair<HMENU, HWND>> asked;
    UINT choice = IDM_SAVE;
    standin::ui::OnTrackPopupMenu([&](HMENU m, HWND o) {
        asked.emplace_back(m, o);
        return choice;
    });

    EXPECT_EQ(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, 5, 5, 0, owner, nullptr), IDM_SAVE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], std::make_pair(popup, owner));
    // The owner was asked to set the items' states first, and got no command.
    ASSERT_EQ(MessagesOf(owner, WM_INITMENUPOPUP).size(), 1u);
    EXPECT_EQ(MessagesOf(owner, WM_INITMENUPOPUP)[0].wParam, reinterpret_cast<WPARAM>(popup));
    MSG msg{};
    EXPECT_FALSE(PeekMessageW(&msg, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE));

    // Without TPM_RETURNCMD the command arrives as a posted WM_COMMAND.
    choice = IDM_STATUS;  // in the nested popup
    EXPECT_EQ(TrackPopupMenu(popup, 0, 5, 5, 0, owner, nullptr), TRUE);
    ASSERT_TRUE(PeekMessageW(&msg, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(IDM_STATUS));
    EXPECT_EQ(msg.lParam, 0);

    // A grayed item cannot be chosen, and a cancel chooses nothing.
    for (UINT cancelled : {static_cast<UINT>(IDM_RESTORE), 0u, 4242u}) {
        choice = cancelled;
        EXPECT_EQ(TrackPopupMenu(popup, TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 0) << cancelled;
        EXPECT_EQ(TrackPopupMenu(popup, 0, 0, 0, 0, owner, nullptr), FALSE) << cancelled;
    }
    EXPECT_FALSE(PeekMessageW(&msg, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE));

    // Without a script every menu is cancelled.
    standin::ui::OnTrackPopupMenu(nullptr);
    EXPECT_EQ(TrackPopupMenu(popup, TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 0);

    SetLastError(kSentinel);
    EXPECT_EQ(TrackPopupMenu(reinterpret_cast<HMENU>(0x1234), TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
    DestroyMenu(menu);
    DestroyWindow(owner);
}

}  // namespace
}  // namespace menutest
