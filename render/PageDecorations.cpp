// Page frame, page stamp and banner sheet: none of them is drawn (see the header).
#include "render/PageDecorations.h"

void DrawPageFrame(PDEV* /*pdev*/, WORD /*pagesPerSheet*/) {}

void WritePageStamp(PDEV* /*pdev*/, WORD /*pagesPerSheet*/) {}

void WriteBannerPage(PDEV* /*pdev*/, BOOL /*atStart*/) {}
