#pragma once
// The extended window's dialogs (head, left and foot strips, and the sheets), the tables that
// put texts and fonts on their controls, and the sheet updaters. The sheets are a frame: their
// value fields show the language library's frame text (kFrameText) and their pictures are
// cleared. Window thread.
#include "psw/StatusTables.h"

/// The font a control of a text table gets: the dialog's own, or its bold or bold large one.
enum class TextFont : WORD { Plain, Bold, Large };

/// One row of a dialog's text table: the control, its string and its font. Tables end with a
/// row whose control is 0.
struct ControlTextTable {
    WORD control;
    WORD stringId;
    TextFont font;
};

INT_PTR EwsDlgProcHead(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR EwsDlgProcLeft(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR EwsDlgProcFoot(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR EwsDlgProcR01(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR EwsDlgProcR02(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR EwsDlgProcR03(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR EwsDlgProcR04(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR EwsDlgProcR05(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR EwsDlgProcR06(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

/// The bold font and the large one derived from the GUI font: FW_BOLD, and the height
/// times num / den (3/2 for the head, 5/4 elsewhere).
void EwsMakeFonts(int num, int den, HFONT* bold, HFONT* large);

// Sheet updaters: each writes the frame text and clears the pictures of its sheet, when it
// is the one shown. TRUE.
BOOL EWS_SetPrinterInformation(PSWDATA* data, HWND sheet);
BOOL EWS_SetPrinterName(PSWDATA* data, HWND sheet);
BOOL EWS_SetPortName(PSWDATA* data, HWND sheet);
BOOL EWS_SetPrinterDisplay(PSWDATA* data, HWND sheet);
BOOL EWS_SetPaperInputTray(PSWDATA* data, HWND sheet);
BOOL EWS_SetPaperOutputBin(PSWDATA* data, HWND sheet);
BOOL EWS_SetPrinterOptConfig(PSWDATA* data);
BOOL EWS_SetCovers(PSWDATA* data, HWND sheet);
BOOL EWS_SetTonerLevel(PSWDATA* data, HWND sheet);
BOOL EWS_SetConsumables(PSWDATA* data);
