#pragma once
// The job entries of the MONITOR2 table, and what the end of a job shares with its start.
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

/// Cancels the queue's tail job (the job being sent) on the printer over SNMP. With `raise`,
/// `JobStatus` bit 0x4 is set first. True when the printer took the cancel, or is off or
/// aborted the job; a refused cancel is tried 3 times, then false. Either way the cancel-done
/// state bits are set and the "Cancel" history line written. The caller holds the port
/// mutex; the waits come from the port's retry pause.
bool JobCancel(PortContext& port, bool raise);

/// The spooler thread's priority as it was before StartDocPort raised it.
void RestorePriority(PortContext& port);

}  // namespace langmon
