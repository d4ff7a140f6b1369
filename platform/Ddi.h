#pragma once
// The graphics engine's driver interface: the records that GDI and a printer graphics
// driver exchange, the driver's hook signatures, and the engine services a driver calls.
// The stand-in engine (platform/src/engine/Engine*.cpp) implements the services and
// rasterises the engine's own drawing into engine bitmaps of 1, 8, 24 and 32 bits per pixel.
//
// Colours, as the stand-in reads them: on a 1-bit bitmap a set bit is white and a cleared bit
// black (the palette {black, white}); a solid colour or erase colour of 0 or 1 is that palette
// index, any other value an RGB colour 0x00BBGGRR that counts as white when its luminance is at
// least half. 8-bit bitmaps hold gray levels (0 black, 255 white); 24- and 32-bit bitmaps hold
// blue, green, red bytes in that order, and their colours are RGB values 0x00BBGGRR.
#include "platform/DevMode.h"
#include "platform/LogFont.h"
#include "platform/Rop2.h"
#include "platform/WinTypes.h"

using FLONG = ULONG;
using MIX = ULONG;
using ROP4 = ULONG;
using FIX = LONG;  // 28.4 fixed point
using HGLYPH = ULONG;
using FLOATL = float;
using PFN = LONG_PTR (*)();

struct DHPDEV__;
using DHPDEV = DHPDEV__*;
struct DHSURF__;
using DHSURF = DHSURF__*;
struct HSURF__;
using HSURF = HSURF__*;
struct HDEV__;
using HDEV = HDEV__*;
using HBITMAP = HSURF;
struct HPALETTE__;
using HPALETTE = HPALETTE__*;
struct HDRVOBJ__;

struct POINTFIX { FIX x; FIX y; };
struct RECTFX { FIX xLeft; FIX yTop; FIX xRight; FIX yBottom; };

// --- Driver enable records ---
struct DRVFN {
    ULONG iFunc;
    PFN pfn;
};
struct DRVENABLEDATA {
    ULONG iDriverVersion;
    ULONG c;
    DRVFN* pdrvfn;
};
#define DDI_DRIVER_VERSION_NT5 0x00020000u
#define DRVQUERY_USERMODE 1u

// Hook indexes (DRVFN::iFunc).
#define INDEX_DrvEnablePDEV 0u
#define INDEX_DrvCompletePDEV 1u
#define INDEX_DrvDisablePDEV 2u
#define INDEX_DrvEnableSurface 3u
#define INDEX_DrvDisableSurface 4u
#define INDEX_DrvResetPDEV 7u
#define INDEX_DrvRealizeBrush 12u
#define INDEX_DrvDitherColor 13u
#define INDEX_DrvStrokePath 14u
#define INDEX_DrvFillPath 15u
#define INDEX_DrvStrokeAndFillPath 16u
#define INDEX_DrvPaint 17u
#define INDEX_DrvBitBlt 18u
#define INDEX_DrvCopyBits 19u
#define INDEX_DrvStretchBlt 20u
#define INDEX_DrvTextOut 23u
#define INDEX_DrvEscape 24u
#define INDEX_DrvQueryFont 26u
#define INDEX_DrvQueryFontTree 27u
#define INDEX_DrvQueryFontData 28u
#define INDEX_DrvSendPage 32u
#define INDEX_DrvStartPage 33u
#define INDEX_DrvEndDoc 34u
#define INDEX_DrvStartDoc 35u
#define INDEX_DrvGetGlyphMode 37u
#define INDEX_DrvQueryAdvanceWidths 53u
#define INDEX_DrvStartBanding 57u
#define INDEX_DrvNextBand 58u
#define INDEX_LAST 89u

// --- Device information ---
#define DT_RASPRINTER 2u
#define GCAPS_BEZIERS 0x00000001u
#define GCAPS_GEOMETRICWIDE 0x00000002u
#define GCAPS_ALTERNATEFILL 0x00000004u
#define GCAPS_WINDINGFILL 0x00000008u
#define GCAPS_HALFTONE 0x00000010u
#define GCAPS_COLOR_DITHER 0x00000020u
#define GCAPS_OPAQUERECT 0x00000100u
#define GCAPS_MONO_DITHER 0x00000400u
#define GCAPS_DONTJOURNAL 0x00002000u
#define PRIMARY_ORDER_CBA 4u
#define HT_FORMAT_1BPP 0u
#define HT_FLAG_HAS_BLACK_DYE 0x00000002u
#define SHIFTJIS_CHARSET 128


struct GDIINFO {
    ULONG ulVersion;
    ULONG ulTechnology;
    ULONG ulHorzSize;
    ULONG ulVertSize;
    ULONG ulHorzRes;
    ULONG ulVertRes;
    ULONG cBitsPixel;
    ULONG cPlanes;
    ULONG ulNumColors;
    ULONG flRaster;
    ULONG ulLogPixelsX;
    ULONG ulLogPixelsY;
    ULONG flTextCaps;
    ULONG ulDACRed;
    ULONG ulDACGreen;
    ULONG ulDACBlue;
    ULONG ulAspectX;
    ULONG ulAspectY;
    ULONG ulAspectXY;
    LONG xStyleStep;
    LONG yStyleStep;
    LONG denStyleStep;
    POINTL ptlPhysOffset;
    SIZEL szlPhysSize;
    ULONG ulNumPalReg;
    COLORINFO ciDevice;
    ULONG ulDevicePelsDPI;
    ULONG ulPrimaryOrder;
    ULONG ulHTPatternSize;
    ULONG ulHTOutputFormat;
    ULONG flHTFlags;
    ULONG ulVRefresh;
    ULONG ulBltAlignment;
    ULONG ulPanningHorzRes;
    ULONG ulPanningVertRes;
    ULONG xPanningAlignment;
    ULONG yPanningAlignment;
    ULONG cxHTPat;
    ULONG cyHTPat;
    LPBYTE pHTPatA;
    LPBYTE pHTPatB;
    LPBYTE pHTPatC;
    ULONG flShadeBlend;
    ULONG ulPhysicalPixelCharacteristics;
    ULONG ulPhysicalPixelGamma;
};
static_assert(sizeof(GDIINFO) == (sizeof(void*) == 8 ? 320 : 304));

struct DEVINFO {
    FLONG flGraphicsCaps;
    LOGFONTW lfDefaultFont;
    LOGFONTW lfAnsiVarFont;
    LOGFONTW lfAnsiFixFont;
    ULONG cFonts;
    ULONG iDitherFormat;
    USHORT cxDither;
    USHORT cyDither;
    HPALETTE hpalDefault;
    FLONG flGraphicsCaps2;
};

// --- Surfaces ---
#define BMF_1BPP 1u
#define BMF_4BPP 2u
#define BMF_8BPP 3u
#define BMF_16BPP 4u
#define BMF_24BPP 5u
#define BMF_32BPP 6u
#define BMF_TOPDOWN 0x0001u
#define BMF_NOZEROINIT 0x0002u
#define BMF_DONTCACHE 0x0004u
#define BMF_USERMEM 0x0008u
#define STYPE_BITMAP 0
#define STYPE_DEVICE 1
#define STYPE_DEVBITMAP 3

#define HOOK_BITBLT 0x00000001u
#define HOOK_STRETCHBLT 0x00000002u
#define HOOK_TEXTOUT 0x00000008u
#define HOOK_PAINT 0x00000010u
#define HOOK_STROKEPATH 0x00000020u
#define HOOK_FILLPATH 0x00000040u
#define HOOK_STROKEANDFILLPATH 0x00000080u
#define HOOK_COPYBITS 0x00000400u

struct SURFOBJ {
    DHSURF dhsurf;
    HSURF hsurf;
    DHPDEV dhpdev;
    HDEV hdev;
    SIZEL sizlBitmap;
    ULONG cjBits;
    PVOID pvBits;
    PVOID pvScan0;
    LONG lDelta;
    ULONG iUniq;
    ULONG iBitmapFormat;
    USHORT iType;
    USHORT fjBitmap;
};

// --- Palettes ---
#define PAL_INDEXED 0x00000001u
#define PAL_BITFIELDS 0x00000002u
#define PAL_RGB 0x00000004u
#define PAL_BGR 0x00000008u

// --- Drawing objects ---
#define DC_TRIVIAL 0
#define DC_RECT 1
#define DC_COMPLEX 3
#define FC_RECT 1
#define TC_RECTANGLES 0
#define CT_RECTANGLES 0
#define CD_ANY 4
struct CLIPOBJ {
    ULONG iUniq;
    RECTL rclBounds;
    BYTE iDComplexity;
    BYTE iFComplexity;
    BYTE iMode;
    BYTE fjOptions;
};
#define FC_RECT4 2
#define FC_COMPLEX 3
#define TC_PATHOBJ 2
#define CD_RIGHTDOWN 0
#define CD_LEFTDOWN 1
#define CD_RIGHTUP 2
#define CD_LEFTUP 3
struct ENUMRECTS {
    ULONG c;
    RECTL arcl[1];
};

struct BRUSHOBJ {
    ULONG iSolidColor;  // 0xFFFFFFFF: not a solid colour
    PVOID pvRbrush;
    FLONG flColorType;
};

struct XLATEOBJ {
    ULONG iUniq;
    FLONG flXlate;
    USHORT iSrcType;
    USHORT iDstType;
    ULONG cEntries;
    ULONG* pulXlate;
};

struct XFORMOBJ {
    ULONG ulReserved;
};

#define PD_BEGINSUBPATH 0x00000001u
#define PD_ENDSUBPATH 0x00000002u
#define PD_RESETSTYLE 0x00000004u
#define PD_CLOSEFIGURE 0x00000008u
#define PD_BEZIERS 0x00000010u
#define PD_ALL (PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_RESETSTYLE | PD_CLOSEFIGURE | PD_BEZIERS)
#define PO_BEZIERS 0x00000001u
#define PO_ALL_INTEGERS 0x00000004u
struct PATHOBJ {
    FLONG fl;
    ULONG cCurves;
};
struct PATHDATA {
    FLONG flags;
    ULONG count;
    POINTFIX* pptfx;
};

union FLOAT_LONG {
    FLOATL e;
    LONG l;
};
#define LA_GEOMETRIC 0x00000001u
#define LA_ALTERNATE 0x00000002u
#define LA_STARTGAP 0x00000004u
#define LA_STYLED 0x00000008u
#define JOIN_ROUND 0
#define JOIN_BEVEL 1
#define JOIN_MITER 2
#define ENDCAP_ROUND 0
#define ENDCAP_SQUARE 1
#define ENDCAP_BUTT 2
struct LINEATTRS {
    FLONG fl;
    ULONG iJoin;
    ULONG iEndCap;
    FLOAT_LONG elWidth;
    FLOATL eMiterLimit;
    ULONG cstyle;
    FLOAT_LONG* pstyle;
    FLOAT_LONG elStyleState;
};

struct GLYPHBITS {
    POINTL ptlOrigin;
    SIZEL sizlBitmap;
    BYTE aj[1];
};
struct GLYPHDEF {
    GLYPHBITS* pgb;
};
struct GLYPHPOS {
    HGLYPH hg;
    GLYPHDEF* pgdf;
    POINTL ptl;
};
struct STROBJ {
    ULONG cGlyphs;
    FLONG flAccel;
    ULONG ulCharInc;
    RECTL rclBkGround;
    GLYPHPOS* pgp;
    LPWSTR pwszOrg;
};
struct FONTOBJ {
    ULONG iUniq;
    ULONG iFace;
    ULONG cxMax;
    FLONG flFontType;
    ULONG_PTR iTTUniq;
    ULONG_PTR iFile;
    SIZE sizLogResPpi;
    ULONG ulStyleSize;
    PVOID pvConsumer;
    PVOID pvProducer;
};

struct WCRUN {
    WCHAR wcLow;
    USHORT cGlyphs;
    HGLYPH* phg;
};
#define GS_UNICODE_HANDLES 0x00000001u
#define GS_8BIT_HANDLES 0x00000002u
#define GS_16BIT_HANDLES 0x00000004u
struct FD_GLYPHSET {
    ULONG cjThis;
    FLONG flAccel;
    ULONG cGlyphsSupported;
    ULONG cRuns;
    WCRUN awcrun[1];
};

// Raster operations and modes. A ROP4 is the foreground ROP3 in its low byte (where the mask
// bit is 1) and the background ROP3 in its high byte; the two are equal without a mask.
#define SRCCOPY_ROP4 0xCCCCu
#define PATCOPY_ROP4 0xF0F0u
#define BLACKNESS_ROP4 0x0000u
#define WHITENESS_ROP4 0xFFFFu
// Fill modes (flOptions of the path fills).
#define FP_ALTERNATEMODE 1u
#define FP_WINDINGMODE 2u
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4

// --- The driver's hooks (the signatures GDI calls them with) ---
using PFN_DrvEnablePDEV = DHPDEV (*)(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat, HSURF* phsurfPatterns,
                                     ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev,
                                     LPWSTR pwszDeviceName, HANDLE hDriver);
using PFN_DrvCompletePDEV = void (*)(DHPDEV dhpdev, HDEV hdev);
using PFN_DrvDisablePDEV = void (*)(DHPDEV dhpdev);
using PFN_DrvResetPDEV = BOOL (*)(DHPDEV dhpdevOld, DHPDEV dhpdevNew);
using PFN_DrvEnableSurface = HSURF (*)(DHPDEV dhpdev);
using PFN_DrvDisableSurface = void (*)(DHPDEV dhpdev);
using PFN_DrvStartDoc = BOOL (*)(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId);
using PFN_DrvEndDoc = BOOL (*)(SURFOBJ* pso, FLONG fl);
using PFN_DrvStartPage = BOOL (*)(SURFOBJ* pso);
using PFN_DrvSendPage = BOOL (*)(SURFOBJ* pso);
using PFN_DrvStartBanding = BOOL (*)(SURFOBJ* pso, POINTL* pptl);
using PFN_DrvNextBand = BOOL (*)(SURFOBJ* pso, POINTL* pptl);
using PFN_DrvEscape = ULONG (*)(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);
using PFN_DrvBitBlt = BOOL (*)(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                               RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush,
                               ROP4 rop4);
using PFN_DrvCopyBits = BOOL (*)(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                                 POINTL* pptlSrc);
using PFN_DrvStretchBlt = BOOL (*)(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                   XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                                   RECTL* prclSrc, POINTL* pptlMask, ULONG iMode);
using PFN_DrvStrokePath = BOOL (*)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                                   POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix);
using PFN_DrvFillPath = BOOL (*)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                                 MIX mix, FLONG flOptions);
using PFN_DrvStrokeAndFillPath = BOOL (*)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                          BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                          POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions);
using PFN_DrvPaint = BOOL (*)(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix);
using PFN_DrvTextOut = BOOL (*)(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                                RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix);
using PFN_DrvRealizeBrush = BOOL (*)(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask,
                                     XLATEOBJ* pxlo, ULONG iHatch);
using PFN_DrvDitherColor = ULONG (*)(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul);
using PFN_DrvGetGlyphMode = ULONG (*)(DHPDEV dhpdev, FONTOBJ* pfo);
using PFN_DrvQueryFont = PVOID (*)(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG_PTR* pid);
using PFN_DrvQueryFontTree = PVOID (*)(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG iMode, ULONG_PTR* pid);
using PFN_DrvQueryFontData = LONG (*)(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, PVOID pgd, PVOID pv,
                                      ULONG cjSize);
using PFN_DrvQueryAdvanceWidths = BOOL (*)(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg, PVOID pvWidths,
                                           ULONG cGlyphs);
using PFN_DrvEnableDriver = BOOL (*)(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded);
using PFN_DrvDisableDriver = void (*)();
using PFN_DrvQueryDriverInfo = BOOL (*)(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded);

// --- Engine services ---
// Surfaces, palettes, paths and clip objects are entries of the engine's own tables: a handle
// or object pointer that is not (or no longer) in them is refused with FALSE or NULL, never
// followed. The SURFOBJ pointers the drawing services take are those of EngLockSurface.
// Drawing is supported on engine bitmaps of 1, 8, 24 and 32 bits per pixel. A device surface
// has no bits: only EngBitBlt, EngCopyBits and EngStretchBlt draw onto one, through the
// driver's DrvCopyBits hook of its device (see EngStretchBlt); anything else fails there.
// Clip objects of complexity DC_COMPLEX must be the engine's own (standin::engine::MakeClip);
// DC_TRIVIAL and DC_RECT are read from the record. Solid brushes are read from iSolidColor;
// a pattern brush (iSolidColor 0xFFFFFFFF) must be the engine's own (MakeHatchBrush,
// MakePatternBrush) and is tiled from the brush origin (pptlBrush / pptlBrushOrg, (0, 0)
// without one): the pattern's top-left pixel lands on the origin and on every whole pattern
// step from it.

/// A device-managed surface: no bits; dhsurf is kept for the driver.
PLATFORM_API_NODISCARD HSURF EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat);
/// An engine bitmap. lWidth is the row step in bytes (0: the smallest DWORD-aligned step).
/// pvBits NULL: the engine allocates the bits, zero-filled unless BMF_NOZEROINIT (then filled
/// with 0xCD); given bits are used in place and stay the caller's. BMF_TOPDOWN gives a positive
/// lDelta with pvScan0 = pvBits; otherwise the first row is the bottom one (negative lDelta).
PLATFORM_API_NODISCARD HBITMAP EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits);
/// Records the hooks and the device (an HDEV the host registered) and sets the surface's hdev
/// and dhpdev.
PLATFORM_API BOOL EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks);
PLATFORM_API BOOL EngMarkBandingSurface(HSURF hsurf);
/// The surface's SURFOBJ (the same record for every lock); NULL for an unknown handle.
PLATFORM_API_NODISCARD SURFOBJ* EngLockSurface(HSURF hsurf);
PLATFORM_API void EngUnlockSurface(SURFOBJ* pso);
/// Frees the surface and the bits the engine allocated; its SURFOBJ is no longer accepted.
PLATFORM_API BOOL EngDeleteSurface(HSURF hsurf);
/// Fills the rectangle, clipped to the surface, with a colour (see the colour rules above).
/// A rectangle partly or wholly outside is clipped and still succeeds.
PLATFORM_API BOOL EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor);
/// PAL_INDEXED copies cColors entries; PAL_BITFIELDS keeps the three masks; PAL_RGB and
/// PAL_BGR need nothing more.
PLATFORM_API_NODISCARD HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed,
                                                 FLONG flGreen, FLONG flBlue);
PLATFORM_API BOOL EngDeletePalette(HPALETTE hpal);
/// Nearest-pixel scaling (COLORONCOLOR, HALFTONE); BLACKONWHITE and WHITEONBLACK keep black or
/// white of the source pixels that a shrink drops. An inverted destination rectangle mirrors.
/// Clipped to the destination surface and the clip object; no mask.
/// Onto a device surface: the source is scaled into a 1-bit engine bitmap of the destination
/// rectangle's size (HALFTONE: an 8 x 8 ordered dither of the gray level, fixed to device
/// coordinates from pptlHTOrg; other modes: a cut at half luminance; black and white stay
/// exact), then the device's DrvCopyBits is called with (psoDest, that bitmap, pco, an
/// XLATEOBJ of the table {0x000000, 0xFFFFFF}, the ordered destination rectangle, (0, 0));
/// the bitmap is deleted and the hook's answer returned. FALSE with ERROR_NOT_SUPPORTED when
/// the device has no DrvCopyBits.
PLATFORM_API BOOL EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                                POINTL* pptlMask, ULONG iMode);
/// Any ROP4 with solid or engine pattern brushes; a ROP4 whose two halves differ needs a 1-bit
/// mask. Onto a device surface: a ROP4 without mask that does not read the destination is
/// drawn into a white 24-bit bitmap of the rectangle, which goes to DrvCopyBits halftoned as
/// in EngStretchBlt; other ROP4s fail with ERROR_NOT_SUPPORTED without calling the driver.
PLATFORM_API BOOL EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                            RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush,
                            ROP4 rop4);
/// EngBitBlt with SRCCOPY (so onto a device surface it goes to DrvCopyBits, halftoned).
PLATFORM_API BOOL EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                              POINTL* pptlSrc);
/// Bezier records are flattened to within about a quarter pixel. Cosmetic lines (no LINEATTRS
/// or no LA_GEOMETRIC) are one pixel wide and leave out the last pixel of each line; geometric lines are elWidth device pixels wide with their joins and caps.
/// Line styles are not drawn (lines are solid).
PLATFORM_API BOOL EngStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                                POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix);
/// Fills every figure (closed or not) by pixel centres, FP_ALTERNATEMODE or FP_WINDINGMODE.
PLATFORM_API BOOL EngFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                              MIX mix, FLONG flOptions);
/// The fill (when pboFill is given), then the outline (when pboStroke is given), both with mixFill.
PLATFORM_API BOOL EngStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                                       LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mixFill,
                                       FLONG flOptions);
/// The brush over the clip object's region (the whole surface without one).
PLATFORM_API BOOL EngPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix);
/// The opaque rectangle first, then each glyph at its GLYPHPOS ptl (its baseline origin; pgp,
/// or the STROBJ_bEnum batches of an engine string whose pgp is NULL): the glyph's
/// GLYPHBITS when the GLYPHPOS carries them, else the engine's own monospace font for the
/// character (pwszOrg[i], or the glyph handle without a string) at the height of the
/// standin::engine::FontSize record in pvProducer (20 dots without one); then the prclExtra
/// rectangles up to the first all-zero one.
PLATFORM_API BOOL EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                             RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix);
/// A glyph set of cChars single-byte codes of the code page from nFirstChar (0: the ANSI code
/// page): runs of consecutive UTF-16 characters whose glyph handles are the byte values; lead
/// bytes and bytes the code page lacks are left out. One block of cjThis bytes; free it with
/// EngFreeMem.
PLATFORM_API FD_GLYPHSET* EngComputeGlyphSet(INT nCodePage, INT nFirstChar, INT cChars);
/// NULL for cj 0. Without FL_ZERO_MEMORY the block is filled with 0xCD.
PLATFORM_API_NODISCARD PVOID EngAllocMem(ULONG fl, ULONG cj, ULONG tag);
/// Ignores NULL and blocks that EngAllocMem did not hand out.
PLATFORM_API void EngFreeMem(PVOID pv);
#define FL_ZERO_MEMORY 0x00000001u

/// The number of rectangles when it is at most cLimit (0: no limit), else 0xFFFFFFFF; starts
/// the enumeration over in the direction asked (CD_ANY keeps the stored order).
PLATFORM_API ULONG CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL bAll, ULONG iType, ULONG iDirection, ULONG cLimit);
/// Fills an ENUMRECTS of cj bytes with as many rectangles as fit (c of them). TRUE while more
/// rectangles follow; FALSE together with the last batch, which may hold rectangles (a caller
/// draws the c rectangles of every batch, the FALSE one included). Also FALSE with c = 0 once
/// the enumeration is over and when cj has no room for one rectangle.
PLATFORM_API BOOL CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pul);
/// The clip region as a path of closed rectangles, one figure each (for DC_COMPLEX every
/// rectangle of the region, filled together with FP_WINDINGMODE they cover it exactly);
/// free it with EngDeletePath.
PLATFORM_API PATHOBJ* CLIPOBJ_ppoGetPath(CLIPOBJ* pco);
PLATFORM_API void EngDeletePath(PATHOBJ* ppo);
PLATFORM_API void PATHOBJ_vEnumStart(PATHOBJ* ppo);
/// One record per call with its PD_* flags: a figure is one record (PD_BEGINSUBPATH |
/// PD_ENDSUBPATH, and PD_CLOSEFIGURE for a closed one) or several (the first with
/// PD_BEGINSUBPATH, the last with PD_ENDSUBPATH); PD_BEZIERS marks a record of Bezier points,
/// three per curve, going on from the point before (the first point of a PD_BEGINSUBPATH
/// record is the figure's start). TRUE while records follow, FALSE with the last and after it
/// (count 0). PATHOBJ_vEnumStart starts over. The points stay valid while the path lives.
PLATFORM_API BOOL PATHOBJ_bEnum(PATHOBJ* ppo, PATHDATA* ppd);
/// The smallest rectangle holding every point (all zero for an empty path).
PLATFORM_API void PATHOBJ_vGetBounds(PATHOBJ* ppo, RECTFX* prectfx);
/// A string whose pgp is set hands out one batch of every glyph, always with FALSE. An engine
/// string made with a batch size (pgp NULL) hands out batches of that many glyphs in order:
/// TRUE while more follow, FALSE with the last, then FALSE with *pc = 0 until
/// STROBJ_vEnumStart starts over.
PLATFORM_API void STROBJ_vEnumStart(STROBJ* pstro);
PLATFORM_API BOOL STROBJ_bEnum(STROBJ* pstro, ULONG* pc, GLYPHPOS** ppgpos);

#include "platform/DdiFonts.h"
