#pragma once
// The settings tree in dialogs of its own: the settings list (kSettingsListTemplate) and the
// confirmation of a new preset (kPresetConfirmTemplate).
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"

struct PageRecord;

/// kSettingsListTemplate, parameter: the opener's PageRecord. Shows the working block's tree
/// after a resolver run; Close or Cancel end it with 1.
INT_PTR TreeHostDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/// kPresetConfirmTemplate, parameter: the opener's PageRecord. Titled with the model's printer
/// name; OK ends it with 1, Cancel with 0.
INT_PTR PresetTreeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/// Open the dialogs over `owner`; their result, 0 when they cannot be shown. While one is up
/// the opener's tree field holds the dialog's tree; it holds its earlier value again after.
INT_PTR ShowSettingsTreeDialog(PageRecord* page, HWND owner);
INT_PTR ShowPresetTreeDialog(PageRecord* page, HWND owner);
