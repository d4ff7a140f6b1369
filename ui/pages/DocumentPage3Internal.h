#pragma once
// What the files of document page three share: its item table, the page's own state and the
// routines that show an item and take a choice. Its controls are named in
// resources/ui/ControlIds.h.
#include "platform/WinTypes.h"
#include "ui/pages/DocumentPage3.h"
#include "ui/pages/PropertyPages.h"

namespace page3 {

/// Characters the owner text holds; its field keeps one more unit for the terminator.
inline constexpr int kOwnerTextChars = 16;

enum class ItemKind { Heading, Version, Resolution, Choice, OwnerText, Button };
/// Which word of the settings block a choice item sets a bit of: the option word at 396 (its
/// saved copy at 788) or the data word at 400 (its saved copy at 792).
enum class FlagWord { Feature, Option };

struct Entry {
    WORD text;  // language string, also the entry's value
    WORD icon;
};

struct Item {
    int id;
    ItemKind kind;
    const char16_t* accelerator;  // after the label; NULL for none
    Entry entries[3];
    int entryCount;
    FlagWord word;
    DWORD bit;
    WORD setEntry;    // the entry that sets the bit; the others clear it
    bool saved;       // the bit is kept in the saved copy of the word as well
    UINT hint;        // 0: none
    DWORD help;       // 0: none
    UINT buttonLabel; // button items
};

/// The row of the item, NULL for items this page shows no controls for.
const Item* FindItem(int itemId);

/// The page's own state, a block of the context's pool kept as the dialog's GWLP_USERDATA.
inline constexpr int kHelpControlCount = 14;
struct State {
    int shownItem;
    HWND menuControl;
    DWORD helpIds[2 * kHelpControlCount + 2];  // {control, help} pairs, then {0, 0}
};
/// The state of the page, made on first use; NULL without a page record or memory.
State* StateOf(HWND dialog, PageRecord* page);

/// The item's control set with its label, list, current entry, help numbers and hint.
void ShowItem(PageRecord* page, HWND dialog, int itemId);
/// The list's selected entry becomes the setting of the shown item.
void ChooseEntry(PageRecord* page, HWND dialog);
/// The entry of the shown item's list that the working block holds is selected again.
void SelectCurrentEntry(PageRecord* page, HWND dialog);
/// The item id of the tree's selection, 0 for none.
int SelectedTreeItem(PageRecord* page);

/// The owner text as the edit holds it, at most kOwnerTextChars characters, into the working
/// block when it differs from the block's.
void ReadOwnerTextField(PageRecord* page, HWND dialog);
/// When the owner text is chosen: refuses a text with '"', '~' or a double-byte character
/// (warning 721, the focus back in the field, directly or through kFocusOwnerTextMessage when
/// `post`) and returns false; a text that passes goes to the working block.
bool CheckOwnerText(PageRecord* page, HWND dialog, bool post);

}  // namespace page3
