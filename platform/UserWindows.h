#pragma once
// Window classes and windows: their structures, data indexes, positions and painting; the
// screen (monitors, metrics, parameters, system colours) and the rectangle helpers.
#include "platform/UserTypes.h"

// --- Structures (field order and sizes as the platform documents them) ---
struct WNDCLASSEXW {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
    HICON hIconSm;
};
struct WNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
};

struct CREATESTRUCTW {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
};
using LPCREATESTRUCTW = CREATESTRUCTW*;

struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

struct WINDOWPOS {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
};

struct NCCALCSIZE_PARAMS {
    RECT rgrc[3];
    WINDOWPOS* lppos;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

struct MONITORINFO {
    DWORD cbSize;
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags;
};
#define MONITORINFOF_PRIMARY 0x00000001u
#define MONITOR_DEFAULTTONULL 0x00000000u
#define MONITOR_DEFAULTTOPRIMARY 0x00000001u
#define MONITOR_DEFAULTTONEAREST 0x00000002u

// --- Window data indexes ---
#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_HWNDPARENT (-8)
#define GWLP_ID (-12)
#define GWLP_USERDATA (-21)
#define GWL_WNDPROC (-4)
#define GWL_HINSTANCE (-6)
#define GWL_HWNDPARENT (-8)
#define GWL_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_USERDATA (-21)
/// The dialog class's window extra bytes: the message result, the dialog procedure and the
/// user slot, each pointer-sized (DWLP_USER is 8 on x86 and 16 on x64).
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC (DWLP_MSGRESULT + static_cast<int>(sizeof(LRESULT)))
#define DWLP_USER (DWLP_DLGPROC + static_cast<int>(sizeof(DLGPROC)))
#define DWL_MSGRESULT 0
#define DWL_DLGPROC 4
#define DWL_USER 8
#define DLGWINDOWEXTRA 30
static_assert(DWLP_USER == (sizeof(void*) == 4 ? 8 : 16));

// GetWindow relations.
#define GW_HWNDFIRST 0u
#define GW_HWNDLAST 1u
#define GW_HWNDNEXT 2u
#define GW_HWNDPREV 3u
#define GW_OWNER 4u
#define GW_CHILD 5u
#define GW_ENABLEDPOPUP 6u

#define CW_USEDEFAULT (static_cast<int>(0x80000000u))
#define HWND_DESKTOP (static_cast<HWND>(nullptr))
#define HWND_TOP (reinterpret_cast<HWND>(static_cast<LONG_PTR>(0)))
#define HWND_BOTTOM (reinterpret_cast<HWND>(static_cast<LONG_PTR>(1)))
#define HWND_TOPMOST (reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(static_cast<LONG_PTR>(-2)))
#define HWND_MESSAGE (reinterpret_cast<HWND>(static_cast<LONG_PTR>(-3)))
#define HWND_BROADCAST (reinterpret_cast<HWND>(static_cast<LONG_PTR>(0xFFFF)))

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

#define SWP_NOSIZE 0x0001u
#define SWP_NOMOVE 0x0002u
#define SWP_NOZORDER 0x0004u
#define SWP_NOREDRAW 0x0008u
#define SWP_NOACTIVATE 0x0010u
#define SWP_FRAMECHANGED 0x0020u
#define SWP_SHOWWINDOW 0x0040u
#define SWP_HIDEWINDOW 0x0080u
#define SWP_NOCOPYBITS 0x0100u
#define SWP_NOOWNERZORDER 0x0200u
#define SWP_NOSENDCHANGING 0x0400u
#define SWP_NOCLIENTSIZE 0x0800u  // set in WM_WINDOWPOSCHANGED when the client size stayed
#define SWP_NOCLIENTMOVE 0x1000u  // set in WM_WINDOWPOSCHANGED when the client did not move
#define SWP_DRAWFRAME SWP_FRAMECHANGED
#define SWP_NOREPOSITION SWP_NOOWNERZORDER

// The position a minimised top-level window is moved to.
#define MINIMIZED_POSITION (-32000)

#define RDW_INVALIDATE 0x0001u
#define RDW_INTERNALPAINT 0x0002u
#define RDW_ERASE 0x0004u
#define RDW_VALIDATE 0x0008u
#define RDW_ALLCHILDREN 0x0080u
#define RDW_UPDATENOW 0x0100u
#define RDW_ERASENOW 0x0200u
#define RDW_FRAME 0x0400u

// --- System metrics and parameters ---
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define SM_CYCAPTION 4
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CXDLGFRAME 7
#define SM_CYDLGFRAME 8
#define SM_CXFIXEDFRAME SM_CXDLGFRAME
#define SM_CYFIXEDFRAME SM_CYDLGFRAME
#define SM_CYVTHUMB 9
#define SM_CXHTHUMB 10
#define SM_CXICON 11
#define SM_CYICON 12
#define SM_CXCURSOR 13
#define SM_CYCURSOR 14
#define SM_CYMENU 15
#define SM_CXFULLSCREEN 16
#define SM_CYFULLSCREEN 17
#define SM_CYVSCROLL 20
#define SM_CXHSCROLL 21
#define SM_CXMIN 28
#define SM_CYMIN 29
#define SM_CXSIZE 30
#define SM_CYSIZE 31
#define SM_CXFRAME 32
#define SM_CYFRAME 33
#define SM_CXSIZEFRAME SM_CXFRAME
#define SM_CYSIZEFRAME SM_CYFRAME
#define SM_CXMINTRACK 34
#define SM_CYMINTRACK 35
#define SM_CXDOUBLECLK 36
#define SM_CYDOUBLECLK 37
#define SM_CXEDGE 45
#define SM_CYEDGE 46
#define SM_CXSMICON 49
#define SM_CYSMICON 50
#define SM_CYSMCAPTION 51
#define SM_CXMINIMIZED 57
#define SM_CYMINIMIZED 58
#define SM_CXMAXTRACK 59
#define SM_CYMAXTRACK 60
#define SM_CXMAXIMIZED 61
#define SM_CYMAXIMIZED 62
#define SM_XVIRTUALSCREEN 76
#define SM_YVIRTUALSCREEN 77
#define SM_CXVIRTUALSCREEN 78
#define SM_CYVIRTUALSCREEN 79
#define SM_CMONITORS 80

#define SPI_GETNONCLIENTMETRICS 0x0029u
#define SPI_SETWORKAREA 0x002Fu
#define SPI_GETWORKAREA 0x0030u
#define SPI_GETFOREGROUNDLOCKTIMEOUT 0x2000u
#define SPI_SETFOREGROUNDLOCKTIMEOUT 0x2001u
#define SPIF_UPDATEINIFILE 0x0001u
#define SPIF_SENDCHANGE 0x0002u

#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_WINDOW 5
#define COLOR_WINDOWTEXT 8
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DFACE COLOR_BTNFACE

// ==== Functions ====

// --- Window classes ---
/// Class names compare case-insensitively. A class belongs to its hInstance; the same name
/// registered again for the same instance fails with ERROR_CLASS_ALREADY_EXISTS. Returns the
/// class atom (0xC000 upward), 0 on failure (ERROR_INVALID_PARAMETER for a bad cbSize, a
/// NULL procedure or name).
PLATFORM_API ATOM RegisterClassExW(const WNDCLASSEXW* wc);
PLATFORM_API ATOM RegisterClassW(const WNDCLASSW* wc);
/// FALSE with ERROR_CLASS_DOES_NOT_EXIST, or ERROR_CLASS_HAS_WINDOWS while windows of the
/// class live.
PLATFORM_API BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
PLATFORM_API BOOL GetClassInfoExW(HINSTANCE instance, LPCWSTR className, WNDCLASSEXW* wc);
/// Copies the class name cut to cchMax - 1 and terminated; returns the count copied.
PLATFORM_API int GetClassNameW(HWND hwnd, LPWSTR buffer, int cchMax);

// --- Windows ---
/// Messages in the platform's order: WM_GETMINMAXINFO (windows that are not children),
/// WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE (lpCreateParams = param), then WM_SIZE and WM_MOVE,
/// WM_PARENTNOTIFY to the parent of a child without WS_EX_NOPARENTNOTIFY, and with WS_VISIBLE
/// the showing. WM_NCCREATE returning FALSE or WM_CREATE returning -1 destroys the window and
/// returns NULL. A class name may be an atom (MAKEINTRESOURCEW). A child's menu argument is
/// its control id. NULL with ERROR_CANNOT_FIND_WND_CLASS for an unknown class.
PLATFORM_API HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                                  int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
/// Destroys the window's owned windows, then sends WM_DESTROY to it and to its children
/// (parent first) and WM_NCDESTROY (children first). The menu bar the window still has after
/// WM_DESTROY, and its system-menu copy, are destroyed with it. Only the owner thread may
/// destroy a window (ERROR_ACCESS_DENIED).
PLATFORM_API BOOL DestroyWindow(HWND hwnd);
PLATFORM_API BOOL IsWindow(HWND hwnd);
PLATFORM_API BOOL IsChild(HWND parent, HWND hwnd);
/// The thread that owns the window; *processId gets this process's id. 0 for an unknown window.
PLATFORM_API DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId);

/// GWLP_* and GWL_* indexes, or a byte offset into the class's window extra bytes. An offset
/// that does not leave room for the value fails with ERROR_INVALID_INDEX. SetWindowLongPtrW
/// returns the previous value; GWLP_WNDPROC subclasses (call the old one with
/// CallWindowProcW). GWL_STYLE changes send WM_STYLECHANGING and WM_STYLECHANGED.
PLATFORM_API LONG_PTR GetWindowLongPtrW(HWND hwnd, int index);
PLATFORM_API LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);
/// The value cut to 32 bits (on x86 the same as the pointer-sized calls).
PLATFORM_API LONG GetWindowLongW(HWND hwnd, int index);
PLATFORM_API LONG SetWindowLongW(HWND hwnd, int index, LONG value);
PLATFORM_API LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
/// Handles what the platform's default procedure handles: WM_NCCREATE (sets the title),
/// WM_SETTEXT/WM_GETTEXT/WM_GETTEXTLENGTH, WM_CLOSE (DestroyWindow), WM_PAINT (validates),
/// WM_WINDOWPOSCHANGED (WM_MOVE then WM_SIZE when they changed), WM_GETMINMAXINFO,
/// WM_SYSCOMMAND (SC_MINIMIZE, SC_RESTORE, SC_CLOSE), WM_SETICON/WM_GETICON, WM_ERASEBKGND
/// (returns 1), WM_NCHITTEST. Others return 0.
PLATFORM_API LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

/// Returns whether the window was visible before. SW_MINIMIZE moves a top-level window to
/// (MINIMIZED_POSITION, MINIMIZED_POSITION) with the minimised size: WM_MOVE, then WM_SIZE
/// with SIZE_MINIMIZED; SW_RESTORE and SW_SHOWNORMAL bring back the earlier rectangle.
PLATFORM_API BOOL ShowWindow(HWND hwnd, int command);
/// Visible when the window and all its ancestors have WS_VISIBLE.
PLATFORM_API BOOL IsWindowVisible(HWND hwnd);
PLATFORM_API BOOL IsIconic(HWND hwnd);
PLATFORM_API BOOL IsZoomed(HWND hwnd);
/// Sends WM_WINDOWPOSCHANGING and, when anything changed, WM_WINDOWPOSCHANGED (whose
/// default handling sends WM_MOVE and WM_SIZE only for a real change). x/y are in the
/// parent's client coordinates (the screen for a top-level window).
PLATFORM_API BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
PLATFORM_API BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
/// Screen coordinates of the whole window.
PLATFORM_API BOOL GetWindowRect(HWND hwnd, RECT* rect);
/// Always (0, 0, width, height) of the client area.
PLATFORM_API BOOL GetClientRect(HWND hwnd, RECT* rect);
/// The client area that a window of that style would have around the given rectangle.
PLATFORM_API BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
/// NULL stands for the screen. Returns the horizontal shift in the low word, vertical in the
/// high word.
PLATFORM_API int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
PLATFORM_API BOOL ScreenToClient(HWND hwnd, POINT* point);
PLATFORM_API BOOL ClientToScreen(HWND hwnd, POINT* point);
PLATFORM_API HWND WindowFromPoint(POINT point);

/// Returns whether the window was disabled before; sends WM_ENABLE on a change. Disabling the
/// focus window takes the focus away.
PLATFORM_API BOOL EnableWindow(HWND hwnd, BOOL enable);
PLATFORM_API BOOL IsWindowEnabled(HWND hwnd);
/// Focus is per thread: WM_KILLFOCUS to the old window, WM_SETFOCUS to the new. Returns the
/// previous focus window; NULL with ERROR_WINDOW_OF_OTHER_THREAD for a window of another
/// thread (the focus stays).
PLATFORM_API HWND SetFocus(HWND hwnd);
PLATFORM_API HWND GetFocus();
/// Recorded (the stand-in has no real screen): GetForegroundWindow returns it, and the
/// stand-in counts the calls (standin::ui::ForegroundRequests).
PLATFORM_API BOOL SetForegroundWindow(HWND hwnd);
PLATFORM_API HWND GetForegroundWindow();
/// Sends WM_ACTIVATE (WA_INACTIVE to the previous window of the thread, WA_ACTIVE to this).
PLATFORM_API HWND SetActiveWindow(HWND hwnd);
PLATFORM_API HWND GetActiveWindow();
PLATFORM_API BOOL BringWindowToTop(HWND hwnd);

/// The parent of a child window, the owner of a top-level one (as the platform answers).
PLATFORM_API HWND GetParent(HWND hwnd);
PLATFORM_API HWND SetParent(HWND child, HWND newParent);
PLATFORM_API HWND GetWindow(HWND hwnd, UINT relation);
/// Children of a window first-to-last in Z order, each followed by its own children.
PLATFORM_API BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param);
/// The top-level windows of this process, in Z order.
PLATFORM_API BOOL EnumWindows(WNDENUMPROC proc, LPARAM param);
PLATFORM_API BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM param);
/// The window that stands for the whole screen (the primary monitor's rectangle).
PLATFORM_API HWND GetDesktopWindow();
PLATFORM_API HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);

/// Through WM_SETTEXT / WM_GETTEXT / WM_GETTEXTLENGTH.
PLATFORM_API BOOL SetWindowTextW(HWND hwnd, LPCWSTR text);
PLATFORM_API int GetWindowTextW(HWND hwnd, LPWSTR buffer, int cchMax);
PLATFORM_API int GetWindowTextLengthW(HWND hwnd);

// --- Painting (the update region is one rectangle, the union of what was invalidated) ---
/// NULL rect: the whole client area. A NULL window invalidates every window of the thread.
PLATFORM_API BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
PLATFORM_API BOOL ValidateRect(HWND hwnd, const RECT* rect);
/// Sends WM_PAINT at once when the update region is not empty.
PLATFORM_API BOOL UpdateWindow(HWND hwnd);
/// FALSE when the region is empty.
PLATFORM_API BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
PLATFORM_API BOOL RedrawWindow(HWND hwnd, const RECT* rect, void* region, UINT flags);
/// The controls family's device contexts (declared here for the window side's callers).
PLATFORM_API HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
PLATFORM_API BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);

// --- Monitors, metrics and parameters ---
PLATFORM_API int GetSystemMetrics(int index);
/// SPI_GETWORKAREA (RECT* in pv: the primary monitor's work area), SPI_SETWORKAREA,
/// SPI_GETFOREGROUNDLOCKTIMEOUT (DWORD* in pv), SPI_SETFOREGROUNDLOCKTIMEOUT (the value in
/// pv itself). Others fail with ERROR_INVALID_PARAMETER.
PLATFORM_API BOOL SystemParametersInfoW(UINT action, UINT uiParam, PVOID pv, UINT winIni);
PLATFORM_API HMONITOR MonitorFromPoint(POINT point, DWORD flags);
/// The monitor with the largest intersection; with none, as the flags say.
PLATFORM_API HMONITOR MonitorFromRect(const RECT* rect, DWORD flags);
PLATFORM_API HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags);
/// cbSize must be sizeof(MONITORINFO) (ERROR_INVALID_PARAMETER).
PLATFORM_API BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info);
PLATFORM_API BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC proc, LPARAM param);

// --- Rectangles ---
PLATFORM_API BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
PLATFORM_API BOOL SetRectEmpty(RECT* rect);
PLATFORM_API BOOL CopyRect(RECT* dst, const RECT* src);
PLATFORM_API BOOL IsRectEmpty(const RECT* rect);
PLATFORM_API BOOL EqualRect(const RECT* a, const RECT* b);
/// FALSE and an empty dst when they do not overlap.
PLATFORM_API BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b);
/// An empty rectangle adds nothing.
PLATFORM_API BOOL UnionRect(RECT* dst, const RECT* a, const RECT* b);
PLATFORM_API BOOL OffsetRect(RECT* rect, int dx, int dy);
PLATFORM_API BOOL InflateRect(RECT* rect, int dx, int dy);
/// Left and top edges inside, right and bottom outside.
PLATFORM_API BOOL PtInRect(const RECT* rect, POINT point);
PLATFORM_API BOOL SubtractRect(RECT* dst, const RECT* a, const RECT* b);
