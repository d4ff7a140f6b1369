#pragma once
// The monitor's event log (a daily CSV file of notable events) and the log of its link to the
// job-processing service. Both are process-wide, off unless the monitor's registry root
// switches them on, and written below the folder it names.
#include "platform/Kernel.h"
#include "platform/Monitor.h"
#include "platform/WinTypes.h"

namespace langmon {

enum class EventType : DWORD { Message = 1, Warning = 2, Error = 3 };

/// Process-wide state, kept in the monitor's process record.
struct EventLogState {
    CRITICAL_SECTION Lock;        // the service-link log's writes
    bool LockReady;
    BOOL On;
    WCHAR Folder[MAX_PATH];       // ends in a backslash
    WCHAR ServiceLogPath[MAX_PATH];
};

/// A value of the monitor's registry root through the spooler's MONITORREG: `cb` in, bytes
/// read out. False when absent, of another size class, or without a registry.
[[nodiscard]] bool QueryMonitorSetting(const MONITORINIT* init, LPCWSTR name, void* data, DWORD* cb, DWORD* type);

/// Reads "EventLogFolder" (a string; the Windows directory when absent or empty) and the
/// switch "EventLog" (a DWORD, non-zero on) once at initialisation.
void LoadEventLogSettings(const MONITORINIT* init);
void EndEventLog();

/// Adds "type,date,time,source,message CR LF" to "<folder>\YYYYMMDD.log" (local date), the
/// message in the ANSI code page. Nothing while the switch is off. The last error is kept.
void EventLogLine(LPCWSTR message, EventType type);

/// printf-style line of the service-link log "RnPJMSKV-TD520.log", after a CR LF and the local
/// date and time. Nothing while the switch is off. The last error is kept.
void ServiceLinkLog(LPCSTR format, ...) __attribute__((format(printf, 1, 2)));

/// Opens (OPEN_ALWAYS, shared read and write), writes at the end, closes. True when every
/// byte was written; false when the file cannot be opened. The caller's last error is kept.
bool WriteAtFileEnd(const void* bytes, DWORD cb, LPCWSTR file);

/// The wide text in the ANSI code page, NUL-terminated, cut at a character boundary so that
/// it fits `cbOut` bytes. Returns the bytes written without the NUL.
DWORD ToAnsi(LPCWSTR text, LPSTR out, DWORD cbOut);

}  // namespace langmon
