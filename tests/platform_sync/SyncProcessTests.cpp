// Two processes meeting: a fork()ed child and its parent share a named mutex, named events and
// a named file mapping, and the parent sees the mutex abandoned when the child dies owning it.
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Sync.h"
#include "tests/support/TestRoot.h"

namespace {

class SyncProcessTest : public kvtest::StandInTest {};

// Each failed step of the child sets one bit of its exit status.
int ChildMeetsParent() {
    int failures = 0;
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, u"Global\\KvMeet-Lock");
    HANDLE ready = OpenEventW(EVENT_ALL_ACCESS, FALSE, u"Global\\KvMeet-Ready");
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, u"Global\\KvMeet-Map");
    if (mutex == nullptr || ready == nullptr || mapping == nullptr || GetLastError() != ERROR_ALREADY_EXISTS) return 1;
    auto* shared = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    if (shared == nullptr) return 1;
    // The parent holds the lock until the child says it is ready.
    if (WaitForSingleObject(mutex, 0) != WAIT_TIMEOUT) failures |= 2;
    // Creating the parent's reply event by name opens the same event.
    HANDLE reply = CreateEventW(nullptr, FALSE, FALSE, u"KvMeet-Reply");
    if (reply == nullptr || GetLastError() != ERROR_ALREADY_EXISTS) failures |= 4;
    SetEvent(ready);
    if (WaitForSingleObject(mutex, 5000) != WAIT_OBJECT_0) return failures | 8;
    if (std::strcmp(shared, "hello from the parent") != 0) failures |= 16;
    std::strcpy(shared, "hello from the child");
    ReleaseMutex(mutex);
    SetEvent(reply);
    // Dies owning it: the parent must see the mutex abandoned.
    if (WaitForSingleObject(mutex, 5000) != WAIT_OBJECT_0) failures |= 32;
    return failures;
}

TEST_F(SyncProcessTest, ParentAndChildMeetThroughNamedObjects) {
    HANDLE mutex = CreateMutexW(nullptr, TRUE, u"Global\\KvMeet-Lock");
    HANDLE ready = CreateEventW(nullptr, FALSE, FALSE, u"Global\\KvMeet-Ready");
    HANDLE reply = CreateEventW(nullptr, FALSE, FALSE, u"Global\\KvMeet-Reply");
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, u"Global\\KvMeet-Map");
    ASSERT_TRUE(mutex && ready && reply && mapping);
    auto* shared = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(shared, nullptr);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(ChildMeetsParent());

    ASSERT_EQ(WaitForSingleObject(ready, 5000), WAIT_OBJECT_0);
    std::strcpy(shared, "hello from the parent");
    ASSERT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WaitForSingleObject(reply, 5000), WAIT_OBJECT_0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(WaitForSingleObject(mutex, 5000), WAIT_ABANDONED_0);
    EXPECT_STREQ(shared, "hello from the child");
    EXPECT_TRUE(ReleaseMutex(mutex));
    UnmapViewOfFile(shared);
    for (HANDLE h : {mutex, ready, reply, mapping}) CloseHandle(h);
}

}  // namespace
