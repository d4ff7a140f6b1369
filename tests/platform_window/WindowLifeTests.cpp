// Classes, creation and destruction order, window data and geometry messages.
#include <array>

#include "tests/platform_window/WindowFixture.h"

namespace uitest {
namespace {

using WindowLife = UiTest;

TEST_F(WindowLife, ClassRegistrationErrors) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = RecorderProc;
    wc.hInstance = instance_;
    wc.lpszClassName = u"RECORDER";  // names compare without case
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);

    HWND w = MakeWindow(WS_OVERLAPPED, RECT{0, 0, 200, 100});
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(UnregisterClassW(u"Recorder", instance_));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
    EXPECT_TRUE(DestroyWindow(w));
    EXPECT_TRUE(UnregisterClassW(u"Recorder", instance_));
    EXPECT_FALSE(UnregisterClassW(u"Recorder", instance_));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);
    EXPECT_EQ(CreateWindowExW(0, u"Recorder", u"", 0, 0, 0, 10, 10, nullptr, nullptr, instance_, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(WindowLife, CreationOrderAndUserDataReachWmCreate) {
    int record = 0;
    HWND w = MakeWindow(WS_OVERLAPPED | WS_CAPTION, RECT{10, 20, 310, 220}, nullptr, &record);
    ASSERT_NE(w, nullptr);
    const std::vector<UINT> expected{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE};
    EXPECT_EQ(MessagesOf(w), expected);
    // Up to WM_CREATE the window has no user data yet.
    for (const Seen& s : Log()) {
        EXPECT_EQ(s.userDataThen, 0) << "message " << s.message << " saw user data";
        if (s.message == WM_CREATE) break;
    }
    EXPECT_EQ(GetWindowLongPtrW(w, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&record));
    WCHAR title[16];
    EXPECT_EQ(GetWindowTextW(w, title, 16), 5);
    EXPECT_EQ(std::u16string(title), u"title");
}

TEST_F(WindowLife, ChildrenAreCreatedWithoutMinMaxAndDestroyedInThePlatformOrder) {
    HWND parent = MakeWindow(WS_OVERLAPPED, RECT{0, 0, 300, 300});
    HWND child = MakeWindow(WS_CHILD, RECT{5, 5, 50, 50}, parent, nullptr, 7);
    HWND grandchild = MakeWindow(WS_CHILD, RECT{1, 1, 10, 10}, child, nullptr, 8);
    ASSERT_NE(grandchild, nullptr);
    EXPECT_EQ(MessagesOf(child).front(), WM_NCCREATE);
    EXPECT_EQ(GetParent(grandchild), child);
    EXPECT_EQ(GetDlgCtrlID(child), 7);
    Log().clear();
    EXPECT_TRUE(DestroyWindow(parent));
    std::vector<std::pair<HWND, UINT>> order;
    for (const Seen& s : Log()) {
        if (s.message == WM_DESTROY || s.message == WM_NCDESTROY) order.emplace_back(s.hwnd, s.message);
    }
    const std::vector<std::pair<HWND, UINT>> expected{{parent, WM_DESTROY},       {child, WM_DESTROY},
                                                      {grandchild, WM_DESTROY},   {grandchild, WM_NCDESTROY},
                                                      {child, WM_NCDESTROY},      {parent, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
    EXPECT_FALSE(IsWindow(child));
    // Calls on destroyed windows fail as the platform fails them.
    SetLastError(0);
    EXPECT_EQ(SendMessageW(child, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(PostMessageW(child, WM_USER, 0, 0));
    EXPECT_FALSE(DestroyWindow(child));
}

TEST_F(WindowLife, WindowLongsAndSubclassing) {
    HWND w = MakeWindow(WS_OVERLAPPED, RECT{0, 0, 100, 100});
    EXPECT_EQ(SetWindowLongPtrW(w, 0, 0x1234), 0);
    EXPECT_EQ(GetWindowLongPtrW(w, 0), 0x1234);
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtrW(w, 8), 0);  // beyond the 8 extra bytes
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE)) & WS_CHILD, 0u);

    static WNDPROC previous = nullptr;
    static int intercepted = 0;
    intercepted = 0;
    auto sub = [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_USER + 1) ++intercepted;
        return CallWindowProcW(previous, h, m, wp, lp);
    };
    previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+sub)));
    EXPECT_EQ(previous, &RecorderProc);
    Log().clear();
    SendMessageW(w, WM_USER + 1, 0, 0);
    EXPECT_EQ(intercepted, 1);
    EXPECT_EQ(MessagesOf(w), std::vector<UINT>{WM_USER + 1});
}

TEST_F(WindowLife, MoveAndSizeAreSentOnlyOnRealChanges) {
    HWND w = MakeWindow(WS_OVERLAPPED | WS_VISIBLE, RECT{10, 10, 210, 110});
    struct Case {
        const char* name;
        int x, y, cx, cy;
        UINT flags;
        std::vector<UINT> expected;
    };
    const Case cases[] = {
        {"same place and size", 10, 10, 200, 100, SWP_NOZORDER, {}},
        {"move only", 20, 10, 0, 0, SWP_NOZORDER | SWP_NOSIZE, {WM_MOVE}},
        {"size only", 0, 0, 250, 100, SWP_NOZORDER | SWP_NOMOVE, {WM_SIZE}},
        {"both", 30, 40, 260, 120, SWP_NOZORDER, {WM_MOVE, WM_SIZE}},
    };
    for (const Case& c : cases) {
        Log().clear();
        EXPECT_TRUE(SetWindowPos(w, nullptr, c.x, c.y, c.cx, c.cy, c.flags)) << c.name;
        std::vector<UINT> seen;
        for (UINT m : MessagesOf(w)) {
            if (m == WM_MOVE || m == WM_SIZE) seen.push_back(m);
        }
        EXPECT_EQ(seen, c.expected) << c.name;
    }
    RECT r{};
    GetWindowRect(w, &r);
    EXPECT_TRUE(EqualRect(&r, std::array<RECT, 1>{RECT{30, 40, 290, 160}}.data()));
}

TEST_F(WindowLife, MinimiseMovesThenSizesAndRestoreBringsTheRectangleBack) {
    HWND w = MakeWindow(WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, RECT{50, 60, 350, 260});
    Log().clear();
    ShowWindow(w, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(w));
    std::vector<Seen> geometry;
    for (const Seen& s : Log()) {
        if (s.hwnd == w && (s.message == WM_MOVE || s.message == WM_SIZE)) geometry.push_back(s);
    }
    ASSERT_EQ(geometry.size(), 2u);
    EXPECT_EQ(geometry[0].message, static_cast<UINT>(WM_MOVE));
    EXPECT_EQ(geometry[1].message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(geometry[1].wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
    RECT r{};
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, MINIMIZED_POSITION);

    Log().clear();
    ShowWindow(w, SW_RESTORE);
    EXPECT_FALSE(IsIconic(w));
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.bottom, 260);
    // Hiding and showing again changes neither place nor size.
    Log().clear();
    ShowWindow(w, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(w));
    ShowWindow(w, SW_SHOW);
    for (UINT m : MessagesOf(w)) EXPECT_TRUE(m != WM_MOVE && m != WM_SIZE) << m;
}

TEST_F(WindowLife, CoordinatesMapThroughParents) {
    HWND top = MakeWindow(WS_POPUP, RECT{100, 200, 400, 400});
    HWND child = MakeWindow(WS_CHILD, RECT{10, 20, 60, 70}, top);
    POINT p{1, 2};
    ClientToScreen(child, &p);
    EXPECT_EQ(p.x, 111);
    EXPECT_EQ(p.y, 222);
    ScreenToClient(top, &p);
    EXPECT_EQ(p.x, 11);
    EXPECT_EQ(p.y, 22);
    RECT client{};
    GetClientRect(child, &client);
    EXPECT_EQ(client.right, 50);
}

TEST_F(WindowLife, EnableFocusAndForeground) {
    HWND top = MakeWindow(WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    HWND child = MakeWindow(WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, top);
    SetFocus(child);
    EXPECT_EQ(GetFocus(), child);
    EXPECT_FALSE(EnableWindow(child, FALSE));  // was enabled
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_TRUE(EnableWindow(child, TRUE));  // was disabled
    const unsigned before = standin::ui::ForegroundRequests();
    EXPECT_TRUE(SetForegroundWindow(child));
    EXPECT_EQ(GetForegroundWindow(), top);
    EXPECT_EQ(standin::ui::ForegroundRequests(), before + 1);
}

}  // namespace
}  // namespace uitest
