#pragma once
// Process-wide state of the language monitor: the monitor handle the spooler holds, the
// library's private heap and its helpers, and the process lock over the port list.
#include "langmon/PortContext.h"
#include "langmon/log/EventLog.h"
#include "platform/Kernel.h"
#include "platform/Monitor.h"

namespace langmon {

inline constexpr DWORD kMonitorSignature = 0x4E4F4D4Bu;  // "KMON"

/// What InitializePrintMonitor2 hands back as the monitor handle; freed by PJLMonShutdown.
struct MonitorHandle {
    DWORD Signature;
    MONITORINIT* Init;   // the spooler's; lives as long as the monitor
    PortWaits Waits;     // defaults for every port, shortened by the monitor's registry root
    DWORD WinMajor;
    DWORD WinMinor;
    DWORD JobCountMask;
};

/// The library's own state: made at process attach, ended at detach.
struct MonitorProcess {
    HANDLE Heap;
    CRITICAL_SECTION Lock;   // the port list and the open and close of ports (ProcessLockHold)
    DWORD LockDepth;         // holds of Lock, counted by ProcessLockHold
    PortContext* Ports;      // new ports at the tail
    HMODULE Module;
    bool Started;
    bool SocketsStarted;     // a WSAStartup of ours is outstanding: the port list is not empty
    EventLogState EventLog;  // switch, folder and the service-link log's lock
};
MonitorProcess& Process();
/// Makes the heap and the lock; false when the heap cannot be made.
[[nodiscard]] bool StartMonitorProcess(HMODULE module);
void EndMonitorProcess();

/// Zeroed block of the monitor heap, or NULL. Freed with HeapFreeBlock (NULL accepted).
void* HeapAllocZero(size_t cb);
void HeapFreeBlock(void* block);
/// Heap copy of a NUL-terminated string of at most maxChars characters; NULL for NULL, for an
/// unterminated string or when the heap is full.
[[nodiscard]] LPWSTR HeapCopyString(LPCWSTR text, size_t maxChars = 1024);

/// A zeroed block of the monitor heap owned by its holder; get() is NULL when the heap is full.
class HeapBuffer {
public:
    explicit HeapBuffer(size_t cb = 0) : block_(cb != 0 ? static_cast<BYTE*>(HeapAllocZero(cb)) : nullptr) {}
    ~HeapBuffer() { HeapFreeBlock(block_); }
    HeapBuffer(HeapBuffer&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
    HeapBuffer& operator=(HeapBuffer&&) = delete;
    HeapBuffer(const HeapBuffer&) = delete;
    HeapBuffer& operator=(const HeapBuffer&) = delete;
    BYTE* get() const { return block_; }
    /// Frees what is held and holds a new zeroed block of cb bytes (one at least); false when
    /// the heap is full, and then nothing is held.
    [[nodiscard]] bool Resize(size_t cb) {
        HeapFreeBlock(block_);
        block_ = static_cast<BYTE*>(HeapAllocZero(cb == 0 ? 1 : cb));
        return block_ != nullptr;
    }

private:
    BYTE* block_;
};

/// The monitor's global lock (Process().Lock), scoped: the port list and the opening and
/// closing of ports. A port's lock may be taken inside it, never the other way round.
class ProcessLockHold {
public:
    ProcessLockHold();
    ~ProcessLockHold();
    ProcessLockHold(const ProcessLockHold&) = delete;
    ProcessLockHold& operator=(const ProcessLockHold&) = delete;
};

}  // namespace langmon
