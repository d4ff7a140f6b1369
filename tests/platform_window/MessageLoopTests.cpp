// Queues across threads, the retrieval order, timers on the stand-in's clock, monitors.
#include <array>
#include <atomic>
#include <thread>

#include "tests/platform_window/WindowFixture.h"

namespace uitest {
namespace {

using MessageLoop = UiTest;

TEST_F(MessageLoop, SendFromAnotherThreadIsDeliveredOnlyWhileTheOwnerPumps) {
    HWND w = MakeWindow(WS_POPUP, RECT{0, 0, 10, 10});
    const DWORD owner = GetCurrentThreadId();
    std::atomic<LRESULT> reply{0};
    Log().clear();
    std::thread sender([&] {
        // The result of the default procedure for WM_GETTEXTLENGTH: the title's length.
        reply = SendMessageW(w, WM_GETTEXTLENGTH, 0, 0);
        PostMessageW(w, WM_USER + 5, 0, 0);
    });
    ASSERT_TRUE(standin::ui::WaitForPendingSend(owner, 10000));
    EXPECT_TRUE(MessagesOf(w).empty()) << "delivered before the owner pumped";
    MSG msg{};
    ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);  // handles the send, returns the post
    EXPECT_EQ(msg.message, WM_USER + 5);
    sender.join();
    EXPECT_EQ(reply.load(), 5);
    EXPECT_EQ(MessagesOf(w), std::vector<UINT>{WM_GETTEXTLENGTH});
}

TEST_F(MessageLoop, PostedMessagesComeBeforeQuitAndPeekCanLeaveThem) {
    HWND w = MakeWindow(WS_POPUP, RECT{0, 0, 10, 10});
    PostQuitMessage(3);
    PostMessageW(w, WM_USER, 1, 0);
    PostThreadMessageW(GetCurrentThreadId(), WM_USER + 1, 2, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_USER);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER);
    ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, 2u);
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PostThreadMessageW(0xFFFF0, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

TEST_F(MessageLoop, TimersFollowTheStandInClock) {
    HWND w = MakeWindow(WS_POPUP, RECT{0, 0, 10, 10});
    ASSERT_EQ(SetTimer(w, 42, 1000, nullptr), 42u);
    MSG msg{};
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    standin::AdvanceClock(999);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    standin::AdvanceClock(5000);  // late: still one WM_TIMER
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, w);
    EXPECT_EQ(msg.wParam, 42u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_TRUE(KillTimer(w, 42));
    EXPECT_FALSE(KillTimer(w, 42));
    standin::AdvanceClock(5000);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(MessageLoop, PaintComesFromTheUpdateRegion) {
    HWND w = MakeWindow(WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 50});
    ValidateRect(w, nullptr);
    RECT update{};
    EXPECT_FALSE(GetUpdateRect(w, &update, FALSE));
    const RECT a{10, 10, 20, 20}, b{30, 5, 40, 15};
    InvalidateRect(w, &a, FALSE);
    InvalidateRect(w, &b, FALSE);
    ASSERT_TRUE(GetUpdateRect(w, &update, FALSE));
    const RECT both{10, 5, 40, 20};
    EXPECT_TRUE(EqualRect(&update, &both));
    Log().clear();
    UpdateWindow(w);  // the default procedure validates
    EXPECT_EQ(MessagesOf(w), std::vector<UINT>{WM_PAINT});
    EXPECT_FALSE(GetUpdateRect(w, &update, FALSE));
}

TEST_F(MessageLoop, MonitorsAndWorkAreas) {
    standin::ui::SetMonitors({{RECT{0, 0, 1280, 1024}, RECT{0, 0, 1280, 984}},
                              {RECT{1280, 0, 2560, 1024}, RECT{1280, 30, 2560, 1024}}});
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    struct Case {
        RECT rect;
        DWORD flags;
        int expected;  // monitor index, -1 for none
    };
    const Case cases[] = {
        {RECT{100, 100, 200, 200}, MONITOR_DEFAULTTONULL, 0},
        {RECT{1200, 0, 1400, 100}, MONITOR_DEFAULTTONULL, 1},   // more of it on the second
        {RECT{-500, 0, -400, 10}, MONITOR_DEFAULTTONULL, -1},
        {RECT{-500, 0, -400, 10}, MONITOR_DEFAULTTONEAREST, 0},
        {RECT{3000, 0, 3100, 10}, MONITOR_DEFAULTTONEAREST, 1},
        {RECT{3000, 0, 3100, 10}, MONITOR_DEFAULTTOPRIMARY, 0},
    };
    for (const Case& c : cases) {
        HMONITOR m = MonitorFromRect(&c.rect, c.flags);
        if (c.expected < 0) {
            EXPECT_EQ(m, nullptr);
            continue;
        }
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(GetMonitorInfoW(m, &info));
        EXPECT_EQ(info.rcMonitor.left, c.expected == 0 ? 0 : 1280) << c.rect.left;
        EXPECT_EQ(info.dwFlags, c.expected == 0 ? MONITORINFOF_PRIMARY : 0u);
    }
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.bottom, 984);
    MONITORINFO bad{};
    EXPECT_FALSE(GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &bad));
}

TEST_F(MessageLoop, RectangleHelpers) {
    RECT r{};
    const RECT a{0, 0, 10, 10}, b{5, 5, 20, 20}, far{30, 30, 40, 40}, empty{};
    EXPECT_TRUE(IntersectRect(&r, &a, &b));
    EXPECT_TRUE(EqualRect(&r, std::array<RECT, 1>{RECT{5, 5, 10, 10}}.data()));
    EXPECT_FALSE(IntersectRect(&r, &a, &far));
    EXPECT_TRUE(IsRectEmpty(&r));
    EXPECT_TRUE(UnionRect(&r, &a, &empty));
    EXPECT_TRUE(EqualRect(&r, &a));
    EXPECT_TRUE(PtInRect(&a, POINT{0, 0}));
    EXPECT_FALSE(PtInRect(&a, POINT{10, 5}));
}

}  // namespace
}  // namespace uitest
