#pragma once
// Finishing positions: the two position lists a settings block allows, the rules that tell
// when a position cannot stay with a duplex value or with the other position, the conflict
// prompts, the finishing-position dialog and the warnings the pages show after a change that
// may have moved a position. The lists are plain values built for each caller, so two sheets
// on two threads never share them.
#include <array>
#include <cstdint>

#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"

struct PageRecord;

/// One entry of a position list: an icon of the user-interface library, a label of the
/// language library ("first line|second line") and the position code.
struct FinishPositionEntry {
    int32_t icon;
    int32_t label;
    BYTE code;
};
static_assert(sizeof(FinishPositionEntry) == 12);

inline constexpr FinishPositionEntry kFinishListEnd{-1, -1, 255};
/// A list holds at most eight entries and its end entry; slots after the end hold end entries
/// too, so that any copy of up to kFinishListSlots entries reads only list storage.
inline constexpr size_t kFinishListEntries = 8;
inline constexpr size_t kFinishListSlots = kFinishListEntries + 1;
using FinishPositionList = std::array<FinishPositionEntry, kFinishListSlots>;

// OutputFlags (CoverFlags, 952) bits the finishing rules read and write.
inline constexpr DWORD kOutputFirstOption = 1u << 0;  // set aside while a first position is chosen
inline constexpr DWORD kOutputFinisherMode = 1u << 8;
inline constexpr DWORD kOutputFirstChosen = 1u << 16;
inline constexpr DWORD kOutputSecondChosen = 1u << 17;

/// The source whose positions some rules single out.
inline constexpr SHORT kFinishingSource = 262;

/// Whether the block's pages stand upright on the sheet: with the turned layouts (2, 6 and 8)
/// a landscape orientation, otherwise a portrait one.
bool IsFinishingPortrait(SHORT orientation, WORD layoutMode);
/// The paper the rules look at: OutputPaperSize, else dmPaperSize.
int FinishingPaper(const DriverDevMode& block);

/// The number of entries before the end entry.
size_t FinishListLength(const FinishPositionList& list);
/// The lists for a block. `manualSource` tells whether the block's source is the one that
/// language string 207 names (see IsManualSource).
FinishPositionList BuildFinishPosition1Table(const DriverDevMode& block, bool manualSource);
FinishPositionList BuildFinishPosition2Table(const DriverDevMode& block);
/// Whether an input slot of the model carries the name of language string 207 and the value
/// of the block's dmDefaultSource.
bool IsManualSource(const DriverDevMode& block, const ModelDescription* model, HMODULE languageLibrary);
/// The first 8 entries (96 bytes) of the first list, or the first 5 (60 bytes) of the second,
/// into the caller's storage; entries past the list's end are end entries.
void GetFinishPosition1Table(const DriverDevMode& block, const ModelDescription* model, HMODULE languageLibrary,
                             FinishPositionEntry (&out)[8]);
void GetFinishPosition2Table(const DriverDevMode& block, FinishPositionEntry (&out)[5]);

bool FinishPosition1DuplexConflict(SHORT orientation, SHORT duplex, int position, WORD layoutMode);
bool FinishPosition2DuplexConflict(SHORT orientation, SHORT duplex, int position, WORD layoutMode);
bool FinishPositionsConflict(SHORT orientation, int paper, int position1, int position2, WORD layoutMode, SHORT source);

// Answers of the conflict prompts: the buttons pressed.
inline constexpr INT_PTR kConflictGoOn = kPromptGoOnButton;
inline constexpr INT_PTR kConflictGiveUp = kPromptCancelButton;
inline constexpr INT_PTR kConflictAlternative = kPromptAlternativeButton;
/// The conflict prompts kDuplexAgainstFirstPrompt to kSecondAgainstDuplexPrompt (parameter:
/// the opener's PageRecord). Ends with the id of the button pressed; Cancel ends with
/// kConflictGiveUp.
INT_PTR FinishConflictDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/// Shows prompt `templateId` of the language library over `owner`; kConflictGiveUp when it
/// cannot be shown.
INT_PTR ShowFinishConflictPrompt(PageRecord* page, HWND owner, int templateId);

/// The finishing-position dialog (kFinishingDialogTemplate, parameter: the opener's
/// PageRecord). Edits the context's scratch block and copies it to the working block on OK
/// (ends with TRUE); Cancel ends with FALSE and leaves the working block untouched.
INT_PTR FinishPositionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/// Opens the dialog over `owner`; its result, 0 when it cannot be shown.
INT_PTR ShowFinishPositionDialog(PageRecord* page, HWND owner);

/// A warning captioned with the printer name: text `textId` of the language library, after
/// the beep when `beep` is set; MessageBoxW's answer.
int ShowFinishingMessage(const PageRecord* page, HWND owner, UINT textId, UINT style, bool beep);
/// The warnings for a first position on the block's paper and source (757, 739) and for a
/// second one (758); none for position 0 or another source.
void WarnFirstPosition(const PageRecord* page, HWND owner, const DriverDevMode& block, int position, bool beep);
void WarnSecondPosition(const PageRecord* page, HWND owner, const DriverDevMode& block, int position, bool beep);
/// Both, for the block's own positions, when the block is in finisher mode (OutputFlags bit 8):
/// what the pages show after a change that may have moved a position.
void ShowFinishingWarnings(const PageRecord* page, HWND owner, const DriverDevMode& block, bool beep);
