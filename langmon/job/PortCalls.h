#pragma once
// Calls the monitor makes on a port's behalf to the real port monitor and the spooler, and
// the tests of the port's kind that the job flow and the status side share.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/MonitorProcess.h"
#include "langmon/PortContext.h"
#include "platform/Monitor.h"
#include "platform/Owners.h"
#include "platform/Spooler.h"

namespace langmon {

inline constexpr int kTakeTries = 3;
inline constexpr DWORD kErrorConnectionReset = 10054;
inline constexpr DWORD kErrorPrintCancelled = 63;
inline constexpr DWORD kErrorTimeout = 1460;
inline constexpr DWORD kStateNoJobName = 0x10000000;  // StartDocPort found no name for the job

/// The document the monitor opens on the port outside a spooler job.
DOC_INFO_3W MonitorDocInfo();

[[nodiscard]] bool IsSnmpPort(const PortContext& port);
[[nodiscard]] bool IsUsb(const PortContext& port);
/// The job's binding, and whether it is bound to the manager; read under PortLock (a
/// notification thread may remove the binding at any time).
[[nodiscard]] bool HasBinding(PortContext& port);
[[nodiscard]] bool IsBound(PortContext& port);

/// The printer opened for use (PRINTER_ACCESS_USE); holds nothing when the name is null or
/// the spooler refuses it.
[[nodiscard]] PrinterHandle OpenPrinterForUse(LPCWSTR name);

/// The job's level-1 record (strings after it) in a block of the monitor heap, read with a
/// size query first; empty when the spooler has no such job, the record is larger than 1 MB
/// or the heap is full. `tries` reads, `pauseMs` apart.
[[nodiscard]] HeapBuffer ReadJobRecord(HANDLE printer, DWORD jobId, int tries, DWORD pauseMs);

/// The spooler told through a printer handle of its own (the port's printer).
void SetJobCommand(PortContext& port, DWORD jobId, DWORD command);

[[nodiscard]] BOOL PMStartDocPort(PortContext& port, LPWSTR printer, DWORD jobId, DWORD level, LPBYTE docInfo);
/// The monitor's own document (MonitorDocInfo, JobId -1, level 3) on the port's printer.
[[nodiscard]] BOOL PMStartOwnDocPort(PortContext& port);
[[nodiscard]] BOOL PMEndDocPort(PortContext& port);
/// The port monitor's SetPortTimeOuts; the caller's last error is kept.
void SetPortTimeouts(PortContext& port, const COMMTIMEOUTS& timeouts);

}  // namespace langmon
