#pragma once
// The per-port job queue: each job from StartDocPort until the printer is done with it, and
// the ways jobs leave it (printed, deleted, dropped after a power-off). Every walk and change
// of the queue holds the port's lock; the entries' LAST_PAGE_EJECTED calls are made under it
// too, so no entry or binding is freed while it is used.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"

namespace langmon {

/// Adds a zeroed entry for the job at the queue's tail; NULL when the heap is full.
[[nodiscard]] JobQueueEntry* InJobQueue(PortContext& port, DWORD jobId);
/// Frees every entry without telling the spooler (the port is going away).
void FreeJobQueue(PortContext& port);
[[nodiscard]] DWORD JobQueueLength(PortContext& port);
/// Tells the spooler the last page of every queued job was ejected (once per entry) and frees
/// the entries: the jobs are no longer followed.
void DeleteQueuedJobs(PortContext& port);

/// JOB_CONTROL_LAST_PAGE_EJECTED `times` times for the job on `printer` (the port's printer
/// when NULL). When the job is the port's current one, PortContext::CurrentJobEjected records
/// that its eject went out.
void EjectJob(PortContext& port, LPCWSTR printer, DWORD jobId, DWORD times);
/// The printer a queued job belongs to: its binding's, else the port's. Caller holds the lock.
LPCWSTR EntryPrinter(const PortContext& port, const JobQueueEntry& entry);

/// Drops the head: LAST_PAGE_EJECTED for its job on its binding's printer (once per entry),
/// unlinked and freed. The publisher calls it when the printer finished the head's job.
void OutJobQueue(PortContext& port);
/// Drops the queued jobs, each with its LAST_PAGE_EJECTED; `PrintingJobInfo` cleared and
/// `PrinterQueue` 0 published first. During a job that wrote data, `SendingJobInfo` is cleared
/// and, with `deleteSending`, the job being sent is deleted in the spooler (`JobStatus` 0x4).
/// During a job that wrote nothing its entry stays and owes its eject to EndDocPort. 1 when
/// this call deleted the sending job (a job already being deleted is not deleted again), else 0.
int DeleteJob(PortContext& port, bool deleteSending);
/// Polling is suspended with jobs queued: every queued job is marked LAST_PAGE_EJECTED,
/// `PrinterQueue` 0 and a cleared `PrintingJobInfo` are published, and the entries are freed.
void ReleaseQueuedJobs(PortContext& port);
/// The queue written to the trace log (trace flag 0x20000).
void DumpJobQueue(PortContext& port);

/// The status pass's look at the spooler's job being sent: `JobStatus` bit 0x2 follows a
/// pause of the spooler job; a job being deleted is traced.
void WatchCurrentJob(PortContext& port);
/// The same look without the `JobStatus` update: true when the job could be read.
[[nodiscard]] bool WatchCurrentJobNoUpdate(PortContext& port);
/// The printer went off or aborted the job being sent: the queue is dropped and the sending
/// job deleted in the spooler (DeleteJob deleting the sending job).
void DropJobAfterPowerOff(PortContext& port);

/// The Status word of the spooler's job (GetJobW level 1); false when it cannot be read.
[[nodiscard]] bool GetJobStatusWord(LPCWSTR printer, DWORD jobId, DWORD* status);
/// The port's printer's spooler jobs that wait (none of the monitor's job-count bits set);
/// 0 when the list cannot be read in 3 tries.
[[nodiscard]] DWORD CountWaitingJobs(PortContext& port);
/// The same count on a printer handle of the caller's (0 for NULL).
[[nodiscard]] DWORD CountWaitingJobsOf(const PortContext& port, HANDLE printer);

}  // namespace langmon
