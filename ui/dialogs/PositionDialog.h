#pragma once
// The print-position dialogs (kPositionDialogTemplate with the page picture,
// kNupPositionDialogTemplate for N-up layouts): their state, the text of the offset fields
// and the picture's geometry, painting and drags. Both edit the context's scratch block; OK
// copies it to the working block.
#include "platform/User.h"
#include "platform/WinGdi.h"
#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"
#include "settings/DriverDevMode.h"

struct PageRecord;
struct UiContext;

// Mode flags of PositionDialogState::mode.
inline constexpr DWORD kGrabBody = 0x1;
inline constexpr DWORD kGrabTopLeft = 0x10;
inline constexpr DWORD kGrabTopRight = 0x20;
inline constexpr DWORD kGrabBottomLeft = 0x40;
inline constexpr DWORD kGrabBottomRight = 0x80;
inline constexpr DWORD kGrabCorners = 0xF0;
inline constexpr DWORD kGrabAny = kGrabBody | kGrabCorners;
inline constexpr DWORD kModeDragging = 0x10000;
inline constexpr DWORD kModeCornerScaling = 0x1000000;
inline constexpr DWORD kModeBackSide = 0x2000000;
inline constexpr DWORD kModeFixedNup = 0x4000000;

// Settings bits the dialogs work with (FeatureFlags is the block's first flag word).
inline constexpr DWORD kFeatureScaling = 0x2;
inline constexpr DWORD kFeatureInches = 0x800000;

// Limits, in display units (0.1 mm, 0.01 inch, percent).
inline constexpr LONG kPositionLimitMm = 32767;
inline constexpr LONG kPositionLimitInch = 12900;
inline constexpr WORD kScaleMin = 10;
inline constexpr WORD kScaleMax = 400;
// The N-up left offset is stored 12.7 mm to the right of the one shown.
inline constexpr LONG kNupLeftShift = 127;
// Document margins of the fixed N-up picture, 0.1 mm: left, top, right, bottom.
inline constexpr LONG kFixedNupMargins[4] = {177, 50, 177, 93};
inline constexpr LONG kFixedNupTop = 50;
inline constexpr LONG kFixedNupLeft = 177;

enum Side { kLeft = 0, kTop = 1, kRight = 2, kBottom = 3 };
enum Corner { kCornerTopLeft = 0, kCornerTopRight = 1, kCornerBottomLeft = 2, kCornerBottomRight = 3 };

/// The picture's cached background: its pens, bitmap and memory DC, with the objects the DC
/// held before, all released by ReleasePictureBackground.
struct PictureBackground {
    HPEN solidPen;
    HPEN dotPen;
    HBITMAP bitmap;
    HDC dc;
    HGDIOBJ oldBitmap;
    LONG width;
    LONG height;
};

/// The dialogs' state, made when either dialog opens and freed when it closes (the page
/// record points to it meanwhile). Sizes and margins in 0.1 mm; rectangles in picture pixels.
struct PositionDialogState {
    DWORD mode;
    LONG dragX, dragY;       // the last mouse position of a drag, screen coordinates
    SHORT paperPixels;       // the output paper's longer side in the picture
    POINT home;              // the image's top-left corner at the default offsets
    LONG docWidth, docLength;
    LONG outWidth, outLength;
    WCHAR outName[64];
    LONG docMargins[4];      // Side order
    LONG outMargins[4];
    POINT centre;
    RECT paper;
    RECT printable;
    RECT image;
    RECT corners[4];         // Corner order
    PictureBackground background;
    HWND picture;
    WNDPROC oldProc;
    // Where the state lives and what it edits.
    PageRecord* page;
    UiContext* context;
    HWND dialog;
    bool nupDialog;          // kNupPositionDialogTemplate
    bool updating;           // the dialog writes its own fields: their notifications are not input
};

/// The scratch block the dialogs edit.
DriverDevMode* PositionBlock(PositionDialogState* state);
/// True when the N-up counts of the block are not both 1.
bool NupCountsInUse(const DriverDevMode* block);
/// True when the shown left offset is 12.7 mm left of the stored one.
bool LeftShiftApplies(const DriverDevMode* block);

/// Opens kPositionDialogTemplate when both N-up counts of the working block are 1, else
/// kNupPositionDialogTemplate; 1 after OK, 0 after Cancel, -1 when the dialog cannot be made.
INT_PTR ShowPrintPositionDialog(PageRecord* page, HWND owner);
INT_PTR PrintPositionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR NupPrintPositionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// --- Numbers and their text ---
/// +0.5 for x >= 0, else -0.5: added before truncation, so halves round away from zero.
double RoundingBias(double x);
LONG RoundAway(double x);
/// divisor 10: "-12.5"; 100: "-1.05"; otherwise the plain integer. out holds 16 characters.
void FormatPositionText(LPWSTR out, LONG value, LONG divisor);
/// The edit's value in display units (see the dialog's rules: digits after the point by the
/// unit, a cut at the first stray character, missing decimals filled). With normalise the
/// magnitude is limited and the text rewritten; the spin (0 for none) follows the value.
/// *digits (when given) tells whether any digit was read.
LONG ReadPositionEdit(PositionDialogState* state, HWND dialog, bool normalise, int editId, int spinId,
                      bool* digits = nullptr);
/// 0.01 inch to 0.1 mm and back, rounded.
LONG InchToTenthMm(LONG hundredthsInch);
LONG TenthMmToInch(LONG tenthMm);
/// The document's printable width and length times the scale, 0.1 mm (not rounded).
double ScaledWidth(const PositionDialogState* state);
double ScaledLength(const PositionDialogState* state);

void SetPositionModeFlags(PositionDialogState* state);
void SetPositionLimits(PositionDialogState* state, HWND dialog);
void ShowPositionFields(PositionDialogState* state, HWND dialog, bool all);
void ShowPositionUnits(PositionDialogState* state, HWND dialog);
void ShowPaperCaption(PositionDialogState* state, HWND dialog);
void ArrangeScaleControls(PositionDialogState* state, HWND dialog);
void ClampScale(PositionDialogState* state);
bool CheckImageOnPaper(PositionDialogState* state);

// --- The page picture ---
/// Sizes and margins (from the context's forms and the model's form lists with lookUp) and
/// the pixel rectangles. Without a dialog, or without a picture of some size, the rectangles
/// are left empty and nothing is divided by a zero extent.
void ComputePictureGeometry(PositionDialogState* state, HWND dialog, bool lookUp);
void RememberHomeCorner(PositionDialogState* state, HWND dialog);
void SetCornerHandles(PositionDialogState* state);
/// The scale the image's size in the picture stands for (also into the shadow); the current
/// scale when the picture or the document has no extent.
WORD ScaleFromPicture(PositionDialogState* state);
/// With an output paper named, its width < its length; else the block's paper's.
bool IsPortraitOutput(const DriverDevMode* block);
void DrawNupDivisions(PositionDialogState* state, HDC dc, COLORREF colour, int left, int top, int right, int bottom);
/// Paints the picture into the DC (double-buffered through the cached background).
void PaintPagePicture(PositionDialogState* state, HDC dc);
void ReleasePictureBackground(PositionDialogState* state);
LRESULT PagePictureWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/// Writes the image's pixel position back into the offsets (top and/or left).
void WriteBackOffsets(PositionDialogState* state, bool top, bool left);
