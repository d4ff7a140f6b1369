#pragma once
// What the files of document page two share: its control ids, the hints more than one of them
// shows, the working block's access, and the steps of the page's edits and controls that its
// procedure calls.
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "ui/pages/DocumentPage2.h"
#include "ui/pages/PageCommon.h"
#include "ui/pages/PropertyPages.h"

struct PageRecord;

namespace page2 {

// Controls of template 1200.
inline constexpr int kPaperList = 1204;
inline constexpr int kOutputPaperList = 1208;
inline constexpr int kSameAsPaperCheck = 1210;
inline constexpr int kSubstitutionButton = 1211;
inline constexpr int kScalingCheck = 1213;
inline constexpr int kScaleUpDown = 1215;
inline constexpr int kPortraitRadio = 1217;
inline constexpr int kLandscapeRadio = 1219;
inline constexpr int kSourceList = 1223;
inline constexpr int kMediaList = 1226;
inline constexpr int kCopiesEdit = 1229;
inline constexpr int kCopiesUpDown = 1230;
inline constexpr int kPrintModeList = 1234;
inline constexpr int kFeederButton = 1235;
inline constexpr int kOutputTrayList = 1238;
inline constexpr int kSeparatorCheck = 1240;
inline constexpr int kSettingsListButton = 1003;
inline constexpr int kSavePresetButton = 1005;
inline constexpr int kRestoreDefaultsItem = 1010;
inline constexpr int kReadStatusItem = 1011;

// Hints.
inline constexpr UINT kHintPaper = 606;
inline constexpr UINT kHintSource = 608;
inline constexpr UINT kHintCopies = 609;
inline constexpr UINT kHintOutputPaper = 615;
inline constexpr UINT kHintOutputTray = 636;
inline constexpr UINT kHintNup = 673;

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

/// Edit 1214 written from the block by the page itself (not taken as typing).
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
