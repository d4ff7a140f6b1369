// The per-port job queue: jobs from StartDocPort until the printer is done with them, the
// ways they leave it, and the spooler reads the job flow makes about them.
#include "langmon/job/JobQueue.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "langmon/MonitorProcess.h"
#include "langmon/PortHolds.h"
#include "langmon/job/PortCalls.h"
#include "langmon/printer/PrinterState.h"
#include "langmon/status/StatusManagerLink.h"
#include "langmon/status/StatusPort.h"
#include "langmon/log/TraceLog.h"
#include "platform/Spooler.h"

namespace langmon {
namespace {

constexpr DWORD kJobStatusPaused = 0x2;      // `JobStatus`: the spooler job is paused
constexpr DWORD kJobStatusDeleted = 0x4;     // `JobStatus`: the job being sent was deleted
constexpr DWORD kSpoolerReadTries = 3;
// Job lists and records larger than this are not read: a spooler answer cannot be that big.
constexpr DWORD kMaxSpoolerBytes = 1u << 20;
// The status window shows the cleared job record before the queue count that follows it.
constexpr DWORD kQueueCountPauseDivisor = 5;  // a fifth of the retry pause (200 ms by default)
constexpr DWORD kDefaultJobCountMask = 0x1195;

// The job's Status word from its spooler record.
bool ReadJobStatus(HANDLE printer, DWORD jobId, DWORD* status) {
    const HeapBuffer record = ReadJobRecord(printer, jobId, 1, 0);
    if (record.get() == nullptr) return false;
    *status = reinterpret_cast<const JOB_INFO_1W*>(record.get())->Status;
    return true;
}

// The printer of the job being sent (its binding's, else the port's), copied under the lock:
// the binding may be removed meanwhile.
class CurrentPrinter {
public:
    explicit CurrentPrinter(PortContext& port) {
        PortLockHold lock(port);
        LPCWSTR name = port.CurrentBinding != nullptr ? port.CurrentBinding->printerName : port.PrinterName;
        if (name != nullptr && lstrlenW(name) < MAX_PATH) lstrcpyW(name_, name);
    }
    LPCWSTR get() const { return name_[0] != 0 ? name_ : nullptr; }

private:
    WCHAR name_[MAX_PATH] = {};
};

// Unlinks every entry (all but the tail when `keepTail`); the caller holds the lock.
JobQueueEntry* DetachEntries(PortContext& port, bool keepTail) {
    JobQueueEntry* first = port.QueueHead;
    if (first == nullptr) return nullptr;
    if (!keepTail) {
        port.QueueHead = port.QueueTail = nullptr;
        return first;
    }
    if (first == port.QueueTail) return nullptr;
    JobQueueEntry* last = first;
    while (last->Next != port.QueueTail) last = last->Next;
    last->Next = nullptr;
    port.QueueHead = port.QueueTail;
    return first;
}

// Each detached entry gets its LAST_PAGE_EJECTED unless it had it, and is freed. `why` names
// the caller in the trace line ("FREE", "OUTQ", "DEL").
void EjectAndFree(PortContext& port, JobQueueEntry* entry, LPCSTR why) {
    while (entry != nullptr) {
        if ((entry->Flags2 & job_flag::LastPageEjectedSent) == 0) {
            EjectJob(port, EntryPrinter(port, *entry), entry->JobId, 1);
            WriteTraceLine(&port, kTraceJobs, "KJLMON:SetJob[LAST_PAGE_EJECTED @%s(%lu)]", why,
                           static_cast<unsigned long>(entry->JobId));
        }
        JobQueueEntry* next = entry->Next;
        HeapFreeBlock(entry);
        entry = next;
    }
}

// `PrintingJobInfo` of the head's job with the clearing flag: the printer shows no job.
void ClearPrintingJob(PortContext& port, DWORD headJobId) {
    PrintingJobInfoValue value{};
    value.JobID = headJobId;
    PortLockHold lock(port);
    StatusVariable& row = port.Variables->row(kRowPrintingJobInfo);
    if (port.Variables->Store(row, &value, sizeof value)) row.jobFlags = kJobRecordClears;
}

void StoreQueueCount(PortContext& port, DWORD count) {
    PortLockHold lock(port);
    port.Variables->StoreDword(kRowPrinterQueue, count);
}

bool FirstJobId(PortContext& port, DWORD* jobId) {
    PortLockHold lock(port);
    if (port.QueueHead == nullptr) return false;
    *jobId = port.QueueHead->JobId;
    return true;
}

// Trace text gathered up to the trace writer's limit per write.
class TraceBlock {
public:
    explicit TraceBlock(PortContext& port) : port_(port) {}
    ~TraceBlock() { Flush(); }
    TraceBlock(const TraceBlock&) = delete;
    TraceBlock& operator=(const TraceBlock&) = delete;

    void Add(LPCSTR format, ...) __attribute__((format(printf, 2, 3))) {
        char line[kTraceTextMax + 1];
        va_list args;
        va_start(args, format);
        const int n = std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        if (n <= 0) return;
        const size_t cb = std::strlen(line);
        if (used_ + cb > kTraceTextMax) Flush();
        std::memcpy(text_ + used_, line, cb);
        used_ += cb;
        text_[used_] = 0;
    }

private:
    void Flush() {
        if (used_ != 0) WriteTraceText(&port_, kTraceJobs, "%s", text_);
        used_ = 0;
        text_[0] = 0;
    }

    PortContext& port_;
    char text_[kTraceTextMax + 1] = {};
    size_t used_ = 0;
};

}  // namespace

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
    PortLockHold lock(port);
    EjectAndFree(port, DetachEntries(port, false), "FREE");
}

void EjectJob(PortContext& port, LPCWSTR printer, DWORD jobId, DWORD times) {
    const PortPrinterName portPrinter(port);
    const PrinterHandle handle = OpenPrinterForUse(printer != nullptr ? printer : portPrinter.get());
    if (!handle.Valid()) return;
    for (DWORD i = 0; i < times; ++i) SetJobW(handle.Get(), jobId, 0, nullptr, JOB_CONTROL_LAST_PAGE_EJECTED);
    PortLockHold lock(port);  // a publisher run may eject without the port mutex
    if (jobId == port.JobId) port.CurrentJobEjected = 1;
}

LPCWSTR EntryPrinter(const PortContext& port, const JobQueueEntry& entry) {
    return entry.Binding != nullptr ? entry.Binding->printerName : port.PrinterName;
}

void OutJobQueue(PortContext& port) {
    PortLockHold lock(port);
    JobQueueEntry* head = port.QueueHead;
    if (head == nullptr) return;
    port.QueueHead = head->Next;
    if (port.QueueTail == head) port.QueueTail = nullptr;
    head->Next = nullptr;
    EjectAndFree(port, head, "OUTQ");
}

int DeleteJob(PortContext& port, bool deleteSending) {
    if (port.Variables == nullptr) return 0;
    WriteTraceLine(&port, kTraceJobs, "KJLMON:DeleteJob -START- (%d)", deleteSending ? 1 : 0);
    const bool inJob = (port.State & port_state::InJob) != 0;
    int result = 0;
    bool sendingCleared = false;
    if (inJob && (port.SysFlag & sys_flag::DataWritten) != 0) {
        // The job's data reached a printer that lost it: the spooler drops the job (once: every
        // status pass that still finds the printer off asks again), and what the spooler still
        // writes of it is taken without being sent.
        if (deleteSending && (port.State & port_state::JobDeleting) == 0) {
            port.State |= port_state::JobDeleting | port_state::KeepSendingJobInfo;
            SetJobCommand(port, port.JobId, JOB_CONTROL_DELETE);
            WriteTraceLine(&port, kTraceJobs, "KJLMON:SetJob[DELETE(%lu)]", static_cast<unsigned long>(port.JobId));
            SetJobStatusBits(port, kJobStatusDeleted, true);
            result = 1;
        }
        UpdateSendingJobInfo(port, false);
        sendingCleared = true;
    }

    // The printer's record and the queue count go out while the entries still name their
    // printers: the publisher sends both to the printers of queued jobs.
    DWORD headJobId = 0;
    if (FirstJobId(port, &headJobId)) {
        ClearPrintingJob(port, headJobId);
        PublishPort(port);
        PublishPortStatus(port);
    }
    StoreQueueCount(port, 0);
    Sleep(port.Waits.RetryPauseMs / kQueueCountPauseDivisor);
    PublishPort(port);

    bool empty = false;
    {
        PortLockHold lock(port);
        // A job still being written that sent nothing stays: its EndDocPort owes its eject.
        const bool keepTail = inJob && !sendingCleared && port.QueueTail != nullptr &&
                              port.QueueTail->JobId == port.JobId;
        EjectAndFree(port, DetachEntries(port, keepTail), "DEL");
        if (keepTail) ++port.PendingEndCount;
        empty = port.QueueHead == nullptr;
    }
    if (empty) SetPrinterStatusPrinting(port, false);
    return result;
}

void ReleaseQueuedJobs(PortContext& port) {
    if (port.Variables == nullptr) return;
    DWORD headJobId = 0;
    {
        PortLockHold lock(port);
        if (port.QueueHead == nullptr) return;
        headJobId = port.QueueHead->JobId;
        for (JobQueueEntry* e = port.QueueHead; e != nullptr; e = e->Next) {
            if ((e->Flags2 & job_flag::LastPageEjectedSent) != 0) continue;
            EjectJob(port, EntryPrinter(port, *e), e->JobId, 1);
            e->Flags2 |= job_flag::LastPageEjectedSent;
            WriteTraceLine(&port, kTraceJobs, "REFRESH:SetJob[LAST_PAGE_EJECTED(%lu)]", static_cast<unsigned long>(e->JobId));
        }
    }
    StoreQueueCount(port, 0);
    ClearPrintingJob(port, headJobId);
    PublishPort(port);
    // Polling stops: nothing follows these jobs any more, and the spooler has them done.
    FreeJobQueue(port);
    SetPrinterStatusPrinting(port, false);
}

void DumpJobQueue(PortContext& port) {
    if (port.Trace == nullptr || !TraceWanted(*port.Trace, kTraceJobs)) return;
    PortLockHold lock(port);
    if (port.QueueHead == nullptr) {
        WriteTraceText(&port, kTraceJobs, "\t\t\t送信ジョブリスト(JOBQUEUE)にジョブなし\r\n");
        return;
    }
    // Lines are gathered and written a block at a time, so that other threads' lines do not
    // land inside the list.
    TraceBlock block(port);
    block.Add("\t\t\t送信ジョブリスト(JOBQUEUE)\r\n");
    int count = 0;
    for (const JobQueueEntry* e = port.QueueHead; e != nullptr; e = e->Next) {
        block.Add("\t\t\tJobId = %d, UID = \"%.80s\", EOJUID=\"%.81s\", Addr=0x%08x\r\n", static_cast<int>(e->JobId),
                  e->Jcid, e->JcidAtEnd, static_cast<unsigned>(reinterpret_cast<uintptr_t>(e)));
        ++count;
    }
    block.Add("\t\t\tJob数 = %d\r\n", count);
}

void WatchCurrentJob(PortContext& port) {
    DWORD status = 0;
    const bool read = GetJobStatusWord(CurrentPrinter(port).get(), port.JobId, &status);
    const bool paused = read && (status & JOB_STATUS_PAUSED) != 0 && (port.State & port_state::InJob) != 0;
    SetJobStatusBits(port, kJobStatusPaused, paused);
    if (read && (status & JOB_STATUS_DELETING) != 0) {
        WriteTraceLine(&port, kTraceJobs, "KJLMON:Job canceled by Spooler @Watch Job");
    }
}

bool WatchCurrentJobNoUpdate(PortContext& port) {
    DWORD status = 0;
    if (!GetJobStatusWord(CurrentPrinter(port).get(), port.JobId, &status)) return false;
    if ((status & JOB_STATUS_DELETING) != 0) WriteTraceLine(&port, kTraceJobs, "KJLMON:Job canceled by Spooler @Watch Job NW");
    return true;
}

void DropJobAfterPowerOff(PortContext& port) { DeleteJob(port, true); }

bool GetJobStatusWord(LPCWSTR printer, DWORD jobId, DWORD* status) {
    const PrinterHandle handle = OpenPrinterForUse(printer);
    return handle.Valid() && ReadJobStatus(handle.Get(), jobId, status);
}

DWORD CountWaitingJobsOf(const PortContext& port, HANDLE printer) {
    if (printer == nullptr) return 0;
    const DWORD mask =
        port.Monitor != nullptr && port.Monitor->JobCountMask != 0 ? port.Monitor->JobCountMask : kDefaultJobCountMask;
    for (DWORD attempt = 0; attempt < kSpoolerReadTries; ++attempt) {
        DWORD needed = 0;
        DWORD returned = 0;
        if (EnumJobsW(printer, 0, 0xFFFFFFFFu, 1, nullptr, 0, &needed, &returned)) return 0;  // no jobs at all
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed > kMaxSpoolerBytes) continue;
        HeapBuffer buffer(needed);
        if (buffer.get() == nullptr || !EnumJobsW(printer, 0, 0xFFFFFFFFu, 1, buffer.get(), needed, &needed, &returned)) {
            continue;
        }
        if (returned > needed / sizeof(JOB_INFO_1W)) returned = needed / sizeof(JOB_INFO_1W);
        const auto* jobs = reinterpret_cast<const JOB_INFO_1W*>(buffer.get());
        DWORD waiting = 0;
        for (DWORD i = 0; i < returned; ++i) waiting += (jobs[i].Status & mask) == 0 ? 1 : 0;
        return waiting;
    }
    return 0;
}

DWORD CountWaitingJobs(PortContext& port) {
    const PrinterHandle handle = OpenPrinterForUse(CurrentPrinter(port).get());
    return CountWaitingJobsOf(port, handle.Get());
}

}  // namespace langmon
