#pragma once
// The drawing hooks' common frame: log, check the device (last error 87 when bad), write the
// pending job and page setup, and in graphics-only mode hand the call to the engine's own
// routine on the band surface. Also the brush, dither and font hooks of the hook table.
#include "platform/Ddi.h"

[[nodiscard]] BOOL DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                             RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush,
                             ROP4 rop4) noexcept;
[[nodiscard]] BOOL DrvCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                               POINTL* pptlSrc) noexcept;
[[nodiscard]] BOOL DrvStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                 COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                                 POINTL* pptlMask, ULONG iMode) noexcept;
[[nodiscard]] BOOL DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                                 POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix) noexcept;
[[nodiscard]] BOOL DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix,
                               FLONG flOptions) noexcept;
[[nodiscard]] BOOL DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                                        LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mixFill,
                                        FLONG flOptions) noexcept;
[[nodiscard]] BOOL DrvPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix) noexcept;
[[nodiscard]] BOOL DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                              RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                              MIX mix) noexcept;
[[nodiscard]] BOOL DrvRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask,
                                   XLATEOBJ* pxlo, ULONG iHatch) noexcept;
[[nodiscard]] ULONG DrvDitherColor(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul) noexcept;
[[nodiscard]] ULONG DrvGetGlyphMode(DHPDEV dhpdev, FONTOBJ* pfo) noexcept;
[[nodiscard]] PVOID DrvQueryFont(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG_PTR* pid) noexcept;
[[nodiscard]] PVOID DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG iMode, ULONG_PTR* pid) noexcept;
[[nodiscard]] LONG DrvQueryFontData(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, PVOID pgd, PVOID pv,
                                    ULONG cjSize) noexcept;
[[nodiscard]] BOOL DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg, PVOID pvWidths,
                                         ULONG cGlyphs) noexcept;
