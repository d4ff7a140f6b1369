#pragma once
// The port contexts and the list of open ports: making, finding and freeing a port, and
// stopping its threads.
#include "langmon/MonitorProcess.h"
#include "langmon/PortContext.h"

namespace langmon {

/// The port context, zeroed, with its name, lock, mutex and events; linked at the tail of the
/// port list (the caller holds the process lock). NULL when anything cannot be made.
[[nodiscard]] PortContext* CreatePortContext(LPCWSTR portName, LPCWSTR printerName, const MonitorHandle& monitor);
/// Unlinks and frees; false (and nothing freed) for a context not in the list. The caller
/// holds the process lock and has stopped the port's threads.
bool DeletePortContext(PortContext* port);
/// Live context of that name (case-insensitive), or NULL. Caller holds the process lock.
[[nodiscard]] PortContext* FindPort(LPCWSTR portName);
[[nodiscard]] bool IsListed(const PortContext* port);

/// Ends the port's threads and joins them: the polling thread, the job watch and the
/// notification thread of each bound printer. No lock the threads may need is held.
void StopPortThreads(PortContext& port);
/// Whether any thread of the port is still held.
[[nodiscard]] bool PortHasThreads(PortContext& port);

}  // namespace langmon
