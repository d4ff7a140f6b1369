// The job through the port: StartDocPort, WritePort with its write paths, and ReadPort.
// EndDocPort and the cancel on the printer are in JobEnd.cpp.
#include "langmon/job/JobEntries.h"

#include <cstring>

#include "langmon/printer/DeviceCheck.h"
#include "langmon/job/JobHeader.h"
#include "langmon/MonitorProcess.h"
#include "langmon/MonitorRegistry.h"
#include "langmon/PortHolds.h"
#include "langmon/job/JobQueue.h"
#include "langmon/job/PortCalls.h"
#include "langmon/job/PortDocument.h"
#include "langmon/printer/PortKind.h"
#include "langmon/job/WritePaths.h"
#include "langmon/PortSettings.h"
#include "langmon/log/PrintHistory.h"
#include "langmon/job/ServiceGate.h"
#include "langmon/status/StatusPort.h"
#include "langmon/printer/StatusThread.h"
#include "langmon/log/TraceLog.h"
#include "platform/Kernel.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"

namespace langmon {

void RestorePriority(PortContext& port) {
    if (port.PriorityChanged == 0) return;
    // Only the thread that was changed is put back; another thread's priority is not ours.
    if (GetCurrentThreadId() == port.PriorityThreadId) SetThreadPriority(GetCurrentThread(), port.SavedThreadPriority);
    port.PriorityChanged = 0;
}

namespace {

// Steps of the wait for a status thread to answer a stop.
constexpr DWORD kStopAnswerStepMs = 5;

// The spooler thread's priority while a job runs, when the monitor's root names one.
void RaisePriority(PortContext& port) {
    DWORD priority = 0;
    if (port.Monitor == nullptr || !QueryRootDword(port.Monitor->Init, u"PrintingPriority", &priority)) return;
    // Thread priorities run from -15 to 15; any other value of the setting is not one.
    const int wanted = static_cast<int>(priority);
    if (wanted < -15 || wanted > 15) return;
    port.SavedThreadPriority = GetThreadPriority(GetCurrentThread());
    port.PriorityThreadId = GetCurrentThreadId();
    if (SetThreadPriority(GetCurrentThread(), wanted)) port.PriorityChanged = 1;
}

// The job's DOC_INFO (level 1 or 2) in one heap block, its strings after the record; NULL for
// other levels, a NULL record or when the heap is full. Strings are bounded.
BYTE* CopyDocInfo(DWORD level, const BYTE* docInfo) {
    if (docInfo == nullptr || (level != 1 && level != 2)) return nullptr;
    const size_t record = level == 1 ? sizeof(DOC_INFO_1W) : sizeof(DOC_INFO_2W);
    const auto* one = reinterpret_cast<const DOC_INFO_1W*>(docInfo);  // both levels start alike
    LPCWSTR texts[3] = {one->pDocName, one->pOutputFile, one->pDatatype};
    constexpr size_t kMaxChars = 1024;
    size_t chars[3] = {};
    size_t total = record;
    for (int i = 0; i < 3; ++i) {
        if (texts[i] == nullptr) continue;
        while (chars[i] < kMaxChars && texts[i][chars[i]] != 0) ++chars[i];
        total += (chars[i] + 1) * sizeof(WCHAR);
    }
    auto* block = static_cast<BYTE*>(HeapAllocZero(total));
    if (block == nullptr) return nullptr;
    std::memcpy(block, docInfo, record);
    auto* copy = reinterpret_cast<DOC_INFO_1W*>(block);
    LPWSTR* fields[3] = {&copy->pDocName, &copy->pOutputFile, &copy->pDatatype};
    auto* text = reinterpret_cast<WCHAR*>(block + record);
    for (int i = 0; i < 3; ++i) {
        if (texts[i] == nullptr) continue;
        std::memcpy(text, texts[i], chars[i] * sizeof(WCHAR));
        text[chars[i]] = 0;
        *fields[i] = text;
        text += chars[i] + 1;
    }
    return block;
}

// A job that never got its EndDocPort: its port document is ended with what it sent, the
// spooler hears the last page went out, and the port is free for the next job.
void EndLostJob(PortContext& port, PortHold& hold) {
    if (port.ServiceInstalled != 0) RNEndDoc(port, port.JobId);
    // The job's last bytes held in the window are its own: they go before its document ends.
    // Nobody waits for the lost job's outcome, so a failed write changes nothing here.
    if (port.HoldBackHasData != 0 && port.cbHoldBack != 0) (void)FlushHoldBack(port, hold);
    if (!hold.Held()) (void)hold.Take(kTakeTries);
    if ((port.State & port_state::PortDocOpen) != 0 && PMEndDocPort(port)) port.State &= ~port_state::PortDocOpen;
    SetJobStatusBits(port, 0x107, false);
    if (port.CurrentJobEjected == 0) EjectJob(port, nullptr, port.JobId, 1);
    {
        // Its queue entry, if any, stays for the job tracking, which must not eject it again.
        PortLockHold lock(port);
        JobQueueEntry* tail = port.QueueTail;
        if (tail != nullptr && tail->JobId == port.JobId) {
            std::memcpy(tail->JcidAtEnd, port.Jcid, sizeof port.Jcid);
            tail->Flags |= job_flag::EndDocSeen;
            tail->Flags2 |= job_flag::LastPageEjectedSent;
        }
    }
    ClearHoldBack(port);
    RestorePriority(port);
    port.State &= ~port_state::InJob;
    port.LostJobSuspected = 0;
    port.WriteAllowed = 0;
}

// A status thread the notification thread started for a printer in error is stopped before a
// job: the job starts polling of its own. The port is given up while the thread finishes its
// pass; false when it cannot be taken back.
bool StopNotifyStatusThread(PortContext& port, PortHold& hold) {
    port.NotifyStartedStatusThread = 0;
    if ((port.State & port_state::StatusThreadAlive) == 0) return true;
    hold.Release();
    {
        PortLockHold lock(port);
        port.State &= ~port_state::PollingWanted;
    }
    port.StatusThread.Signal();
    // The thread answers on the acknowledgement event or by ending; either ends the wait.
    for (DWORD waited = 0; (port.State & port_state::StatusThreadAlive) != 0 && waited < port.Waits.SuspendAckMs;
         waited += kStopAnswerStepMs) {
        if (WaitForSingleObject(port.SuspendAckEvent, kStopAnswerStepMs) == WAIT_OBJECT_0) break;
    }
    return hold.Take(kTakeTries);
}

BOOL StartDoc(PortContext& port, LPWSTR printerName, DWORD jobId, DWORD level, LPBYTE docInfo) {
    // The spooler's own document without a name: nothing goes to the port for it.
    if (level != 1 && (docInfo == nullptr || reinterpret_cast<DOC_INFO_1W*>(docInfo)->pDocName == nullptr)) {
        port.State |= port_state::OwnDocument;
        StorePrinterName(port, printerName);
        return TRUE;
    }
    PortHold hold(port);
    if (!hold.Take(kTakeTries)) {
        SetLastError(ERROR_SEM_TIMEOUT);
        return FALSE;
    }
    // A refused overlap leaves the running job's state alone: it is checked first.
    if ((port.State & port_state::InJob) != 0) {
        PrnLostChk(port, kLostEndDoc, "Lost EndDoc");
        const DWORD idle = GetTickCount() - port.LastJobActivityTick;
        if (port.LostJobSuspected == 0 || idle < port.Waits.LostJobMs) {
            // Refused for now: the open job may still be running on another spooler thread.
            if (port.LostJobSuspected == 0) port.LastJobActivityTick = GetTickCount();
            port.LostJobSuspected = 1;
            SetLastError(ERROR_BUSY);
            return FALSE;
        }
        EndLostJob(port, hold);
        if (!hold.Held()) {
            SetLastError(ERROR_SEM_TIMEOUT);
            return FALSE;
        }
    }
    port.State &= ~(port_state::SrmTerminate | port_state::PrinterAbort);
    port.SysFlag &= sys_flag::KeptAcrossJobs;
    port.WriteAllowed = 1;
    if (!StorePrinterName(port, printerName)) {
        port.WriteAllowed = 0;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }

    if (IsJobServiceInstalled(port)) {
        const GateAnswer answer = RNStartDoc(port, jobId);
        if (answer == GateAnswer::Refused) {
            SetJobCommand(port, jobId, JOB_CONTROL_DELETE);
            port.WriteAllowed = 0;
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (answer == GateAnswer::Unreachable) {
            // The job stays in the spooler, which offers it again later.
            port.WriteAllowed = 0;
            SetLastError(ERROR_SEM_TIMEOUT);
            return FALSE;
        }
    }

    OutPrnHist_JobStatus(port, jobId, "Start");
    port.State |= port_state::InJob;
    port.MyPortMode = ReadMyPortMode(port.MyPortMode);
    if ((port.State & port_state::PortDocOpen) != 0) {
        if (PMEndDocPort(port)) port.State &= ~port_state::PortDocOpen;
    }
    if (port.NotifyStartedStatusThread != 0 && !StopNotifyStatusThread(port, hold)) {
        port.State &= ~port_state::InJob;
        port.WriteAllowed = 0;
        SetLastError(ERROR_SEM_TIMEOUT);
        return FALSE;
    }
    if ((port.PortKind & port_kind::Com) != 0) Sleep(port.Waits.ComPauseMs);
    const BOOL started = PMStartDocPort(port, printerName, jobId, level, docInfo);
    const DWORD startError = GetLastError();
    if (IsUsb(port)) SetPortTimeouts(port, COMMTIMEOUTS{0xFFFFFFFFu, 0xFFFFFFFFu, 10, 0, 10000});
    if (started) {
        if (IsLptPort(port.PortName) && (port.PortKind & port_kind::Share) == 0) SettleIeee1284AtStart(port);
        if (!IsUsb(port)) SetPortTimeouts(port, COMMTIMEOUTS{10, 0, 100, 0, 0});
        port.State |= port_state::PortDocOpen;
    } else if (!IsUsb(port)) {
        WriteTraceLine(&port, kTracePortMonitorErrors, "KJLMON:PMStartDocPort -ERROR- (%lu)",
                       static_cast<unsigned long>(startError));
        port.State &= ~port_state::InJob;
        port.WriteAllowed = 0;
        SetLastError(startError);
        return FALSE;
    }

    port.State &= ~(port_state::DeviceTookData | port_state::CancelDone | port_state::JobDeleting);
    {
        PortLockHold lock(port);  // a publisher run's eject compares it
        port.JobId = jobId;
    }
    port.PendingEndCount = 0;
    port.CurrentJobEjected = 0;
    port.LastJobActivityTick = GetTickCount();
    port.LostJobSuspected = 0;
    // Every job starts with its own parse and an empty window: nothing of the last job leaks in.
    ResetJobHeader(port);
    ClearHoldBack(port);
    port.WriteStarted = 0;
    port.UsbResend = port.UsbResendFirst = port.UsbResendCount = 0;

    if ((port.PortKind & port_kind::Bound) == 0) return TRUE;
    {
        PortLockHold lock(port);
        SrmBinding* binding = FindBinding(port, port.PrinterName);
        if (binding == nullptr) binding = LoadStatusManager(port, port.PrinterName, true);
        port.CurrentBinding = binding;
        port.BindingBound = binding != nullptr && binding->manager != 0 ? 1 : 0;
    }
    if (!IsBound(port)) return TRUE;
    // Whether the printer answers, and as what, before its job goes out.
    CheckDeviceId(port);
    port.InJobWord = 0;
    // The printer is polled while this job and those queued before it are on the port.
    KeepPollingForJob(port);

    // A followed port: the job is queued for tracking under its JCID.
    if (JobQueueLength(port) == 0) SetPrinterStatusPrinting(port, true);
    {
        PortLockHold lock(port);
        port.State |= port_state::PjlBlockPending;
        HeapFreeBlock(port.DocInfoCopy);
        port.DocInfoCopy = CopyDocInfo(level, docInfo);
        port.DocInfoLevel = level;
        JobQueueEntry* entry = InJobQueue(port, jobId);
        if (entry == nullptr) {
            // Nothing of the refused job stays: its port document, its permission to write.
            if ((port.State & port_state::PortDocOpen) != 0 && PMEndDocPort(port)) {
                port.State &= ~port_state::PortDocOpen;
            }
            port.State &= ~port_state::InJob;
            port.WriteAllowed = 0;
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return FALSE;
        }
        entry->Binding = port.CurrentBinding;
        if (IsSnmpPort(port)) {
            if (!MakeGuidJCID(port.Jcid)) port.Jcid[0] = 0;
        } else {
            MakeJobUID(port.Jcid);
        }
        std::memcpy(entry->Jcid, port.Jcid, sizeof entry->Jcid);
        WriteTraceLine(&port, kTraceJobs, "KJLMON:InJobQueue JobId = %lu, UID = \"%s\"",
                       static_cast<unsigned long>(jobId), entry->Jcid);
        DumpJobQueue(port);
        RaisePriority(port);
    }
    UpdateSendingJobInfo(port, true);
    SetJobStatusBits(port, 0x1, true);
    port.InJobWord = (port.State & port_state::PjlBlockPending) != 0 ? 0 : 1;
    port.State &= ~port_state::KeepSendingJobInfo;
    if ((port.State & port_state::DeviceSupported) == 0) port.PortNotTakingData = 0;
    return TRUE;
}

BOOL WriteTracked(PortContext& port, const BYTE* data, DWORD cb, DWORD* written) {
    PortHold hold(port);
    *written = 0;
    if (!hold.Take()) return TRUE;  // the spooler calls again
    port.WriteStarted = 1;
    if (port.JobType == kJobTypeUnparsed) {
        ParseJobHeader(port, std::span(reinterpret_cast<const std::byte*>(data), cb));
        PortLockHold lock(port);
        if (port.QueueTail != nullptr) {
            std::memcpy(port.QueueTail->Jcid, port.Jcid, sizeof port.QueueTail->Jcid);
            if (!EncodeJcidIndex(port.Jcid, port.QueueTail->JcidIndex, sizeof port.QueueTail->JcidIndex)) {
                port.QueueTail->JcidIndex[0] = 0;
            }
        }
    }
    if ((port.SysFlag & sys_flag::ResentJob) != 0) {
        *written = cb;  // a job resent after power-off is dropped
        return TRUE;
    }
    if ((port.State & port_state::DeviceBusy) == port_state::DeviceBusy) {
        hold.Release();
        Sleep(2 * port.Waits.RetryPauseMs);
        return TRUE;
    }
    if ((port.State & port_state::PoweredOff) != 0) {
        // Nothing goes while the printer is off; the pause keeps the spooler's retries from
        // turning into a busy loop.
        hold.Release();
        Sleep(port.Waits.RetryPauseMs);
        return TRUE;
    }
    if (port.JobType == kJobTypePjl) port.InJobWord &= ~1u;

    BOOL ok = TRUE;
    if ((port.State & port_state::JobDeleting) != 0) {
        *written = cb;
        port.State &= ~port_state::PjlBlockPending;
    } else if ((port.MyPortMode & kPortModeChunked) != 0) {
        // A chunk the device did not take is not a failed job: the spooler offers it again
        // after the pause below.
        (void)WriteChunked(port, hold, data, cb, written);
        KeepTail(port, data, *written);
    } else if (IsUsb(port) || (port.PortKind & (port_kind::Local | port_kind::StandardTcp)) != 0) {
        ok = WriteKeepTail(port, hold, data, cb, written);
    } else {
        ok = WriteHoldBack(port, hold, data, cb, written);
    }
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (!ok) WriteTraceLine(&port, kTraceWritePort, "KJLMON:PJLMonWritePort -ERROR- (%lu)", static_cast<unsigned long>(error));
    // The write's outcome is read and recorded with the port held: a status pass writes the
    // same fields. A port that cannot be had back after the write is left to its holder.
    if (!hold.Held()) (void)hold.Take();
    bool pause = false;
    if (hold.Held()) {
        pause = (port.LastWriteError == kErrorTimeout &&
                 (((port.MyPortMode & kPortModeChunked) != 0 && port.PartialWriteSeen != 0) || IsUsb(port))) ||
                ((port.MyPortMode & kPortModeChunked) != 0 && port.WriteFailed != 0);
        if (*written != 0) port.SysFlag |= sys_flag::DataWritten;
    }
    hold.Release();
    if (pause) Sleep(port.Waits.RetryPauseMs);
    if (!ok) SetLastError(error);
    return ok;
}

BOOL Write(PortContext& port, const BYTE* data, DWORD cb, DWORD* written) {
    *written = 0;
    PortHold hold(port);
    if (!hold.Take()) return TRUE;  // nothing written: the spooler calls again
    // Bytes outside a job belong to no document: writing them could only mix them into one.
    if ((port.State & (port_state::InJob | port_state::OwnDocument)) == 0) {
        SetLastError(ERROR_SPL_NO_STARTDOC);
        return FALSE;
    }
    port.LastJobActivityTick = GetTickCount();
    port.LostJobSuspected = 0;
    if (HasBinding(port) && IsSnmpPort(port) && IsBound(port)) {
        hold.Release();
        return WriteTracked(port, data, cb, written);
    }
    if (HasBinding(port) && IsSnmpPort(port) && port.JobType == kJobTypeUnparsed) {
        ParseJobHeader(port, std::span(reinterpret_cast<const std::byte*>(data), cb));
    }
    BOOL ok;
    if (HasBinding(port) && (port.MyPortMode & kPortModeChunked) != 0) {
        ok = WriteChunked(port, hold, data, cb, written);
    } else {
        ok = PMWritePort(port, hold, data, cb, written);
    }
    const DWORD error = GetLastError();
    hold.Release();
    SetLastError(error);
    return ok;
}

BOOL Read(PortContext& port, LPBYTE buffer, DWORD cbBuffer, LPDWORD cbRead) {
    PortHold hold(port);
    if (!hold.Take()) {
        SetLastError(ERROR_SEM_TIMEOUT);
        return FALSE;
    }
    if (port.PortMonitor.pfnReadPort == nullptr) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    // During a job the read uses the job's document: ending it here would cut the job.
    const bool ownDocument = (port.State & port_state::PortDocOpen) == 0;
    if (ownDocument) {
        if (!PMStartOwnDocPort(port)) {
            SetLastError(ERROR_BUSY);
            return FALSE;
        }
        port.State |= port_state::PortDocOpen;
    }
    *cbRead = 0;
    BOOL ok = port.PortMonitor.pfnReadPort(port.PortMonitorPort, buffer, cbBuffer, cbRead);
    DWORD error = GetLastError();
    if (ok && *cbRead > cbBuffer) *cbRead = cbBuffer;
    // A USB port that has nothing to give fails with ERROR_GEN_FAILURE: that is an empty read.
    if (!ok && IsUsb(port) && *cbRead == 0 && error == ERROR_GEN_FAILURE) {
        ok = TRUE;
        error = ERROR_SUCCESS;
    }
    if (ownDocument && PMEndDocPort(port)) port.State &= ~port_state::PortDocOpen;
    hold.Release();
    SetLastError(error);
    return ok;
}

}  // namespace

}  // namespace langmon

using namespace langmon;

BOOL PJLMonStartDocPort(HANDLE hPort, LPWSTR pPrinterName, DWORD JobId, DWORD Level, LPBYTE pDocInfo) noexcept {
    PortContext* port = PortFromHandle(hPort);
    if (port == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return StartDoc(*port, pPrinterName, JobId, Level, pDocInfo);
}

BOOL PJLMonWritePort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten) noexcept {
    PortContext* port = PortFromHandle(hPort);
    if (port == nullptr || pcbWritten == nullptr || (pBuffer == nullptr && cbBuf != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Write(*port, pBuffer, cbBuf, pcbWritten);
}

BOOL PJLMonReadPort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead) noexcept {
    PortContext* port = PortFromHandle(hPort);
    if (port == nullptr || pcbRead == nullptr || (pBuffer == nullptr && cbBuffer != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Read(*port, pBuffer, cbBuffer, pcbRead);
}

