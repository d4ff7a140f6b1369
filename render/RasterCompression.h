#pragma once
// Row compression of 1-bit raster: each row against the row above, differing stretches as
// repeat and literal runs. Pure functions: no state, no allocation.
#include "platform/WinTypes.h"

/// Codes n bytes; returns the bytes written at out (4 per 3 in the worst case).
[[nodiscard]] DWORD CompressRun(BYTE* out, const BYTE* source, DWORD count);
/// Codes rows (stride apart) against seed for the first row; the position after the last
/// byte, or NULL when the stream would exceed rows x width.
[[nodiscard]] BYTE* CompressRasterRows(const BYTE* seed, const BYTE* first, DWORD rows, DWORD width, BYTE* out,
                                       DWORD stride);
