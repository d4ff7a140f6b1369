// Waiting on handles while the thread's windows still take what other threads send, sending
// without waiting, and joining input states across threads.
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/Sync.h"
#include "tests/platform_window/WindowFixture.h"

namespace uitest {
namespace {

using MessageWait = UiTest;

// The owner waits for a worker that is itself blocked in a send to the owner's window: the
// wait must let the owner take the send, or both threads stop until the wait times out.
TEST_F(MessageWait, WaitingOnAThreadThatSendsToUsDoesNotLockUp) {
    HWND w = MakeWindow(WS_POPUP, RECT{0, 0, 10, 10});
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> sent{false};
    Log().clear();
    std::thread worker([&] {
        SendMessageW(w, WM_USER + 7, 1, 2);
        sent = true;
        SetEvent(done);
    });
    const auto started = std::chrono::steady_clock::now();
    DWORD result = WAIT_TIMEOUT;
    for (;;) {
        result = MsgWaitForMultipleObjects(1, &done, FALSE, 10000, QS_ALLINPUT);
        if (result != WAIT_OBJECT_0 + 1) break;
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    EXPECT_EQ(result, WAIT_OBJECT_0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    worker.join();
    EXPECT_TRUE(sent.load());
    EXPECT_EQ(MessagesOf(w), std::vector<UINT>{WM_USER + 7});
    CloseHandle(done);
}

TEST_F(MessageWait, InputAlreadyWaitingTimeOutsAndBadArguments) {
    HWND w = MakeWindow(WS_POPUP, RECT{0, 0, 10, 10});
    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ValidateRect(w, nullptr);  // no paint waiting
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &never, FALSE, 20, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
    PostMessageW(w, WM_USER, 0, 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &never, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0 + 1);
    // Posted input does not wake a wait for sent messages only.
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &never, FALSE, 0, QS_SENDMESSAGE), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_POSTMESSAGE), WAIT_OBJECT_0);
    SetEvent(never);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &never, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0);  // handles first
    EXPECT_EQ(MsgWaitForMultipleObjects(1, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
    EXPECT_EQ(MsgWaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS + 1, &never, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
    CloseHandle(never);
}

TEST_F(MessageWait, SendNotifyDoesNotWaitAndComesBeforePostedMessages) {
    HWND w = MakeWindow(WS_POPUP, RECT{0, 0, 10, 10});
    Log().clear();
    // From another thread: returns while the owner does not pump.
    std::thread worker([&] {
        EXPECT_TRUE(SendNotifyMessageW(w, WM_USER + 8, 0, 0));
        PostMessageW(w, WM_USER + 9, 0, 0);
    });
    worker.join();
    EXPECT_TRUE(MessagesOf(w).empty());
    MSG msg{};
    ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);  // handles the sent one, returns the post
    EXPECT_EQ(msg.message, WM_USER + 9u);
    EXPECT_EQ(MessagesOf(w), std::vector<UINT>{WM_USER + 8});
    // On the owner's thread: at once.
    EXPECT_TRUE(SendNotifyMessageW(w, WM_USER + 10, 0, 0));
    EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_USER + 8, WM_USER + 10}));
    DestroyWindow(w);
    EXPECT_FALSE(SendNotifyMessageW(w, WM_USER, 0, 0));
}

TEST_F(MessageWait, InputIsJoinedOnlyBetweenTwoThreadsWithQueues) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE leave = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> other{0};
    std::thread worker([&] {
        MSG msg{};
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes its queue
        other = GetCurrentThreadId();
        SetEvent(ready);
        WaitForSingleObject(leave, 10000);
    });
    ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
    MSG msg{};
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    const DWORD self = GetCurrentThreadId();
    EXPECT_TRUE(AttachThreadInput(other.load(), self, TRUE));
    EXPECT_TRUE(AttachThreadInput(other.load(), self, FALSE));
    EXPECT_FALSE(AttachThreadInput(self, self, TRUE));
    EXPECT_FALSE(AttachThreadInput(0xFFFF0, self, TRUE));
    SetEvent(leave);
    worker.join();
    CloseHandle(ready);
    CloseHandle(leave);
}

}  // namespace
}  // namespace uitest
