// The monitor's entry: InitializePrintMonitor2 with its table, the opening and closing of
// ports and the shutdown of the monitor.
#include <cstring>

#include "langmon/MonitorProcess.h"
#include "langmon/MonitorRegistry.h"
#include "langmon/PortHolds.h"
#include "langmon/PortList.h"
#include "langmon/PortSettings.h"
#include "langmon/job/JobEntries.h"
#include "langmon/job/JobQueue.h"
#include "langmon/log/EventLog.h"
#include "langmon/log/PrintHistory.h"
#include "langmon/log/TraceLog.h"
#include "langmon/printer/PortKind.h"
#include "langmon/printer/StatusThread.h"
#include "langmon/status/StatusPort.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Sync.h"
#include "platform/Winsock.h"

namespace langmon {
namespace {

constexpr DWORD kErrorNetworkPlaceholder = 3007;  // "NExx:" cannot be opened

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
