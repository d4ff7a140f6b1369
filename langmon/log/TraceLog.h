#pragma once
// The monitor's trace log: one writer per port context, switched on and tuned by the
// settings file "ZEVLMLOG.INI" of the Windows directory, with size-limited rotation.
#include <cstdarg>

#include "platform/Sync.h"
#include "platform/WinTypes.h"

// Trace flags that select groups of lines; lines written with kTraceAlways only need the
// trace to be on.
inline constexpr DWORD kTraceAlways = 0;
inline constexpr DWORD kTracePortMonitorErrors = 0x2;   // StartDocPort, ReadPort, EndDocPort call errors
inline constexpr DWORD kTraceWritePort = 0x1000;        // WritePort lines and port write errors
inline constexpr DWORD kTracePrinterData = 0x2000;      // GetPrinterDataFromPort lines
inline constexpr DWORD kTraceDevice = 0x10000;          // device checks and the device picture
inline constexpr DWORD kTraceJobs = 0x20000;            // job queue, JCID tracking, ejects, cancels
inline constexpr DWORD kTracePublisher = 0x40000;       // variables pushed to the status manager

inline constexpr DWORD kTraceMegabyte = 1048576;
inline constexpr int kTraceTextMax = 1023;  // bytes of one formatted text; longer texts are cut

/// The trace state of one port context. Plain so that it can live inside the context block.
struct TraceSettings {
    BOOL on = FALSE;
    DWORD mode = 0;               // 1 or 2 while on
    DWORD flags = 0;
    DWORD sizeLimitBytes = 0;     // 0: no limit
    DWORD historyCount = 1;       // old files kept, 1..9
    BOOL securityReady = FALSE;
    SECURITY_DESCRIPTOR security = {};  // NULL DACL: every user may open the file
    WCHAR folder[MAX_PATH] = {};
    WCHAR fileName[MAX_PATH] = {};  // made at the first line; empty until then
};

namespace langmon {
struct PortContext;
}

/// Allocates the record from `heap` and loads it (LoadTraceSettings); NULL when the heap is
/// exhausted, which the port treats as the trace being off. Freed with FreeTraceSettings.
[[nodiscard]] TraceSettings* NewTraceSettings(HANDLE heap);
void FreeTraceSettings(HANDLE heap, TraceSettings* settings);

/// Reads "ZEVLMLOG.INI" (section "ZEVKV-TD520") and creates the trace folder. Any failure
/// (no file, MODE other than 1 or 2, a folder that does not fit) leaves the trace off with
/// flags 0 and history 1.
void LoadTraceSettings(TraceSettings& log);

/// The flag bits that MAGIC, LEVEL and EXTLEVEL select.
[[nodiscard]] DWORD TraceFlagsFrom(DWORD magic, DWORD level, DWORD extLevel);

/// True when the trace is on and `flag` (kTraceAlways, or one of the bits) selects the line.
[[nodiscard]] inline bool TraceWanted(const TraceSettings& log, DWORD flag) {
    return log.on && (flag == kTraceAlways || (log.flags & flag) != 0);
}

/// Replaces the characters that cannot stand in a file name (\ / : * ? < > | ") by '-'.
void SanitizeFileName(LPWSTR name);

/// Adds "MM/DD hh:mm:ss:mmm<TAB>text CR LF" with the local time of the call, rotating the
/// file first when it reached the size limit. An empty printer name, a file that cannot be
/// opened or a failed rotation drops the line. The caller's last error is kept.
void TraceLine(TraceSettings& log, LPCWSTR printerName, LPCSTR text);
/// Adds the text unchanged (no time, no line end, no size check).
void TraceText(TraceSettings& log, LPCWSTR printerName, LPCSTR text);

/// printf-style form of TraceText for the multi-line blocks that carry their own line ends.
void TraceTextF(TraceSettings& log, LPCWSTR printerName, DWORD flag, LPCSTR format, ...)
    __attribute__((format(printf, 4, 5)));
/// printf-style front ends: nothing is formatted unless `flag` selects the line.
void TraceF(TraceSettings& log, LPCWSTR printerName, DWORD flag, LPCSTR format, ...) __attribute__((format(printf, 4, 5)));
void TraceV(TraceSettings& log, LPCWSTR printerName, DWORD flag, LPCSTR format, va_list args)
    __attribute__((format(printf, 4, 0)));

/// The monitor's entry points: the port's trace record and printer name. A NULL port or a
/// port without trace record writes nothing.
void WriteTraceLine(langmon::PortContext* port, DWORD flag, LPCSTR format, ...) __attribute__((format(printf, 3, 4)));
void WriteTraceText(langmon::PortContext* port, DWORD flag, LPCSTR format, ...) __attribute__((format(printf, 3, 4)));
