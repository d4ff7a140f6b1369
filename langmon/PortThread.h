#pragma once
// The threads of a port (the polling thread, the job watch, the notification thread of each
// bound printer) are started, woken and joined the same way, through a PortThread.
#include <optional>
#include <type_traits>

#include "platform/Sync.h"
#include "platform/WinTypes.h"

namespace langmon {

/// One thread of a port and the event that wakes it or tells it to end. Plain: it lives in
/// the zeroed blocks of the port context and of a binding, its wake event made with its
/// holder (MakeWake) and both handles closed when the holder is freed (Close).
///
/// Rules, in the words of PortContext.h: the wake event is "fixed" (made before the thread can
/// start, closed after it was joined); the thread handle is "lock", PortLock: Start, Join,
/// Take and the readers of the handle hold it. When a thread may start and what makes it end
/// are the thread's own rules, kept by its owner (StatusThread.cpp, NotifyThread.cpp).
class PortThread {
public:
    /// Makes the wake event, auto-reset unless `manualReset`; false when it cannot be made.
    [[nodiscard]] bool MakeWake(bool manualReset);
    /// NULL until MakeWake made it.
    HANDLE Wake() const { return wake_; }
    /// Sets the wake event (nothing when there is none).
    void Signal() const;

    /// Runs routine(parameter) on a new thread with at least `stackBytes` of stack and, when
    /// given, that priority. The handle (and *threadId) is stored before the routine runs.
    /// False, with the platform's last error, when no thread could be made. No thread is held.
    [[nodiscard]] bool Start(LPTHREAD_START_ROUTINE routine, LPVOID parameter, SIZE_T stackBytes,
                             std::optional<int> priority = std::nullopt, DWORD* threadId = nullptr);
    /// A thread is held: running, or ended and not joined yet.
    [[nodiscard]] bool Held() const { return thread_ != nullptr; }
    /// The held thread's handle, NULL when none.
    HANDLE Handle() const { return thread_; }
    /// A thread is held and has returned.
    [[nodiscard]] bool Ended() const;
    /// Waits for the held thread and closes its handle. Under PortLock, so only for a thread
    /// that has done with PortLock (it cleared its running mark under it as its last step) or
    /// that was awaited already (AwaitEnd).
    void Join();
    /// Gives the held thread up, to be joined outside PortLock by JoinTaken.
    [[nodiscard]] HANDLE Take();
    /// Waits for a thread given up by Take and closes its handle; NULL is nothing.
    static void JoinTaken(HANDLE thread);
    /// Waits for the thread of a handle read under PortLock, leaving it held: for a joiner that
    /// keeps every other joiner off meanwhile, and Joins once it has the lock again.
    static void AwaitEnd(HANDLE thread);
    /// Closes the thread's handle (joined, or never started) and the wake event.
    void Close();

private:
    HANDLE thread_;
    HANDLE wake_;
};
static_assert(std::is_trivial_v<PortThread>, "zeroed with the block that holds it");

}  // namespace langmon
