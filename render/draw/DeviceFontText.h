#pragma once
// Device-font text: the font, size, style and direction commands of a realization, and the
// character codes as single characters or runs.
#include "platform/Ddi.h"
#include "render/Pdev.h"
#include "render/draw/TextOutput.h"

/// Selects and sizes the printer font for the call (or notes that no device font is used).
[[nodiscard]] BOOL RealizeDeviceFont(PDEV* pdev, FONTOBJ* font, XFORMOBJ* transform, TextRunInfo* info);
/// Single-byte device fonts and text without a device font.
[[nodiscard]] BOOL WriteGlyphRun(PDEV* pdev, ULONG count, GLYPHPOS* glyphs, FONTOBJ* font, STROBJ* string,
                                 TextRunInfo* info, LPWSTR text, XFORMOBJ* transform);
/// Shift-JIS device fonts.
[[nodiscard]] BOOL WriteDeviceFontText(PDEV* pdev, ULONG count, GLYPHPOS* glyphs, FONTOBJ* font, STROBJ* string,
                                       TextRunInfo* info, LPWSTR text, XFORMOBJ* transform);

/// One character of a pending run.
struct DeviceCharRecord {
    WORD Code;                // single byte, or lead x 256 + trail
    LONG X;                   // position from TextOrigin
    LONG Y;
    signed char Dx;           // displacement from the nominal advance to the next character
    signed char Dy;
    DWORD Usable;             // 1 when Dx and Dy hold the displacement
    DWORD DoubleByte;         // a two-byte code
    WORD Style;               // style word to send before this character, 0xFFFF none
    DWORD Vertical;           // the style's bit 15
    WORD Left;                // characters left in the run, this one included (1 = last)
    DWORD SizeSwap;           // the cached double-byte sizes are to be exchanged first
    WORD Direction;           // direction to send before this character, 0xFFFF none
};
inline constexpr WORD kNoStyle = 0xFFFF;
inline constexpr WORD kNoDirection = 0xFFFF;

/// What became of one character.
enum class CharOutcome { Code, Glyph, Failed };

/// Writes a pending run: single characters (CC), runs at the font's advance (CE) or runs with
/// displacements (CD, at most 255 characters each). FALSE when the output failed.
[[nodiscard]] BOOL WriteDeviceFontString(PDEV* pdev, DeviceCharRecord* records, ULONG count);
/// 1 when the Shift-JIS device font can print the character (by its ANSI code).
DWORD IsDeviceFontChar(PDEV* pdev, WCHAR wc);
/// Placement correction of a single-byte character (device units).
LONG CharPlacementCorrection(PDEV* pdev, WORD code);
/// One character of a TrueType string printed in a Shift-JIS device font: the record's code,
/// style and direction, or the glyph drawn.
[[nodiscard]] CharOutcome WriteDownloadedFontString(PDEV* pdev, WCHAR wc, GLYPHPOS* glyph, STROBJ* string,
                                                    FONTOBJ* font, XFORMOBJ* transform, DeviceCharRecord* record);
/// The record's code, style and direction for a glyph handle of a Shift-JIS device font.
void ToDeviceCode(PDEV* pdev, HGLYPH glyph, DeviceCharRecord* record);
/// One character of a TrueType string printed in a single-byte device font: the record's code,
/// or the glyph drawn.
[[nodiscard]] CharOutcome SingleByteDeviceCode(PDEV* pdev, WCHAR wc, GLYPHPOS* glyph, FONTOBJ* font,
                                               XFORMOBJ* transform, DeviceCharRecord* record);
/// The ANSI code of a character (at most two bytes: lead x 256 + trail); a character other
/// than '?' that converts to '?' gives 0xF040.
WORD AnsiCodeOf(WCHAR wc);
/// The code the printer's double-byte character set takes for a two-byte code (invalid codes
/// 0x8148, unassigned ones 0x8145).
WORD RepairShiftJis(WORD code, bool characterModeZero);
/// Sends the direction command unless the printer holds the angle.
void SetTextDirection(PDEV* pdev, WORD angle);
