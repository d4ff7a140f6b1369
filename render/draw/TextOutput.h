#pragma once
// Text on the device surface: device-font codes, TrueType substituted by a device font, or
// glyph bitmaps; the substitution lookup, the spacing analysis and a character's position.
#include "platform/Ddi.h"
#include "render/Pdev.h"

/// What DrvTextOut found out about one call, for the string writers.
struct TextRunInfo {
    FLONG Accel;              // STROBJ flAccel
    DWORD FontNumber;         // the device font's iFace or the one substitution found
    DWORD Substituted;        // a TrueType font replaced by a device font
    DWORD DeviceFont;         // the text goes as device-font codes
    DWORD SpacingKnown;       // ConvertStringCodes' result
    LONG BreakExtraX;
    LONG BreakExtraY;
    LONG CharExtraX;
    LONG CharExtraY;
};

/// One row of the single-byte device fonts' code table.
struct DeviceCharRow {
    const char* GlyphName;    // NULL ends the table
    BYTE Code;
    BYTE Group;               // 0 for the first 99 rows, 128 for the rest
    WCHAR Unicode;
};
/// The 231 rows sorted by Unicode value, then the end row.
extern const DeviceCharRow kDeviceCharTable[];

/// One glyph of the spacing analysis: its code, the step to the next glyph (device units) and
/// its own advance (28.4).
struct SpacingRecord {
    WORD Code;
    LONG Dx;
    LONG Dy;
    LONG AdvanceX;
    LONG AdvanceY;
};

/// Rows of kDeviceCharTable (without the end row).
inline constexpr DWORD kDeviceCharRows = 231;
/// The first row whose device code is `code`, else NULL.
const DeviceCharRow* DeviceCharByCode(BYTE code);

/// Device font number for a TrueType font by the substitution list, or 0.
DWORD FindDeviceFont(PDEV* pdev, FONTOBJ* font);
/// Spacing analysis of a horizontal string: 1 when its extras are uniform and filled into the
/// info, else 0.
DWORD ConvertStringCodes(PDEV* pdev, FONTOBJ* font, STROBJ* string, TextRunInfo* info);
/// The string's characters as UTF-16 for a device font (count + 1 zeroed units on the
/// device's chain, ended by a zero); NULL on failure. Free with PdevFree.
LPWSTR EnumStringGlyphs(PDEV* pdev, FONTOBJ* font, STROBJ* string);
/// The same for one batch of glyphs, into out (count units).
void CodesFromHandles(const GLYPHPOS* glyphs, ULONG count, LPWSTR out);
/// Records of all glyphs of a batch but the last; codes are the batch's characters. 0 when an
/// advance cannot be had.
DWORD GlyphAdvances(PDEV* pdev, FONTOBJ* font, const GLYPHPOS* glyphs, STROBJ* string, SpacingRecord* records,
                    ULONG count, LPCWSTR codes);
/// The advance of a device-font glyph: out->hg, out->fxD (its length) and out->ptqD (28.4 in
/// the high halves). 0 for a bad font number or no transform.
DWORD DeviceGlyphAdvance(PDEV* pdev, FONTOBJ* font, GLYPHDATA* out, HGLYPH glyph);
/// Printer position of a character at page point p with offset d, into the text position.
void TextOrigin(PDEV* pdev, POINTL point, POINTL offset, const TextRunInfo* info);
/// Position of a glyph bitmap; sent with WritePosition and kept as the text position.
void GlyphOrigin(PDEV* pdev, POINTL point, POINTL offset);
