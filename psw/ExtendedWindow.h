#pragma once
// The extended status window: a top-level window beside the main window with a head strip, a
// column of sheet buttons, one sheet at a time and a foot strip with Refresh, Help and Close.
// It shares the window set's record and follows the status messages the main window passes
// on. Window thread.
#include "psw/StatusTables.h"

/// One row of the sheet table: which left button shows the sheet, from which template, with
/// which dialog procedure.
struct EwsSheetRow {
    EwsSheet sheet;
    WORD button;
    WORD dialogTemplate;
    DLGPROC dialogProc;
};
/// The sheet table, ended by the row of sheet EwsSheet::End.
extern const EwsSheetRow EwsSheetTable[6];
/// The row of a sheet number or of a left button; NULL when there is none.
const EwsSheetRow* EwsSheetOfNumber(EwsSheet sheet);
const EwsSheetRow* EwsSheetOfButton(WORD button);

/// Characters of the title buffer.
inline constexpr int kEwsTitleChars = 388;
/// The window title: caption then printer name, or the printer name first for Korean and
/// Traditional Chinese; cut to cchOut characters with the terminator.
void EwsTitle(LANGID language, LPCWSTR caption, LPCWSTR printerName, LPWSTR out, int cchOut);

BOOL EWS_CreateMainWindow(PSWDATA* data);
BOOL EWS_RegisterMiscWndClass(PSWDATA* data);
BOOL EWS_CreateChildWindow(PSWDATA* data);
BOOL EWS_SetRightSheet(PSWDATA* data);
BOOL EWS_ChangeWindowSize(PSWDATA* data);
BOOL EWS_GetRegWndPosSize(PSWDATA* data, POINT* position, SIZE* size);
BOOL EWS_SetRegWndPosSize(PSWDATA* data, LONG x, LONG y, LONG cx, LONG cy);
BOOL EWS_CheckFocus(PSWDATA* data);
LRESULT EWS_MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
