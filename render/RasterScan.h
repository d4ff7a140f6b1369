#pragma once
// The row coder's scanners, for the tests and the benchmark that compare them: the word
// scanner runs everywhere; the vector scanner where the processor has 16-byte vectors (on
// 32-bit x86 that is asked of the processor at run time).
#include "platform/WinTypes.h"

enum class RowScan { Words, Vectors };

/// Whether this processor runs the scanner (Words always does).
bool RowScanAvailable(RowScan scan);
/// The scanner CompressRasterRows and CompressRun use on this processor.
RowScan PreferredRowScan();
/// CompressRun and CompressRasterRows with the scanner named; an unavailable one falls back
/// to Words. The output is the same for every scanner.
[[nodiscard]] DWORD CompressRunWith(RowScan scan, BYTE* out, const BYTE* source, DWORD count);
[[nodiscard]] BYTE* CompressRasterRowsWith(RowScan scan, const BYTE* seed, const BYTE* first, DWORD rows, DWORD width,
                                           BYTE* out, DWORD stride);

#if defined(__x86_64__) || defined(__i386__)
#define KV_RASTER_VECTOR_SCAN 1
// In RasterCompressionVector.cpp, which is built with the vector instructions enabled.
DWORD CompressRunVectors(BYTE* out, const BYTE* source, DWORD count);
BYTE* CompressRasterRowsVectors(const BYTE* seed, const BYTE* first, DWORD rows, DWORD width, BYTE* out, DWORD stride);
#endif
