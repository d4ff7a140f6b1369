// Page frame, page stamp and banner sheet.
//
// NOT YET WRITTEN: the three decorations come later. Until then each entry
// below writes nothing, so a job whose settings ask for a frame, a stamp or a banner prints
// without it. The callers (page end, band end, job header and trailer) already call them at
// the points where the decorations belong.
#include "render/PageDecorations.h"

void DrawPageFrame(PDEV* /*pdev*/, WORD /*pagesPerSheet*/) {
    // Not yet written: draws no frame (see the note at the top of this file).
}

void WritePageStamp(PDEV* /*pdev*/, WORD /*pagesPerSheet*/) {
    // Not yet written: prints no stamp (see the note at the top of this file).
}

void WriteBannerPage(PDEV* /*pdev*/, BOOL /*atStart*/) {
    // Not yet written: sends no banner sheet (see the note at the top of this file).
}
