#pragma once
// What the pages and their dialogs share: warnings and hints, defaults, paper and source
// names, and the status wait box.
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"

struct PageRecord;

/// A message box with the text (at most 128 characters) and the caption (the given text, else
/// the caption id, at most 64 characters) from the language library; MessageBoxW's result.
int ShowMessage(HWND owner, UINT textId, LPCWSTR caption, UINT captionId, UINT style, HMODULE languageLibrary);
/// STM_SETICON on the control; the previous icon.
HICON SetControlIcon(HWND dialog, int control, HICON icon);
/// The page's hint (static 1000) and its icon (1006) of the kind; text id 0 hides both.
void SetPageHint(PageRecord* page, HWND dialog, UINT textId, int iconKind);
/// Asks, then restores the page's defaults; 1 when restored, 0 when not.
int RestoreDefaults(PageRecord* page, HWND dialog);

/// The status wait box (template 2700): ends with 1 when the installed options were taken over.
INT_PTR StatusWaitBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/// The name of the form at 1-based paperIndex of the context's table, else the model's default
/// form; out holds at least 65 characters.
void GetPaperNameByIndex(PageRecord* page, HWND dialog, int paperIndex, LPWSTR out);
/// OutputPaperName when it is not empty, else dmFormName; out holds at least 33 characters.
void GetEffectivePaperName(PageRecord* page, LPWSTR out);
/// The model's name of the block's default source (out unchanged when none matches); with a
/// form overlay, the overlay file's source value, else 0.
DWORD GetPaperSourceName(PageRecord* page, HWND dialog, LPWSTR out);
bool IsPortraitPaper(const DriverDevMode* settings);
