// The port's status variables: its table, its bindings to the status resource manager, the
// publisher run over the port and the small writers.
#include "langmon/StatusPort.h"

#include <cstring>
#include <new>

#include "langmon/Monitor.h"
#include "langmon/PortKind.h"
#include "langmon/TraceLog.h"
#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/Sync.h"

namespace langmon {
namespace {

constexpr WCHAR kPrintersKey[] = u"System\\CurrentControlSet\\control\\Print\\Printers\\";
constexpr WCHAR kStanvelKey[] = u"SOFTWARE\\ZEV\\Stanvel\\Printers\\";
constexpr WCHAR kStatusVariablesLeaf[] = u"\\Status Variables";
constexpr DWORD kEndedJobRecordMs = 150;
constexpr DWORD kJobReadPauseMs = 120;
constexpr DWORD kStateNoJobName = 0x10000000;  // the spooler had no name for the job
constexpr DWORD kStatusPrinting = 0x8;         // L word
constexpr DWORD kStatusPortClosed = 4096;      // M word at close
constexpr DWORD kStatusUnknownNetwork = 2048;  // M word, network ports
constexpr DWORD kStatusUnknownLocal = 1024;    // M word, other ports
constexpr DWORD kStatusPoweredOff = 0x100;     // M word
constexpr DWORD kStatusOtherModel = 0x200;     // M word

class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    bool Open(LPCWSTR path) { return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key_) == ERROR_SUCCESS; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

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
    RegKey key;
    if (!KeyPath(kPrintersKey, name, u"", path) || !key.Open(path)) return false;
    DWORD type = REG_NONE;
    DWORD cb = (cchDriver - 1) * sizeof(WCHAR);
    if (RegQueryValueExW(key.get(), u"Printer Driver", nullptr, &type, reinterpret_cast<LPBYTE>(driver), &cb) !=
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
    RegKey key;
    return KeyPath(kStanvelKey, driver, kStatusVariablesLeaf, path) && key.Open(path);
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

void CloseBinding(SrmBinding& binding) {
    if (binding.bindingEnded != nullptr) {
        SetEvent(binding.bindingEnded);
        CloseHandle(binding.bindingEnded);
    }
    if (binding.printerOpened != nullptr) CloseHandle(binding.printerOpened);
    if (binding.printer != nullptr) ClosePrinter(binding.printer);
    if (binding.callbackId != 0 && binding.entries.KillNotificationCallback != nullptr) {
        binding.entries.KillNotificationCallback(binding.manager, binding.callbackId);
    }
    if (binding.manager != 0 && binding.entries.CloseManager != nullptr) binding.entries.CloseManager(binding.manager);
    if (binding.module != nullptr) FreeLibrary(binding.module);
    HeapFreeBlock(&binding);
}

// The manager's own view of the printer must name this port, or no port at all.
bool ManagerAcceptsPort(PortContext& port, SrmBinding& binding) {
    const SrmEntryPoints& e = binding.entries;
    if (e.GetPrinterStatusW == nullptr || e.GetPrinterStatusA == nullptr) return false;
    PortVariableValue value{};
    DWORD needed = 0;
    if (e.GetPrinterStatusW(binding.manager, u"Port", &value, sizeof value, &needed) != 0) return false;
    DWORD terminate = 0;
    if (e.GetPrinterStatusA(binding.manager, "TerminateManager", &terminate, sizeof terminate, &needed) != 0) {
        return false;
    }
    if (terminate != 0) {
        port.State |= port_state::SrmTerminate;
        return false;
    }
    if (value.First == 0) return true;
    value.PortName[127] = 0;
    const int cchPort = lstrlenW(port.PortName);
    if (cchPort > 127 || value.Second[0] != 0) return false;
    WCHAR head[128] = {};
    for (int i = 0; i < cchPort; ++i) head[i] = value.PortName[i];
    return lstrcmpiW(head, port.PortName) == 0;
}

// Rows with the replay attribute go to a newly bound printer at once.
int ReplayVariables(PortContext& port, SrmBinding& binding) {
    if (!BindingConnected(binding) || port.Variables == nullptr) return 0;
    int calls = 0;
    const PrinterStatusValue other{0, kStatusOtherModel, 0};
    for (StatusVariable& row : *port.Variables) {
        if ((row.attributes & kAttrReplay) == 0 || row.value == nullptr) continue;
        const DWORD cb = port.Variables->PushSize(row);
        if (cb == 0) continue;
        const bool sameModel = MasksMeet(binding.modelMask, port.ModelMask);
        const void* value = row.value;
        switch (row.publishType) {
        case kPublishPlain:
        case kPublishJobStatus:
            break;
        case kPublishStatus: {
            PrinterStatusValue status{};
            std::memcpy(&status, row.value, sizeof status);
            if ((status.M & 0xF00) == 0 && !sameModel) value = &other;
            break;
        }
        case kPublishModelOnly:
            if (!sameModel) continue;
            break;
        default:
            continue;
        }
        if (binding.entries.UpdatePrinterStatusA(binding.manager, row.name, value, cb) == 0) ++calls;
    }
    return calls;
}

// OutJobQueue as the publisher calls it: the spooler hears the head's job is done.
void DropHead(void* context) {
    auto& port = *static_cast<PortContext*>(context);
    JobQueueEntry* head = port.QueueHead;
    if (head == nullptr) return;
    port.QueueHead = head->Next;
    if (port.QueueTail == head) port.QueueTail = nullptr;
    if ((head->Flags2 & job_flag::LastPageEjectedSent) == 0) {
        LPWSTR printer = head->Binding != nullptr ? head->Binding->printerName : port.PrinterName;
        HANDLE handle = nullptr;
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
        if (printer != nullptr && OpenPrinterW(printer, &handle, &defaults)) {
            SetJobW(handle, head->JobId, 0, nullptr, JOB_CONTROL_LAST_PAGE_EJECTED);
            ClosePrinter(handle);
            WriteTraceLine(&port, kTraceJobs, "KJLMON:SetJob[LAST_PAGE_EJECTED @OUTQ(%lu)]",
                           static_cast<unsigned long>(head->JobId));
        }
    }
    HeapFreeBlock(head);
}

// Called inside a publisher run: the change is stored and the run goes once more.
void PrintingOffInRun(void* context) {
    auto& port = *static_cast<PortContext*>(context);
    PrinterStatusValue status{};
    if (port.Variables == nullptr || !port.Variables->ReadStatus(&status) || (status.L & kStatusPrinting) == 0) return;
    status.L &= ~kStatusPrinting;
    if (port.Variables->Store(port.Variables->row(kRowPrinterStatus), &status, sizeof status)) port.PublishAgain = TRUE;
}

bool StatusMeets(const PrinterStatusValue& status, const PrinterStatusValue& mask) {
    return (status.H & mask.H) != 0 || (status.M & mask.M) != 0 || (status.L & mask.L) != 0;
}

bool SameValue(const StatusVariable& row, const void* bytes, DWORD cb) {
    return row.value != nullptr && row.cbValue == cb && std::memcmp(row.value, bytes, cb) == 0;
}

}  // namespace

bool CreatePortVariables(PortContext& port) {
    void* block = HeapAllocZero(sizeof(StatusTable));
    if (block == nullptr) return false;
    port.Variables = new (block) StatusTable();
    port.Variables->Init(Process().Heap);
    ApplyDefaultStatus(port, false);
    ClearJobStatus(port);
    ResetConfigVariables(port, false);
    return true;
}

void DeletePortVariables(PortContext& port) {
    {
        PortLockHold lock(port);
        while (port.FirstBinding != nullptr) RemoveBinding(port, port.FirstBinding);
    }
    if (port.Variables == nullptr) return;
    port.Variables->~StatusTable();
    HeapFreeBlock(port.Variables);
    port.Variables = nullptr;
}

PublishScope MakePublishScope(PortContext& port) {
    PublishScope scope{};
    scope.table = port.Variables;
    scope.firstBinding = port.FirstBinding;
    scope.currentBinding = port.CurrentBinding;
    scope.modelMask = port.ModelMask;
    scope.queueHead = &port.QueueHead;
    scope.usbPort = port.PortKind == port_kind::LocalPort && IsUsbPort(port.PortName);
    scope.publishAgain = &port.PublishAgain;
    scope.lock = port.PortLock;
    scope.trace = port.Trace;
    scope.printerName = port.PrinterName;
    scope.endedJobRecordMs = kEndedJobRecordMs;
    scope.hookContext = &port;
    scope.dropHead = DropHead;
    scope.printingOff = PrintingOffInRun;
    return scope;
}

int PublishPort(PortContext& port) {
    if (port.Variables == nullptr) return -1;
    PortLockHold lock(port);
    PublishScope scope = MakePublishScope(port);
    return UpdateSRM_All(scope);
}

SrmBinding* FindBinding(PortContext& port, LPCWSTR printer) {
    if (printer == nullptr) return nullptr;
    for (SrmBinding* b = port.FirstBinding; b != nullptr; b = b->next) {
        if (lstrcmpiW(b->printerName, printer) == 0) return b;
    }
    return nullptr;
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
    binding->printerOpened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    binding->bindingEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (IsStatusMonitoredPrinter(driver)) binding->module = LoadStatusManagerLibrary(&binding->entries);

    DWORD manager = 0;
    const bool opened = binding->entries.OpenManagerExW != nullptr &&
                        binding->entries.OpenManagerExW(printer, kSrmMonitorClient, kSrmMonitorMode, &manager) == 0 &&
                        manager != 0;
    if (opened) {
        binding->manager = manager;
        if (!ManagerAcceptsPort(port, *binding)) {
            WriteTraceLine(&port, kTraceAlways, "KJLMON:LoadStatusManager -REFUSED-");
            CloseBinding(*binding);
            return nullptr;
        }
    }
    SrmBinding** tail = &port.FirstBinding;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = binding;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!OpenPrinterW(binding->printerName, &binding->printer, &defaults)) binding->printer = nullptr;
    if (binding->printerOpened != nullptr) SetEvent(binding->printerOpened);
    if (opened && replay) ReplayVariables(port, *binding);
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
    CloseBinding(*binding);
}

void ApplyDefaultStatus(PortContext& port, bool publish) {
    if (port.Variables == nullptr) return;
    PrinterStatusValue status{};
    port.Variables->ReadStatus(&status);
    for (size_t i = 0; i < kDefaultStatusRowCount; ++i) {
        const DefaultStatusRow& d = kDefaultStatusRows[i];
        StatusVariable& row = port.Variables->row(d.row);
        if (StatusMeets(status, d.mask) || SameValue(row, d.value, d.cbValue)) continue;
        port.Variables->Store(row, d.value, d.cbValue);
    }
    if (publish) PublishPort(port);
}

void ResetConfigVariables(PortContext& port, bool publish) {
    if (port.Variables == nullptr) return;
    PrinterStatusValue status{};
    port.Variables->ReadStatus(&status);
    if ((port.State & port_state::PoweredOff) == 0 && (status.M & kStatusPoweredOff) == 0 &&
        MasksMeet(port.ModelMask, kKvTd520ModelMask)) {
        return;
    }
    StatusTable& t = *port.Variables;
    t.StoreDword(kRowIconState, 0xFFFFFFFFu);
    struct {
        CountedListHeader header;
        BinConfigEntry entry;
    } bins{{1}, kDefaultBinEntry};
    static_assert(sizeof bins == 16);
    t.Store(t.row(kRowPrinterBinConfig), &bins, sizeof bins);
    t.StoreDword(kRowCurrentFeeder, 1);
    const CountedListHeader none{0};
    t.Store(t.row(kRowPrinterOptConfig), &none, sizeof none);
    if (publish) PublishPort(port);
}

void ClearJobStatus(PortContext& port) {
    if (port.Variables != nullptr) port.Variables->StoreDword(kRowJobStatus, 0);
}

void SetPrinterStatusUnknown(PortContext& port, bool publish) {
    if (port.Variables == nullptr) return;
    const bool network = (port.PortKind & (port_kind::Bound | 0x8)) != 0;
    const PrinterStatusValue status{0, network ? kStatusUnknownNetwork : kStatusUnknownLocal, 0};
    port.Variables->Store(port.Variables->row(kRowPrinterStatus), &status, sizeof status);
    if (publish) PublishPort(port);
}

void SetPrinterStatusPrinting(PortContext& port, bool on) {
    if (port.Variables == nullptr) return;
    PrinterStatusValue status{};
    {
        PortLockHold lock(port);
        port.Variables->ReadStatus(&status);
        const DWORD l = on ? (status.L | kStatusPrinting) : (status.L & ~kStatusPrinting);
        if (l == status.L && port.Variables->row(kRowPrinterStatus).value != nullptr) return;
        status.L = l;
        if (!port.Variables->Store(port.Variables->row(kRowPrinterStatus), &status, sizeof status)) return;
    }
    PublishPort(port);
}

void UpdatePrinterExtStatus(PortContext& port) {
    if (port.Variables == nullptr) return;
    DWORD value = 0;
    port.Variables->ReadDword(kRowPrinterExtStatus, &value);
    if ((port.PortKind & port_kind::Base) != 0) {
        value = (value & ~0x7u) | kExtPortServed;
    } else {
        port.PortKind = 0;
        value &= ~0x7u;
    }
    if ((port.PortKind & port_kind::Bound) != 0) value |= kExtNetworkPort;
    port.Variables->StoreDword(kRowPrinterExtStatus, value);
    if (port.FirstBinding != nullptr) PublishPort(port);
}

void ResetPrinterStatus(PortContext& port) {
    if (port.Variables == nullptr) return;
    const PrinterStatusValue closed{0, kStatusPortClosed, 0};
    port.Variables->Store(port.Variables->row(kRowPrinterStatus), &closed, sizeof closed);
    PublishPort(port);
    ApplyDefaultStatus(port, true);
    ResetConfigVariables(port, true);
    port.PortKind &= ~port_kind::Base;
    UpdatePrinterExtStatus(port);
}

void UpdateSendingJobInfo(PortContext& port, bool set) {
    SrmBinding* binding = port.CurrentBinding;
    if (port.Variables == nullptr || binding == nullptr) return;
    SendingJobInfoValue info{};
    if (set) {
        if (binding->printerOpened != nullptr) WaitForSingleObject(binding->printerOpened, port.Waits.PortMutexMs);
        BYTE buffer[sizeof(JOB_INFO_1W) + 2048];
        bool found = false;
        for (int attempt = 0; attempt < 2 && !found && binding->printer != nullptr; ++attempt) {
            if (attempt != 0) Sleep(kJobReadPauseMs);
            DWORD needed = 0;
            found = GetJobW(binding->printer, port.JobId, 1, buffer, sizeof buffer, &needed) != FALSE;
        }
        const auto* job = reinterpret_cast<const JOB_INFO_1W*>(buffer);
        if (!found || job->pDocument == nullptr || job->pDocument[0] == 0) {
            port.State |= kStateNoJobName;
        } else {
            ToAnsi(job->pDocument, info.JobName, sizeof info.JobName);
            if (job->pUserName != nullptr) ToAnsi(job->pUserName, info.UserName, sizeof info.UserName);
        }
    }
    info.JobID = port.JobId;
    {
        PortLockHold lock(port);
        StatusVariable& row = port.Variables->row(kRowSendingJobInfo);
        if (!port.Variables->Store(row, &info, sizeof info)) return;
        if (set) {
            row.jobFlags = (row.jobFlags | kJobRecordCarriesJob) & ~kJobRecordClears;
        } else {
            row.jobFlags = (row.jobFlags | kJobRecordClears) & ~kJobRecordCarriesJob;
        }
    }
    PublishPort(port);
}

void SetJobStatusBits(PortContext& port, DWORD bits, bool set) {
    PortLockHold lock(port);
    SrmBinding* binding = port.CurrentBinding;
    if (binding == nullptr || (binding->flags & kBindingNoPush) != 0 || !BindingConnected(*binding) ||
        binding->entries.GetPrinterStatusA == nullptr) {
        return;
    }
    DWORD old = 0;
    DWORD needed = 0;
    if (binding->entries.GetPrinterStatusA(binding->manager, "JobStatus", &old, sizeof old, &needed) != 0) old = 0;
    const DWORD now = set ? (old | bits) : (old & ~bits);
    if (now == old) return;
    binding->entries.UpdatePrinterStatusA(binding->manager, "JobStatus", &now, sizeof now);
}

}  // namespace langmon
