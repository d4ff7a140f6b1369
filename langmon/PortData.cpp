// GetPrinterDataFromPort: the value names the monitor answers itself and the control
// requests it passes to the port monitor.
#include <cstring>

#include "langmon/JobFlow.h"
#include "langmon/Monitor.h"
#include "langmon/StatusThread.h"

using namespace langmon;

namespace {

// The status side's value names: a refresh for one printer, polling on and off. False for
// names that are not these.
bool StatusCommand(PortContext& port, LPCWSTR name, LONG* answer) {
    constexpr WCHAR kRefresh[] = u"Refresh:";
    constexpr int kRefreshChars = static_cast<int>(sizeof kRefresh / sizeof(WCHAR)) - 1;
    if (lstrcmpW(name, u"Wake Up") == 0) {
        *answer = RequestPolling(port);
    } else if (lstrcmpW(name, u"Stop Polling") == 0) {
        *answer = StopPollingRequest(port);
    } else if (lstrlenW(name) >= kRefreshChars && std::memcmp(name, kRefresh, kRefreshChars * sizeof(WCHAR)) == 0) {
        port.State &= ~port_state::SrmTerminate;
        const bool busy = (port.State & port_state::InJob) != 0 || port.WriteAllowed != 0;
        *answer = busy ? kRefreshBusy : RefreshStatus(port, name + kRefreshChars);
    } else {
        return false;
    }
    return true;
}

}  // namespace

// Control requests pass to the port monitor under the port's lock; the value names the
// monitor answers itself come with the status side.
BOOL PJLMonGetPrinterDataFromPort(HANDLE hPort, DWORD ControlID, LPWSTR pValueName, LPWSTR lpInBuffer,
                                  DWORD cbInBuffer, LPWSTR lpOutBuffer, DWORD cbOutBuffer,
                                  LPDWORD lpcbReturned) noexcept {
    PortContext* port = PortFromHandle(hPort);
    if (port == nullptr || lpcbReturned == nullptr || (lpOutBuffer == nullptr && cbOutBuffer != 0) ||
        (lpInBuffer == nullptr && cbInBuffer != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpcbReturned = 0;
    if (ControlID == 0 && pValueName != nullptr) {
        LONG answer = 0;
        if (StatusCommand(*port, pValueName, &answer)) {
            if (lpOutBuffer != nullptr && cbOutBuffer >= sizeof answer) std::memcpy(lpOutBuffer, &answer, sizeof answer);
            *lpcbReturned = sizeof answer;
            return TRUE;
        }
    }
    if (ControlID == 0 || port->PortMonitor.pfnGetPrinterDataFromPort == nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    PortLockHold lock(*port);
    BOOL ok = port->PortMonitor.pfnGetPrinterDataFromPort(port->PortMonitorPort, ControlID, pValueName, lpInBuffer,
                                                          cbInBuffer, lpOutBuffer, cbOutBuffer, lpcbReturned);
    if (*lpcbReturned > cbOutBuffer) *lpcbReturned = cbOutBuffer;
    return ok;
}
