#pragma once
// The monitor's own short documents on a port (status traffic between jobs) and the control
// requests it passes to the port monitor.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"

namespace langmon {

/// Opens a monitor-owned port document on ports of kind 0x4 (not share ports): state 0x40.
/// False when none could be opened.
bool OpenStatusDocument(PortContext& port);
/// Sends the held-back bytes (PortContext::Pending) and then `data`, each with bounded
/// retries; unwritten bytes are kept in Pending as the rules say. `written` gets the new
/// bytes written. True when everything was written; the last error is set either way.
bool WritePortData(PortContext& port, const BYTE* data, DWORD cb, DWORD* written, bool keepRest,
                   bool onlyWhenTracking);
/// The printer's own status reports switched off when polling ends.
void SendUstatusOff(PortContext& port);
/// Every control request to the port monitor (the IEEE 1284 and USB handling included).
BOOL PMGetPrinterDataFromPort(PortContext& port, DWORD controlId, LPWSTR valueName, LPWSTR in, DWORD cbIn,
                              LPWSTR out, DWORD cbOut, LPDWORD returned);

}  // namespace langmon
