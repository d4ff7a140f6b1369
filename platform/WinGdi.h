#pragma once
// Window drawing: device contexts of windows and memory, pens, brushes, fonts, bitmaps and
// palettes, and the calls that draw with them.
//
// Every window and memory bitmap is a 24-bit surface (blue, green, red bytes, top row first);
// colours are COLORREF values 0x00BBGGRR. A bitmap made with one bit per pixel keeps only
// black and white: colour drawn into it becomes white when it equals the DC's background
// colour and black otherwise (BitBlt) or by its luminance (pens and brushes); copied from it
// to a colour surface, black becomes the destination's text colour and white its background
// colour.
//
// Text uses a fixed metric: a font of cell height h (|lfHeight|, 16 when 0) has ascent
// h * 7 / 8, characters h / 2 wide and wide (East Asian) characters h wide; weight 700 and
// above adds one pixel per character. Glyphs come from GNU Unifont when its .hex file is found
// at run time (else a box per character), so extents never depend on that file.
//
// Handles that are unknown or already deleted fail the call (0 or NULL) with
// ERROR_INVALID_HANDLE; none of the calls throws.
#include "platform/WinTypes.h"
#include "platform/LogFont.h"
#include "platform/Rop2.h"

using COLORREF = DWORD;
#define RGB(r, g, b) (static_cast<COLORREF>(static_cast<BYTE>(r) | (static_cast<WORD>(static_cast<BYTE>(g)) << 8) | \
                                            (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define GetRValue(c) (static_cast<BYTE>((c) & 0xFF))
#define GetGValue(c) (static_cast<BYTE>(((c) >> 8) & 0xFF))
#define GetBValue(c) (static_cast<BYTE>(((c) >> 16) & 0xFF))
#define CLR_INVALID 0xFFFFFFFFu
#define CLR_NONE 0xFFFFFFFFu
#define CLR_DEFAULT 0xFF000000u

// Handle types. HBITMAP and HPALETTE are the same types as in the engine's driver interface.
using HGDIOBJ = void*;
struct HDC__;
using HDC = HDC__*;
struct HPEN__;
using HPEN = HPEN__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HFONT__;
using HFONT = HFONT__*;
struct HSURF__;
using HBITMAP = HSURF__*;
struct HPALETTE__;
using HPALETTE = HPALETTE__*;
struct HRGN__;
using HRGN = HRGN__*;
struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;

#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define DEFAULT_CHARSET 1
#define ANSI_CHARSET 0

struct TEXTMETRICW {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    WCHAR tmFirstChar;
    WCHAR tmLastChar;
    WCHAR tmDefaultChar;
    WCHAR tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
static_assert(sizeof(TEXTMETRICW) == 60);
using LPTEXTMETRICW = TEXTMETRICW*;

struct LOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
};
struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
};
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
using LPBITMAPINFOHEADER = BITMAPINFOHEADER*;
#define BI_RGB 0u
#define BI_BITFIELDS 3u
#define CBM_INIT 0x04u
#define DIB_RGB_COLORS 0u
#define DIB_PAL_COLORS 1u

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};
struct LOGPALETTE {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1];
};

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17

// GetObjectType / object kinds.
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10

#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_NULL 5
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL

// Raster operations (BitBlt, PatBlt, StretchBlt): any ternary operation is carried out.
#define SRCCOPY 0x00CC0020u
#define SRCPAINT 0x00EE0086u
#define SRCAND 0x008800C6u
#define SRCINVERT 0x00660046u
#define SRCERASE 0x00440328u
#define NOTSRCCOPY 0x00330008u
#define NOTSRCERASE 0x001100A6u
#define MERGECOPY 0x00C000CAu
#define MERGEPAINT 0x00BB0226u
#define PATCOPY 0x00F00021u
#define PATPAINT 0x00FB0A09u
#define PATINVERT 0x005A0049u
#define DSTINVERT 0x00550009u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u


#define TRANSPARENT 1
#define OPAQUE 2
#define TA_NOUPDATECP 0u
#define TA_UPDATECP 1u
#define TA_LEFT 0u
#define TA_RIGHT 2u
#define TA_CENTER 6u
#define TA_TOP 0u
#define TA_BOTTOM 8u
#define TA_BASELINE 24u
#define GDI_ERROR 0xFFFFFFFFu
#define ETO_OPAQUE 0x0002u
#define ETO_CLIPPED 0x0004u

// DrawTextW formats carried out: horizontal and vertical placement on a single line, word
// breaks, "&" prefixes, end ellipsis, DT_CALCRECT.
#define DT_TOP 0x00000000u
#define DT_LEFT 0x00000000u
#define DT_CENTER 0x00000001u
#define DT_RIGHT 0x00000002u
#define DT_VCENTER 0x00000004u
#define DT_BOTTOM 0x00000008u
#define DT_WORDBREAK 0x00000010u
#define DT_SINGLELINE 0x00000020u
#define DT_EXPANDTABS 0x00000040u
#define DT_NOCLIP 0x00000100u
#define DT_CALCRECT 0x00000400u
#define DT_NOPREFIX 0x00000800u
#define DT_END_ELLIPSIS 0x00008000u
#define DT_HIDEPREFIX 0x00100000u

// Region results of the clip calls.
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3

// GetDeviceCaps indexes.
#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMCOLORS 24
#define RASTERCAPS 38
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define DT_RASDISPLAY 1
#define RC_BITBLT 0x0001
#define RC_BITMAP64 0x0008
#define RC_DI_BITMAP 0x0080
#define RC_PALETTE 0x0100
#define RC_DIBTODEV 0x0200
#define RC_STRETCHBLT 0x0800

// System colours (GetSysColor, GetSysColorBrush).
#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24
#define COLOR_HOTLIGHT 26
#define COLOR_GRADIENTACTIVECAPTION 27
#define COLOR_GRADIENTINACTIVECAPTION 28
#define COLOR_MENUHILIGHT 29
#define COLOR_MENUBAR 30
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_3DSHADOW COLOR_BTNSHADOW
#define COLOR_3DHILIGHT COLOR_BTNHIGHLIGHT

#define DI_MASK 0x0001u
#define DI_IMAGE 0x0002u
#define DI_NORMAL 0x0003u

// --- Device contexts ---
/// The client area of the window (NULL: the screen, drawing nothing visible). Every DC from
/// GetDC, GetWindowDC and BeginPaint is given back with ReleaseDC or EndPaint.
PLATFORM_API HDC GetDC(HWND hwnd);
/// The whole window, frame and caption included.
PLATFORM_API HDC GetWindowDC(HWND hwnd);
PLATFORM_API int ReleaseDC(HWND hwnd, HDC hdc);
/// A memory DC holding a 1 x 1 one-bit bitmap until another is selected; hdc may be NULL.
PLATFORM_API_NODISCARD HDC CreateCompatibleDC(HDC hdc);
PLATFORM_API BOOL DeleteDC(HDC hdc);
PLATFORM_API HWND WindowFromDC(HDC hdc);
PLATFORM_API int SaveDC(HDC hdc);
PLATFORM_API BOOL RestoreDC(HDC hdc, int savedDc);

// --- Objects ---
PLATFORM_API HGDIOBJ GetStockObject(int object);
/// The previous object of that kind; for a bitmap already selected into another DC, NULL.
PLATFORM_API HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
/// FALSE for an object selected into a DC; stock objects and system colour brushes stay.
PLATFORM_API BOOL DeleteObject(HGDIOBJ object);
/// Copies the LOGPEN, LOGBRUSH, LOGFONTW, BITMAP or palette entry count; buffer NULL returns
/// the size needed.
PLATFORM_API int GetObjectW(HGDIOBJ object, int cbBuffer, LPVOID buffer);
PLATFORM_API DWORD GetObjectType(HGDIOBJ object);
PLATFORM_API HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
PLATFORM_API_NODISCARD HPEN CreatePen(int style, int width, COLORREF color);
PLATFORM_API_NODISCARD HBRUSH CreateSolidBrush(COLORREF color);
PLATFORM_API_NODISCARD HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
PLATFORM_API_NODISCARD HFONT CreateFontIndirectW(const LOGFONTW* font);
/// One plane; 1, 24 or 32 bits per pixel; bits (rows padded to 16 bits) may be NULL (black).
PLATFORM_API_NODISCARD HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
/// A colour bitmap for a window DC, a bitmap of the selected bitmap's depth for a memory DC.
PLATFORM_API_NODISCARD HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
/// A colour bitmap of the header's size, filled from a packed DIB (1, 4, 8, 24 or 32 bits,
/// BI_RGB, bottom-up or top-down) when flags has CBM_INIT.
PLATFORM_API_NODISCARD HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD flags, const void* bits,
                                              const BITMAPINFO* info, UINT usage);
/// From a RT_BITMAP resource of the module (a packed DIB).
PLATFORM_API HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name);
PLATFORM_API_NODISCARD HPALETTE CreatePalette(const LOGPALETTE* palette);
PLATFORM_API HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground);
/// The number of entries the palette maps (the stand-in's display is never short of them).
PLATFORM_API UINT RealizePalette(HDC hdc);

// --- State of a DC ---
PLATFORM_API COLORREF SetTextColor(HDC hdc, COLORREF color);
PLATFORM_API COLORREF GetTextColor(HDC hdc);
PLATFORM_API COLORREF SetBkColor(HDC hdc, COLORREF color);
PLATFORM_API COLORREF GetBkColor(HDC hdc);
PLATFORM_API int SetBkMode(HDC hdc, int mode);
PLATFORM_API int GetBkMode(HDC hdc);
PLATFORM_API UINT SetTextAlign(HDC hdc, UINT align);
PLATFORM_API UINT GetTextAlign(HDC hdc);
PLATFORM_API int SetROP2(HDC hdc, int rop2);
PLATFORM_API int GetROP2(HDC hdc);
PLATFORM_API BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous);
/// Narrows the clip rectangle; returns NULLREGION when nothing is left, else SIMPLEREGION.
PLATFORM_API int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
PLATFORM_API int GetClipBox(HDC hdc, RECT* rect);
PLATFORM_API int GetDeviceCaps(HDC hdc, int index);

// --- Drawing ---
PLATFORM_API BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
PLATFORM_API int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
PLATFORM_API int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
PLATFORM_API BOOL LineTo(HDC hdc, int x, int y);
PLATFORM_API BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);
PLATFORM_API BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int xSource, int ySource,
                         DWORD rop);
PLATFORM_API BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int xSource, int ySource,
                             int widthSource, int heightSource, DWORD rop);
PLATFORM_API BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int cch);
PLATFORM_API BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT cch,
                              const INT* dx);
/// cch -1: up to the terminator. Returns the height of the text drawn (0 on failure).
PLATFORM_API int DrawTextW(HDC hdc, LPCWSTR text, int cch, RECT* rect, UINT format);
PLATFORM_API BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int cch, SIZE* size);
PLATFORM_API BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW metrics);
/// Draws the icon's mask (SRCAND) and image (SRCINVERT), stretched to width x height (0: the
/// icon's own size).
PLATFORM_API BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int width, int height, UINT step,
                             HBRUSH flickerFree, UINT flags);
PLATFORM_API BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);
/// Inverts a dotted frame (drawing it twice removes it).
PLATFORM_API BOOL DrawFocusRect(HDC hdc, const RECT* rect);

// --- System colours ---
PLATFORM_API DWORD GetSysColor(int index);
/// A stock brush of that colour: never deleted.
PLATFORM_API HBRUSH GetSysColorBrush(int index);
