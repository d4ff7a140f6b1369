#pragma once
// Taking a port: its mutex (the spooler's calls on it), its lock (its fields), and the
// printer name copied out under that lock.
#include "langmon/PortContext.h"

namespace langmon {

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
