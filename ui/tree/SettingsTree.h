#pragma once
// The settings summary tree of the pages: rows per page layout, their texts, images and
// colours. One line per setting, "label<value>", with an icon; the value drawn in a colour
// that tells whether it differs from the block last handed back and whether the constraint
// resolver greyed it. Everything here runs on the sheet's thread.
#include <span>

#include "platform/Controls.h"
#include "platform/User.h"
#include "platform/UserTypes.h"
#include "platform/WinGdi.h"
#include "platform/WinTypes.h"

struct PageRecord;

/// One row of a layout: its level (1 is the root; a row of level n hangs under the last row of
/// level n - 1) and its item id (the language string of its label).
struct TreeLayoutRow {
    int level;
    int itemId;
};

// The item data word (TVITEMW lParam): bits 0-15 the item id, 16-23 the flags, 24-31 the
// number of label characters (the "<" included when there is a value).
inline constexpr DWORD kTreeFlagGreyed = 0x01;    // set and cleared by EnableTreeItem
inline constexpr DWORD kTreeFlagMarkA = 0x02;     // 0x02, 0x08 and 0x40 draw the marker icon
inline constexpr DWORD kTreeFlagChanged = 0x04;   // the value differs from the result block
inline constexpr DWORD kTreeFlagMarkB = 0x08;
inline constexpr DWORD kTreeFlagClosing = 0x10;   // the text ends with a ">" in the text colour
inline constexpr DWORD kTreeFlagMarkC = 0x40;

constexpr LPARAM MakeTreeItemWord(int itemId, DWORD flags, int labelLength) {
    return static_cast<LPARAM>((static_cast<DWORD>(itemId) & 0xFFFFu) | ((flags & 0xFFu) << 16) |
                               ((static_cast<DWORD>(labelLength) & 0xFFu) << 24));
}
constexpr int TreeItemId(LPARAM word) { return static_cast<int>(static_cast<DWORD>(word) & 0xFFFFu); }
constexpr DWORD TreeItemFlags(LPARAM word) { return (static_cast<DWORD>(word) >> 16) & 0xFFu; }
constexpr int TreeItemLabelLength(LPARAM word) { return static_cast<int>((static_cast<DWORD>(word) >> 24) & 0xFFu); }

/// The three layouts: the device sheet's (8 rows), the basic document one (18) and the full
/// one (43).
std::span<const TreeLayoutRow> DeviceTreeLayout();
std::span<const TreeLayoutRow> BasicTreeLayout();
std::span<const TreeLayoutRow> FullTreeLayout();
/// The layout the page shows: a device sheet (context flag 0x10) the device layout; a document
/// sheet (context flag 0x20 or 0x40) whose page flag 0x2 is clear the basic layout; otherwise
/// the full one.
std::span<const TreeLayoutRow> ChooseTreeLayout(const PageRecord* page);

/// Replaces kTreePlaceholder of the page's dialog with the tree (same rectangle, z-order and
/// font), subclassed and filled; the tree window, or NULL (the placeholder then stays).
HWND CreateSettingsTree(PageRecord* page, HWND dialog);
/// Gives the tree the page's 16 x 18 image list (PageTreeImages); FALSE when there is none.
BOOL SetTreeImageList(PageRecord* page, HWND tree);
/// Inserts every layout row that IsTreeItemEnabled accepts, each with its text, and selects
/// the root. FALSE when an insertion failed.
BOOL FillSettingsTree(PageRecord* page, HWND tree);
/// Inserts row `row` of the layout under the last inserted item of the level above, with its
/// text; the new item, or NULL.
HTREEITEM InsertTreeItem(PageRecord* page, HWND tree, int row);
/// The item of the first row with that id; NULL when none is shown.
HTREEITEM FindTreeItem(PageRecord* page, int itemId);
/// Builds the text, data word and image of every row with that id again.
void RefreshTreeItem(PageRecord* page, int itemId);
/// The same for every shown row.
void RefreshSettingsTree(PageRecord* page);
/// Builds row `row`'s text, data word and image from the context's working block (compared
/// with its result block); its greyed flag carries over. FALSE when the row has no item.
BOOL FormatTreeItemText(PageRecord* page, int row);
/// Whether the item is shown under the current options: items 451, 458 and 459 only while bit
/// 0x10000 of the working block's OptionFlags (400) is clear.
BOOL IsTreeItemEnabled(PageRecord* page, int itemId);

/// Draws the items of the tree that meet the update rectangle over what the control drew:
/// background, label, value in its colour, the closing ">" and the marker icons. The DC's
/// font, colours, background mode and alignment are restored.
void PaintSettingsTree(HDC hdc, HWND tree, PageRecord* page, const RECT* update);
/// The tree's window procedure: WM_PAINT is painted over by PaintSettingsTree; everything else
/// goes to the control's own procedure.
LRESULT SettingsTreeWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
/// Owner drawing of a list box or combo box item whose data's low word is an icon id: the icon
/// from the 16 x 18 list 3 pixels in, the text 23 pixels in. FALSE for nothing drawn.
BOOL DrawListItem(PageRecord* page, const DRAWITEMSTRUCT* item);
/// A font like `base` (the system's GUI font for NULL) with another weight; the caller deletes
/// it. NULL on failure.
HFONT CreateDerivedFont(HFONT base, LONG weight);
/// The control's rectangle in the dialog's client coordinates; FALSE when there is no such
/// control.
BOOL GetControlRectInDialog(HWND dialog, int id, RECT* rect);

/// Whether the background is dark: G x 67 + B x 10 + R x 23 < 12750.
BOOL IsDarkBackground(COLORREF background);
/// The value's colour on that background: changed magenta / red, changed and greyed yellow /
/// dark red, unchanged cyan / blue, unchanged and greyed silver / navy (dark / light).
COLORREF TreeValueColour(COLORREF background, BOOL changed, BOOL greyed);

/// Frees the tree's state (bold font, row items) and takes the page's image list back from a
/// live tree, which then keeps drawing as a plain tree; the page's release calls it before the
/// page's pictures go. The images themselves are the page's (PageTreeImages and
/// GetTreeImageIndex, ui/pages/PageIcons.h and ui/pages/PropertyPages.h).
void ReleaseSettingsTree(PageRecord* page);
