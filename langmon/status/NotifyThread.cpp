// The notification thread of a bound printer and the job watch of a port.
//
// A notification thread owns every event it waits on: the four it registers with the manager
// and the three named ones. It ends the manager's registration before it closes them, so the
// manager never signals a handle that is gone. It never waits for anything while holding the
// port's lock, and it removes its own binding without waiting for itself: the binding is
// retired and freed once the thread has been joined.
#include "langmon/status/NotifyThread.h"

#include "langmon/status/BoundPrinters.h"
#include "langmon/printer/DeviceCheck.h"
#include "langmon/job/JobEntries.h"
#include "langmon/job/JobQueue.h"
#include "langmon/PortHolds.h"
#include "langmon/printer/PrinterState.h"
#include "langmon/status/StatusVariables.h"
#include "langmon/log/TraceLog.h"
#include "platform/Monitor.h"
#include "platform/Sync.h"

namespace langmon {
namespace {

constexpr SIZE_T kNotifyThreadStack = 16384;
constexpr SIZE_T kJobWatchStack = 16384;
constexpr DWORD kRegisteredEvents = 4;

bool IsShare(const PortContext& port) { return (port.PortKind & port_kind::Share) != 0; }
bool Stopped(const PortContext& port) { return WaitForSingleObject(port.StopEvent, 0) == WAIT_OBJECT_0; }

void Close(HANDLE& handle) {
    if (handle != nullptr) CloseHandle(handle);
    handle = nullptr;
}

// The printer's named event, opened when `openFirst` and it exists, else made auto-reset. A
// name that cannot be an object name (a backslash after the prefix, or too long) gets an
// unnamed event instead: the wait stays valid and the printer only misses that signal.
HANDLE PrinterEvent(LPCWSTR prefix, LPCWSTR printer, bool openFirst) {
    const int cchPrefix = lstrlenW(prefix);
    const int cchPrinter = lstrlenW(printer);
    bool valid = cchPrefix + cchPrinter < MAX_PATH;
    for (LPCWSTR c = printer; valid && *c != 0; ++c) valid = *c != u'\\';
    if (!valid) return CreateEventW(nullptr, FALSE, FALSE, nullptr);
    WCHAR name[MAX_PATH];
    lstrcpyW(name, prefix);
    lstrcpyW(name + cchPrefix, printer);
    if (openFirst) {
        if (HANDLE existing = OpenEventW(EVENT_ALL_ACCESS, FALSE, name)) return existing;
    }
    return CreateEventW(nullptr, FALSE, FALSE, name);
}

/// What one notification thread does for its binding, from registration to its end.
class NotifyWatch {
public:
    NotifyWatch(PortContext& port, SrmBinding& binding) : port_(port), b_(binding) {}
    ~NotifyWatch() {
        Unregister();
        for (int slot = kPortChanged; slot < kEnded; ++slot) Close(events_[slot]);
    }
    NotifyWatch(const NotifyWatch&) = delete;
    NotifyWatch& operator=(const NotifyWatch&) = delete;

    void Run();

private:
    // Wait slots, lowest first when several are set.
    enum Slot {
        kStop,            // the port's stop event (not ours)
        kPortChanged,     // registered with the manager
        kNameChanged,
        kTerminate,
        kDeleted,         // named, per printer
        kManagerStarted,  // named, shared by every printer
        kJobArrived,      // named, per printer
        kExtChanged,      // registered with the manager
        kEnded,           // the binding's own (not ours)
        kSlots
    };
    enum class Checked { Wait, End };

    bool MakeEvents();
    bool Register();
    void Unregister();
    Checked InitialChecks();
    bool ReadPort(PortVariableValue* value);
    bool ReadPrinterName(WCHAR (&name)[MAX_PATH]);
    bool ReadTerminate(DWORD* value);

    bool OnPortChanged();
    bool OnNameChanged();
    void OnJobArrived();
    void OnExtChanged();
    void Remove(const char* why);
    void StopPollingForRemoval();

    PortContext& port_;
    SrmBinding& b_;
    HANDLE events_[kSlots] = {};
    DWORD registration_ = 0;
};

bool NotifyWatch::MakeEvents() {
    events_[kStop] = port_.StopEvent;
    events_[kEnded] = b_.notify.Wake();
    for (Slot slot : {kPortChanged, kNameChanged, kTerminate, kExtChanged}) {
        events_[slot] = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    }
    events_[kDeleted] = PrinterEvent(kDeletePrinterEventPrefix, b_.printerName, false);
    events_[kManagerStarted] = OpenEventW(EVENT_ALL_ACCESS, FALSE, kManagerStartedEvent);
    if (events_[kManagerStarted] == nullptr) events_[kManagerStarted] = CreateEventW(nullptr, FALSE, FALSE, kManagerStartedEvent);
    events_[kJobArrived] = PrinterEvent(kJobEventPrefix, b_.printerName, true);
    for (HANDLE event : events_) {
        if (event == nullptr) return false;
    }
    return true;
}

bool NotifyWatch::Register() {
    const HANDLE registered[kRegisteredEvents] = {events_[kPortChanged], events_[kNameChanged], events_[kTerminate],
                                                  events_[kExtChanged]};
    DWORD id = 0;
    const DWORD rc = b_.entries.SetNotificationEventExA(b_.manager, kRegisteredEvents, kNotifyVariables, registered, &id);
    registration_ = id;  // ended by the destructor when an id came back anyway
    return rc == 0;
}

void NotifyWatch::Unregister() {
    if (registration_ != 0 && b_.manager != 0) b_.entries.KillNotificationEvent(b_.manager, registration_);
    registration_ = 0;
}

bool NotifyWatch::ReadPort(PortVariableValue* value) {
    DWORD needed = 0;
    return b_.entries.GetPrinterStatusW != nullptr &&
           b_.entries.GetPrinterStatusW(b_.manager, u"Port", value, sizeof *value, &needed) == 0;
}

bool NotifyWatch::ReadPrinterName(WCHAR (&name)[MAX_PATH]) {
    DWORD needed = 0;
    if (b_.entries.GetPrinterStatusW == nullptr ||
        b_.entries.GetPrinterStatusW(b_.manager, u"PrinterName", name, sizeof name, &needed) != 0) {
        return false;
    }
    name[MAX_PATH - 1] = 0;  // the manager's value need not end in a NUL
    return true;
}

bool NotifyWatch::ReadTerminate(DWORD* value) {
    DWORD needed = 0;
    return b_.entries.GetPrinterStatusA(b_.manager, "TerminateManager", value, sizeof *value, &needed) == 0 &&
           needed == sizeof *value;
}

// What changed before the registration took effect is signalled to ourselves.
NotifyWatch::Checked NotifyWatch::InitialChecks() {
    PortVariableValue value{};
    if (!ReadPort(&value)) return Checked::End;
    if (!ManagerPortIsThisPort(port_, value)) SetEvent(events_[kPortChanged]);
    WCHAR name[MAX_PATH];
    if (!ReadPrinterName(name)) return Checked::End;
    if (lstrcmpW(name, b_.printerName) != 0) SetEvent(events_[kNameChanged]);
    DWORD terminate = 0;
    if (!ReadTerminate(&terminate)) return Checked::End;
    if (terminate != 0) {
        {
            PortLockHold lock(port_);
            port_.State |= port_state::SrmTerminate;
        }
        SetEvent(events_[kTerminate]);
    }
    return Checked::Wait;
}

// False when the binding went (or the manager could not be read).
bool NotifyWatch::OnPortChanged() {
    PortVariableValue value{};
    if (!ReadPort(&value)) return false;
    {
        PortLockHold lock(port_);
        SetBindingPortStatus(port_, b_, nullptr);
    }
    if (ManagerPortIsThisPort(port_, value)) return true;
    Remove("Port");
    return false;
}

bool NotifyWatch::OnNameChanged() {
    WCHAR name[MAX_PATH];
    if (!ReadPrinterName(name)) return false;
    if (name[0] == 0 || lstrcmpW(name, b_.printerName) == 0) return true;
    // The printer's named events follow its new name.
    HANDLE deleted = PrinterEvent(kDeletePrinterEventPrefix, name, false);
    HANDLE job = PrinterEvent(kJobEventPrefix, name, true);
    if (deleted == nullptr || job == nullptr) {
        Close(deleted);
        Close(job);
        Remove("PrinterName");
        return false;
    }
    Close(events_[kDeleted]);
    Close(events_[kJobArrived]);
    events_[kDeleted] = deleted;
    events_[kJobArrived] = job;
    PortLockHold lock(port_);
    lstrcpyW(b_.printerName, name);
    WriteTraceLine(&port_, kTraceAlways, "KJLMON:SrmNotifyThread -RENAMED-");
    return true;
}

// A job waits in the spooler while the port is idle: the printer is read once, and while the
// spooler shows an error the job watch follows it until the jobs can go.
void NotifyWatch::OnJobArrived() {
    if ((port_.State & (port_state::InJob | port_state::StatusThreadAlive)) != 0) return;
    if (CountWaitingJobsOf(port_, b_.printer) == 0) return;
    PortHold hold(port_);
    if (!hold.Take() || (port_.State & port_state::InJob) != 0) return;
    CheckDeviceId(port_);
    bool inError = false;
    {
        PortLockHold lock(port_);
        inError = port_.LastPortSeverity == PORT_STATUS_TYPE_ERROR;
    }
    if (inError) StartJobWatch(port_);
}

// Somebody else changed `PrinterExtStatus` (a watcher wants the status): polling is asked
// for as the status side asks for it. The monitor's own pushes come back here too and are
// ignored, or every end of polling would start it again. Every push records its value in the
// binding under the port's lock, and the manager is read under the same lock: while the
// manager still holds the value the monitor gave it last, no other client has written since,
// however late this notice comes and whatever the port's own table holds by then.
void NotifyWatch::OnExtChanged() {
    bool ours = false;
    {
        PortLockHold lock(port_);
        DWORD theirs = 0;
        DWORD needed = 0;
        ours = b_.extStatusPushedKnown != 0 &&
               b_.entries.GetPrinterStatusA(b_.manager, "PrinterExtStatus", &theirs, sizeof theirs, &needed) == 0 &&
               needed == sizeof theirs && theirs == b_.extStatusPushed;
    }
    if (ours) return;
    WCHAR name[] = u"Wake Up";
    LONG answer = 0;
    DWORD returned = 0;
    PJLMonGetPrinterDataFromPort(&port_, 0, name, nullptr, 0, reinterpret_cast<LPWSTR>(&answer), sizeof answer,
                                 &returned);
}

// The polling thread is asked to end and awaited, outside the port's lock (its passes need
// it). The wait also ends when the port stops, the binding is removed by someone else, or a
// new polling thread started meanwhile.
void NotifyWatch::StopPollingForRemoval() {
    DWORD starts = 0;
    HANDLE ended = nullptr;
    {
        PortLockHold lock(port_);
        if (port_.JobWatchRunning != 0 || (port_.State & port_state::StatusThreadAlive) == 0) return;
        port_.State &= ~port_state::PollingWanted;
        starts = port_.StatusThreadStarts;
        ended = port_.StatusThreadEnded;
    }
    port_.StatusThread.Signal();
    const HANDLE waits[] = {port_.StopEvent, b_.notify.Wake(), ended};
    const DWORD count = ended != nullptr ? 3 : 2;
    for (;;) {
        {
            PortLockHold lock(port_);
            if ((port_.State & port_state::StatusThreadAlive) == 0 || port_.StatusThreadStarts != starts) return;
        }
        const DWORD rc = WaitForMultipleObjects(count, waits, FALSE, port_.Waits.ClosePollMs);
        if (rc == WAIT_OBJECT_0 || rc == WAIT_OBJECT_0 + 1 || rc == WAIT_FAILED) return;
    }
}

void NotifyWatch::Remove(const char* why) {
    WriteTraceLine(&port_, kTraceAlways, "KJLMON:SrmNotifyThread -REMOVE- [%s]", why);
    Unregister();
    Close(events_[kDeleted]);
    Close(events_[kManagerStarted]);
    StopPollingForRemoval();
    Close(events_[kJobArrived]);
    PortLockHold lock(port_);
    RemoveBinding(port_, &b_);
}

void NotifyWatch::Run() {
    const SrmEntryPoints& e = b_.entries;
    if (IsShare(port_) || b_.manager == 0 || e.SetNotificationEventExA == nullptr || e.GetPrinterStatusA == nullptr ||
        e.KillNotificationEvent == nullptr) {
        return;
    }
    if (!MakeEvents() || !Register()) {
        WriteTraceLine(&port_, kTraceAlways, "KJLMON:SrmNotifyThread -NOT REGISTERED-");
        return;
    }
    if (InitialChecks() == Checked::End) return;
    for (;;) {
        const DWORD rc = WaitForMultipleObjects(kSlots, events_, FALSE, INFINITE);
        switch (rc) {
        case WAIT_OBJECT_0 + kStop:
            return;
        case WAIT_OBJECT_0 + kPortChanged:
            if (!OnPortChanged()) return;
            break;
        case WAIT_OBJECT_0 + kNameChanged:
            if (!OnNameChanged()) return;
            break;
        case WAIT_OBJECT_0 + kTerminate: {
            {
                PortLockHold lock(port_);
                port_.State |= port_state::SrmTerminate;
            }
            Remove("TerminateManager");
            return;
        }
        case WAIT_OBJECT_0 + kDeleted:
            Remove("DEL_PRN");
            return;
        case WAIT_OBJECT_0 + kManagerStarted: {
            // The manager started again: this connection is dead; the next scan binds anew.
            {
                PortLockHold lock(port_);
                if (b_.entries.CloseManager != nullptr) b_.entries.CloseManager(b_.manager);
                b_.manager = 0;
                registration_ = 0;  // ended with the connection
            }
            Remove("START_STATUS");
            return;
        }
        case WAIT_OBJECT_0 + kJobArrived:
            OnJobArrived();
            break;
        case WAIT_OBJECT_0 + kExtChanged:
            OnExtChanged();
            break;
        default:  // the binding ended, or the wait failed
            return;
        }
    }
}

DWORD SrmNotifyThread(LPVOID parameter) {
    auto& binding = *static_cast<SrmBinding*>(parameter);
    NotifyWatch watch(*binding.port, binding);
    watch.Run();
    return 0;
}

// The job watch goes on while it is not told to stop, no job runs on the port, no polling
// thread took over and a bound printer still has a job waiting.
bool JobWatchStopped(PortContext& port) {
    PortLockHold lock(port);
    return port.JobWatchStop != 0;
}

bool WatchGoesOn(PortContext& port) {
    if (JobWatchStopped(port) || (port.State & (port_state::Closing | port_state::InJob)) != 0) return false;
    if ((port.State & port_state::StatusThreadAlive) != 0) return false;
    PortLockHold lock(port);
    for (const SrmBinding* b = port.FirstBinding; b != nullptr; b = b->next) {
        if (CountWaitingJobsOf(port, b->printer) != 0) return true;
    }
    return false;
}

DWORD JobWatchThread(LPVOID parameter) {
    PortContext& port = *static_cast<PortContext*>(parameter);
    WriteTraceLine(&port, kTraceAlways, "KJLMON:JobWatchThread -START-");
    SetPollingFlag(port, true);
    const HANDLE waits[] = {port.JobWatch.Wake(), port.StopEvent};
    for (;;) {
        if (WaitForMultipleObjects(2, waits, FALSE, port.Waits.StatusQueuedMs) == WAIT_OBJECT_0 + 1) break;
        if (!WatchGoesOn(port)) break;
        PortHold hold(port);
        if (!hold.Take()) continue;
        if (JobWatchStopped(port) || (port.State & port_state::InJob) != 0) break;
        RebindStatusManager(port);
        {
            PortLockHold lock(port);
            ReapEndedBindings(port);
        }
        CheckDeviceId(port);
    }
    SetPollingFlag(port, (port.State & port_state::StatusThreadAlive) != 0);
    WriteTraceLine(&port, kTraceAlways, "KJLMON:JobWatchThread --END--");
    PortLockHold lock(port);
    port.JobWatchRunning = 0;
    return 0;
}

}  // namespace

bool StartNotifyThread(PortContext& port, SrmBinding& binding) {
    if (IsShare(port) || Stopped(port) || binding.notify.Held()) return false;
    binding.port = &port;
    if (!binding.notify.Start(SrmNotifyThread, &binding, kNotifyThreadStack, std::nullopt, &binding.notifyThreadId)) {
        WriteTraceLine(&port, kTraceAlways, "KJLMON:CreateThread failed with error %lu",
                       static_cast<unsigned long>(GetLastError()));
        return false;
    }
    return true;
}

bool StartJobWatch(PortContext& port) {
    PortLockHold lock(port);
    if (port.JobWatchRunning != 0 || Stopped(port) || (port.State & port_state::Closing) != 0) return false;
    // The last watch cleared its mark under this lock: it has nothing left to do but return.
    port.JobWatch.Join();
    if (port.JobWatch.Wake() == nullptr) return false;
    port.JobWatchStop = 0;
    port.JobWatchRunning = 1;
    if (!port.JobWatch.Start(JobWatchThread, &port, kJobWatchStack)) {
        port.JobWatchRunning = 0;
        return false;
    }
    return true;
}

void StopJobWatch(PortContext& port) {
    HANDLE thread = nullptr;
    {
        PortLockHold lock(port);
        port.JobWatchStop = 1;
        thread = port.JobWatch.Take();
    }
    port.JobWatch.Signal();
    PortThread::JoinTaken(thread);
}

}  // namespace langmon
