// Mutexes: recursive ownership per thread, release by a non-owner, initial owners and
// abandonment by a thread that ends while owning.
#include "platform/Kernel.h"
#include "platform/Sync.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/Waits.h"

namespace {

class SyncMutexTest : public kvtest::StandInTest {};

struct MutexProbe {
    HANDLE mutex;
    DWORD waitResult = 0xDEADBEEF;
    BOOL released = 0xDEAD;
    DWORD releaseError = 0xDEADBEEF;
};

// Another thread's view: can it take the mutex, and may it release it?
DWORD ProbeFromOtherThread(LPVOID parameter) {
    auto* probe = static_cast<MutexProbe*>(parameter);
    SetLastError(0xDEADBEEF);
    probe->released = ReleaseMutex(probe->mutex);
    probe->releaseError = GetLastError();
    probe->waitResult = WaitForSingleObject(probe->mutex, 10);
    if (probe->waitResult == WAIT_OBJECT_0) ReleaseMutex(probe->mutex);
    return 0;
}

MutexProbe Probe(HANDLE mutex) {
    MutexProbe probe{mutex};
    HANDLE thread = CreateThread(nullptr, 0, ProbeFromOtherThread, &probe, 0, nullptr);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    return probe;
}

TEST_F(SyncMutexTest, OwnershipIsRecursivePerThread) {
    HANDLE mutex = CreateMutexW(nullptr, TRUE, u"KvRecursive");
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // owned three times now

    MutexProbe held = Probe(mutex);
    EXPECT_FALSE(held.released);
    EXPECT_EQ(held.releaseError, ERROR_NOT_OWNER);
    EXPECT_EQ(held.waitResult, WAIT_TIMEOUT);

    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(Probe(mutex).waitResult, WAIT_TIMEOUT);  // one ownership left
    EXPECT_TRUE(ReleaseMutex(mutex));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
    EXPECT_EQ(Probe(mutex).waitResult, WAIT_OBJECT_0);
    CloseHandle(mutex);
}

TEST_F(SyncMutexTest, AnExistingNameIgnoresTheInitialOwner) {
    HANDLE first = CreateMutexW(nullptr, FALSE, u"Global\\KvShared");
    HANDLE second = CreateMutexW(nullptr, TRUE, u"KvShared");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(Probe(first).waitResult, WAIT_OBJECT_0);  // nobody owns it
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, u"KvEventName");
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(CreateMutexW(nullptr, FALSE, u"KvEventName"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(ReleaseMutex(event));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    for (HANDLE h : {first, second, event}) CloseHandle(h);
}

DWORD TakeAndEnd(LPVOID mutex) { return WaitForSingleObject(static_cast<HANDLE>(mutex), kvtest::kAnswerWaitMs); }

TEST_F(SyncMutexTest, AThreadEndingWhileOwningAbandonsTheMutex) {
    for (const char16_t* name : {static_cast<const char16_t*>(nullptr), u"KvAbandoned"}) {
        SCOPED_TRACE(name == nullptr ? "unnamed" : "named");
        HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
        HANDLE thread = CreateThread(nullptr, 0, TakeAndEnd, mutex, 0, nullptr);
        ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
        DWORD code = 0;
        GetExitCodeThread(thread, &code);
        ASSERT_EQ(code, WAIT_OBJECT_0);
        HANDLE both[2] = {thread, mutex};
        // Wait-all reports the abandoned mutex by its index; the waiter owns it afterwards.
        EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, kvtest::kAnswerWaitMs), WAIT_ABANDONED_0 + 1);
        EXPECT_TRUE(ReleaseMutex(mutex));
        EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // abandoned only once
        EXPECT_TRUE(ReleaseMutex(mutex));
        CloseHandle(thread);
        CloseHandle(mutex);
    }
}

}  // namespace
