#pragma once
// The band of a graphics-only page sent as raster image commands at the page end: the
// non-white runs of rows ("chunks", at most one inch each) go out inverted (a set bit black),
// row-compressed when that is shorter, then the page is decorated, counted and ejected.
#include "platform/Ddi.h"
#include "render/Pdev.h"

/// The page end of a graphics-only page (GDI calls it once per page, the whole page being
/// one band). TRUE with *pptl = (-1, -1) (no more bands; pptl may be NULL). FALSE with last
/// error 87 for a bad device or a band that is not a top-down engine bitmap; FALSE without a
/// last error when the output has failed or the reduced page cannot be made (then nothing
/// is written and the band is left as it is).
[[nodiscard]] BOOL DrvNextBand(SURFOBJ* pso, POINTL* pptl) noexcept;

// The raster image writers. data holds rows x stride bytes (size must cover them); the
// writers invert those bytes in place. widthBits is the image width in pixels (stride x 8
// from the band writer; never more than stride x 8 is read). Nothing is returned: a chunk
// wholly off the device page is dropped, and an allocation failure sends it raw or uncut.

/// A chunk of page rows starting at page row y, at the left edge (x is not used); cut at
/// the device page's right edge.
void WriteBandRaster(PDEV* pdev, DWORD widthBits, DWORD rows, LONG x, LONG y, BYTE* data, DWORD size, DWORD stride);
/// A chunk of a reduced N-up page, placed in the current slot of the sheet; (x, y) is the
/// chunk's place inside the slot in dots.
void WriteRasterImage(PDEV* pdev, DWORD widthBits, DWORD rows, LONG x, LONG y, BYTE* data, DWORD size, DWORD stride);
/// A chunk turned by 90 degrees (its first column becomes the bottom row) and written with
/// WriteRasterImage at (y, x); data is not changed. Nothing is written when the turned copy
/// cannot be allocated.
void WriteRotatedRasterImage(PDEV* pdev, DWORD widthBits, DWORD rows, LONG x, LONG y, DWORD stride, const BYTE* data);
