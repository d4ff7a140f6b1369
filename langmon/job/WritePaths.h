#pragma once
// The write paths of WritePort. Each is called with the port mutex held through `hold`;
// the mutex is given up around every port-monitor call so the status side can use the port.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"

namespace langmon {

class PortHold;

/// Empties the 80-byte window.
void ClearHoldBack(PortContext& port);
/// Keeps the last bytes the port took (they are not sent again).
void KeepTail(PortContext& port, const BYTE* data, DWORD taken);

/// One write to the port monitor. The port mutex is given up around the call so the status
/// side can use the port; hold says whether it was taken back. *taken never exceeds cb.
/// A failure is kept in LastWriteError and WriteFailed; a job that the port monitor cancels
/// (1223, ERROR_CANCELLED) while the printer is on is dropped with DeleteJob.
[[nodiscard]] BOOL PMWritePort(PortContext& port, PortHold& hold, const BYTE* data, DWORD cb, DWORD* taken);

/// Write paths of WritePort; each sets the last error on failure.
[[nodiscard]] BOOL WriteKeepTail(PortContext& port, PortHold& hold, const BYTE* data, DWORD cb, DWORD* written);
[[nodiscard]] BOOL WriteChunked(PortContext& port, PortHold& hold, const BYTE* data, DWORD cb, DWORD* written);
/// Sends all but the last 80 bytes of the job so far; the 80 wait in the window until more
/// data comes or the job ends (FlushHoldBack).
[[nodiscard]] BOOL WriteHoldBack(PortContext& port, PortHold& hold, const BYTE* data, DWORD cb, DWORD* written);
/// Sends what the window holds, retrying until PendingOutputMs; the window is emptied either
/// way. False (last error set) when the port did not take it all.
[[nodiscard]] bool FlushHoldBack(PortContext& port, PortHold& hold);

}  // namespace langmon
