#pragma once
// Brushes as the printer's fills: solid grays, hatches, 8 x 8 patterns and, for other
// brushes, a 24 x 24 image sent through the bitmap hooks.
#include "platform/Ddi.h"
#include "render/Pdev.h"

/// Realizes the brush as the printer's fill; in raster mode (kStateClipComputeOnly) or for a
/// text rectangle (kStateTextRect) also paints the rectangle. mixOrRop is a MIX, or a ROP4 in
/// raster mode. FALSE when the brush cannot be realized.
[[nodiscard]] BOOL SelectBrush(PDEV* pdev, SURFOBJ* surface, FLONG fillOptions, BRUSHOBJ* brush, POINTL* brushOrigin,
                               ULONG mixOrRop, RECTL* rect, BOOL invert);
/// The fill part of SelectBrush.
[[nodiscard]] BOOL SelectFillBrush(PDEV* pdev, ULONG mixOrRop, BRUSHOBJ* brush, BOOL invert, POINTL* brushOrigin,
                                   RECTL* rect, SURFOBJ* surface);
