#pragma once
// Routines the document pages and the device page share: a change run through the resolver
// and the settings tree, the sheet told of a change, a control group shown or hidden, the
// tree's selection set anew, help, the driver's version item, and the check of the owner name
// that goes to the printer in the ANSI code page.
#include <cstddef>

#include "platform/UserTypes.h"
#include "platform/WinTypes.h"

struct PageRecord;

/// Posted to a page by CheckAnsiNameField in its deferred mode.
inline constexpr UINT kNameFieldWarningMessage = 1132;

/// The resolver over the working block with the page's controls, then every row of the
/// settings tree built again (the resolver may have changed more than `settingId`, the item
/// the user changed, 0 for none in particular); PSM_CHANGED to the sheet when `notify`.
void OnSettingChanged(PageRecord* page, HWND pageWindow, int settingId, BOOL notify);
/// PSM_CHANGED to the page's sheet (the page window's parent until the sheet is known).
void NotifyPageChanged(PageRecord* page, HWND pageWindow);

/// Each control of `controls` (ids ending with 0) is shown and enabled when it stands in
/// `shown` (ids ending with -1; NULL for none), else hidden and disabled. A shown control stays
/// disabled while the settings tree's selected item is greyed.
void ShowControlGroup(PageRecord* page, HWND pageWindow, const int* controls, const int* shown);

/// The settings tree's first item selected.
void SelectTreeRoot(PageRecord* page);
/// The tree's selection (the first item when there is none) taken away and given back, so
/// that the page builds the item's controls again from the block.
void ReselectTreeItem(PageRecord* page);

/// After the defaults were restored: when the settings tree has a selection, the change path
/// without notification and the tree's first item selected.
void ResetTreeAfterDefaults(PageRecord* page, HWND pageWindow);

/// PSN_HELP: the page's topic of the help file.
void ShowPageHelpTopic(const PageRecord* page, DWORD topic);
/// WM_HELP: the help of the control the HELPINFO names, by the {control, help} pairs of
/// `helpIds` (ending with {0, 0}). FALSE without a HELPINFO.
BOOL ShowControlHelp(const PageRecord* page, LPARAM helpInfo, const DWORD* helpIds);

/// The version item's controls: the model's name, the driver's kind and icon, and the
/// driver file's version when its module carries one (the version line is left as it is
/// otherwise).
void ShowDriverVersion(PageRecord* page, HWND pageWindow);

/// What CheckAnsiNameField does when the owner name cannot go to the printer as it is.
enum class NameFieldCheck {
    Warn = 1,        // the exclamation beep and warning 724 at once
    Deferred = 2,    // kNameFieldWarningMessage posted to the page
    SelectItem = 3,  // the settings tree's item 447 selected
};
/// Whether the text's first 17 characters (fewer at a terminator or at cchText), in the ANSI
/// code page, hold a '"', a '~' or a double-byte lead byte among their first 17 bytes.
bool HasRefusedNameByte(LPCWSTR text, size_t cchText);
/// Only while FeatureFlags bit 21 (print the owner name) is on: UserName1 holds a byte the
/// printer refuses (HasRefusedNameByte). Warn and Deferred then clear bit 21. True when such a
/// byte was found.
bool CheckAnsiNameField(HWND pageWindow, PageRecord* page, NameFieldCheck mode);
