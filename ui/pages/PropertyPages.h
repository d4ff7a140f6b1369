#pragma once
// The property pages of the sheets: one page record per page, their templates, image lists
// and icons, the activation context, and help.
#include "platform/Controls.h"
#include "platform/PropSheet.h"
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "ui/entry/UiContext.h"

struct PageImages;  // ui/pages/PageIcons.h
struct PositionDialogState;  // ui/dialogs/PositionDialog.h

/// DataFlags bit of the working block: a document page is active (between PSN_SETACTIVE and
/// PSN_APPLY).
inline constexpr DWORD kOptionPageActive = 1u << 27;
/// Page-flag bit that the settings tree reads to choose its layout.
inline constexpr DWORD kPageFlagTreeLayout = 0x2;
inline constexpr WORD kNoHoverItem = 0xFFFF;

/// The record of one page: its dialog data (DWLP_USER of the page) and the parameter of its
/// sub-dialogs. Made by BuildPropertyPages, freed by the page's own release callback; it
/// never outlives the pages' context, but its release touches nothing of that context.
struct PageRecord {
    UiContext* context;
    HWND dialog;
    int templateId;           // kDocumentPage1Template to kDocumentPage3Template, or kDevicePageTemplate
    HWND tree;                // the settings tree of the page, NULL when none
    void* treeState;          // the settings tree's own state (SettingsTree.h)
    DWORD flags;              // page flags (kPageFlag*)
    HANDLE comPage;           // compstui's answer to the add-page call (for CPSFUNC_SET_RESULT)
    HWND sheet;               // the sheet window, from PSN_SETACTIVE
    PageImages* images;       // image lists and icons, owned (PageIcons.h)
    HBITMAP bitmap;           // owned, deleted at release
    HWND child;               // owned, destroyed at release
    WORD hoverItem;           // hovered item of the hover list box, kNoHoverItem for none
    WNDPROC hoverPreviousProc;  // the hover list box's procedure before subclassing
    const int* hoverItems;    // list indices the hover list box tracks, ending with -1
    PositionDialogState* position;  // the open print-position dialog's state, NULL when none
};

/// Adds the pages of the context's sheet through compstui (device sheet: kDevicePageTemplate;
/// document sheet: kDocumentPage1Template to kDocumentPage3Template); 1 when all were added.
/// On 0 the pages added before stay with compstui, which releases them; the refused one has
/// been released already.
int BuildPropertyPages(UiContext* context);
/// The pages' PSPCB_* callback: frees the page's record and what it owns (the settings
/// tree's state included) at PSPCB_RELEASE; returns 1.
UINT PropertyPageCallback(HWND window, UINT message, PROPSHEETPAGEW* page);
/// The dialog procedure every page starts from: keeps the page record as DWLP_USER; at
/// WM_INITDIALOG puts the settings tree in place of kTreePlaceholder when the template holds
/// one; at WM_INITDIALOG and PSN_SETACTIVE runs the constraint resolver over the working block
/// with the page's controls and tree and refreshes the tree; marks the working block while the
/// page is active, hands it to the result on PSN_APPLY and reports CPSUI_OK, and takes context
/// help to HTML Help. The pages' own procedures do the same around their controls.
INT_PTR PageFrameDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/// The frame's change step: the resolver over the working block, greying the page's controls
/// and tree items, then the tree's texts from the block it left.
void PageFrameResolve(PageRecord* page);
/// The page record of a page or sub-dialog window (its DWLP_USER), NULL before WM_INITDIALOG.
PageRecord* PageRecordOf(HWND dialog);

/// The page's bitmap and child window (each destroyed at release, an earlier one at once).
void SetPageBitmap(PageRecord* page, HBITMAP bitmap);
void SetPageChild(PageRecord* page, HWND child);

/// A new icon (the caller destroys it) of 16 x 18 pixels: the icon one pixel down on a white,
/// opaque frame, its hotspot one pixel further right and down. NULL when the icon cannot be
/// read.
[[nodiscard]] HICON PadIconTo16x18(HICON icon);
/// The index of the icon in the page's settings-tree image list, loading, padding and adding
/// it the first time; -1 when it cannot be loaded.
int GetTreeImageIndex(PageRecord* page, int iconId);

/// Before system version 6: an activation context from this library's manifest (resource 2),
/// kept for the process; 1 when one was made now. From version 6 on none is made.
int CreatePageActivationContext();
/// The context the pages run under, NULL when none.
HANDLE PageActivationContext();
/// Releases the context and frees the module it came from (at process detach).
void ReleasePageActivationContext();

/// Subclasses an owner-drawn list box of the page so that it tracks the hovered item among
/// `items` (list indices ending with -1, kept by the caller for the page's life).
void SubclassHoverListBox(PageRecord* page, HWND listBox, const int* items);
LRESULT HoverListBoxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/// HTML Help through hhctrl's HtmlHelpW (the registered control, else "hhctrl.ocx");
/// the help window or NULL. After one failed load every call answers NULL.
HWND InvokeHtmlHelp(HWND caller, LPCWSTR file, UINT command, ULONG_PTR data);
