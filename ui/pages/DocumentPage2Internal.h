#pragma once
// What the files of document page two share: the hints more than one of them shows, the
// working block's access, and the steps of the page's edits and controls that its procedure
// calls. Its controls are named in resources/ui/ControlIds.h.
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "ui/pages/DocumentPage2.h"
#include "ui/pages/PageCommon.h"
#include "ui/pages/PropertyPages.h"

struct PageRecord;

namespace page2 {

// Fields' bits.
inline constexpr DWORD kFeatureScaling = 0x2;
inline constexpr WORD kDeviceInstalled = 0x8;
inline constexpr int kFinisherSlot = 13;  // DEV_FIN1

inline DriverDevMode& Working(PageRecord* page) { return page->context->workingBlock; }
inline void Warn(PageRecord* page, HWND dialog, UINT textId) { ShowPageWarning(page, dialog, textId); }
inline void Refresh(PageRecord* page, HWND dialog) { RefreshDocumentPage2(page, dialog); }
inline bool FinisherInstalled(const DriverDevMode& block) {
    return (block.DeviceSlots[kFinisherSlot].State & kDeviceInstalled) != 0;
}

// --- The typed numbers (DocumentPage2Edits.cpp) ---

/// kScaleEdit written from the block by the page itself (not taken as typing).
void ShowScale(PageRecord* page, HWND dialog);
/// The scale and copies edits with their up-downs set for the block.
void ShowScaleEdit(PageRecord* page, HWND dialog);
void ShowCopiesEdit(PageRecord* page, HWND dialog);
/// Both edits checked before the page is left: false (the warning shown, the edit focused and
/// DWLP_MSGRESULT set) for a number out of its range.
bool CheckEdits(PageRecord* page, HWND dialog);
/// EN_CHANGE of the scale and copies edits: a number in range is taken at once.
void OnScaleTyped(PageRecord* page, HWND dialog);
void OnCopiesTyped(PageRecord* page, HWND dialog);

// --- The controls (DocumentPage2Commands.cpp) ---

/// The paper picture of the current paper, drawn again.
void ShowPaperPicture(PageRecord* page, HWND dialog);
void OnPaper(PageRecord* page, HWND dialog);
void OnOutputPaper(PageRecord* page, HWND dialog);
void OnSameAsPaper(PageRecord* page, HWND dialog);
void OnScaling(PageRecord* page, HWND dialog);
void OnOrientation(PageRecord* page, HWND dialog, SHORT orientation);
void OnSource(PageRecord* page, HWND dialog);
void OnMediaKind(PageRecord* page, HWND dialog);
void OnPrintMode(PageRecord* page, HWND dialog);
void OnOutputTray(PageRecord* page, HWND dialog);
void OnSeparator(PageRecord* page, HWND dialog);
/// `list` is kNupDownCombo or kNupAcrossCombo.
void OnNupCount(PageRecord* page, HWND dialog, int list);
void OnNupOrder(PageRecord* page, HWND dialog, BYTE order);
void OnRestoreDefaults(PageRecord* page, HWND dialog);
void OnReadStatus(PageRecord* page, HWND dialog);
void OnSettingsList(PageRecord* page, HWND dialog);
void OnSavePreset(PageRecord* page, HWND dialog);
void OnFeeder(PageRecord* page, HWND dialog);
void OnSubstitution(PageRecord* page, HWND dialog);

}  // namespace page2
