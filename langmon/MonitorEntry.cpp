// The monitor's entry: InitializePrintMonitor2 with its table, the opening and closing of
// ports, the port contexts and the port list, and taking a port.
#include <cstring>
#include <new>

#include "langmon/log/EventLog.h"
#include "langmon/job/JobFlow.h"
#include "langmon/job/JobQueue.h"
#include "langmon/status/NotifyThread.h"
#include "langmon/job/WritePaths.h"
#include "langmon/job/JobHeader.h"
#include "langmon/Monitor.h"
#include "langmon/printer/PortKind.h"
#include "langmon/PortSettings.h"
#include "langmon/log/PrintHistory.h"
#include "langmon/status/StatusPort.h"
#include "langmon/printer/StatusThread.h"
#include "langmon/log/TraceLog.h"
#include "platform/Modules.h"
#include "platform/Kernel.h"
#include "platform/Registry.h"
#include "platform/Sync.h"
#include "platform/Winsock.h"

namespace langmon {
namespace {

MonitorProcess g_process{};

// The library's own MONITOR2 table. Slots the monitor does not serve stay NULL: ports are
// added, configured and listed by the real port monitor below it.
const MONITOR2 kMonitorTable = {
    .cbSize = sizeof(MONITOR2),
    .pfnEnumPorts = nullptr,
    .pfnOpenPort = nullptr,
    .pfnOpenPortEx = PJLMonOpenPortEx,
    .pfnStartDocPort = PJLMonStartDocPort,
    .pfnWritePort = PJLMonWritePort,
    .pfnReadPort = PJLMonReadPort,
    .pfnEndDocPort = PJLMonEndDocPort,
    .pfnClosePort = PJLMonClosePort,
    .pfnAddPort = nullptr,
    .pfnAddPortEx = nullptr,
    .pfnConfigurePort = nullptr,
    .pfnDeletePort = nullptr,
    .pfnGetPrinterDataFromPort = PJLMonGetPrinterDataFromPort,
    .pfnSetPortTimeOuts = nullptr,
    .pfnXcvOpenPort = nullptr,
    .pfnXcvDataPort = nullptr,
    .pfnXcvClosePort = nullptr,
    .pfnShutdown = PJLMonShutdown,
};

// Job status bits of jobs that no longer wait: paused, deleting, printing, deleted, printed,
// and complete from 5.1 on.
constexpr DWORD kJobCountMaskOld = 0x195;
constexpr DWORD kJobCountMaskNew = 0x1195;

constexpr DWORD kSignatureOff = 0;

struct WaitSetting {
    LPCWSTR name;
    DWORD PortWaits::*field;
    DWORD defaultMs;
};
// Each wait is bounded by its default: a registry value can only shorten it. ClosePort's
// wait is the one the printer's driver names (GetClosePortTimeout); this only caps it.
constexpr WaitSetting kWaitSettings[] = {
    {u"PortMutexTimeout", &PortWaits::PortMutexMs, 30000},
    {u"ClosePortTimeout", &PortWaits::ClosePortMs, kMaxClosePortTimeoutMs},
    {u"ClosePortPollInterval", &PortWaits::ClosePollMs, 1000},
    {u"PendingOutputTimeout", &PortWaits::PendingOutputMs, 60000},
    {u"ServiceMutexTimeout", &PortWaits::ServiceMutexMs, 600000},
    {u"ServiceAnswerTimeout", &PortWaits::ServiceAnswerMs, 60000000},
    {u"RetryPause", &PortWaits::RetryPauseMs, 1000},
    {u"ComPortPause", &PortWaits::ComPauseMs, 100},
    {u"LostEndDocTimeout", &PortWaits::LostJobMs, 60000},
    {u"StatusQueuedInterval", &PortWaits::StatusQueuedMs, 3000},
    {u"StatusIdleInterval", &PortWaits::StatusIdleMs, 4000},
    {u"SuspendAckTimeout", &PortWaits::SuspendAckMs, 4000},
    {u"UsbResendPause", &PortWaits::UsbResendPauseMs, 4000},
    {u"UsbResendTimeout", &PortWaits::UsbResendMs, 60000},
    {u"EndedJobRecordPause", &PortWaits::EndedJobRecordMs, 150},
};

bool SameNameNoCase(LPCWSTR a, LPCWSTR b) { return lstrcmpiW(a, b) == 0; }

}  // namespace

MonitorProcess& Process() { return g_process; }

bool StartMonitorProcess(HMODULE module) {
    if (g_process.Started) return true;
    g_process.Heap = HeapCreate(0, 0x8000, 0);
    if (g_process.Heap == nullptr) return false;
    InitializeCriticalSection(&g_process.Lock);
    g_process.Ports = nullptr;
    g_process.Module = module;
    g_process.Started = true;
    return true;
}

void EndMonitorProcess() {
    if (!g_process.Started) return;
    EndEventLog();
    DeleteCriticalSection(&g_process.Lock);
    HeapDestroy(g_process.Heap);
    g_process = MonitorProcess{};
}

void* HeapAllocZero(size_t cb) {
    if (!g_process.Started) return nullptr;
    return HeapAlloc(g_process.Heap, HEAP_ZERO_MEMORY, cb);
}

void HeapFreeBlock(void* block) {
    if (block != nullptr && g_process.Started) HeapFree(g_process.Heap, 0, block);
}

LPWSTR HeapCopyString(LPCWSTR text, size_t maxChars) {
    if (text == nullptr) return nullptr;
    size_t cch = 0;
    while (cch <= maxChars && text[cch] != 0) ++cch;
    if (cch > maxChars) return nullptr;
    auto* copy = static_cast<LPWSTR>(HeapAllocZero((cch + 1) * sizeof(WCHAR)));
    if (copy == nullptr) return nullptr;
    for (size_t i = 0; i < cch; ++i) copy[i] = text[i];
    return copy;
}

bool QueryRootDword(const MONITORINIT* init, LPCWSTR name, DWORD* value) {
    if (init == nullptr || init->pMonitorReg == nullptr || init->pMonitorReg->fpQueryValue == nullptr) return false;
    DWORD type = 0;
    DWORD data = 0;
    DWORD cb = sizeof data;
    const LONG rc = init->pMonitorReg->fpQueryValue(init->hckRegistryRoot, name, &type, reinterpret_cast<PBYTE>(&data),
                                                    &cb, init->hSpooler);
    if (rc != static_cast<LONG>(ERROR_SUCCESS) || type != REG_DWORD || cb != sizeof data) return false;
    *value = data;
    return true;
}

PortWaits LoadWaits(const MONITORINIT* init) {
    PortWaits waits{};
    for (const WaitSetting& setting : kWaitSettings) {
        DWORD value = setting.defaultMs;
        if (QueryRootDword(init, setting.name, &value)) {
            if (value == 0) value = 1;
            if (value > setting.defaultMs) value = setting.defaultMs;
        }
        waits.*setting.field = value;
    }
    return waits;
}

PortContext* FindPort(LPCWSTR portName) {
    for (PortContext* p = g_process.Ports; p != nullptr; p = p->Next) {
        if (SameNameNoCase(p->PortName, portName)) return p;
    }
    return nullptr;
}

bool IsListed(const PortContext* port) {
    for (const PortContext* p = g_process.Ports; p != nullptr; p = p->Next) {
        if (p == port) return true;
    }
    return false;
}

namespace {

// The parts of a new context in order, false at the first that cannot be made; whatever was
// made stays for DestroyPortContext. The port's lock comes first: freeing the rest takes it.
bool MakePortParts(PortContext& port, LPCWSTR printerName) {
    port.PortLock = static_cast<CRITICAL_SECTION*>(HeapAllocZero(sizeof(CRITICAL_SECTION)));
    if (port.PortLock == nullptr) return false;
    InitializeCriticalSection(port.PortLock);
    if (printerName != nullptr && printerName[0] != 0) {
        port.PrinterName = HeapCopyString(printerName);
        if (port.PrinterName == nullptr) return false;
    }
    port.PortMutex = CreateMutexW(nullptr, FALSE, nullptr);
    port.StopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    port.SuspendAckEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // The threads' events live as long as the port: no thread ever finds one being made.
    const bool statusWake = port.StatusThread.MakeWake(false);
    port.StatusThreadEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const bool jobWatchWake = port.JobWatch.MakeWake(false);
    if (port.PortMutex == nullptr || port.StopEvent == nullptr || port.SuspendAckEvent == nullptr || !statusWake ||
        port.StatusThreadEnded == nullptr || !jobWatchWake) {
        return false;
    }
    ResetJobHeader(port);
    // The trace first, so that everything after it can be traced; a trace that cannot be
    // had leaves the port without one.
    port.Trace = NewTraceSettings(g_process.Heap);
    port.TraceOn = port.Trace != nullptr && port.Trace->on ? 1 : 0;
    port.Settings = LoadPortSettings(g_process.Heap);
    return port.Settings != nullptr && CreatePortVariables(port);
}

// Frees everything the context holds and the block itself: the one way a context goes, half
// made (CreatePortContext) or whole (DeletePortContext). Each part is freed when it was made.
// The port is out of the port list and its threads are joined or were never started.
void DestroyPortContext(PortContext* port) {
    if (port->PortLock != nullptr) {
        FreeJobQueue(*port);
        DeletePortVariables(*port);
        ResetPrintCheckInfo(*port);
    }
    FreePortSettings(g_process.Heap, port->Settings);
    FreeTraceSettings(g_process.Heap, port->Trace);
    port->Trace = nullptr;
    HeapFreeBlock(port->DocInfoCopy);
    HeapFreeBlock(port->Pending);
    HeapFreeBlock(port->PrinterName);
    for (HANDLE handle : {port->PortMutex, port->StopEvent, port->SuspendAckEvent, port->StatusThreadEnded}) {
        if (handle != nullptr) CloseHandle(handle);
    }
    port->StatusThread.Close();
    port->JobWatch.Close();
    if (port->PortLock != nullptr) {
        DeleteCriticalSection(port->PortLock);
        HeapFreeBlock(port->PortLock);
    }
    port->Signature = kPortPoisoned;
    HeapFreeBlock(port);
}

void StopPortThreads(PortContext& port) {
    // The stop event first: it keeps every thread from being started again meanwhile and is
    // what the notification threads end on.
    SetEvent(port.StopEvent);
    StopStatusThread(port);
    StopJobWatch(port);
    JoinBindingThreads(port);
}

bool PortHasThreads(PortContext& port) {
    PortLockHold lock(port);
    if (port.StatusThread.Held() || port.JobWatch.Held()) return true;
    for (SrmBinding* list : {port.FirstBinding, port.RetiredBindings}) {
        for (const SrmBinding* b = list; b != nullptr; b = b->next) {
            if (b->notify.Held()) return true;
        }
    }
    return false;
}

}  // namespace

PortContext* CreatePortContext(LPCWSTR portName, LPCWSTR printerName, const MonitorHandle& monitor) {
    const int cchName = lstrlenW(portName);
    const size_t cb = sizeof(PortContext) + (static_cast<size_t>(cchName) + 1) * sizeof(WCHAR);
    void* block = HeapAllocZero(cb);
    if (block == nullptr) return nullptr;
    auto* port = new (block) PortContext{};
    port->PortName = reinterpret_cast<LPWSTR>(static_cast<BYTE*>(block) + sizeof(PortContext));
    lstrcpyW(port->PortName, portName);
    port->Signature = kPortSignature;
    port->cbSize = static_cast<DWORD>(cb);
    port->State = port_state::JobEnded;
    port->LastDeviceCheckTick = static_cast<DWORD>(-1);
    port->Waits = monitor.Waits;
    port->ClosePortTimeoutMs = monitor.Waits.ClosePortMs;
    port->Monitor = &monitor;
    port->Ieee1284NotRead = 1;
    port->Ieee1284Mode[0] = 4;
    port->Ieee1284Mode[1] = 1;
    if (!MakePortParts(*port, printerName)) {
        DestroyPortContext(port);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    PortContext** tail = &g_process.Ports;
    while (*tail != nullptr) tail = &(*tail)->Next;
    *tail = port;
    return port;
}

bool DeletePortContext(PortContext* port) {
    PortContext** link = &g_process.Ports;
    while (*link != nullptr && *link != port) link = &(*link)->Next;
    if (*link == nullptr) return false;
    *link = port->Next;

    // No thread of the port may outlive it, even when the caller did not stop them.
    StopPortThreads(*port);
    DestroyPortContext(port);
    return true;
}

DWORD WaitSpoolerFunc(PortContext& port) {
    if ((port.PortKind & port_kind::Share) != 0) return 0;
    const DWORD rc = WaitForSingleObject(port.PortMutex, port.Waits.PortMutexMs);
    // A mutex left by a thread that ended while holding it is still ours now.
    if (rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED_0) return 0;
    WriteTraceLine(&port, kTraceAlways, "-WaitSpoolerFunc() -> TIMEOUT-");
    return WAIT_TIMEOUT;
}

void ReleaseSpoolerFunc(PortContext& port) {
    if ((port.PortKind & port_kind::Share) != 0) return;
    ReleaseMutex(port.PortMutex);
}

bool PortHold::Take(int tries) {
    if (held_) return true;
    for (int i = 0; i < tries; ++i) {
        if (WaitSpoolerFunc(port_) == 0) {
            held_ = true;
            return true;
        }
    }
    return false;
}

void PortHold::Release() {
    if (!held_) return;
    held_ = false;
    ReleaseSpoolerFunc(port_);
}

PortLockHold::PortLockHold(PortContext& port) : port_(port) {
    EnterCriticalSection(port_.PortLock);
    ++port_.PortLockDepth;
}

PortLockHold::~PortLockHold() {
    --port_.PortLockDepth;
    LeaveCriticalSection(port_.PortLock);
}

ProcessLockHold::ProcessLockHold() {
    EnterCriticalSection(&g_process.Lock);
    ++g_process.LockDepth;
}

ProcessLockHold::~ProcessLockHold() {
    --g_process.LockDepth;
    LeaveCriticalSection(&g_process.Lock);
}

PortPrinterName::PortPrinterName(PortContext& port) {
    PortLockHold lock(port);
    if (port.PrinterName != nullptr && lstrlenW(port.PrinterName) < MAX_PATH) lstrcpyW(name_, port.PrinterName);
}

bool StorePrinterName(PortContext& port, LPCWSTR printerName) {
    if (printerName == nullptr || printerName[0] == 0) return true;
    PortLockHold lock(port);
    if (port.PrinterName != nullptr && lstrcmpW(port.PrinterName, printerName) == 0) return true;
    LPWSTR copy = HeapCopyString(printerName);
    if (copy == nullptr) return false;
    HeapFreeBlock(port.PrinterName);
    port.PrinterName = copy;
    return true;
}

namespace {

// The settings block of an opened port, written once when the trace is on.
void TraceOpenSettings(PortContext& port) {
    if (port.Trace == nullptr || !port.Trace->on) return;
    WCHAR module[MAX_PATH] = {};
    if (GetModuleFileNameW(Process().Module, module, MAX_PATH) == 0) module[0] = 0;
    CHAR moduleAnsi[2 * MAX_PATH];
    CHAR printer[2 * MAX_PATH];
    CHAR portName[2 * MAX_PATH];
    ToAnsi(module, moduleAnsi, sizeof moduleAnsi);
    const PortPrinterName printerName(port);
    ToAnsi(printerName.get() != nullptr ? printerName.get() : u"", printer, sizeof printer);
    ToAnsi(port.PortName, portName, sizeof portName);
    const PortSettings& s = *port.Settings;
    PortContext* p = &port;
    WriteTraceLine(p, kTraceAlways, "KJLMON:PJLMonOpenPortEx settings -START-");
    WriteTraceText(p, kTraceAlways, "TRACE LOG LEVEL [%08lx]\r\n", static_cast<unsigned long>(port.Trace->flags));
    WriteTraceText(p, kTraceAlways, "FileName   :%s\r\n", moduleAnsi);
    WriteTraceText(p, kTraceAlways, "P Version  :%s\r\n", "1.000.000.00");
    WriteTraceText(p, kTraceAlways, "F Version  :%s\r\n", "1.000.001.17");
    WriteTraceText(p, kTraceAlways, "PrinterName:%s\r\n", printer);
    WriteTraceText(p, kTraceAlways, "PortName   :%s\r\n", portName);
    WriteTraceText(p, kTraceAlways, "dwPortStatus      [%08lx]\r\n", static_cast<unsigned long>(port.PortKind));
    WriteTraceText(p, kTraceAlways, "Reg reading Step  [%8lu]\r\n", static_cast<unsigned long>(s.readStep));
    WriteTraceText(p, kTraceAlways, "bVariablePolling  [%08x]\r\n", static_cast<unsigned>(s.variablePolling));
    WriteTraceText(p, kTraceAlways, "dwPollingIntervals[%8lu]msec\r\n", static_cast<unsigned long>(s.pollingIntervalMs));
    WriteTraceText(p, kTraceAlways, "dwSNMPIntervals   [%8lu]msec\r\n", static_cast<unsigned long>(s.oidIntervalMs));
    WriteTraceText(p, kTraceAlways, "dwSNMP_PWOFF      [%8lu]times\r\n", static_cast<unsigned long>(s.maxPowerOffTries));
    WriteTraceText(p, kTraceAlways, "dwDevIDLevel      [%8lu]times\r\n", static_cast<unsigned long>(s.checkDid));
    WriteTraceText(p, kTraceAlways, "KJLMON:PJLMonOpenPortEx settings --END--\r\n\r\n");
}

MonitorHandle* MonitorFromHandle(HANDLE handle) {
    auto* monitor = static_cast<MonitorHandle*>(handle);
    if (monitor == nullptr || monitor->Signature != kMonitorSignature) return nullptr;
    return monitor;
}

MONITOR2* Initialize(MONITORINIT* init, HANDLE* phMonitor) {
    if (init == nullptr || phMonitor == nullptr || init->hSpooler == nullptr || init->hckRegistryRoot == nullptr ||
        init->pMonitorReg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* monitor = static_cast<MonitorHandle*>(HeapAllocZero(sizeof(MonitorHandle)));
    if (monitor == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    monitor->Signature = kMonitorSignature;
    monitor->Init = init;
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExW(&version)) {
        monitor->WinMajor = version.dwMajorVersion;
        monitor->WinMinor = version.dwMinorVersion;
    }
    const bool atLeast51 = monitor->WinMajor > 5 || (monitor->WinMajor == 5 && monitor->WinMinor >= 1);
    monitor->JobCountMask = atLeast51 ? kJobCountMaskNew : kJobCountMaskOld;
    monitor->Waits = LoadWaits(init);
    LoadEventLogSettings(init);
    EventLogLine(u"ZEV KV-TD520 LanguageMonitorをデバッグモードで開始しました。", EventType::Message);
    *phMonitor = monitor;
    return const_cast<MONITOR2*>(&kMonitorTable);
}

// Sockets serve every port of the process: started with the first port that opens, stopped
// when the last one closes. Only SNMP ports use them, so a port still opens without them;
// the next open tries again. The caller holds the process lock.
void StartSockets(PortContext& port) {
    MonitorProcess& process = Process();
    if (process.SocketsStarted) return;
    WSADATA data;
    const int error = WSAStartup(MAKEWORD(1, 1), &data);
    if (error != 0) {
        WriteTraceLine(&port, kTraceAlways, "KJLMON:WSAStartup -ERROR- (%d)", error);
        return;
    }
    process.SocketsStarted = true;
}

void StopSockets() {
    MonitorProcess& process = Process();
    if (!process.SocketsStarted) return;
    WSACleanup();
    process.SocketsStarted = false;
}

// What an entry gives the spooler: its result, and on failure the last error it leaves.
struct EntryResult {
    bool ok;
    DWORD error;
};
constexpr EntryResult Succeeded() { return {true, ERROR_SUCCESS}; }
constexpr EntryResult Failed(DWORD error) { return {false, error}; }

// The last error is set here alone, on the way out of the export.
BOOL Answer(EntryResult result) {
    if (result.ok) return TRUE;
    SetLastError(result.error);
    return FALSE;
}

// The opening of a port, holding the process lock. `*watched` is the port when its printer is
// watched: it is polled from now on, once the lock is left.
[[nodiscard]] EntryResult OpenListedPort(MonitorHandle& monitor, HANDLE hMonitorPort, LPWSTR portName,
                                         LPWSTR printerName, HANDLE* pHandle, MONITOR2* portMonitor,
                                         PortContext** watched) {
    if (FindPort(portName) != nullptr) return Failed(ERROR_BUSY);
    PortContext* port = CreatePortContext(portName, printerName, monitor);
    if (port == nullptr) return Failed(GetLastError());
    WriteTraceLine(port, kTraceAlways, "KJLMON:PJLMonOpenPortEx -START-");
    if (!GetPrintCheckInfo(*port)) {
        DeletePortContext(port);
        return Failed(ERROR_NOT_ENOUGH_MEMORY);
    }
    const DWORD closeTimeout = GetClosePortTimeout(printerName);
    port->ClosePortTimeoutMs = closeTimeout < monitor.Waits.ClosePortMs ? closeTimeout : monitor.Waits.ClosePortMs;
    WriteTraceText(port, kTraceAlways, "ClosePortTimeout = [%lu]\r\n",
                   static_cast<unsigned long>(port->ClosePortTimeoutMs));

    // A real monitor's table may be shorter than ours: copy what it has, the rest stays NULL.
    const size_t cbCopy = portMonitor->cbSize < sizeof(MONITOR2) ? portMonitor->cbSize : sizeof(MONITOR2);
    std::memcpy(&port->PortMonitor, portMonitor, cbCopy);

    HANDLE portHandle = nullptr;
    if (!portMonitor->pfnOpenPort(hMonitorPort, portName, &portHandle)) {
        // The port monitor's error is the spooler's answer.
        const DWORD error = GetLastError();
        DeletePortContext(port);
        return Failed(error);
    }
    port->PortMonitorPort = portHandle;
    *pHandle = port;
    StartSockets(*port);
    port->PortKind = DetectPortKind(portName, monitor.WinMajor);
    // A followed port binds its printer now, so that its status shows before a job.
    if ((port->PortKind & port_kind::Bound) != 0 && port->PrinterName != nullptr) {
        PortLockHold lock(*port);
        *watched = LoadStatusManager(*port, port->PrinterName, true) != nullptr ? port : nullptr;
    }
    UpdatePrinterExtStatus(*port);
    SetPrinterStatusUnknown(*port, true);
    TraceOpenSettings(*port);
    return Succeeded();
}

[[nodiscard]] EntryResult OpenPortEx(MonitorHandle& monitor, HANDLE hMonitorPort, LPWSTR portName,
                                     LPWSTR printerName, HANDLE* pHandle, MONITOR2* portMonitor) {
    // The spooler's placeholder for network printers is no port of ours.
    if (lstrcmpW(portName, u"NExx:") == 0) return Failed(kErrorNetworkPlaceholder);
    if (portMonitor->cbSize < offsetof(MONITOR2, pfnOpenPortEx) || portMonitor->pfnOpenPort == nullptr) {
        return Failed(ERROR_INVALID_PARAMETER);
    }
    PortContext* watched = nullptr;
    EntryResult result{};
    {
        ProcessLockHold lock;
        result = OpenListedPort(monitor, hMonitorPort, portName, printerName, pHandle, portMonitor, &watched);
    }
    if (result.ok && watched != nullptr) RequestPolling(*watched);
    return result;
}

[[nodiscard]] EntryResult ClosePort(PortContext& port) {
    bool listed = false;
    {
        ProcessLockHold lock;
        listed = IsListed(&port);
    }
    if (!listed) return Succeeded();
    WriteTraceLine(&port, kTraceAlways, "KJLMON:PJLMonClosePort -START-");
    {
        // The job tracking writes the history while it holds the port.
        PortHold hold(port);
        if (hold.Take()) ResetPrintCheckInfo(port);
    }

    // Queued jobs get their time to finish; the wait is bounded and never holds a lock.
    port.State |= port_state::Closing;
    for (DWORD waited = 0; JobQueueLength(port) != 0 && waited < port.ClosePortTimeoutMs;
         waited += port.Waits.ClosePollMs) {
        Sleep(port.Waits.ClosePollMs);
    }
    // The jobs still queued go with the port held, as every change of the job state does; a
    // port that stays taken has them dropped once its threads are gone.
    bool jobsDropped = JobQueueLength(port) == 0;
    if (!jobsDropped) {
        WriteTraceLine(&port, kTraceAlways, "KJLMON:PJLMonClosePort -ClosePortTimeout-");
        PortHold hold(port);
        if (hold.Take()) {
            DeleteJob(port, false);
            jobsDropped = true;
        }
    }
    // Every thread of the port ends before anything of it goes: the polling thread, the job
    // watch and the notification thread of each bound printer, each joined, none while a
    // lock it may need is held here.
    StopPortThreads(port);
    if (!jobsDropped) DeleteJob(port, false);
    ResetPrintCheckInfo(port);

    BOOL closed = TRUE;
    DWORD error = ERROR_SUCCESS;
    if (port.PortMonitor.pfnClosePort != nullptr) {
        PortLockHold lock(port);
        closed = port.PortMonitor.pfnClosePort(port.PortMonitorPort);
        if (!closed) error = GetLastError();
    }
    // The printers still on the port hear that it closed; those that left it are dropped.
    SyncBoundPrinters(port);
    ResetPrinterStatus(port);
    WriteTraceLine(&port, kTraceAlways, "KJLMON:PJLMonClosePort -END-");

    {
        ProcessLockHold lock;
        DeletePortContext(&port);
        if (Process().Ports == nullptr) StopSockets();
    }
    // The context is gone whatever the port monitor said: the spooler will not use it again.
    return closed ? Succeeded() : Failed(error);
}

}  // namespace

}  // namespace langmon

using namespace langmon;

DLL_EXPORT MONITOR2* InitializePrintMonitor2(MONITORINIT* pMonitorInit, HANDLE* phMonitor) noexcept {
    if (!Process().Started) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return Initialize(pMonitorInit, phMonitor);
}

BOOL PJLMonOpenPortEx(HANDLE hMonitor, HANDLE hMonitorPort, LPWSTR pPortName, LPWSTR pPrinterName, HANDLE* pHandle,
                      MONITOR2* pMonitor2) noexcept {
    MonitorHandle* monitor = MonitorFromHandle(hMonitor);
    if (monitor == nullptr || pPortName == nullptr || pHandle == nullptr || pMonitor2 == nullptr ||
        lstrlenW(pPortName) == 0) {
        return Answer(Failed(ERROR_INVALID_PARAMETER));
    }
    return Answer(OpenPortEx(*monitor, hMonitorPort, pPortName, pPrinterName, pHandle, pMonitor2));
}

BOOL PJLMonClosePort(HANDLE hPort) noexcept {
    PortContext* port = PortFromHandle(hPort);
    if (port == nullptr) return Answer(Failed(ERROR_INVALID_PARAMETER));
    return Answer(ClosePort(*port));
}

BOOL PJLMonShutdown(HANDLE hMonitor) noexcept {
    MonitorHandle* monitor = MonitorFromHandle(hMonitor);
    if (monitor == nullptr) return Answer(Failed(ERROR_INVALID_PARAMETER));
    // No thread may outlive the monitor, even of a port the spooler never closed. Joined under
    // the process lock, which none of them takes, so no port can be closed and freed meanwhile.
    {
        ProcessLockHold lock;
        for (PortContext* p = Process().Ports; p != nullptr; p = p->Next) {
            if (p->Monitor == monitor && PortHasThreads(*p)) StopPortThreads(*p);
        }
    }
    monitor->Signature = kSignatureOff;
    return HeapFree(Process().Heap, 0, monitor);
}
