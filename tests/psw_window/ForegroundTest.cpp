// Bringing a window of this thread before the foreground window of another thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "psw/Foreground.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "tests/support/TestRoot.h"

namespace {

using ForegroundTest = kvtest::StandInTest;

HWND MakeWindow() {
    return CreateWindowExW(0, u"STATIC", u"", WS_OVERLAPPED, 0, 0, 100, 50, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(ForegroundTest, TheForegroundThreadSharesItsInputWhileAskedAndNotAfterwards) {
    std::atomic<bool> ready{false};
    std::atomic<bool> done{false};
    std::thread other([&] {
        const HWND theirs = MakeWindow();
        SetForegroundWindow(theirs);
        ready = true;
        while (!done) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            std::this_thread::yield();
        }
        DestroyWindow(theirs);
    });
    while (!ready) std::this_thread::yield();
    const HWND mine = MakeWindow();
    ASSERT_NE(mine, nullptr);
    EXPECT_TRUE(CallSetForegroundWindowEx(mine));
    EXPECT_EQ(GetForegroundWindow(), mine);
    EXPECT_TRUE(standin::ui::LastForegroundJoined());
    EXPECT_EQ(standin::ui::JoinedInputCount(), 0u);
    done = true;
    other.join();
    DestroyWindow(mine);
}

}  // namespace
