#pragma once
// Opens the driver's help in the window set's language: a compiled HTML help file through
// HtmlHelpW of HHCTRL.OCX (loaded on first use), its ".POP" companion or a classic ".HLP"
// file through WinHelpW. Commands use the WinHelp numbering. Window thread.
#include "psw/PswRecord.h"
#include "platform/WinTypes.h"

/// TRUE when a help call was made; finds the help path first when the record has none.
BOOL CallHelp(HWND window, UINT command, ULONG_PTR data, PSWDATA* record, LPCWSTR suffix);
BOOL CallHtmlHelp(HWND window, UINT command, ULONG_PTR data, PSWDATA* record, LPCWSTR suffix);
BOOL CallWinHelp(HWND window, UINT command, ULONG_PTR data, PSWDATA* record, LPCWSTR suffix);
/// Points *extension into path after its last "." of the file name part; FALSE when there is
/// none, the path is empty or NULL.
BOOL GetFileExtension(LPCWSTR path, LPCWSTR* extension);
/// The HtmlHelp command for a WinHelp command, or -1 for one it does not map.
int HtmlHelpCommand(UINT winHelpCommand);
