#pragma once
// Device geometry: micrometres to dots, papers, N-up scale and slots, page origins, and the
// GDIINFO and DEVINFO records.
#include "platform/Ddi.h"
#include "render/Pdev.h"
#include "settings/HalftonePatterns.h"

/// Micrometres to dots at the resolution (dpi), rounding every step up. 200 and 300 dpi are
/// half the 400- and 600-dpi values, truncated. Any 32-bit input is safe; the result is
/// clamped to the 32-bit range.
[[nodiscard]] LONG MicronsToDots(LONG microns, SHORT resolution);
/// The paper's printable area in dots at the resolution: its width and height in
/// micrometres, each through MicronsToDots.
[[nodiscard]] SIZEL PrintableSizeDots(const PaperRecord& paper, SHORT resolution);
/// The printable area as a rectangle at the origin one dot larger each way,
/// {0, 0, width + 1, height + 1}: the device's clip limit and page rectangles.
[[nodiscard]] RECTL PrintableRectDots(const PaperRecord& paper, SHORT resolution);

/// The paper-name table: string id in the library's string table and paper code.
struct PaperNameRow {
    UINT StringId;
    DWORD Code;
};
extern const PaperNameRow kPaperNameTable[52];   // ends with a row whose id is 0
inline constexpr UINT kDefaultPaperStringId = 5369;  // "15x11inch"
inline constexpr DWORD kUnknownPaperCode = 123;
/// Characters of a paper name, terminator included (PaperRecord::Name).
inline constexpr int kPaperNameChars = 32;

/// Canonical name of a paper code (the string of the code's first row, loaded from the
/// device's module) into out, which holds kPaperNameChars characters. FALSE, with out
/// empty, when the code is not in the table or its string cannot be loaded.
[[nodiscard]] BOOL PaperNameOfCode(const PDEV* pdev, DWORD code, LPWSTR out);
/// Code of a paper name, 123 when it is not in the table. Reads at most kPaperNameChars
/// characters of name (settings fields need not be terminated); a longer name is not found.
DWORD PaperCodeOfName(const PDEV* pdev, LPCWSTR name);

/// Fills paper from the model's margin list, else the spooler's usable forms, else the
/// default paper. name may be an unterminated settings field: at most kPaperNameChars
/// characters are read, and a name of more than 31 characters is never found.
void ResolvePaper(PDEV* pdev, PaperRecord* paper, LPCWSTR name);
/// Picks the output paper for the resolved input paper and resolves it into output.
void ChooseOutputPaper(PDEV* pdev, PaperRecord* output);
/// The fit scale percent (10 to 400) of the input page in an N-up slot of the output paper,
/// or in the output paper's printable area with one page per sheet. The caller turns 100
/// into 99 when it stores the result.
WORD ComputeFitScale(PDEV* pdev, const PaperRecord* input, const PaperRecord* output);
/// Sheet frame, the slot rectangles in filling order and the centring offset, from the
/// output paper and the stored scale.
void ComputeNupSlots(PDEV* pdev);
/// Odd- and even-page origins in dots from the settings' print positions.
void ComputePageOrigins(PDEV* pdev);
/// Copies at most min(cbGdiInfo, sizeof(GDIINFO), 320) bytes; also prepares the device's
/// RasterWorkRecord when it has one. Reads the printer data "DAT_CurDevHTInfo<dpi>".
void FillGDIInfo(PDEV* pdev, ULONG cbGdiInfo, GDIINFO* gdiInfo);
/// Replaces the device's palette (kept in the PDEV; DrvDisablePDEV deletes it) and copies at
/// most min(cbDevInfo, sizeof(DEVINFO)) bytes. FALSE, with nothing copied, when the palette
/// cannot be made.
[[nodiscard]] BOOL FillDevInfo(PDEV* pdev, ULONG cbDevInfo, DEVINFO* devInfo, ULONG halftonePatternSize);
/// TRUE at the first difference of the page layout between two devices (DrvResetPDEV).
BOOL PageLayoutChanged(const PDEV* oldPdev, const PDEV* newPdev);
/// The N-up layout table's counts for a pages-per-sheet value (1 x 1 outside the table).
void NupLayoutCounts(WORD pagesPerSheet, int* a, int* b);

/// The halftone information used when neither the printer data nor the model's list gives
/// one: pattern size 7, gammas 5000.
extern const DEVHTINFO kDefaultHalftoneInfo;
/// Dither cell edge in dots for a halftone pattern size (16 beyond the table's last row).
USHORT DitherCellOfPatternSize(ULONG patternSize);
