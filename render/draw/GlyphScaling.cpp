// Glyph bitmaps reduced by the scale percent (a target pixel is ink when any source pixel it
// covers is), doubled for the 2x mode and turned for turned N-up pages.
#include <algorithm>
#include <cstring>
#include <utility>

#include "render/draw/GlyphWork.h"

namespace glyphs {

namespace {

constexpr BYTE kSmallestCountStart = 10;
constexpr DWORD kReadBits = 32;

/// The 8 pixels of a byte each twice, in a 16-bit value (leftmost pixel highest).
WORD DoubledByte(BYTE value) {
    DWORD x = value;
    x = (x | (x << 4)) & 0x0F0Fu;
    x = (x | (x << 2)) & 0x3333u;
    x = (x | (x << 1)) & 0x5555u;
    return static_cast<WORD>(x | (x << 1));
}

bool Ink(const BYTE* row, DWORD x) { return (row[x / 8] & (0x80u >> (x % 8))) != 0; }
void SetInk(BYTE* row, DWORD x) { row[x / 8] |= static_cast<BYTE>(0x80u >> (x % 8)); }

/// Any ink among count pixels of the line from first on, read 32 pixels at a time. Each read
/// takes the five bytes that hold 32 pixels from any bit; the line's padding keeps the last
/// of them inside it.
bool AnyInk(const BYTE* line, DWORD first, DWORD count) {
    while (count > 0) {
        const DWORD take = std::min(count, kReadBits);
        const BYTE* at = line + first / 8;
        const ULONGLONG window = (static_cast<ULONGLONG>(at[0]) << 32) | (static_cast<ULONGLONG>(at[1]) << 24) |
                                 (static_cast<ULONGLONG>(at[2]) << 16) | (static_cast<ULONGLONG>(at[3]) << 8) | at[4];
        const DWORD bits = static_cast<DWORD>(window >> (8 - first % 8));
        const DWORD mask = take == kReadBits ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> take);
        if ((bits & mask) != 0) return true;
        first += take;
        count -= take;
    }
    return false;
}

/// ORs one source row's pixels (padding bits cleared) into the line.
void OrRow(BYTE* line, const BYTE* row, DWORD width) {
    const DWORD bytes = RowBytes(width);
    for (DWORD i = 0; i < bytes; ++i) line[i] |= row[i];
    if (width % 8 != 0) line[bytes - 1] &= static_cast<BYTE>(0xFFu << (8 - width % 8));
}

/// A size the strip coding takes (never wider or higher than 16 bits).
bool Codable(ULONGLONG width, ULONGLONG height) {
    return width <= 0xFFFF && height <= 0xFFFF &&
           StripCodingBound(static_cast<DWORD>(width), static_cast<DWORD>(height)) != 0;
}

}  // namespace

ULONGLONG ScaledSize(DWORD scale, DWORD size) { return static_cast<ULONGLONG>(scale) * size / 100; }

bool BuildScaleMap(DWORD scale, DWORD source, DWORD target, ScaleEntry* map, BYTE* largest, BYTE* smallest) {
    if (scale < 1 || scale > 99 || target == 0 || target > source) return false;
    // Each target pixel takes the source pixels its share of 100 / scale reaches; the
    // accumulator carries the remainder, so counts stay within 1 and 100.
    DWORD carry = 100 - scale;
    DWORD first = 0;
    for (DWORD i = 0; i < target; ++i) {
        const DWORD count = carry / scale + 1;
        carry = carry + 100 - count * scale;
        map[i] = ScaleEntry{static_cast<BYTE>(count), first};
        first += count;
        *largest = std::max(*largest, static_cast<BYTE>(count));
        *smallest = std::min(*smallest, static_cast<BYTE>(count));
    }
    // The last entry takes what the counts leave of the source.
    ScaleEntry& last = map[target - 1];
    if (last.First >= source || source - last.First > 0xFF) return false;
    last.Count = static_cast<BYTE>(source - last.First);
    return true;
}

DWORD ScaleLineBytes(DWORD sourceWidth) { return RowBytes(sourceWidth) + 4; }

void ScaleGlyphBitmap(const Bitmap& source, const ScaleEntry* columns, DWORD columnCount, const ScaleEntry* rows,
                      DWORD rowCount, BYTE* line, BYTE* out) {
    const DWORD lineBytes = ScaleLineBytes(source.Width);
    const DWORD outBytes = RowBytes(columnCount);
    for (DWORD y = 0; y < rowCount; ++y) {
        std::memset(line, 0, lineBytes);
        for (DWORD r = 0; r < rows[y].Count; ++r) {
            OrRow(line, source.Bits + static_cast<size_t>(rows[y].First + r) * source.Stride, source.Width);
        }
        BYTE* target = out + static_cast<size_t>(y) * outBytes;
        std::memset(target, 0, outBytes);
        for (DWORD x = 0; x < columnCount; ++x) {
            if (AnyInk(line, columns[x].First, columns[x].Count)) SetInk(target, x);
        }
    }
}

void DoubleBitmap(const Bitmap& source, BYTE* out) {
    const DWORD bytes = RowBytes(source.Width);
    const size_t outBytes = 2 * static_cast<size_t>(bytes);
    for (DWORD y = 0; y < source.Height; ++y) {
        const BYTE* row = source.Bits + static_cast<size_t>(y) * source.Stride;
        BYTE* first = out + 2 * static_cast<size_t>(y) * outBytes;
        for (DWORD i = 0; i < bytes; ++i) {
            const WORD doubled = DoubledByte(row[i]);
            first[2 * i] = static_cast<BYTE>(doubled >> 8);
            first[2 * i + 1] = static_cast<BYTE>(doubled);
        }
        std::memcpy(first + outBytes, first, outBytes);
    }
}

void TurnBitmap(const Bitmap& source, BYTE* out) {
    const DWORD outBytes = RowBytes(source.Height);
    std::memset(out, 0, static_cast<size_t>(outBytes) * source.Width);
    for (DWORD y = 0; y < source.Height; ++y) {
        const BYTE* row = source.Bits + static_cast<size_t>(y) * source.Stride;
        for (DWORD x = 0; x < source.Width; ++x) {
            if (Ink(row, x)) SetInk(out + static_cast<size_t>(source.Width - 1 - x) * outBytes, y);
        }
    }
}

bool PrepareGlyph(PDEV* pdev, const Bitmap& glyph, DWORD scale, bool doubled, PreparedGlyph* out) {
    if (scale == 0) return false;
    const bool reduce = scale < 100;
    const ULONGLONG width = reduce ? ScaledSize(scale, glyph.Width) : glyph.Width;
    const ULONGLONG height = reduce ? ScaledSize(scale, glyph.Height) : glyph.Height;
    // Nothing is worked on that the strip coding would refuse in the end.
    const ULONGLONG factor = doubled ? 2 : 1;
    if (!Codable(width * factor, height * factor)) return false;
    out->Pixels = glyph;
    if (reduce) {
        const auto w = static_cast<DWORD>(width);
        const auto h = static_cast<DWORD>(height);
        ChainBlock columns(pdev, width * sizeof(ScaleEntry));
        ChainBlock rows(pdev, height * sizeof(ScaleEntry));
        ChainBlock line(pdev, ScaleLineBytes(glyph.Width));
        ChainBlock reduced(pdev, static_cast<ULONGLONG>(RowBytes(w)) * h);
        if (!columns || !rows || !line || !reduced) return false;
        auto* columnMap = reinterpret_cast<ScaleEntry*>(columns.get());
        auto* rowMap = reinterpret_cast<ScaleEntry*>(rows.get());
        GlyphCacheState& cache = pdev->GlyphCache;
        cache.ColumnCountMax = cache.RowCountMax = 0;
        cache.ColumnCountMin = cache.RowCountMin = kSmallestCountStart;
        if (!BuildScaleMap(scale, glyph.Width, w, columnMap, &cache.ColumnCountMax, &cache.ColumnCountMin) ||
            !BuildScaleMap(scale, glyph.Height, h, rowMap, &cache.RowCountMax, &cache.RowCountMin)) {
            return false;
        }
        ScaleGlyphBitmap(glyph, columnMap, w, rowMap, h, line.get(), reduced.get());
        out->Reduced = std::move(reduced);
        out->Pixels = Bitmap{out->Reduced.get(), RowBytes(w), w, h};
    }
    if (doubled) {
        const Bitmap& from = out->Pixels;
        const ULONGLONG bytes = 4ull * RowBytes(from.Width) * from.Height;
        ChainBlock twice(pdev, bytes);
        if (!twice) return false;
        DoubleBitmap(from, twice.get());
        out->Doubled = std::move(twice);
        out->Pixels = Bitmap{out->Doubled.get(), 2 * RowBytes(from.Width), 2 * from.Width, 2 * from.Height};
    }
    return true;
}

}  // namespace glyphs
