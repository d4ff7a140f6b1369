#include "langmon/printer/DeviceCheck.h"

#include <cstring>

#include "langmon/job/JobEntries.h"
#include "langmon/job/JobQueue.h"
#include "langmon/printer/JobTracking.h"
#include "langmon/MonitorProcess.h"
#include "langmon/PortHolds.h"
#include "langmon/job/PortCalls.h"
#include "langmon/job/PortDocument.h"
#include "langmon/PortSettings.h"
#include "langmon/printer/StateMapping.h"
#include "langmon/status/StatusPort.h"
#include "langmon/log/TraceLog.h"
#include "langmon/job/WritePaths.h"
#include "platform/Owners.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/Sync.h"

namespace langmon {
namespace {

constexpr WCHAR kTcpPortsKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports";
constexpr DWORD kSnmpTraceBits = kTraceDevice;
// State bits a power-off clears besides the supported mark.
constexpr DWORD kPowerOffClears = port_state::DeviceSupported | 0x80000 | 0x20000000;
constexpr DWORD kJobStatusPowerOff = 0x4;
constexpr DWORD kPowerOffJobPauseMs = 100;

// A dotted IPv4 address: four numbers of 1 to 3 digits, nothing else.
bool IsDottedAddress(LPCWSTR text) {
    int parts = 0;
    int digits = 0;
    for (; *text != 0; ++text) {
        if (*text >= u'0' && *text <= u'9') {
            if (++digits > 3) return false;
        } else if (*text == u'.' && digits != 0 && parts < 3) {
            ++parts;
            digits = 0;
        } else {
            return false;
        }
    }
    return parts == 3 && digits != 0;
}

// Narrows an address text (ASCII only) into the scratch; false when it does not fit or is not ASCII.
bool StoreAddress(PortContext& port, LPCWSTR text) {
    char* out = port.Settings->snmpAddress;
    size_t i = 0;
    for (; text[i] != 0; ++i) {
        if (i + 1 >= kSnmpScratchBytes || text[i] > 0x7E || text[i] <= 0x20) return false;
        out[i] = static_cast<char>(text[i]);
    }
    out[i] = 0;
    return i != 0;
}

// The address the port's own monitor gives through its configuration handle (newer systems).
bool AddressFromPortMonitor(PortContext& port) {
    if (port.Monitor == nullptr || port.Monitor->WinMajor < 6) return false;
    constexpr WCHAR kXcvPrefix[] = u",XcvPort ";
    WCHAR name[MAX_PATH];
    const int prefix = lstrlenW(kXcvPrefix);
    if (prefix + lstrlenW(port.PortName) >= MAX_PATH) return false;
    lstrcpyW(name, kXcvPrefix);
    lstrcpyW(name + prefix, port.PortName);
    const PrinterHandle xcv = OpenPrinterForUse(name);
    if (!xcv.Valid()) return false;
    WCHAR value[260] = {};
    DWORD needed = 0;
    DWORD status = ERROR_SUCCESS;
    const bool read = XcvDataW(xcv.Get(), u"IPAddress", nullptr, 0, reinterpret_cast<PBYTE>(value),
                               sizeof value - sizeof(WCHAR), &needed, &status) &&
                      status == ERROR_SUCCESS;
    value[259] = 0;
    return read && value[0] != 0 && StoreAddress(port, value);
}

// "IPAddress", else "HostName", of the port under the standard TCP/IP port monitor's key.
bool AddressFromConfiguration(PortContext& port) {
    RegistryKey key;
    {
        RegistryKey ports;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTcpPortsKey, 0, KEY_READ, ports.Out()) != ERROR_SUCCESS) return false;
        if (RegOpenKeyExW(ports.Get(), port.PortName, 0, KEY_READ, key.Out()) != ERROR_SUCCESS) return false;
    }
    bool found = false;
    for (LPCWSTR name : {u"IPAddress", u"HostName"}) {
        WCHAR value[260] = {};
        DWORD type = 0;
        DWORD cb = sizeof value - sizeof(WCHAR);
        if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<LPBYTE>(value), &cb) != ERROR_SUCCESS ||
            type != REG_SZ) {
            continue;
        }
        value[cb / sizeof(WCHAR)] = 0;
        if (value[0] != 0 && StoreAddress(port, value)) {
            found = true;
            break;
        }
    }
    return found;
}

// The printer is not one this monitor can show: its own status word, the defaults, pushed.
void ShowPrinterAs(PortContext& port, const PrinterStatusValue& status) {
    if (port.Variables == nullptr) return;
    {
        PortLockHold lock(port);
        StoreStatusAndIcon(port, status);
    }
    PublishPort(port);
    ApplyDefaultStatus(port, true);
    ResetConfigVariables(port, true);
    PublishPortStatus(port);
}

void PowerOffWithJobs(PortContext& port) {
    SetJobStatusBits(port, kJobStatusPowerOff, true);
    Sleep(kPowerOffJobPauseMs);
    const DWORD dataTaken = port_state::InJob | port_state::DeviceTookData;
    if ((port.State & dataTaken) != dataTaken) SetJobStatusBits(port, kJobStatusPowerOff, false);
    WriteTraceLine(&port, kTraceJobs, "KJLMON:Call DeleteJob @2");
    if ((port.SysFlag & sys_flag::PowerOffJcidSaved) == 0) {
        std::memcpy(port.PowerOffJcid, port.Jcid, sizeof port.PowerOffJcid);
        port.PowerOffJcid[kJcidChars] = 0;
        port.SysFlag |= sys_flag::PowerOffJcidSaved;
        WriteTraceText(&port, kTraceJobs, "szPWOFFJCID[%s]\r\n", port.PowerOffJcid);
    }
    JobTrackingOnPowerOff(port);
}

}  // namespace

snmp::SnmpSettings PortSnmpSettings(const PortContext& port) {
    snmp::SnmpSettings settings;
    if (port.SnmpPort != 0 && port.SnmpPort <= 0xFFFF) settings.port = static_cast<uint16_t>(port.SnmpPort);
    if (port.SnmpWaitMs != 0) settings.waitMs = port.SnmpWaitMs;
    return settings;
}

bool GetPrinterAddress(PortContext& port) {
    if (port.Settings == nullptr || port.PortName == nullptr) return false;
    port.Settings->snmpAddress[0] = 0;
    if (AddressFromPortMonitor(port) || AddressFromConfiguration(port)) return true;
    LPCWSTR name = port.PortName;
    if ((name[0] == u'I' || name[0] == u'i') && (name[1] == u'P' || name[1] == u'p') && name[2] == u'_') name += 3;
    if (IsDottedAddress(name) && StoreAddress(port, name)) return true;
    port.Settings->snmpAddress[0] = 0;
    return false;
}

void JobTrackingOnPowerOff(PortContext& port) {
    // The printer lost what it held: the queued jobs leave with their ejects. The job being
    // sent is deleted by the next status pass, which sees the power-off with its data written.
    DeleteJob(port, false);
}

DeviceAnswer CheckDeviceSnmp(PortContext& port, const StateHooks* hooks) {
    if (!GetPrinterAddress(port)) return DeviceAnswer::NoAddress;
    const char* address = port.Settings->snmpAddress;
    auto* picture = static_cast<MibPicture*>(HeapAllocZero(sizeof(MibPicture)));
    if (picture == nullptr) return DeviceAnswer::NoAddress;
    snmp::SnmpClient client(PortSnmpSettings(port));
    const MibReadResult read = ReadPrinterMib(port, client, address, *picture);
    port.LastDeviceCheckTick = GetTickCount();

    DeviceAnswer answer = DeviceAnswer::PoweredOff;
    if (read != MibReadResult::NotAnswered) {
        WriteTraceLine(&port, kSnmpTraceBits, "KJLMON:CheckDeviceId_SNMP -GET SUCCESS-");
        port.State &= ~port_state::PoweredOff;
        if (read == MibReadResult::Supported) {
            WriteTraceLine(&port, kSnmpTraceBits, "KJLMON:CheckDeviceId_SNMP -サポートプリンタ-");
            bool marked = false;
            if ((port.State & port_state::DeviceSupported) == 0) {
                // Back from "not ours" or "off": every variable goes out again.
                port.State |= port_state::DeviceSupported | port_state::JobEnded;
                if (port.Variables != nullptr) {
                    PortLockHold lock(port);
                    port.Variables->MarkChanged();
                }
                marked = true;
            }
            if (!ParseDeviceId_SYSPRINTER(port, *picture, &client, address, hooks) && marked) PublishPort(port);
            answer = DeviceAnswer::Supported;
        } else {
            WriteTraceLine(&port, kSnmpTraceBits, "KJLMON:CheckDeviceId_SNMP -サポート外プリンタ-");
            PrinterStatusValue old{};
            if (port.Variables != nullptr) {
                PortLockHold lock(port);
                port.Variables->ReadStatus(&old);
            }
            ShowPrinterAs(port, PrinterStatusValue{0, kStatusUnsupportedPrinter, old.L & 0x8});
            port.State &= ~port_state::DeviceSupported;
            answer = DeviceAnswer::Unsupported;
        }
    } else {
        WriteTraceLine(&port, kSnmpTraceBits, "KJLMON:CheckDeviceId_SNMP -GET ERROR-");
        // A second silent read changes nothing: the port shows "off" already.
        if ((port.State & port_state::PoweredOff) == 0) {
            if (port.InJobWord != 2) DropHeldBack(port);
            WriteTraceLine(&port, kSnmpTraceBits, "KJLMON:CheckDeviceId_SNMP -Set PW OFF-");
            ShowPrinterAs(port, PrinterStatusValue{0, kStatusPoweredOff, 0});
            if (JobQueueLength(port) != 0) PowerOffWithJobs(port);
            port.State |= port_state::PoweredOff;
            if ((port.State & port_state::InJob) == 0) port.MyPortMode = 0;
            port.State &= ~kPowerOffClears;
        }
    }
    HeapFreeBlock(picture);
    return answer;
}

bool CheckDeviceId(PortContext& port, const StateHooks* hooks) {
    WriteTraceLine(&port, kSnmpTraceBits, "KJLMON:CheckDeviceId -START-");
    bool ok = true;
    if ((port.PortKind & port_kind::Snmp) != 0) {
        // Without hooks of the caller's, the printer's own job table tells whether it prints.
        const DeviceAnswer answer = CheckDeviceSnmp(port, hooks != nullptr ? hooks : TrackingStateHooks());
        ok = answer == DeviceAnswer::Supported || answer == DeviceAnswer::Unsupported;
    }
    WriteTraceText(&port, kSnmpTraceBits, ok ? "KJLMON:CheckDeviceId -SUCCESS-\r\n" : "KJLMON:CheckDeviceId  -ERROR-\r\n");
    return ok;
}

}  // namespace langmon
