// What the kernel keeps per thread (the last error) and what it shares between threads
// (critical sections).
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Kernel.h"
#include "tests/support/TestRun.h"

namespace {

TEST(LastErrorTest, EachThreadHasItsOwn) {
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD fresh = 1;
    DWORD afterSet = 0;
    std::thread([&] {
        fresh = GetLastError();
        SetLastError(ERROR_FILE_NOT_FOUND);
        afterSet = GetLastError();
    }).join();
    EXPECT_EQ(0u, fresh);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), afterSet);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
}

// Whether another thread could take the section right now (it lets go at once if it could).
bool OtherThreadCanEnter(CRITICAL_SECTION& cs) {
    bool entered = false;
    std::thread([&] {
        entered = TryEnterCriticalSection(&cs) != FALSE;
        if (entered) LeaveCriticalSection(&cs);
    }).join();
    return entered;
}

TEST(CriticalSectionTest, OwnerMayEnterAgainAndHoldsItUntilTheLastLeave) {
    CRITICAL_SECTION cs{};
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EXPECT_TRUE(TryEnterCriticalSection(&cs));
    for (int held = 3; held > 0; --held) {
        EXPECT_FALSE(OtherThreadCanEnter(cs)) << held << " entries still held";
        LeaveCriticalSection(&cs);
    }
    EXPECT_TRUE(OtherThreadCanEnter(cs));
    DeleteCriticalSection(&cs);
    EXPECT_EQ(nullptr, cs.Impl);
}

TEST(CriticalSectionTest, ExcludesOtherThreads) {
    CRITICAL_SECTION cs{};
    InitializeCriticalSection(&cs);
    long counter = 0;  // deliberately not atomic: only the section protects it
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                EnterCriticalSection(&cs);
                EnterCriticalSection(&cs);  // re-entry inside the held section
                if (inside.fetch_add(1) != 0) overlapped = true;
                ++counter;
                inside.fetch_sub(1);
                LeaveCriticalSection(&cs);
                LeaveCriticalSection(&cs);
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(4 * 5000, counter);
    DeleteCriticalSection(&cs);
}

TEST(CriticalSectionTest, DeletingWhileHeldByTheCallerReleasesIt) {
    CRITICAL_SECTION cs{};
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EnterCriticalSection(&cs);
    DeleteCriticalSection(&cs);
    EXPECT_EQ(nullptr, cs.Impl);
    DeleteCriticalSection(&cs);  // a second delete is harmless
}

TEST(CriticalSectionDeathTest, MisuseStopsWithAMessage) {
    GTEST_FLAG_SET(death_test_style, kvtest::ThreadedDeathTestStyle());
    CRITICAL_SECTION never{};
    EXPECT_DEATH(EnterCriticalSection(&never), "not initialised");

    CRITICAL_SECTION cs{};
    InitializeCriticalSection(&cs);
    EXPECT_DEATH(LeaveCriticalSection(&cs), "does not own");
    // Held by another thread: the dying child must not start threads of its own, which a
    // forked child under an emulator cannot.
    std::atomic<bool> held{false}, done{false};
    std::thread owner([&] {
        EnterCriticalSection(&cs);
        held = true;
        while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        LeaveCriticalSection(&cs);
    });
    while (!held) std::this_thread::yield();
    EXPECT_DEATH(LeaveCriticalSection(&cs), "does not own");
    done = true;
    owner.join();
    DeleteCriticalSection(&cs);
}

}  // namespace
