#pragma once
// The debug log (C:\KV-TD520_LOG\KV-TD520.LG0, rolled over to .LG1) and the memory pool.
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"

inline constexpr int kDebugLogTextMax = 509;  // bytes of caller text in one line

/// Adds "YY-MM-DD hh:mm:ss:<text>" (no line end added) to the log; 1 when written, 0 when
/// the file could not be used. The caller's last error is kept. limitMiB is clamped to
/// 1..100; a text longer than kDebugLogTextMax bytes is cut.
int WriteDebugLog(LPCSTR text, DWORD limitMiB);
/// printf-style front end for callers that checked the log switches first.
int WriteDebugLogF(DWORD limitMiB, LPCSTR format, ...) __attribute__((format(printf, 2, 3)));
/// True when the block's log is on and category bit(s) are set.
inline bool DebugLogWanted(const DriverDevMode& block, DWORD category) {
    return (block.LogControl & kLogOn) != 0 && (block.LogControl & category) != 0;
}
