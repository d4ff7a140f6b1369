#pragma once
// The main status window: its procedure, what it does on the manager's messages, and the
// display conditions the connection sets. Window thread.
#include "psw/StatusTables.h"

LRESULT MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
/// The private range WM_USER..WM_PSW_SET_LAST: 0 when handled, DefWindowProcW's result otherwise.
LRESULT PSWWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, PSWDATA* data);

/// Display conditions from Port and PrinterExtStatus; closes the windows they no longer allow.
void CheckSupportConnection(PSWDATA* data);
void UpdateWithPortEx(PSWDATA* data);
BOOL UpdateWithSendingJobInfo(PSWDATA* data);
