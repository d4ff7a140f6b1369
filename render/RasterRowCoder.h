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

/// Bit k of a window's masks tells about byte x + k of the row; bits for bytes at or past the
/// row's width are clear. The scanner fills whole 64-byte windows its own way; the bytes near
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

/// WordScan with the row masks: eight bytes a word, their flags gathered into eight bits.
struct WordMasks : WordScan {
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
    /// Equal64, DiffBits64 and RepeatBits64 for x + 64 < width.
    static bool Equal64(const BYTE* row, const BYTE* above, DWORD x) {
        Word any = 0;
        for (DWORD k = 0; k < 64; k += 8) any |= Load(row + x + k) ^ Load(above + x + k);
        return any == 0;
    }
    static uint64_t DiffBits64(const BYTE* row, const BYTE* above, DWORD x) {
        if constexpr (std::endian::native != std::endian::little) return DiffBitsTail(row, above, x, x + 64);
        uint64_t bits = 0;
        for (DWORD k = 0; k < 64; k += 8)
            bits |= (~ZeroByteBits(Load(row + x + k) ^ Load(above + x + k)) & 0xFF) << k;
        return bits;
    }
    static uint64_t RepeatBits64(const BYTE* row, DWORD x) {
        if constexpr (std::endian::native != std::endian::little) return RepeatBitsTail(row, x, x + 65);
        uint64_t bits = 0;
        for (DWORD k = 0; k < 64; k += 8) bits |= ZeroByteBits(Load(row + x + k + 1) ^ Load(row + x + k)) << k;
        return bits;
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

/// Where the coder's output is gathered before it goes to the caller's buffer: the short
/// stretches are stored eight bytes at a time, and only the bytes that belong to the stream
/// may reach the caller's buffer. Long codes go straight to the caller's buffer when they do
/// not fit.
class Sink {
public:
    static constexpr size_t kSize = 1024;  // bytes held before they go to the caller's buffer

    explicit Sink(BYTE* out) : out_(out), start_(out) {}

    /// Where n bytes may be written; Done() with the end of what was written.
    BYTE* Room(size_t n) {
        if (n <= static_cast<size_t>(buffer_ + kSize - next_)) return next_;
        Flush();
        if (n <= kSize) return next_;
        direct_ = true;
        return out_;
    }
    /// Where n <= kSize bytes may be written, in the buffer; Fill() with the end of what was
    /// written.
    BYTE* Space(size_t n) {
        if (n > static_cast<size_t>(buffer_ + kSize - next_)) Flush();
        return next_;
    }
    void Fill(BYTE* end) { next_ = end; }
    void Done(BYTE* end) {
        if (direct_) {
            out_ = end;
            direct_ = false;
        } else {
            next_ = end;
        }
    }
    /// Bytes of the stream so far.
    unsigned long long Size() const {
        return static_cast<unsigned long long>(out_ - start_) + static_cast<unsigned long long>(next_ - buffer_);
    }
    /// The caller's buffer holds the stream so far; the position after it.
    BYTE* Flush() {
        const size_t n = static_cast<size_t>(next_ - buffer_);
        std::memcpy(out_, buffer_, n);
        out_ += n;
        next_ = buffer_;
        return out_;
    }

private:
    BYTE* out_;
    BYTE* const start_;
    BYTE* next_ = buffer_;
    bool direct_ = false;
    BYTE buffer_[kSize];
};

/// Room a window's codes may take in the sink: at most 32 stretches in 64 bytes, each with a
/// copy code of up to two bytes (the first one's up to five) and a literal code, the 64
/// changed bytes themselves, and the seven bytes the last eight-byte store writes past them.
constexpr DWORD kWindowRoom = 32 * 3 + 5 + 64 + 7;
static_assert(kWindowRoom <= Sink::kSize);
/// The longest copy a window codes itself: its code takes at most five bytes.
constexpr DWORD kWindowCopyMax = 63 + 4 * 255 - 1;

/// Codes the stretch of changed bytes at `at` (and the copy of `copy` bytes before it) the long
/// way; returns the stretch's end.
template <class Scan>
[[gnu::noinline]] DWORD CodeLongStretch(Sink& sink, const BYTE* row, const BYTE* above, DWORD at, DWORD width,
                                        DWORD copy) {
    const DWORD end = Scan::FirstEqual(row, above, at, width);
    BYTE* p = sink.Room(static_cast<size_t>(end - at) * 2 + copy / 255 + 16);
    if (copy > 0) p = PutCode(p, 0x00, copy);
    p += CodeRun<Scan>(p, row + at, end - at);
    sink.Done(p);
    return end;
}

/// Codes the stretches that start in the 64 bytes from x, where the row differs from the row
/// above (`diff` and `repeat` are the window's masks); `last` is where the copy of the row
/// above before x began, and is moved to the end of each stretch coded. Returns where to look
/// on from: every byte between `last` and there equals the row above.
/// `nearEnd` when the row may end less than eight bytes after the window's last byte.
template <class Scan, bool nearEnd>
[[gnu::always_inline]] inline DWORD CodeWindow(Sink& sink, const BYTE* row, const BYTE* above, DWORD x, DWORD width,
                                               DWORD& last, uint64_t diff, uint64_t repeat) {
    DWORD done = last;  // kept apart from `last`, which the byte stores might alias
    BYTE* p = sink.Space(kWindowRoom);
    for (;;) {
        // The lowest stretch of set bits: adding its lowest bit clears it and sets the bit
        // after it, which carries out of the word when the stretch reaches the window's end.
        const uint64_t low = diff & (0 - diff);
        const uint64_t after = diff + low;
        const DWORD s = static_cast<DWORD>(std::countr_zero(diff));
        const DWORD e = static_cast<DWORD>(std::countr_zero(after));
        const DWORD at = x + s;
        const DWORD n = e - s;
        const DWORD copy = at - done;
        // Up to eight bytes that end inside the window, no two neighbours equal (one literal),
        // eight bytes readable from the start. The pairs of neighbours in the stretch are the
        // bits from s to e - 2: those of the stretch and the bit after it (after ^ diff),
        // two places down, and only those in the stretch (diff has none below s).
        const uint64_t pairs = ((after ^ diff) >> 2) & diff;
        bool shortStretch = (n <= 8) & (e < 64) & ((repeat & pairs) == 0);
        if constexpr (nearEnd) shortStretch &= width - at >= 8;
        // The copy before it takes one byte unless it is empty (at the row's start) or long.
        if (!shortStretch || copy - 1 >= kShortMax) [[unlikely]] {
            if (shortStretch && copy - 1 < kWindowCopyMax) {
                p = PutCode(p, 0x00, copy);
            } else {
                sink.Fill(p);
                // A stretch cut by the window's end is looked at again from its start.
                if (e == 64 && s > 0) {
                    last = done;
                    return at;
                }
                last = CodeLongStretch<Scan>(sink, row, above, at, width, copy);
                return last;
            }
        } else {
            *p++ = static_cast<BYTE>(copy);
        }
        *p = static_cast<BYTE>(0x40 + n);
        std::memcpy(p + 1, row + at, 8);
        p += 1 + n;
        done = at + n;
        diff &= after;
        if (diff == 0) break;
    }
    sink.Fill(p);
    last = done;
    return width - x > 64 ? x + 64 : width;
}

/// CompressRasterRows over the scanner. The row is looked at a 64-byte window at a time: the
/// masks of a window where the row differs from the row above tell where it differs and where
/// a byte equals the next one, and a stretch of up to eight changed bytes with no equal
/// neighbours (nearly all of them on text) is coded from the masks as a copy code and a
/// literal, without a branch on its length. Other stretches are coded the long way.
template <class Scan>
BYTE* CodeRows(const BYTE* seed, const BYTE* first, DWORD rows, DWORD width, BYTE* out, DWORD stride) {
    Sink sink(out);
    const unsigned long long rawSize = static_cast<unsigned long long>(rows) * width;
    const BYTE* above = seed;
    const BYTE* row = first;
    for (DWORD r = 0; r < rows; ++r) {
        DWORD last = 0;
        DWORD x = 0;
        // Whole windows with eight bytes after them, read a vector or word at a time. The rows
        // come from memory once, so the bytes 16 windows on are asked for early (the address
        // is only a hint, and may lie past the row).
        while (width - x >= 72) {
            __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(row) + x + 1024));
            if (Scan::Equal64(row, above, x)) {
                x += 64;
                continue;
            }
            x = CodeWindow<Scan, false>(sink, row, above, x, width, last, Scan::DiffBits64(row, above, x),
                                        Scan::RepeatBits64(row, x));
        }
        // The row's last windows, each from where the row differs.
        while ((x = Scan::FirstDifferent(row, above, x, width)) < width)
            x = CodeWindow<Scan, true>(sink, row, above, x, width, last, Scan::DiffBits(row, above, x, width),
                                       Scan::RepeatBits(row, x, width));
        BYTE* p = sink.Room(width / 255 + 4);
        if (last < width) p = PutCode(p, 0x00, width - last);
        *p++ = 0x80;
        sink.Done(p);
        // The size test runs once per row: one row may overrun before the block is refused.
        if (sink.Size() > rawSize) {
            sink.Flush();
            return nullptr;
        }
        above = row;
        row += stride;
    }
    return sink.Flush();
}

}  // namespace
}  // namespace kvraster
