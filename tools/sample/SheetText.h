#pragma once
// Device-font characters on the painted sheet: the printer's text state (font, sizes, style,
// direction, gray), the cell and the nominal advance of a character, and the drawing of its
// glyph, turned by the direction.
#include "platform/WinTypes.h"
#include "tools/sample/PaintShapes.h"

namespace kvtest {

struct CharCell {
    LONG width = 1;
    LONG height = 1;
};

struct TextState {
    LONG gray = 16;
    WORD font = 0;
    bool doubleByte = false;  // the last select was CB: codes of two bytes
    /// C3 single-byte height, C4 single-byte width, C5 double-byte height, C6 double-byte
    /// width (C5 and C6 exchange their meaning in the vertical style).
    LONG sizes[4] = {0, 0, 0, 0};
    LONG style = 0;
    LONG angle = 0;

    /// The cell of a character: one-byte codes of a double-byte font take half the width.
    CharCell Cell(WORD code) const;
    /// The step to the next character of a run: the cell width along the direction.
    POINTL Advance(const CharCell& cell) const;
};

/// Draws the character's glyph into its cell, the cell's top-left corner at (x, y) and its
/// baseline along the direction: plot gets every inked printer point once. The shape is the
/// glyph of the character the code stands for (a byte or a Shift-JIS pair) at the cell's
/// height and stretched over its width: the engine's built-in glyph for ASCII, the window
/// stand-in's glyph for Japanese and the other characters. A space draws nothing; a code
/// that stands for no character is drawn as a hollow box.
void DrawCharacter(const TextState& text, WORD code, CharCell cell, LONG x, LONG y, const paint::Plot& plot);

}  // namespace kvtest
