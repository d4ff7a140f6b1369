#pragma once
// The constraint resolver: the ordered rules that keep a settings block consistent after a
// user's change, and the controls and tree items they enable or grey.
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"
#include "settings/PrinterData.h"

struct PageRecord;

/// Applies the rules to the block; with a dialog and a tree (page record) also enables or greys
/// their controls and items.
void ApplyConstraints(DriverDevMode* block, PageRecord* tree, PrinterStatusSnapshot* status, HANDLE printer,
                      const ModelDescription* model, HWND dialog, HMODULE languageLibrary, DWORD contextFlags);
void EnableDialogControl(HWND dialog, int id, BOOL enable);
void EnableTreeItem(PageRecord* tree, int itemId, BOOL enable);
