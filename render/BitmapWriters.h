#pragma once
// A direct 1-bit bitmap as raster image commands per clip piece (turned for rotated N-up
// slots), or, while a brush is sent, as the printer's fill pattern.
#include "platform/Ddi.h"
#include "render/Pdev.h"

/// TRUE when done (also when nothing had to be sent); FALSE when output failed, there is no
/// raster work record, the source is not 1-bit in image mode, or a block cannot be had.
[[nodiscard]] BOOL WriteBitmapRaster(PDEV* pdev, SURFOBJ* source, CLIPOBJ* clip, RECTL* destRect, RECTL* sourceRect);
[[nodiscard]] BOOL WriteBitmapRasterRotated(PDEV* pdev, SURFOBJ* source, CLIPOBJ* clip, RECTL* destRect,
                                            RECTL* sourceRect);
