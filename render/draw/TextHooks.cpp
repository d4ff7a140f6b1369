// The text hook and the glyph mode. In graphics-only mode the engine draws the text into the
// banding surface; otherwise the text goes as device-font codes, as a TrueType font replaced
// by a device font, or as glyph bitmaps.
#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/HookLog.h"
#include "render/DocumentHooks.h"
#include "render/OutputStream.h"
#include "render/PjlHeader.h"
#include "render/draw/Brushes.h"
#include "render/draw/Clip.h"
#include "render/draw/DeviceFontText.h"
#include "render/draw/DrawingHooks.h"
#include "render/draw/DrawingState.h"
#include "render/draw/HookFrame.h"
#include "render/draw/TextInternal.h"

namespace {

constexpr ULONG kGlyphHandles = 1;                     // every font is asked for glyph handles
constexpr DWORD kFeatureSubstituteTrueType = 1u << 13;
constexpr DWORD kFeatureOcrGrayAll = 1u << 14;
constexpr DWORD kFeatureCharModeZero = 1u << 24;
constexpr DWORD kAdvRedTextBlack = 0x1;
constexpr ULONG kNoSolidColor = 0xFFFFFFFFu;
constexpr BYTE kRedGray = 34;
constexpr BYTE kGrayWhite = 79;
constexpr BYTE kTextRopForeground = 0xC0;
constexpr BYTE kTextRopBackground = 0xAA;

void Put(PDEV* pdev, std::initializer_list<BYTE> bytes) {
    (void)WriteOutput(pdev, bytes.begin(), static_cast<DWORD>(bytes.size()));
}

bool PureRed(const BRUSHOBJ* brush) {
    if (brush == nullptr || brush->iSolidColor == kNoSolidColor) return false;
    const ULONG c = brush->iSolidColor;
    return (c & 0xFF) == 255 && ((c >> 8) & 0xFF) == 0 && ((c >> 16) & 0xFF) == 0;
}

void SetCharacterMode(PDEV* pdev) {
    const BYTE wanted = (pdev->Settings.FeatureFlags & kFeatureCharModeZero) ? 0 : 2;
    if (pdev->Draw.CharMode == wanted) return;
    pdev->Draw.CharMode = wanted;
    Put(pdev, {0xC2, 0x00, 0x00, wanted});
}

void SetTextRop(PDEV* pdev) {
    DrawingStateCache& c = pdev->Draw;
    if (c.RopForeground == kTextRopForeground && c.RopBackground == kTextRopBackground) return;
    c.RopForeground = kTextRopForeground;
    c.RopBackground = kTextRopBackground;
    Put(pdev, {0xA6, 0x00, kTextRopForeground, kTextRopBackground});
}

void SetTextGray(PDEV* pdev, const BRUSHOBJ* fore, const TextRunInfo& info) {
    BYTE g = kGrayBlack;
    if (fore != nullptr && fore->iSolidColor < kNoSolidColor) {
        const ULONG c = fore->iSolidColor;
        g = static_cast<BYTE>(g + TextColorToGray(static_cast<BYTE>(c), static_cast<BYTE>(c >> 8),
                                                  static_cast<BYTE>(c >> 16)));
    }
    if (pdev->Text.RedText && g == kRedGray) g = kGrayBlack;
    const bool allFonts = (pdev->Settings.FeatureFlags & kFeatureOcrGrayAll) != 0;
    const bool ocrFont = info.DeviceFont && OcrFont(pdev);
    if ((allFonts || ocrFont) && g != kGrayWhite) g = kGrayBlack;
    if (g == pdev->Draw.TextGray) return;
    Put(pdev, {0xBD, 0x00, g, 0x00});
    pdev->Draw.TextGray = g;
}

BOOL WriteBatch(PDEV* pdev, ULONG count, GLYPHPOS* glyphs, FONTOBJ* font, STROBJ* string, TextRunInfo* info,
                LPWSTR text, XFORMOBJ* transform) {
    if (pdev->GlyphRunMode == 1 || !info->DeviceFont) {
        return WriteGlyphRun(pdev, count, glyphs, font, string, info, text, transform);
    }
    return WriteDeviceFontText(pdev, count, glyphs, font, string, info, text, transform);
}

BOOL WriteCharacters(PDEV* pdev, STROBJ* string, FONTOBJ* font, TextRunInfo* info, XFORMOBJ* transform) {
    if (string->pgp != nullptr) {
        return WriteBatch(pdev, string->cGlyphs, string->pgp, font, string, info, string->pwszOrg, transform);
    }
    STROBJ_vEnumStart(string);
    const ULONG total = string->cGlyphs;
    ULONG done = 0;
    bool more = true;
    while (more && done < total) {
        ULONG count = 0;
        GLYPHPOS* glyphs = nullptr;
        more = STROBJ_bEnum(string, &count, &glyphs) != FALSE;
        if (glyphs == nullptr || count == 0) break;
        if (count > total - done) count = total - done;
        LPWSTR text = string->pwszOrg != nullptr ? string->pwszOrg + done : nullptr;
        if (!WriteBatch(pdev, count, glyphs, font, string, info, text, transform)) return FALSE;
        done += count;
    }
    return TRUE;
}

BOOL FillTextRect(PDEV* pdev, SURFOBJ* pso, BRUSHOBJ* brush, POINTL* origin, MIX mix, RECTL* rect) {
    pdev->StateFlags |= kStateTextRect;
    const BOOL done = SelectBrush(pdev, pso, 0, brush, origin, mix, rect, FALSE);
    pdev->StateFlags &= ~kStateTextRect;
    return done;
}

bool ZeroRect(const RECTL& r) { return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0; }

}  // namespace

BOOL DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) noexcept {
    if (pso == nullptr || pstro == nullptr || pfo == nullptr) return Refuse(ERROR_INVALID_PARAMETER);
    HookLog(PdevOf(pso), kLogDrawingHooks, u"DDI:DrvTextOut IN");
    PDEV* pdev = EnterDrawing(pso, nullptr);
    if (pdev == nullptr) return FALSE;
    if (GraphicsOnly(pdev)) {
        FlushPendingSetup(pdev);
        return EngTextOut(BandSurface(pdev, pso), pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque,
                          pptlOrg, mix);
    }
    FlushPendingSetup(pdev);
    const bool deviceFont = (pfo->flFontType & FO_TYPE_DEVICE) != 0;
    if (deviceFont && pfo->iFace > pdev->DeviceFontCount) return Refuse(ERROR_INVALID_PARAMETER);

    TextState& t = pdev->Text;
    t.Position = POINTL{-1, -1};
    t.TrueTypeShiftJis = 0;
    t.LastSpaceInkless = 0;
    TextRunInfo info{};
    info.Accel = pstro->flAccel;
    info.FontNumber = pfo->iFace;
    const bool glyphIndex = (pstro->flAccel & SO_GLYPHINDEX_TEXTOUT) != 0;
    if ((pfo->flFontType & FO_TYPE_TRUETYPE) && (pdev->Settings.FeatureFlags & kFeatureSubstituteTrueType) &&
        !glyphIndex) {
        const DWORD number = FindDeviceFont(pdev, pfo);
        if (number != 0) {
            info.FontNumber = number;
            info.Substituted = 1;
            info.DeviceFont = 1;
        }
    }
    if (!info.Substituted) info.DeviceFont = deviceFont ? 1 : 0;
    t.GlyphIndexText = glyphIndex ? 1 : 0;
    // A glyph index and a character of the same value are different glyphs to the cache.
    pdev->GlyphCache.Key.GlyphIndexText = t.GlyphIndexText;

    LeavePageControlMode(pdev);
    if (pdev->VectorResolution != static_cast<WORD>(Resolution(pdev))) EnterVectorScale(pdev);
    if (!pdev->DownloadResetDone) {
        ResetDownloadTable(pdev);
        pdev->DownloadResetDone = 1;
    }
    t.RedText = (pdev->Model != nullptr && (pdev->Model->AdvFuncSwitch & kAdvRedTextBlack) && info.DeviceFont &&
                 PureRed(pboFore))
                    ? 1
                    : 0;
    SetCharacterMode(pdev);

    pdev->StateFlags |= kStateClipPath;
    XFORMOBJ* transform = FONTOBJ_pxoGetXform(pfo);
    if (transform == nullptr) return FALSE;
    if (info.Substituted || info.DeviceFont) info.SpacingKnown = ConvertStringCodes(pdev, pfo, pstro, &info);
    if (NupActive(pdev)) pdev->StateFlags &= ~kStateDeferredClip;
    DWORD enumStart = 1;
    (void)SetClipRegion(pdev, pco, nullptr, &enumStart);
    if (prclOpaque != nullptr && !FillTextRect(pdev, pso, pboOpaque, pptlOrg, mix, prclOpaque)) return FALSE;

    pdev->StateFlags |= kStateTextResize;
    if (!RealizeDeviceFont(pdev, pfo, transform, &info)) return FALSE;
    SetTextRop(pdev);
    SetTextGray(pdev, pboFore, info);
    if (!WriteCharacters(pdev, pstro, pfo, &info, transform)) return FALSE;

    if (prclExtra == nullptr) return TRUE;
    for (RECTL* rect = prclExtra; !ZeroRect(*rect); ++rect) {
        if (!FillTextRect(pdev, pso, pboFore, pptlOrg, mix, rect)) return FALSE;
    }
    return OutputFailed(pdev) ? FALSE : TRUE;
}

ULONG DrvGetGlyphMode(DHPDEV /*dhpdev*/, FONTOBJ* /*pfo*/) noexcept { return kGlyphHandles; }
