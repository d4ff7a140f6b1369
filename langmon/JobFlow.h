#pragma once
// The job entries of the MONITOR2 table.
#include "langmon/PortContext.h"
#include "platform/Monitor.h"

BOOL PJLMonOpenPortEx(HANDLE hMonitor, HANDLE hMonitorPort, LPWSTR pPortName, LPWSTR pPrinterName, HANDLE* pHandle,
                      MONITOR2* pMonitor2) noexcept;
BOOL PJLMonClosePort(HANDLE hPort) noexcept;
BOOL PJLMonShutdown(HANDLE hMonitor) noexcept;
BOOL PJLMonStartDocPort(HANDLE hPort, LPWSTR pPrinterName, DWORD JobId, DWORD Level, LPBYTE pDocInfo) noexcept;
BOOL PJLMonWritePort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten) noexcept;
BOOL PJLMonEndDocPort(HANDLE hPort) noexcept;
BOOL PJLMonReadPort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead) noexcept;
BOOL PJLMonGetPrinterDataFromPort(HANDLE hPort, DWORD ControlID, LPWSTR pValueName, LPWSTR lpInBuffer,
                                  DWORD cbInBuffer, LPWSTR lpOutBuffer, DWORD cbOutBuffer,
                                  LPDWORD lpcbReturned) noexcept;

namespace langmon {

/// Cancels the job being sent on the printer (SNMP ports). With `raise`, `JobStatus` bit 0x4
/// is set first. Sets the cancel-done state bits and writes the "Cancel" history line.
bool JobCancel(PortContext& port, bool raise);

}  // namespace langmon
