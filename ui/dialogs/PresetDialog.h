#pragma once
// The presets of the pages: the list views that show the stored table, the current preset,
// the mark of a changed preset, and the preset dialog (kPresetDialogTemplate).
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"
#include "ui/data/PresetTable.h"

struct PageRecord;

/// Presets a table holds at most (one more while one is being replaced).
inline constexpr int kPresetLimit = 20;
/// Stored tables larger than this many records are refused as unreadable.
inline constexpr DWORD kPresetReadCap = 256;
inline constexpr UINT kPresetTimer = 777;
inline constexpr UINT kPresetTimerMs = 100;

/// Fills the list view with a copy of each whole record of TBL_PresetTable (the model's
/// built-ins when the value is absent or empty), one pool block each. True when the table
/// was read completely; only then does WritePresetTable write the list back.
bool ReadPresetTable(HWND dialog, PageRecord* page, int listId);
/// With save, writes the records of the list in display order (an empty list as an empty
/// value), but only when the list holds a complete read of the table; frees the records in
/// every case and empties the list. False when a save was asked and not written.
bool WritePresetTable(HWND dialog, PageRecord* page, int listId, BOOL save);
/// PresetIndex of the working settings: the position of the first default preset of the
/// stored table; unchanged when there is none or the table cannot be read.
void LoadPresets(PageRecord* page);
/// The items of a preset list view, and the record that an item carries (NULL when none).
int PresetItemCount(HWND list);
PresetRecord* PresetAt(HWND list, int item);
/// Marks the selected preset of document page one's list as changed (overlay image 1) or
/// clears the mark, by the settings it fixes against the working settings.
void MarkPresetModified(PageRecord* page, HWND pageWindow);

/// Working settings with the preset applied: each bit the mask holds comes from the preset.
/// The block's own frame (device name, versions, sizes, signature and private id) is never
/// taken from a preset.
void ApplyPreset(const PresetRecord& preset, DriverDevMode* working);
/// True while the working settings hold every bit the preset fixes (the frame aside).
bool PresetMatches(const PresetRecord& preset, const DriverDevMode& working);
/// A user preset of the working settings: every byte fixed except the bookkeeping, the
/// installed options, the user's saved choices and the bytes after each text's end.
void MakeUserPreset(const DriverDevMode& working, DWORD icon, LPCWSTR name, LPCWSTR comment, PresetRecord* out);

/// The preset dialog's procedure (lParam of WM_INITDIALOG: the opener's PageRecord); ends
/// with 1 on OK, 0 on Cancel.
INT_PTR PresetDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
