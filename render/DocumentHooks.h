#pragma once
// The document and page hooks and the deferred job and page setup. StartDoc and StartPage
// write nothing: the first drawing call of a job writes the job header, the first of a page
// the page setup when the page settings changed, and a sheet is ejected only when something
// was drawn on it.
#include "platform/Ddi.h"
#include "render/Pdev.h"

/// FeatureFlags bit 28: every page feeds a sheet, drawn on or not.
inline constexpr DWORD kFeatureEjectBlankSheets = 1u << 28;
/// FeatureFlags bit 9: N-up pages are decorated even without frame or stamp.
inline constexpr DWORD kFeatureNupDecorations = 1u << 9;
/// Document names are kept to this many UTF-16 characters.
inline constexpr int kDocumentNameChars = 64;

// The hooks: a bad device answers FALSE with last error 87; a device whose output failed
// answers FALSE without a last error, except DrvEndDoc, which sets the failed write's error
// (ERROR_WRITE_FAULT for a short one), whether it failed during the job or in its trailer.
[[nodiscard]] BOOL DrvStartDoc(SURFOBJ* pso, LPWSTR docName, DWORD jobId) noexcept;
[[nodiscard]] BOOL DrvStartPage(SURFOBJ* pso) noexcept;
[[nodiscard]] BOOL DrvStartBanding(SURFOBJ* pso, POINTL* pptl) noexcept;
[[nodiscard]] BOOL DrvSendPage(SURFOBJ* pso) noexcept;
[[nodiscard]] BOOL DrvEndDoc(SURFOBJ* pso, FLONG flags) noexcept;
/// Moves the running job into a new device state; the old one gives up its job file,
/// capture file and unsent bytes, so freeing it closes and deletes nothing of the job.
[[nodiscard]] BOOL DrvResetPDEV(DHPDEV oldPdev, DHPDEV newPdev) noexcept;

/// Job header on the first drawing of a job, page setup on the first of a page. Called
/// first by every drawing hook, PASSTHROUGH and the page end.
void FlushPendingSetup(PDEV* pdev);
/// CR FF unless nothing was drawn on the sheet (in page-control mode either way). TRUE.
[[nodiscard]] BOOL EjectPage(PDEV* pdev);
/// The scale percent and N-up slots for the current settings (one page per sheet: the
/// layout scale; N-up: the fit scale, never exactly 100), then the page origins.
void ApplyPageScale(PDEV* pdev);
/// Both PageSettings records to their start-of-job values (nothing sent yet).
void ResetPageSettings(PDEV* pdev);
/// Pages that fill one sheet: pages per sheet when it is an N-up layout, else 1.
WORD SheetCapacity(const PDEV* pdev);
/// Glyph-download model: 200 or 400 dpi and the model's download flag.
bool DownloadModel(const PDEV* pdev);
