// Text in single-byte device fonts, and text without a device font: device codes gathered
// into runs, and glyphs the printer has no code for drawn as bitmaps.
#include "render/OutputStream.h"
#include "render/draw/DeviceFontText.h"
#include "render/draw/DeviceFonts.h"
#include "render/draw/DrawingState.h"
#include "render/draw/GlyphDownload.h"
#include "render/draw/TextInternal.h"

namespace {

constexpr FLONG kRegularPlacement = SO_FLAG_DEFAULT_PLACEMENT | SO_HORIZONTAL | SO_VERTICAL;
constexpr WCHAR kSpace = u' ';
constexpr WCHAR kIdeographicSpace = 0x3000;
constexpr WCHAR kYen = 0xA5;
constexpr BYTE kMissingCode = 0xA5;

/// The placement offset of a single-byte character along the escapement.
POINTL PlacementOffset(PDEV* pdev, WORD code) {
    const long long c = CharPlacementCorrection(pdev, code);
    const LONG a = pdev->Text.Escapement;
    return POINTL{static_cast<LONG>(c * CosineOf(a) / 10000), static_cast<LONG>(-(c * SineOf(a)) / 10000)};
}

/// The glyph's bitmap from its position record or, without one, from the font.
const GLYPHBITS* GlyphBitsOf(FONTOBJ* font, const GLYPHPOS& glyph) {
    if (glyph.pgdf != nullptr && glyph.pgdf->pgb != nullptr) return glyph.pgdf->pgb;
    HGLYPH handle = glyph.hg;
    void* found = nullptr;
    if (FONTOBJ_cGetGlyphs(font, FO_GLYPHBITS, 1, &handle, &found) != 1 || found == nullptr) return nullptr;
    return static_cast<const GLYPHDATA*>(found)->gdf.pgb;
}

bool Inkless(FONTOBJ* font, const GLYPHPOS& glyph) {
    const GLYPHBITS* bits = GlyphBitsOf(font, glyph);
    return bits == nullptr || bits->sizlBitmap.cx < 2 || bits->sizlBitmap.cy < 2;
}

/// The next point of a regularly placed string: the fixed increment along its direction, or
/// the glyph's own position.
POINTL NextRegularPoint(POINTL previous, const GLYPHPOS* glyphs, ULONG i, FLONG accel, ULONG increment) {
    if (increment == 0) return glyphs[i].ptl;
    const LONG step = (accel & SO_REVERSED) ? -static_cast<LONG>(increment) : static_cast<LONG>(increment);
    if (accel & SO_VERTICAL) return POINTL{glyphs[i].ptl.x, previous.y + step};
    return POINTL{previous.x + step, glyphs[i].ptl.y};
}

/// The device code of a character of a substituted string in the installed single-byte
/// table's rows up to code 126, else false.
bool SingleByteCodeFor(const PDEV* pdev, WCHAR wc, BYTE* code) {
    if (wc == kYen) {
        *code = 0x5C;
        return true;
    }
    const DeviceCharRow* table = pdev->Text.CodeTable != nullptr ? pdev->Text.CodeTable : kDeviceCharTable;
    for (const DeviceCharRow* row = table; row->GlyphName != nullptr; ++row) {
        if ((row->Group << 8 | row->Code) > 126) break;
        if (row->Unicode == wc) {
            if (row->Code == '|' || row->Code == '~') return false;
            *code = row->Code;
            return true;
        }
    }
    return false;
}

BOOL DrawWithoutDeviceFont(PDEV* pdev, ULONG count, GLYPHPOS* glyphs, FONTOBJ* font, STROBJ* string,
                           const TextRunInfo* info, LPCWSTR text, XFORMOBJ* transform) {
    const bool regular = (info->Accel & kRegularPlacement) != 0;
    POINTL at = glyphs[0].ptl;
    for (ULONG i = 0; i < count; ++i) {
        if (i > 0 && regular) at = NextRegularPoint(at, glyphs, i, info->Accel, string->ulCharInc);
        const WCHAR wc = text != nullptr ? text[i] : 0;
        if (wc == kSpace) {
            pdev->Text.LastSpaceInkless = Inkless(font, glyphs[i]) ? 1 : 0;
            if (pdev->Text.LastSpaceInkless) continue;
        } else if (wc == kIdeographicSpace && pdev->Text.LastSpaceInkless && Inkless(font, glyphs[i])) {
            continue;
        }
        if (!DrawGlyphInstead(pdev, font, transform, &glyphs[i], regular ? &at : nullptr)) return FALSE;
    }
    return TRUE;
}

BOOL WriteSingleByteCodes(PDEV* pdev, ULONG count, GLYPHPOS* glyphs, FONTOBJ* font, STROBJ* string,
                          TextRunInfo* info, LPCWSTR text, XFORMOBJ* transform) {
    ChainArray<DeviceCharRecord> records(pdev, count);
    if (records.get() == nullptr) return FALSE;
    const bool substituted = info->Substituted != 0;
    const bool regular = (info->Accel & kRegularPlacement) != 0;
    const auto codeOf = [&](ULONG i) -> WORD {
        if (substituted) return text != nullptr ? text[i] : static_cast<WORD>(glyphs[i].hg);
        return static_cast<BYTE>(glyphs[i].hg);
    };
    TextOrigin(pdev, glyphs[0].ptl, PlacementOffset(pdev, codeOf(0)), info);
    const LONG escapement = pdev->Text.Escapement;
    if (!regular && escapement != 0) SetTextDirection(pdev, static_cast<WORD>(escapement));

    ULONG pending = 0;
    POINTL at = glyphs[0].ptl;
    for (ULONG i = 0; i < count; ++i) {
        if (OutputFailed(pdev)) return FALSE;
        if (i > 0) at = regular ? NextRegularPoint(at, glyphs, i, info->Accel, string->ulCharInc) : glyphs[i].ptl;
        const WORD code = codeOf(i);
        TextOrigin(pdev, at, PlacementOffset(pdev, code), info);
        DeviceCharRecord record{};
        record.X = pdev->Text.Position.x;
        record.Y = pdev->Text.Position.y;
        record.Style = kNoStyle;
        record.Direction = kNoDirection;
        if (!substituted) {
            const DeviceCharRow* row = DeviceCharByCode(static_cast<BYTE>(code));
            record.Code = (row != nullptr && row->Code <= 126) ? code : kMissingCode;
            records[pending++] = record;
            continue;
        }
        BYTE device = 0;
        if (SingleByteCodeFor(pdev, static_cast<WCHAR>(code), &device)) {
            record.Code = device;
            records[pending++] = record;
            continue;
        }
        if (!WritePendingRun(pdev, records.get(), &pending)) return FALSE;
        GLYPHPOS placed = glyphs[i];
        placed.ptl = at;
        if (SingleByteDeviceCode(pdev, static_cast<WCHAR>(code), &placed, font, transform, &record) ==
            CharOutcome::Failed) {
            return FALSE;
        }
    }
    return WritePendingRun(pdev, records.get(), &pending);
}

}  // namespace

BOOL DrawGlyphInstead(PDEV* pdev, FONTOBJ* font, XFORMOBJ* transform, GLYPHPOS* glyph, POINTL* position) {
    if (pdev->Geometry.ScalePercent > 100 || PageTurned(pdev)) return WriteGlyphBitmaps(pdev, glyph, position, font);
    const int dpi = Resolution(pdev);
    const bool keepsGlyphs = pdev->Model != nullptr && (pdev->Model->Flags & kModelGlyphDownload) != 0;
    if (keepsGlyphs && (dpi == 200 || dpi == 400) &&
        DownloadGlyph(pdev, font, transform, glyph->hg, glyph, position)) {
        return TRUE;
    }
    return WriteScaledGlyphBitmaps(pdev, glyph, position, font);
}

CharOutcome SingleByteDeviceCode(PDEV* pdev, WCHAR wc, GLYPHPOS* glyph, FONTOBJ* font, XFORMOBJ* transform,
                                 DeviceCharRecord* record) {
    BYTE code = 0;
    if (SingleByteCodeFor(pdev, wc, &code)) {
        record->Code = code;
        record->Style = kNoStyle;
        record->Direction = kNoDirection;
        return CharOutcome::Code;
    }
    // The glyph sits on its own baseline point; the characters after it are device text again.
    pdev->StateFlags &= ~kStateDeviceFontText;
    const BOOL drawn = DrawGlyphInstead(pdev, font, transform, glyph, nullptr);
    pdev->StateFlags |= kStateDeviceFontText;
    return drawn ? CharOutcome::Glyph : CharOutcome::Failed;
}

BOOL WriteGlyphRun(PDEV* pdev, ULONG count, GLYPHPOS* glyphs, FONTOBJ* font, STROBJ* string, TextRunInfo* info,
                   LPWSTR text, XFORMOBJ* transform) {
    if (info->Substituted) info->Accel &= ~static_cast<FLONG>(SO_FLAG_DEFAULT_PLACEMENT);
    if (count == 0) return TRUE;
    if (glyphs == nullptr || string == nullptr) return FALSE;
    pdev->TextValues[kTextMode] = 1;
    if (!info->DeviceFont) return DrawWithoutDeviceFont(pdev, count, glyphs, font, string, info, text, transform);
    return WriteSingleByteCodes(pdev, count, glyphs, font, string, info, text, transform);
}
