// Threads: real pthreads behind waitable handles. The handle's object and the thread share a
// small state record, so the handle may be closed while the thread runs, and the thread's end
// is seen through its handle by every wait.
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <set>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/Sync.h"
#include "platform/src/core/Handles.h"
#include "platform/src/core/SyncObjects.h"

namespace {

namespace sync = standin::sync;

struct ThreadState {
    LPTHREAD_START_ROUTINE start = nullptr;
    LPVOID parameter = nullptr;
    std::uint32_t* wake = nullptr;
    std::mutex lock;
    std::condition_variable changed;
    bool started = false;  // the thread runs and knows its id
    bool released = false; // the routine may run (a suspended thread waits for ResumeThread)
    DWORD threadId = 0;
    long linuxThreadId = 0;
    std::atomic<bool> ended{false};
    std::atomic<DWORD> exitCode{STILL_ACTIVE};
};

class ThreadObject final : public sync::Waitable {
public:
    explicit ThreadObject(std::shared_ptr<ThreadState> state) : Waitable(state->wake), state_(std::move(state)) {}
    sync::Take TryTake() override { return state_->ended.load() ? sync::Take::Taken : sync::Take::NotReady; }
    bool LooksReady() override { return state_->ended.load(); }
    void Untake(bool) override {}
    ThreadState& State() const { return *state_; }

private:
    std::shared_ptr<ThreadState> state_;
};

// The threads whose routine runs now.
struct Running {
    std::mutex lock;
    std::set<ThreadState*> threads;
};

Running& TheRunning() {
    static auto* running = new Running();  // never destroyed: threads may outlive main
    return *running;
}

void* ThreadMain(void* argument) {
    // The thread owns one reference to its state until it has published its end.
    std::shared_ptr<ThreadState> state(std::move(*static_cast<std::shared_ptr<ThreadState>*>(argument)));
    delete static_cast<std::shared_ptr<ThreadState>*>(argument);
    {
        std::unique_lock<std::mutex> guard(state->lock);
        state->threadId = GetCurrentThreadId();
        state->linuxThreadId = static_cast<long>(syscall(SYS_gettid));
        state->started = true;
        state->changed.notify_all();
        state->changed.wait(guard, [&] { return state->released; });
    }
    Running& running = TheRunning();
    {
        std::lock_guard<std::mutex> guard(running.lock);
        running.threads.insert(state.get());
    }
    const DWORD result = state->start(state->parameter);
    {
        std::lock_guard<std::mutex> guard(running.lock);
        running.threads.erase(state.get());
    }
    state->exitCode.store(result);
    state->ended.store(true);
    sync::WakeAll(state->wake);
    return nullptr;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

std::vector<standin::RunningThread> standin::RunningThreads() {
    Running& running = TheRunning();
    std::lock_guard<std::mutex> guard(running.lock);
    std::vector<RunningThread> threads;
    for (const ThreadState* state : running.threads) threads.push_back({state->linuxThreadId, state->start});
    return threads;
}

PLATFORM_API HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                                 LPVOID parameter, DWORD flags, LPDWORD threadId) {
    if (start == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto state = std::make_shared<ThreadState>();
    state->start = start;
    state->parameter = parameter;
    state->wake = sync::RootWakeWord();
    state->released = (flags & CREATE_SUSPENDED) == 0;

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    size_t defaultStack = 0;
    pthread_attr_getstacksize(&attributes, &defaultStack);
    // The platform's size is a request for at least that much; never go below the default.
    if (stackSize > defaultStack) pthread_attr_setstacksize(&attributes, (stackSize + 0xFFFF) & ~static_cast<SIZE_T>(0xFFFF));
    auto* argument = new (std::nothrow) std::shared_ptr<ThreadState>(state);
    pthread_t thread{};
    const int failed = argument == nullptr ? ENOMEM : pthread_create(&thread, &attributes, ThreadMain, argument);
    pthread_attr_destroy(&attributes);
    if (failed != 0) {
        delete argument;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    {
        std::unique_lock<std::mutex> guard(state->lock);
        state->changed.wait(guard, [&] { return state->started; });
        if (threadId != nullptr) *threadId = state->threadId;
    }
    HANDLE handle = standin::handles::Insert(std::make_shared<ThreadObject>(std::move(state)));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

PLATFORM_API DWORD ResumeThread(HANDLE thread) {
    const std::shared_ptr<ThreadObject> object = standin::handles::LookupAs<ThreadObject>(thread);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    ThreadState& state = object->State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.released) return 0;
    state.released = true;
    state.changed.notify_all();
    return 1;
}

PLATFORM_API BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
    const std::shared_ptr<ThreadObject> object = standin::handles::LookupAs<ThreadObject>(thread);
    if (object == nullptr) return Fail(ERROR_INVALID_HANDLE);
    if (exitCode == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    *exitCode = object->State().exitCode.load();
    return TRUE;
}
