#pragma once
// What the files of document page one share: the page's own state (kept as the dialog's
// GWLP_USERDATA from WM_INITDIALOG to WM_DESTROY), its control ids and the steps every change
// ends with.
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"
#include "ui/pages/PageCommon.h"
#include "ui/pages/PageRoutines.h"

struct PageRecord;

namespace page1 {

// Characters of the own text edit.
inline constexpr int kJobTextChars = 64;

struct State {
    PageCategory categories[kPageCategoryMax] = {};
    int categoryCount = 0;
    int presetTop = 0;             // first shown preset, kept while the page is inactive
    HWND menuControl = nullptr;    // the control of the last context menu
    int filling = 0;               // >0 while the page sets its own controls
};

/// The page's state; NULL before WM_INITDIALOG and after WM_DESTROY.
State* StateOf(HWND dialog);

/// The label of the category the working block's CategoryIndex names (clamped), 0 for none.
UINT CurrentCategoryLabel(const State& state, const PageRecord* page);

/// The category panel from the working block, and the values of the page's other controls.
void ShowPanel(PageRecord* page, HWND dialog);
/// What a change ends with: the resolver (when asked), the panel, the presets mark and
/// PSM_CHANGED.
void Ending(PageRecord* page, HWND dialog, bool resolve = true);

/// The range check of an edit: true when it holds a number in [low, high]; else the
/// exclamation beep, the warning, the focus on the edit with its text selected.
bool CheckEditRange(PageRecord* page, HWND dialog, int edit, int low, int high, UINT warning);
/// The checks the counts panel needs before it is left or a preset is saved.
bool CheckCountsEdits(PageRecord* page, HWND dialog);

/// The category list: its items and icons at WM_INITDIALOG, its item size, its drawing, the
/// change of category (false when the change was refused) and the end of a hover.
void InitCategoryList(PageRecord* page, HWND dialog, State& state);
void MeasureItem(HWND dialog, MEASUREITEMSTRUCT* measure);
void DrawCategoryItem(PageRecord* page, const State& state, const DRAWITEMSTRUCT* item);
bool ChangeCategory(PageRecord* page, HWND dialog, State& state);
void SelectCategoryItem(HWND dialog, int index);
void EndHover(PageRecord* page, HWND dialog);

/// The presets list: emptied and read again (PresetIndex loaded first when it names none),
/// the current preset selected and shown; a preset chosen in the list; the list written back
/// and emptied.
void FillPresetList(PageRecord* page, HWND dialog, State& state, bool load);
void SelectCurrentPreset(PageRecord* page, HWND dialog, State& state);
void OnPresetNotify(PageRecord* page, HWND dialog, State& state, const NMHDR* note);
void SavePresetList(PageRecord* page, HWND dialog, State& state);

/// WM_COMMAND of the page's controls; FALSE for a command it does not handle.
INT_PTR OnCommand(PageRecord* page, HWND dialog, State& state, WPARAM wParam);
/// The page menu (kPageMenu or kFixedPresetsPageMenu) at the point, or at the control's centre for the keyboard.
INT_PTR OnContextMenu(PageRecord* page, HWND dialog, State& state, HWND control, LPARAM point);

}  // namespace page1
