// The port's status variables: its table, its bindings to the status resource manager, the
// publisher run over the port and the small writers.
#include "langmon/status/StatusPort.h"

#include <cstring>
#include <new>

#include "langmon/job/JobQueue.h"
#include "langmon/MonitorProcess.h"
#include "langmon/PortHolds.h"
#include "langmon/job/PortCalls.h"
#include "langmon/printer/PortKind.h"
#include "langmon/printer/PrinterState.h"
#include "langmon/printer/StateMapping.h"
#include "langmon/log/TraceLog.h"
#include "platform/Spooler.h"
#include "platform/Sync.h"

namespace langmon {
namespace {

constexpr DWORD kJobReadPauseMs = 120;
constexpr DWORD kStatusPrinting = 0x8;         // L word
constexpr DWORD kStatusPortClosed = 4096;      // M word at close
constexpr DWORD kStatusUnknownNetwork = 2048;  // M word, network ports
constexpr DWORD kStatusUnknownLocal = 1024;    // M word, other ports
constexpr DWORD kStatusPoweredOff = 0x100;     // M word
constexpr DWORD kStatusOtherModel = 0x200;     // M word

// OutJobQueue as the publisher calls it: the spooler hears the head's job is done.
void DropHead(void* context) { OutJobQueue(*static_cast<PortContext*>(context)); }

// Called inside a publisher run: the change is stored and the run goes once more.
void PrintingOffInRun(void* context) {
    auto& port = *static_cast<PortContext*>(context);
    PrinterStatusValue status{};
    if (port.Variables == nullptr || !port.Variables->ReadStatus(&status) || (status.L & kStatusPrinting) == 0) return;
    status.L &= ~kStatusPrinting;
    if (port.Variables->Store(port.Variables->row(kRowPrinterStatus), &status, sizeof status)) port.PublishAgain = TRUE;
}

bool SameValue(const StatusVariable& row, const void* bytes, DWORD cb) {
    return row.value != nullptr && row.cbValue == cb && std::memcmp(row.value, bytes, cb) == 0;
}

}  // namespace

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
        if (PushVariable(binding, row.name, value, cb) == 0) ++calls;
    }
    return calls;
}

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
    JoinBindingThreads(port);
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
    scope.endedJobRecordMs = port.Waits.EndedJobRecordMs;
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

void ApplyDefaultStatus(PortContext& port, bool publish) {
    if (port.Variables == nullptr) return;
    PortLockHold lock(port);  // re-entrant: the publisher takes it again
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
    PortLockHold lock(port);  // re-entrant: the publisher takes it again
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
    PortLockHold lock(port);
    if (port.Variables != nullptr) port.Variables->StoreDword(kRowJobStatus, 0);
}

void SetPrinterStatusUnknown(PortContext& port, bool publish) {
    if (port.Variables == nullptr) return;
    PortLockHold lock(port);  // re-entrant: the publisher takes it again
    const bool network = (port.PortKind & (port_kind::Bound | 0x8)) != 0;
    const PrinterStatusValue status{0, network ? kStatusUnknownNetwork : kStatusUnknownLocal, 0};
    port.Variables->Store(port.Variables->row(kRowPrinterStatus), &status, sizeof status);
    if (publish) PublishPort(port);
}

bool StoreStatusAndIcon(PortContext& port, const PrinterStatusValue& status) {
    if (port.Variables == nullptr) return false;
    PortLockHold lock(port);
    StatusTable& t = *port.Variables;
    PrinterStatusValue old{};
    const bool had = t.ReadStatus(&old);
    if ((!had || old.H != status.H || old.M != status.M || old.L != status.L) &&
        !t.Store(t.row(kRowPrinterStatus), &status, sizeof status)) {
        return false;
    }
    // The icon follows the status it shows.
    DWORD icon = 0;
    const DWORD wanted = IconStateOf(status);
    if (!t.ReadDword(kRowIconState, &icon) || icon != wanted) t.StoreDword(kRowIconState, wanted);
    return true;
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
        if (!StoreStatusAndIcon(port, status)) return;
    }
    PublishPort(port);
    PublishPortStatus(port);
}

void UpdatePrinterExtStatus(PortContext& port) {
    if (port.Variables == nullptr) return;
    PortLockHold lock(port);
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
    if (port.FirstBinding == nullptr) return;
    PublishPort(port);
    PublishPortStatus(port);
}

void ResetPrinterStatus(PortContext& port) {
    if (port.Variables == nullptr) return;
    const PrinterStatusValue closed{0, kStatusPortClosed, 0};
    {
        PortLockHold lock(port);
        port.Variables->Store(port.Variables->row(kRowPrinterStatus), &closed, sizeof closed);
    }
    PublishPort(port);
    ApplyDefaultStatus(port, true);
    ResetConfigVariables(port, true);
    port.PortKind &= ~port_kind::Base;
    UpdatePrinterExtStatus(port);
}

void UpdateSendingJobInfo(PortContext& port, bool set) {
    // The binding stays while the caller holds the port; its printer and event are fixed.
    SrmBinding* binding = nullptr;
    {
        PortLockHold lock(port);
        binding = port.CurrentBinding;
    }
    if (port.Variables == nullptr || binding == nullptr) return;
    SendingJobInfoValue info{};
    if (set) {
        if (binding->printerOpened != nullptr) WaitForSingleObject(binding->printerOpened, port.Waits.PortMutexMs);
        // Sized by a first call: a long document name must not cost the job its name.
        const HeapBuffer record = ReadJobRecord(binding->printer, port.JobId, 2, kJobReadPauseMs);
        const bool found = record.get() != nullptr;
        const auto* job = reinterpret_cast<const JOB_INFO_1W*>(record.get());
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
    // A value that is not the 4 bytes of a DWORD counts as no bits set.
    if (binding->entries.GetPrinterStatusA(binding->manager, "JobStatus", &old, sizeof old, &needed) != 0 ||
        needed != sizeof old) {
        old = 0;
    }
    const DWORD now = set ? (old | bits) : (old & ~bits);
    if (now == old) return;
    binding->entries.UpdatePrinterStatusA(binding->manager, "JobStatus", &now, sizeof now);
}

}  // namespace langmon
