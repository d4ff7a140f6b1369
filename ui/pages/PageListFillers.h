#pragma once
// The drop-down lists and radios the document pages fill from the working block: stamp text
// and position, N-up counts and arrangement, output destination; and the warning about the
// sheet an N-up layout makes of a paper.
#include <cstddef>

#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"

struct PageRecord;

/// Each filler empties its combo box, adds its entries (item data = the value), and selects
/// the entry of the current value, else the first one.
void FillChoiceValue1List(PageRecord* page, HWND dialog);
void FillChoiceValue2List(PageRecord* page, HWND dialog);
/// 1 always; 2 and 3 when IsNupLayoutAllowed allows them with some count of the other side.
void FillNupDownList(PageRecord* page, HWND dialog);
void FillNupAcrossList(PageRecord* page, HWND dialog);
/// The radio texts, the checked radio and the picture of the N-up arrangement.
void ShowNupArrangement(PageRecord* page, HWND dialog);
/// "Printer" always, "Relaydock" when the printer is raw-only.
void FillOutputDestinationList(PageRecord* page, HWND dialog);

/// The string ids the settings take their names from: stamp text 0..8 (else 651), stamp
/// position (0, 1, 3..8; else 644), N-up count (2, 3; else 665).
int ChoiceValue1StringId(DWORD value);
int ChoiceValue2StringId(DWORD value);
int NupCountStringId(DWORD value);

inline constexpr size_t kNupSheetTextChars = 64;
/// The size of the sheet down x across pages of the form make, as "W インチ(幅) × L インチ(長)":
/// a fixed text for the named standard papers, else worked out from the printer's form of
/// that name. 1 with the text in out, else 0 (out empty).
int NupSheetSizeText(HANDLE printer, LPCWSTR formName, int down, int across, LPWSTR out /* kNupSheetTextChars */);
/// For N-up, beeps and shows message 804 with the sheet size when there is one.
void WarnNupSheetSize(PageRecord* page, HWND dialog);
