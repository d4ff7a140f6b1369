#pragma once
// The device state of the glyph cache: downloaded glyphs by bucket.
#include "platform/WinTypes.h"

struct GlyphCacheRecord;

inline constexpr DWORD kGlyphBuckets = 1999;

struct GlyphCacheState {
    GlyphCacheRecord* Buckets[kGlyphBuckets];
};
