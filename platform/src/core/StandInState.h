#pragma once
// Process-wide settings of the stand-in that several platform families read: the root, the
// chosen code page, clock, names and version, module folders and injected faults.
#include <string>
#include <vector>

#include "platform/StandIn.h"
#include "platform/WinTypes.h"

namespace standin::state {

/// True when the next call of this kind must fail; *error then holds the error to report.
/// Counts the call either way.
bool ShouldFail(Fault kind, DWORD* error);

UINT AnsiCodePage();
std::u16string WindowsDirectory();   // "C:\Windows"
std::u16string SystemDirectory();    // "<windows>\system32"
std::u16string ComputerName();
std::u16string UserName();
void OsVersion(DWORD* major, DWORD* minor, DWORD* build, DWORD* platformId);
LANGID UserDefaultLanguage();
std::vector<std::string> ModuleFolders();

/// The current local and system time and tick count: the fixed clock when one is set
/// (advanced by AdvanceClock), else the real one.
SYSTEMTIME LocalTime();
SYSTEMTIME SystemTime();
DWORD TickCount();

}  // namespace standin::state
