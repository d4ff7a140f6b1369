// The path and paint hooks. In graphics-only mode the engine draws every call into the
// banding surface; outside it these hooks refuse with ERROR_NOT_SUPPORTED for now.
#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/HookLog.h"
#include "render/JobFlow.h"
#include "render/OutputStream.h"
#include "render/draw/DrawingHooks.h"
#include "render/draw/HookFrame.h"

BOOL DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                   LINEATTRS* plineattrs, MIX mix) noexcept {
    HookLog(PdevOf(pso), kLogDrawingHooks, u"DDI:DrvStrokePath IN");
    PDEV* pdev = EnterDrawing(pso, u"DDI:DrvStrokePath IN 妥当性チェックclear!");
    if (pdev == nullptr) return FALSE;
    if (!GraphicsOnly(pdev)) return Refuse(ERROR_NOT_SUPPORTED);
    FlushPendingSetup(pdev);
    return EngStrokePath(BandSurface(pdev, pso), ppo, pco, pxo, pbo, pptlBrushOrg, plineattrs, mix);
}

BOOL DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix,
                 FLONG flOptions) noexcept {
    HookLog(PdevOf(pso), kLogDrawingHooks, u"DDI:DrvFillPath IN");
    PDEV* pdev = EnterDrawing(pso, u"DDI:DrvFillPath IN 妥当性チェックClear!");
    if (pdev == nullptr) return FALSE;
    if (!GraphicsOnly(pdev)) return Refuse(ERROR_NOT_SUPPORTED);
    FlushPendingSetup(pdev);
    return EngFillPath(BandSurface(pdev, pso), ppo, pco, pbo, pptlBrushOrg, mix, flOptions);
}

BOOL DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                          LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mixFill,
                          FLONG flOptions) noexcept {
    HookLog(PdevOf(pso), kLogDrawingHooks, u"DDI:DrvStrokeAndFillPath IN");
    PDEV* pdev = EnterDrawing(pso, u"DDI:DrvStrokeAndFillPath IN 妥当性チェックClear!");
    if (pdev == nullptr) return FALSE;
    if (!GraphicsOnly(pdev)) return Refuse(ERROR_NOT_SUPPORTED);
    FlushPendingSetup(pdev);
    return EngStrokeAndFillPath(BandSurface(pdev, pso), ppo, pco, pxo, pboStroke, plineattrs, pboFill, pptlBrushOrg,
                                mixFill, flOptions);
}

BOOL DrvPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix) noexcept {
    HookLog(PdevOf(pso), kLogDrawingHooks, u"DDI:DrvPaint IN");
    PDEV* pdev = EnterDrawing(pso, u"DDI:DrvPaint IN 妥当性チェックClear!");
    if (pdev == nullptr) return FALSE;
    if (!GraphicsOnly(pdev)) return Refuse(ERROR_NOT_SUPPORTED);
    FlushPendingSetup(pdev);
    return EngPaint(BandSurface(pdev, pso), pco, pbo, pptlBrushOrg, mix);
}

