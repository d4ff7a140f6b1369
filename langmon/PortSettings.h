#pragma once
// A port's polling settings, port mode and close time-out, read from the registry when the
// port is opened (the port mode again at each job). The job flow's waits are the port
// context's own (PortWaits in langmon/PortContext.h).
#include "platform/WinTypes.h"

/// Registry read step traced at OpenPortEx ("Reg reading Step").
enum class RegReadStep : DWORD {
    NoKey = 0,
    KeyOpened = 1,
    ModeRead = 2,
    VariablePolling = 4,
    IntervalRead = 5,
};

inline constexpr DWORD kDefaultPollingIntervalMs = 3000;
inline constexpr DWORD kDefaultOidIntervalMs = 10;
inline constexpr DWORD kDefaultMaxPowerOffTries = 2;
inline constexpr DWORD kDefaultCheckDid = 1;
inline constexpr DWORD kDefaultMyPortMode = 1;
inline constexpr DWORD kMinClosePortTimeoutMs = 120000;
inline constexpr DWORD kMaxClosePortTimeoutMs = 86400000;

/// MyPortMode bit: chunked writes and the higher status-thread priority.
inline constexpr DWORD kPortModeChunked = 0x2;

inline constexpr DWORD kSnmpScratchBytes = 256;

/// The record behind `PortContext::Settings`: one block of the monitor heap per port, made
/// with the context and freed with it. Rules of the fields as in PortContext.h: "fixed" ones
/// are set before the port's polling thread starts (the thread reads them between passes);
/// "mutex" ones belong to the holder of the port mutex.
struct PortSettings {
    BOOL variablePolling = FALSE;  // fixed: LMMode == 1
    RegReadStep readStep = RegReadStep::NoKey;  // fixed
    DWORD pollingIntervalMs = kDefaultPollingIntervalMs;  // fixed
    DWORD oidIntervalMs = kDefaultOidIntervalMs;  // mutex
    DWORD maxPowerOffTries = kDefaultMaxPowerOffTries;  // mutex
    DWORD checkDid = kDefaultCheckDid;  // mutex
    // SNMP scratch: printer address, OID and value, allocated together with the settings; mutex.
    CHAR snmpAddress[kSnmpScratchBytes];
    CHAR snmpOid[kSnmpScratchBytes];
    BYTE snmpValue[kSnmpScratchBytes];
};

/// Allocates the record from `heap` (zeroed) and reads the polling settings; NULL when the
/// heap is exhausted. Freed with FreePortSettings.
[[nodiscard]] PortSettings* LoadPortSettings(HANDLE heap);
void FreePortSettings(HANDLE heap, PortSettings* settings);

/// Fills the polling values from HKLM "SOFTWARE\ZEV\Stanvel\Printers\ZEV KV-TD520 (VX)",
/// starting from the defaults. Values that are absent, not a 4-byte DWORD, or out of range
/// give the default or the nearer bound. Nothing is written back.
void ReadPollingSettings(PortSettings& settings);

/// "MyPortMode" as StartDocPort re-reads it: a non-zero registry value, else a non-zero
/// `stored` value, else 1.
[[nodiscard]] DWORD ReadMyPortMode(DWORD stored);

/// ClosePort's wait for queued jobs: the DWORD under HKLM "SOFTWARE\ZEV\ClosePortTimeout"
/// named by the printer's driver, limited to 120000..86400000; 120000 when the printer name
/// is empty or either value cannot be read.
[[nodiscard]] DWORD GetClosePortTimeout(LPCWSTR printerName);
