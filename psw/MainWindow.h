#pragma once
// The main status window: its procedure, the private messages of the manager, and the
// operations its dialogs share.
#include "psw/StatusTables.h"

LRESULT MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
/// The private range WM_USER..WM_PSW_SET_LAST: 0 when handled, DefWindowProcW's result otherwise.
LRESULT PSWWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, PSWDATA* data);

/// Display conditions from Port and PrinterExtStatus; closes the windows they no longer allow.
void CheckSupportConnection(PSWDATA* data);
void UpdateWithPortEx(PSWDATA* data);
void UpdateWithPrintingJobInfo(PSWDATA* data);
BOOL UpdateWithSendingJobInfo(PSWDATA* data);
BOOL CallSetForegroundWindow(HWND hwnd);
BOOL CallSetForegroundWindowEx(HWND hwnd);
void SetDialogFont(HWND hwnd, const PSWDATA* data);
/// The text cut (with the suffix) to fit the width; see the header of the implementation.
BOOL CreateShortString(HDC dc, int maxWidth, LPCWSTR text, LPCWSTR suffix, LPWSTR out, int cchOut);

/// Copies a fixed wide field of a value into out, always terminated (cchField characters at
/// most, and no more than the value holds).
void CopyWideField(const PSWVariable& row, DWORD offset, DWORD cchField, LPWSTR out, DWORD cchOut);
