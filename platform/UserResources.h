#pragma once
// Icons, cursors and images: the built-in names, the load flags and the functions.
#include "platform/UserTypes.h"

// --- Icons, cursors and images ---
#define IDI_APPLICATION MAKEINTRESOURCEW(32512)
#define IDI_HAND MAKEINTRESOURCEW(32513)
#define IDI_QUESTION MAKEINTRESOURCEW(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCEW(32515)
#define IDI_ASTERISK MAKEINTRESOURCEW(32516)
#define IDI_WINLOGO MAKEINTRESOURCEW(32517)
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_ERROR IDI_HAND
#define IDI_INFORMATION IDI_ASTERISK
#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDC_IBEAM MAKEINTRESOURCEW(32513)
#define IDC_WAIT MAKEINTRESOURCEW(32514)
#define IDC_CROSS MAKEINTRESOURCEW(32515)
#define IDC_UPARROW MAKEINTRESOURCEW(32516)
#define IDC_SIZENWSE MAKEINTRESOURCEW(32642)
#define IDC_SIZENESW MAKEINTRESOURCEW(32643)
#define IDC_SIZEWE MAKEINTRESOURCEW(32644)
#define IDC_SIZENS MAKEINTRESOURCEW(32645)
#define IDC_SIZEALL MAKEINTRESOURCEW(32646)
#define IDC_NO MAKEINTRESOURCEW(32648)
#define IDC_HAND MAKEINTRESOURCEW(32649)
#define IDC_APPSTARTING MAKEINTRESOURCEW(32650)
#define IDC_HELP MAKEINTRESOURCEW(32651)
#define IMAGE_BITMAP 0u
#define IMAGE_ICON 1u
#define IMAGE_CURSOR 2u
#define LR_DEFAULTCOLOR 0x00000000u
#define LR_MONOCHROME 0x00000001u
#define LR_COPYRETURNORG 0x00000004u
#define LR_COPYDELETEORG 0x00000008u
#define LR_LOADFROMFILE 0x00000010u
#define LR_LOADTRANSPARENT 0x00000020u
#define LR_DEFAULTSIZE 0x00000040u
#define LR_VGACOLOR 0x00000080u
#define LR_LOADMAP3DCOLORS 0x00001000u
#define LR_CREATEDIBSECTION 0x00002000u
#define LR_COPYFROMRESOURCE 0x00004000u
#define LR_SHARED 0x00008000u

struct ICONINFO {
    BOOL fIcon;
    DWORD xHotspot;
    DWORD yHotspot;
    HBITMAP hbmMask;
    HBITMAP hbmColor;
};

// --- Icons, cursors and images ---
/// RT_GROUP_ICON resources (the entry nearest the wanted size, 32x32 for LoadIconW) or the
/// IDI_* built-ins (instance NULL). Icons from LoadIconW are shared: never destroyed.
PLATFORM_API HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
/// IDC_* built-ins; the stand-in has no cursor resources (ERROR_RESOURCE_NAME_NOT_FOUND).
PLATFORM_API HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
/// IMAGE_ICON (cx, cy 0: the default size with LR_DEFAULTSIZE, else the resource's own) or
/// IMAGE_BITMAP (RT_BITMAP, uncompressed 1/4/8/24/32 bits per pixel), IMAGE_CURSOR as
/// LoadCursorW. LR_LOADFROMFILE is not supported (ERROR_NOT_SUPPORTED).
PLATFORM_API HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags);
/// Icons only; a new icon scaled to cx x cy (0: same size).
PLATFORM_API HANDLE CopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags);
/// A shared icon (LoadIconW, LR_SHARED) is not destroyed, and TRUE is returned.
PLATFORM_API BOOL DestroyIcon(HICON icon);
/// New bitmaps of the icon that the caller deletes: a 24-bit colour bitmap (black where the
/// icon is transparent) and a one-bit mask of the same size (white where it is transparent);
/// the hotspot is the icon's own (the centre unless CreateIconIndirect set one).
PLATFORM_API BOOL GetIconInfo(HICON icon, ICONINFO* info);
/// A new icon (destroyed with DestroyIcon) from a colour bitmap and its mask (white pixels
/// transparent; cut or padded to the colour bitmap's size) with the hotspot given. Icons
/// without a colour bitmap are not supported (ERROR_NOT_SUPPORTED).
PLATFORM_API HICON CreateIconIndirect(const ICONINFO* info);
PLATFORM_API BOOL DestroyCursor(HCURSOR cursor);
