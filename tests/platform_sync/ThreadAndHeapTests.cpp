// Threads behind handles, private heaps and security descriptor records.
#include <cstring>

#include "platform/Kernel.h"
#include "platform/Sync.h"
#include "tests/support/TestRoot.h"

namespace {

class ThreadTest : public kvtest::StandInTest {};

struct Worker {
    HANDLE go;
    DWORD seenId = 0;
};

DWORD WaitThenReport(LPVOID parameter) {
    auto* worker = static_cast<Worker*>(parameter);
    worker->seenId = GetCurrentThreadId();
    return WaitForSingleObject(worker->go, 5000) == WAIT_OBJECT_0 ? 42 : 1;
}

TEST_F(ThreadTest, HandleIsSignalledWhenTheThreadEnds) {
    Worker worker{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, WaitThenReport, &worker, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, GetCurrentThreadId());
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(thread, 10), WAIT_TIMEOUT);
    SetEvent(worker.go);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);  // stays signalled
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(worker.seenId, id);
    CloseHandle(thread);
    CloseHandle(worker.go);
}

TEST_F(ThreadTest, SuspendedThreadRunsOnResume) {
    Worker worker{CreateEventW(nullptr, TRUE, TRUE, nullptr)};
    HANDLE thread = CreateThread(nullptr, 16384, WaitThenReport, &worker, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 10), WAIT_TIMEOUT);
    EXPECT_EQ(worker.seenId, 0u);
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(ResumeThread(thread), 0u);
    CloseHandle(thread);
    CloseHandle(worker.go);
}

TEST_F(ThreadTest, BadArguments) {
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD code = 0xDEADBEEF;
    for (HANDLE bad : {static_cast<HANDLE>(nullptr), event}) {
        SetLastError(0xDEADBEEF);
        EXPECT_FALSE(GetExitCodeThread(bad, &code));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_EQ(ResumeThread(bad), static_cast<DWORD>(-1));
    }
    EXPECT_EQ(code, 0xDEADBEEFu);
    CloseHandle(event);
}

class HeapTest : public kvtest::StandInTest {};

TEST_F(HeapTest, ZeroedBlocksGrowAndShrink) {
    HANDLE heap = HeapCreate(0, 0, 0);
    ASSERT_NE(heap, nullptr);
    auto* block = static_cast<BYTE*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 64));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(block[i], 0) << i;
    std::memset(block, 0xAB, 64);
    block = static_cast<BYTE*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, block, 4096));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[63], 0xAB);
    EXPECT_EQ(block[64], 0);
    EXPECT_EQ(block[4095], 0);
    EXPECT_EQ(HeapSize(heap, 0, block), 4096u);
    // In place only: shrinking works, growing fails and leaves the block as it was.
    EXPECT_EQ(HeapReAlloc(heap, HEAP_REALLOC_IN_PLACE_ONLY, block, 16), block);
    EXPECT_EQ(HeapReAlloc(heap, HEAP_REALLOC_IN_PLACE_ONLY, block, 8192), nullptr);
    EXPECT_EQ(HeapSize(heap, 0, block), 16u);
    EXPECT_NE(HeapAlloc(heap, 0, 0), nullptr);  // left for HeapDestroy to free
    EXPECT_TRUE(HeapFree(heap, 0, block));
    EXPECT_TRUE(HeapFree(heap, 0, nullptr));
    EXPECT_TRUE(HeapDestroy(heap));
}

TEST_F(HeapTest, BlocksBelongToTheirHeapAndLimitsHold) {
    HANDLE small = HeapCreate(0, 0, 100);
    HANDLE process = GetProcessHeap();
    ASSERT_EQ(process, GetProcessHeap());
    void* a = HeapAlloc(small, 0, 60);
    ASSERT_NE(a, nullptr);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(HeapAlloc(small, 0, 41), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(HeapReAlloc(small, 0, a, 101), nullptr);
    void* b = HeapAlloc(small, 0, 40);
    EXPECT_NE(b, nullptr);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(HeapFree(process, 0, a));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(HeapReAlloc(process, 0, a, 8), nullptr);
    EXPECT_TRUE(HeapFree(small, 0, a));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(HeapFree(small, 0, a));  // twice
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(HeapDestroy(process));
    EXPECT_TRUE(HeapDestroy(small));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(HeapAlloc(small, 0, 1), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(SecurityDescriptorTest, RecordsTheDacl) {
    SECURITY_DESCRIPTOR sd;
    std::memset(&sd, 0xCC, sizeof(sd));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(InitializeSecurityDescriptor(&sd, 2));
    EXPECT_EQ(GetLastError(), ERROR_UNKNOWN_REVISION);
    ASSERT_TRUE(InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
    EXPECT_EQ(sd.Control, 0);
    EXPECT_EQ(sd.Dacl, nullptr);
    ACL acl{};
    ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, &acl, TRUE));
    EXPECT_EQ(sd.Control, SE_DACL_PRESENT | SE_DACL_DEFAULTED);
    EXPECT_EQ(sd.Dacl, &acl);
    ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE));  // NULL DACL: everyone
    EXPECT_EQ(sd.Control, SE_DACL_PRESENT);
    ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, FALSE, &acl, FALSE));
    EXPECT_EQ(sd.Control, 0);
    EXPECT_EQ(sd.Dacl, nullptr);
    SECURITY_ATTRIBUTES sa{sizeof(sa), &sd, FALSE};
    HANDLE mutex = CreateMutexW(&sa, FALSE, nullptr);
    EXPECT_NE(mutex, nullptr);
    CloseHandle(mutex);
}

}  // namespace
