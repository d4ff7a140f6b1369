#pragma once
// The per-port job queue: each job from StartDocPort until the printer is done with it, and
// the ways jobs leave it (printed, deleted, dropped after a power-off).
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"

namespace langmon {

/// Adds a zeroed entry for the job at the queue's tail; NULL when the heap is full.
JobQueueEntry* InJobQueue(PortContext& port, DWORD jobId);
/// Frees every entry without telling the spooler (the port is going away).
void FreeJobQueue(PortContext& port);
DWORD JobQueueLength(PortContext& port);
/// Tells the spooler the last page of every queued job was ejected (once per entry) and frees
/// the entries: the jobs are no longer followed.
void DeleteQueuedJobs(PortContext& port);

/// Drops the head: LAST_PAGE_EJECTED for its job on its binding's printer (once per entry),
/// unlinked and freed.
void OutJobQueue(PortContext& port);
/// Drops the queued jobs (and with `deleteSending` deletes the job being sent in the
/// spooler): 1 when the sending job was deleted, else 0.
int DeleteJob(PortContext& port, bool deleteSending);
/// Every queued job marked LAST_PAGE_EJECTED, `PrinterQueue` 0, `PrintingJobInfo` cleared.
void ReleaseQueuedJobs(PortContext& port);
/// The queue written to the trace log (trace flag 0x20000), under the port's lock.
void DumpJobQueue(PortContext& port);

/// The status pass's look at the spooler's job being sent (paused, deleted).
void WatchCurrentJob(PortContext& port);
/// The same look without the `JobStatus` update: true when the job could be read.
bool WatchCurrentJobNoUpdate(PortContext& port);
/// The job being sent is dropped after the printer went off or aborted it.
void DropJobAfterPowerOff(PortContext& port);

}  // namespace langmon
