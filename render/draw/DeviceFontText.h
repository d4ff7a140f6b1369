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
