#pragma once
// Glyphs of fonts the printer does not hold: downloaded once into a download font and printed
// by code, or sent as glyph images; the strip coding of glyph bitmaps and their reduction.
#include "platform/Ddi.h"
#include "render/Pdev.h"

/// TRUE when the glyph was printed from the cache or downloaded and printed; FALSE: print it
/// another way. position (may be NULL) replaces the GLYPHPOS position.
[[nodiscard]] BOOL DownloadGlyph(PDEV* pdev, FONTOBJ* font, XFORMOBJ* transform, HGLYPH glyph, GLYPHPOS* pos,
                                 POINTL* position);
/// The glyph as a scaled image block (scale above 100, turned N-up pages).
[[nodiscard]] BOOL WriteGlyphBitmaps(PDEV* pdev, GLYPHPOS* pos, POINTL* position, FONTOBJ* font);
/// The glyph as an image reduced by the scale (or scaled by the printer above 100).
[[nodiscard]] BOOL WriteScaledGlyphBitmaps(PDEV* pdev, GLYPHPOS* pos, POINTL* position, FONTOBJ* font);
/// Frees every cached glyph record and empties the buckets (the budget stays as it is).
void FreeFontCache(PDEV* pdev);
/// Empties the cache and restores the budget, the first download font id and its first
/// character code: a new job or a table reset (which sends no command).
void ResetGlyphCache(PDEV* pdev);
/// A page has ended: later glyphs go into the next download font (the cached ones stay
/// printable under the font they went into), which costs the budget a font's memory.
void OpenNextDownloadFont(PDEV* pdev);
