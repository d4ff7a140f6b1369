#pragma once
// The user side's handle types, callbacks, error codes and the message structure that every
// part of platform/User.h shares.
#include "platform/Modules.h"
#include "platform/WinTypes.h"

// --- Handles of the user side (GDI handle types are redeclared identically by the drawing
// side; an alias may be declared twice when it names the same type) ---
struct HMENU__;
using HMENU = HMENU__*;
struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;
struct HACCEL__;
using HACCEL = HACCEL__*;
struct HMONITOR__;
using HMONITOR = HMONITOR__*;
struct HDC__;
using HDC = HDC__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HFONT__;
using HFONT = HFONT__*;
struct HSURF__;
using HBITMAP = HSURF__*;  // the engine's surface handle type, as Ddi.h declares it
using HGDIOBJ = void*;
using COLORREF = DWORD;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);
using MONITORENUMPROC = BOOL (*)(HMONITOR, HDC, RECT*, LPARAM);

#define ERROR_CANNOT_FIND_WND_CLASS 1407u
#define ERROR_WINDOW_OF_OTHER_THREAD 1408u
#define ERROR_INVALID_MENU_HANDLE 1401u
#define ERROR_INVALID_CURSOR_HANDLE 1402u
#define ERROR_INVALID_ACCEL_HANDLE 1403u
#define ERROR_INVALID_DWP_HANDLE 1405u
#define ERROR_INVALID_ICON_HANDLE 1414u
#define ERROR_NOT_CHILD_WINDOW 1442u
#define ERROR_INVALID_INDEX 1413u
#define ERROR_CONTROL_ID_NOT_FOUND 1421u
#define ERROR_MENU_ITEM_NOT_FOUND 1456u
#define ERROR_INVALID_THREAD_ID 1444u
#define ERROR_MESSAGE_SYNC_ONLY 1159u
#define ERROR_TIMEOUT 1460u
#define ERROR_RESOURCE_NOT_FOUND 1812u

// --- Structures (field order and sizes as the platform documents them) ---
struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
using LPMSG = MSG*;
