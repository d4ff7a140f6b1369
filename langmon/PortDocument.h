#pragma once
// The monitor's own short documents on a port: status traffic between jobs.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"

namespace langmon {

/// The printer's own status reports switched off when polling ends.
void SendUstatusOff(PortContext& port);

}  // namespace langmon
