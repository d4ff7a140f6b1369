#pragma once
// The printer's 30 resident fonts: their metric resources, the two process-wide glyph sets
// and the font query hooks' helpers.
#include "platform/Ddi.h"
#include "render/Pdev.h"

inline constexpr BYTE kDeviceFontCount = 30;

/// The header of a font resource (all offsets from its start).
struct DeviceFontResource {
    DWORD Size;
    DWORD Version;            // 0x00010000
    DWORD Reserved8[2];
    LONG FontBox[5];
    DWORD DisplayNameOffset;
    DWORD HyphenatedNameOffset;
    DWORD FamilyNameOffset;
    DWORD SelectIdOffset;     // 8 ASCII characters
    DWORD KerningPairCount;
    DWORD KerningPairOffset;
    DWORD WidthCount;         // 226 single-byte, 95 Shift-JIS
    DWORD WidthOffset;        // u16 widths, then (4-aligned) one code byte per width
    DWORD Reserved68;
    DWORD MetricsOffset;      // IFIMETRICS
};
static_assert(sizeof(DeviceFontResource) == 76);

/// Made by DrvEnableDriver (the default single-byte glyph set); TRUE when made.
BOOL CreateDefaultGlyphSet();
/// Frees both process-wide glyph sets (DrvDisableDriver).
void FreeDefaultGlyphSet();
/// Loads fonts 1 to 30 into the device (graphics-only: none). FALSE on the first failure.
[[nodiscard]] BOOL LoadDeviceFonts(PDEV* pdev);
/// The device's font resource of face n (1 to the font count), else NULL.
const DeviceFontResource* DeviceFont(const PDEV* pdev, ULONG face);
/// The font's metrics and its 8-character select id ("06F1-002").
const IFIMETRICS* DeviceFontMetrics(const DeviceFontResource* font);
const char* DeviceFontSelectId(const DeviceFontResource* font);
/// The advance of a glyph handle in 1/1000 em by the font's code table (0x95, space or the
/// first entry when the code is missing).
WORD DeviceFontCodeWidth(const DeviceFontResource* font, BYTE code);

/// Lengths of integer vectors: VectorLength is the printer's approximation, EuclidLength the
/// integer square root of the sum of squares.
ULONG VectorLength(LONG x, LONG y);
ULONG EuclidLength(LONG x, LONG y);
ULONG IntegerSqrt(ULONGLONG n);
/// Whole degrees 0 to 359 of a sine in 1/10000.
ULONG AngleFromSine(LONG sine);
/// round(10000 sin a) and round(10000 cos a) of whole degrees (any value; reduced to 0-359).
LONG SineOf(LONG degrees);
LONG CosineOf(LONG degrees);
