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

inline constexpr WORD kFontResourceType = 200;
inline constexpr WORD kGlyphSetResourceType = 260;
inline constexpr WORD kShiftJisGlyphSetName = 1;
inline constexpr LANGID kFontResourceLanguage = 0x409;
/// The driver takes a font resource's size as 16 bits: a bigger one is refused.
inline constexpr DWORD kMaxFontResourceSize = 0xFFFF;
inline constexpr BYTE kShiftJisCharset = 128;
inline constexpr BYTE kHangulCharset = 129;
inline constexpr BYTE kChineseBig5Charset = 136;

/// Made by DrvEnableDriver (the default single-byte glyph set); TRUE when made.
BOOL CreateDefaultGlyphSet();
/// Frees both process-wide glyph sets (DrvDisableDriver; before the settings lock goes).
void FreeDefaultGlyphSet();
/// The process-wide Shift-JIS glyph set, loaded under the settings lock on first use (the
/// device's module holds the resource); NULL while the resource cannot be loaded.
FD_GLYPHSET* ShiftJisGlyphSet(PDEV* pdev);
/// A new GlobalAlloc block with the module's Shift-JIS glyph set, its runs' handle pointers
/// set to the handles that follow them; NULL when the resource is missing or malformed.
/// Free it with GlobalFree.
[[nodiscard]] FD_GLYPHSET* LoadShiftJisGlyphSet(PDEV* pdev);
/// A copy of font resource n of the device's module on its allocation chain, or NULL.
[[nodiscard]] DeviceFontResource* LoadFontResource(PDEV* pdev, ULONG n);
/// Loads fonts 1 to the device's font count into a new FontResourceTable (count 0: none).
/// FALSE on the first failure; what was loaded stays on the chain for FreePDEV.
[[nodiscard]] BOOL LoadDeviceFonts(PDEV* pdev);
/// The device's font resource of face n (1 to the font count), else NULL.
const DeviceFontResource* DeviceFont(const PDEV* pdev, ULONG face);
/// The font's metrics and its 8-character select id ("06F1-002").
const IFIMETRICS* DeviceFontMetrics(const DeviceFontResource* font);
const char* DeviceFontSelectId(const DeviceFontResource* font);
/// The font's kerning pairs (KerningPairCount of them, then an all-zero pair); NULL when none.
const FD_KERNINGPAIR* DeviceFontKerningPairs(const DeviceFontResource* font);
/// True for the double-byte fonts (charset 128, 129 or 136).
bool IsDoubleByteFont(const DeviceFontResource* font);
/// The advance of a glyph handle in 1/1000 em by the font's code table (0x95, space or the
/// first entry when the code is missing).
WORD DeviceFontCodeWidth(const DeviceFontResource* font, BYTE code);

/// Lengths of integer vectors: VectorLength is the printer's approximation, EuclidLength the
/// integer square root of the sum of squares.
ULONG VectorLength(LONG x, LONG y);
ULONG EuclidLength(LONG x, LONG y);
ULONG IntegerSqrt(ULONGLONG n);
/// Whole degrees of a sine in 1/10000: the one of 0 to 90 whose table sine is nearest |sine|
/// (beyond 10000 counts as 10000), or 360 minus that for a negative sine (0 stays 0).
ULONG AngleFromSine(LONG sine);
/// Whole degrees (0 to 359) of a font transform's baseline direction: each matrix entry times
/// entryScale, truncated into the 32-bit range (NaN as 0), then the printer's arcsine of the
/// first row, turned for a negative eM11; a matrix without a diagonal turns by 90 or 270.
ULONG EscapementDegrees(const XFORML& matrix, double entryScale);
/// round(10000 sin a) and round(10000 cos a) of whole degrees (any value; reduced to 0-359).
LONG SineOf(LONG degrees);
LONG CosineOf(LONG degrees);
