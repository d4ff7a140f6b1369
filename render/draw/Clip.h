#pragma once
// The printer's clip: one rectangle or a clip path, per piece of a drawing call; the
// rectangle command and the pen of strokes.
#include "platform/Ddi.h"
#include "render/Pdev.h"

/// Sends the clip rectangle (page dots, right and bottom exclusive, clamped to the page and
/// mapped like positions) unless the printer holds it already. Drops a stored clip path and
/// marks the sheet as drawn on.
void SetClipRectangle(PDEV* pdev, RECTL rect);
/// Sets the printer's clip for the next piece of a drawing. TRUE: another piece follows (the
/// caller draws this one and calls again). *enumStart is 1 before the first call. bounds
/// (may be NULL) receives the piece's rectangle.
[[nodiscard]] BOOL SetClipRegion(PDEV* pdev, CLIPOBJ* clip, RECTL* bounds, DWORD* enumStart);
/// Sends a clip path; FALSE when it does not fit the device (nothing written).
[[nodiscard]] BOOL SetClipPath(PDEV* pdev, PATHOBJ* path);
/// The rectangle command: filled with the current fill, and outlined with the pen when outline.
void WriteFilledRect(PDEV* pdev, RECTL rect, DWORD outline);
/// Pen gray and logical operation of a stroke; other mixes than the accepted ones send nothing.
void SetPenColor(PDEV* pdev, BYTE red, BYTE green, BYTE blue, MIX mix);
/// The printer's logical code of a foreground ROP2 (1 to 16).
BYTE PenLogicalCode(BYTE rop2);
