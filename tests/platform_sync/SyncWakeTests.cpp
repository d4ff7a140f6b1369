// Wakes that race with waits: a change that finds no sleeper makes no system call, so a
// waiter that is just going to sleep must still see it. Events never poll, so a lost wake
// shows as a wait that runs into its time-out.
#include <atomic>

#include "platform/Kernel.h"
#include "platform/Sync.h"
#include "tests/support/TestRoot.h"

namespace {

class SyncWakeTest : public kvtest::StandInTest {};

constexpr int kRounds = 10000;
constexpr DWORD kLostWakeMs = 10000;  // far beyond any real hand-over

struct PingPong {
    HANDLE ping;
    HANDLE pong;
    std::atomic<int> lost{0};
};

DWORD Answer(LPVOID parameter) {
    auto* game = static_cast<PingPong*>(parameter);
    for (int i = 0; i < kRounds; ++i) {
        if (WaitForSingleObject(game->ping, kLostWakeMs) != WAIT_OBJECT_0) ++game->lost;
        SetEvent(game->pong);
    }
    return 0;
}

// Two threads hand an auto-reset event back and forth; every hand-over races the other
// thread's way into its wait.
TEST_F(SyncWakeTest, EveryHandOverWakesTheOtherThread) {
    for (const bool several : {false, true}) {
        SCOPED_TRACE(several ? "wait-any over two events" : "single wait");
        PingPong game{CreateEventW(nullptr, FALSE, FALSE, nullptr), CreateEventW(nullptr, FALSE, FALSE, nullptr)};
        HANDLE idle = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE answer = CreateThread(nullptr, 0, Answer, &game, 0, nullptr);
        ASSERT_NE(answer, nullptr);
        int lost = 0;
        for (int i = 0; i < kRounds; ++i) {
            SetEvent(game.ping);
            HANDLE handles[2] = {idle, game.pong};
            const DWORD rc = several ? WaitForMultipleObjects(2, handles, FALSE, kLostWakeMs)
                                     : WaitForSingleObject(game.pong, kLostWakeMs);
            if (rc != (several ? WAIT_OBJECT_0 + 1 : WAIT_OBJECT_0)) ++lost;
        }
        EXPECT_EQ(WaitForSingleObject(answer, kLostWakeMs), WAIT_OBJECT_0);
        EXPECT_EQ(lost, 0);
        EXPECT_EQ(game.lost.load(), 0);
        for (HANDLE h : {game.ping, game.pong, idle, answer}) CloseHandle(h);
    }
}

struct Counter {
    HANDLE mutex;
    long value = 0;
    std::atomic<int> timeouts{0};
};

DWORD Count(LPVOID parameter) {
    auto* counter = static_cast<Counter*>(parameter);
    for (int i = 0; i < kRounds; ++i) {
        if (WaitForSingleObject(counter->mutex, kLostWakeMs) != WAIT_OBJECT_0) {
            ++counter->timeouts;
            continue;
        }
        ++counter->value;
        ReleaseMutex(counter->mutex);
    }
    return 0;
}

// Threads that take a mutex in turn each get it every time, and it keeps them apart.
TEST_F(SyncWakeTest, ContendedMutexServesEveryTaker) {
    Counter counter{CreateMutexW(nullptr, FALSE, nullptr)};
    HANDLE threads[3];
    for (HANDLE& t : threads) t = CreateThread(nullptr, 0, Count, &counter, 0, nullptr);
    EXPECT_EQ(WaitForMultipleObjects(3, threads, TRUE, 4 * kLostWakeMs), WAIT_OBJECT_0);
    EXPECT_EQ(counter.timeouts.load(), 0);
    EXPECT_EQ(counter.value, 3L * kRounds);
    for (HANDLE t : threads) CloseHandle(t);
    CloseHandle(counter.mutex);
}

}  // namespace
