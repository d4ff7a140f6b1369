// The port contexts: made whole or not at all, linked at the tail of the port list, found by
// name, and freed with every part they hold once their threads have ended.
#include "langmon/PortList.h"

#include <new>

#include "langmon/PortHolds.h"
#include "langmon/PortSettings.h"
#include "langmon/job/JobHeader.h"
#include "langmon/job/JobQueue.h"
#include "langmon/log/PrintHistory.h"
#include "langmon/log/TraceLog.h"
#include "langmon/printer/StatusThread.h"
#include "langmon/status/NotifyThread.h"
#include "langmon/status/StatusPort.h"
#include "platform/Kernel.h"
#include "platform/Sync.h"

namespace langmon {
namespace {

bool SameNameNoCase(LPCWSTR a, LPCWSTR b) { return lstrcmpiW(a, b) == 0; }

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
    port.Trace = NewTraceSettings(Process().Heap);
    port.TraceOn = port.Trace != nullptr && port.Trace->on ? 1 : 0;
    port.Settings = LoadPortSettings(Process().Heap);
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
    FreePortSettings(Process().Heap, port->Settings);
    FreeTraceSettings(Process().Heap, port->Trace);
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

}  // namespace

PortContext* FindPort(LPCWSTR portName) {
    for (PortContext* p = Process().Ports; p != nullptr; p = p->Next) {
        if (SameNameNoCase(p->PortName, portName)) return p;
    }
    return nullptr;
}

bool IsListed(const PortContext* port) {
    for (const PortContext* p = Process().Ports; p != nullptr; p = p->Next) {
        if (p == port) return true;
    }
    return false;
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

    PortContext** tail = &Process().Ports;
    while (*tail != nullptr) tail = &(*tail)->Next;
    *tail = port;
    return port;
}

bool DeletePortContext(PortContext* port) {
    PortContext** link = &Process().Ports;
    while (*link != nullptr && *link != port) link = &(*link)->Next;
    if (*link == nullptr) return false;
    *link = port->Next;

    // No thread of the port may outlive it, even when the caller did not stop them.
    StopPortThreads(*port);
    DestroyPortContext(port);
    return true;
}

}  // namespace langmon
