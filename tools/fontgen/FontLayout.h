#pragma once
// The binary font resource of one face: the header, the names, the kerning pairs, the width
// and code tables, and the face's IFIMETRICS with its names.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FontSource.h"

namespace fontgen {

/// The driver takes a font resource's size as 16 bits.
inline constexpr size_t kMaxFontResourceBytes = 0xFFFF;

/// The resource bytes (little-endian); DataError when they would exceed kMaxFontResourceBytes.
std::vector<uint8_t> BuildFontResource(const FontFace& face);

}  // namespace fontgen
