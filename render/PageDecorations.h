#pragma once
// The decorations the driver adds to a job on its own: the frame round a page or N-up
// slot, the page stamp text, and the banner sheet before (and after) the job.
#include "render/Pdev.h"

/// Frame round the current page (pagesPerSheet 1) or N-up slot; ends with the page stamp
/// when the stamp switch is on.
void DrawPageFrame(PDEV* pdev, WORD pagesPerSheet);
/// The stamp text of the current page or slot.
void WritePageStamp(PDEV* pdev, WORD pagesPerSheet);
/// The banner sheet: atStart TRUE before the first page, FALSE after the last.
void WriteBannerPage(PDEV* pdev, BOOL atStart);
