#pragma once
// Following the queued jobs on the printer by their JCID over SNMP: the printer's job index
// (PRID) of each job, its state, reasons and page count, and the cancel on the printer.
// Every function here sends blocking SNMP requests; callers hold the port mutex (the status
// pass, the job flow's cancel) and never the port's lock, which is taken only around the
// queue and the variables, never across a request.
#include <cstddef>

#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"

namespace langmon {

struct StateHooks;  // langmon/printer/PrinterState.h

/// Rows of the printer's job table read by one walk at most (the table's own size is the
/// printer's; a table that never ends is cut here).
inline constexpr size_t kJobTableWalkSteps = 256;
/// Rows of the JCID map read for one JCID at most.
inline constexpr size_t kJcidMapWalkSteps = 16;
/// Longest PRID kept: every per-job object name made with it stays within 255 characters.
inline constexpr size_t kMaxPridChars = 223;
/// Passes with a failed JCID lookup before the status pass walks the whole job table instead.
inline constexpr DWORD kJcidFailuresBeforeTableWalk = 2;

/// The status pass's part: the walk of the printer's job table (CheckJCID_SNMP_FD) once more
/// than kJcidFailuresBeforeTableWalk passes had a failed JCID lookup since the last match or
/// walk (the JCID poll counter), else CheckJCID_SNMP.
void TrackQueuedJobs(PortContext& port);

/// Follows the queued jobs from the head by their PRID. A pass with a JCID lookup that found
/// the PRID clears the JCID poll counter, then one with a lookup that failed raises it.
void CheckJCID_SNMP(PortContext& port);
/// The same decisions driven by a walk of the printer's job table.
void CheckJCID_SNMP_FD(PortContext& port);
/// True when the printer has a job in state 3, 7 or 13.
[[nodiscard]] bool DEP_CheckPrintingStatus_SNMP(PortContext& port);
/// Sets the cancel object of the queue's tail job to 1414. False without a tail entry, JCID
/// index or PRID, or when the printer refuses the set.
[[nodiscard]] bool DEP_CancelJob_SNMP(PortContext& port);
/// Finds the PRID of the entry in the printer's JCID map; true when found. The entry must
/// stay alive for the call (the caller holds the port mutex).
[[nodiscard]] bool GetAndCheckJCID(PortContext& port, JobQueueEntry& entry);
/// True when `oid` begins with the JCID map's column and then `indexText`, whole arcs.
[[nodiscard]] bool IsValidJCID(const char* indexText, const char* oid);
/// The first queued entry whose JCID or end-of-job JCID equals `uid`; NULL for texts shorter
/// than 10 characters. Caller holds the port's lock.
[[nodiscard]] JobQueueEntry* FindQueuedJobByUid(PortContext& port, const char* uid);

/// Hooks for the printer state mapping: the printer's own word on whether it prints a job
/// (DEP_CheckPrintingStatus_SNMP). Static; never NULL.
[[nodiscard]] const StateHooks* TrackingStateHooks();

}  // namespace langmon
