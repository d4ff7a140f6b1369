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

}  // namespace standin::engine::detail
