// The path and paint hooks. In graphics-only mode the engine draws every call into the
// banding surface. Otherwise each hook brings the printer's mode, scale, clip, brush and line
// state up to date and writes the path once per clip piece; a path the printer cannot take
// goes to the engine's own routine (fills) or is refused (strokes).
#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/HookLog.h"
#include "render/DocumentHooks.h"
#include "render/OutputStream.h"
#include "render/PjlHeader.h"
#include "render/draw/Brushes.h"
#include "render/draw/Clip.h"
#include "render/draw/DrawingHooks.h"
#include "render/draw/DrawingState.h"
#include "render/draw/HookFrame.h"
#include "render/draw/LineAttributes.h"
#include "render/draw/PathOutput.h"

namespace {

constexpr MIX kMixNothing = 0x0B0B;  // R2_NOP in both halves
constexpr ULONG kNoSolidColour = 0xFFFFFFFFu;
constexpr ULONG kUnknownPen = 0x7F7F7F;
constexpr DWORD kOpStroke = 1;
constexpr DWORD kOpFill = 2;
constexpr DWORD kOpFillAndStroke = 3;

/// The hook's names in the debug log.
struct HookNames {
    const char16_t* in;
    const char16_t* validated;
    const char16_t* out;
};
constexpr HookNames kPaintNames{u"DDI:DrvPaint IN", u"DDI:DrvPaint IN 妥当性チェックClear!", u"DDI:DrvPaint OUT"};
constexpr HookNames kStrokeNames{u"DDI:DrvStrokePath IN", u"DDI:DrvStrokePath IN 妥当性チェックclear!",
                                 u"DDI:DrvStrokePath OUT"};
constexpr HookNames kFillNames{u"DDI:DrvFillPath IN", u"DDI:DrvFillPath IN 妥当性チェックClear!",
                               u"DDI:DrvFillPath OUT"};
constexpr HookNames kStrokeFillNames{u"DDI:DrvStrokeAndFillPath IN", u"DDI:DrvStrokeAndFillPath IN 妥当性チェックClear!",
                                     u"DDI:DrvStrokeAndFillPath OUT"};

/// What the common entry decided.
enum class Entry {
    Refused,       // bad device or failed output: FALSE
    GraphicsOnly,  // the engine draws the call into the band
    NothingToDraw, // an R2_NOP mix: TRUE
    Draw,
};

/// The entry shared by the four hooks: the device's check, the pending job and page setup,
/// and the printer's mode, scale and glyph-download table before the first command.
Entry EnterVectorHook(SURFOBJ* pso, const HookNames& names, MIX mix, PDEV** out) {
    HookLog(PdevOf(pso), kLogDrawingHooks, names.in);
    PDEV* pdev = EnterDrawing(pso, names.validated);
    *out = pdev;
    if (pdev == nullptr) return Entry::Refused;
    if (GraphicsOnly(pdev)) {
        FlushPendingSetup(pdev);
        return Entry::GraphicsOnly;
    }
    pdev->StateFlags |= kStateClipPath;
    FlushPendingSetup(pdev);
    // The job header and page setup are owed even when nothing is drawn.
    if (mix == kMixNothing) return Entry::NothingToDraw;
    pdev->StateFlags |= kStateClipPath;
    LeavePageControlMode(pdev);
    if (pdev->VectorResolution != static_cast<WORD>(Resolution(pdev))) EnterVectorScale(pdev);
    if (pdev->DownloadResetDone == 0) {
        ResetDownloadTable(pdev);
        pdev->DownloadResetDone = 1;
    }
    return Entry::Draw;
}

void BeginPathOperation(PDEV* pdev, DWORD operation, DWORD outline) {
    pdev->StateFlags &= ~kStateAsciiPath;
    pdev->Vector.Operation = operation;
    pdev->Vector.OutlineFlag = outline;
}

BOOL LeaveVectorHook(PDEV* pdev, const HookNames& names) {
    pdev->StateFlags = (pdev->StateFlags | kStateClipPath) & ~kStateAsciiPath;
    HookLog(pdev, kLogDrawingHooks, names.out);
    return TRUE;
}

/// The stroke's pen: the brush's solid colour, a middle gray for any other brush.
void SetStrokePen(PDEV* pdev, BRUSHOBJ* brush, MIX mix) {
    const ULONG colour = brush != nullptr && brush->iSolidColor != kNoSolidColour ? brush->iSolidColor : kUnknownPen;
    SetPenColor(pdev, static_cast<BYTE>(colour), static_cast<BYTE>(colour >> 8), static_cast<BYTE>(colour >> 16),
                mix);
}

/// The path's bounds in whole dots (right and bottom exclusive).
RECTL PathBoundsDots(PATHOBJ* path) {
    RECTFX bounds{};
    PATHOBJ_vGetBounds(path, &bounds);
    return RECTL{bounds.xLeft >> 4, bounds.yTop >> 4, (bounds.xRight >> 4) + 1, (bounds.yBottom >> 4) + 1};
}

/// One clip piece after another: each round sets the printer's clip (or defers it to the path
/// writer) and says whether another piece follows.
class ClipPieces {
public:
    ClipPieces(PDEV* pdev, CLIPOBJ* clip) : pdev_(pdev), clip_(clip) {}
    /// FALSE when there is nothing to draw in this round: a complex clip that gave no piece.
    bool Next() {
        pdev_->StateFlags |= kStateDeferredClip | kStateRectPending;
        more_ = SetClipRegion(pdev_, clip_, &piece_, &enumStart_) != FALSE;
        if (!more_ && (pdev_->StateFlags & kStateClipPath) == 0 && clip_ != nullptr &&
            clip_->iDComplexity == DC_COMPLEX) {
            pdev_->StateFlags &= ~(kStateDeferredClip | kStateRectPending);
            return false;
        }
        return true;
    }
    bool More() const { return more_; }
    /// The piece as the engine's clip: rectangle clips carry the engine's rectangle; the
    /// clip-path piece is the whole clip object.
    CLIPOBJ* EngineClip() {
        if (clip_ == nullptr || (clip_->iDComplexity == DC_COMPLEX && (pdev_->StateFlags & kStateClipPath) != 0)) {
            return clip_;
        }
        // The printer's pieces reach one dot further right and down than the engine's.
        pieceClip_ = CLIPOBJ{};
        pieceClip_.rclBounds = RECTL{piece_.left, piece_.top, piece_.right - 1, piece_.bottom - 1};
        pieceClip_.iDComplexity = DC_RECT;
        pieceClip_.iFComplexity = FC_RECT;
        pieceClip_.iMode = TC_RECTANGLES;
        return &pieceClip_;
    }

private:
    PDEV* pdev_;
    CLIPOBJ* clip_;
    DWORD enumStart_ = 1;
    RECTL piece_{};
    CLIPOBJ pieceClip_{};
    bool more_ = false;
};

void WriteFillAndStrokeEnding(PDEV* pdev, FLONG fillOptions) {
    const char* ending = (fillOptions & FP_WINDINGMODE) ? "FL1;" : "EF1;";
    (void)WriteOutput(pdev, ending, 4);
    pdev->SheetBlank = 0;
    WriteStroke(pdev);
}

BOOL PaintRect(PDEV* pdev, SURFOBJ* pso, BRUSHOBJ* brush, POINTL* origin, MIX mix, RECTL rect) {
    if (!SelectBrush(pdev, pso, FP_ALTERNATEMODE, brush, origin, mix, &rect, FALSE)) return FALSE;
    WriteFilledRect(pdev, rect, 0);
    return TRUE;
}

}  // namespace

BOOL DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                   LINEATTRS* plineattrs, MIX mix) noexcept {
    PDEV* pdev = nullptr;
    switch (EnterVectorHook(pso, kStrokeNames, mix, &pdev)) {
    case Entry::Refused:
        return FALSE;
    case Entry::GraphicsOnly:
        return EngStrokePath(BandSurface(pdev, pso), ppo, pco, pxo, pbo, pptlBrushOrg, plineattrs, mix);
    case Entry::NothingToDraw:
        return TRUE;
    case Entry::Draw:
        break;
    }
    BeginPathOperation(pdev, kOpStroke, 0);
    if (!SetLineAttributes(pdev, plineattrs, pxo)) return FALSE;
    SetStrokePen(pdev, pbo, mix);
    ClipPieces pieces(pdev, pco);
    do {
        if (!pieces.Next()) break;
        if (!WritePath(pdev, ppo, pso, pco, 0)) return FALSE;
        if (pdev->StateFlags & kStateAsciiPath) {
            // The printer draws a 2-dot ASCII stroke thinner than a 2-dot binary one.
            if (pdev->Draw.LineWidth == 2) SetLineWidth(pdev, 3);
            WriteStroke(pdev);
            pdev->StateFlags &= ~kStateAsciiPath;
        }
    } while (pieces.More());
    return LeaveVectorHook(pdev, kStrokeNames);
}

BOOL DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix,
                 FLONG flOptions) noexcept {
    PDEV* pdev = nullptr;
    switch (EnterVectorHook(pso, kFillNames, mix, &pdev)) {
    case Entry::Refused:
        return FALSE;
    case Entry::GraphicsOnly:
        return EngFillPath(BandSurface(pdev, pso), ppo, pco, pbo, pptlBrushOrg, mix, flOptions);
    case Entry::NothingToDraw:
        return TRUE;
    case Entry::Draw:
        break;
    }
    BeginPathOperation(pdev, kOpFill, 0);
    if (!ClipPathFits(pdev, pco)) return EngFillPath(pso, ppo, pco, pbo, pptlBrushOrg, mix, flOptions);
    RECTL bounds = PathBoundsDots(ppo);
    ClipPieces pieces(pdev, pco);
    bool piecesSent = false;
    BOOL engineResult = TRUE;
    bool engineDraws = false;
    do {
        if (!pieces.Next()) break;
        // Once the engine has taken over, it fills this piece and every later one; what the
        // printer already drew is not drawn again.
        if (engineDraws) {
            if (!EngFillPath(pso, ppo, pieces.EngineClip(), pbo, pptlBrushOrg, mix, flOptions)) engineResult = FALSE;
            continue;
        }
        if (!SelectBrush(pdev, pso, flOptions, pbo, pptlBrushOrg, mix, &bounds, FALSE)) return FALSE;
        if (!WritePath(pdev, ppo, pso, pco, flOptions)) {
            if (!piecesSent) return EngFillPath(pso, ppo, pco, pbo, pptlBrushOrg, mix, flOptions);
            engineDraws = true;
            if (!EngFillPath(pso, ppo, pieces.EngineClip(), pbo, pptlBrushOrg, mix, flOptions)) engineResult = FALSE;
            continue;
        }
        piecesSent = true;
        if (pdev->StateFlags & kStateAsciiPath) {
            WriteFill(pdev, flOptions);
            pdev->StateFlags &= ~kStateAsciiPath;
        }
    } while (pieces.More());
    (void)LeaveVectorHook(pdev, kFillNames);
    return engineResult;
}

BOOL DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                          LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mixFill,
                          FLONG flOptions) noexcept {
    PDEV* pdev = nullptr;
    switch (EnterVectorHook(pso, kStrokeFillNames, mixFill, &pdev)) {
    case Entry::Refused:
        return FALSE;
    case Entry::GraphicsOnly:
        return EngStrokeAndFillPath(BandSurface(pdev, pso), ppo, pco, pxo, pboStroke, plineattrs, pboFill,
                                    pptlBrushOrg, mixFill, flOptions);
    case Entry::NothingToDraw:
        return TRUE;
    case Entry::Draw:
        break;
    }
    BeginPathOperation(pdev, kOpFillAndStroke, 1);
    if (!ClipPathFits(pdev, pco)) return FALSE;
    if (!SetLineAttributes(pdev, plineattrs, pxo)) return FALSE;
    SetStrokePen(pdev, pboStroke, mixFill);
    RECTL bounds = PathBoundsDots(ppo);
    ClipPieces pieces(pdev, pco);
    do {
        if (!pieces.Next()) break;
        if (!SelectBrush(pdev, pso, flOptions, pboFill, pptlBrushOrg, mixFill, &bounds, FALSE)) return FALSE;
        if (!WritePath(pdev, ppo, pso, pco, flOptions)) return FALSE;
        if (pdev->StateFlags & kStateAsciiPath) {
            WriteFillAndStrokeEnding(pdev, flOptions);
            pdev->StateFlags &= ~kStateAsciiPath;
        }
    } while (pieces.More());
    return LeaveVectorHook(pdev, kStrokeFillNames);
}

BOOL DrvPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix) noexcept {
    PDEV* pdev = nullptr;
    switch (EnterVectorHook(pso, kPaintNames, mix, &pdev)) {
    case Entry::Refused:
        return FALSE;
    case Entry::GraphicsOnly:
        return EngPaint(BandSurface(pdev, pso), pco, pbo, pptlBrushOrg, mix);
    case Entry::NothingToDraw:
        return TRUE;
    case Entry::Draw:
        break;
    }
    SetClipRectangle(pdev, pdev->ClipLimitRect);
    if (pco == nullptr) {
        if (!PaintRect(pdev, pso, pbo, pptlBrushOrg, mix, pdev->ClipLimitRect)) return FALSE;
    } else if (pco->iDComplexity == DC_RECT || pco->iDComplexity == DC_COMPLEX) {
        (void)CLIPOBJ_cEnumStart(pco, FALSE, CT_RECTANGLES, CD_ANY, 0);
        bool more = true;
        while (more) {
            ENUMRECTS batch{};
            more = CLIPOBJ_bEnum(pco, sizeof batch, reinterpret_cast<ULONG*>(&batch)) != FALSE;
            // The last rectangle comes with the answer that no more follow.
            if (batch.c >= 1 && !PaintRect(pdev, pso, pbo, pptlBrushOrg, mix, batch.arcl[0])) return FALSE;
        }
    } else {
        if (!PaintRect(pdev, pso, pbo, pptlBrushOrg, mix, pco->rclBounds)) return FALSE;
    }
    return LeaveVectorHook(pdev, kPaintNames);
}
