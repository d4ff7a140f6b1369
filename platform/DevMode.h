#pragma once
// The platform's DEVMODEW (220 bytes, no pointers) and its field bits, and COLORADJUSTMENT.
#include <cstddef>
#include "platform/WinTypes.h"

#define CCHDEVICENAME 32
#define CCHFORMNAME 32

struct DEVMODEW {
    WCHAR dmDeviceName[CCHDEVICENAME];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    SHORT dmOrientation;
    SHORT dmPaperSize;
    SHORT dmPaperLength;
    SHORT dmPaperWidth;
    SHORT dmScale;
    SHORT dmCopies;
    SHORT dmDefaultSource;
    SHORT dmPrintQuality;
    SHORT dmColor;
    SHORT dmDuplex;
    SHORT dmYResolution;
    SHORT dmTTOption;
    SHORT dmCollate;
    WCHAR dmFormName[CCHFORMNAME];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmNup;  // dmDisplayFlags on displays
    DWORD dmDisplayFrequency;
    DWORD dmICMMethod;
    DWORD dmICMIntent;
    DWORD dmMediaType;
    DWORD dmDitherType;
    DWORD dmReserved1;
    DWORD dmReserved2;
    DWORD dmPanningWidth;
    DWORD dmPanningHeight;
};
using PDEVMODEW = DEVMODEW*;
using LPDEVMODEW = DEVMODEW*;
static_assert(sizeof(DEVMODEW) == 220);
static_assert(offsetof(DEVMODEW, dmFields) == 72);
static_assert(offsetof(DEVMODEW, dmOrientation) == 76);
static_assert(offsetof(DEVMODEW, dmFormName) == 102);
static_assert(offsetof(DEVMODEW, dmLogPixels) == 166);
static_assert(offsetof(DEVMODEW, dmNup) == 180);
static_assert(offsetof(DEVMODEW, dmDitherType) == 200);

#define DM_SPECVERSION 0x0401u
#define DM_ORIENTATION 0x00000001u
#define DM_PAPERSIZE 0x00000002u
#define DM_PAPERLENGTH 0x00000004u
#define DM_PAPERWIDTH 0x00000008u
#define DM_SCALE 0x00000010u
#define DM_NUP 0x00000040u
#define DM_COPIES 0x00000100u
#define DM_DEFAULTSOURCE 0x00000200u
#define DM_PRINTQUALITY 0x00000400u
#define DM_COLOR 0x00000800u
#define DM_DUPLEX 0x00001000u
#define DM_YRESOLUTION 0x00002000u
#define DM_TTOPTION 0x00004000u
#define DM_COLLATE 0x00008000u
#define DM_FORMNAME 0x00010000u
#define DM_LOGPIXELS 0x00020000u
#define DM_ICMMETHOD 0x00800000u
#define DM_ICMINTENT 0x01000000u
#define DM_MEDIATYPE 0x02000000u
#define DM_DITHERTYPE 0x04000000u

#define DMORIENT_PORTRAIT 1
#define DMORIENT_LANDSCAPE 2
#define DMDUP_SIMPLEX 1
#define DMDUP_VERTICAL 2
#define DMDUP_HORIZONTAL 3
#define DMCOLOR_MONOCHROME 1
#define DMTT_BITMAP 1

struct COLORADJUSTMENT {
    WORD caSize;
    WORD caFlags;
    WORD caIlluminantIndex;
    WORD caRedGamma;
    WORD caGreenGamma;
    WORD caBlueGamma;
    WORD caReferenceBlack;
    WORD caReferenceWhite;
    SHORT caContrast;
    SHORT caBrightness;
    SHORT caColorfulness;
    SHORT caRedGreenTint;
};
static_assert(sizeof(COLORADJUSTMENT) == 24);

// Halftone information of a device, as the printer data "DAT_CurDevHTInfo<dpi>" holds it.
struct CIECHROMA {
    LONG x;
    LONG y;
    LONG Y;
};
struct COLORINFO {
    CIECHROMA Red;
    CIECHROMA Green;
    CIECHROMA Blue;
    CIECHROMA Cyan;
    CIECHROMA Magenta;
    CIECHROMA Yellow;
    CIECHROMA AlignmentWhite;
    LONG RedGamma;
    LONG GreenGamma;
    LONG BlueGamma;
    LONG MagentaInCyanDye;
    LONG YellowInCyanDye;
    LONG CyanInMagentaDye;
    LONG YellowInMagentaDye;
    LONG CyanInYellowDye;
    LONG MagentaInYellowDye;
};
struct DEVHTINFO {
    DWORD HTFlags;
    DWORD HTPatternSize;
    DWORD DevPelsDPI;
    COLORINFO ColorInfo;
};
static_assert(sizeof(COLORINFO) == 120);
static_assert(sizeof(DEVHTINFO) == 132);
