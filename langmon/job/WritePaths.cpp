// The write paths of WritePort: the whole buffer with its tail kept, chunks of 4,096 bytes,
// and the hold-back window that trails a job's data by 80 bytes.
#include "langmon/job/WritePaths.h"

#include <cstring>

#include "langmon/job/JobQueue.h"
#include "langmon/PortHolds.h"
#include "langmon/job/PortCalls.h"
#include "langmon/PortSettings.h"

namespace langmon {
namespace {

constexpr DWORD kErrorCancelled = 1223;  // the port monitor cancelled the job it was writing

bool AtLeastWindows51(const PortContext& port) {
    if (port.Monitor == nullptr) return false;
    return port.Monitor->WinMajor > 5 || (port.Monitor->WinMajor == 5 && port.Monitor->WinMinor >= 1);
}

}  // namespace

void ClearHoldBack(PortContext& port) {
    port.cbHoldBack = 0;
    port.HoldBackHasData = 0;
}

// Keeps the last bytes the port took (they are not sent again).
void KeepTail(PortContext& port, const BYTE* data, DWORD taken) {
    if (taken >= kHoldBackBytes) {
        std::memcpy(port.HoldBack, data + taken - kHoldBackBytes, kHoldBackBytes);
        port.cbHoldBack = kHoldBackBytes;
    } else {
        const DWORD keepOld = port.cbHoldBack + taken > kHoldBackBytes ? kHoldBackBytes - taken : port.cbHoldBack;
        std::memmove(port.HoldBack, port.HoldBack + port.cbHoldBack - keepOld, keepOld);
        std::memcpy(port.HoldBack + keepOld, data, taken);
        port.cbHoldBack = keepOld + taken;
    }
    port.HoldBackHasData = 0;
}

BOOL PMWritePort(PortContext& port, PortHold& hold, const BYTE* data, DWORD cb, DWORD* taken) {
    port.LastWriteError = ERROR_SUCCESS;
    port.WriteFailed = 0;
    *taken = 0;
    if (port.PortMonitor.pfnWritePort == nullptr) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    hold.Release();
    DWORD got = 0;
    BOOL ok = port.PortMonitor.pfnWritePort(port.PortMonitorPort, const_cast<LPBYTE>(data), cb, &got);
    const DWORD error = GetLastError();
    (void)hold.Take(kTakeTries);
    *taken = got > cb ? cb : got;
    if (!ok) {
        // Kept on every kind of port, USB or not: the pause after a failed write of a chunked
        // port reads the flag, so no port retries at once.
        port.LastWriteError = error;
        port.WriteFailed = 1;
    } else if (*taken != 0) {
        port.State |= port_state::DeviceTookData;
    }
    if ((port.MyPortMode & kPortModeChunked) != 0 && (port.State & port_state::InJob) != 0 &&
        (*taken != 0 || (!ok && error == kErrorTimeout))) {
        port.PartialWriteSeen = 1;
    }
    // The port monitor cancelled the job it was writing: it is dropped rather than retried.
    // Only with the port taken back: the queue and the state are the port's.
    if (!ok && error == kErrorCancelled && hold.Held() && AtLeastWindows51(port) &&
        (port.State & port_state::InJob) != 0 && (port.State & port_state::PoweredOff) == 0) {
        DeleteJob(port, true);
    }
    SetLastError(error);
    return ok;
}

BOOL WriteKeepTail(PortContext& port, PortHold& hold, const BYTE* data, DWORD cb, DWORD* written) {
    DWORD taken = 0;
    const BOOL ok = PMWritePort(port, hold, data, cb, &taken);
    const DWORD error = GetLastError();
    *written = taken;
    if (!ok && (error == kErrorConnectionReset || error == kErrorPrintCancelled)) {
        SetLastError(error);
        return FALSE;
    }
    KeepTail(port, data, taken);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WriteChunked(PortContext& port, PortHold& hold, const BYTE* data, DWORD cb, DWORD* written) {
    return PMWritePort(port, hold, data, cb < kChunkBytes ? cb : kChunkBytes, written);
}

BOOL WriteHoldBack(PortContext& port, PortHold& hold, const BYTE* data, DWORD cb, DWORD* written) {
    // The job's bytes so far are the window (w bytes) followed by this call's; everything but
    // their last 80 is due to the port, window first.
    const DWORD w = port.cbHoldBack;
    const DWORD total = w + cb;
    const DWORD due = total > kHoldBackBytes ? total - kHoldBackBytes : 0;
    DWORD sent = 0;
    BOOL ok = TRUE;
    DWORD error = ERROR_SUCCESS;
    if (due != 0) {
        const DWORD fromWindow = due < w ? due : w;
        if (fromWindow != 0) {
            ok = PMWritePort(port, hold, port.HoldBack, fromWindow, &sent);
            error = GetLastError();
        }
        // A port not taken back after the window's write belongs to someone else for now.
        if (ok && sent == fromWindow && due > fromWindow && hold.Held()) {
            DWORD more = 0;
            ok = PMWritePort(port, hold, data, due - fromWindow, &more);
            error = GetLastError();
            sent += more;
        }
    }
    // Accept as many new bytes as keep the window within 80 after what the port took.
    DWORD accepted = sent + kHoldBackBytes - w;
    if (accepted > cb) accepted = cb;
    BYTE next[kHoldBackBytes];
    DWORD cbNext = 0;
    for (DWORD i = sent; i < w + accepted; ++i) next[cbNext++] = i < w ? port.HoldBack[i] : data[i - w];
    std::memcpy(port.HoldBack, next, cbNext);
    port.cbHoldBack = cbNext;
    port.HoldBackHasData = cbNext != 0 ? 1 : 0;
    *written = accepted;
    SetLastError(error);
    return ok;
}

bool FlushHoldBack(PortContext& port, PortHold& hold) {
    // Time is counted in the pauses taken and on the clock: the bound holds whichever comes
    // first, also when each call of the port monitor is slow.
    DWORD waited = 0;
    const DWORD start = GetTickCount();
    DWORD error = ERROR_SUCCESS;
    while (port.cbHoldBack != 0) {
        if (!hold.Held() && !hold.Take(kTakeTries)) {
            error = ERROR_SEM_TIMEOUT;
            break;
        }
        DWORD taken = 0;
        const BOOL ok = PMWritePort(port, hold, port.HoldBack, port.cbHoldBack, &taken);
        if (!ok) error = GetLastError();
        std::memmove(port.HoldBack, port.HoldBack + taken, port.cbHoldBack - taken);
        port.cbHoldBack -= taken;
        if (port.cbHoldBack == 0 || taken != 0) continue;
        if (waited >= port.Waits.PendingOutputMs || GetTickCount() - start >= port.Waits.PendingOutputMs) {
            if (error == ERROR_SUCCESS) error = kErrorTimeout;
            break;
        }
        Sleep(port.Waits.RetryPauseMs);
        waited += port.Waits.RetryPauseMs;
    }
    const bool all = port.cbHoldBack == 0;
    ClearHoldBack(port);
    if (!all) SetLastError(error);
    return all;
}

}  // namespace langmon
