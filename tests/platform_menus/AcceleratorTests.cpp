// Accelerator tables from RT_ACCELERATOR resources and ACCEL arrays, matched against key
// messages with the stand-in's key state.
#include "tests/platform_menus/MenusFixture.h"

namespace menutest {
namespace {

using Accelerators = MenusTest;

TEST_F(Accelerators, ResourceTableIsReadUpToItsLastEntry) {
    HACCEL table = LoadAcceleratorsW(module_, MAKEINTRESOURCEW(IDA_MAIN));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(CopyAcceleratorTableW(table, nullptr, 0), 5);
    ACCEL entries[5] = {};
    ASSERT_EQ(CopyAcceleratorTableW(table, entries, 5), 5);
    // The last-entry flag is the resource's, not the table's.
    EXPECT_EQ(entries[4].fVirt, FVIRTKEY | FALT);
    EXPECT_EQ(entries[4].key, VK_RETURN);
    EXPECT_EQ(entries[4].cmd, IDOK);
    EXPECT_EQ(entries[1].fVirt, FVIRTKEY | FCONTROL);
    EXPECT_EQ(entries[1].key, 'S');
    EXPECT_EQ(CopyAcceleratorTableW(table, entries, 2), 2);
    EXPECT_TRUE(DestroyAcceleratorTable(table));

    SetLastError(kSentinel);
    EXPECT_FALSE(DestroyAcceleratorTable(table));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ACCEL_HANDLE);
    SetLastError(kSentinel);
    EXPECT_EQ(LoadAcceleratorsW(module_, MAKEINTRESOURCEW(IDR_UNFLAGGED_ACCEL)), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
    SetLastError(kSentinel);
    EXPECT_EQ(CreateAcceleratorTableW(entries, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(Accelerators, KeysMatchWithExactlyTheirModifiers) {
    HWND window = MakeOwner();
    HACCEL table = LoadAcceleratorsW(module_, MAKEINTRESOURCEW(IDA_MAIN));
    ASSERT_NE(table, nullptr);
    struct Case {
        const char* what;
        UINT message;
        WPARAM key;
        std::vector<int> held;
        LPARAM lParam;
        int command;  // 0: not translated
    };
    const Case cases[] = {
        {"plain F5", WM_KEYDOWN, VK_F5, {}, 0, IDM_STATUS},
        {"Shift+F5 is another key", WM_KEYDOWN, VK_F5, {VK_SHIFT}, 0, 0},
        {"Ctrl+S", WM_KEYDOWN, 'S', {VK_CONTROL}, 0, IDM_SAVE},
        {"Ctrl+Shift+S", WM_KEYDOWN, 'S', {VK_CONTROL, VK_SHIFT}, 0, IDM_RESTORE},
        {"S alone", WM_KEYDOWN, 'S', {}, 0, 0},
        {"Alt+Enter by the context code", WM_SYSKEYDOWN, VK_RETURN, {}, LPARAM{1} << 29, IDOK},
        {"Alt+Enter by the key state", WM_SYSKEYDOWN, VK_RETURN, {VK_MENU}, 0, IDOK},
        {"Enter alone", WM_KEYDOWN, VK_RETURN, {}, 0, 0},
        {"character a", WM_CHAR, 'a', {}, 0, IDM_ABOUT},
        {"character a with Shift held", WM_CHAR, 'a', {VK_SHIFT}, 0, IDM_ABOUT},
        {"character A", WM_CHAR, 'A', {}, 0, 0},
        {"key up", WM_KEYUP, VK_F5, {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU}) standin::ui::SetKeyDown(key, false);
        for (int key : c.held) standin::ui::SetKeyDown(key, true);
        Log().clear();
        MSG msg{window, c.message, c.key, c.lParam, 0, {}};
        EXPECT_EQ(TranslateAcceleratorW(window, table, &msg), c.command != 0 ? 1 : 0);
        const std::vector<Seen> commands = MessagesOf(window, WM_COMMAND);
        if (c.command == 0) {
            EXPECT_TRUE(commands.empty());
        } else {
            ASSERT_EQ(commands.size(), 1u);
            // Sent at once, marked as coming from an accelerator.
            EXPECT_EQ(commands[0].wParam, (WPARAM{1} << 16) | static_cast<WPARAM>(c.command));
        }
    }

    // A table made from ACCEL entries behaves the same.
    const ACCEL made[] = {{FVIRTKEY | FSHIFT, VK_DELETE, 77}};
    HACCEL own = CreateAcceleratorTableW(made, 1);
    standin::ui::SetKeyDown(VK_SHIFT, true);
    MSG msg{window, WM_KEYDOWN, VK_DELETE, 0, 0, {}};
    EXPECT_EQ(TranslateAcceleratorW(window, own, &msg), 1);
    SetLastError(kSentinel);
    EXPECT_EQ(TranslateAcceleratorW(window, reinterpret_cast<HACCEL>(0x1234), &msg), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ACCEL_HANDLE);
    DestroyAcceleratorTable(own);
    DestroyAcceleratorTable(table);
    DestroyWindow(window);
}

}  // namespace
}  // namespace menutest
