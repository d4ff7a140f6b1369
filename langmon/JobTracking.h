#pragma once
// Following the queued jobs on the printer by their JCID over SNMP.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"

namespace langmon {

/// The status pass's part: the printer's job table checked for the jobs in the queue.
void TrackQueuedJobs(PortContext& port);

}  // namespace langmon
