#pragma once
// The monitor's own short documents on a port (status traffic between jobs) and the control
// requests it passes to the port monitor.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"

namespace langmon {

/// Control codes of the port monitor's GetPrinterDataFromPort that the monitor treats itself.
inline constexpr DWORD kControlReset = 7;                   // the driver resets the printer
inline constexpr DWORD kIoctlParSetInformation = 0x160008;  // input byte 1: parallel port reset
inline constexpr DWORD kIoctlParQueryDeviceId = 0x16000C;
inline constexpr DWORD kIoctlIeee1284GetMode = 0x160014;    // out: Ieee1284Modes
inline constexpr DWORD kIoctlIeee1284Negotiate = 0x160018;  // in and out: Ieee1284Modes
inline constexpr DWORD kIoctlParGetDeviceCaps = 0x160024;   // out: 2 bytes
inline constexpr DWORD kIoctlUsbGetDeviceId = 0x220414;     // out: 2-byte length, then the id

/// The IEEE 1284 read and write modes of a parallel port, as the mode IOCTLs carry them.
struct Ieee1284Modes {
    USHORT ReadMask;
    USHORT WriteMask;
};
static_assert(sizeof(Ieee1284Modes) == 4);

/// Opens a monitor-owned port document (JobId -1, level 3) on ports of kind 0x4 that are not
/// share ports, when no document is open: state 0x40, the port's time-outs set. True only when
/// this call opened one; the caller ends it with CloseStatusDocument. Caller holds the port
/// mutex.
[[nodiscard]] bool OpenStatusDocument(PortContext& port);
/// Ends the open port document and clears state 0x40 (the last error is kept).
void CloseStatusDocument(PortContext& port);

/// Sends the held-back bytes (PortContext::Pending) and then `data`, each until a call of the
/// port monitor takes something, at most 50 calls with RetryPauseMs between them. Bytes the
/// port took are never sent again; the unwritten rest of a partial write, and with `keepRest`
/// the whole of data that could not be written, are kept in Pending behind what is there, so
/// the caller does not send them again. While a job's data pass straight through the port
/// (a job in progress with in-job word 1) held-back bytes wait, and new data only join them. Opens and ends a port
/// document of its own when none is open. `written` (may be NULL) gets the bytes of `data` the
/// port took. True when nothing is left held back and all of `data` was written; the last
/// error is the failing call's (0 on success). Caller holds the port mutex.
bool WritePortData(PortContext& port, const BYTE* data, DWORD cb, DWORD* written, bool keepRest,
                   bool onlyWhenTracking);
/// Frees the held-back bytes. Caller holds the port mutex.
void DropHeldBack(PortContext& port);
/// Ends the printer's own status reports when polling ends ("@PJL USTATUSOFF" between two
/// UELs), on ports that track jobs and a printer that is on; never inside a job's data. The
/// held-back bytes are dropped afterwards. Takes the port mutex.
void SendUstatusOff(PortContext& port);

/// At a job's start on a parallel port: ECP hardware mode turns on the chunked writes; a
/// device that can do ECP is negotiated into it, and back when it does not take it.
void SettleIeee1284AtStart(PortContext& port);
/// Every control request to the port monitor: the IEEE 1284 mode settled again before a
/// parallel port reset, the device id of ports in chunked mode answered without the port
/// monitor, queued jobs dropped after a reset of the supported printer, and the USB device id
/// of "ZEVUSB" ports taken from behind its length prefix. *returned never exceeds cbOut.
[[nodiscard]] BOOL PMGetPrinterDataFromPort(PortContext& port, DWORD controlId, LPWSTR valueName, LPWSTR in, DWORD cbIn,
                                            LPWSTR out, DWORD cbOut, LPDWORD returned);

}  // namespace langmon
