// The end of a job on the port: EndDocPort, which either tells the spooler itself that the
// job's last page was ejected or leaves the job queued for the job tracking, and the cancel
// of a job on the printer.
#include <cstring>

#include "langmon/printer/DeviceCheck.h"
#include "langmon/job/JobEntries.h"
#include "langmon/job/JobHeader.h"
#include "langmon/job/JobQueue.h"
#include "langmon/printer/JobTracking.h"
#include "langmon/MonitorProcess.h"
#include "langmon/PortHolds.h"
#include "langmon/job/PortCalls.h"
#include "langmon/job/PortDocument.h"
#include "langmon/PortSettings.h"
#include "langmon/log/PrintHistory.h"
#include "langmon/job/ServiceGate.h"
#include "langmon/status/StatusPort.h"
#include "langmon/log/TraceLog.h"
#include "langmon/job/WritePaths.h"
#include "platform/Kernel.h"
#include "platform/Spooler.h"

namespace langmon {
namespace {

constexpr DWORD kJobStatusCancel = 0x4;
constexpr DWORD kJobStatusEndBits = 0x107;  // cleared together at the end of a job
constexpr int kCancelTries = 3;
constexpr DWORD kStatusOffOrAborted = port_state::PoweredOff | port_state::PrinterAbort;

bool Has(const PortContext& port, DWORD bits) { return (port.State & bits) != 0; }

// The job of JobId is the queue's tail: the job is followed on the printer.
bool JobQueued(PortContext& port) {
    PortLockHold lock(port);
    return port.QueueTail != nullptr && port.QueueTail->JobId == port.JobId;
}

// The tail entry, when it is the job being ended; the caller holds the port's lock.
JobQueueEntry* ThisJobsEntry(PortContext& port) {
    JobQueueEntry* tail = port.QueueTail;
    return tail != nullptr && tail->JobId == port.JobId ? tail : nullptr;
}

void MarkThisJob(PortContext& port, DWORD flags, DWORD flags2) {
    PortLockHold lock(port);
    if (JobQueueEntry* entry = ThisJobsEntry(port)) {
        entry->Flags |= flags;
        entry->Flags2 |= flags2;
    }
}

bool SpoolerJobDeleting(PortContext& port) {
    DWORD status = 0;
    return GetJobStatusWord(PortPrinterName(port).get(), port.JobId, &status) && (status & JOB_STATUS_DELETING) != 0;
}

// Without a status thread nobody else sends what the port did not take yet: it goes now,
// and is dropped when the port has not taken it after PendingOutputMs.
void SendPendingOutput(PortContext& port) {
    // Bounded by the time passed and by the pauses taken, whichever ends first, so the bound
    // holds even when each try takes long or the clock stands still.
    const DWORD start = GetTickCount();
    DWORD waited = 0;
    while (port.cbPending != 0 && port.Pending != nullptr) {
        DWORD written = 0;
        WritePortData(port, nullptr, 0, &written, false, false);
        if (port.cbPending == 0) break;
        if (waited >= port.Waits.PendingOutputMs || GetTickCount() - start >= port.Waits.PendingOutputMs) {
            WriteTraceLine(&port, kTraceWritePort, "KJLMON:PJLMonEndDocPort -PENDING DATA DROPPED- (%lu)",
                           static_cast<unsigned long>(port.cbPending));
            DropHeldBack(port);
            break;
        }
        Sleep(port.Waits.RetryPauseMs);
        waited += port.Waits.RetryPauseMs;
    }
}

// A job that sent nothing (or was resent and dropped) will never show on the printer: the
// jobs in front of it are given up with their eject, and its own eject is owed to the end of
// EndDocPort. Each job is ejected once: the spooler counts every eject it is told.
void EmptyQueueOfUnsentJob(PortContext& port) {
    PortLockHold lock(port);
    JobQueueEntry* entry = port.QueueHead;
    port.QueueHead = port.QueueTail = nullptr;
    while (entry != nullptr) {
        JobQueueEntry* next = entry->Next;
        if (entry->JobId == port.JobId && next == nullptr) {
            if (port.PendingEndCount == 0) port.PendingEndCount = 1;
        } else if ((entry->Flags2 & job_flag::LastPageEjectedSent) == 0) {
            EjectJob(port, EntryPrinter(port, *entry), entry->JobId, 1);
            WriteTraceLine(&port, kTraceJobs, "KJLMON:SetJob[LAST_PAGE_EJECTED @2(%lu)]",
                           static_cast<unsigned long>(entry->JobId));
        }
        HeapFreeBlock(entry);
        entry = next;
    }
}

bool PrinterShownAsOtherModel(PortContext& port) {
    PrinterStatusValue status{};
    PortLockHold lock(port);
    return port.Variables != nullptr && port.Variables->ReadStatus(&status) &&
           (status.M & kStatusUnsupportedPrinter) != 0;
}

// The end of a job on a port that does not follow it: the spooler hears at once.
void EndUnfollowedJob(PortContext& port) {
    if (port.CurrentJobEjected == 0) {
        WriteTraceLine(&port, kTraceJobs, "KJLMON:SetJob[LAST_PAGE_EJECTED @NOBIDI(%lu)]",
                       static_cast<unsigned long>(port.JobId));
        EjectJob(port, nullptr, port.JobId, 1);
    }
    // The monitor itself ended the job: its history line says so.
    OutPrnHist_JobStatus(port, port.JobId, "End");
}

// The end of a job queued for the job tracking, with the port held.
void EndFollowedJob(PortContext& port) {
    const bool resent = (port.SysFlag & sys_flag::ResentJob) != 0;
    const bool wroteNothing = (port.SysFlag & sys_flag::DataWritten) == 0;

    if (SpoolerJobDeleting(port)) {
        WriteTraceLine(&port, kTraceJobs, "KJLMON:PJLMonENDDocPort JOB DELETE @VXJOB-BF");
        JobCancel(port, true);
    } else if (resent || wroteNothing || !HasBinding(port) || !Has(port, port_state::StatusThreadAlive) ||
               !Has(port, port_state::DeviceSupported)) {
        // Nothing on the printer will tell when this job is done: EndDocPort tells the spooler.
        ++port.PendingEndCount;
        WriteTraceLine(&port, kTraceJobs, "KJLMON:PJLMonEndDocPort [LAST_PAGE_EJECTED 位置変更]");
    }

    {
        PortLockHold lock(port);
        if (JobQueueEntry* entry = ThisJobsEntry(port)) std::memcpy(entry->JcidAtEnd, port.Jcid, sizeof port.Jcid);
    }
    HeapFreeBlock(port.DocInfoCopy);
    port.DocInfoCopy = nullptr;
    if (!Has(port, port_state::KeepSendingJobInfo)) UpdateSendingJobInfo(port, false);
    SetJobStatusBits(port, kJobStatusEndBits, false);

    if (resent || wroteNothing) {
        PublishPort(port);
        EmptyQueueOfUnsentJob(port);
        SetPrinterStatusPrinting(port, false);
    }

    port.State &= ~(port_state::InJob | port_state::KeepSendingJobInfo);
    port.State |= port_state::JobEnded;
    if (CountWaitingJobs(port) == 0) port.PartialWriteSeen = 0;
    if (!Has(port, port_state::StatusThreadAlive)) SendPendingOutput(port);
}

// The eject EndDocPort owes the job; the queue goes too when nothing follows it.
void EjectOwed(PortContext& port) {
    port.PendingEndCount = 0;
    // One path of the job may have ejected it already (a power-off drop while it was sent).
    if (port.CurrentJobEjected == 0) {
        EjectJob(port, nullptr, port.JobId, 1);
        WriteTraceLine(&port, kTraceJobs, "KJLMON:SetJob[LAST_PAGE_EJECTED @4(%lu)]",
                       static_cast<unsigned long>(port.JobId));
    }
    MarkThisJob(port, 0, job_flag::LastPageEjectedSent);
    if (!Has(port, port_state::StatusThreadAlive) || !Has(port, port_state::DeviceSupported) ||
        PrinterShownAsOtherModel(port) || !IsBound(port)) {
        // Nothing follows the queued jobs: each gets its eject now rather than never.
        PublishPort(port);
        WriteTraceLine(&port, kTraceJobs, "KJLMON:PJLMonEndDocPort[送信完タイミングで終了]");
        DeleteQueuedJobs(port);
        SetPrinterStatusPrinting(port, false);
    }
}

// What follows the end of the port document on a followed port: a late cancel, the queue
// dropped for jobs that cannot be followed, and the ejects EndDocPort owes.
void FinishFollowedJob(PortContext& port) {
    const bool ejectedBefore = port.CurrentJobEjected != 0;
    MarkThisJob(port, job_flag::EndDocSeen, 0);
    if (!Has(port, port_state::CancelDone) && SpoolerJobDeleting(port)) {
        WriteTraceLine(&port, kTraceJobs, "KJLMON:PJLMonENDDocPort JOB DELETE @VXJOB-AF");
        JobCancel(port, true);
    }
    // A cancelled job, or one without a JCID of its own, is not followed on the printer.
    if (Has(port, port_state::CancelDone) || port.JobType != kJobTypePjl) {
        DropHeldBack(port);
        {
            PortLockHold lock(port);
            if (port.Variables != nullptr) port.Variables->StoreDword(kRowPrinterQueue, 0);
        }
        PublishPort(port);
        // This job's eject is owed by the count below: the queue's drop must not send it too.
        if (port.PendingEndCount != 0) MarkThisJob(port, 0, job_flag::LastPageEjectedSent);
        DeleteJob(port, false);
    }
    SetJobStatusBits(port, kJobStatusEndBits, false);

    if (port.PendingEndCount != 0) EjectOwed(port);
    // The monitor itself ended a job it did not cancel: its history line says so (the job
    // tracking writes it for the jobs it follows to their end).
    if (!ejectedBefore && port.CurrentJobEjected != 0 && !Has(port, port_state::CancelDone)) {
        OutPrnHist_JobStatus(port, port.JobId, "End");
    }
}

// A job is open on the port monitor for every job that reaches EndDocPort, so that the
// port monitor always gets its EndDocPort.
void OpenDocumentForEnd(PortContext& port) {
    if (Has(port, port_state::PortDocOpen)) return;
    if (PMStartOwnDocPort(port)) {
        port.State |= port_state::PortDocOpen;
    }
}

BOOL EndDoc(PortContext& port) {
    if (Has(port, port_state::OwnDocument)) {
        port.State &= ~port_state::OwnDocument;
        return TRUE;
    }
    PortHold hold(port);
    if (!hold.Take(kTakeTries)) {
        SetLastError(ERROR_SEM_TIMEOUT);
        return FALSE;
    }
    const bool inJob = Has(port, port_state::InJob);
    WriteTraceLine(&port, kTraceAlways, "KJLMON:PJLMonEndDocPort -START- JobId = %lu", static_cast<unsigned long>(port.JobId));
    if (port.ServiceInstalled != 0 && inJob) RNEndDoc(port, port.JobId);
    port.State &= ~kStateNoJobName;
    if (inJob) OpenDocumentForEnd(port);

    // The window's last bytes belong to this job: they go out before its document ends.
    DWORD flushError = ERROR_SUCCESS;
    if (port.HoldBackHasData != 0 && port.cbHoldBack != 0 && !FlushHoldBack(port, hold)) flushError = GetLastError();
    if (!hold.Held() && !hold.Take(kTakeTries)) {
        SetLastError(ERROR_SEM_TIMEOUT);
        return FALSE;
    }

    // Followed: a bound printer, or a job queued for one that went away meanwhile.
    const bool followed = inJob && IsSnmpPort(port) && (IsBound(port) || JobQueued(port));
    if (followed) EndFollowedJob(port);

    BOOL ended = TRUE;
    DWORD endError = ERROR_SUCCESS;
    if (Has(port, port_state::PortDocOpen)) {
        ended = PMEndDocPort(port);
        if (!ended) {
            endError = GetLastError();
            WriteTraceLine(&port, kTracePortMonitorErrors, "KJLMON:PMEndDocPort -ERROR- (%lu)",
                           static_cast<unsigned long>(endError));
        }
    }
    port.WriteAllowed = 0;
    port.State &= ~(port_state::InJob | port_state::PortDocOpen | port_state::KeepSendingJobInfo);
    port.State |= port_state::JobEnded;
    if ((port.MyPortMode & kPortModeChunked) != 0) {
        port.PartialWriteSeen = 0;
        port.MyPortMode &= ~kPortModeChunked;
    }

    if (followed) {
        FinishFollowedJob(port);
    } else if (inJob) {
        EndUnfollowedJob(port);
    }
    RestorePriority(port);
    port.InJobWord = 0;
    port.State &= ~port_state::CancelDone;
    hold.Release();
    if (flushError != ERROR_SUCCESS) {
        SetLastError(flushError);
        return FALSE;
    }
    if (!ended) {
        SetLastError(endError);
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool JobCancel(PortContext& port, bool raise) {
    WriteTraceLine(&port, kTraceJobs, "KJLMON:JobCancel -START-");
    if (raise) SetJobStatusBits(port, kJobStatusCancel, true);
    bool done = false;
    if (Has(port, kStatusOffOrAborted)) {
        WriteTraceLine(&port, kTraceJobs, "KJLMON:JobCancel [EXIT @PWOFF or OPP]");
        done = true;
    } else {
        Sleep(2 * port.Waits.RetryPauseMs);
        for (int attempt = 0; attempt < kCancelTries && !done; ++attempt) {
            if (DEP_CancelJob_SNMP(port)) {
                done = true;
                break;
            }
            WriteTraceLine(&port, kTraceJobs, "KJLMON:JobCancel [SNMP send again]");
            Sleep(port.Waits.RetryPauseMs);
            // A printer that went off, or aborted the job itself, has nothing left to cancel.
            CheckDeviceSnmp(port);
            done = Has(port, kStatusOffOrAborted);
        }
        Sleep(2 * port.Waits.RetryPauseMs);
    }
    port.State |= port_state::CancelDone;
    OutPrnHist_JobStatus(port, port.JobId, "Cancel");
    WriteTraceLine(&port, kTraceJobs, done ? "KJLMON:JobCancel -- SUCCESS --" : "KJLMON:JobCancel --  FALSE  --");
    return done;
}

}  // namespace langmon

using namespace langmon;

BOOL PJLMonEndDocPort(HANDLE hPort) noexcept {
    PortContext* port = PortFromHandle(hPort);
    if (port == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return EndDoc(*port);
}
