#include "render/RasterCompression.h"

#include "render/RasterRowCoder.h"
#include "render/RasterScan.h"

namespace {

bool ProcessorHasVectors() {
#if defined(__x86_64__) || defined(__SSE2__)
    return true;
#elif defined(__i386__)
    static const bool has = __builtin_cpu_supports("sse2") != 0;
    return has;
#else
    return false;
#endif
}

}  // namespace

bool RowScanAvailable(RowScan scan) { return scan == RowScan::Words || ProcessorHasVectors(); }

RowScan PreferredRowScan() { return ProcessorHasVectors() ? RowScan::Vectors : RowScan::Words; }

DWORD CompressRunWith(RowScan scan, BYTE* out, const BYTE* source, DWORD count) {
#if defined(KV_RASTER_VECTOR_SCAN)
    if (scan == RowScan::Vectors && ProcessorHasVectors()) return CompressRunVectors(out, source, count);
#else
    (void)scan;
#endif
    return kvraster::CodeRun<kvraster::WordScan>(out, source, count);
}

BYTE* CompressRasterRowsWith(RowScan scan, const BYTE* seed, const BYTE* first, DWORD rows, DWORD width, BYTE* out,
                             DWORD stride) {
#if defined(KV_RASTER_VECTOR_SCAN)
    if (scan == RowScan::Vectors && ProcessorHasVectors())
        return CompressRasterRowsVectors(seed, first, rows, width, out, stride);
#else
    (void)scan;
#endif
    return kvraster::CodeRows<kvraster::WordMasks>(seed, first, rows, width, out, stride);
}

DWORD CompressRun(BYTE* out, const BYTE* source, DWORD count) {
    return CompressRunWith(PreferredRowScan(), out, source, count);
}

BYTE* CompressRasterRows(const BYTE* seed, const BYTE* first, DWORD rows, DWORD width, BYTE* out, DWORD stride) {
    return CompressRasterRowsWith(PreferredRowScan(), seed, first, rows, width, out, stride);
}
