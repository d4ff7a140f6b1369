#pragma once
// The status window library's entry points as the status-monitor program calls them, the
// binding to the manager, and the release of a record. All on the host's window thread.
#include "psw/PswModule.h"
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
/// Loads the six status icons (16x16 of 20004, 20002, 20003, then 32x32 of the same),
/// destroying the ones loaded before.
void LoadStatusIcons(PSWDATA* data);
/// Writes the window set's settings under the printer's current key: the main window's
/// position, the extended window's while it exists, and the five settings.
void SaveWindowSetRegData(PSWDATA* data);
/// After the printer's name changed from oldName to the record's name: removes the old
/// printer key's settings and writes the window set's under the new one. Does nothing when
/// the two names give the same key (no real rename). TRUE.
BOOL UpdatePSWRegData(PSWDATA* data, LPCWSTR oldName);
/// Frees everything the record holds, then the record.
void PswBufferRelease(PSWDATA* data);
