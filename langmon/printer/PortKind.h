#pragma once
// Which kind of port a port is, told once at open from its name, the spooler's port list and
// the registry.
#include "platform/WinTypes.h"

namespace langmon {

[[nodiscard]] bool IsLptPort(LPCWSTR name);
[[nodiscard]] bool IsComPort(LPCWSTR name);
[[nodiscard]] bool IsUsbPort(LPCWSTR name);
[[nodiscard]] bool IsUncSharePort(LPCWSTR name);
/// A port of the platform's standard TCP/IP port monitor (its port list on 6.0 and later,
/// its registry key before).
[[nodiscard]] bool IsStandardTcpPort(LPCWSTR name, DWORD winMajor);
[[nodiscard]] bool IsDpuTcpPort(LPCWSTR name);
/// From the spooler's port list: with wantWriteOnlyZero, true when the port's type is 0; else
/// true when it is exactly PORT_TYPE_WRITE. A port not listed: true; no list: false.
[[nodiscard]] bool IsPortWriteOnly(LPCWSTR name, bool wantWriteOnlyZero);
/// The port_kind value of the port.
[[nodiscard]] DWORD DetectPortKind(LPCWSTR name, DWORD winMajor);

}  // namespace langmon
