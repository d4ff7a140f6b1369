#pragma once
// Document page one (kDocumentPage1Template of the language library): the owner-drawn category
// list with the panel of the chosen category, the presets list, the hint line and the paper
// picture. The routines it shares with the other pages are in ui/pages/PageRoutines.h.
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"

struct PageRecord;

/// Page-flag bit: the page has opened the finishing-position dialog (left set); the dialogs of
/// printer-wide tables show themselves read-only for such a page.
inline constexpr DWORD kPageFlagFinishingOpened = 0x1;

/// The page's procedure. It handles its controls, the presets and the page notifications and
/// hands everything else (the record at WM_INITDIALOG, PSN_APPLY, the settings tree) to
/// PageFrameDlgProc.
INT_PTR DocumentPage1DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
