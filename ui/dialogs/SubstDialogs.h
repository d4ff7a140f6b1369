#pragma once
// The two substitution dialogs (TrueType faces to device fonts, papers to output papers) and
// what they share: a report list of names with their choice in column 1 and the index of the
// chosen entry of a drop-down list as each item's lParam, a normal and a read-only layout.
// Both take the opener's PageRecord and end with 1 when they stored their table, else 0.
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"
#include "ui/pages/PropertyPages.h"

/// Page-flag bit of the opener: its table dialogs only show the tables.
inline constexpr DWORD kPageFlagReadOnlyTables = 0x1;

/// Names in the lists: a TrueType full name has up to 64 characters, the stored ones 63.
inline constexpr int kSubstItemChars = 65;

INT_PTR TTSubstDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR OutPaperDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/// Opens the template (one of the two of each dialog) of the language library over owner;
/// 1 when the table was stored, 0 when not, -1 without a page or context.
INT_PTR ShowTTSubstDialog(PageRecord* page, HWND owner, int templateId);
INT_PTR ShowOutPaperDialog(PageRecord* page, HWND owner, int templateId);

// --- What the two dialogs share ---

/// The controls of one dialog: the list, the label and text of the selected name, the choices.
struct SubstControls {
    int list;
    int label;
    int name;
    int choices;
};

/// Opens the dialog's template of the page's language library over owner with the page as
/// its parameter; the dialog's result, -1 without a page or context.
INT_PTR OpenSubstDialog(PageRecord* page, HWND owner, int templateId, DLGPROC proc);
/// WM_HELP: the help of the layout's table (normal or read-only) for the control asked
/// about; FALSE without the request.
INT_PTR ShowSubstHelp(const PageRecord* page, LPARAM helpInfo, const DWORD* normalIds, const DWORD* readOnlyIds);
/// Whether the opener asks for the read-only layout.
[[nodiscard]] bool IsReadOnlySubst(const PageRecord* page);
/// The two report columns with the language library's header texts, each (width - 4) / 2.
void InsertSubstColumns(HWND dialog, const SubstControls& controls, HMODULE language, UINT leftText, UINT rightText);
/// Read-only: the list stretched to 10 pixels below the choices, the label, text, choices, OK
/// and Defaults hidden and disabled, Cancel hidden (Esc still closes). Normal: Close hidden
/// and disabled.
void LayoutSubstMode(HWND dialog, const SubstControls& controls, bool readOnly);

[[nodiscard]] int SubstItemCount(HWND list);
[[nodiscard]] LPARAM SubstItemParam(HWND list, int item);
void SetSubstItemParam(HWND list, int item, LPARAM value);
/// The item's text of the column, cut to cch - 1 characters.
void GetSubstItemText(HWND list, int item, int column, LPWSTR out, int cch);
void SetSubstItemText(HWND list, int item, int column, LPCWSTR text);
/// Appends an item; its index or -1.
int AddSubstItem(HWND list, LPCWSTR text, LPARAM value);
/// The item whose text is name (case-insensitively, as the list finds it); a name of 63
/// characters also finds a longer item that it is the stored form of. -1 when none.
[[nodiscard]] int FindSubstItem(HWND list, LPCWSTR name);
/// The first item whose whole text equals name, case included; -1 when none.
[[nodiscard]] int FindSubstItemExact(HWND list, LPCWSTR name);
/// The entry of the choices whose text is name, -1 when none.
[[nodiscard]] int FindSubstChoice(HWND dialog, const SubstControls& controls, LPCWSTR name);
/// The selected item, else the focused one, else -1.
[[nodiscard]] int SelectedSubstItem(HWND list);

/// Column 1 of every item from its entry of the choices (empty for none), then item 0
/// selected and shown, with its entry and name.
void RefreshSubstLists(HWND dialog, const SubstControls& controls);
/// The name text and the choices follow the item.
void ShowSubstItem(HWND dialog, const SubstControls& controls, int item);
/// The selected item takes the entry: its column 1 and lParam; it stays selected.
void SetSelectedSubstChoice(HWND dialog, const SubstControls& controls, int entry);
