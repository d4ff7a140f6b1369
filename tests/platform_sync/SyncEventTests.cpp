// Events: reset kinds, names shared by handles, name rules, and waking exactly one waiter.
#include <chrono>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Sync.h"
#include "tests/support/TestRoot.h"

namespace {

class SyncEventTest : public kvtest::StandInTest {};

struct ResetCase {
    BOOL manual;
    BOOL initial;
    DWORD firstWait;   // WaitForSingleObject(event, 0) right after creation
    DWORD secondWait;  // and once more
};

TEST_F(SyncEventTest, ResetKindAndInitialStateDecideWhatAWaitTakes) {
    const ResetCase cases[] = {
        {TRUE, TRUE, WAIT_OBJECT_0, WAIT_OBJECT_0},  // manual: stays set
        {FALSE, TRUE, WAIT_OBJECT_0, WAIT_TIMEOUT},  // auto: the first wait resets it
        {TRUE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
        {FALSE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
    };
    for (const ResetCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "manual " << c.manual << " initial " << c.initial);
        HANDLE event = CreateEventW(nullptr, c.manual, c.initial, nullptr);
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(WaitForSingleObject(event, 0), c.firstWait);
        EXPECT_EQ(WaitForSingleObject(event, 0), c.secondWait);
        ASSERT_TRUE(SetEvent(event));
        EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
        ASSERT_TRUE(ResetEvent(event));
        EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
        EXPECT_TRUE(CloseHandle(event));
    }
}

TEST_F(SyncEventTest, CreatingAnExistingNameOpensItAndKeepsItsKind) {
    SetLastError(0xDEADBEEF);
    HANDLE first = CreateEventW(nullptr, TRUE, FALSE, u"Global\\KvEvent");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    // The second caller asks for auto reset, set: it gets the manual-reset, unset event.
    HANDLE second = CreateEventW(nullptr, FALSE, TRUE, u"Local\\KvEvent");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
    HANDLE opened = OpenEventW(EVENT_ALL_ACCESS, FALSE, u"KvEvent");
    ASSERT_NE(opened, nullptr);
    ASSERT_TRUE(SetEvent(first));
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(opened, 0), WAIT_OBJECT_0);
    for (HANDLE h : {first, second, opened}) CloseHandle(h);
    // The last handle gone, the name is free again.
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(OpenEventW(EVENT_ALL_ACCESS, FALSE, u"KvEvent"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(SyncEventTest, NamesOfOtherTypesAndOddCharacters) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, u"KvTaken");
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, u"KvMapped");
    ASSERT_NE(mutex, nullptr);
    ASSERT_NE(mapping, nullptr);
    for (const char16_t* name : {u"KvTaken", u"Global\\KvTaken", u"KvMapped"}) {
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(CreateEventW(nullptr, TRUE, FALSE, name), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, u"KvMapped"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    // Characters that files may not hold, and a name that looks like a path upward.
    for (const char16_t* name : {u"a/b:c*d?\"<>|", u"..\\..\\escape", u"QLVDRXPSP:PollingMutex"}) {
        HANDLE event = CreateEventW(nullptr, TRUE, TRUE, name);
        ASSERT_NE(event, nullptr);
        HANDLE again = OpenEventW(SYNCHRONIZE, FALSE, name);
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(WaitForSingleObject(again, 0), WAIT_OBJECT_0);
        CloseHandle(again);
        CloseHandle(event);
    }
    CloseHandle(mutex);
    CloseHandle(mapping);
}

TEST_F(SyncEventTest, BadHandlesFail) {
    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    ASSERT_TRUE(CloseHandle(event));
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    for (HANDLE bad : {static_cast<HANDLE>(nullptr), event, INVALID_HANDLE_VALUE}) {
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(WaitForSingleObject(bad, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(SetEvent(bad));
        EXPECT_FALSE(ResetEvent(bad));
    }
    // A mutex is not an event.
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(SetEvent(mutex));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(OpenEventW(SYNCHRONIZE, FALSE, u""), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    CloseHandle(mutex);
}

TEST_F(SyncEventTest, TimeoutsAreMilliseconds) {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    for (DWORD timeout : {1u, 20u, 60u}) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(WaitForSingleObject(event, timeout), WAIT_TIMEOUT);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_GE(took, std::chrono::milliseconds(timeout));
        EXPECT_LT(took, std::chrono::milliseconds(timeout + 1000));
    }
    CloseHandle(event);
}

DWORD WaitOnEvent(LPVOID event) { return WaitForSingleObject(static_cast<HANDLE>(event), INFINITE); }

TEST_F(SyncEventTest, AutoResetWakesOneWaiterPerSet) {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, u"KvOneAtATime");
    HANDLE threads[2] = {CreateThread(nullptr, 0, WaitOnEvent, event, 0, nullptr),
                         CreateThread(nullptr, 0, WaitOnEvent, event, 0, nullptr)};
    ASSERT_NE(threads[0], nullptr);
    ASSERT_NE(threads[1], nullptr);
    ASSERT_TRUE(SetEvent(event));
    const DWORD first = WaitForMultipleObjects(2, threads, FALSE, 5000);
    ASSERT_LT(first, WAIT_OBJECT_0 + 2);
    HANDLE other = threads[1 - (first - WAIT_OBJECT_0)];
    EXPECT_EQ(WaitForSingleObject(other, 50), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);  // the one set was taken
    ASSERT_TRUE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(other, 5000), WAIT_OBJECT_0);
    for (HANDLE t : threads) {
        DWORD code = 0xDEADBEEF;
        EXPECT_TRUE(GetExitCodeThread(t, &code));
        EXPECT_EQ(code, WAIT_OBJECT_0);
        CloseHandle(t);
    }
    CloseHandle(event);
}

}  // namespace
