// Brushes as the printer's fill: solid grays and hatches (A5), the logical-operation pair
// (A6), 8 x 8 patterns (A0, A4 with the A2 and A3 grays), and any other brush as a 24 x 24
// image through the bitmap hooks. SelectBrush also paints a rectangle for the raster callers.
#include "render/draw/Brushes.h"

#include <algorithm>

#include "render/OutputStream.h"
#include "render/draw/BrushPattern.h"
#include "render/draw/Clip.h"
#include "render/draw/DrawingHooks.h"
#include "render/draw/DrawingState.h"

namespace {

constexpr WORD kFillSolid = 1;
constexpr BYTE kRopPattern = 0xF0;   // the pattern as it is, for mixes the table does not take
constexpr BYTE kRopKeepBackground = 0xAA;
constexpr BYTE kR2Nop = 0x0B;
constexpr ULONG kNoSolidColour = 0xFFFFFFFFu;
constexpr ULONG kSkipPaintRop = 0xB8B8;
constexpr LONG kImageSide = 24;
constexpr ULONG kHatchCount = 6;     // HS_HORIZONTAL to HS_DIAGCROSS; past them, pattern brushes

struct Rgb {
    BYTE r, g, b;
};

BYTE GrayCode(const Rgb& c) { return static_cast<BYTE>(kGrayBlack + TextColorToGray(c.r, c.g, c.b)); }

Rgb EntryColour(const RealizedBrushView& brush, DWORD index) {
    BYTE rgb[3];
    brush.Colour(index, rgb);
    return Rgb{rgb[0], rgb[1], rgb[2]};
}

bool RasterMode(const PDEV* pdev) { return (pdev->StateFlags & kStateClipComputeOnly) != 0; }

BYTE Foreground(ULONG mix) { return static_cast<BYTE>(mix & 0xFF); }
BYTE Background(ULONG mix) { return static_cast<BYTE>((mix >> 8) & 0xFF); }
bool IsRop2(BYTE code) { return code >= 1 && code <= 16; }
/// A MIX whose two halves are the same ROP2.
bool EqualPairMix(ULONG mix) { return Foreground(mix) == Background(mix) && IsRop2(Foreground(mix)); }

/// The logical operation of solid fills and patterns: raster callers' rop4 by its low byte;
/// a MIX through the pen table when both halves agree.
BYTE PlainFillCode(const PDEV* pdev, ULONG mixOrRop) {
    if (RasterMode(pdev)) return RopCode(static_cast<BYTE>(mixOrRop));
    return EqualPairMix(mixOrRop) ? PenLogicalCode(Foreground(mixOrRop)) : kRopPattern;
}

void SetFillPair(PDEV* pdev, BYTE foreground, BYTE background) {
    DrawingStateCache& c = pdev->Draw;
    if (c.RopForeground == foreground && c.RopBackground == background) return;
    const BYTE cmd[] = {0xA6, 0x00, foreground, background};
    (void)WriteOutput(pdev, cmd, sizeof cmd);
    c.RopForeground = foreground;
    c.RopBackground = background;
}

void SetFillState(PDEV* pdev, BYTE type, BYTE gray1, BYTE gray0) {
    DrawingStateCache& c = pdev->Draw;
    if (c.FillGray1 == gray1 && c.FillGray2 == gray0 && c.SelectedFill == type) return;
    const BYTE cmd[] = {0xA5, type, gray1, gray0};
    (void)WriteOutput(pdev, cmd, sizeof cmd);
    c.FillGray1 = gray1;
    c.FillGray2 = gray0;
    c.SelectedFill = type;
}

void SelectSolid(PDEV* pdev, ULONG mixOrRop, const Rgb& colour) {
    SetFillState(pdev, kFillSolid, GrayCode(colour), 0);
    const BYTE code = PlainFillCode(pdev, mixOrRop);
    SetFillPair(pdev, code, code);
}

/// The printer's hatch type for a standard hatch index (0 to 5).
BYTE HatchType(const PDEV* pdev, ULONG hatch) {
    ULONG i = hatch;
    // A page turned against the sheet turns horizontal into vertical and swaps the diagonals.
    if (PageTurned(pdev) && i < 4) i ^= 1u;
    if (pdev->Settings.FeatureFlags & kFeatureDevicePatternSet) i += kHatchCount;
    return static_cast<BYTE>(i + 2);
}

void SelectHatch(PDEV* pdev, ULONG mixOrRop, const RealizedBrushView& brush) {
    SetFillState(pdev, HatchType(pdev, brush.Hatch()), GrayCode(EntryColour(brush, 1)),
                 GrayCode(EntryColour(brush, 0)));
    BYTE code = kRopPattern;
    BYTE background = kRopPattern;
    if (RasterMode(pdev)) {
        code = RopCode(static_cast<BYTE>(mixOrRop));
        background = Background(mixOrRop) == kRopKeepBackground ? kRopKeepBackground : code;
    } else if (EqualPairMix(mixOrRop) || (Background(mixOrRop) == kR2Nop && IsRop2(Foreground(mixOrRop)))) {
        // A transparent background leaves what is under the hatch's gaps.
        code = PenLogicalCode(Foreground(mixOrRop));
        background = Background(mixOrRop) == kR2Nop ? kRopKeepBackground : code;
    }
    SetFillPair(pdev, code, background);
}

void SetPatternGray(PDEV* pdev, BYTE opcode, BYTE code, BYTE gray) {
    const BYTE cmd[] = {opcode, code, 0x00, gray};
    (void)WriteOutput(pdev, cmd, sizeof cmd);
}

void SelectPattern(PDEV* pdev, ULONG mixOrRop, const RealizedBrushView& brush) {
    DownloadBrushPattern(pdev, brush);
    const BYTE gray0 = GrayCode(EntryColour(brush, 0));
    const BYTE gray1 = GrayCode(EntryColour(brush, 1));
    const BYTE code = PlainFillCode(pdev, mixOrRop);
    DrawingStateCache& c = pdev->Draw;
    if (c.RopForeground != code || c.FillGray1 != gray0) {
        SetPatternGray(pdev, 0xA2, code, gray0);
        c.RopForeground = code;
        c.FillGray1 = gray0;
    }
    if (c.RopBackground != code || c.FillGray2 != gray1) {
        SetPatternGray(pdev, 0xA3, code, gray1);
        c.RopBackground = code;
        c.FillGray2 = gray1;
    }
}

/// A locked engine bitmap, unlocked and deleted with the object.
class ImageBitmap {
public:
    ImageBitmap(SIZEL size, ULONG format, FLONG flags) {
        handle_ = EngCreateBitmap(size, 0, format, flags, nullptr);
        if (handle_ != nullptr) surface_ = EngLockSurface(handle_);
    }
    ~ImageBitmap() {
        if (surface_ != nullptr) EngUnlockSurface(surface_);
        if (handle_ != nullptr) (void)EngDeleteSurface(handle_);
    }
    ImageBitmap(const ImageBitmap&) = delete;
    ImageBitmap& operator=(const ImageBitmap&) = delete;
    SURFOBJ* Surface() const { return surface_; }

private:
    HSURF handle_ = nullptr;
    SURFOBJ* surface_ = nullptr;
};

/// Any other brush: drawn by the engine into a 24 x 24 colour bitmap, which the bitmap hooks
/// send as the printer's large pattern while kStatePatternMode is set.
BOOL SendBrushImage(PDEV* pdev, BRUSHOBJ* brush, const RealizedBrushView& realized, BOOL invert,
                    POINTL* brushOrigin, RECTL* rect, SURFOBJ* surface) {
    const ImageBitmap image(SIZEL{kImageSide, kImageSide}, BMF_24BPP, realized.BitmapFlags() & BMF_TOPDOWN);
    if (image.Surface() == nullptr) return FALSE;
    RECTL whole{0, 0, kImageSide, kImageSide};
    if (!EngBitBlt(image.Surface(), nullptr, nullptr, nullptr, nullptr, &whole, nullptr, nullptr, brush, brushOrigin,
                   invert ? 0x5A5A : PATCOPY_ROP4)) {
        return FALSE;
    }
    RECTL target = rect != nullptr ? *rect : whole;
    if (target.right - target.left < kImageSide) target.right = target.left + kImageSide;
    if (target.bottom - target.top < kImageSide) target.bottom = target.top + kImageSide;
    POINTL source{0, 0};
    pdev->StateFlags |= kStatePatternMode;
    const BOOL sent = DrvBitBlt(surface, image.Surface(), nullptr, nullptr, nullptr, &target, &source, nullptr, brush,
                                brushOrigin, SRCCOPY_ROP4);
    pdev->StateFlags &= ~kStatePatternMode;
    return sent ? TRUE : FALSE;
}

bool SolidBlack(ULONG v) { return v == 0x0000 || v == 0x00AA; }
bool SolidWhite(ULONG v) { return v == 0xFFFF || v == 0xFFAA || v == 0x5555 || v == 0x55AA; }

}  // namespace

BOOL SelectFillBrush(PDEV* pdev, ULONG mixOrRop, BRUSHOBJ* brush, BOOL invert, POINTL* brushOrigin, RECTL* rect,
                     SURFOBJ* surface) {
    // Operations that only blacken or whiten need no brush at all.
    if (SolidBlack(mixOrRop)) {
        SelectSolid(pdev, mixOrRop, Rgb{0, 0, 0});
        return TRUE;
    }
    if (SolidWhite(mixOrRop)) {
        SelectSolid(pdev, mixOrRop, Rgb{0xFF, 0xFF, 0xFF});
        return TRUE;
    }
    if (brush == nullptr) return FALSE;
    if (brush->iSolidColor != kNoSolidColour) {
        const ULONG c = brush->iSolidColor;
        SelectSolid(pdev, mixOrRop, Rgb{static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16)});
        return TRUE;
    }
    const void* block = BRUSHOBJ_pvGetRbrush(brush);
    if (block == nullptr) return FALSE;
    const RealizedBrushView realized(block);
    const ULONG hatch = realized.Hatch();
    if (hatch < kHatchCount) {
        SelectHatch(pdev, mixOrRop, realized);
        return TRUE;
    }
    if (realized.Format() == BMF_1BPP) {
        SelectPattern(pdev, mixOrRop, realized);
        return TRUE;
    }
    return SendBrushImage(pdev, brush, realized, invert, brushOrigin, rect, surface);
}

BOOL SelectBrush(PDEV* pdev, SURFOBJ* surface, FLONG /*fillOptions*/, BRUSHOBJ* brush, POINTL* brushOrigin,
                 ULONG mixOrRop, RECTL* rect, BOOL invert) {
    if (!SelectFillBrush(pdev, mixOrRop, brush, invert, brushOrigin, rect, surface)) return FALSE;
    if (mixOrRop == kSkipPaintRop) return TRUE;
    // Other callers draw the shape themselves with the fill just chosen.
    if ((pdev->StateFlags & (kStateClipComputeOnly | kStateTextRect)) == 0 || rect == nullptr) return TRUE;
    RECTL r = *rect;
    const bool deferred = (pdev->StateFlags & kStateDeferredClip) != 0 && (pdev->StateFlags & kStateClipPath) == 0;
    if (deferred) {
        const RECTL& piece = pdev->Vector.ClipPiece;
        if (piece.left > r.right || piece.top > r.bottom || piece.right < r.left || piece.bottom < r.top) return TRUE;
        r = RECTL{std::max(r.left, piece.left), std::max(r.top, piece.top), std::min(r.right, piece.right),
                  std::min(r.bottom, piece.bottom)};
    }
    WriteFilledRect(pdev, r, 0);
    return TRUE;
}
