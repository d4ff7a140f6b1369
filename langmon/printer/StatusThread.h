#pragma once
// The status polling thread of a port: one per port, reading the printer between jobs and
// while jobs wait, publishing what changed, until nobody asks for polling any more or the
// port closes. Also the refresh that the status resource manager asks for.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"

namespace langmon {

/// Answers of the monitor's value-name commands (the manager's codes).
inline constexpr LONG kRefreshDone = 0;
inline constexpr LONG kRefreshNotDone = -19;
inline constexpr LONG kRefreshBusy = -38;

/// Starts the polling thread when the port kind has one and it is not running: polling on,
/// the thread created with its priority. False for kinds without a
/// status thread or when the thread cannot be made. Any thread may call; the port's lock
/// serialises starts.
bool StartStatusThread(PortContext& port);

/// Polling wanted by a watcher (a status window or an opened watched port): the polling-on
/// flag, then the thread. -19 when the flag was set already, 0 otherwise.
LONG RequestPolling(PortContext& port);
/// The watcher is gone: 0 and the flag cleared when it was set, -19 otherwise.
[[nodiscard]] LONG StopPollingRequest(PortContext& port);

/// A job started on a TCP/IP port: polling is kept up until the job and its queue are done.
void KeepPollingForJob(PortContext& port);

/// Polling off, the thread woken and joined, its handle closed. Called by ClosePort before the
/// context is freed; the caller holds neither the port mutex nor the port's lock.
void StopStatusThread(PortContext& port);

/// Whether the thread should end now (the suspend request and the keep-polling requests
/// are settled here).
[[nodiscard]] bool ShouldStopPolling(PortContext& port);

/// One status pass over the printer; the caller holds the port mutex.
void ReadStatus2(PortContext& port);

/// The wait after a pass that took `spentMs`.
[[nodiscard]] DWORD StatusIntervalMs(PortContext& port, DWORD spentMs);

/// The manager's "RefreshStatus" request for that bound printer: 0 refreshed, -19 nothing
/// done, -38 the port stayed busy.
[[nodiscard]] LONG RefreshStatus(PortContext& port, LPCWSTR printerName);

}  // namespace langmon
