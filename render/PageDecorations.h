#pragma once
// The decorations the driver adds to a job on its own: the frame round a page or N-up
// slot, the page stamp text, and the banner sheet before (and after) the job. The page end,
// band end, job header and trailer call them where the decorations belong; they use and
// update the printer's drawing-state caches like every other drawing.
#include "render/Pdev.h"

/// Frame round the current page (pagesPerSheet 1) or N-up slot, as the frame option says
/// (1 solid, 2 dashed, 3 thick, 4 corner marks; others draw nothing); then the stamp when
/// the stamp switch is on. The caller sets the frame-being-drawn mark around it.
void DrawPageFrame(PDEV* pdev, WORD pagesPerSheet);
/// The stamp text of the current page or slot, at one of nine places of its area.
void WritePageStamp(PDEV* pdev, WORD pagesPerSheet);
/// The banner sheet (atStart TRUE before the first page, FALSE after the last); nothing for
/// the postcard papers.
void WriteBannerPage(PDEV* pdev, BOOL atStart);

// What the frame and the stamp share (PageFrame.cpp).
/// The page's own area (pagesPerSheet 1: the output paper's rectangle when a separate one is
/// chosen, else the page's) or the current slot's, as the stamp takes it: clip and placement.
struct DecorationArea {
    RECTL clip;
    RECTL place;
};
DecorationArea StampArea(const PDEV* pdev, WORD pagesPerSheet);
/// An output paper other than the form is chosen (its own device rectangle is the area).
bool SeparateOutputPaper(const PDEV* pdev);
/// The face layout asks for more than one face per sheet.
bool FaceLayoutActive(const PDEV* pdev);
