// The row coder over 16-byte vector comparisons. On 32-bit x86 this file alone is built with
// those instructions, and RasterCompression.cpp calls it only when the processor has them.
#include "render/RasterScan.h"

#if defined(KV_RASTER_VECTOR_SCAN)
#if !defined(__SSE2__)
#error "RasterCompressionVector.cpp must be built with the 16-byte vector instructions enabled"
#endif
#include <emmintrin.h>

#include "render/RasterRowCoder.h"

namespace {

using kvraster::WordScan;

__m128i Load(const BYTE* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

/// Positions of the bytes of a[pos..pos+16) equal to b's, one bit each.
unsigned EqualMask(const BYTE* a, const BYTE* b, DWORD pos) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + pos));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + pos));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)));
}

constexpr unsigned kAll = 0xFFFF;

/// WordScan's answers, 32 and then 16 bytes at a time; the last few bytes by words. The row
/// masks 16 bytes a compare.
struct VectorScan {
    /// Equal64, DiffBits64 and RepeatBits64 for x + 64 < width.
    static bool Equal64(const BYTE* row, const BYTE* above, DWORD x) {
        __m128i all = _mm_cmpeq_epi8(Load(row + x), Load(above + x));
        for (DWORD k = 16; k < 64; k += 16) all = _mm_and_si128(all, _mm_cmpeq_epi8(Load(row + x + k), Load(above + x + k)));
        return _mm_movemask_epi8(all) == 0xFFFF;
    }
    static uint64_t DiffBits64(const BYTE* row, const BYTE* above, DWORD x) {
        return ~(uint64_t{EqualMask(row, above, x)} | uint64_t{EqualMask(row, above, x + 16)} << 16 |
                 uint64_t{EqualMask(row, above, x + 32)} << 32 | uint64_t{EqualMask(row, above, x + 48)} << 48);
    }
    static uint64_t RepeatBits64(const BYTE* row, DWORD x) {
        return uint64_t{EqualMask(row + 1, row, x)} | uint64_t{EqualMask(row + 1, row, x + 16)} << 16 |
               uint64_t{EqualMask(row + 1, row, x + 32)} << 32 | uint64_t{EqualMask(row + 1, row, x + 48)} << 48;
    }
    static uint64_t DiffBits(const BYTE* row, const BYTE* above, DWORD x, DWORD width) {
        uint64_t equal = 0;
        DWORD k = 0;
        for (; k < 64 && width - x - k >= 16; k += 16) equal |= uint64_t{EqualMask(row, above, x + k)} << k;
        uint64_t bits = ~equal & (k == 64 ? ~uint64_t{0} : (uint64_t{1} << k) - 1);
        if (k < 64) bits |= kvraster::DiffBitsTail(row, above, x + k, width < x + 64 ? width : x + 64) << k;
        return bits;
    }
    static uint64_t RepeatBits(const BYTE* row, DWORD x, DWORD width) {
        uint64_t bits = 0;
        DWORD k = 0;
        for (; k < 64 && width - x - k >= 17; k += 16) bits |= uint64_t{EqualMask(row + 1, row, x + k)} << k;
        if (k < 64) bits |= kvraster::RepeatBitsTail(row, x + k, width < x + 65 ? width : x + 65) << k;
        return bits;
    }

    static DWORD FirstDifferent(const BYTE* a, const BYTE* b, DWORD pos, DWORD end) {
        // Long equal stretches (blank rows, the white between glyphs) go 32 bytes a step.
        while (end - pos >= 32) {
            const __m128i e0 = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + pos)),
                                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + pos)));
            const __m128i e1 = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + pos + 16)),
                                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + pos + 16)));
            const unsigned both = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(e0, e1)));
            if (both != kAll) {
                const unsigned low = static_cast<unsigned>(_mm_movemask_epi8(e0));
                if (low != kAll) return pos + static_cast<DWORD>(std::countr_zero(~low));
                const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(e1));
                return pos + 16 + static_cast<DWORD>(std::countr_zero(~high));
            }
            pos += 32;
        }
        if (end - pos >= 16) {
            const unsigned equal = EqualMask(a, b, pos);
            if (equal != kAll) return pos + static_cast<DWORD>(std::countr_zero(~equal));
            pos += 16;
        }
        return WordScan::FirstDifferent(a, b, pos, end);
    }
    static DWORD FirstEqual(const BYTE* a, const BYTE* b, DWORD pos, DWORD end) {
        // Long literals and changed stretches (halftone, photographs) go 64 bytes a step.
        while (end - pos >= 64) {
            const __m128i e0 = _mm_cmpeq_epi8(Load(a + pos), Load(b + pos));
            const __m128i e1 = _mm_cmpeq_epi8(Load(a + pos + 16), Load(b + pos + 16));
            const __m128i e2 = _mm_cmpeq_epi8(Load(a + pos + 32), Load(b + pos + 32));
            const __m128i e3 = _mm_cmpeq_epi8(Load(a + pos + 48), Load(b + pos + 48));
            if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(e0, e1), _mm_or_si128(e2, e3))) != 0) {
                const uint64_t equal = uint64_t{static_cast<unsigned>(_mm_movemask_epi8(e0))} |
                                       uint64_t{static_cast<unsigned>(_mm_movemask_epi8(e1))} << 16 |
                                       uint64_t{static_cast<unsigned>(_mm_movemask_epi8(e2))} << 32 |
                                       uint64_t{static_cast<unsigned>(_mm_movemask_epi8(e3))} << 48;
                return pos + static_cast<DWORD>(std::countr_zero(equal));
            }
            pos += 64;
        }
        while (end - pos >= 16) {
            const unsigned equal = EqualMask(a, b, pos);
            if (equal != 0) return pos + static_cast<DWORD>(std::countr_zero(equal));
            pos += 16;
        }
        return WordScan::FirstEqual(a, b, pos, end);
    }
};

}  // namespace

DWORD CompressRunVectors(BYTE* out, const BYTE* source, DWORD count) {
    return kvraster::CodeRun<VectorScan>(out, source, count);
}

BYTE* CompressRasterRowsVectors(const BYTE* seed, const BYTE* first, DWORD rows, DWORD width, BYTE* out,
                                DWORD stride) {
    return kvraster::CodeRows<VectorScan>(seed, first, rows, width, out, stride);
}
#endif
