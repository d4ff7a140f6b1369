#pragma once
// Document page one (template 1100 of the language library): the owner-drawn category list
// with the panel of the chosen category, the presets list, the hint line and the paper
// picture; and the routines the other pages share with it.
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"

struct PageRecord;

inline constexpr int kDocumentPage1Template = 1100;
/// Page-flag bit: the page has opened the finishing-position dialog (left set); the dialogs of
/// printer-wide tables show themselves read-only for such a page.
inline constexpr DWORD kPageFlagFinishingOpened = 0x1;
/// Posted to a page by CheckAnsiNameField in its deferred mode.
inline constexpr UINT kNameFieldWarningMessage = 1132;

/// The page's procedure. It handles its controls, the presets and the page notifications and
/// hands everything else (the record at WM_INITDIALOG, PSN_APPLY, the settings tree) to
/// PageFrameDlgProc.
INT_PTR DocumentPage1DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

/// The resolver over the working block with the page's controls, then the settings tree's
/// item `settingId` (every item for 0) built again; PSM_CHANGED to the sheet when `notify`.
void OnSettingChanged(PageRecord* page, HWND pageWindow, int settingId, BOOL notify);
/// Each control of `controls` (ids ending with 0) is shown and enabled when it stands in
/// `shown` (ids ending with -1; NULL for none), else hidden and disabled. A shown control stays
/// disabled while the settings tree's selected item is greyed.
void ShowControlGroup(PageRecord* page, HWND pageWindow, const int* controls, const int* shown);

/// What CheckAnsiNameField does when the owner name cannot go to the printer as it is.
enum class NameFieldCheck {
    Warn = 1,        // the exclamation beep and warning 724 at once
    Deferred = 2,    // kNameFieldWarningMessage posted to the page
    SelectItem = 3,  // the settings tree's item 447 selected
};
/// Only while FeatureFlags bit 21 (print the owner name) is on: the first 17 characters of
/// UserName1 in the ANSI code page hold a '"', a '~' or a double-byte lead byte among their
/// first 17 bytes. Warn and Deferred then clear bit 21. True when such a byte was found.
bool CheckAnsiNameField(HWND pageWindow, PageRecord* page, NameFieldCheck mode);
