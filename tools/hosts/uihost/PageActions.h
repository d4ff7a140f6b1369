#pragma once
// What a user does on the pages of a property sheet, through the window stand-in's test
// controls: tabs clicked, combo items chosen, text typed over, list-view, list-box and
// settings-tree items clicked. Each answers whether the control then shows the choice.
#include <functional>
#include <string>

#include "platform/Controls.h"
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"

namespace uihost {

/// Clicks tab `index` of the sheet; its current page then, or NULL when that page does not
/// hold the control `marker`.
HWND OpenTab(HWND sheet, int index, int marker);
/// The sheet's current page.
HWND CurrentPage(HWND sheet);
/// A click near the control's top-left corner (a button, check box or radio).
void Click(HWND control);
/// Chooses the combo box item whose data, or whose text, is the one given; false when there
/// is no such item.
bool ChooseByData(HWND combo, LPARAM data);
bool ChooseByText(HWND combo, const std::u16string& text);
/// The data of the combo box's current item, -1 for none.
LPARAM CurrentData(HWND combo);
/// Selects all of the edit's text and types `text` over it.
void TypeOver(HWND edit, const std::u16string& text);
/// Clicks the list-view item labelled `text`; true when it is then selected.
bool ClickListViewItem(HWND list, const std::u16string& text);
/// The page's settings tree (it takes the placeholder's id), NULL when none.
HWND SettingsTreeOf(HWND page);
/// Clicks the settings-tree item whose item id (low word of its data) is `itemId`; true when
/// it is then selected.
bool ClickTreeItem(HWND page, int itemId);
/// Clicks the first entry of the list box `listId` that `wanted` accepts (given its item
/// data); the entry's data, or -1 when none was chosen or the list is hidden or disabled.
LPARAM ClickListEntry(HWND page, int listId, const std::function<bool(LPARAM data)>& wanted);
/// The data of the list box's selected entry, -1 for none.
LPARAM SelectedEntry(HWND page, int listId);
/// Dispatches what is queued for the thread (posted follow-ups of a change).
void PumpMessages();

}  // namespace uihost
