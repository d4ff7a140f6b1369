#pragma once
// The decorations the driver adds to a job on its own: the frame round a page or N-up
// slot, the page stamp text, and the banner sheet before (and after) the job.
//
// These entries write nothing to the job: a job whose settings ask for a frame, a stamp or a
// banner prints without it. The page end, band end, job header and trailer call them at the
// points where the decorations belong.
#include "render/Pdev.h"

/// Frame round the current page (pagesPerSheet 1) or N-up slot; writes nothing.
void DrawPageFrame(PDEV* pdev, WORD pagesPerSheet);
/// The stamp text of the current page or slot; writes nothing.
void WritePageStamp(PDEV* pdev, WORD pagesPerSheet);
/// The banner sheet (atStart TRUE before the first page, FALSE after the last); writes nothing.
void WriteBannerPage(PDEV* pdev, BOOL atStart);
