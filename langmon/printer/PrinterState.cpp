// The printer's state read over SNMP and written into the port's status variables.
#include "langmon/printer/PrinterState.h"

#include <algorithm>
#include <cstring>

#include "langmon/MonitorProcess.h"
#include "langmon/PortHolds.h"
#include "langmon/PortSettings.h"
#include "langmon/status/StatusManagerLink.h"
#include "langmon/status/StatusPort.h"
#include "langmon/log/TraceLog.h"
#include "platform/Monitor.h"
#include "platform/Sync.h"

namespace langmon {
namespace {

constexpr char kSysDescr[] = "1.3.6.1.2.1.1.1.0";
constexpr char kHrDeviceStatus[] = "1.3.6.1.2.1.25.3.2.1.5.1";
constexpr char kHrPrinterStatus[] = "1.3.6.1.2.1.25.3.5.1.1.1";
constexpr char kHrErrorState[] = "1.3.6.1.2.1.25.3.5.1.2.1";
constexpr char kAlertColumn[] = "1.3.6.1.2.1.43.18.1.1.8";        // prtAlertDescription
constexpr char kAlertStart[] = "1.3.6.1.2.1.43.18.1.1.8.1";
constexpr char kInterpreterColumn[] = "1.3.6.1.2.1.43.15.1.1.5";  // prtInterpreterDescription
constexpr char kInterpreterStart[] = "1.3.6.1.2.1.43.15.1.1.5.1";
constexpr char kTrayLevelStart[] = "1.3.6.1.2.1.43.8.2.1.10.1";   // prtInputCurrentLevel
constexpr char kTrayWidthStart[] = "1.3.6.1.2.1.43.8.2.1.5.1";    // prtInputMediaDimXFeedDirDeclared
constexpr char kTrayLengthStart[] = "1.3.6.1.2.1.43.8.2.1.4.1";   // prtInputMediaDimFeedDirDeclared
constexpr char kConsoleStart[] = "1.3.6.1.2.1.43.16.5.1.2.1";     // prtConsoleDisplayBufferText
constexpr char kVxSuffix[] = " (VX)";
constexpr char kZevPrefix[] = "ZEV";
constexpr DWORD kSysDescrRetryMs = 250;
constexpr size_t kMaxInterpreters = 2;
constexpr size_t kConsoleLines = 2;
constexpr BYTE kErrorStateIgnored = 0x02;  // "low paper" alone does not ask for the tray

// Why a request failed, as the read needs it: a printer that stopped answering is not the
// same as one that lacks an object.
enum class Got { Value, Missing, Silent };

Got Classify(const snmp::SnmpClient& client) {
    const snmp::SnmpError e = client.Error();
    return (e == snmp::SnmpError::Timeout || e == snmp::SnmpError::Socket || e == snmp::SnmpError::Setup) ? Got::Silent
                                                                                                          : Got::Missing;
}

DWORD OidIntervalMs(const PortContext& port) {
    return port.Settings != nullptr ? port.Settings->oidIntervalMs : kDefaultOidIntervalMs;
}

Got GetString(snmp::SnmpClient& client, const char* address, const char* name, MibText& out) {
    if (!client.Request({address, name, snmp::PduKind::Get, snmp::ValueKind::String, 0})) return Classify(client);
    const snmp::SnmpAnswer& a = client.Answer();
    out.cb = static_cast<DWORD>(std::min(a.cbText, kMibTextBytes));
    std::memcpy(out.text, a.text.data(), out.cb);
    out.text[out.cb] = 0;
    return Got::Value;
}

Got GetInteger(snmp::SnmpClient& client, const char* address, const char* name, LONG* out) {
    if (!client.Request({address, name, snmp::PduKind::Get, snmp::ValueKind::Integer, 0})) return Classify(client);
    *out = static_cast<LONG>(client.Answer().number);
    return Got::Value;
}

// One GetNext inside `column`: an answer from beyond the column is the column's end, not a
// value of it.
Got GetNextIn(snmp::SnmpClient& client, const char* address, const char* from, const char* column,
              snmp::ValueKind want) {
    if (!client.Request({address, from, snmp::PduKind::GetNext, want, 0})) return Classify(client);
    snmp::Oid prefix;
    if (!snmp::ParseOid(column, prefix) || !snmp::OidStartsWith(client.Answer().oid, prefix)) return Got::Missing;
    return Got::Value;
}

// The answer's name as the next start; false when it does not fit.
bool NextName(const snmp::SnmpClient& client, char (&name)[kMibTextBytes]) {
    const size_t cb = std::strlen(client.Answer().name);
    if (cb >= sizeof name) return false;
    std::memcpy(name, client.Answer().name, cb + 1);
    return true;
}

/// A job queued or being sent. The caller holds the port's lock (the queue is under it).
bool JobActive(const PortContext& port) {
    return port.QueueHead != nullptr || (port.State & port_state::InJob) != 0;
}

bool JobActiveLocked(PortContext& port) {
    PortLockHold lock(port);
    return JobActive(port);
}

// Reads the three tray values; the tray counts as read only when all three answered.
Got ReadInputTray(PortContext& port, snmp::SnmpClient& client, const char* address, MibPicture& picture) {
    struct Column {
        const char* start;
        LONG* field;
    };
    const Column columns[] = {{kTrayLevelStart, &picture.trayLevel},
                              {kTrayWidthStart, &picture.trayWidth},
                              {kTrayLengthStart, &picture.trayLength}};
    bool all = true;
    for (const Column& c : columns) {
        Sleep(OidIntervalMs(port));
        char column[kMibTextBytes];
        const size_t cbColumn = std::strlen(c.start) - 2;  // without the trailing ".1"
        std::memcpy(column, c.start, cbColumn);
        column[cbColumn] = 0;
        const Got got = GetNextIn(client, address, c.start, column, snmp::ValueKind::Integer);
        if (got == Got::Silent) return got;
        if (got == Got::Value) {
            *c.field = static_cast<LONG>(client.Answer().number);
        } else {
            all = false;
        }
    }
    if (all) picture.readMask |= mib_read::InputTray;
    return Got::Value;
}

// Stores a copy when it differs from the row's value; true when it stored.
bool StoreIfChanged(StatusTable& table, StatusRow index, const void* bytes, DWORD cb) {
    StatusVariable& row = table.row(index);
    if (row.value != nullptr && row.cbValue == cb && std::memcmp(row.value, bytes, cb) == 0) return false;
    return table.Store(row, bytes, cb);
}

bool ReadFirstBin(const StatusTable& table, BinConfigEntry* entry) {
    const StatusVariable& row = table.row(kRowPrinterBinConfig);
    CountedListHeader header{};
    if (row.value == nullptr || row.cbValue < sizeof header + sizeof *entry) return false;
    std::memcpy(&header, row.value, sizeof header);
    if (header.Count == 0) return false;
    std::memcpy(entry, row.value + sizeof header, sizeof *entry);
    return true;
}

bool WriteIdentity(StatusTable& table, const MibPicture& picture) {
    if ((picture.readMask & mib_read::SysDescr) == 0 || std::strncmp(picture.sysDescr, kZevPrefix, 2) != 0) {
        return false;
    }
    bool changed = false;
    char maker[32] = {};
    std::memcpy(maker, kZevPrefix, 3);
    const StatusVariable& makerRow = table.row(kRowPrinterManufacturer);
    if (makerRow.value == nullptr || makerRow.cbValue != sizeof maker || std::memcmp(makerRow.value, maker, 3) != 0) {
        changed |= table.Store(table.row(kRowPrinterManufacturer), maker, sizeof maker);
    }
    const size_t length = strnlen(picture.sysDescr, sizeof picture.sysDescr);
    if (length > 4) {
        char model[32] = {};
        std::memcpy(model, picture.sysDescr + 4, std::min<size_t>(length - 4, sizeof model - 1));
        changed |= StoreIfChanged(table, kRowPrinterModel, model, sizeof model);
    }
    return changed;
}

bool WriteEmulations(StatusTable& table, const MibPicture& picture) {
    if ((picture.readMask & mib_read::Interpreters) == 0) return false;
    struct {
        CountedListHeader header;
        DWORD ids[kMaxInterpreters];
    } list{};
    for (const InterpreterRow& row : InterpreterTable()) {
        if ((picture.interpreters & row.bit) != 0 && list.header.Count < kMaxInterpreters) {
            list.ids[list.header.Count++] = row.emulationId;
        }
    }
    const auto cb = static_cast<DWORD>(sizeof list.header + list.header.Count * sizeof(DWORD));
    return StoreIfChanged(table, kRowEmulationInfo, &list, cb);
}

bool WriteTrays(StatusTable& table, const MibPicture& picture) {
    if ((picture.readMask & mib_read::InputTray) == 0) return false;
    struct {
        CountedListHeader header;
        BinConfigEntry entry;
    } bins{{1}, {1, 1, 256, TrayLevelByte(picture.trayLevel), 0, TrayLengthWord(picture.trayLength),
                 TrayWidthWord(picture.trayWidth)}};
    static_assert(sizeof bins == 16);
    bool changed = StoreIfChanged(table, kRowPrinterBinConfig, &bins, sizeof bins);
    DWORD feeder = 0;
    if (!table.ReadDword(kRowCurrentFeeder, &feeder) || feeder != 1) changed |= table.StoreDword(kRowCurrentFeeder, 1);
    return changed;
}

bool WriteOptions(StatusTable& table) {
    const StatusVariable& row = table.row(kRowPrinterOptConfig);
    CountedListHeader header{};
    if (row.value != nullptr && row.cbValue >= sizeof header) {
        std::memcpy(&header, row.value, sizeof header);
        if (header.Count == 0) return false;
    }
    const CountedListHeader none{0};
    return table.Store(table.row(kRowPrinterOptConfig), &none, sizeof none);
}

bool Has(const PrinterStatusValue& a, const PrinterStatusValue& b, const PrinterStatusValue& mask) {
    return StatusMeets(a, mask) || StatusMeets(b, mask);
}

// The error rows that follow from the detail words; each only while its bits are or were set.
bool WriteErrors(PortContext& port, StatusTable& table, const MibPicture& picture, const PrinterStatusValue& old,
                 const PrinterStatusValue& now) {
    bool changed = false;
    if (Has(old, now, {0, 0, 0x10000})) {
        changed |= StoreIfChanged(table, kRowErrPaperJam, &picture.detail[alert_group::Jam], 4);
    }
    if (Has(old, now, {0, 0, 0x8000})) {
        changed |= StoreIfChanged(table, kRowErrCoverOpen, &picture.detail[alert_group::Cover], 4);
    }
    if (Has(old, now, {0, 0, 0x4800000})) {
        ErrNoPaperValue paper{};
        ErrNoPaper2Value paper2{};
        BinConfigEntry first{};
        if ((now.L & 0x4800000) != 0 && ReadFirstBin(table, &first)) {
            paper = {first.Tray, static_cast<SHORT>(first.Third)};
            paper2 = {first.Tray, static_cast<SHORT>(first.Third), first.Fifth, 0, 0};
        }
        changed |= StoreIfChanged(table, kRowErrNoPaper, &paper, sizeof paper);
        changed |= StoreIfChanged(table, kRowErrNoPaper2, &paper2, sizeof paper2);
    }
    if (Has(old, now, {0, 0, 0x40000})) {
        const DWORD sizeError = (now.L & 0x4000000) != 0 ? 1 : 0;
        changed |= StoreIfChanged(table, kRowErrPaperSizeError, &sizeError, 4);
    }
    if (Has(old, now, {0, 0x4, 0x20004082})) {
        ErrSuppliesValue supplies{kSupplyCount, {}};
        std::memcpy(supplies.Detail, &picture.detail[alert_group::Cleaner], sizeof supplies.Detail);
        changed |= StoreIfChanged(table, kRowErrSupplies, &supplies, sizeof supplies);
    }
    if (Has(old, now, {0x8, 0, 0})) {
        changed |= StoreIfChanged(table, kRowErrStacker, &picture.detail[alert_group::Stacker], 4);
    }
    if (Has(old, now, {0, 0x40000000, 0})) {
        changed |= StoreIfChanged(table, kRowErrLoadPaper, &picture.detail[alert_group::LoadPaper], 4);
    }
    if ((now.L & status_bit::kLPrinting) == 0) {
        for (DWORD i = 0; i < picture.alertCount; ++i) {
            ErrPartsLifeValue life{};
            if (picture.alerts[i].view().substr(0, 14) != "PM Parts Life ") continue;
            if (ParsePartsLife(picture.alerts[i].view(), &life)) {
                changed |= StoreIfChanged(table, kRowErrPartsLife, &life, sizeof life);
            } else {
                WriteTraceLine(&port, kTraceDevice, "SYS_PARSEDID:bad parts life [%s]", picture.alerts[i].text);
            }
            break;
        }
    }
    return changed;
}

// The hardware error number from the console; false when no line carries one.
bool GetConsoleString(PortContext& port, snmp::SnmpClient& client, const char* address, DWORD* number) {
    char name[kMibTextBytes];
    std::memcpy(name, kConsoleStart, sizeof kConsoleStart);
    char column[] = "1.3.6.1.2.1.43.16.5.1.2";
    for (size_t i = 0; i < kConsoleLines; ++i) {
        Sleep(OidIntervalMs(port));
        if (GetNextIn(client, address, name, column, snmp::ValueKind::String) != Got::Value) return false;
        const snmp::SnmpAnswer& a = client.Answer();
        char line[kConsoleLineBytes + 1] = {};
        std::memcpy(line, a.text.data(), std::min(a.cbText, kConsoleLineBytes));
        WriteTraceText(&port, kTraceDevice, "Console String [%s]\r\n", line);
        if (i == 0) {
            if (!ParseServiceCallNumber({line, kConsoleLineBytes}, number)) return false;
            WriteTraceText(&port, kTraceDevice, "Found HW Error String\r\n");
            WriteTraceText(&port, kTraceDevice, "HW ERROR No=[%u]\r\n", *number);
            return true;
        }
        if (!NextName(client, name)) return false;
    }
    return false;
}

}  // namespace

bool IsSupportedModel(PortContext& port, std::string_view text) {
    const bool supported = text == kSupportedSysDescr;
    PortLockHold lock(port);  // the publisher reads it
    port.ModelMask = supported ? kKvTd520ModelMask : 0;
    return supported;
}

MibReadResult ReadPrinterMib(PortContext& port, snmp::SnmpClient& client, const char* address, MibPicture& picture) {
    picture = MibPicture{};
    if (address == nullptr) return MibReadResult::NotAnswered;
    const DWORD maxTries = port.Settings != nullptr ? port.Settings->maxPowerOffTries : kDefaultMaxPowerOffTries;
    MibText descr{};
    for (;;) {
        if (GetString(client, address, kSysDescr, descr) == Got::Value && descr.cb != 0 && descr.text[0] != 0) break;
        if (picture.failures >= maxTries) return MibReadResult::NotAnswered;
        Sleep(kSysDescrRetryMs);
        ++picture.failures;
    }
    picture.readMask |= mib_read::SysDescr;
    // The model check compares the text with the mark of this driver family added.
    const size_t length = std::min(strnlen(descr.text, descr.cb), sizeof picture.sysDescr - sizeof kVxSuffix);
    std::memcpy(picture.sysDescr, descr.text, length);
    std::memcpy(picture.sysDescr + length, kVxSuffix, sizeof kVxSuffix);
    if (!IsSupportedModel(port, picture.sysDescr)) return MibReadResult::Unsupported;
    picture.readMask |= mib_read::SupportedModel;

    // A printer that goes quiet after sysDescr is switching off: its half-read picture would
    // clear every alert, so the read counts as not answered.
    Sleep(OidIntervalMs(port));
    if (GetInteger(client, address, kHrDeviceStatus, &picture.hrDeviceStatus) == Got::Silent) {
        return MibReadResult::NotAnswered;
    }
    Sleep(OidIntervalMs(port));
    if (GetInteger(client, address, kHrPrinterStatus, &picture.hrPrinterStatus) == Got::Silent) {
        return MibReadResult::NotAnswered;
    }
    Sleep(OidIntervalMs(port));
    MibText errorState{};
    const Got gotError = GetString(client, address, kHrErrorState, errorState);
    if (gotError == Got::Silent) return MibReadResult::NotAnswered;
    std::memcpy(picture.errorState, errorState.text, std::min<size_t>(errorState.cb, sizeof picture.errorState));

    char name[kMibTextBytes];
    std::memcpy(name, kAlertStart, sizeof kAlertStart);
    for (size_t step = 0; step < kMaxAlerts; ++step) {
        Sleep(OidIntervalMs(port));
        const Got got = GetNextIn(client, address, name, kAlertColumn, snmp::ValueKind::String);
        if (got == Got::Silent) return MibReadResult::NotAnswered;
        if (got != Got::Value || client.Answer().cbText == 0) break;
        picture.readMask |= mib_read::Alerts;
        MibText& alert = picture.alerts[picture.alertCount++];
        alert.cb = static_cast<DWORD>(std::min(client.Answer().cbText, kMibTextBytes));
        std::memcpy(alert.text, client.Answer().text.data(), alert.cb);
        alert.text[alert.cb] = 0;
        if (!NextName(client, name)) break;
    }

    if (JobActiveLocked(port)) return MibReadResult::Supported;

    std::memcpy(name, kInterpreterStart, sizeof kInterpreterStart);
    for (size_t step = 0; step < kMaxInterpreters; ++step) {
        Sleep(OidIntervalMs(port));
        const Got got = GetNextIn(client, address, name, kInterpreterColumn, snmp::ValueKind::String);
        if (got == Got::Silent) return MibReadResult::NotAnswered;
        if (got != Got::Value) break;
        picture.readMask |= mib_read::Interpreters;
        const snmp::SnmpAnswer& a = client.Answer();
        picture.interpreters |= InterpreterBitOf({a.text.data(), a.cbText});
        if (!NextName(client, name)) break;
    }
    if (ReadInputTray(port, client, address, picture) == Got::Silent) return MibReadResult::NotAnswered;
    picture.readMask |= mib_read::Options;
    return MibReadResult::Supported;
}

bool ParseDeviceId_SYSPRINTER(PortContext& port, MibPicture& picture, snmp::SnmpClient* client, const char* address,
                              const StateHooks* hooks) {
    if (port.Variables == nullptr) return false;
    WriteTraceText(&port, kTraceDevice, "\r\nSYS_PARSEDID:ParseDeviceId_SYSPRINTER -START-\r\n");
    const bool printerDown = picture.hrPrinterStatus == kHrPrinterOther && picture.hrDeviceStatus == kHrDeviceDown;

    // An error reported, or a printer that is down, may be about the paper: read the tray now
    // when the quiet part of the read did not (network first, the lock after).
    if (((picture.errorState[0] & ~kErrorStateIgnored) != 0 || printerDown) &&
        (picture.readMask & mib_read::InputTray) == 0 && client != nullptr && address != nullptr) {
        (void)ReadInputTray(port, *client, address, picture);
    }
    const bool printing = hooks != nullptr && hooks->printerPrinting != nullptr &&
                          picture.hrPrinterStatus != kHrPrinterIdle && hooks->printerPrinting(port, hooks->context);

    bool changed = false;
    PrinterStatusValue old{};
    PrinterStatusValue now{};
    {
        PortLockHold lock(port);
        StatusTable& table = *port.Variables;
        changed |= WriteIdentity(table, picture);
        changed |= WriteEmulations(table, picture);
        changed |= WriteTrays(table, picture);
        changed |= WriteOptions(table);

        std::string_view texts[kMaxAlerts];
        for (DWORD i = 0; i < picture.alertCount; ++i) {
            texts[i] = picture.alerts[i].view();
            WriteTraceText(&port, kTraceDevice, "  ALERT%2u    [%s]\r\n", i, picture.alerts[i].text);
        }
        BinConfigEntry first{};
        const BYTE level = ReadFirstBin(table, &first) ? first.Level : kTrayEmpty;
        const AlertMapResult alerts = MapAlerts({texts, picture.alertCount}, printerDown, level);
        std::memcpy(picture.detail, alerts.detail, sizeof picture.detail);

        const bool hadStatus = table.ReadStatus(&old);
        now = ApplyAlertBits(old, alerts.alertBits);
        now = ApplyActivity(now, {picture.hrPrinterStatus, JobActive(port), printing});
        const bool same = hadStatus && std::memcmp(&old, &now, sizeof now) == 0;
        if (!same || (port.State & port_state::PollingWanted) == 0) {
            WriteTraceText(&port, kTraceDevice, "SRM:Old    Status[H:%08x][M:%08x][L:%08x]\r\n", old.H, old.M, old.L);
            WriteTraceText(&port, kTraceDevice, "SRM:PrinterStatus[H:%08x][M:%08x][L:%08x]\r\n", now.H, now.M, now.L);
            changed |= table.Store(table.row(kRowPrinterStatus), &now, sizeof now);
            const DWORD icon = IconStateOf(now);
            WriteTraceText(&port, kTraceDevice, "SRM:IconStatus   [%08x]\r\n", icon);
            changed |= StoreIfChanged(table, kRowIconState, &icon, sizeof icon);
        }
        changed |= WriteErrors(port, table, picture, old, now);
    }

    // The console is read outside the lock: it is two more round trips to the printer.
    if (((old.M | now.M) & status_bit::kMHardwareError) != 0) {
        DWORD number = 0;
        bool known = (now.M & status_bit::kMHardwareError) == 0;  // the error ended: number 0
        if (!known && client != nullptr && address != nullptr) {
            known = GetConsoleString(port, *client, address, &number);
            if (!known) WriteTraceText(&port, kTraceDevice, "ERROR:GetConsoleString\r\n");
        }
        if (known) {
            PortLockHold lock(port);
            changed |= StoreIfChanged(*port.Variables, kRowErrHWError, &number, sizeof number);
        }
    }
    WriteTraceText(&port, kTraceDevice, "SYS_PARSEDID:ParseDeviceId_SYSPRINTER --END--\r\n");
    if (changed) {
        PublishPort(port);
        PublishPortStatus(port);
    }
    return changed;
}

MibReadResult ReadPrinterState(PortContext& port, snmp::SnmpClient& client, const char* address,
                               const StateHooks* hooks) {
    auto* picture = static_cast<MibPicture*>(HeapAllocZero(sizeof(MibPicture)));
    if (picture == nullptr) return MibReadResult::NotAnswered;
    const MibReadResult result = ReadPrinterMib(port, client, address, *picture);
    if (result == MibReadResult::Supported) (void)ParseDeviceId_SYSPRINTER(port, *picture, &client, address, hooks);
    HeapFreeBlock(picture);
    return result;
}

namespace {

// The SetPortW of UpdateSpoolerPortStatus; false when the spooler refused it.
bool SetSpoolerPortStatus(PortContext& port, const PrinterStatusValue* status, PortStatusCode* set) {
    PortLockHold lock(port);  // the bindings, the model mask and the severity kept
    PortStatusCode code{port_status::None, 0};
    if (status != nullptr && port.FirstBinding != nullptr && MasksMeet(port.FirstBinding->modelMask, port.ModelMask)) {
        code = PortStatusOf(*status);
        WriteTraceLine(&port, kTraceDevice, "スプーラ表示更新対象[H:%08x][M:%08x][L:%08x]", status->H, status->M,
                       status->L);
        WriteTraceLine(&port, kTraceDevice, "スプーラ表示更新実行[dwStatus:%08x][dwSeverity:%08x]", code.status,
                       code.severity);
    }
    *set = code;
    PORT_INFO_3W info{code.status, nullptr, code.severity};
    if (!SetPortW(nullptr, port.PortName, 3, reinterpret_cast<LPBYTE>(&info))) {
        WriteTraceLine(&port, kTraceDevice, "KJLMON:SetPortW failed with error %u", GetLastError());
        return false;
    }
    // The notification thread starts the job watch only while the spooler shows an error.
    port.LastPortSeverity = code.severity;
    return true;
}

}  // namespace

PortStatusCode UpdateSpoolerPortStatus(PortContext& port, const PrinterStatusValue* status) {
    PortStatusCode code{};
    if (!SetSpoolerPortStatus(port, status, &code)) return {port_status::None, 0};
    return code;
}

bool SetBindingPortStatus(PortContext& port, SrmBinding& binding, const PrinterStatusValue* status) {
    // Taken before the shared mutex, in the order every caller already holds them.
    PortLockHold lock(port);
    DWORD code = port_status::None;
    if (status != nullptr &&
        ((status->M & status_bit::kMPortStates) != 0 || MasksMeet(binding.modelMask, port.ModelMask))) {
        code = PortStatusOf(*status).status;
    }
    // Ports of several printers share the spooler's view: one update at a time, and none
    // while another holds it (the next publish tries again).
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kPortStatusMutexName);
    if (mutex == nullptr) return false;
    bool done = false;
    const DWORD wait = WaitForSingleObject(mutex, 0);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        PortStatusCode set{};
        done = SetSpoolerPortStatus(port, status, &set);
        ReleaseMutex(mutex);
    }
    CloseHandle(mutex);
    if (done) binding.lastPortStatus = code;
    return done;
}

bool PublishPortStatus(PortContext& port) {
    if (port.Variables == nullptr) return true;
    PortLockHold lock(port);
    PrinterStatusValue status{};
    if (!port.Variables->ReadStatus(&status)) return true;
    bool all = true;
    for (SrmBinding* b = port.FirstBinding; b != nullptr; b = b->next) all &= SetBindingPortStatus(port, *b, &status);
    return all;
}

}  // namespace langmon
