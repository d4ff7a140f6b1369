// The font query hooks: the device fonts' metrics, kerning pairs and glyph sets, and the
// advances and extents of their glyphs under the engine's font transform.
#include <algorithm>
#include <cstring>

#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/draw/DeviceFonts.h"
#include "render/draw/DrawingHooks.h"
#include "render/draw/HookFrame.h"

namespace {

constexpr LONG kFontDataError = -1;  // FD_ERROR
constexpr ULONG kUnknownTransform = 0xFFFFFFFF;
constexpr LONG kEm = 1000;           // design units per em
constexpr LONG kFixOne = 16;         // 28.4 fixed point
constexpr HGLYPH kFirstDoubleByte = 256;
constexpr char kOcrKDigit = '9';
constexpr BYTE kPitchFixed = 0x01;
constexpr BYTE kFamilyRoman = 0x10;
constexpr BYTE kFamilySwiss = 0x20;
constexpr LONG kPointsPerInch = 72;

// The font of a hook's device and FONTOBJ, or NULL with last error 87.
const DeviceFontResource* QueriedFont(PDEV* pdev, FONTOBJ* pfo) {
    const DeviceFontResource* font =
        ValidatePDEV(pdev) && pfo != nullptr ? DeviceFont(pdev, pfo->iFace) : nullptr;
    if (font == nullptr) SetLastError(ERROR_INVALID_PARAMETER);
    return font;
}

// The font's transform, its 2 x 2 matrix kept in the device; NULL when the engine has none.
XFORMOBJ* FontTransform(PDEV* pdev, FONTOBJ* pfo) {
    XFORMOBJ* pxo = FONTOBJ_pxoGetXform(pfo);
    if (pxo == nullptr) return nullptr;
    XFORML matrix{};
    if (XFORMOBJ_iGetXform(pxo, &matrix) == kUnknownTransform) return nullptr;
    pdev->FontMatrix[0] = matrix.eM11;
    pdev->FontMatrix[1] = matrix.eM12;
    pdev->FontMatrix[2] = matrix.eM21;
    pdev->FontMatrix[3] = matrix.eM22;
    return pxo;
}

// A design vector (1/1000 em) mapped to device units (XF_LTOL) or 28.4 (XF_LTOFX).
bool Map(XFORMOBJ* pxo, ULONG mode, LONG x, LONG y, POINTL* out) {
    POINTL in{x, y};
    return XFORMOBJ_bApplyXform(pxo, mode, 1, &in, out) != FALSE;
}

// The printer's length of a mapped design vector, as a signed value; false when unmappable.
bool MappedLength(XFORMOBJ* pxo, ULONG mode, LONG x, LONG y, LONG* length) {
    POINTL mapped{};
    if (!Map(pxo, mode, x, y, &mapped)) return false;
    const ULONG v = VectorLength(mapped.x, mapped.y);
    if (v > 0x7FFFFFFFu) return false;
    *length = static_cast<LONG>(v);
    return true;
}

// The advance of a glyph handle in design units for the advance widths: the double-byte
// fonts by the handle's range (OCR-K wider), the others by their code table.
LONG AdvanceWidth(const DeviceFontResource* font, HGLYPH hg) {
    if (IsDoubleByteFont(font)) {
        const bool ocrK = DeviceFontSelectId(font)[7] == kOcrKDigit;
        if (hg >= kFirstDoubleByte) return ocrK ? 1200 : 1000;
        return ocrK ? 600 : 500;
    }
    return DeviceFontCodeWidth(font, static_cast<BYTE>(hg));
}

// The advance for the glyph data: the double-byte fonts by their metrics (the maximum width
// for a fixed-pitch double-byte font, else the average), halved below the double-byte
// handles; the others by their code table.
LONG GlyphDataWidth(const DeviceFontResource* font, HGLYPH hg) {
    if (!IsDoubleByteFont(font)) return DeviceFontCodeWidth(font, static_cast<BYTE>(hg));
    const IFIMETRICS* ifi = DeviceFontMetrics(font);
    LONG w = (ifi->flInfo & FM_INFO_DBCS_FIXED_PITCH) != 0 ? ifi->fwdMaxCharInc : ifi->fwdAveCharWidth;
    if (hg < kFirstDoubleByte) w /= 2;
    return w;
}

LONG FillGlyphData(XFORMOBJ* pxo, const DeviceFontResource* font, HGLYPH hg, GLYPHDATA* gd) {
    const IFIMETRICS* ifi = DeviceFontMetrics(font);
    const LONG w = GlyphDataWidth(font, hg);
    const LONG top = ifi->rclFontBox.top;
    const LONG bottom = ifi->rclFontBox.bottom;
    LONG inkTop = 0;
    LONG inkBottom = 0;
    LONG advance = 0;
    POINTL d{};
    if (!MappedLength(pxo, XF_LTOFX, 0, bottom, &inkBottom) || !MappedLength(pxo, XF_LTOFX, 0, top, &inkTop) ||
        !Map(pxo, XF_LTOFX, w, 0, &d)) {
        return kFontDataError;
    }
    advance = static_cast<LONG>(std::min<ULONG>(VectorLength(d.x, d.y), 0x7FFFFFFF));
    gd->hg = hg;
    gd->fxInkBottom = bottom < 0 ? -inkBottom : inkBottom;
    gd->fxInkTop = top < 0 ? -inkTop : inkTop;
    gd->fxD = advance;
    gd->fxAB = advance;
    gd->fxA = 0;
    gd->ptqD.x = static_cast<LONGLONG>(static_cast<ULONGLONG>(static_cast<LONGLONG>(d.x)) << 32);
    gd->ptqD.y = static_cast<LONGLONG>(static_cast<ULONGLONG>(static_cast<LONGLONG>(d.y)) << 32);
    return 0;
}

// A length in 28.4 rounded to a whole pixel.
FIX RoundToPixel(LONG v) { return static_cast<FIX>((static_cast<LONGLONG>(v) + 8) & ~LONGLONG{15}); }

// The metrics over the caller's record; false when the transform cannot be applied or is
// degenerate (an em of no length).
bool FillDeviceMetrics(const PDEV* pdev, XFORMOBJ* pxo, const DeviceFontResource* font, FD_DEVICEMETRICS* dm) {
    const IFIMETRICS* ifi = DeviceFontMetrics(font);
    const BYTE pitch = ifi->jWinPitchAndFamily;
    const bool fixedPitch = (pitch & kPitchFixed) != 0;
    const bool dbcsFixed = (ifi->flInfo & FM_INFO_DBCS_FIXED_PITCH) != 0;
    const LONG top = ifi->rclFontBox.top;
    const LONG bottom = ifi->rclFontBox.bottom;
    const LONG dpi = Resolution(pdev);
    if (dpi <= 0) return false;

    POINTL base{};
    POINTL side{};
    if (!Map(pxo, XF_LTOFX, kEm, 0, &base) || !Map(pxo, XF_LTOFX, 0, -kEm, &side)) return false;
    const ULONG baseLength = VectorLength(base.x, base.y);
    const ULONG sideLength = VectorLength(side.x, side.y);
    if (baseLength == 0 || sideLength == 0) return false;
    dm->flRealizedType = 0;
    dm->pteBase = POINTE{static_cast<FLOATL>(base.x) / static_cast<FLOATL>(baseLength),
                         static_cast<FLOATL>(base.y) / static_cast<FLOATL>(baseLength)};
    dm->pteSide = POINTE{static_cast<FLOATL>(side.x) / static_cast<FLOATL>(sideLength),
                         static_cast<FLOATL>(side.y) / static_cast<FLOATL>(sideLength)};

    // Em height in pixels and in points; the leading in points by the pitch and family.
    const LONGLONG em = sideLength / kFixOne;
    const LONGLONG points = (em * kPointsPerInch + dpi / 2) / dpi;
    LONGLONG leading = 0;
    if ((pitch & kFamilyRoman) != 0) {
        leading = 2;
    } else if ((pitch & kFamilySwiss) != 0) {
        leading = points <= 12 ? 2 : points == 13 ? 3 : 4;
    } else {
        leading = points * 196 / 1000;
    }
    const LONGLONG internal = (static_cast<LONGLONG>(top) - bottom - kEm) * em / kEm;
    LONGLONG external = (leading * dpi / kPointsPerInch - std::max<LONGLONG>(internal, 0)) * kFixOne;
    if (external < 0 || fixedPitch) external = 0;
    dm->lNonLinearExtLeading = dbcsFixed ? 0 : static_cast<LONG>(std::min<LONGLONG>(external, 0x7FFFFFFF));
    if (fixedPitch || dbcsFixed) dm->lNonLinearIntLeading = 0;

    POINTL widest{};
    if (!Map(pxo, XF_LTOL, ifi->fwdMaxCharInc, 0, &widest)) return false;
    dm->cxMax = VectorLength(widest.x, widest.y);
    dm->lD = (ifi->flInfo & FM_INFO_CONSTANT_WIDTH) != 0 ? static_cast<LONG>(std::min<ULONG>(dm->cxMax, 0x7FFFFFFF)) : 0;

    const LONG absBottom = bottom < 0 ? -bottom : bottom;
    const LONG descent = fixedPitch && !dbcsFixed ? std::max<LONG>(0, absBottom + bottom - top + kEm) : absBottom;
    LONG ascender = 0;
    LONG descender = 0;
    if (!MappedLength(pxo, XF_LTOFX, 0, top, &ascender) || !MappedLength(pxo, XF_LTOFX, 0, descent, &descender)) {
        return false;
    }
    dm->fxMaxAscender = RoundToPixel(ascender);
    dm->fxMaxDescender = RoundToPixel(descender);

    if (!Map(pxo, XF_LTOL, 0, -ifi->fwdUnderscorePosition, &dm->ptlUnderline1) ||
        !Map(pxo, XF_LTOL, 0, -ifi->fwdStrikeoutPosition, &dm->ptlStrikeOut) ||
        !Map(pxo, XF_LTOL, 0, ifi->fwdUnderscoreSize, &dm->ptlULThickness)) {
        return false;
    }
    dm->ptlSOThickness = dm->ptlULThickness;
    return true;
}

}  // namespace

PVOID DrvQueryFont(DHPDEV dhpdev, ULONG_PTR /*iFile*/, ULONG iFace, ULONG_PTR* pid) noexcept {
    if (pid != nullptr) *pid = 0;
    PDEV* pdev = PdevOf(dhpdev);
    const DeviceFontResource* font = ValidatePDEV(pdev) ? DeviceFont(pdev, iFace) : nullptr;
    if (font == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return const_cast<IFIMETRICS*>(DeviceFontMetrics(font));
}

PVOID DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR /*iFile*/, ULONG iFace, ULONG iMode, ULONG_PTR* pid) noexcept {
    if (pid != nullptr) *pid = 0;
    PDEV* pdev = PdevOf(dhpdev);
    const DeviceFontResource* font = ValidatePDEV(pdev) ? DeviceFont(pdev, iFace) : nullptr;
    if (font == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    switch (iMode) {
    case QFT_KERNPAIRS:
        return const_cast<FD_KERNINGPAIR*>(DeviceFontKerningPairs(font));
    case QFT_GLYPHSET:
        if (DeviceFontMetrics(font)->jWinCharSet == kShiftJisCharset) return ShiftJisGlyphSet(pdev);
        return DefaultGlyphSet();
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

LONG DrvQueryFontData(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, PVOID pgd, PVOID pv,
                      ULONG cjSize) noexcept {
    PDEV* pdev = PdevOf(dhpdev);
    const DeviceFontResource* font = QueriedFont(pdev, pfo);
    if (font == nullptr) return kFontDataError;
    XFORMOBJ* pxo = FontTransform(pdev, pfo);
    if (pxo == nullptr) return kFontDataError;
    switch (iMode) {
    case QFD_GLYPHANDBITMAP: {
        if (pgd == nullptr) return 0;
        GLYPHDATA data;
        std::memcpy(&data, pgd, sizeof data);
        const LONG result = FillGlyphData(pxo, font, hg, &data);
        if (result == 0) std::memcpy(pgd, &data, sizeof data);
        return result;
    }
    case QFD_MAXEXTENTS: {
        if (pv == nullptr) return sizeof(FD_DEVICEMETRICS);
        // Nothing is written into a record smaller than the metrics.
        if (cjSize < sizeof(FD_DEVICEMETRICS)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return kFontDataError;
        }
        FD_DEVICEMETRICS metrics;
        std::memcpy(&metrics, pv, sizeof metrics);
        if (!FillDeviceMetrics(pdev, pxo, font, &metrics)) return kFontDataError;
        std::memcpy(pv, &metrics, sizeof metrics);
        return sizeof(FD_DEVICEMETRICS);
    }
    default:
        return kFontDataError;
    }
}

BOOL DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg, PVOID pvWidths,
                           ULONG cGlyphs) noexcept {
    PDEV* pdev = PdevOf(dhpdev);
    if (!ValidatePDEV(pdev)) return Refuse(ERROR_INVALID_PARAMETER);
    if (iMode != QAW_GETWIDTHS && iMode != QAW_GETEASYWIDTHS) return Refuse(ERROR_INVALID_PARAMETER);
    if (cGlyphs == 0) return TRUE;
    const DeviceFontResource* font = QueriedFont(pdev, pfo);
    if (font == nullptr) return FALSE;
    if (phg == nullptr || pvWidths == nullptr) return Refuse(ERROR_INVALID_PARAMETER);
    XFORMOBJ* pxo = FontTransform(pdev, pfo);
    if (pxo == nullptr) return FALSE;
    auto* widths = static_cast<BYTE*>(pvWidths);
    // Glyphs of one width share one mapping.
    LONG lastWidth = -1;
    USHORT lastAdvance = 0;
    for (ULONG i = 0; i < cGlyphs; ++i) {
        const LONG w = AdvanceWidth(font, phg[i]);
        if (w != lastWidth) {
            POINTL mapped{};
            if (!Map(pxo, XF_LTOFX, w, 0, &mapped)) return FALSE;
            lastAdvance = static_cast<USHORT>(std::min<ULONG>(VectorLength(mapped.x, mapped.y), 0xFFFF));
            lastWidth = w;
        }
        std::memcpy(widths + i * sizeof(USHORT), &lastAdvance, sizeof lastAdvance);
    }
    return TRUE;
}
