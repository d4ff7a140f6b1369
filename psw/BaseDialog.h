#pragma once
// The base dialog that fills the main window (status text, picture, toner line) and the
// modal user-authority notice. Window thread.
#include "psw/StatusTables.h"

/// Creates the base dialog from its template in the record's language, hidden.
BOOL CreateChildWindow(PSWDATA* data);
/// Fits the main window around the base dialog and moves it to its stored position.
BOOL ChangeWindowSize(PSWDATA* data);
/// The printing job's name on the base dialog; left as it is while another printer is
/// connected or before the base dialog exists.
void UpdateWithPrintingJobInfo(PSWDATA* data);
INT_PTR BaseDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR AuthorityDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
