#pragma once
// The logical font record, shared by the engine's device information and window drawing.
#include "platform/WinTypes.h"

#define LF_FACESIZE 32
struct LOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTW) == 92);
using PLOGFONTW = LOGFONTW*;
using LPLOGFONTW = LOGFONTW*;

// lfPitchAndFamily's pitch (low two bits).
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2

/// What font enumeration hands over for a TrueType font, behind its LOGFONTW: the face's full
/// name and its style. A full name of LF_FULLFACESIZE characters has no terminator.
#define LF_FULLFACESIZE 64
struct ENUMLOGFONTW {
    LOGFONTW elfLogFont;
    WCHAR elfFullName[LF_FULLFACESIZE];
    WCHAR elfStyle[LF_FACESIZE];
};
static_assert(sizeof(ENUMLOGFONTW) == 284);
