#pragma once
// What the pages and their dialogs share: warnings and hints, defaults, paper and source
// names, and the status wait box.
#include "platform/DevMode.h"
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"

struct PageRecord;

/// A message box with the text (at most 128 characters) and the caption (the given text, else
/// the caption id, at most 64 characters) from the language library; MessageBoxW's result.
int ShowMessage(HWND owner, UINT textId, LPCWSTR caption, UINT captionId, UINT style, HMODULE languageLibrary);
/// STM_SETICON on the control; the previous icon.
HICON SetControlIcon(HWND dialog, int control, HICON icon);
/// The page's hint (kHintText) and its icon (kHintIcon) of the kind; text id 0 hides both.
void SetPageHint(PageRecord* page, HWND dialog, UINT textId, int iconKind);
/// Asks, then restores the page's defaults; 1 when restored, 0 when not.
int RestoreDefaults(PageRecord* page, HWND dialog);
/// A warning of the pages: the exclamation beep, then the text with the printer's name as
/// caption and the warning icon; MessageBoxW's result.
int ShowPageWarning(PageRecord* page, HWND owner, UINT textId);

/// Hint kinds, each with its own icon; any other kind shares one more.
inline constexpr int kHintInfo = 1;
inline constexpr int kHintNote = 3;
inline constexpr int kHintCaution = 4;
inline constexpr int kHintFixed = 5;

/// One category of document page 1: its icon (the library's) and its two-line label
/// (language library, the lines split at "|").
struct PageCategory {
    int iconId;
    UINT labelId;
};
inline constexpr int kPageCategoryMax = 6;
/// The page's categories for the block (the duplex category only with a duplex unit
/// installed); their number.
int BuildPageCategories(const DriverDevMode* block, PageCategory out[kPageCategoryMax]);
/// A category position, from a settings block or a list, brought into 0..count-1.
[[nodiscard]] int ClampCategoryIndex(int index, int count);

/// Shows and enables the control set of the category at index (clamped), hiding and
/// disabling the others, and gives the set its labels.
void ShowDocumentPage1Group(PageRecord* page, HWND dialog, int index);
/// ShowDocumentPage1Group, then the set's values from the working block; CategoryIndex
/// becomes the (clamped) index.
void FillDocumentPage1Group(PageRecord* page, HWND dialog, int index);
/// Document page 2's paper lists, check boxes, paper picture and the trays' paper presence.
void InitDocumentPage2Controls(PageRecord* page, HWND dialog);
/// kPaperList: the usable forms (item data: their spooler position); selects dmFormName, an
/// overlay's form-given size, or the model's default form.
void FillPaperSizeCombo(PageRecord* page, HWND dialog);
/// kOutputPaperList: the usable non-standard forms within the model's bounds after a first
/// "none" entry (item data 0); selects OutputPaperName or the first entry.
void FillOutputPaperCombo(PageRecord* page, HWND dialog);
/// Warning 722 when the block's source is a feeder that is not installed and the form
/// overlay asks for that very feeder.
void WarnSourceNotInstalled(PageRecord* page, HWND dialog);
/// kPagesPerSheetList: pages per sheet (item data: the string id); selects the block's.
void FillPagesPerSheetList(PageRecord* page, HWND dialog);
/// kPageOrderList: page orders; selects the block's.
void FillPageOrderList(PageRecord* page, HWND dialog);
/// kBorderNoneRadio to kBorderDottedRadio (page border) with their labels by the layout, and
/// kBorderIcon.
void ShowBorderRadios(PageRecord* page, HWND dialog);

/// The status wait box (kStatusWaitBoxTemplate): ends with 1 when the installed options were
/// taken over. Cancel, closing it or no answer from the status manager within the time limit
/// end the pending request and the box with 0.
INT_PTR StatusWaitBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/// Runs the wait box of the page's language library over owner; its result, -1 when it
/// cannot be shown.
INT_PTR ShowStatusWaitBox(PageRecord* page, HWND owner);
/// How long the wait box waits for the status manager's answer (30 s unless set).
inline constexpr DWORD kStatusWaitDefaultMs = 30000;
void SetStatusWaitTimeLimit(DWORD milliseconds);

/// The name of the context's form whose spooler position (the dmPaperSize value) is
/// paperIndex, else the model's default form; out holds at least 65 characters.
void GetPaperNameByIndex(PageRecord* page, HWND dialog, int paperIndex, LPWSTR out);
/// OutputPaperName when it is not empty, else dmFormName; out holds at least 33 characters.
void GetEffectivePaperName(PageRecord* page, LPWSTR out);
/// The model's name of the block's default source (out unchanged when none matches); with a
/// form overlay, the overlay file's source value, else 0.
DWORD GetPaperSourceName(PageRecord* page, HWND dialog, LPWSTR out);
/// The output paper's orientation when one is set, else the document paper's: portrait when
/// narrower than long.
bool IsPortraitPaper(const DriverDevMode* settings);
/// The record becomes the driver's halftone defaults, then takes the pattern size and gamma of
/// every model record of the resolution in the model's order (the last one stays). Only the
/// pattern sizes "HT_PATSIZE_2x2" to "HT_PATSIZE_12x12_M" are taken; another name gives 0,
/// its gamma is still taken. A resolution without a record keeps the defaults.
void SetHalftoneDefaultsForResolution(DEVHTINFO* record, const ModelDescription* model, DWORD resolution);
