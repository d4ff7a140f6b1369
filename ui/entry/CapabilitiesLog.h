#pragma once
// The debug-log lines of the capabilities call.
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"

namespace capabilities {

// LogControl categories of the capabilities call.
inline constexpr DWORD kLogEntryExit = 0x1;
inline constexpr DWORD kLogIndex = 0x2;
inline constexpr DWORD kLogSettingsDump = 0x20;

/// "DDI:DrvDeviceCapabilities IN" or "... OUT", when the block asks for them.
void LogEntry(const DriverDevMode& block, bool entering);
/// The settings dump and the line naming the index, when the block asks for them.
void LogRequest(const DriverDevMode& block, WORD index);
/// The standard name of an index 1 to 33 ("DC_PAPERS"), NULL for any other.
[[nodiscard]] const char* CapabilityName(WORD index);

}  // namespace capabilities
