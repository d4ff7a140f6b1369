#pragma once
// What the string objects take from the font objects: a font's spec and glyph bits blocks.
#include <cstddef>
#include <vector>

#include "platform/Ddi.h"
#include "platform/StandIn.h"

namespace standin::engine::detail {

/// A GLYPHBITS record with the image's origin, size and bits, in a block aligned for it.
std::vector<std::max_align_t> GlyphBitsBlock(const GlyphImage& image);
/// The spec of an engine TrueType font; false for a device font or an unknown object.
bool TrueTypeSpec(const FONTOBJ* pfo, FontSpec* spec);
unsigned LiveFontObjectCount();

}  // namespace standin::engine::detail
