#pragma once
// The settings summary tree of the pages: rows per page layout, their texts, images and
// colours.
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"

struct PageRecord;

/// Replaces placeholder 1301 of the page with the tree; the tree window or NULL.
HWND CreateSettingsTree(PageRecord* page, HWND dialog);
void FillSettingsTree(PageRecord* page, HWND tree);
void RefreshSettingsTree(PageRecord* page);
void RefreshTreeItem(PageRecord* page, int itemId);
/// Whether the item is shown under the current options.
BOOL IsTreeItemEnabled(PageRecord* page, int itemId);
