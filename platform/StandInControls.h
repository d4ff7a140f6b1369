#pragma once
// Test controls of the built-in controls and property sheets: what a user does with the
// mouse and keyboard, sent as the platform would send it. Not platform calls; product code
// never includes this header.
#include <string>

#include "platform/Controls.h"
#include "platform/PropSheet.h"

namespace standin::ui {

/// WM_CHAR for each character to the window (an edit control, or the edit of a combo box),
/// after giving it the focus; u'\b' is a backspace.
void TypeText(HWND hwnd, const std::u16string& text);
/// WM_LBUTTONDOWN then WM_LBUTTONUP at a point of the window's client area.
void ClickAt(HWND hwnd, int x, int y);
/// The same with WM_LBUTTONDBLCLK for the second press.
void DoubleClickAt(HWND hwnd, int x, int y);
/// Opens the combo box's list and picks the item as a user does (CBN_DROPDOWN,
/// CBN_SELCHANGE when it changed, CBN_SELENDOK, CBN_CLOSEUP). False for an unknown window or
/// item.
bool ChooseComboItem(HWND combo, int index);

/// Clicks the tab of page `index` of a property sheet. False when the sheet has no such page.
bool ClickSheetTab(HWND sheet, int index);
/// The tab's rectangle in the sheet's client coordinates (empty for no such page).
RECT SheetTabRect(HWND sheet, int index);

/// The drag imaging the image-list calls keep: the list and image dragged, the hotspot, the
/// window it is locked to and the last position.
struct DragRecord {
    HIMAGELIST list = nullptr;
    int image = -1;
    POINT hotspot{};
    HWND lockedTo = nullptr;
    POINT at{};
    bool dragging = false;
    bool shown = false;
};
DragRecord ImageDrag();

}  // namespace standin::ui
