// The row coder against the byte-at-a-time coder it replaced (kept below as the reference):
// every scanner this processor runs must write the same bytes, refuse the same blocks, and
// touch nothing past the reference's end, on random and structured rows.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "render/RasterCompression.h"
#include "render/RasterScan.h"

namespace {

using Bytes = std::vector<BYTE>;

// --- The reference: the original byte-at-a-time coder -----------------------------------------

namespace reference {

BYTE* PutExtension(BYTE* out, DWORD count) {
    DWORD e = count - 63;
    while (e >= 255) {
        *out++ = 0xFF;
        e -= 255;
    }
    *out++ = static_cast<BYTE>(e);
    return out;
}

BYTE* PutCount(BYTE* out, BYTE base, DWORD count) {
    if (count <= 62) {
        *out++ = static_cast<BYTE>(base + count);
        return out;
    }
    *out++ = static_cast<BYTE>(base + 0x3F);
    return PutExtension(out, count);
}

DWORD Run(BYTE* out, const BYTE* source, DWORD count) {
    BYTE* const start = out;
    DWORD i = 0;
    while (i < count) {
        if (count - i == 1) {
            *out++ = 0x41;
            *out++ = source[i];
            break;
        }
        if (source[i] == source[i + 1]) {
            DWORD end = i + 2;
            while (end < count && source[end] == source[i]) ++end;
            out = PutCount(out, 0x80, end - i);
            *out++ = source[i];
            i = end;
            continue;
        }
        DWORD end = i + 2;
        while (end < count && source[end] != source[end - 1]) ++end;
        if (end < count) --end;
        out = PutCount(out, 0x40, end - i);
        for (DWORD k = i; k < end; ++k) *out++ = source[k];
        i = end;
    }
    return static_cast<DWORD>(out - start);
}

BYTE* Rows(const BYTE* seed, const BYTE* first, DWORD rows, DWORD width, BYTE* out, DWORD stride) {
    BYTE* const start = out;
    const unsigned long long raw = static_cast<unsigned long long>(rows) * width;
    const BYTE* above = seed;
    const BYTE* row = first;
    for (DWORD r = 0; r < rows; ++r) {
        DWORD pos = 0;
        while (pos < width) {
            const DWORD stretch = pos;
            while (pos < width && row[pos] != above[pos]) ++pos;
            if (pos > stretch) out += Run(out, row + stretch, pos - stretch);
            if (pos >= width) break;
            const DWORD same = pos;
            while (pos < width && row[pos] == above[pos]) ++pos;
            out = PutCount(out, 0x00, pos - same);
        }
        *out++ = 0x80;
        if (static_cast<unsigned long long>(out - start) > raw) return nullptr;
        above = row;
        row += stride;
    }
    return out;
}

}  // namespace reference

// --- Harness ----------------------------------------------------------------------------------

std::vector<RowScan> Scanners() {
    std::vector<RowScan> scans{RowScan::Words};
    if (RowScanAvailable(RowScan::Vectors)) scans.push_back(RowScan::Vectors);
    return scans;
}

const char* Name(RowScan scan) { return scan == RowScan::Words ? "words" : "vectors"; }

/// A block of rows `stride` apart (the bytes past `width` in each row are padding that the
/// coder must not read as image) and its seed row.
struct Block {
    DWORD width = 0;
    DWORD stride = 0;
    DWORD rows = 0;
    Bytes seed;
    Bytes image;  // rows * stride
    BYTE* Row(DWORD r) { return image.data() + static_cast<size_t>(r) * stride; }
};

Block MakeBlock(DWORD width, DWORD stride, DWORD rows) {
    Block b{width, stride, rows, Bytes(width, 0), Bytes(static_cast<size_t>(rows) * stride, 0)};
    // Padding differs from everything around it, so reading it would change the output.
    for (DWORD r = 0; r < rows; ++r)
        for (DWORD x = width; x < stride; ++x) b.Row(r)[x] = static_cast<BYTE>(0xA5 ^ (x * 7 + r));
    return b;
}

/// Codes the block with the reference and with each scanner, at every alignment of the
/// source within 16 bytes, and compares the whole output buffers (bytes written and not). The
/// copies of the seed and the image end where their last row does, so that a read past it
/// leaves the allocation (which the address sanitizer's build reports).
void ExpectSameAsReference(const Block& b, const std::string& what) {
    const size_t outSize = b.width + 2 * static_cast<size_t>(b.rows) * b.width + 64;
    Bytes expected(outSize, 0xEE);
    const BYTE* refEnd = reference::Rows(b.seed.data(), b.image.data(), b.rows, b.width, expected.data(), b.stride);
    const ptrdiff_t refLength = refEnd == nullptr ? -1 : refEnd - expected.data();
    for (RowScan scan : Scanners()) {
        for (size_t shift : {0u, 1u, 7u, 13u}) {
            const size_t used = b.rows == 0 ? 0 : static_cast<size_t>(b.rows - 1) * b.stride + b.width;
            Bytes moved(shift + used);
            std::memcpy(moved.data() + shift, b.image.data(), used);
            Bytes seed(15 - shift + b.seed.size());
            std::memcpy(seed.data() + (15 - shift), b.seed.data(), b.seed.size());
            Bytes out(outSize, 0xEE);
            const BYTE* end = CompressRasterRowsWith(scan, seed.data() + (15 - shift), moved.data() + shift, b.rows,
                                                     b.width, out.data(), b.stride);
            const ptrdiff_t length = end == nullptr ? -1 : end - out.data();
            const std::string where = what + ", " + Name(scan) + ", shift " + std::to_string(shift);
            ASSERT_EQ(length, refLength) << where;
            if (out != expected) {
                size_t at = 0;
                while (out[at] == expected[at]) ++at;
                FAIL() << where << ": first difference at offset " << at << " (reference 0x" << std::hex
                       << int(expected[at]) << ", coder 0x" << int(out[at]) << ")";
            }
        }
    }
}

// The lengths where a count changes its code: in the code byte up to 62, one extension byte
// from 63, one more 0xFF at each 255 after.
constexpr DWORD kBoundaryLengths[] = {1, 2, 3, 8, 15, 16, 17, 31, 32, 33, 61, 62, 63, 64, 65,
                                      316, 317, 318, 319, 571, 572, 573, 574};

TEST(RowCoderEquivalence, RunsOfEveryBoundaryLengthAsRepeatLiteralAndCopy) {
    for (DWORD length : kBoundaryLengths) {
        // One row each: a copy-above stretch, a repeat and a literal of `length`, each between
        // short neighbours of the other kinds, with an odd width.
        const DWORD width = 3 * length + 23;
        Block b = MakeBlock(width, width + 5, 2);
        for (DWORD r = 0; r < 2; ++r) {
            BYTE* row = b.Row(r);
            DWORD x = 0;
            row[x++] = 0x11;  // differs from the row above only in row 0
            for (DWORD k = 0; k < length && x < width; ++k) row[x++] = 0x00;  // equal above (row 0: the seed)
            row[x++] = static_cast<BYTE>(0x21 + r);
            for (DWORD k = 0; k < length && x < width; ++k) row[x++] = static_cast<BYTE>(0x77 + r);
            for (DWORD k = 0; k < length && x < width; ++k) row[x++] = static_cast<BYTE>((k % 2 ? 0x30 : 0x90) + k % 5 + r);
            for (; x < width; ++x) row[x] = static_cast<BYTE>(x % 3 == 0 ? 0x66 : 0x40 + r + x % 3);
        }
        ExpectSameAsReference(b, "length " + std::to_string(length));

        // The exported run coder on the repeat and the literal alone.
        for (RowScan scan : Scanners()) {
            Bytes source(length);
            for (bool repeat : {true, false}) {
                for (DWORD k = 0; k < length; ++k) source[k] = repeat ? 0x5A : static_cast<BYTE>(k % 2 ? 0x10 + k % 7 : 0x80 + k % 5);
                Bytes expected(2 * length + 16, 0xEE);
                Bytes out(2 * length + 16, 0xEE);
                const DWORD n = reference::Run(expected.data(), source.data(), length);
                EXPECT_EQ(CompressRunWith(scan, out.data(), source.data(), length), n) << length << Name(scan);
                EXPECT_EQ(out, expected) << "run of " << length << (repeat ? " repeated" : " distinct") << ", "
                                         << Name(scan);
            }
        }
    }
}

TEST(RowCoderEquivalence, RandomRowsOfOddWidthsStridesAndDensities) {
    std::mt19937 random(0x5EED);
    const DWORD widths[] = {1, 2, 5, 7, 15, 16, 17, 31, 33, 63, 64, 65, 127, 299, 596, 1190};
    // Chance in 256 that a byte changes from the row above, and that a change is a fresh byte
    // rather than a copy of its left neighbour (which makes repeats).
    struct Mix {
        unsigned change;
        unsigned fresh;
    };
    const Mix mixes[] = {{4, 200}, {40, 128}, {128, 60}, {250, 250}, {256, 0}};
    for (DWORD width : widths) {
        for (const Mix& mix : mixes) {
            const DWORD rows = 12;
            Block b = MakeBlock(width, width + random() % 9, rows);
            for (DWORD x = 0; x < width; ++x) b.seed[x] = static_cast<BYTE>(random() % 4 == 0 ? random() : 0);
            for (DWORD r = 0; r < rows; ++r) {
                const BYTE* above = r == 0 ? b.seed.data() : b.Row(r - 1);
                BYTE* row = b.Row(r);
                for (DWORD x = 0; x < width; ++x) {
                    row[x] = above[x];
                    if (random() % 256 >= mix.change) continue;
                    row[x] = x > 0 && random() % 256 >= mix.fresh ? row[x - 1] : static_cast<BYTE>(random() % 4 ? random() : 0xFF);
                }
            }
            ExpectSameAsReference(b, "width " + std::to_string(width) + ", change " + std::to_string(mix.change));
        }
    }
}

TEST(RowCoderEquivalence, ShortStretchesAtWindowEdgesCopyBoundariesAndRowEnds) {
    // The coder looks at 64 bytes at a time from the first change of a row and codes a stretch
    // of up to eight changed bytes without equal neighbours from the masks, so each block here
    // has a first change at `mark`, then one stretch `gap` bytes on (across the window's end,
    // across the one-byte copy code's limit, past the longest copy a window codes itself),
    // `tail` bytes before the row's end. A second row changes the same bytes back to zero.
    enum Pattern { kDistinct, kFirstPairEqual, kLastPairEqual, kAllEqual };
    const DWORD gaps[] = {1, 2, 8, 55, 56, 57, 60, 61, 62, 63, 64, 65, 66, 120, 127, 128, 1096, 1097, 1098, 1099};
    for (DWORD length = 1; length <= 10; ++length) {
        for (Pattern pattern : {kDistinct, kFirstPairEqual, kLastPairEqual, kAllEqual}) {
            if (pattern != kDistinct && length < 2) continue;
            for (DWORD mark : {0u, 3u}) {
                for (DWORD gap : gaps) {
                    for (DWORD tail : {0u, 1u, 6u, 7u, 8u, 9u, 70u}) {
                        const DWORD width = mark + gap + length + tail;
                        Block b = MakeBlock(width, width + 3, 2);
                        BYTE* row = b.Row(0);
                        row[mark] = 0x11;
                        BYTE* at = row + mark + gap;
                        for (DWORD k = 0; k < length; ++k) at[k] = static_cast<BYTE>(0x81 + k);
                        if (pattern == kFirstPairEqual) at[1] = at[0];
                        if (pattern == kLastPairEqual) at[length - 1] = at[length - 2];
                        if (pattern == kAllEqual) std::memset(at, 0x81, length);
                        ExpectSameAsReference(b, "length " + std::to_string(length) + ", pattern " +
                                                     std::to_string(pattern) + ", mark " + std::to_string(mark) +
                                                     ", gap " + std::to_string(gap) + ", tail " +
                                                     std::to_string(tail));
                        if (HasFailure()) return;
                    }
                }
            }
        }
    }
}

TEST(RowCoderEquivalence, RefusesTheSameBlocksAfterTheSameRow) {
    // Rows that cost more than they hold, after rows that cost less: the refusal must come
    // after the same row, with the same bytes written before it.
    for (DWORD width : {1u, 3u, 62u, 63u, 200u}) {
        for (DWORD cheapRows : {0u, 1u, 5u}) {
            Block b = MakeBlock(width, width, cheapRows + 3);
            for (DWORD r = cheapRows; r < b.rows; ++r)
                for (DWORD x = 0; x < width; ++x) b.Row(r)[x] = static_cast<BYTE>(x % 2 ? 0x13 * r + x : 0xC0 ^ x);
            ExpectSameAsReference(b, "width " + std::to_string(width) + ", cheap rows " + std::to_string(cheapRows));
        }
    }
}

}  // namespace
