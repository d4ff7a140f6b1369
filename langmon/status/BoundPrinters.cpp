// The printers bound to a port: making and ending one binding, reconnecting bindings that
// have no manager, and the scan that keeps the bindings in step with the spooler's printers.
#include "langmon/status/BoundPrinters.h"

#include "langmon/MonitorProcess.h"
#include "langmon/PortHolds.h"
#include "langmon/status/NotifyThread.h"
#include "langmon/job/PortCalls.h"
#include "langmon/printer/PrinterState.h"
#include "langmon/status/StatusPort.h"
#include "langmon/log/TraceLog.h"
#include "platform/Modules.h"
#include "platform/Owners.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/Sync.h"

namespace langmon {
namespace {

constexpr WCHAR kPrintersKey[] = u"System\\CurrentControlSet\\control\\Print\\Printers\\";
constexpr WCHAR kStanvelKey[] = u"SOFTWARE\\ZEV\\Stanvel\\Printers\\";
constexpr WCHAR kStatusVariablesLeaf[] = u"\\Status Variables";
constexpr int kSpoolerTries = 3;  // the list may grow between the size query and the read

// "<prefix><name><suffix>" in a MAX_PATH buffer; false when it does not fit.
bool KeyPath(LPCWSTR prefix, LPCWSTR name, LPCWSTR suffix, LPWSTR out) {
    const int a = lstrlenW(prefix);
    const int b = lstrlenW(name);
    const int c = lstrlenW(suffix);
    if (a + b + c + 1 > MAX_PATH) return false;
    lstrcpyW(out, prefix);
    lstrcpyW(out + a, name);
    lstrcpyW(out + a + b, suffix);
    return true;
}

// The printer's driver from the spooler's registry. A printer name's backslashes are stored
// as commas; a driver name with one could reach another key and is refused.
bool ReadDriverName(LPCWSTR printer, LPWSTR driver, DWORD cchDriver) {
    WCHAR name[MAX_PATH];
    if (lstrlenW(printer) >= MAX_PATH) return false;
    lstrcpyW(name, printer);
    for (WCHAR* c = name; *c != 0; ++c) {
        if (*c == u'\\') *c = u',';
    }
    WCHAR path[MAX_PATH];
    RegistryKey key;
    if (!KeyPath(kPrintersKey, name, u"", path) ||
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.Out()) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = REG_NONE;
    DWORD cb = (cchDriver - 1) * sizeof(WCHAR);
    if (RegQueryValueExW(key.Get(), u"Printer Driver", nullptr, &type, reinterpret_cast<LPBYTE>(driver), &cb) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return false;
    }
    driver[cb / sizeof(WCHAR) < cchDriver ? cb / sizeof(WCHAR) : cchDriver - 1] = 0;
    for (const WCHAR* c = driver; *c != 0; ++c) {
        if (*c == u'\\') return false;
    }
    return driver[0] != 0;
}

bool HasStatusVariablesKey(LPCWSTR driver) {
    WCHAR path[MAX_PATH];
    RegistryKey key;
    return KeyPath(kStanvelKey, driver, kStatusVariablesLeaf, path) &&
           RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.Out()) == ERROR_SUCCESS;
}

// The driver's key, or the same name without the maker's prefix, has "Status Variables".
bool IsStatusMonitoredPrinter(LPCWSTR driver) {
    if (HasStatusVariablesKey(driver)) return true;
    const WCHAR prefix[] = u"ZEV ";
    for (int i = 0; i < 4; ++i) {
        if (driver[i] != prefix[i]) return false;
    }
    return HasStatusVariablesKey(driver + 4);
}

ULONGLONG ModelMaskOfDriver(LPCWSTR driver) {
    return lstrcmpW(driver, kSupportedDriverName) == 0 ? kKvTd520ModelMask : 0;
}

void LoadLibraryIfMonitored(SrmBinding& binding) {
    WCHAR driver[MAX_PATH];
    if (binding.module == nullptr && ReadDriverName(binding.printerName, driver, MAX_PATH) &&
        IsStatusMonitoredPrinter(driver)) {
        binding.module = LoadStatusManagerLibrary(&binding.entries);
    }
}

// The binding's thread has been joined (or never ran): everything it owns goes.
void FreeBinding(SrmBinding* binding) {
    binding->notify.Signal();
    binding->notify.Close();
    if (binding->printerOpened != nullptr) CloseHandle(binding->printerOpened);
    if (binding->printer != nullptr) ClosePrinter(binding->printer);
    if (binding->callbackId != 0 && binding->entries.KillNotificationCallback != nullptr) {
        binding->entries.KillNotificationCallback(binding->manager, binding->callbackId);
    }
    if (binding->manager != 0 && binding->entries.CloseManager != nullptr) {
        binding->entries.CloseManager(binding->manager);
    }
    if (binding->module != nullptr) FreeLibrary(binding->module);
    HeapFreeBlock(binding);
}

// The manager's own view of the printer must name this port, or no port at all, and the
// manager must not be ending.
bool ManagerAcceptsPort(PortContext& port, SrmBinding& binding) {
    const SrmEntryPoints& e = binding.entries;
    if (e.GetPrinterStatusW == nullptr || e.GetPrinterStatusA == nullptr) return false;
    PortVariableValue value{};
    DWORD needed = 0;
    if (e.GetPrinterStatusW(binding.manager, u"Port", &value, sizeof value, &needed) != 0) return false;
    DWORD terminate = 0;
    if (e.GetPrinterStatusA(binding.manager, "TerminateManager", &terminate, sizeof terminate, &needed) != 0 ||
        needed != sizeof terminate) {
        return false;
    }
    if (terminate != 0) {
        port.State |= port_state::SrmTerminate;
        return false;
    }
    return ManagerPortIsThisPort(port, value);
}

// The spooler's port status as the current PrinterStatus gives it.
void GiveSpoolerPortStatus(PortContext& port) {
    PrinterStatusValue status{};
    const bool known = port.Variables != nullptr && port.Variables->ReadStatus(&status);
    UpdateSpoolerPortStatus(port, known ? &status : nullptr);
}

// A binding linked without a manager tries again: false when the manager now refuses it.
bool Reconnect(PortContext& port, SrmBinding& binding) {
    LoadLibraryIfMonitored(binding);
    if (binding.entries.OpenManagerExW == nullptr) return true;
    DWORD manager = 0;
    if (binding.entries.OpenManagerExW(binding.printerName, kSrmMonitorClient, kSrmMonitorMode, &manager) != 0 ||
        manager == 0) {
        return true;
    }
    binding.manager = manager;
    ApplyDefaultStatus(port, false);
    ResetConfigVariables(port, false);
    if (!ManagerAcceptsPort(port, binding)) return false;
    ReplayVariables(port, binding);
    StartNotifyThread(port, binding);
    GiveSpoolerPortStatus(port);
    return true;
}

// A thread that has ended is joined here; true while one runs.
bool NotifyThreadRuns(SrmBinding& binding) {
    if (!binding.notify.Held()) return false;
    if (binding.joining != 0 || !binding.notify.Ended()) return true;
    binding.notify.Join();
    return false;
}

// The spooler's local printers at level 5 in `block`; false when they cannot be read.
bool EnumLocalPrinters(HeapBuffer& block, DWORD* count) {
    *count = 0;
    DWORD needed = 0;
    DWORD returned = 0;
    if (EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 5, nullptr, 0, &needed, &returned)) return true;  // none
    for (int attempt = 0; attempt < kSpoolerTries; ++attempt) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || !block.Resize(needed)) return false;
        if (EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 5, block.get(), needed, &needed, &returned)) {
            *count = returned;
            return true;
        }
    }
    return false;
}

// The language monitor that the printer's driver names; false when it cannot be read.
bool ReadMonitorName(LPCWSTR printer, LPWSTR out, int cchOut) {
    if (printer == nullptr || lstrlenW(printer) >= MAX_PATH) return false;
    const PrinterHandle handle = OpenPrinterForUse(printer);
    if (!handle.Valid()) return false;
    HeapBuffer block;
    DWORD needed = 0;
    if (GetPrinterDriverW(handle.Get(), nullptr, 3, nullptr, 0, &needed) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || !block.Resize(needed) ||
        !GetPrinterDriverW(handle.Get(), nullptr, 3, block.get(), needed, &needed)) {
        return false;
    }
    const auto* info = reinterpret_cast<const DRIVER_INFO_3W*>(block.get());
    LPCWSTR name = info->pMonitorName != nullptr ? info->pMonitorName : u"";
    if (lstrlenW(name) >= cchOut) return false;
    lstrcpyW(out, name);
    return true;
}

// "\\server\share": a connection to another machine's printer, not a port of this one.
bool IsNetworkConnection(LPCWSTR port) {
    if (port == nullptr || port[0] != u'\\' || port[1] != u'\\') return false;
    int more = 0;
    for (LPCWSTR c = port + 2; *c != 0; ++c) more += *c == u'\\' ? 1 : 0;
    return more == 1;
}

// The scan's verdict on one printer of the spooler's list.
bool KeepPrinter(const PortContext& port, const PRINTER_INFO_5W& info, LPCWSTR monitorName) {
    if (info.pPrinterName == nullptr || info.pPortName == nullptr || lstrcmpiW(info.pPortName, port.PortName) != 0 ||
        IsNetworkConnection(info.pPortName)) {
        return false;
    }
    WCHAR name[MAX_PATH];
    return ReadMonitorName(info.pPrinterName, name, MAX_PATH) && lstrcmpiW(name, monitorName) == 0;
}

}  // namespace

SrmBinding* FindBinding(PortContext& port, LPCWSTR printer) {
    if (printer == nullptr) return nullptr;
    for (SrmBinding* b = port.FirstBinding; b != nullptr; b = b->next) {
        if (lstrcmpiW(b->printerName, printer) == 0) return b;
    }
    return nullptr;
}

bool ManagerPortIsThisPort(const PortContext& port, const PortVariableValue& value) {
    if (value.First == 0) return true;
    if (value.Second[0] != 0) return false;
    // The whole name: a longer name that begins like this port's is another port.
    WCHAR name[128];
    for (int i = 0; i < 127; ++i) name[i] = value.PortName[i];
    name[127] = 0;
    return lstrcmpiW(name, port.PortName) == 0;
}

SrmBinding* LoadStatusManager(PortContext& port, LPCWSTR printer, bool replay) {
    if ((port.PortKind & port_kind::Share) != 0 || (port.State & port_state::SrmTerminate) != 0) return nullptr;
    if (printer == nullptr || printer[0] == 0 || lstrlenW(printer) >= MAX_PATH) return nullptr;
    WCHAR driver[MAX_PATH];
    if (!ReadDriverName(printer, driver, MAX_PATH)) return nullptr;
    const ULONGLONG mask = ModelMaskOfDriver(driver);
    if (mask == 0) return nullptr;

    auto* binding = static_cast<SrmBinding*>(HeapAllocZero(sizeof(SrmBinding)));
    if (binding == nullptr) return nullptr;
    lstrcpyW(binding->printerName, printer);
    binding->modelMask = mask;
    binding->port = &port;
    binding->printerOpened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const bool endEventMade = binding->notify.MakeWake(true);
    if (binding->printerOpened == nullptr || !endEventMade) {
        FreeBinding(binding);
        return nullptr;
    }
    if (IsStatusMonitoredPrinter(driver)) binding->module = LoadStatusManagerLibrary(&binding->entries);

    DWORD manager = 0;
    const bool opened = binding->entries.OpenManagerExW != nullptr &&
                        binding->entries.OpenManagerExW(printer, kSrmMonitorClient, kSrmMonitorMode, &manager) == 0 &&
                        manager != 0;
    if (opened) {
        binding->manager = manager;
        if (!ManagerAcceptsPort(port, *binding)) {
            WriteTraceLine(&port, kTraceAlways, "KJLMON:LoadStatusManager -REFUSED-");
            FreeBinding(binding);
            return nullptr;
        }
    }
    SrmBinding** tail = &port.FirstBinding;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = binding;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!OpenPrinterW(binding->printerName, &binding->printer, &defaults)) binding->printer = nullptr;
    SetEvent(binding->printerOpened);
    if (!opened) return binding;
    if (replay) ReplayVariables(port, *binding);
    StartNotifyThread(port, *binding);
    GiveSpoolerPortStatus(port);
    return binding;
}

void RemoveBinding(PortContext& port, SrmBinding* binding) {
    SrmBinding** link = &port.FirstBinding;
    while (*link != nullptr && *link != binding) link = &(*link)->next;
    if (*link == nullptr) return;
    *link = binding->next;
    if (port.CurrentBinding == binding) {
        port.CurrentBinding = nullptr;
        port.BindingBound = 0;
    }
    for (JobQueueEntry* e = port.QueueHead; e != nullptr; e = e->Next) {
        if (e->Binding == binding) e->Binding = nullptr;
    }
    binding->notify.Signal();
    // The spooler no longer shows a status for this printer.
    SetBindingPortStatus(port, *binding, nullptr);
    // Freed later: its thread may still run, and a holder of the port mutex may still use it.
    binding->next = port.RetiredBindings;
    port.RetiredBindings = binding;
}

void ReapEndedBindings(PortContext& port) {
    SrmBinding** link = &port.RetiredBindings;
    while (*link != nullptr) {
        SrmBinding* binding = *link;
        if (NotifyThreadRuns(*binding)) {
            link = &binding->next;
            continue;
        }
        *link = binding->next;
        FreeBinding(binding);
    }
}

void JoinBindingThreads(PortContext& port) {
    for (;;) {
        SrmBinding* target = nullptr;
        HANDLE thread = nullptr;
        {
            PortLockHold lock(port);
            for (SrmBinding* list : {port.FirstBinding, port.RetiredBindings}) {
                for (SrmBinding* b = list; b != nullptr && target == nullptr; b = b->next) {
                    if (b->notify.Held() && b->joining == 0) target = b;
                }
            }
            if (target == nullptr) {
                // Every thread is joined (or being joined by another caller): free what is free.
                ReapEndedBindings(port);
                return;
            }
            target->joining = 1;
            thread = target->notify.Handle();
        }
        // Never under the port's lock: the thread may need it on its way out.
        PortThread::AwaitEnd(thread);
        PortLockHold lock(port);
        target->notify.Join();
        target->joining = 0;
    }
}

void SyncBoundPrinters(PortContext& port) {
    if ((port.PortKind & port_kind::Share) != 0) return;
    // The spooler is asked outside the port's lock; only the decisions are made under it.
    HeapBuffer list;
    DWORD count = 0;
    if (!EnumLocalPrinters(list, &count)) {
        WriteTraceLine(&port, kTraceAlways, "KJLMON:SyncBoundPrinters EnumPrintersW failed with error %lu",
                       static_cast<unsigned long>(GetLastError()));
        return;
    }
    WCHAR portPrinter[MAX_PATH] = {};
    {
        PortLockHold lock(port);
        if (port.PrinterName != nullptr && lstrlenW(port.PrinterName) < MAX_PATH) lstrcpyW(portPrinter, port.PrinterName);
    }
    WCHAR monitorName[MAX_PATH];
    if (portPrinter[0] == 0 || !ReadMonitorName(portPrinter, monitorName, MAX_PATH)) {
        lstrcpyW(monitorName, kDefaultMonitorName);
    }
    const auto* printers = reinterpret_cast<const PRINTER_INFO_5W*>(list.get());
    HeapBuffer keep;
    if (!keep.Resize(count)) return;
    for (DWORD i = 0; i < count; ++i) keep.get()[i] = KeepPrinter(port, printers[i], monitorName) ? 1 : 0;

    PortLockHold lock(port);
    for (SrmBinding* b = port.FirstBinding; b != nullptr; b = b->next) b->flags &= ~kBindingSeen;
    const bool closing = (port.State & port_state::Closing) != 0;
    for (DWORD i = 0; i < count; ++i) {
        if (keep.get()[i] == 0) continue;
        if (SrmBinding* bound = FindBinding(port, printers[i].pPrinterName)) {
            bound->flags |= kBindingSeen;
            continue;
        }
        if (closing) continue;
        // A printer without bidirectional support gets no status pushed, only its binding.
        const bool bidi = (printers[i].Attributes & PRINTER_ATTRIBUTE_ENABLE_BIDI) != 0;
        if (SrmBinding* added = LoadStatusManager(port, printers[i].pPrinterName, bidi)) {
            added->flags |= kBindingSeen | (bidi ? 0 : kBindingNoPush);
        }
    }
    for (SrmBinding* b = port.FirstBinding; b != nullptr;) {
        SrmBinding* next = b->next;
        if ((b->flags & kBindingSeen) == 0) RemoveBinding(port, b);
        b->flags &= ~kBindingSeen;
        b = next;
    }
    if (port.FirstBinding != nullptr && FindBinding(port, port.PrinterName) == nullptr) {
        StorePrinterName(port, port.FirstBinding->printerName);
    }
}

void RebindStatusManager(PortContext& port) {
    if ((port.PortKind & port_kind::Share) != 0) return;
    PortLockHold lock(port);
    for (SrmBinding* b = port.FirstBinding; b != nullptr && (port.State & port_state::SrmTerminate) == 0;) {
        SrmBinding* next = b->next;
        // A binding whose thread still runs is on its way out (its manager was closed).
        if (b->manager == 0 && !NotifyThreadRuns(*b) && !Reconnect(port, *b)) RemoveBinding(port, b);
        b = next;
    }
}

void SetPollingFlag(PortContext& port, bool on) {
    SyncBoundPrinters(port);
    if (port.Variables == nullptr) return;
    {
        PortLockHold lock(port);
        DWORD value = 0;
        const bool known = port.Variables->ReadDword(kRowPrinterExtStatus, &value);
        const DWORD now = on ? (value | kExtPolling) : (value & ~kExtPolling);
        if (!known || now != value) port.Variables->StoreDword(kRowPrinterExtStatus, now);
        if (port.FirstBinding == nullptr) return;
    }
    PublishPort(port);
}

}  // namespace langmon
