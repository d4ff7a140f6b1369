// The text hook and the glyph mode. In graphics-only mode the engine draws the text into
// the banding surface; outside it DrvTextOut refuses with ERROR_NOT_SUPPORTED for now.
#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/HookLog.h"
#include "render/JobFlow.h"
#include "render/OutputStream.h"
#include "render/draw/DrawingHooks.h"
#include "render/draw/HookFrame.h"

namespace {

constexpr ULONG kGlyphHandles = 1;         // FO_HGLYPHS

}  // namespace

BOOL DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) noexcept {
    if (pso == nullptr || pstro == nullptr || pfo == nullptr) return Refuse(ERROR_INVALID_PARAMETER);
    HookLog(PdevOf(pso), kLogDrawingHooks, u"DDI:DrvTextOut IN");
    PDEV* pdev = EnterDrawing(pso, nullptr);
    if (pdev == nullptr) return FALSE;
    if (!GraphicsOnly(pdev)) return Refuse(ERROR_NOT_SUPPORTED);
    FlushPendingSetup(pdev);
    return EngTextOut(BandSurface(pdev, pso), pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg,
                      mix);
}

ULONG DrvGetGlyphMode(DHPDEV /*dhpdev*/, FONTOBJ* /*pfo*/) noexcept { return kGlyphHandles; }

