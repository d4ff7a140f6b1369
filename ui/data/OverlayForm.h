#pragma once
// Form-overlay registration: checks the overlay's form file, registers the spooler form of
// its paper and fits the block's paper to it; and the overlay dialog that picks the file.
#include <cstddef>

#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"

struct PageRecord;

// OverlayStatus codes of the check (one at a time; 0 is no error or the overlay off). The
// empty folder and name codes are kOverlayNoFolder and kOverlayNoName.
inline constexpr DWORD kOverlayNotFormFile = 0x100;   // no form magic, or not a ".fn2" path
inline constexpr DWORD kOverlayBadPaper = 0x200;      // the file's paper cannot be used
inline constexpr DWORD kOverlayCannotOpen = 0x40000;  // unreadable file, no usable path, or the
                                                      // printer's forms or language library missing

/// With the overlay on: checks the file that the block names and, when it can be used,
/// registers its paper's spooler form (Letter, A4 and B5 of the form's own size), sets the
/// block's form, paper size, length and width from the printer's usable forms, clears the
/// output paper, sets portrait and the default source and clears the compatible margin. The
/// result is block->OverlayStatus; on an error nothing else changes. A paper that no form of
/// the printer fits takes "15x11inch"; without that form too the block's paper stays as it was.
void RegisterOverlayForm(DriverDevMode* block, HANDLE printer, const ModelDescription* model);

/// The overlay dialog's private message: warns about the scratch block's OverlayStatus.
inline constexpr UINT kOverlayWarnMessage = 1127;
/// Printer data of the recent form files: NUL-terminated wide paths, at most ten.
inline constexpr char16_t kFormHistoryValue[] = u"DAT_FormHistory";
inline constexpr size_t kFormHistoryEntries = 10;

/// Procedure of the overlay dialog (kOverlayDialogTemplate), opened with the page record as its
/// parameter: works on the context's scratch block, copies it to the working block and writes
/// the history on OK (result 1); Cancel (0) changes nothing.
INT_PTR FormOverlayDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/// Opens the overlay dialog modally from the language library over the owner: 1 for OK, 0
/// for Cancel, -1 when it could not be opened.
INT_PTR OpenFormOverlayDialog(PageRecord* page, HWND owner);
