#pragma once
// The layout preview of the document pages: a small picture of the sheet, its duplex kind,
// the N-up grid with its numbering order and binding marks, drawn by stacking this library's
// monochrome bitmaps with SRCAND, and the paper names beside it.
#include "platform/UserMessages.h"
#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/PictureIds.h"
#include "settings/DriverDevMode.h"

struct PageRecord;

/// Draws the preview of the context's working block into the owner-drawn kPreviewControl
/// (drawItem's DC) and the paper names beside kDocumentPaperIcon and kOutputPaperIcon (the
/// dialog's DC). Every bitmap it loads is deleted and the DC's modes are restored. 1, or 0 when
/// no memory DC can be made.
int PaintLayoutPreview(const DRAWITEMSTRUCT* drawItem, PageRecord* page, HWND dialog);

/// The sheet picture by duplex kind (1 to 3; another kind gives the one-sided upright sheet),
/// FeatureFlags bit 2 (a bold edge) and upright (1) or turned (0).
int SheetBitmapId(int upright, int bit2, int duplex);
/// One page per sheet: the numbered page for ExtraOption1 exactly 1, else the plain page.
int SinglePageBitmapId(DWORD extraOption1);
/// The N-up grid of 2, 4, 6, 8, 9 or 16 pages; the upright grid of 2 for any other count.
int NupGridBitmapId(int upright, int pages);
/// The order picture of 9 and 16 pages; layoutFrame is clamped to 0..3.
int OrderArrowBitmapId(int upright, DWORD extraOption1, int layoutFrame);
/// The duplex binding mark, or 0 when none is drawn.
int BindingMarkBitmapId(const DriverDevMode& settings);
/// Whether the picture is drawn upright (1) or turned (0) for the block.
int IsPreviewUpright(const DriverDevMode& settings);

/// One page-number picture and where it goes, in the preview control's coordinates.
struct PreviewNumber {
    int bitmapId;
    int x;
    int y;
};
inline constexpr int kMaxPreviewNumbers = 8;
/// The page-number pictures for the block (none for one page per sheet or an unknown
/// count; only the first and last for 9 and 16); the count written to out.
int PreviewNumbers(const DriverDevMode& settings, PreviewNumber (&out)[kMaxPreviewNumbers]);
