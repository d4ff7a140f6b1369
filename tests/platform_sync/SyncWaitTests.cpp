// Waits on several objects: what wait-any and wait-all take and leave, and argument errors.
#include <vector>

#include "platform/Kernel.h"
#include "platform/Sync.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/Waits.h"

namespace {

class SyncWaitTest : public kvtest::StandInTest {};

struct EventSpec {
    bool manual;
    bool set;
};

struct WaitCase {
    const char* what;
    std::vector<EventSpec> events;
    bool waitAll;
    DWORD expected;
    std::vector<bool> setAfter;  // each event's state after the wait
};

TEST_F(SyncWaitTest, WaitAnyAndWaitAllTakeWhatTheyReturn) {
    const WaitCase cases[] = {
        {"any: first set one wins", {{false, false}, {false, true}, {false, true}}, false, WAIT_OBJECT_0 + 1, {false, false, true}},
        {"any: manual stays set", {{true, true}, {false, true}}, false, WAIT_OBJECT_0, {true, true}},
        {"any: none set", {{false, false}, {true, false}}, false, WAIT_TIMEOUT, {false, false}},
        {"all: one unset takes nothing", {{false, true}, {false, true}, {true, false}}, true, WAIT_TIMEOUT, {true, true, false}},
        {"all: every one set", {{false, true}, {true, true}, {false, true}}, true, WAIT_OBJECT_0, {false, true, false}},
    };
    for (const WaitCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<HANDLE> handles;
        for (const EventSpec& e : c.events) handles.push_back(CreateEventW(nullptr, e.manual, e.set, nullptr));
        EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), c.waitAll, 10), c.expected);
        for (size_t i = 0; i < handles.size(); ++i) {
            // A manual event answers without changing; an auto one would be taken by this look,
            // which is fine since the case ends here.
            EXPECT_EQ(WaitForSingleObject(handles[i], 0) == WAIT_OBJECT_0, c.setAfter[i]) << "event " << i;
            CloseHandle(handles[i]);
        }
    }
}

DWORD HoldUntilSet(LPVOID parameter) {
    auto* handles = static_cast<HANDLE*>(parameter);  // {mutex, taken, release}
    if (WaitForSingleObject(handles[0], kvtest::kAnswerWaitMs) != WAIT_OBJECT_0) return 1;
    SetEvent(handles[1]);
    WaitForSingleObject(handles[2], INFINITE);
    return ReleaseMutex(handles[0]) ? 0 : 2;
}

TEST_F(SyncWaitTest, WaitAllTakesNoEventWhileAMutexIsHeldElsewhere) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE handles[3] = {mutex, taken, release};
    HANDLE holder = CreateThread(nullptr, 0, HoldUntilSet, handles, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(taken, 5000), WAIT_OBJECT_0);

    HANDLE ready = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    HANDLE both[2] = {ready, mutex};
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 20), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(ready, 0), WAIT_OBJECT_0);  // still set: it was not taken
    SetEvent(ready);
    // Once the holder lets go, the wait takes both.
    SetEvent(release);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(ready, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WaitForSingleObject(holder, 5000), WAIT_OBJECT_0);
    for (HANDLE h : {mutex, taken, release, ready, holder}) CloseHandle(h);
}

DWORD SetLater(LPVOID event) {
    Sleep(10);
    return SetEvent(static_cast<HANDLE>(event)) ? 0 : 1;
}

TEST_F(SyncWaitTest, AWaitWakesWhenAnotherThreadSets) {
    HANDLE events[3] = {CreateEventW(nullptr, FALSE, FALSE, nullptr), CreateEventW(nullptr, FALSE, FALSE, nullptr),
                        CreateEventW(nullptr, FALSE, FALSE, u"KvLater")};
    HANDLE setter = CreateThread(nullptr, 0, SetLater, events[2], 0, nullptr);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, INFINITE), WAIT_OBJECT_0 + 2);
    EXPECT_EQ(WaitForSingleObject(setter, 5000), WAIT_OBJECT_0);
    for (HANDLE h : events) CloseHandle(h);
    CloseHandle(setter);
}

TEST_F(SyncWaitTest, BadArgumentsFail) {
    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    HANDLE closed = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    CloseHandle(closed);
    std::vector<HANDLE> many(MAXIMUM_WAIT_OBJECTS + 1, event);
    struct Case {
        const char* what;
        std::vector<HANDLE> handles;
        BOOL waitAll;
        DWORD error;
    };
    const Case cases[] = {
        {"no handles", {}, FALSE, ERROR_INVALID_PARAMETER},
        {"too many", many, FALSE, ERROR_INVALID_PARAMETER},
        {"twice with wait-all", {event, event}, TRUE, ERROR_INVALID_PARAMETER},
        {"closed handle after a set one", {event, closed}, FALSE, ERROR_INVALID_HANDLE},
        {"null handle", {nullptr}, TRUE, ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(c.handles.size()), c.handles.data(), c.waitAll, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), c.error);
    }
    // The same handle twice is fine for wait-any.
    HANDLE twice[2] = {event, event};
    EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), WAIT_OBJECT_0);
    CloseHandle(event);
}

}  // namespace
