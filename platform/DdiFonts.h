#pragma once
// The font, string, transform and brush records of the engine's driver interface, and the
// engine services a driver calls on them. Included by platform/Ddi.h.
//
// Layouts are the stand-in's own and the same on 32- and 64-bit builds except where a record
// holds a pointer (WCRUN, GLYPHDEF, GLYPHDATA): offsets in IFIMETRICS are 32-bit values
// counted from the start of the record.

// --- Fixed-point and transform records ---
using FWORD = SHORT;  // font design units
using PTRDIFF = LONG; // offsets inside a record

struct POINTE { FLOATL x; FLOATL y; };
struct POINTQF { LONGLONG x; LONGLONG y; };  // 32.32 fixed point: whole part in the high half
struct XFORML {
    FLOATL eM11;
    FLOATL eM12;
    FLOATL eM21;
    FLOATL eM22;
    FLOATL eDx;
    FLOATL eDy;
};

// XFORMOBJ_iGetXform classes.
#define GX_IDENTITY 0u
#define GX_OFFSET 1u
#define GX_SCALE 2u
#define GX_GENERAL 3u
// XFORMOBJ_bApplyXform modes.
#define XF_LTOL 0u      // long points in, long points out
#define XF_INV_LTOL 1u
#define XF_LTOFX 2u     // long points in, 28.4 points out
#define XF_INV_FXTOL 3u

// --- Fonts ---
#define FO_TYPE_RASTER 0x1u
#define FO_TYPE_DEVICE 0x2u
#define FO_TYPE_TRUETYPE 0x4u
#define FO_SIM_BOLD 0x00002000u
#define FO_SIM_ITALIC 0x00004000u
// FONTOBJ_cGetGlyphs and DrvGetGlyphMode.
#define FO_HGLYPHS 0u
#define FO_GLYPHBITS 1u
#define FO_PATHOBJ 2u

#define FM_INFO_CONSTANT_WIDTH 0x00001000u
#define FM_INFO_DBCS_FIXED_PITCH 0x10000000u

struct IFIMETRICS {
    ULONG cjThis;
    ULONG cjIfiExtra;
    PTRDIFF dpwszFamilyName;
    PTRDIFF dpwszStyleName;
    PTRDIFF dpwszFaceName;
    PTRDIFF dpwszUniqueName;
    PTRDIFF dpFontSim;
    LONG lEmbedId;
    LONG lItalicAngle;
    LONG lCharBias;
    PTRDIFF dpCharSets;
    BYTE jWinCharSet;
    BYTE jWinPitchAndFamily;
    USHORT usWinWeight;
    ULONG flInfo;
    USHORT fsSelection;
    USHORT fsType;
    FWORD fwdUnitsPerEm;
    FWORD fwdLowestPPEm;
    FWORD fwdWinAscender;
    FWORD fwdWinDescender;
    FWORD fwdMacAscender;
    FWORD fwdMacDescender;
    FWORD fwdMacLineGap;
    FWORD fwdTypoAscender;
    FWORD fwdTypoDescender;
    FWORD fwdTypoLineGap;
    FWORD fwdAveCharWidth;
    FWORD fwdMaxCharInc;
    FWORD fwdCapHeight;
    FWORD fwdXHeight;
    FWORD fwdSubscriptXSize;
    FWORD fwdSubscriptYSize;
    FWORD fwdSubscriptXOffset;
    FWORD fwdSubscriptYOffset;
    FWORD fwdSuperscriptXSize;
    FWORD fwdSuperscriptYSize;
    FWORD fwdSuperscriptXOffset;
    FWORD fwdSuperscriptYOffset;
    FWORD fwdUnderscoreSize;
    FWORD fwdUnderscorePosition;
    FWORD fwdStrikeoutSize;
    FWORD fwdStrikeoutPosition;
    BYTE chFirstChar;
    BYTE chLastChar;
    BYTE chDefaultChar;
    BYTE chBreakChar;
    WCHAR wcFirstChar;
    WCHAR wcLastChar;
    WCHAR wcDefaultChar;
    WCHAR wcBreakChar;
    POINTL ptlBaseline;
    POINTL ptlAspect;
    POINTL ptlCaret;
    RECTL rclFontBox;
    BYTE achVendId[4];
    ULONG cKerningPairs;
    ULONG ulPanoseCulture;
    BYTE panose[10];
    BYTE reserved[2];
};
static_assert(sizeof(IFIMETRICS) == 184);  // the same on 32- and 64-bit builds


struct FD_KERNINGPAIR {
    WCHAR wcFirst;
    WCHAR wcSecond;
    FWORD fwdKern;
};
static_assert(sizeof(FD_KERNINGPAIR) == 6);

struct FD_DEVICEMETRICS {
    FLONG flRealizedType;
    POINTE pteBase;
    POINTE pteSide;
    LONG lD;
    FIX fxMaxAscender;
    FIX fxMaxDescender;
    POINTL ptlUnderline1;
    POINTL ptlStrikeOut;
    POINTL ptlULThickness;
    POINTL ptlSOThickness;
    ULONG cxMax;
    ULONG cyMax;
    ULONG cjGlyphMax;
    FLOATL fdxQuantized[4];
    LONG lNonLinearExtLeading;
    LONG lNonLinearIntLeading;
    LONG lNonLinearMaxCharWidth;
    LONG lNonLinearAvgCharWidth;
    LONG lMinA;
    LONG lMinC;
    LONG lMinD;
    LONG alReserved[1];
};
static_assert(sizeof(FD_DEVICEMETRICS) == 124);

struct GLYPHDATA {
    GLYPHDEF gdf;
    HGLYPH hg;
    FIX fxD;
    FIX fxA;
    FIX fxAB;
    FIX fxInkTop;
    FIX fxInkBottom;
    RECTL rclInk;
    POINTQF ptqD;
};

// DrvQueryFontTree modes.
#define QFT_LIGATURES 1u
#define QFT_KERNPAIRS 2u
#define QFT_GLYPHSET 3u
// DrvQueryFontData modes.
#define QFD_GLYPHANDBITMAP 1u
#define QFD_GLYPHANDOUTLINE 2u
#define QFD_MAXEXTENTS 3u
#define FD_ERROR 0xFFFFFFFFu
// DrvQueryAdvanceWidths modes.
#define QAW_GETWIDTHS 0u
#define QAW_GETEASYWIDTHS 1u

// --- Strings ---
#define SO_FLAG_DEFAULT_PLACEMENT 0x00000001u
#define SO_HORIZONTAL 0x00000002u
#define SO_VERTICAL 0x00000004u
#define SO_REVERSED 0x00000008u
#define SO_ZERO_BEARINGS 0x00000010u
#define SO_CHAR_INC_EQUAL_BM_BASE 0x00000020u
#define SO_MAXEXT_EQUAL_BM_SIDE 0x00000040u
#define SO_GLYPHINDEX_TEXTOUT 0x00000100u

// --- Brushes and colour translation ---
#define HS_HORIZONTAL 0u
#define HS_VERTICAL 1u
#define HS_FDIAGONAL 2u
#define HS_BDIAGONAL 3u
#define HS_CROSS 4u
#define HS_DIAGCROSS 5u
#define XO_TRIVIAL 0x00000001u
#define XO_TABLE 0x00000002u

// --- Engine services on these records ---
/// The transform's class (GX_*); *pxform receives its matrix. GX_IDENTITY for the unit matrix
/// without offset, GX_OFFSET for the unit matrix with one; GX_SCALE for a diagonal matrix whose
/// two factors have the same sign (any offset); GX_GENERAL for everything else: a rotation,
/// shear, mirror (factors of differing signs) or a zero factor. 0xFFFFFFFF for an unknown
/// transform object.
PLATFORM_API ULONG XFORMOBJ_iGetXform(XFORMOBJ* pxo, XFORML* pxform);
/// Applies the transform to cPoints POINTL: x' = x eM11 + y eM21 + eDx, y' = x eM12 + y eM22
/// + eDy (XF_LTOL: result rounded to whole units; XF_LTOFX: result in 28.4 fixed point,
/// rounded to 1/16; XF_INV_LTOL and XF_INV_FXTOL (28.4 points in): the inverse), halves away
/// from zero. pvOut may be pvIn. FALSE, with nothing written, for an unknown object or mode, a
/// singular matrix for an inverse, or a result that is not a number or beyond 32 bits.
PLATFORM_API BOOL XFORMOBJ_bApplyXform(XFORMOBJ* pxo, ULONG iMode, ULONG cPoints, PVOID pvIn, PVOID pvOut);

/// The font's notional-to-device transform; NULL for an unknown font object.
PLATFORM_API XFORMOBJ* FONTOBJ_pxoGetXform(FONTOBJ* pfo);
/// The metrics of a TrueType (engine) font; NULL for a device font or an unknown object.
PLATFORM_API IFIMETRICS* FONTOBJ_pifi(FONTOBJ* pfo);
/// FO_GLYPHBITS: *ppvGlyph receives a GLYPHDATA whose gdf.pgb holds the glyph's bitmap (1 bit
/// per pixel, rows padded to bytes, top row first, set bit = ink; the whole upright cell, its
/// origin at (0, -ascent) from the baseline point) and whose ptqD is the advance along x;
/// valid until the next call on this font. phg[0] only. Returns the glyphs handed out (1), or
/// 0 for a device font, an unknown font, glyph (beyond 0xFFFF) or mode.
PLATFORM_API ULONG FONTOBJ_cGetGlyphs(FONTOBJ* pfo, ULONG iMode, ULONG cGlyph, HGLYPH* phg, PVOID* ppvGlyph);

/// A zero-filled block of cj bytes owned by the brush object (freed with the brush); NULL when
/// cj is 0 or above 64 MB, or the object is not an engine brush.
PLATFORM_API PVOID BRUSHOBJ_pvAllocRbrush(BRUSHOBJ* pbo, ULONG cj);
/// The driver's realization of the brush: when the brush has none yet, the engine calls the
/// driver's DrvRealizeBrush (the hook of the target surface's device) with (pbo, target, the
/// brush's pattern surface (for a hatch its 8 x 8 1-bit cell, ink = 1), no mask, an XLATEOBJ of
/// the brush's colour table (trivial without one), iHatch: HS_* for a hatch, 6 for a pattern
/// brush). The realization is the last block the hook allocated with BRUSHOBJ_pvAllocRbrush;
/// it is kept in pvRbrush and handed out again without a call. NULL when the driver refuses or
/// allocated nothing, the device has no hook, the target is gone, or the brush is solid or
/// unknown.
PLATFORM_API PVOID BRUSHOBJ_pvGetRbrush(BRUSHOBJ* pbo);
