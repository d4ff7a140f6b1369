// Names used again after their last handle closed: the next creator makes a new object with
// its own kind and state, in this process or another, and the name's file is not made again.
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/Sync.h"
#include "tests/support/TestRoot.h"

namespace {

class SyncNameReuseTest : public kvtest::StandInTest {};

enum class Kind { AutoEvent, ManualEvent, Mutex };

HANDLE Make(Kind kind, bool state, const char16_t* name) {
    if (kind == Kind::Mutex) return CreateMutexW(nullptr, state ? TRUE : FALSE, name);
    return CreateEventW(nullptr, kind == Kind::ManualEvent ? TRUE : FALSE, state ? TRUE : FALSE, name);
}

DWORD WaitFromOtherThread(LPVOID parameter) {
    return WaitForSingleObject(static_cast<HANDLE>(parameter), 0) == WAIT_OBJECT_0 ? 1 : 0;
}

// Whether another thread could take the object now (for a mutex: it is not owned).
bool OtherThreadTakes(HANDLE object) {
    HANDLE thread = CreateThread(nullptr, 0, WaitFromOtherThread, object, 0, nullptr);
    WaitForSingleObject(thread, 5000);
    DWORD took = 0;
    GetExitCodeThread(thread, &took);
    CloseHandle(thread);
    return took == 1;
}

std::string FileOfName(const char* name) { return standin::Root() + "/.kernel/sync-" + name; }

// Whether the open file is still the one at path (held open, its inode cannot be reused).
bool IsFileAt(int fd, const std::string& path) {
    struct stat mine {}, named {};
    return fstat(fd, &mine) == 0 && stat(path.c_str(), &named) == 0 && mine.st_ino == named.st_ino &&
           mine.st_dev == named.st_dev;
}

struct ReuseCase {
    const char* what;
    Kind before;
    bool beforeState;
    Kind after;
    bool afterState;
};

TEST_F(SyncNameReuseTest, AFreedNameIsMadeAnewWithTheNextCreatorsKindAndState) {
    const ReuseCase cases[] = {
        {"set event, then unset", Kind::ManualEvent, true, Kind::ManualEvent, false},
        {"unset event, then set", Kind::AutoEvent, false, Kind::AutoEvent, true},
        {"owned mutex, then event", Kind::Mutex, true, Kind::ManualEvent, false},
        {"set event, then free mutex", Kind::ManualEvent, true, Kind::Mutex, false},
        {"free mutex, then owned", Kind::Mutex, false, Kind::Mutex, true},
    };
    for (const ReuseCase& c : cases) {
        SCOPED_TRACE(c.what);
        HANDLE first = Make(c.before, c.beforeState, u"KvAgain");
        ASSERT_NE(first, nullptr);
        const int file = open(FileOfName("KvAgain").c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(file, 0);
        ASSERT_TRUE(CloseHandle(first));
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(OpenEventW(SYNCHRONIZE, FALSE, u"KvAgain"), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, u"KvAgain"), nullptr);

        SetLastError(0xDEADBEEF);
        HANDLE second = Make(c.after, c.afterState, u"KvAgain");
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        EXPECT_TRUE(IsFileAt(file, FileOfName("KvAgain"))) << "the name's file made again";
        close(file);
        // A set event or a free mutex is taken by anyone; an owned mutex by its owner only.
        const bool othersTake = c.after == Kind::Mutex ? !c.afterState : c.afterState;
        EXPECT_EQ(OtherThreadTakes(second), othersTake);
        // Opened by its kind only, while it lives.
        HANDLE opened = c.after == Kind::Mutex ? OpenMutexW(SYNCHRONIZE, FALSE, u"KvAgain")
                                               : OpenEventW(EVENT_ALL_ACCESS, FALSE, u"KvAgain");
        EXPECT_NE(opened, nullptr);
        if (c.after == Kind::Mutex) {
            EXPECT_EQ(OpenEventW(EVENT_ALL_ACCESS, FALSE, u"KvAgain"), nullptr);
            EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        }
        if (c.after == Kind::Mutex && c.afterState) {
            EXPECT_TRUE(ReleaseMutex(second));
        }
        CloseHandle(opened);
        CloseHandle(second);
    }
}

// The child makes the name anew that the parent used and let go; the parent, creating it
// again while the child holds it, opens the child's object and not what it had before.
int ChildRemakesTheName() {
    HANDLE go = OpenEventW(EVENT_ALL_ACCESS, FALSE, u"KvReuse-Go");
    HANDLE reused = CreateEventW(nullptr, TRUE, FALSE, u"KvReuse");
    if (go == nullptr || reused == nullptr || GetLastError() != ERROR_SUCCESS) return 1;
    if (WaitForSingleObject(reused, 0) != WAIT_TIMEOUT) return 2;
    SetEvent(go);
    // The parent sets it through its own handle.
    if (WaitForSingleObject(reused, 5000) != WAIT_OBJECT_0) return 4;
    return 0;
}

TEST_F(SyncNameReuseTest, AnotherProcessMakingTheNameAgainIsSeenByTheFirst) {
    HANDLE go = CreateEventW(nullptr, FALSE, FALSE, u"KvReuse-Go");
    ASSERT_NE(go, nullptr);
    HANDLE before = CreateEventW(nullptr, TRUE, TRUE, u"KvReuse");
    ASSERT_NE(before, nullptr);
    ASSERT_TRUE(CloseHandle(before));

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(ChildRemakesTheName());

    ASSERT_EQ(WaitForSingleObject(go, 5000), WAIT_OBJECT_0);
    SetLastError(0xDEADBEEF);
    HANDLE again = CreateEventW(nullptr, TRUE, TRUE, u"KvReuse");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(WaitForSingleObject(again, 0), WAIT_TIMEOUT) << "the child's object is unset";
    ASSERT_TRUE(SetEvent(again));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    CloseHandle(again);
    // Nobody holds it now: free again.
    EXPECT_EQ(OpenEventW(SYNCHRONIZE, FALSE, u"KvReuse"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    CloseHandle(go);
}

// Runs `body` in a forked child; its exit status, or -1 when it did not end normally.
template <typename Body>
int InChild(Body body) {
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) _exit(body());
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// This process keeps the name's file after its last close; another process uses the name and
// then so many others that it lets go of the file and removes it. Made again here, the name
// must be a file that other processes find, not the removed one this process still holds.
TEST_F(SyncNameReuseTest, ANameRemovedByAnotherProcessIsMadeAfresh) {
    HANDLE first = CreateMutexW(nullptr, FALSE, u"KvGone");
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(CloseHandle(first));

    const int removed = InChild([] {
        HANDLE mine = CreateMutexW(nullptr, FALSE, u"KvGone");
        if (mine == nullptr) return 1;
        CloseHandle(mine);
        // More names than a process keeps files of: the first drops out, free and unused.
        for (int i = 0; i < 64; ++i) {
            const std::u16string other = u"KvGone-" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                                         std::u16string(1, static_cast<char16_t>(u'a' + i / 26));
            CloseHandle(CreateEventW(nullptr, FALSE, FALSE, other.c_str()));
        }
        struct stat info {};
        return stat(FileOfName("KvGone").c_str(), &info) != 0 && errno == ENOENT ? 0 : 2;
    });
    ASSERT_EQ(removed, 0) << "1: not made, 2: the file stayed";

    SetLastError(0xDEADBEEF);
    HANDLE again = CreateMutexW(nullptr, TRUE, u"KvGone");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    const int found = InChild([] {
        HANDLE opened = OpenMutexW(SYNCHRONIZE, FALSE, u"KvGone");
        if (opened == nullptr) return 1;
        // Owned by the parent, which lives: not this child's to take.
        return WaitForSingleObject(opened, 0) == WAIT_TIMEOUT ? 0 : 2;
    });
    EXPECT_EQ(found, 0) << "1: the name not found, 2: not the parent's mutex";
    EXPECT_TRUE(ReleaseMutex(again));
    CloseHandle(again);
}

}  // namespace
