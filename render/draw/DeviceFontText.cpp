// Text in the Shift-JIS device fonts: the codes of a real device-font string, and a TrueType
// string printed in such a font, whose characters the font lacks are drawn as glyphs.
#include "render/OutputStream.h"
#include "render/draw/DeviceFontText.h"
#include "render/draw/DrawingState.h"
#include "render/draw/TextInternal.h"

namespace {

constexpr FLONG kRegularPlacement = SO_FLAG_DEFAULT_PLACEMENT | SO_HORIZONTAL | SO_VERTICAL;

DeviceCharRecord RecordAtTextPosition(const PDEV* pdev) {
    DeviceCharRecord record{};
    record.X = pdev->Text.Position.x;
    record.Y = pdev->Text.Position.y;
    record.Style = kNoStyle;
    record.Direction = kNoDirection;
    return record;
}

}  // namespace

CharOutcome WriteDownloadedFontString(PDEV* pdev, WCHAR wc, GLYPHPOS* glyph, STROBJ* /*string*/, FONTOBJ* font,
                                      XFORMOBJ* transform, DeviceCharRecord* record) {
    SetTextDirection(pdev, static_cast<WORD>(pdev->Text.Escapement));
    // What the font cannot print is drawn before any style change is noted for it.
    if (!IsDeviceFontChar(pdev, wc)) {
        pdev->StateFlags &= ~kStateDeviceFontText;
        const BOOL drawn = DrawGlyphInstead(pdev, font, transform, glyph, nullptr);
        pdev->StateFlags |= kStateDeviceFontText;
        return drawn ? CharOutcome::Glyph : CharOutcome::Failed;
    }
    const WORD code = AnsiCodeOf(wc);
    if (code < 0x100) {
        SingleByteRecordCode(pdev, code, record);
    } else {
        DoubleByteRecordCode(pdev, code, false, record);
    }
    return CharOutcome::Code;
}

BOOL WriteDeviceFontText(PDEV* pdev, ULONG count, GLYPHPOS* glyphs, FONTOBJ* font, STROBJ* string,
                         TextRunInfo* info, LPWSTR text, XFORMOBJ* transform) {
    if (info->Substituted) info->Accel &= ~static_cast<FLONG>(SO_FLAG_DEFAULT_PLACEMENT);
    if (count == 0) return TRUE;
    if (glyphs == nullptr || string == nullptr) return FALSE;
    pdev->TextValues[kTextMode] = 2;
    TextOrigin(pdev, glyphs[0].ptl, POINTL{0, 0}, info);
    ChainArray<DeviceCharRecord> records(pdev, count);
    if (records.get() == nullptr) return FALSE;

    const bool substituted = info->Substituted != 0;
    const bool regular = (info->Accel & kRegularPlacement) != 0;
    const ULONG increment = string->ulCharInc;
    const WORD escapement = static_cast<WORD>(pdev->Text.Escapement);
    if (!regular || increment != 0 || count == 1) SetTextDirection(pdev, escapement);

    ULONG pending = 0;
    POINTL at = glyphs[0].ptl;
    LONG lastStep = 0;
    for (ULONG i = 0; i < count; ++i) {
        if (OutputFailed(pdev)) return FALSE;
        if (i > 0 && regular) {
            // Along the first glyph's line: the fixed increment, or the step between positions.
            if (increment != 0) {
                const LONG step = (info->Accel & SO_REVERSED) ? -static_cast<LONG>(increment)
                                                              : static_cast<LONG>(increment);
                at.x += step;
            } else {
                const LONG step = glyphs[i].ptl.x - glyphs[i - 1].ptl.x;
                if (i > 1 && step != lastStep) SetTextDirection(pdev, escapement);
                lastStep = step;
                at.x = glyphs[i].ptl.x;
            }
            at.y = glyphs[0].ptl.y;
        } else if (i > 0) {
            at = glyphs[i].ptl;
        }
        pdev->StateFlags |= kStateDeviceFontText;
        TextOrigin(pdev, at, POINTL{0, 0}, info);
        DeviceCharRecord record = RecordAtTextPosition(pdev);
        if (!substituted) {
            ToDeviceCode(pdev, glyphs[i].hg, &record);
            records[pending++] = record;
            continue;
        }
        const WCHAR wc = text != nullptr ? text[i] : static_cast<WCHAR>(glyphs[i].hg);
        if (!IsDeviceFontChar(pdev, wc) && !WritePendingRun(pdev, records.get(), &pending)) return FALSE;
        GLYPHPOS placed = glyphs[i];
        if (regular) placed.ptl = at;
        switch (WriteDownloadedFontString(pdev, wc, &placed, string, font, transform, &record)) {
        case CharOutcome::Code:
            records[pending++] = record;
            break;
        case CharOutcome::Glyph:
            break;
        case CharOutcome::Failed:
            return FALSE;
        }
    }
    return WritePendingRun(pdev, records.get(), &pending);
}
