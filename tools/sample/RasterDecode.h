#pragma once
// Decoder of the printer's row-compressed raster for the job reader and the tests: the inverse
// of the driver's coder.
#include <cstddef>
#include <optional>
#include <vector>

#include "platform/WinTypes.h"

namespace kvtest {

/// Decodes `rows` rows of `width` bytes coded against `seed` (width bytes). Empty on a
/// malformed stream (a code that does not begin a code, a row that overruns its width or
/// ends early, or a stream that ends before the last row).
std::optional<std::vector<BYTE>> DecodeRasterRows(const BYTE* data, size_t size, const std::vector<BYTE>& seed,
                                                  size_t rows, size_t width);

}  // namespace kvtest
