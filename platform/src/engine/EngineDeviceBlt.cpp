// Transfers onto a device surface: the engine has no bits to draw on, so it draws the
// destination rectangle into a bitmap of its own, halftones that to 1 bit per pixel and hands
// it to the driver's DrvCopyBits hook of the surface's device.
#include <algorithm>
#include <vector>

#include "platform/Ddi.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/src/engine/EngineState.h"

namespace standin::engine::detail {
namespace {

// Owns an engine bitmap and its lock.
class OwnedBitmap {
public:
    OwnedBitmap(LONG cx, LONG cy, ULONG format)
        : handle_(EngCreateBitmap(SIZEL{cx, cy}, 0, format, BMF_TOPDOWN, nullptr)),
          so_(handle_ == nullptr ? nullptr : EngLockSurface(handle_)) {}
    ~OwnedBitmap() {
        if (so_ != nullptr) EngUnlockSurface(so_);
        if (handle_ != nullptr) EngDeleteSurface(handle_);
    }
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    SURFOBJ* get() const { return so_; }

private:
    HSURF handle_;
    SURFOBJ* so_;
};

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

RECTL Ordered(const RECTL& r) {
    return RECTL{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                 std::max(r.top, r.bottom)};
}

// The drawn rectangle as 1 bit per pixel. `halftone`: an ordered dither whose tile is fixed to
// the device's coordinates (so that neighbouring transfers join up) from `phase`; else a
// threshold at half luminance. Black and white stay black and white either way.
bool Halftone(const SURFOBJ* drawn, bool halftone, POINTL phase, SURFOBJ* out) {
    Bitmap from, to;
    if (!DrawableView(drawn, &from) || !DrawableView(out, &to)) return false;
    for (LONG y = 0; y < from.cy; ++y)
        for (LONG x = 0; x < from.cx; ++x) {
            const ULONG gray = RawFromRgb(BMF_8BPP, RgbFromRaw(from.format, ReadPixel(from, x, y)));
            const bool white = halftone ? DitherWhite(gray, x, y, phase) : gray >= 128;
            WritePixel(to, x, y, white ? 1u : 0u);
        }
    return true;
}

// Halftones what was drawn and hands it to the driver for `target` (device coordinates).
BOOL SendToDriver(SURFOBJ* psoDest, PFN_DrvCopyBits copyBits, const SURFOBJ* drawn, bool halftone, POINTL phase,
                  CLIPOBJ* pco, RECTL target) {
    OwnedBitmap mono(target.right - target.left, target.bottom - target.top, BMF_1BPP);
    if (mono.get() == nullptr || !Halftone(drawn, halftone, phase, mono.get())) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    Xlate blackWhite = MakeXlate({0x000000, 0xFFFFFF});
    POINTL origin{0, 0};
    return copyBits(psoDest, mono.get(), pco, blackWhite.get(), &target, &origin);
}

}  // namespace

bool IsDeviceSurface(const SURFOBJ* pso) { return IsEngineSurface(pso) && pso->iType == STYPE_DEVICE; }

BOOL StretchToDevice(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                     POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, ULONG iMode) {
    auto copyBits = HookAs<PFN_DrvCopyBits>(SurfaceHook(psoDest, INDEX_DrvCopyBits));
    if (copyBits == nullptr) return Fail(ERROR_NOT_SUPPORTED);
    if (psoMask != nullptr || prclDest == nullptr || prclSrc == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    const RECTL target = Ordered(*prclDest);
    const LONG cx = target.right - target.left, cy = target.bottom - target.top;
    if (cx == 0 || cy == 0) return TRUE;
    // The source scaled to the rectangle, mirrored as the rectangles ask, in gray levels.
    OwnedBitmap gray(cx, cy, BMF_8BPP);
    if (gray.get() == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    RECTL all{0, 0, cx, cy};
    if (!EngEraseSurface(gray.get(), &all, 0xFFFFFF)) return FALSE;
    RECTL local{prclDest->left - target.left, prclDest->top - target.top, prclDest->right - target.left,
                prclDest->bottom - target.top};
    if (!EngStretchBlt(gray.get(), psoSrc, nullptr, nullptr, pxlo, nullptr, nullptr, &local, prclSrc, nullptr, iMode))
        return FALSE;
    const POINTL htOrigin = pptlHTOrg != nullptr ? *pptlHTOrg : POINTL{0, 0};
    const POINTL phase{target.left - htOrigin.x, target.top - htOrigin.y};
    return SendToDriver(psoDest, copyBits, gray.get(), iMode == HALFTONE, phase, pco, target);
}

BOOL BltToDevice(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclTrg,
                 POINTL* pptlSrc, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) {
    auto copyBits = HookAs<PFN_DrvCopyBits>(SurfaceHook(psoTrg, INDEX_DrvCopyBits));
    if (copyBits == nullptr) return Fail(ERROR_NOT_SUPPORTED);
    // The device's pixels cannot be read back: no mask, no operation that reads the
    // destination.
    const BYTE rop3 = static_cast<BYTE>(rop4 & 0xFF);
    const bool readsDestination = (((rop3 >> 1) ^ rop3) & 0x55) != 0;
    if (psoMask != nullptr || rop3 != static_cast<BYTE>((rop4 >> 8) & 0xFF) || readsDestination)
        return Fail(ERROR_NOT_SUPPORTED);
    if (prclTrg == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    const RECTL target = Ordered(*prclTrg);
    const LONG cx = target.right - target.left, cy = target.bottom - target.top;
    if (cx == 0 || cy == 0) return TRUE;
    // Drawn in colour at the rectangle's place: the brush origin and the source point move
    // with it.
    OwnedBitmap colour(cx, cy, BMF_24BPP);
    if (colour.get() == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    RECTL all{0, 0, cx, cy};
    if (!EngEraseSurface(colour.get(), &all, 0xFFFFFF)) return FALSE;  // where the source does not reach
    POINTL brushOrigin = pptlBrush != nullptr ? *pptlBrush : POINTL{0, 0};
    brushOrigin.x -= target.left;
    brushOrigin.y -= target.top;
    if (!EngBitBlt(colour.get(), psoSrc, nullptr, nullptr, pxlo, &all, pptlSrc, nullptr, pbo, &brushOrigin, rop4))
        return FALSE;
    return SendToDriver(psoTrg, copyBits, colour.get(), true, POINTL{target.left, target.top}, pco, target);
}

}  // namespace standin::engine::detail
