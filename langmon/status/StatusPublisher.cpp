// UpdateSRM_All: each changed row goes to the bindings its publish type names.
#include "langmon/status/StatusPublisher.h"

#include <cstring>

namespace {

/// Holds the port's lock for one run; the lock is re-entrant for writers that publish.
class ScopeLock {
public:
    explicit ScopeLock(CRITICAL_SECTION* lock) : lock_(lock) {
        if (lock_ != nullptr) EnterCriticalSection(lock_);
    }
    ~ScopeLock() {
        if (lock_ != nullptr) LeaveCriticalSection(lock_);
    }
    ScopeLock(const ScopeLock&) = delete;
    ScopeLock& operator=(const ScopeLock&) = delete;

private:
    CRITICAL_SECTION* lock_;
};

DWORD Send(SrmBinding& binding, LPCSTR name, const void* value, DWORD cb) {
    return PushVariable(binding, name, value, cb);
}

bool Skipped(const SrmBinding& binding) { return (binding.flags & kBindingNoPush) != 0; }

langmon::JobQueueEntry* Head(const PublishScope& scope) {
    return scope.queueHead != nullptr ? *scope.queueHead : nullptr;
}

void DropHead(PublishScope& scope) {
    if (scope.dropHead != nullptr) scope.dropHead(scope.hookContext);
}

// Types 1 and 9: every binding (9: of the port's model); one that cannot be reached fails the row.
bool PushToAll(PublishScope& scope, const StatusVariable& row, DWORD cb, bool modelOnly) {
    bool ok = true;
    for (SrmBinding* binding = scope.firstBinding; binding != nullptr; binding = binding->next) {
        if (Skipped(*binding)) continue;
        if (modelOnly && !MasksMeet(binding->modelMask, scope.modelMask)) continue;
        if (!BindingConnected(*binding)) return false;
        if (Send(*binding, row.name, row.value, cb) != 0) ok = false;
    }
    return ok;
}

// Type 8: a printer of another model is shown "not ours" unless the state words say the
// device itself is in question.
bool PushStatus(PublishScope& scope, const StatusVariable& row, DWORD cb) {
    PrinterStatusValue status{};
    std::memcpy(&status, row.value, sizeof status);
    const PrinterStatusValue other{0, 0x200, 0};
    bool ok = true;
    for (SrmBinding* binding = scope.firstBinding; binding != nullptr; binding = binding->next) {
        if (Skipped(*binding)) continue;
        if (!BindingConnected(*binding)) return false;
        const bool real = (status.M & 0x1F00) != 0 || MasksMeet(binding->modelMask, scope.modelMask);
        if (Send(*binding, row.name, real ? row.value : reinterpret_cast<const BYTE*>(&other), cb) != 0) ok = false;
    }
    return ok;
}

// Type 5: once to the binding of each queued job.
bool PushQueue(PublishScope& scope, const StatusVariable& row, DWORD cb) {
    bool ok = true;
    for (langmon::JobQueueEntry* entry = Head(scope); entry != nullptr; entry = entry->Next) {
        SrmBinding* binding = entry->Binding;
        if (binding == nullptr) {
            ok = false;
            continue;
        }
        if ((binding->flags & kBindingQueueSent) != 0 || !BindingConnected(*binding)) continue;
        Send(*binding, row.name, row.value, cb);
        binding->flags |= kBindingQueueSent;
    }
    for (SrmBinding* binding = scope.firstBinding; binding != nullptr; binding = binding->next) {
        binding->flags &= ~kBindingQueueSent;
    }
    return ok;
}

// Type 6: only the printer of the job being sent.
bool PushJobStatus(PublishScope& scope, const StatusVariable& row, DWORD cb) {
    SrmBinding* binding = scope.currentBinding;
    if (binding == nullptr || Skipped(*binding)) return true;
    if (!BindingConnected(*binding)) return false;
    Send(*binding, row.name, row.value, cb);
    return true;
}

DWORD SendJobRecord(SrmBinding& binding, DWORD jobId) {
    PrintingJobInfoValue record{};
    record.JobID = jobId;
    return Send(binding, "PrintingJobInfo", &record, sizeof record);
}

// Jobs in front of an ended job ended before it: each gets its own end on its printer and
// leaves the queue.
SrmBinding* EndJobsInFront(PublishScope& scope, const langmon::JobQueueEntry* target, DWORD jobFlags) {
    SrmBinding* lastBinding = nullptr;
    bool first = true;
    for (langmon::JobQueueEntry* entry = Head(scope); entry != nullptr && entry != target; entry = Head(scope)) {
        SrmBinding* binding = entry->Binding;
        if (binding != nullptr && BindingConnected(*binding)) {
            const bool onlyClear = Skipped(*binding) ||
                                   (first && ((jobFlags & kJobRecordClears) != 0 ||
                                              (entry->Flags2 & kEntryRecordSent) != 0));
            if (onlyClear || SendJobRecord(*binding, entry->JobId) == 0) SendJobRecord(*binding, 0);
            lastBinding = binding;
        }
        first = false;
        const langmon::JobQueueEntry* before = entry;
        DropHead(scope);
        if (Head(scope) == before) break;  // a drop that did nothing must not loop for ever
    }
    return lastBinding;
}

// Type 2: the record goes to the printer that owns its job.
bool PushJobRecord(PublishScope& scope, StatusVariable& row, DWORD cb) {
    DWORD jobId = 0;
    std::memcpy(&jobId, row.value + offsetof(SendingJobInfoValue, JobID), sizeof jobId);
    langmon::JobQueueEntry* entry = Head(scope);
    while (entry != nullptr && entry->JobId != jobId) entry = entry->Next;
    if (entry == nullptr) return false;

    const DWORD jobFlags = row.jobFlags;
    const bool ends = (jobFlags & kJobRecordEnded) != 0;
    const bool clears = (jobFlags & kJobRecordClears) != 0;
    if (ends && entry != Head(scope)) {
        SrmBinding* last = EndJobsInFront(scope, entry, jobFlags);
        if (clears && last != nullptr) SendJobRecord(*last, jobId);
    }

    BYTE record[sizeof(PrintingJobInfoValue)];
    std::memcpy(record, row.value, cb);
    if (clears) {
        const DWORD zero = 0;
        std::memcpy(record + offsetof(SendingJobInfoValue, JobID), &zero, sizeof zero);
        if (ends && cb >= sizeof(PrintingJobInfoValue)) {
            std::memcpy(record + offsetof(PrintingJobInfoValue, Page), &zero, sizeof zero);
        }
    }
    SrmBinding* binding = entry->Binding;
    if (binding != nullptr && !Skipped(*binding) && BindingConnected(*binding)) {
        // The window shows the job's last page before the record that takes it away.
        if (ends && clears) Sleep(scope.endedJobRecordMs);
        Send(*binding, row.name, record, cb);
    }
    if (ends) entry->Flags2 |= kEntryRecordSent;

    if (!clears) return true;
    row.jobFlags &= ~kJobRecordClears;
    if (!ends) return true;
    row.jobFlags &= ~kJobRecordEnded;
    if (entry == Head(scope)) {
        DropHead(scope);
        while (scope.usbPort && Head(scope) != nullptr && Head(scope)->JobId == jobId) {
            const langmon::JobQueueEntry* before = Head(scope);
            DropHead(scope);
            if (Head(scope) == before) break;
        }
    }
    row.jobFlags = 0;
    if (Head(scope) == nullptr && scope.printingOff != nullptr) scope.printingOff(scope.hookContext);
    return true;
}

void TracePushed(PublishScope& scope, const StatusVariable& row) {
    if (scope.trace == nullptr || !TraceWanted(*scope.trace, kTracePublisher) || row.value == nullptr) return;
    TraceSettings& trace = *scope.trace;
    if (std::strcmp(row.name, "PrinterStatus") == 0) {
        PrinterStatusValue status{};
        std::memcpy(&status, row.value, sizeof status);
        TraceF(trace, scope.printerName, kTracePublisher,
               "UpdateSRM_All: Variable:[%s]\r\n        Value:[0x%08x]-[0x%08x]-[0x%08x]\r\n", row.name, status.H,
               status.M, status.L);
    } else if (std::strcmp(row.name, "SendingJobInfo") == 0) {
        SendingJobInfoValue job{};
        std::memcpy(&job, row.value, sizeof job);
        TraceF(trace, scope.printerName, kTracePublisher,
               "UpdateSRM_All: Variable:[%s]\r\n      JobName:[%.255s]\r\n     UserName:[%.31s]\r\n        JobID:[%d]\r\n",
               row.name, job.JobName, job.UserName, static_cast<int>(job.JobID));
    } else if (std::strcmp(row.name, "PrintingJobInfo") == 0) {
        PrintingJobInfoValue job{};
        std::memcpy(&job, row.value, sizeof job);
        TraceF(trace, scope.printerName, kTracePublisher,
               "UpdateSRM_All: Variable:[%s]\r\n        JobID:[%d]\r\n         Page:[%d]\r\n", row.name,
               static_cast<int>(job.JobID), static_cast<int>(job.Page));
    } else if (std::strcmp(row.name, "PrinterQueue") == 0) {
        DWORD count = 0;
        std::memcpy(&count, row.value, sizeof count);
        TraceF(trace, scope.printerName, kTracePublisher, "UpdateSRM_All: Variable:[%s]\r\n     dwJobNum:[%d]\r\n",
               row.name, static_cast<int>(count));
    }
}

}  // namespace

int UpdateSRM_All(PublishScope& scope) {
    if (scope.table == nullptr || !scope.table->ready()) return -1;
    ScopeLock lock(scope.lock);
    int pushed = 0;
    for (StatusVariable& row : *scope.table) {
        if (row.changed == 0 || row.value == nullptr) continue;
        const DWORD cb = scope.table->PushSize(row);
        if (cb == 0) continue;
        bool ok = false;
        switch (row.publishType) {
        case kPublishPlain: ok = PushToAll(scope, row, cb, false); break;
        case kPublishModelOnly: ok = PushToAll(scope, row, cb, true); break;
        case kPublishStatus: ok = PushStatus(scope, row, cb); break;
        case kPublishQueue: ok = PushQueue(scope, row, cb); break;
        case kPublishJobStatus: ok = PushJobStatus(scope, row, cb); break;
        case kPublishJobRecord: ok = cb <= sizeof(PrintingJobInfoValue) && PushJobRecord(scope, row, cb); break;
        default: break;  // never published
        }
        if (!ok) continue;
        TracePushed(scope, row);
        row.changed = 0;
        ++pushed;
        if ((row.attributes & kAttrKeepValue) == 0) scope.table->FreeValue(row);
        if (scope.publishAgain != nullptr && *scope.publishAgain) {
            *scope.publishAgain = FALSE;
            pushed += UpdateSRM_All(scope);
        }
    }
    return pushed;
}
