#pragma once
// Reading a network printer's state over SNMP (sysDescr, the host-resources status objects,
// the printer MIB alert table, interpreters, the first input tray, console lines) and
// writing it into the port's status variables; the spooler's port status follows from them.
// The polling thread and the device check call these while holding the port mutex.
#include <cstddef>
#include <string_view>

#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"
#include "langmon/snmp/SnmpClient.h"
#include "langmon/printer/StateMapping.h"
#include "langmon/status/StatusVariables.h"

struct SrmBinding;

namespace langmon {

/// Bits of MibPicture::readMask: which objects answered.
namespace mib_read {
inline constexpr DWORD SysDescr = 0x1;
inline constexpr DWORD Interpreters = 0x2;
inline constexpr DWORD InputTray = 0x4;
inline constexpr DWORD Options = 0x8;
inline constexpr DWORD Alerts = 0x10;
inline constexpr DWORD SupportedModel = 0x80000000;
}  // namespace mib_read

inline constexpr size_t kMaxAlerts = 64;
inline constexpr size_t kMibTextBytes = 256;
inline constexpr size_t kConsoleLineBytes = 32;

/// One alert text as the printer sent it (bytes, not cut at a NUL).
struct MibText {
    char text[kMibTextBytes + 1];
    DWORD cb;
    std::string_view view() const { return {text, cb}; }
};

/// What one read learnt of the printer. Cleared at the start of every read; a field whose
/// object did not answer stays 0. About 17 KB: callers keep it on the heap.
struct MibPicture {
    DWORD readMask;
    char sysDescr[kMibTextBytes];    // with " (VX)" added, as the model check compares it
    DWORD interpreters;              // bits of InterpreterTable()
    LONG hrDeviceStatus;
    LONG hrPrinterStatus;
    BYTE errorState[4];              // hrPrinterDetectedErrorState, first bytes
    DWORD detail[kDetailWordCount];  // filled by the parse
    DWORD alertCount;
    MibText alerts[kMaxAlerts];
    LONG trayLevel;
    LONG trayWidth;
    LONG trayLength;
    DWORD failures;                  // sysDescr attempts that failed
};

enum class MibReadResult {
    NotAnswered,   // sysDescr never answered, or the printer stopped answering mid-read
    Unsupported,   // another model answered; nothing after sysDescr was read
    Supported,     // the KV-TD520 answered; the picture holds what it gave
};

/// What the mapping needs from the job tracking. Every member may be NULL.
struct StateHooks {
    /// True when the printer reports a job of ours printing.
    bool (*printerPrinting)(PortContext& port, void* context);
    void* context;
};

/// The supported-model row: sysDescr with " (VX)", and the model mask it gives the port.
inline constexpr std::string_view kSupportedSysDescr = "ZEV KV-TD520 (VX)";
inline constexpr std::string_view kSupportedShortName = "KV-TD520 (VX)";

/// True when `text` is the supported model's (same length, same bytes). Sets the port's model
/// mask to that model's, or to 0.
[[nodiscard]] bool IsSupportedModel(PortContext& port, std::string_view text);

/// Reads the printer at `address` through `client` into `picture`. Waits the port's
/// OidInterval between objects and 250 ms between failed sysDescr tries (MaxPWOFF of them).
/// With a job queued or in progress, interpreters and tray are left for a quieter pass.
MibReadResult ReadPrinterMib(PortContext& port, snmp::SnmpClient& client, const char* address,
                             MibPicture& picture);

/// Writes the picture into the port's status variables, marking only the rows whose value
/// changes, and publishes them and the spooler's port status when any did. `client` and
/// `address` may be NULL: the tray and console lines are then not read here. True when a
/// variable changed.
[[nodiscard]] bool ParseDeviceId_SYSPRINTER(PortContext& port, MibPicture& picture, snmp::SnmpClient* client,
                                            const char* address, const StateHooks* hooks);

/// The read and the parse in one pass, as the polling thread and the device check make it.
/// The variables are only touched for a supported printer that answered the whole read.
MibReadResult ReadPrinterState(PortContext& port, snmp::SnmpClient& client, const char* address,
                               const StateHooks* hooks = nullptr);

/// Gives the spooler the port status that `status` stands for when the first binding is of
/// the port's model (none otherwise, or with `status` NULL). Returns what it set.
PortStatusCode UpdateSpoolerPortStatus(PortContext& port, const PrinterStatusValue* status);
/// The spooler update for one binding, skipped (false) while another thread holds the
/// process-wide port-status mutex; the code is remembered in the binding on success.
bool SetBindingPortStatus(PortContext& port, SrmBinding& binding, const PrinterStatusValue* status);
/// SetBindingPortStatus for every binding with the current PrinterStatus; true when every
/// one succeeded (and when the port has no PrinterStatus yet).
bool PublishPortStatus(PortContext& port);

/// Name of the mutex that serialises spooler port-status updates across ports.
inline constexpr WCHAR kPortStatusMutexName[] = u"KPJLMON:OpenPrinterMutex";

}  // namespace langmon
