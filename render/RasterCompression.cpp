#include "render/RasterCompression.h"

#include <cstring>

namespace {

constexpr DWORD kShortMax = 62;  // counts up to 62 fit in the code byte itself

/// Writes the extension of a count of 63 or more: one 0xFF per 255, then the remainder.
BYTE* PutExtension(BYTE* out, DWORD count) {
    DWORD e = count - 63;
    const DWORD fills = e / 255;
    std::memset(out, 0xFF, fills);
    out += fills;
    *out++ = static_cast<BYTE>(e % 255);
    return out;
}

BYTE* PutRepeat(BYTE* out, DWORD count, BYTE value) {
    if (count <= kShortMax) {
        *out++ = static_cast<BYTE>(0x80 + count);
    } else {
        *out++ = 0xBF;
        out = PutExtension(out, count);
    }
    *out++ = value;
    return out;
}

BYTE* PutLiteral(BYTE* out, const BYTE* bytes, DWORD count) {
    if (count <= kShortMax) {
        *out++ = static_cast<BYTE>(0x40 + count);
    } else {
        *out++ = 0x7F;
        out = PutExtension(out, count);
    }
    std::memcpy(out, bytes, count);
    return out + count;
}

/// End of the run of bytes equal to the row above from pos on, compared a word at a time.
DWORD SkipSameAsAbove(const BYTE* row, const BYTE* above, DWORD pos, DWORD width) {
    while (width - pos >= sizeof(unsigned long long)) {
        unsigned long long a;
        unsigned long long b;
        std::memcpy(&a, row + pos, sizeof a);
        std::memcpy(&b, above + pos, sizeof b);
        if (a != b) break;
        pos += sizeof a;
    }
    while (pos < width && row[pos] == above[pos]) ++pos;
    return pos;
}

BYTE* PutCopyAbove(BYTE* out, DWORD count) {
    if (count <= kShortMax) {
        *out++ = static_cast<BYTE>(count);
        return out;
    }
    *out++ = 0x3F;
    return PutExtension(out, count);
}

}  // namespace

DWORD CompressRun(BYTE* out, const BYTE* source, DWORD count) {
    BYTE* const start = out;
    DWORD i = 0;
    while (i < count) {
        if (count - i == 1) {
            *out++ = 0x41;
            *out++ = source[i];
            break;
        }
        if (source[i] == source[i + 1]) {
            // A repeat takes every following byte of the same value.
            DWORD end = i + 2;
            while (end < count && source[end] == source[i]) ++end;
            out = PutRepeat(out, end - i, source[i]);
            i = end;
            continue;
        }
        // A literal stops just before the next pair of equal bytes, which starts a repeat.
        DWORD end = i + 2;
        while (end < count && source[end] != source[end - 1]) ++end;
        if (end < count) --end;  // leave the first byte of the pair to the repeat
        out = PutLiteral(out, source + i, end - i);
        i = end;
    }
    return static_cast<DWORD>(out - start);
}

BYTE* CompressRasterRows(const BYTE* seed, const BYTE* first, DWORD rows, DWORD width, BYTE* out, DWORD stride) {
    BYTE* const start = out;
    const unsigned long long rawSize = static_cast<unsigned long long>(rows) * width;
    const BYTE* above = seed;
    const BYTE* row = first;
    for (DWORD r = 0; r < rows; ++r) {
        DWORD pos = 0;
        while (pos < width) {
            DWORD stretch = pos;
            while (pos < width && row[pos] != above[pos]) ++pos;
            if (pos > stretch) out += CompressRun(out, row + stretch, pos - stretch);
            if (pos >= width) break;
            const DWORD same = pos;
            pos = SkipSameAsAbove(row, above, pos, width);
            out = PutCopyAbove(out, pos - same);
        }
        *out++ = 0x80;
        // The size test runs once per row: one row may overrun before the block is refused.
        if (static_cast<unsigned long long>(out - start) > rawSize) return nullptr;
        above = row;
        row += stride;
    }
    return out;
}
