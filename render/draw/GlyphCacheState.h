#pragma once
// The device state of the glyph cache: downloaded glyphs by bucket, the key and bitmap of the
// glyph at hand, and what the last reduction's scale maps looked like. The download font's
// id, its next character code and the printer-memory budget sit in the PDEV beside it.
#include "platform/WinTypes.h"

inline constexpr DWORD kGlyphBuckets = 1999;

/// What tells one glyph bitmap from another: the same key prints the same bits.
struct GlyphKey {
    ULONGLONG FontFile;       // FONTOBJ iFile
    ULONGLONG TrueTypeId;     // FONTOBJ iTTUniq
    DWORD Width;              // width measure of the font's size
    DWORD Height;             // height measure
    DWORD Style;              // bit 0 italic, bit 1 bold
    DWORD Escapement;         // whole degrees
    WORD Glyph;               // the code the glyph was asked for by
    DWORD GlyphIndexText;     // SO_GLYPHINDEX_TEXTOUT of the string; the text output sets it
};

/// One glyph the printer holds; a block of its own on the allocation chain.
struct GlyphCacheRecord {
    ULONGLONG FontFile;
    ULONGLONG TrueTypeId;
    DWORD Width;
    DWORD Height;
    DWORD Style;
    DWORD Escapement;
    WORD Glyph;
    WORD CharacterCode;       // in its download font; 0 until downloaded
    WORD FontId;              // the download font it went into (0xF000 until downloaded)
    DWORD Reserved[2];
    DWORD GlyphIndexText;
    GlyphCacheRecord* Next;   // the next record of the bucket
};

struct GlyphCacheState {
    GlyphCacheRecord* Buckets[kGlyphBuckets];
    GlyphKey Key;             // of the glyph at hand (ComputeGlyphKey)
    // The glyph bitmap at hand: 1 bit a pixel, rows padded to bytes, top row first. The bits
    // belong to the engine (valid until its next glyph call on the font) or to the caller.
    const BYTE* Bits;
    SIZEL BitmapSize;
    POINTL BitmapOrigin;
    // Largest and smallest source-pixel counts of the last column and row maps.
    BYTE ColumnCountMax;
    BYTE ColumnCountMin;      // starts at 10
    BYTE RowCountMax;
    BYTE RowCountMin;         // starts at 10
};
