#include "langmon/PortThread.h"

#include <utility>

#include "platform/Kernel.h"
#include "platform/Process.h"

namespace langmon {

bool PortThread::MakeWake(bool manualReset) {
    wake_ = CreateEventW(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr);
    return wake_ != nullptr;
}

void PortThread::Signal() const {
    if (wake_ != nullptr) SetEvent(wake_);
}

bool PortThread::Start(LPTHREAD_START_ROUTINE routine, LPVOID parameter, SIZE_T stackBytes,
                       std::optional<int> priority, DWORD* threadId) {
    DWORD id = 0;
    // Held while suspended: whoever looks under the lock finds the thread once it can run.
    HANDLE thread = CreateThread(nullptr, stackBytes, routine, parameter, CREATE_SUSPENDED, &id);
    if (thread == nullptr) return false;
    thread_ = thread;
    if (threadId != nullptr) *threadId = id;
    if (priority) SetThreadPriority(thread, *priority);
    ResumeThread(thread);
    return true;
}

bool PortThread::Ended() const { return thread_ != nullptr && WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; }

void PortThread::Join() { JoinTaken(Take()); }

HANDLE PortThread::Take() { return std::exchange(thread_, nullptr); }

void PortThread::JoinTaken(HANDLE thread) {
    if (thread == nullptr) return;
    AwaitEnd(thread);
    CloseHandle(thread);
}

void PortThread::AwaitEnd(HANDLE thread) {
    // The threads' waits are bounded and none of them waits for its joiner: the wait ends.
    if (thread != nullptr) WaitForSingleObject(thread, INFINITE);
}

void PortThread::Close() {
    if (thread_ != nullptr) CloseHandle(thread_);
    if (wake_ != nullptr) CloseHandle(wake_);
    thread_ = nullptr;
    wake_ = nullptr;
}

}  // namespace langmon
