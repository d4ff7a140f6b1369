#pragma once
// Following the queued jobs on the printer by their JCID over SNMP: the printer's job index
// (PRID) of each job, its state, reasons and page count, and the cancel on the printer.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"

namespace langmon {

/// The status pass's part: CheckJCID_SNMP, or the table walk of CheckJCID_SNMP_FD every few
/// passes (the JCID poll counter).
void TrackQueuedJobs(PortContext& port);

/// Follows the queued jobs from the head by their PRID.
void CheckJCID_SNMP(PortContext& port);
/// The same decisions driven by a walk of the printer's job table.
void CheckJCID_SNMP_FD(PortContext& port);
/// True when the printer has a job in state 3, 7 or 13.
bool DEP_CheckPrintingStatus_SNMP(PortContext& port);
/// Sets the cancel object of the queue's tail job to 1414. False without a tail entry, JCID
/// index or PRID, or when the printer refuses the set.
bool DEP_CancelJob_SNMP(PortContext& port);
/// Finds the PRID of the entry in the printer's JCID map; true when found.
bool GetAndCheckJCID(PortContext& port, JobQueueEntry& entry);
/// True when `oid` begins with the JCID map's column and then `indexText`.
bool IsValidJCID(const char* indexText, const char* oid);
/// The first queued entry whose JCID or end-of-job JCID equals `uid`; NULL for texts shorter
/// than 10 characters. Caller holds the port's lock.
JobQueueEntry* FindQueuedJobByUid(PortContext& port, const char* uid);

}  // namespace langmon
