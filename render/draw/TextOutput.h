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

/// Device font number for a TrueType font by the substitution list, or 0.
DWORD FindDeviceFont(PDEV* pdev, FONTOBJ* font);
/// Printer position of a character at page point p with offset d, into the text position.
void TextOrigin(PDEV* pdev, POINTL point, POINTL offset, const TextRunInfo* info);
/// Position of a glyph bitmap; sent with WritePosition and kept as the text position.
void GlyphOrigin(PDEV* pdev, POINTL point, POINTL offset);
