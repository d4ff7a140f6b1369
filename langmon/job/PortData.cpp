// GetPrinterDataFromPort: the value names the monitor answers itself (commands of the status
// side) and the control requests it passes to the port monitor.
#include <cstring>

#include "langmon/status/BoundPrinters.h"
#include "langmon/job/JobEntries.h"
#include "langmon/job/JobQueue.h"
#include "langmon/MonitorProcess.h"
#include "langmon/PortHolds.h"
#include "langmon/job/PortCalls.h"
#include "langmon/job/PortDocument.h"
#include "langmon/printer/PortKind.h"
#include "langmon/PortSettings.h"
#include "langmon/status/StatusPort.h"
#include "langmon/printer/StatusThread.h"
#include "langmon/status/StatusVariables.h"
#include "langmon/log/TraceLog.h"
#include "langmon/job/WritePaths.h"

namespace langmon {
namespace {

// The answer to "IsWakeup": the monitor is loaded and answers.
constexpr LONG kIsWakeupAnswer = 330;
constexpr DWORD kJobStatusReset = 0x4;
constexpr DWORD kErrorCancelled = 1223;
constexpr DWORD kSuspendStepMs = 10;

constexpr WCHAR kRefresh[] = u"Refresh:";
constexpr int kRefreshChars = static_cast<int>(sizeof kRefresh / sizeof(WCHAR)) - 1;

// The name as trace text: ASCII kept, anything else '?', cut to fit.
void NarrowName(LPCWSTR name, char* text, size_t cbText) {
    size_t i = 0;
    for (; name[i] != 0 && i + 1 < cbText; ++i) text[i] = name[i] < 0x80 ? static_cast<char>(name[i]) : '?';
    text[i] = 0;
}

bool StartsWithNoCase(LPCWSTR text, const char* prefix) {
    for (size_t i = 0; prefix[i] != 0; ++i) {
        WCHAR c = text[i];
        if (c >= u'a' && c <= u'z') c = static_cast<WCHAR>(c - u'a' + u'A');
        if (c != static_cast<WCHAR>(prefix[i])) return false;
    }
    return true;
}

void SetPollingOff(PortContext& port) {
    PortLockHold lock(port);
    port.PollingOn = 0;
}

LONG WakeUp(PortContext& port) {
    const LONG answer = RequestPolling(port);
    // On these ports nothing polls: the bindings are brought up to date once, and that is all.
    if (answer == kRefreshDone && (port.PortKind & port_kind::Other) != 0) {
        SyncBoundPrinters(port);
        SetPollingOff(port);
    }
    return answer;
}

LONG Refresh(PortContext& port, LPCWSTR printerName) {
    {
        PortLockHold lock(port);
        port.State &= ~port_state::SrmTerminate;
    }
    if ((port.State & port_state::InJob) != 0 || port.WriteAllowed != 0) return kRefreshBusy;
    return RefreshStatus(port, printerName);
}

// The polling thread is asked to stop for a while; its acknowledgement is awaited, bounded.
LONG Suspend(PortContext& port) {
    {
        PortLockHold lock(port);
        if ((port.State & port_state::InJob) != 0) return kRefreshNotDone;
        if ((port.State & port_state::StatusThreadAlive) == 0) return kRefreshDone;
        ResetEvent(port.SuspendAckEvent);
        port.SuspendRequest = 1;
        port.StatusThread.Signal();
    }
    // The thread answers on the acknowledgement event or by ending; either ends the wait.
    for (DWORD waited = 0; (port.State & port_state::StatusThreadAlive) != 0 && waited < port.Waits.SuspendAckMs;
         waited += kSuspendStepMs) {
        if (WaitForSingleObject(port.SuspendAckEvent, kSuspendStepMs) == WAIT_OBJECT_0) break;
    }
    return kRefreshDone;
}

// The value names of the status side. False for a name that is none of them.
bool ValueCommand(PortContext& port, LPCWSTR name, LONG* answer) {
    if (lstrcmpW(name, u"IsWakeup") == 0) {
        *answer = kIsWakeupAnswer;
    } else if (lstrlenW(name) >= kRefreshChars && std::memcmp(name, kRefresh, kRefreshChars * sizeof(WCHAR)) == 0) {
        *answer = Refresh(port, name + kRefreshChars);
    } else if (lstrcmpW(name, u"Wake Up") == 0) {
        *answer = WakeUp(port);
    } else if (lstrcmpW(name, u"Stop Polling") == 0) {
        *answer = StopPollingRequest(port);
    } else if (lstrcmpW(name, u"Suspend") == 0) {
        *answer = Suspend(port);
    } else {
        return false;
    }
    return true;
}

BOOL CallPortMonitor(PortContext& port, DWORD controlId, LPWSTR valueName, LPVOID in, DWORD cbIn, LPVOID out,
                     DWORD cbOut, LPDWORD returned) {
    *returned = 0;
    if (port.PortMonitor.pfnGetPrinterDataFromPort == nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    const BOOL ok = port.PortMonitor.pfnGetPrinterDataFromPort(port.PortMonitorPort, controlId, valueName,
                                                               static_cast<LPWSTR>(in), cbIn, static_cast<LPWSTR>(out),
                                                               cbOut, returned);
    if (*returned > cbOut) *returned = cbOut;
    return ok;
}

// A parallel port reset leaves the port in compatibility mode: the mode read at the first
// reset of this port is negotiated again after passing through {0, 0}.
void ResettleIeee1284(PortContext& port) {
    DWORD got = 0;
    if (port.Ieee1284NotRead != 0) {
        Ieee1284Modes read{};
        if (CallPortMonitor(port, kIoctlIeee1284GetMode, nullptr, nullptr, 0, &read, sizeof read, &got) &&
            got >= sizeof read) {
            port.Ieee1284Mode[0] = read.ReadMask;
            port.Ieee1284Mode[1] = read.WriteMask;
            port.Ieee1284NotRead = 0;
        }
    }
    Ieee1284Modes none{0, 0};
    Ieee1284Modes result{};
    CallPortMonitor(port, kIoctlIeee1284Negotiate, nullptr, &none, sizeof none, &result, sizeof result, &got);
    Ieee1284Modes saved{static_cast<USHORT>(port.Ieee1284Mode[0]), static_cast<USHORT>(port.Ieee1284Mode[1])};
    CallPortMonitor(port, kIoctlIeee1284Negotiate, nullptr, &saved, sizeof saved, &result, sizeof result, &got);
}

// The device id of a "ZEVUSB" port comes behind a 2-byte length: the port monitor gets a
// buffer 2 bytes larger and the caller only the id, cut to its buffer.
BOOL UsbDeviceId(PortContext& port, LPWSTR valueName, LPWSTR in, DWORD cbIn, LPWSTR out, DWORD cbOut,
                 LPDWORD returned) {
    constexpr DWORD kPrefix = 2;
    if (cbOut > 0xFFFFFFFFu - kPrefix) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto* buffer = static_cast<BYTE*>(HeapAllocZero(static_cast<size_t>(cbOut) + kPrefix));
    if (buffer == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    DWORD got = 0;
    const BOOL ok = CallPortMonitor(port, kIoctlUsbGetDeviceId, valueName, in, cbIn, buffer, cbOut + kPrefix, &got);
    const DWORD error = ok ? ERROR_INVALID_DATA : GetLastError();
    if (!ok || got <= kPrefix) {
        HeapFreeBlock(buffer);
        SetLastError(error);
        return FALSE;
    }
    std::memcpy(out, buffer + kPrefix, got - kPrefix);
    *returned = got - kPrefix;
    HeapFreeBlock(buffer);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

// The driver reset a USB printer whose last bytes did not go out: the tail is sent again
// every UsbResendPauseMs until the port takes it, the write is cancelled, the printer goes
// off, or UsbResendMs have passed (the job then no longer shows as being reset).
bool WaitUsbResend(PortContext& port, PortHold& hold) {
    DWORD waited = 0;
    while (port.UsbResend != 0 && port.LastWriteError != kErrorCancelled &&
           (port.State & port_state::PoweredOff) == 0) {
        if (waited >= port.Waits.UsbResendMs) {
            SetJobStatusBits(port, kJobStatusReset, false);
            port.UsbResend = 0;
            break;
        }
        hold.Release();
        Sleep(port.Waits.UsbResendPauseMs);
        waited += port.Waits.UsbResendPauseMs;
        if (!hold.Take()) return false;
        DWORD taken = 0;
        const BOOL ok = PMWritePort(port, hold, port.HoldBack, port.cbHoldBack, &taken);
        if (!hold.Held()) return false;
        if (ok && taken == port.cbHoldBack) port.UsbResend = 0;
    }
    return true;
}

BOOL ControlRequest(PortContext& port, DWORD controlId, LPWSTR valueName, LPWSTR in, DWORD cbIn, LPWSTR out,
                    DWORD cbOut, LPDWORD returned) {
    PortHold hold(port);
    if (!hold.Take()) {
        SetLastError(ERROR_SEM_TIMEOUT);
        return FALSE;
    }
    if (port.PortMonitor.pfnGetPrinterDataFromPort == nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    if (controlId == kControlReset || controlId == kIoctlParSetInformation) {
        // A reset during a job shows as one to the status side, unless the job is a resend.
        if ((port.State & port_state::InJob) != 0 && (port.SysFlag & sys_flag::ResentJob) == 0) {
            SetJobStatusBits(port, kJobStatusReset, true);
        }
        port.State |= port_state::CancelDoneLow;
    }
    // The port monitor answers control requests only with a document open.
    if ((port.State & port_state::PortDocOpen) == 0) {
        if (!PMStartOwnDocPort(port)) {
            const DWORD error = GetLastError();
            hold.Release();
            WriteTraceLine(&port, kTracePrinterData, "KJLMON:PJLMonGetPrinterDataFromPort -ENE@1-");
            SetLastError(error);
            return FALSE;
        }
        port.State |= port_state::PortDocOpen;
    }
    if (controlId == kControlReset && IsUsb(port) && !WaitUsbResend(port, hold)) {
        SetLastError(ERROR_SEM_TIMEOUT);
        return FALSE;
    }
    const BOOL ok = PMGetPrinterDataFromPort(port, controlId, valueName, in, cbIn, out, cbOut, returned);
    const DWORD error = GetLastError();
    // The printer gets its time to reset before the job's next bytes.
    if (controlId == kControlReset && (port.State & port_state::InJob) != 0) Sleep(port.Waits.RetryPauseMs);
    hold.Release();
    WriteTraceLine(&port, kTracePrinterData, "KJLMON:PJLMonGetPrinterDataFromPort -ENE@2-");
    SetLastError(error);
    return ok;
}

}  // namespace

void SettleIeee1284AtStart(PortContext& port) {
    constexpr USHORT kEcpHardware = 0x100;
    Ieee1284Modes mode{};
    DWORD got = 0;
    if (!CallPortMonitor(port, kIoctlIeee1284GetMode, nullptr, nullptr, 0, &mode, sizeof mode, &got) ||
        got < sizeof mode) {
        return;
    }
    if (mode.WriteMask == kEcpHardware) {
        port.MyPortMode |= kPortModeChunked;
        return;
    }
    USHORT caps = 0;
    if (!CallPortMonitor(port, kIoctlParGetDeviceCaps, nullptr, nullptr, 0, &caps, sizeof caps, &got) ||
        got < sizeof caps || (caps & kEcpHardware) == 0) {
        return;
    }
    Ieee1284Modes wanted{mode.ReadMask, kEcpHardware};
    Ieee1284Modes result{};
    CallPortMonitor(port, kIoctlIeee1284Negotiate, nullptr, &wanted, sizeof wanted, &result, sizeof result, &got);
    port.MyPortMode |= kPortModeChunked;
    if (got < sizeof result || result.WriteMask != kEcpHardware) {
        CallPortMonitor(port, kIoctlIeee1284Negotiate, nullptr, &mode, sizeof mode, &result, sizeof result, &got);
        port.MyPortMode &= ~kPortModeChunked;
    }
}

BOOL PMGetPrinterDataFromPort(PortContext& port, DWORD controlId, LPWSTR valueName, LPWSTR in, DWORD cbIn,
                              LPWSTR out, DWORD cbOut, LPDWORD returned) {
    DWORD unused = 0;
    if (returned == nullptr) returned = &unused;
    *returned = 0;
    if (out == nullptr) cbOut = 0;
    if (in == nullptr) cbIn = 0;
    if (controlId == kIoctlParSetInformation && cbIn >= 1 && *reinterpret_cast<const BYTE*>(in) == 1 &&
        IsLptPort(port.PortName) && (port.PortKind & port_kind::Share) == 0) {
        ResettleIeee1284(port);
    }
    // While chunked data flow, the device id is not asked for: the port is busy.
    if ((port.MyPortMode & kPortModeChunked) != 0 && port.PartialWriteSeen != 0 && controlId == kIoctlParQueryDeviceId) {
        if (cbOut != 0) {
            *reinterpret_cast<BYTE*>(out) = 0;
            *returned = 1;
        }
        return TRUE;
    }
    if (port.PortMonitor.pfnGetPrinterDataFromPort == nullptr) {
        WriteTraceLine(&port, kTracePrinterData, "KJLMON:PMGetPrinterDataFromPort -ERROR-");
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    BOOL ok = FALSE;
    bool dropJobs = false;
    {
        PortLockHold lock(port);
        if ((controlId == kControlReset || controlId == kIoctlParSetInformation) &&
            MasksMeet(port.ModelMask, kKvTd520ModelMask)) {
            ok = CallPortMonitor(port, controlId, valueName, in, cbIn, out, cbOut, returned);
            dropJobs = true;
        } else if (controlId == kIoctlParQueryDeviceId && IsUsb(port) && StartsWithNoCase(port.PortName, "ZEVUSB")) {
            ok = UsbDeviceId(port, valueName, in, cbIn, out, cbOut, returned);
        } else {
            ok = CallPortMonitor(port, controlId, valueName, in, cbIn, out, cbOut, returned);
        }
    }
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    // The printer was reset: the jobs it held are gone, the one being sent included.
    if (dropJobs) DeleteJob(port, true);
    if (!ok) WriteTraceLine(&port, kTracePrinterData, "KJLMON:PMGetPrinterDataFromPort -ERROR-");
    SetLastError(error);
    return ok;
}

}  // namespace langmon

using namespace langmon;

BOOL PJLMonGetPrinterDataFromPort(HANDLE hPort, DWORD ControlID, LPWSTR pValueName, LPWSTR lpInBuffer,
                                  DWORD cbInBuffer, LPWSTR lpOutBuffer, DWORD cbOutBuffer,
                                  LPDWORD lpcbReturned) noexcept {
    PortContext* port = PortFromHandle(hPort);
    if (port == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WriteTraceLine(port, kTracePrinterData, "KJLMON:PJLMonGetPrinterDataFromPort -START-");
    if (ControlID == 0 && pValueName != nullptr) {
        char name[64];
        NarrowName(pValueName, name, sizeof name);
        WriteTraceLine(port, kTracePrinterData, "       ValueName[%s]", name);
    } else {
        WriteTraceLine(port, kTracePrinterData, "       ValueName[%d]", static_cast<int>(ControlID));
    }

    if (ControlID == 0) {
        // The answer travels in the output buffer; the call itself always fails with 87, and
        // callers read *lpcbReturned to tell an answer (4) from none (0).
        LONG answer = 0;
        const bool known = pValueName != nullptr && ValueCommand(*port, pValueName, &answer);
        if (known && lpOutBuffer != nullptr && cbOutBuffer >= sizeof answer) {
            std::memcpy(lpOutBuffer, &answer, sizeof answer);
        }
        if (lpcbReturned != nullptr) *lpcbReturned = known ? sizeof answer : 0;
        WriteTraceLine(port, kTracePrinterData, "KJLMON:PJLMonGetPrinterDataFromPort -END-\r\n");
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    if (lpcbReturned == nullptr || (lpOutBuffer == nullptr && cbOutBuffer != 0) ||
        (lpInBuffer == nullptr && cbInBuffer != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpcbReturned = 0;
    return ControlRequest(*port, ControlID, pValueName, lpInBuffer, cbInBuffer, lpOutBuffer, cbOutBuffer, lpcbReturned);
}
