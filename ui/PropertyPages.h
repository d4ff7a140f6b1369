#pragma once
// The property pages of the sheets: one page record per page, their templates, image lists
// and icons, the activation context, and help.
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "ui/UiContext.h"

/// The record of one page: its dialog data and the parameter of its sub-dialogs.
struct PageRecord {
    UiContext* context;
    HWND dialog;
    int templateId;           // 1100, 1200, 1300 or 1400
    HWND tree;                // the settings tree of the page, NULL when none
    void* treeState;          // the settings tree's own state (SettingsTree.h)
    DWORD flags;              // page flags (kPageFlag*)
};

/// Adds the pages of the context's sheet through compstui; 1 when all were added.
int BuildPropertyPages(UiContext* context);
/// The pages' PSPCB_* callback: frees the page's record at release.
UINT PropertyPageCallback(HWND window, UINT message, void* page);
/// HTML Help through hhctrl's HtmlHelpW; the help window or NULL.
HWND InvokeHtmlHelp(HWND caller, LPCWSTR file, UINT command, ULONG_PTR data);
