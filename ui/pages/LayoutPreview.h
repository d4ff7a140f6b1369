#pragma once
// The layout preview of the document pages: a small picture of the sheet, its duplex kind,
// the N-up grid with its numbering order and binding marks, drawn by stacking this library's
// monochrome bitmaps with SRCAND, and the paper names beside it.
#include "platform/UserMessages.h"
#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"
#include "settings/DriverDevMode.h"

struct PageRecord;

/// The page's icons shown in kDocumentPaperIcon and kOutputPaperIcon.
inline constexpr int kDocumentPaperIconId = 780;
inline constexpr int kOutputPaperIconId = 781;

/// Draws the preview of the context's working block into the owner-drawn kPreviewControl
/// (drawItem's DC) and the paper names beside kDocumentPaperIcon and kOutputPaperIcon (the
/// dialog's DC). Every bitmap it loads is deleted and the DC's modes are restored. 1, or 0 when
/// no memory DC can be made.
int PaintLayoutPreview(const DRAWITEMSTRUCT* drawItem, PageRecord* page, HWND dialog);

/// The sheet picture: 3111-3122 by duplex kind (1 to 3; another kind gives 3111),
/// FeatureFlags bit 2 and upright (1) or turned (0).
int SheetBitmapId(int upright, int bit2, int duplex);
/// One page per sheet: 3125 for ExtraOption1 exactly 1, else 3123.
int SinglePageBitmapId(DWORD extraOption1);
/// The N-up grid of 2, 4, 6, 8, 9 or 16 pages; 3127 for any other count.
int NupGridBitmapId(int upright, int pages);
/// The order picture of 9 and 16 pages; layoutFrame is clamped to 0..3.
int OrderArrowBitmapId(int upright, DWORD extraOption1, int layoutFrame);
/// The duplex binding mark (8257-8260), or 0 when none is drawn.
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
