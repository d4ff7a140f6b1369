#pragma once
// What the bitmap hooks share: brush fills of a blit, the direct-image test, the engine's
// halftoning stretch under the busy flag, and the row shift of the image writers.
#include "platform/Ddi.h"
#include "render/Pdev.h"

/// Fills the target rectangle with the brush once per clip piece; the last fill's result
/// (TRUE when no piece was drawn).
[[nodiscard]] BOOL FillBlitWithBrush(PDEV* pdev, SURFOBJ* target, RECTL* rect, BRUSHOBJ* brush, POINTL* brushOrigin,
                                     CLIPOBJ* clip, ROP4 rop4);
/// TRUE when the source can be sent as it stands (a 1-bit black-and-white bitmap); records its
/// palette codes.
[[nodiscard]] BOOL IsDirectBitmap(PDEV* pdev, SURFOBJ* source, XLATEOBJ* xlate);
/// EngStretchBlt in HALFTONE mode under the busy flag.
[[nodiscard]] BOOL EngineHalftoneStretch(PDEV* pdev, SURFOBJ* dest, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip,
                                         XLATEOBJ* xlate, COLORADJUSTMENT* adjustment, POINTL* origin, RECTL* destRect,
                                         RECTL* sourceRect, POINTL* maskPoint);
/// Copies outBytes bytes of a 1-bit row from pixel firstBit (bit 7 leftmost).
void ShiftRowBits(BYTE* out, const BYTE* row, DWORD firstBit, DWORD outBytes, DWORD rowBytes);
