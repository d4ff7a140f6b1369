// The per-port job queue: jobs from StartDocPort until the printer is done with them.
#include "langmon/JobQueue.h"

#include "langmon/Monitor.h"
#include "langmon/PortCalls.h"
#include "platform/Spooler.h"

namespace langmon {

JobQueueEntry* InJobQueue(PortContext& port, DWORD jobId) {
    auto* entry = static_cast<JobQueueEntry*>(HeapAllocZero(sizeof(JobQueueEntry)));
    if (entry == nullptr) return nullptr;
    entry->JobId = jobId;
    PortLockHold lock(port);
    if (port.QueueTail == nullptr) {
        port.QueueHead = port.QueueTail = entry;
    } else {
        port.QueueTail->Next = entry;
        port.QueueTail = entry;
    }
    return entry;
}

void FreeJobQueue(PortContext& port) {
    PortLockHold lock(port);
    JobQueueEntry* entry = port.QueueHead;
    port.QueueHead = port.QueueTail = nullptr;
    while (entry != nullptr) {
        JobQueueEntry* next = entry->Next;
        HeapFreeBlock(entry);
        entry = next;
    }
}

DWORD JobQueueLength(PortContext& port) {
    PortLockHold lock(port);
    DWORD count = 0;
    for (const JobQueueEntry* e = port.QueueHead; e != nullptr; e = e->Next) ++count;
    return count;
}

void DeleteQueuedJobs(PortContext& port) {
    JobQueueEntry* entry;
    {
        PortLockHold lock(port);
        entry = port.QueueHead;
        port.QueueHead = port.QueueTail = nullptr;
    }
    // The spooler is told outside the lock: it may call back into the port.
    while (entry != nullptr) {
        if ((entry->Flags2 & job_flag::LastPageEjectedSent) == 0) {
            SetJobCommand(port, entry->JobId, JOB_CONTROL_LAST_PAGE_EJECTED);
        }
        JobQueueEntry* next = entry->Next;
        HeapFreeBlock(entry);
        entry = next;
    }
}

void OutJobQueue(PortContext&) {}
int DeleteJob(PortContext&, bool) { return 0; }
void ReleaseQueuedJobs(PortContext&) {}
void DumpJobQueue(PortContext&) {}
void WatchCurrentJob(PortContext&) {}
bool WatchCurrentJobNoUpdate(PortContext&) { return true; }
void DropJobAfterPowerOff(PortContext&) {}

}  // namespace langmon
