#pragma once
// Process-wide state of the language monitor and the helpers every part of it shares: the
// private heap, the port list with its lock, the monitor handle, taking and giving back a
// port, and the port-monitor calls made on a port's behalf.
#include "langmon/log/EventLog.h"
#include "langmon/PortContext.h"
#include "platform/Kernel.h"
#include "platform/Monitor.h"

namespace langmon {

inline constexpr DWORD kMonitorSignature = 0x4E4F4D4Bu;  // "KMON"
inline constexpr DWORD kErrorNetworkPlaceholder = 3007;  // "NExx:" cannot be opened

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

/// Defaults, then every value found under the monitor's registry root, bounded to 1..default.
PortWaits LoadWaits(const MONITORINIT* init);
/// A DWORD of the monitor's registry root through the spooler's MONITORREG; false if absent.
[[nodiscard]] bool QueryRootDword(const MONITORINIT* init, LPCWSTR name, DWORD* value);

/// The port context, zeroed, with its name, lock, mutex and events; linked at the tail of the
/// port list (the caller holds the process lock). NULL when anything cannot be made.
[[nodiscard]] PortContext* CreatePortContext(LPCWSTR portName, LPCWSTR printerName, const MonitorHandle& monitor);
/// Unlinks and frees; false (and nothing freed) for a context not in the list. The caller
/// holds the process lock and has stopped the port's threads.
bool DeletePortContext(PortContext* port);
/// Live context of that name (case-insensitive), or NULL. Caller holds the process lock.
[[nodiscard]] PortContext* FindPort(LPCWSTR portName);
[[nodiscard]] bool IsListed(const PortContext* port);

/// Takes the port mutex, bounded by the port's wait. 0 when taken (or a share port, which
/// takes nothing), WAIT_TIMEOUT otherwise.
[[nodiscard]] DWORD WaitSpoolerFunc(PortContext& port);
void ReleaseSpoolerFunc(PortContext& port);

/// Scoped hold of the port mutex; Take retries up to `tries` times.
class PortHold {
public:
    explicit PortHold(PortContext& port) : port_(port) {}
    ~PortHold() { Release(); }
    PortHold(const PortHold&) = delete;
    PortHold& operator=(const PortHold&) = delete;
    [[nodiscard]] bool Take(int tries = 1);
    void Release();
    [[nodiscard]] bool Held() const { return held_; }

private:
    PortContext& port_;
    bool held_ = false;
};

/// Per-port critical section, scoped.
class PortLockHold {
public:
    explicit PortLockHold(PortContext& port);
    ~PortLockHold();
    PortLockHold(const PortLockHold&) = delete;
    PortLockHold& operator=(const PortLockHold&) = delete;

private:
    PortContext& port_;
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

/// The printer name stored when it differs from the current one (false when the copy fails).
bool StorePrinterName(PortContext& port, LPCWSTR printerName);

/// The port's printer name as it was when made: copied under PortLock, since a printer scan
/// on another thread may replace it. get() is NULL when the port has none (or one longer
/// than MAX_PATH).
class PortPrinterName {
public:
    explicit PortPrinterName(PortContext& port);
    LPCWSTR get() const { return name_[0] != 0 ? name_ : nullptr; }
    /// For the platform's calls that take a non-const name and do not change it.
    LPWSTR writable() { return name_[0] != 0 ? name_ : nullptr; }

private:
    WCHAR name_[MAX_PATH] = {};
};

}  // namespace langmon
