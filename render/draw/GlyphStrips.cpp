// The strip coding of 1-bit glyph bitmaps that the download command and the glyph image
// blocks carry: the bitmap cut into 16-pixel strips, each strip a set of row flags and the
// rows that differ from the row stored last.
#include <cstring>
#include <utility>

#include "render/draw/GlyphWork.h"

namespace glyphs {

namespace {

constexpr DWORD kStripPixels = 16;
constexpr DWORD kHeaderBytes = 8;       // u32 0, u16 padded width, u16 height
constexpr DWORD kWordMax = 0xFFFF;

DWORD FlagWords(DWORD height) { return height / 32 + (height % 32 != 0 ? 1 : 0); }

void PutWord(BYTE* out, DWORD value) {
    out[0] = static_cast<BYTE>(value >> 8);
    out[1] = static_cast<BYTE>(value);
}

void PutDword(BYTE* out, DWORD value) {
    out[0] = static_cast<BYTE>(value >> 24);
    out[1] = static_cast<BYTE>(value >> 16);
    out[2] = static_cast<BYTE>(value >> 8);
    out[3] = static_cast<BYTE>(value);
}

/// The ink bits of byte index of a row `width` pixels wide (0 beyond the row).
BYTE RowByte(const BYTE* row, DWORD index, DWORD width) {
    const DWORD bytes = RowBytes(width);
    if (index >= bytes) return 0;
    BYTE value = row[index];
    if (index == bytes - 1 && width % 8 != 0) value &= static_cast<BYTE>(0xFFu << (8 - width % 8));
    return value;
}

}  // namespace

DWORD StripCount(DWORD width) { return (RowBytes(width) + 1) / 2; }

ULONGLONG StripCodingBound(DWORD width, DWORD height) {
    const ULONGLONG strips = StripCount(width);
    if (width == 0 || height == 0 || strips * kStripPixels > kWordMax || height > kWordMax) return 0;
    // Per strip: its flag words, every row stored, and the pad of an odd row count.
    const ULONGLONG perStrip = 4ull * FlagWords(height) + 2ull * height + 2;
    return kHeaderBytes + 4 * strips + strips * perStrip;
}

DWORD EncodeStrips(const Bitmap& bitmap, BYTE* out) {
    const DWORD strips = StripCount(bitmap.Width);
    const DWORD words = FlagWords(bitmap.Height);
    PutDword(out, 0);
    PutWord(out + 4, strips * kStripPixels);
    PutWord(out + 6, bitmap.Height);
    BYTE* at = out + kHeaderBytes + 4 * strips;
    for (DWORD strip = 0; strip < strips; ++strip) {
        PutDword(out + kHeaderBytes + 4 * strip, static_cast<DWORD>((at - out) / 4));
        BYTE* flags = at;
        std::memset(flags, 0, 4 * words);
        at += 4 * words;
        DWORD stored = 0;
        DWORD last = 0;
        const BYTE* row = bitmap.Bits;
        for (DWORD r = 0; r < bitmap.Height; ++r, row += bitmap.Stride) {
            const BYTE high = RowByte(row, 2 * strip, bitmap.Width);
            const BYTE low = RowByte(row, 2 * strip + 1, bitmap.Width);
            const DWORD pixels = (static_cast<DWORD>(high) << 8) | low;
            // An unflagged row repeats the one stored last.
            if (r != 0 && pixels == last) continue;
            // Row r is bit r % 32 of big-endian flag word r / 32.
            flags[4 * (r / 32) + 3 - (r % 32) / 8] |= static_cast<BYTE>(1u << (r % 8));
            *at++ = high;
            *at++ = low;
            last = pixels;
            ++stored;
        }
        if (stored % 2 != 0) {
            *at++ = 0;
            *at++ = 0;
        }
    }
    return static_cast<DWORD>(at - out);
}

bool MakeStripImage(PDEV* pdev, const Bitmap& bitmap, StripImage* image) {
    const ULONGLONG bound = StripCodingBound(bitmap.Width, bitmap.Height);
    if (bound == 0 || bitmap.Bits == nullptr) return false;
    ChainBlock data(pdev, bound);
    if (!data) return false;
    image->Length = EncodeStrips(bitmap, data.get());
    image->Data = std::move(data);
    image->PaddedWidth = StripCount(bitmap.Width) * kStripPixels;
    image->Height = bitmap.Height;
    return true;
}

}  // namespace glyphs
