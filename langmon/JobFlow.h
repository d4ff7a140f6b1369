#pragma once
// The job entries of the MONITOR2 table, the per-port job queue and the write paths.
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

class PortHold;

/// Adds a zeroed entry for the job at the queue's tail; NULL when the heap is full.
JobQueueEntry* InJobQueue(PortContext& port, DWORD jobId);
/// Frees every entry without telling the spooler (the port is going away).
void FreeJobQueue(PortContext& port);
DWORD JobQueueLength(PortContext& port);
/// Tells the spooler the last page of every queued job was ejected (once per entry) and frees
/// the entries: the jobs are no longer followed.
void DeleteQueuedJobs(PortContext& port);

/// One write to the port monitor. The port mutex is given up around the call so the status
/// side can use the port; hold says whether it was taken back. *taken never exceeds cb.
BOOL PMWritePort(PortContext& port, PortHold& hold, const BYTE* data, DWORD cb, DWORD* taken);

/// Write paths of WritePort; each sets the last error on failure.
BOOL WriteKeepTail(PortContext& port, PortHold& hold, const BYTE* data, DWORD cb, DWORD* written);
BOOL WriteChunked(PortContext& port, PortHold& hold, const BYTE* data, DWORD cb, DWORD* written);
/// Sends all but the last 80 bytes of the job so far; the 80 wait in the window until more
/// data comes or the job ends (FlushHoldBack).
BOOL WriteHoldBack(PortContext& port, PortHold& hold, const BYTE* data, DWORD cb, DWORD* written);
/// Sends what the window holds, retrying until PendingOutputMs; the window is emptied either
/// way. False (last error set) when the port did not take it all.
bool FlushHoldBack(PortContext& port, PortHold& hold);

}  // namespace langmon
