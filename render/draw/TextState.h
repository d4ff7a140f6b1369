#pragma once
// The device state of text output: the current call's text position and the device-font
// values that the realization computes and the string writers read.
//
// Kept elsewhere in the PDEV and used by the text code (reset by ResetGraphicsState):
// TextCell[4] the cell values W, H (single-byte and OCR-K) and W2, H2 (double-byte), in
// decipoints; GlyphRunMode (1 single-byte or no device font, 0 Shift-JIS device font);
// TextValues[kTextVerticalShift] and TextValues[kTextMode]; FontMatrix the font transform's
// 2 x 2 matrix of the last realization. The printer's font, size, style, direction, gray and
// character-mode caches are in DrawingStateCache.
#include "platform/WinTypes.h"

struct DeviceCharRow;

/// Index of TextValues: 1 while the printer is in the rotated (vertical) style for
/// double-byte characters.
inline constexpr DWORD kTextVerticalShift = 0;
/// Index of TextValues: 1 single-byte text, 2 double-byte text (set by the string writers).
inline constexpr DWORD kTextMode = 1;
/// Index of TextCell.
inline constexpr DWORD kCellWidth = 0;
inline constexpr DWORD kCellHeight = 1;
inline constexpr DWORD kCellWidth2 = 2;
inline constexpr DWORD kCellHeight2 = 3;

/// DoubleByteFlags bits.
inline constexpr WORD kDbcsFont = 0x1;       // Shift-JIS device font
inline constexpr WORD kDbcsVertical = 0x2;   // vertical font (style name begins with "@")

struct TextState {
    POINTL Position;          // text position of the current character; (-1, -1) at a call's start
    // Per call
    DWORD TrueTypeShiftJis;   // the TrueType font of the call has charset 128
    DWORD GlyphIndexText;     // SO_GLYPHINDEX_TEXTOUT of the current string
    DWORD RedText;            // pure red device-font text on a model that prints it black
    DWORD LastSpaceInkless;   // the last U+0020 drawn as a glyph in this call had no ink
    WCHAR SpaceCode;          // U+0020, the ANSI space in UTF-16
    // Realized font
    char SelectId[8];         // the realized font's select id ("06F1-002"); [7] decides several rules
    WORD DoubleByteFlags;     // kDbcsFont, kDbcsVertical
    LONG Escapement;          // degrees 0 to 359
    LONG BaselineX;           // baseline offsets (device units)
    LONG BaselineY;
    WORD SingleByteSize[2];   // width, height in device units before the scale
    WORD DoubleByteSize[2];   // as kept: width, height (height, width for a vertical font)
    const DeviceCharRow* CodeTable;  // the single-byte code table, NULL for Shift-JIS fonts
    // The substitution list (PDEV::TrueTypeSubstList) holds this many UTF-16 units; the pair
    // walk never reads past them. Set with the list by LoadTrueTypeSubstList.
    DWORD SubstListChars;
};
