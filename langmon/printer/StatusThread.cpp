#include "langmon/printer/StatusThread.h"

#include <cstring>
#include <string_view>

#include "langmon/printer/DeviceCheck.h"
#include "langmon/job/JobEntries.h"
#include "langmon/job/JobQueue.h"
#include "langmon/printer/JobTracking.h"
#include "langmon/job/PortDocument.h"
#include "langmon/PortHolds.h"
#include "langmon/job/PortCalls.h"
#include "langmon/PortSettings.h"
#include "langmon/status/StatusManagerLink.h"
#include "langmon/status/StatusPort.h"
#include "langmon/log/TraceLog.h"
#include "platform/Process.h"
#include "platform/Sync.h"

namespace langmon {
namespace {

constexpr SIZE_T kStatusThreadStack = 16384;
// The second keep-polling request lapses after this long, or sooner once the printer shows
// neither of these L bits.
constexpr DWORD kKeepPolling2Ms = 360000;
constexpr DWORD kKeepPolling2Bits = 0x10 | 0x40;
// A refresh reads the printer again only when the last read is older than this.
constexpr DWORD kRefreshReadAgeMs = 1000;
constexpr DWORD kRefreshListBytes = 4096;
constexpr DWORD kManagerMoreData = static_cast<DWORD>(-33);
constexpr DWORD kManagerSizeOnly = static_cast<DWORD>(-36);
constexpr DWORD kRefreshClassPanel = 0x2;

bool PollingWanted(const PortContext& port) { return (port.State & port_state::PollingWanted) != 0; }
bool IsShare(const PortContext& port) { return (port.PortKind & port_kind::Share) != 0; }
bool JobsWaiting(PortContext& port) {
    PortLockHold lock(port);
    return port.QueueHead != nullptr;
}
bool HasBindings(PortContext& port) {
    PortLockHold lock(port);
    return port.FirstBinding != nullptr;
}

// Stopping is final for this thread: the stop event is manual-reset and stays set.
bool Stopped(const PortContext& port) { return WaitForSingleObject(port.StopEvent, 0) == WAIT_OBJECT_0; }

// Waits for the port mutex, the wake event or the stop event: true when the mutex is held.
bool TakePortOrWake(PortContext& port) {
    if (IsShare(port)) return true;
    const HANDLE waits[] = {port.PortMutex, port.StatusThread.Wake(), port.StopEvent};
    const DWORD rc = WaitForMultipleObjects(3, waits, FALSE, port.Waits.PortMutexMs);
    return rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED_0;
}

void ReleasePort(PortContext& port) {
    if (!IsShare(port)) ReleaseSpoolerFunc(port);
}

// The end of polling: queued jobs released when a suspend stopped it, the printer's own
// status reports switched off when asked, the polling mark cleared and published.
void EndStatusThread(PortContext& port) {
    bool release = false;
    bool ustatusOff = false;
    bool jobWatch = false;
    {
        PortLockHold lock(port);
        release = port.SuspendRequest != 0 && port.QueueHead != nullptr;
        ustatusOff = port.UstatusOffPending != 0;
        jobWatch = port.JobWatchRunning != 0;
    }
    ustatusOff = ustatusOff && (port.PortKind & port_kind::StandardTcp) == 0 && (port.State & port_state::Closing) == 0;
    if (release || ustatusOff) {
        PortHold hold(port);
        if (hold.Take()) {
            if (release) ReleaseQueuedJobs(port);
            if (ustatusOff) SendUstatusOff(port);
        }
    }
    {
        PortLockHold lock(port);
        port.UstatusOffPending = 0;
    }
    // The job watch keeps the mark while it runs.
    SetPollingFlag(port, jobWatch);
}

// The requests the thread saw when it decided to end are settled; one made since (a job
// start, "Wake Up") keeps the thread going. Caller holds PortLock.
bool SettleRequests(PortContext& port, DWORD seenRequests) {
    if (port.PollRequests != seenRequests && !Stopped(port) && (port.State & port_state::Closing) == 0) {
        port.State |= port_state::PollingWanted;
        return false;
    }
    port.SuspendRequest = 0;
    port.PollingOn = 0;
    port.KeepPolling = 0;
    port.KeepPolling2 = 0;
    port.KeepPolling2Tick = 0;
    return true;
}

DWORD SeenRequests(PortContext& port) {
    PortLockHold lock(port);
    return port.PollRequests;
}

// The printer went off with a job that the spooler no longer has, or aborted it: the job's
// held bytes and the job go.
bool JobLostWithThePrinter(PortContext& port) {
    if ((port.State & port_state::PrinterAbort) != 0) return true;
    return (port.State & (port_state::PoweredOff | port_state::InJob)) == (port_state::PoweredOff | port_state::InJob) &&
           !WatchCurrentJobNoUpdate(port);
}

// One pass with the port held: bindings reconnected, the printer read, the clean-up a dead
// printer needs, the push.
void StatusPass(PortContext& port) {
    RebindStatusManager(port);
    {
        PortLockHold lock(port);
        ReapEndedBindings(port);
    }
    if ((port.State & port_state::InJob) != 0) WatchCurrentJob(port);
    if (PollingWanted(port) && ShouldStopPolling(port)) return;
    if (HasBindings(port) || JobsWaiting(port)) ReadStatus2(port);
    if (JobLostWithThePrinter(port)) {
        DropHeldBack(port);
        DropJobAfterPowerOff(port);
        port.State &= ~port_state::PrinterAbort;
        port.SysFlag |= sys_flag::PowerOffJcidSavedAlt;
    }
    if ((port.State & port_state::InJob) == 0) {
        PortLockHold lock(port);
        if (port.QueueHead == nullptr && port.KeepPolling != 0) {
            // The job that asked for polling is done: this was its last pass.
            if ((port.PortKind & port_kind::Bound) != 0) port.UstatusOffPending = 1;
            port.KeepPolling = 0;
        }
    }
    PublishPort(port);
    ++port.StatusPasses;
}

// A printer scan every third pass, the first pass included.
void CountPass(PortContext& port) {
    if (port.StatusPass == 0) {
        SyncBoundPrinters(port);
        port.StatusPass = 1;
    } else {
        port.StatusPass = port.StatusPass >= 2 ? 0 : port.StatusPass + 1;
    }
}

DWORD UstatusThread2(LPVOID parameter) {
    PortContext& port = *static_cast<PortContext*>(parameter);
    port.StatusPass = 0;
    SetPollingFlag(port, true);
    if (!ShouldStopPolling(port)) {
        // What the open or the job start showed stands for one interval; the first read follows.
        const HANDLE waits[] = {port.StatusThread.Wake(), port.StopEvent};
        WaitForMultipleObjects(2, waits, FALSE, StatusIntervalMs(port, 0));
    }
    DWORD seen = 0;  // the requests the last look saw
    for (;;) {
        for (;;) {
            seen = SeenRequests(port);
            if (!PollingWanted(port) || Stopped(port) || ShouldStopPolling(port)) break;
            CountPass(port);
            // Nothing to show the status to: the thread is not needed.
            if (!HasBindings(port)) break;

            if (!TakePortOrWake(port)) continue;
            const DWORD start = GetTickCount();
            if (PollingWanted(port) && !Stopped(port)) StatusPass(port);
            ReleasePort(port);
            if (!PollingWanted(port) || Stopped(port)) break;

            const DWORD interval = StatusIntervalMs(port, GetTickCount() - start);
            WriteTraceLine(&port, kTraceDevice, "REFRESH:UstatusThread2 -Sleep[%luﾐﾘ秒]-",
                           static_cast<unsigned long>(interval));
            const HANDLE waits[] = {port.StatusThread.Wake(), port.StopEvent};
            WaitForMultipleObjects(2, waits, FALSE, interval);
            WriteTraceLine(&port, kTraceDevice, "REFRESH:UstatusThread2 -WAKEUP-");
        }
        const bool bindingLost = PollingWanted(port) && !HasBindings(port) && (port.State & port_state::Closing) == 0;
        EndStatusThread(port);
        if (bindingLost) {
            UpdatePrinterExtStatus(port);
            SetPrinterStatusUnknown(port, false);
            ApplyDefaultStatus(port, false);
        }
        PortLockHold lock(port);
        // A request made while the thread was ending (a job start, "Wake Up") is not lost.
        if (!SettleRequests(port, seen)) continue;
        port.State &= ~(port_state::StatusThreadAlive | port_state::PollingWanted);
        break;
    }
    // Whoever waits for the end (a suspend, a removal of a bound printer) may go on.
    SetEvent(port.StatusThreadEnded);
    SetEvent(port.SuspendAckEvent);
    return 0;
}

// Joins a thread that has ended on its own (it cleared its alive bit). Caller holds PortLock.
void ReapEndedThread(PortContext& port) {
    if ((port.State & port_state::StatusThreadAlive) == 0) port.StatusThread.Join();
}

// The manager's "RefreshStatus" request for the bound printer of exactly that name, and the
// binding's model mask. Read under the port's lock, which keeps the binding.
bool ReadRefreshList(PortContext& port, LPCWSTR printer, char (&list)[kRefreshListBytes], ULONGLONG* modelMask) {
    PortLockHold lock(port);
    const SrmBinding* binding = port.FirstBinding;
    while (binding != nullptr && lstrcmpW(binding->printerName, printer) != 0) binding = binding->next;
    if (binding == nullptr || binding->manager == 0 || binding->entries.GetPrinterStatusA == nullptr) return false;
    DWORD needed = 0;
    const DWORD query = binding->entries.GetPrinterStatusA(binding->manager, "RefreshStatus", nullptr, 0, &needed);
    if (query != kManagerMoreData && query != kManagerSizeOnly && query != 0) return false;
    if (needed == 0 || needed >= kRefreshListBytes) return false;
    if (binding->entries.GetPrinterStatusA(binding->manager, "RefreshStatus", list, needed, &needed) != 0) return false;
    list[kRefreshListBytes - 1] = 0;
    *modelMask = binding->modelMask;
    return true;
}

// The ";"-separated names of the manager's request, ORed into refresh classes.
DWORD RefreshClassOf(PortContext& port, ULONGLONG modelMask, const char* list) {
    DWORD refreshClass = 0;
    std::string_view rest(list);
    while (!rest.empty()) {
        const size_t cut = rest.find(';');
        const std::string_view name = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view{} : rest.substr(cut + 1);
        if (name.empty() || name.size() >= 64) continue;
        char text[64] = {};
        std::memcpy(text, name.data(), name.size());
        if (name == "PrinterDisplay") refreshClass |= kRefreshClassPanel;
        PortLockHold lock(port);
        const StatusVariable* row = port.Variables->Find(text, modelMask, false);
        if (row != nullptr) refreshClass |= row->refreshClass;
    }
    return refreshClass;
}

}  // namespace

bool StartStatusThread(PortContext& port) {
    if ((port.PortKind & port_kind::StatusThreadKinds) == 0) return false;
    PortLockHold lock(port);
    if ((port.State & port_state::StatusThreadAlive) != 0) return true;
    if (Stopped(port) || (port.State & port_state::Closing) != 0) return false;
    ReapEndedThread(port);
    if (port.StatusThread.Wake() == nullptr || port.StatusThreadEnded == nullptr) return false;
    if (WaitForSingleObject(port.SuspendAckEvent, 0) == WAIT_OBJECT_0) ResetEvent(port.SuspendAckEvent);
    ResetEvent(port.StatusThreadEnded);
    ++port.StatusThreadStarts;
    port.State |= port_state::PollingWanted | port_state::StatusThreadAlive;
    const int priority = (port.MyPortMode & kPortModeChunked) != 0 ? -1 : -2;
    if (!port.StatusThread.Start(UstatusThread2, &port, kStatusThreadStack, priority)) {
        port.State &= ~(port_state::PollingWanted | port_state::StatusThreadAlive);
        return false;
    }
    return true;
}

LONG RequestPolling(PortContext& port) {
    {
        PortLockHold lock(port);
        // A port whose threads stop (or have stopped) polls no more: a request then, as from
        // a notification thread not joined yet, leaves nothing standing.
        if (Stopped(port)) return kRefreshDone;
        port.State &= ~port_state::SrmTerminate;
        if (port.PollingOn != 0) return kRefreshNotDone;
        port.PollingOn = 1;
        ++port.PollRequests;
    }
    StartStatusThread(port);
    return kRefreshDone;
}

LONG StopPollingRequest(PortContext& port) {
    {
        PortLockHold lock(port);
        if (port.PollingOn == 0) return kRefreshNotDone;
        port.PollingOn = 0;
    }
    port.StatusThread.Signal();
    return kRefreshDone;
}

void KeepPollingForJob(PortContext& port) {
    {
        PortLockHold lock(port);
        port.KeepPolling = 1;
        ++port.PollRequests;
    }
    StartStatusThread(port);
}

void StopStatusThread(PortContext& port) {
    HANDLE thread = nullptr;
    {
        PortLockHold lock(port);
        port.State &= ~port_state::PollingWanted;
        port.PollingOn = 0;
        port.KeepPolling = 0;
        port.KeepPolling2 = 0;
        thread = port.StatusThread.Take();
    }
    port.StatusThread.Signal();
    PortThread::JoinTaken(thread);
}

bool ShouldStopPolling(PortContext& port) {
    PortLockHold lock(port);
    if (port.SuspendRequest != 0) {
        if ((port.State & port_state::InJob) != 0) {
            port.SuspendRequest = 0;
            port.UstatusOffPending = 0;
        } else if (JobsWaiting(port) && (port.PortKind & port_kind::Bound) != 0) {
            port.UstatusOffPending = 1;
            port.PollingOn = 0;
            port.KeepPolling = 0;
            port.KeepPolling2 = 0;
            return true;
        }
    }
    if (port.KeepPolling2 != 0) {
        PrinterStatusValue status{};
        const bool read = port.Variables != nullptr && port.Variables->ReadStatus(&status);
        if (!read || (status.L & kKeepPolling2Bits) == 0 || GetTickCount() - port.KeepPolling2Tick > kKeepPolling2Ms) {
            port.KeepPolling2 = 0;
        }
    }
    if (port.KeepPolling == 0) port.State &= ~0x80000u;
    return port.PollingOn == 0 && port.KeepPolling == 0 && port.KeepPolling2 == 0;
}

void ReadStatus2(PortContext& port) {
    if ((port.PortKind & port_kind::Snmp) == 0) {
        // Other kinds have nothing to read: bytes the port did not take yet go out between jobs.
        if (port.cbPending == 0 || (port.State & (port_state::InJob | port_state::CancelDoneHigh)) != 0) return;
        const bool opened = (port.State & port_state::PortDocOpen) == 0 && OpenStatusDocument(port);
        DWORD written = 0;
        WritePortData(port, nullptr, 0, &written, false, false);
        if (opened && (port.State & port_state::PortDocOpen) != 0 && PMEndDocPort(port)) {
            port.State &= ~port_state::PortDocOpen;
        }
        return;
    }
    if (port.DeviceCheckCountdown == 0) CheckDeviceId(port);
    const DWORD checkDid = port.Settings != nullptr ? port.Settings->checkDid : kDefaultCheckDid;
    ++port.DeviceCheckCountdown;
    if (JobsWaiting(port) || port.DeviceCheckCountdown >= checkDid) port.DeviceCheckCountdown = 0;
    if ((port.State & port_state::PoweredOff) != 0) {
        if ((port.SysFlag & sys_flag::DataWritten) != 0) {
            WriteTraceLine(&port, kTraceDevice, "REFRESH:ReadStatus2 -Found PW OFF-");
            port.State |= port_state::PrinterAbort;
        }
    } else if ((port.State & port_state::DeviceSupported) != 0) {
        TrackQueuedJobs(port);
    }
}

DWORD StatusIntervalMs(PortContext& port, DWORD spentMs) {
    const bool variable = port.Settings != nullptr && port.Settings->variablePolling;
    const DWORD configured = variable ? port.Settings->pollingIntervalMs : 0;
    if ((port.State & port_state::InJob) != 0) {
        const DWORD interval = variable ? configured : port.Waits.StatusQueuedMs;
        return spentMs >= interval ? 0 : interval - spentMs;
    }
    if (variable) return configured;
    return JobsWaiting(port) ? port.Waits.StatusQueuedMs : port.Waits.StatusIdleMs;
}

LONG RefreshStatus(PortContext& port, LPCWSTR printerName) {
    if (printerName == nullptr || printerName[0] == 0 || port.Variables == nullptr) return kRefreshNotDone;
    SyncBoundPrinters(port);
    RebindStatusManager(port);
    if ((port.PortKind & (port_kind::Bound | 0x8)) == 0) {
        WriteTraceLine(&port, kTraceDevice, "REFRESH:RefreshStatus --END[NOBIDI]--");
        return kRefreshNotDone;
    }
    char list[kRefreshListBytes] = {};
    ULONGLONG modelMask = 0;
    if (!ReadRefreshList(port, printerName, list, &modelMask)) return kRefreshNotDone;

    const DWORD refreshClass = RefreshClassOf(port, modelMask, list);
    if (refreshClass == kRefreshExtStatus) {
        UpdatePrinterExtStatus(port);
        PublishPort(port);
        return kRefreshDone;
    }
    if (refreshClass == 0) return kRefreshNotDone;
    // The running thread keeps status and configuration current by itself.
    if ((refreshClass & (kRefreshStatus | kRefreshConfig)) != 0 && (refreshClass & 0x4) == 0 &&
        (port.State & port_state::StatusThreadAlive) != 0) {
        return kRefreshNotDone;
    }
    if (JobsWaiting(port) || (port.State & port_state::InJob) != 0) return kRefreshNotDone;
    if (WaitSpoolerFunc(port) != 0) return kRefreshBusy;
    LONG result = kRefreshDone;
    if ((port.State & port_state::InJob) != 0) {
        result = kRefreshNotDone;
    } else if (port.LastDeviceCheckTick == static_cast<DWORD>(-1) ||
               GetTickCount() - port.LastDeviceCheckTick > kRefreshReadAgeMs) {
        CheckDeviceId(port);
        port.LastDeviceCheckTick = GetTickCount();
    }
    ReleaseSpoolerFunc(port);
    return result;
}

}  // namespace langmon
