// Taking a port: its mutex, bounded by the port's wait, its lock, and its printer name.
#include "langmon/PortHolds.h"

#include "langmon/MonitorProcess.h"
#include "langmon/log/TraceLog.h"
#include "platform/Kernel.h"
#include "platform/Sync.h"

namespace langmon {

DWORD WaitSpoolerFunc(PortContext& port) {
    if ((port.PortKind & port_kind::Share) != 0) return 0;
    const DWORD rc = WaitForSingleObject(port.PortMutex, port.Waits.PortMutexMs);
    // A mutex left by a thread that ended while holding it is still ours now.
    if (rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED_0) return 0;
    WriteTraceLine(&port, kTraceAlways, "-WaitSpoolerFunc() -> TIMEOUT-");
    return WAIT_TIMEOUT;
}

void ReleaseSpoolerFunc(PortContext& port) {
    if ((port.PortKind & port_kind::Share) != 0) return;
    ReleaseMutex(port.PortMutex);
}

bool PortHold::Take(int tries) {
    if (held_) return true;
    for (int i = 0; i < tries; ++i) {
        if (WaitSpoolerFunc(port_) == 0) {
            held_ = true;
            return true;
        }
    }
    return false;
}

void PortHold::Release() {
    if (!held_) return;
    held_ = false;
    ReleaseSpoolerFunc(port_);
}

PortLockHold::PortLockHold(PortContext& port) : port_(port) {
    EnterCriticalSection(port_.PortLock);
    ++port_.PortLockDepth;
}

PortLockHold::~PortLockHold() {
    --port_.PortLockDepth;
    LeaveCriticalSection(port_.PortLock);
}

PortPrinterName::PortPrinterName(PortContext& port) {
    PortLockHold lock(port);
    if (port.PrinterName != nullptr && lstrlenW(port.PrinterName) < MAX_PATH) lstrcpyW(name_, port.PrinterName);
}

bool StorePrinterName(PortContext& port, LPCWSTR printerName) {
    if (printerName == nullptr || printerName[0] == 0) return true;
    PortLockHold lock(port);
    if (port.PrinterName != nullptr && lstrcmpW(port.PrinterName, printerName) == 0) return true;
    LPWSTR copy = HeapCopyString(printerName);
    if (copy == nullptr) return false;
    HeapFreeBlock(port.PrinterName);
    port.PrinterName = copy;
    return true;
}

}  // namespace langmon
