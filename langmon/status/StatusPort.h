#pragma once
// A port's status variables as the rest of the monitor reaches them: the table in the port
// context, the bindings of its printers to the status resource manager, the publisher run
// over the port, and the small writers that set or reset single variables.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/status/BoundPrinters.h"
#include "langmon/PortContext.h"
#include "langmon/status/StatusPublisher.h"

namespace langmon {

/// The row of the supported-model table: driver name and model mask.
inline constexpr WCHAR kSupportedDriverName[] = u"ZEV KV-TD520 (VX)";

/// Makes the port's table (from the monitor heap) with its starting values: no error, no job,
/// the default trays. False when the heap is exhausted.
[[nodiscard]] bool CreatePortVariables(PortContext& port);
/// Releases every binding (joining their notification threads) and frees the table. The
/// port's stop event is set and its other threads have stopped.
void DeletePortVariables(PortContext& port);

/// What the publisher reads and changes of this port.
PublishScope MakePublishScope(PortContext& port);
/// UpdateSRM_All over the port: the number of rows pushed, -1 without a table.
int PublishPort(PortContext& port);

/// Sends every row with the replay attribute and a value to a newly bound printer at once, by
/// its publish rule; the number of rows the manager took. Caller holds PortLock.
int ReplayVariables(PortContext& port, SrmBinding& binding);

// Writers: each marks what it changed; those that say so publish.
void ApplyDefaultStatus(PortContext& port, bool publish);
void ResetConfigVariables(PortContext& port, bool publish);
void ClearJobStatus(PortContext& port);
void SetPrinterStatusUnknown(PortContext& port, bool publish);
void SetPrinterStatusPrinting(PortContext& port, bool on);
/// `PrinterStatus` stored when it differs, and the `IconState` that goes with it; false when
/// the status could not be stored. Not published.
bool StoreStatusAndIcon(PortContext& port, const PrinterStatusValue& status);
void UpdatePrinterExtStatus(PortContext& port);
/// At port close: "port closed" state, defaults, the port no longer served; published.
void ResetPrinterStatus(PortContext& port);
/// `SendingJobInfo` for the port's current job (set) or cleared; published.
void UpdateSendingJobInfo(PortContext& port, bool set);
/// Reads `JobStatus` back from the current binding's manager and pushes it with `bits` set
/// or cleared when that changes it.
void SetJobStatusBits(PortContext& port, DWORD bits, bool set);

}  // namespace langmon
