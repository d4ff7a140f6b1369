// The monitor's own short documents on a port: status traffic between jobs, the held-back
// bytes the port did not take yet, and the block that ends the printer's status reports.
#include "langmon/job/PortDocument.h"

#include <cstring>

#include "langmon/MonitorProcess.h"
#include "langmon/PortHolds.h"
#include "langmon/job/PortCalls.h"
#include "langmon/status/StatusVariables.h"
#include "langmon/log/TraceLog.h"
#include "langmon/job/WritePaths.h"

namespace langmon {
namespace {

constexpr int kWriteTries = 50;
// In-job word of a job whose data go to the port as the spooler hands them: bytes of the
// monitor's own would land inside that job.
constexpr DWORD kInJobPassThrough = 1;
constexpr COMMTIMEOUTS kStatusTimeouts{10, 0, 100, 0, 0};

// A printer that is off (M 0x100), or in one of the L states 0x1200, is not told anything.
constexpr DWORD kUstatusOffQuietM = 0x100;
constexpr DWORD kUstatusOffQuietL = 0x1200;

// UEL, "@PJL USTATUSOFF", UEL. The block ends with the second UEL: no byte follows it, since
// after a UEL the printer takes any byte as the start of a new job.
constexpr BYTE kUstatusOff[] = {0x1B, '%', '-', '1', '2', '3', '4', '5', 'X', '@', 'P', 'J', 'L', ' ', 'U', 'S',
                                'T',  'A', 'T', 'U', 'S', 'O', 'F', 'F', '\r', '\n', 0x1B, '%', '-', '1', '2', '3',
                                '4',  '5', 'X'};
static_assert(sizeof kUstatusOff == 35);

// Appends to the held-back bytes, behind what is there. False when the heap is full.
bool AppendHeldBack(PortContext& port, const BYTE* data, DWORD cb) {
    if (cb == 0) return true;
    if (port.cbPending > 0xFFFFFFFFu - cb) return false;
    auto* grown = static_cast<BYTE*>(HeapAllocZero(static_cast<size_t>(port.cbPending) + cb));
    if (grown == nullptr) return false;
    if (port.cbPending != 0) std::memcpy(grown, port.Pending, port.cbPending);
    std::memcpy(grown + port.cbPending, data, cb);
    HeapFreeBlock(port.Pending);
    port.Pending = grown;
    port.cbPending += cb;
    return true;
}

// The port took the first `cb` held-back bytes.
void ConsumeHeldBack(PortContext& port, DWORD cb) {
    if (cb >= port.cbPending) {
        DropHeldBack(port);
        return;
    }
    std::memmove(port.Pending, port.Pending + cb, port.cbPending - cb);
    port.cbPending -= cb;
}

// Writes until a call takes something: at most kWriteTries calls with a pause between them.
// Returns the bytes taken, also by a call that failed (the port has them: they are never
// sent again); *error is the last failing call's error, else 0.
DWORD WriteWithTries(PortContext& port, PortHold& hold, const BYTE* data, DWORD cb, DWORD* error) {
    *error = ERROR_SUCCESS;
    for (int tries = 1;; ++tries) {
        DWORD taken = 0;
        const BOOL ok = PMWritePort(port, hold, data, cb, &taken);
        *error = ok ? ERROR_SUCCESS : GetLastError();
        if (taken != 0 || tries >= kWriteTries || !hold.Held()) return taken;
        Sleep(port.Waits.RetryPauseMs);
    }
}

}  // namespace

bool OpenStatusDocument(PortContext& port) {
    if ((port.PortKind & port_kind::Share) != 0 || (port.PortKind & port_kind::Bound) == 0) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return false;
    }
    if ((port.State & port_state::PortDocOpen) != 0) {
        SetLastError(ERROR_BUSY);
        return false;
    }
    if (!PMStartOwnDocPort(port)) {
        const DWORD error = GetLastError();
        WriteTraceLine(&port, kTracePortMonitorErrors, "KJLMON:PMStartDocPort -ERROR- (%lu)",
                       static_cast<unsigned long>(error));
        SetLastError(error);
        return false;
    }
    port.State |= port_state::PortDocOpen;
    if (!IsUsb(port)) SetPortTimeouts(port, kStatusTimeouts);
    return true;
}

void CloseStatusDocument(PortContext& port) {
    const DWORD error = GetLastError();
    if (PMEndDocPort(port)) {
        port.State &= ~port_state::PortDocOpen;
    } else {
        WriteTraceLine(&port, kTracePortMonitorErrors, "KJLMON:PMEndDocPort -ERROR- (%lu)",
                       static_cast<unsigned long>(GetLastError()));
    }
    SetLastError(error);
}

void DropHeldBack(PortContext& port) {
    HeapFreeBlock(port.Pending);
    port.Pending = nullptr;
    port.cbPending = 0;
}

bool WritePortData(PortContext& port, const BYTE* data, DWORD cb, DWORD* written, bool keepRest,
                   bool onlyWhenTracking) {
    DWORD unused = 0;
    if (written == nullptr) written = &unused;
    *written = 0;
    if (data == nullptr) cb = 0;
    if (onlyWhenTracking &&
        ((port.PortKind & port_kind::Bound) == 0 || (port.State & port_state::DeviceSupported) == 0)) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return false;
    }
    // Two holds: the port monitor's write gives one back while it runs, and the held-back
    // buffer it reads must stay ours meanwhile.
    PortHold outer(port);
    PortHold hold(port);
    if (!outer.Take() || !hold.Take()) {
        SetLastError(ERROR_SEM_TIMEOUT);
        return false;
    }
    if (port.cbPending == 0 && cb == 0) {
        SetLastError(ERROR_SUCCESS);
        return true;
    }
    // Held-back bytes wait while a job's data pass through; new data queue behind them.
    if (port.cbPending != 0 && port.InJobWord == kInJobPassThrough && (port.State & port_state::InJob) != 0) {
        const bool kept = !keepRest || AppendHeldBack(port, data, cb);
        SetLastError(kept ? ERROR_BUSY : ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    const bool opened = (port.State & port_state::PortDocOpen) == 0;
    if (opened && !OpenStatusDocument(port)) return false;

    DWORD error = ERROR_SUCCESS;
    bool heldBackSent = true;
    if (port.cbPending != 0) {
        DWORD callError = ERROR_SUCCESS;
        ConsumeHeldBack(port, WriteWithTries(port, hold, port.Pending, port.cbPending, &callError));
        if (port.cbPending != 0) {
            heldBackSent = false;
            error = callError != ERROR_SUCCESS ? callError : kErrorTimeout;
        }
    }
    if (!heldBackSent) {
        // New data never pass bytes that are still waiting.
        if (keepRest && !AppendHeldBack(port, data, cb)) error = ERROR_NOT_ENOUGH_MEMORY;
    } else if (cb != 0) {
        DWORD callError = ERROR_SUCCESS;
        const DWORD taken = WriteWithTries(port, hold, data, cb, &callError);
        *written = taken;
        if (taken < cb) {
            error = callError != ERROR_SUCCESS ? callError : kErrorTimeout;
            if ((taken != 0 || keepRest) && !AppendHeldBack(port, data + taken, cb - taken)) {
                error = ERROR_NOT_ENOUGH_MEMORY;
            }
        }
    }
    if (error != ERROR_SUCCESS) {
        WriteTraceLine(&port, kTraceWritePort, "KJLMON:WritePortData -ERROR- (%lu) held back %lu",
                       static_cast<unsigned long>(error), static_cast<unsigned long>(port.cbPending));
    }
    if (opened) CloseStatusDocument(port);
    SetLastError(error);
    return error == ERROR_SUCCESS;
}

void SendUstatusOff(PortContext& port) {
    if ((port.State & port_state::DeviceSupported) == 0) return;
    PrinterStatusValue status{};
    {
        PortLockHold lock(port);
        if (port.Variables != nullptr) port.Variables->ReadStatus(&status);
    }
    if ((status.M & kUstatusOffQuietM) != 0 || (status.L & kUstatusOffQuietL) != 0) return;

    PortHold hold(port);
    if (!hold.Take()) return;
    // A job's document may be open: the block would land in the middle of its data.
    if ((port.State & port_state::InJob) != 0) return;
    bool opened = false;
    if ((port.State & port_state::PortDocOpen) == 0) {
        if (PMStartOwnDocPort(port)) {
            port.State |= port_state::PortDocOpen;
            SetPortTimeouts(port, kStatusTimeouts);
            opened = true;
        } else {
            WriteTraceLine(&port, kTracePortMonitorErrors, "KJLMON:PMStartDocPort -ERROR- (%lu)",
                           static_cast<unsigned long>(GetLastError()));
        }
    }
    if ((port.State & port_state::PortDocOpen) != 0) {
        DWORD written = 0;
        WritePortData(port, kUstatusOff, sizeof kUstatusOff, &written, false, false);
    }
    if (opened) CloseStatusDocument(port);
    // The printer's reports are over: nothing held back for them is sent any more.
    DropHeldBack(port);
}

}  // namespace langmon
