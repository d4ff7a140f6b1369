#pragma once
// The row coder written once over a scanner that finds where two byte strings start or stop
// agreeing. RasterCompression.cpp instantiates it with the word scanner, and
// RasterCompressionVector.cpp with 16-byte vectors where the processor has them. Everything
// here has internal linkage: the two files may be compiled for different instruction sets,
// and the linker must not pick one file's copy of an inline function for the other.
#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/WinTypes.h"

namespace kvraster {
namespace {

constexpr DWORD kShortMax = 62;  // counts up to 62 fit in the code byte itself

/// The extension of a count of 63 or more: one 0xFF per 255, then the remainder.
inline BYTE* PutExtension(BYTE* out, DWORD count) {
    const DWORD e = count - 63;
    const DWORD fills = e / 255;
    std::memset(out, 0xFF, fills);
    out += fills;
    *out++ = static_cast<BYTE>(e % 255);
    return out;
}

/// A code whose count sits in its low six bits (`base` + count), or `base` + 0x3F and an
/// extension.
inline BYTE* PutCode(BYTE* out, BYTE base, DWORD count) {
    if (count <= kShortMax) {
        *out++ = static_cast<BYTE>(base + count);
        return out;
    }
    *out++ = static_cast<BYTE>(base + 0x3F);
    return PutExtension(out, count);
}

/// Byte-wise comparison a machine word at a time; the answers are exact byte positions.
struct WordScan {
    using Word = std::uintptr_t;
    static constexpr Word kLow7 = static_cast<Word>(0x7F7F7F7F7F7F7F7FULL);

    static Word Load(const BYTE* p) {
        Word w;
        std::memcpy(&w, p, sizeof w);
        return w;
    }
    /// Index of the first byte whose flag (the byte's top bit) is set in `flags` (non-zero).
    static DWORD FirstFlagged(Word flags) {
        if constexpr (std::endian::native == std::endian::little) {
            return static_cast<DWORD>(std::countr_zero(flags) / 8);
        } else {
            return static_cast<DWORD>(std::countl_zero(flags) / 8);
        }
    }
    /// The top bit of each byte of x that is zero, and no other bit (no carry between bytes).
    static Word ZeroBytes(Word x) { return ~(((x & kLow7) + kLow7) | x | kLow7); }

    /// First i in [pos, end) with a[i] != b[i]; end when there is none.
    static DWORD FirstDifferent(const BYTE* a, const BYTE* b, DWORD pos, DWORD end) {
        while (end - pos >= sizeof(Word)) {
            const Word x = Load(a + pos) ^ Load(b + pos);
            if (x != 0) {
                if constexpr (std::endian::native == std::endian::little) {
                    return pos + static_cast<DWORD>(std::countr_zero(x) / 8);
                } else {
                    return pos + static_cast<DWORD>(std::countl_zero(x) / 8);
                }
            }
            pos += sizeof(Word);
        }
        while (pos < end && a[pos] == b[pos]) ++pos;
        return pos;
    }
    /// First i in [pos, end) with a[i] == b[i]; end when there is none.
    static DWORD FirstEqual(const BYTE* a, const BYTE* b, DWORD pos, DWORD end) {
        while (end - pos >= sizeof(Word)) {
            const Word zeros = ZeroBytes(Load(a + pos) ^ Load(b + pos));
            if (zeros != 0) return pos + FirstFlagged(zeros);
            pos += sizeof(Word);
        }
        while (pos < end && a[pos] != b[pos]) ++pos;
        return pos;
    }
};

/// Bit k of a block's masks tells about byte x + k of the row; bits for bytes at or past the
/// row's width are clear. The scanner fills whole 64-byte blocks its own way; the bytes near
/// the row's end, which a wide load would pass, are taken here one at a time.
inline uint64_t DiffBitsTail(const BYTE* row, const BYTE* above, DWORD x, DWORD end) {
    uint64_t bits = 0;
    for (DWORD k = 0; x + k < end; ++k)
        if (row[x + k] != above[x + k]) bits |= uint64_t{1} << k;
    return bits;
}
/// Bit k set when row[x + k + 1] == row[x + k], for x + k + 1 < end.
inline uint64_t RepeatBitsTail(const BYTE* row, DWORD x, DWORD end) {
    uint64_t bits = 0;
    for (DWORD k = 0; x + k + 1 < end; ++k)
        if (row[x + k + 1] == row[x + k]) bits |= uint64_t{1} << k;
    return bits;
}

/// WordScan's row masks: eight bytes a word, their flags gathered into eight bits.
struct WordMasks {
    using Word = uint64_t;
    static constexpr Word kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    static Word Load(const BYTE* p) {
        Word w;
        std::memcpy(&w, p, sizeof w);
        return w;
    }
    /// Bit i set when byte i of the word is zero.
    static uint64_t ZeroByteBits(Word x) {
        const Word flags = ~(((x & kLow7) + kLow7) | x | kLow7) >> 7;
        return (flags * 0x0102040810204080ULL) >> 56;
    }
    static uint64_t DiffBits(const BYTE* row, const BYTE* above, DWORD x, DWORD width) {
        if constexpr (std::endian::native != std::endian::little) {
            return DiffBitsTail(row, above, x, width < x + 64 ? width : x + 64);
        }
        uint64_t bits = 0;
        DWORD k = 0;
        for (; k < 64 && width - x - k >= 8; k += 8)
            bits |= (~ZeroByteBits(Load(row + x + k) ^ Load(above + x + k)) & 0xFF) << k;
        if (k < 64) bits |= DiffBitsTail(row, above, x + k, width < x + 64 ? width : x + 64) << k;
        return bits;
    }
    static uint64_t RepeatBits(const BYTE* row, DWORD x, DWORD width) {
        if constexpr (std::endian::native != std::endian::little) {
            return RepeatBitsTail(row, x, width < x + 65 ? width : x + 65);
        }
        uint64_t bits = 0;
        DWORD k = 0;
        for (; k < 64 && width - x - k >= 9; k += 8)
            bits |= ZeroByteBits(Load(row + x + k + 1) ^ Load(row + x + k)) << k;
        if (k < 64) bits |= RepeatBitsTail(row, x + k, width < x + 65 ? width : x + 65) << k;
        return bits;
    }
};

/// Codes count bytes as repeats and literals; the bytes written at out.
template <class Scan>
DWORD CodeRun(BYTE* out, const BYTE* source, DWORD count) {
    BYTE* const start = out;
    DWORD i = 0;
    while (i < count) {
        if (count - i == 1) {
            *out++ = 0x41;
            *out++ = source[i];
            break;
        }
        // Neighbours are compared as the string against itself one byte on: at j,
        // source[j + 1] against source[j].
        if (source[i] == source[i + 1]) {
            // A repeat takes every following byte of the same value.
            const DWORD end = Scan::FirstDifferent(source + 1, source, i + 1, count - 1) + 1;
            out = PutCode(out, 0x80, end - i);
            *out++ = source[i];
            i = end;
            continue;
        }
        // A literal stops just before the next pair of equal bytes, which starts a repeat.
        const DWORD pair = Scan::FirstEqual(source + 1, source, i + 1, count - 1);
        const DWORD end = pair < count - 1 ? pair : count;
        out = PutCode(out, 0x40, end - i);
        std::memcpy(out, source + i, end - i);
        out += end - i;
        i = end;
    }
    return static_cast<DWORD>(out - start);
}

/// One row's masks, a 64-byte block at a time, made when first asked for: where the row
/// differs from the row above, and where a byte equals the one after it (a repeat goes on).
template <class Scan>
class RowCursor {
public:
    RowCursor(const BYTE* row, const BYTE* above, DWORD width) : row_(row), above_(above), width_(width) {}

    /// First j in [from, limit) whose byte differs from the row above (want true) or equals
    /// it (want false); limit when there is none. limit <= width.
    template <bool want>
    DWORD NextDiff(DWORD from, DWORD limit) {
        while (from < limit) {
            const DWORD base = from & ~DWORD{63};
            if (base != diffBase_) {
                diffBase_ = base;
                diff_ = Scan::DiffBits(row_, above_, base, width_);
            }
            const uint64_t bits = (want ? diff_ : ~diff_) >> (from - base);
            if (bits != 0) {
                const DWORD at = from + static_cast<DWORD>(std::countr_zero(bits));
                return at < limit ? at : limit;
            }
            from = base + 64;
        }
        return limit;
    }
    /// First j in [from, limit) where row[j + 1] == row[j] (want true) or not (want false);
    /// limit when there is none. limit < width.
    template <bool want>
    DWORD NextRepeat(DWORD from, DWORD limit) {
        while (from < limit) {
            const DWORD base = from & ~DWORD{63};
            if (base != repeatBase_) {
                repeatBase_ = base;
                repeat_ = Scan::RepeatBits(row_, base, width_);
            }
            const uint64_t bits = (want ? repeat_ : ~repeat_) >> (from - base);
            if (bits != 0) {
                const DWORD at = from + static_cast<DWORD>(std::countr_zero(bits));
                return at < limit ? at : limit;
            }
            from = base + 64;
        }
        return limit;
    }

private:
    static constexpr DWORD kNone = 1;  // never a block's start
    const BYTE* row_;
    const BYTE* above_;
    DWORD width_;
    DWORD diffBase_ = kNone;
    DWORD repeatBase_ = kNone;
    uint64_t diff_ = 0;
    uint64_t repeat_ = 0;
};

/// CodeRun over row[a..b), with the row's repeat mask.
template <class Scan>
BYTE* CodeStretch(BYTE* out, const BYTE* row, DWORD a, DWORD b, RowCursor<Scan>& cursor) {
    DWORD i = a;
    while (i < b) {
        if (b - i == 1) {
            *out++ = 0x41;
            *out++ = row[i];
            break;
        }
        if (row[i] == row[i + 1]) {
            // A repeat takes every following byte of the same value.
            const DWORD end = cursor.template NextRepeat<false>(i + 1, b - 1) + 1;
            out = PutCode(out, 0x80, end - i);
            *out++ = row[i];
            i = end;
            continue;
        }
        // A literal stops just before the next pair of equal bytes, which starts a repeat.
        const DWORD pair = cursor.template NextRepeat<true>(i + 1, b - 1);
        const DWORD end = pair < b - 1 ? pair : b;
        const DWORD count = end - i;
        out = PutCode(out, 0x40, count);
        if (count <= 16) {
            for (DWORD k = 0; k < count; ++k) out[k] = row[i + k];
        } else {
            std::memcpy(out, row + i, count);
        }
        out += count;
        i = end;
    }
    return out;
}

/// CompressRasterRows over the scanner.
template <class Scan>
BYTE* CodeRows(const BYTE* seed, const BYTE* first, DWORD rows, DWORD width, BYTE* out, DWORD stride) {
    BYTE* const start = out;
    const unsigned long long rawSize = static_cast<unsigned long long>(rows) * width;
    const BYTE* above = seed;
    const BYTE* row = first;
    for (DWORD r = 0; r < rows; ++r) {
        RowCursor<Scan> cursor(row, above, width);
        DWORD pos = 0;
        while (pos < width) {
            // A stretch that differs from the row above (maybe empty), then one equal to it.
            const DWORD same = cursor.template NextDiff<false>(pos, width);
            if (same > pos) out = CodeStretch(out, row, pos, same, cursor);
            if (same >= width) break;
            pos = cursor.template NextDiff<true>(same, width);
            out = PutCode(out, 0x00, pos - same);
        }
        *out++ = 0x80;
        // The size test runs once per row: one row may overrun before the block is refused.
        if (static_cast<unsigned long long>(out - start) > rawSize) return nullptr;
        above = row;
        row += stride;
    }
    return out;
}

}  // namespace
}  // namespace kvraster
