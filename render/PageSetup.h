#pragma once
// Page setup (the paper-format command) and the form overlay: the overlay's ".fn2" form file
// is checked at device set-up and stored in the printer as a form before the pages.
#include <cstddef>

#include "render/Pdev.h"
#include "settings/FormFile.h"

/// Fills the wanted record from the device's papers and settings; TRUE when it differs from
/// the sent one in anything that needs a new page setup (orientation only at one page per
/// sheet).
BOOL PageSettingsChanged(PDEV* pdev, PageSettings* sent, PageSettings* wanted);
/// Ends a form that is no longer wanted, sends the paper format when the paper or the face
/// layout changed, and stores the overlay form again. Always TRUE.
[[nodiscard]] BOOL EndFormStorageAndPageSetup(PDEV* pdev);
/// FS "f1LP" with the paper size in 1/60 inch: the page (sheetForm FALSE) or, for the
/// trailer's end-mark sheets, the whole N-up sheet.
void WritePaperFormat(PDEV* pdev, PaperRecord output, BOOL sheetForm);
/// Stores the overlay form in the printer and switches it on; FALSE with nothing written
/// while OverlayStatus is not 0.
BOOL BeginFormStorage(PDEV* pdev);
/// At device set-up: clears OverlayStatus and, with the overlay on, checks the form file
/// (switching the overlay off when it is unusable) and names the block's form after it.
void LoadFormOverlay(PDEV* pdev, HANDLE printer, DriverDevMode* block, const ModelDescription* model);
/// Maps the ANSI path's file and checks its header; sets kOverlayBadHeader or
/// kOverlayUnmappable in block->OverlayStatus when it fails.
[[nodiscard]] BOOL CheckFormFileHeader(PDEV* pdev, LPCSTR path, DriverDevMode* block);
/// Sets block->Public.dmFormName to the paper the form was made for. FALSE (and
/// kOverlayUnmappable) when the file cannot be mapped or its header is no longer usable.
BOOL MatchOverlayForm(PDEV* pdev, HANDLE printer, DriverDevMode* block, const ModelDescription* model, LPCSTR path);
/// The paper code of a form file header (kFormFileHeaderSize bytes).
DWORD GetOverlayPaperCode(const BYTE* header /* 256 */, const ModelDescription* model, DWORD defaultCode);
/// TRUE when cbFile bytes of a form file can be used: at least the header, the maker word,
/// format 2, 256 <= data start <= data end <= cbFile, and the header bytes that are copied
/// into commands printable ASCII.
[[nodiscard]] bool FormFileAcceptable(const BYTE* file, DWORD cbFile);
inline constexpr DWORD kFormFileHeaderSize = 256;
inline constexpr DWORD kOverlayBadHeader = 0x100;
inline constexpr DWORD kOverlayUnmappable = 0x40000;
