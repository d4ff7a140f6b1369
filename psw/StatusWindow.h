#pragma once
// The status window library's entry points as the status-monitor program calls them and the
// binding to the manager. All on the host's window thread.
#include "psw/StatusTables.h"
#include "psw/WindowSetDisplay.h"

// The five exports (the module's shims call these); DisplayStatusWindow and
// CloseStatusWindow are declared with the window set's display.
namespace psw {
DWORD GetPSWStatusTable(HMODULE* module, const PSWStatusEntry** table, DWORD* count, DWORD* reserved);
DWORD InitializeStatusWindowEx(LPCSTR printerName, LPVOID unused, HWND parent, HWND* mainWindow, HWND* dialogs,
                               HACCEL* accelerators, DWORD* extra);
DWORD DestroyStatusWindow(HWND mainWindow);
}  // namespace psw

/// Loads the manager and resolves its entry points: 0 or the SRMERR code of the first missing.
DWORD InitializeSRM(PSWDATA* data);
/// Opens the manager for the printer, registers the notifications and fetches the first values.
DWORD GetSRMInitValue(PSWDATA* data);
