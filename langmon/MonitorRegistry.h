#pragma once
// Values of the monitor's registry root, read through the spooler's MONITORREG: the waits of
// every port and single DWORD settings.
#include "langmon/PortContext.h"
#include "platform/Monitor.h"

namespace langmon {

/// Defaults, then every value found under the monitor's registry root, bounded to 1..default.
PortWaits LoadWaits(const MONITORINIT* init);
/// A DWORD of the monitor's registry root through the spooler's MONITORREG; false if absent.
[[nodiscard]] bool QueryRootDword(const MONITORINIT* init, LPCWSTR name, DWORD* value);

}  // namespace langmon
