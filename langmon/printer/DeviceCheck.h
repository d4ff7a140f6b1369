#pragma once
// The device check of a network port: whether a supported printer answers at the port's
// address, and the port's view of the printer switched to "not supported" or "powered off"
// when it does not. The polling thread, the refresh request and the job flow call it while
// holding the port mutex.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"
#include "langmon/printer/PrinterState.h"
#include "langmon/snmp/SnmpClient.h"

namespace langmon {

/// PrinterStatus of a printer that answers but is not the supported model (M word).
inline constexpr DWORD kStatusUnsupportedPrinter = 0x200;
/// PrinterStatus of a printer that does not answer (M word).
inline constexpr DWORD kStatusPoweredOff = 0x100;

/// The SNMP client settings for the port: its agent port and answer wait when set, else the
/// client's defaults.
[[nodiscard]] snmp::SnmpSettings PortSnmpSettings(const PortContext& port);

/// Fills the port's address scratch (Settings->snmpAddress) from the standard TCP/IP port
/// monitor's configuration of the port ("IPAddress", else "HostName"), else from a port name
/// of the form "IP_<address>" or a bare dotted address. False when none is found.
[[nodiscard]] bool GetPrinterAddress(PortContext& port);

/// Outcome of the SNMP device check.
enum class DeviceAnswer {
    NoAddress,     // the port's address is not known: nothing was asked
    Supported,     // the supported model answered
    Unsupported,   // another printer answered
    PoweredOff,    // nothing answered
};

/// Reads the printer and updates the port: power-off and supported bits, PrinterStatus,
/// IconState, the defaults of a printer that is not ours, the spooler's port status. The
/// result tells what answered.
DeviceAnswer CheckDeviceSnmp(PortContext& port, const StateHooks* hooks = nullptr);

/// True when a printer that can take jobs answers (supported or not); ports that are not
/// followed by SNMP always pass.
bool CheckDeviceId(PortContext& port, const StateHooks* hooks = nullptr);

/// A power-off found with jobs queued: the queue is dropped (DeleteJob, without deleting the
/// job being sent; the status pass that sees the power-off does that).
void JobTrackingOnPowerOff(PortContext& port);

}  // namespace langmon
