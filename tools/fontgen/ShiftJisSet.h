#pragma once
// The Shift-JIS glyph set: an FD_GLYPHSET of every character that code page 932 codes,
// laid out for the target's pointer size.
#include <cstdint>
#include <vector>

namespace fontgen {

/// The glyph set's bytes for a target whose pointers are pointerSize (4 or 8) bytes: u32
/// cjThis, flAccel 0, glyph count and run count, the runs (u16 first character, u16 glyph
/// count, the handle pointer aligned to its size and left 0), then every run's handles as u32
/// Shift-JIS codes. DataError when the build machine's iconv has no CP932.
std::vector<uint8_t> BuildShiftJisGlyphSet(unsigned pointerSize);

}  // namespace fontgen
