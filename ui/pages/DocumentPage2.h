#pragma once
// Document page two: paper, output paper, orientation, source with its media kind, print
// mode, output tray, copies, scale and pages down and across the sheet.
#include <cstddef>

#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "settings/DriverDevMode.h"

struct PageRecord;

/// Posted by the page to itself when it becomes active: the current source's tray state, and
/// the paper picture of the current source and paper.
inline constexpr UINT kPage2SourceStateMessage = 1128;
inline constexpr UINT kPage2PaperHintsMessage = 1129;

/// The page's procedure; what it leaves to the frame goes to PageFrameDlgProc.
INT_PTR DocumentPage2DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// --- The page's lists (DocumentPage2Lists.cpp) ---

/// Media kinds the page offers (item data: the kind), and print modes (the item index is the
/// mode); their texts are strings kMediaKindTextBase + kind and kPrintModeTextBase + mode.
inline constexpr int kMediaKindCount = 3;
inline constexpr int kPrintModeCount = 6;
/// Output trays of kOutputTrayList: item data the string id, each with its OutputFlags bit.
struct OutputTrayItem {
    UINT stringId;
    DWORD bit;
};
inline constexpr OutputTrayItem kOutputTrayItems[] = {{kFaceDownText, 1u << 24},
                                                      {kFaceUpText, 1u << 25},
                                                      {kStackerText, 1u << 26}};
inline constexpr DWORD kOutputTrayBits = (1u << 24) | (1u << 25) | (1u << 26);

/// The position in SourceValues of the source the model names `slotName`: the source whose
/// language-library name (strings 200-205, 207, 225, 226, as validation keys them) it is;
/// any other name has position 0.
int SourceValueIndex(HMODULE languageLibrary, const WCHAR* slotName);
/// The model's name of the block's source (empty when the model has none of that value).
void CurrentSourceName(PageRecord* page, WCHAR* out, size_t chars);

/// Each list emptied and filled from the working block, the block's value selected (none
/// when the list has no entry for it: the page shows what validation left).
void FillSourceList(PageRecord* page, HWND dialog);
void FillMediaKindList(PageRecord* page, HWND dialog);
void FillPrintModeList(PageRecord* page, HWND dialog);
void FillOutputTrayList(PageRecord* page, HWND dialog);
/// Every control of the page but the two edits shown again from the working block.
void RefreshDocumentPage2(PageRecord* page, HWND dialog);
/// kScaleEdit: the scale when the block has one page per sheet, else "---".
void ShowScaleText(PageRecord* page, HWND dialog);
