#pragma once
// The engine's own monospace bitmap font, which EngTextOut draws when a glyph comes without
// bits: a cell of 6 x 10 pixels with the baseline below row 7 (ascent 8, descent 2); ASCII
// 0x20-0x7E have glyphs, any other character is drawn as a hollow box.

namespace standin::engine::detail {

inline constexpr int kFontCellWidth = 6;
inline constexpr int kFontCellHeight = 10;
inline constexpr int kFontAscent = 8;

/// True when the pixel at (column, row) of the character's cell is ink.
bool FontInk(char16_t character, int column, int row);

/// The cell of the font scaled to `height` dots: its width (at least 1) and its ascent.
long ScaledCellWidth(long height);
long ScaledAscent(long height);
/// Ink at pixel (u, v) of the cell scaled to `height` dots: the nearest pixel of the design.
bool ScaledInk(char16_t character, long u, long v, long height);

}  // namespace standin::engine::detail
