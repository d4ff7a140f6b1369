#pragma once
// The printers bound to a port's status variables, kept in step with the spooler's printers
// and the status resource manager.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"

namespace langmon {

/// Binds every local printer of this port that uses this monitor, removes bindings of the
/// printers that left it.
void SyncBoundPrinters(PortContext& port);
/// Connects again the bindings that have no manager handle.
void RebindStatusManager(PortContext& port);
/// `PrinterExtStatus` bit 0x10 on or off after a printer scan; published.
void SetPollingFlag(PortContext& port, bool on);

}  // namespace langmon
