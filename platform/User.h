#pragma once
// The user side of the platform: window classes, windows, per-thread message queues, timers,
// dialogs built from binary templates, menus, accelerators, icons and cursors, monitors and
// system metrics, and the rectangle helpers.
//
// Windows belong to the thread that created them. A window procedure runs on that thread
// only: SendMessageW from another thread waits until the owner pumps (GetMessageW,
// PeekMessageW or a SendMessageW of its own), PostMessageW queues. Handles of destroyed
// windows are never reused; calls on them fail with ERROR_INVALID_WINDOW_HANDLE.
//
// Screen geometry, metrics and monitors come from the stand-in's settings
// (platform/StandInUi.h); nothing is ever shown on a display. The drawing side (device
// contexts, GDI objects, BeginPaint/EndPaint), the built-in control classes, MessageBoxW and
// MessageBeep are the controls family's work; they are declared here where the window side
// refers to them.
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

struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};
using LPNMHDR = NMHDR*;

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

struct HELPINFO {
    UINT cbSize;
    int iContextType;  // HELPINFO_WINDOW or HELPINFO_MENUITEM
    int iCtrlId;
    HANDLE hItemHandle;
    DWORD_PTR dwContextId;
    POINT MousePos;
};
#define HELPINFO_WINDOW 0x0001
#define HELPINFO_MENUITEM 0x0002

struct DRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    ULONG_PTR itemData;
};
struct MEASUREITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemWidth;
    UINT itemHeight;
    ULONG_PTR itemData;
};
#define ODT_MENU 1
#define ODT_LISTBOX 2
#define ODT_COMBOBOX 3
#define ODT_BUTTON 4
#define ODT_STATIC 5
#define ODA_DRAWENTIRE 0x0001
#define ODA_SELECT 0x0002
#define ODA_FOCUS 0x0004
#define ODS_SELECTED 0x0001
#define ODS_GRAYED 0x0002
#define ODS_DISABLED 0x0004
#define ODS_CHECKED 0x0008
#define ODS_FOCUS 0x0010

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

struct ICONINFO {
    BOOL fIcon;
    DWORD xHotspot;
    DWORD yHotspot;
    HBITMAP hbmMask;
    HBITMAP hbmColor;
};

// In-memory accelerator entry (6 bytes: a padding byte follows fVirt). The resource form is
// ACCELTABLEENTRY, 8 bytes, the last entry flagged with 0x80.
struct ACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};
struct ACCELTABLEENTRY {
    WORD fFlags;
    WORD wAnsi;
    WORD wId;
    WORD padding;
};
#define FVIRTKEY 0x01
#define FNOINVERT 0x02
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10
#define ACCEL_LAST_ENTRY 0x80  // fFlags of the table's last resource entry

// --- Binary layouts of dialog and menu templates (packed: the templates are WORD-aligned
// byte streams, the same on x86 and x64) ---
#pragma pack(push, 2)
struct DLGTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    WORD cdit;
    short x;
    short y;
    short cx;
    short cy;
    // menu, class, title (each 0x0000, 0xFFFF + ordinal, or a string); with DS_SETFONT a
    // WORD point size and the face name; items follow at DWORD boundaries.
};
struct DLGITEMTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    short x;
    short y;
    short cx;
    short cy;
    WORD id;
    // class (0xFFFF + atom or a string), title (0xFFFF + ordinal or a string), then a WORD
    // count of creation-data bytes and the bytes.
};
/// The extended template's header: dlgVer 1, signature 0xFFFF. With DS_SETFONT the face
/// follows as WORD point size, WORD weight, BYTE italic, BYTE charset, string.
struct DLGTEMPLATEEX {
    WORD dlgVer;
    WORD signature;
    DWORD helpID;
    DWORD exStyle;
    DWORD style;
    WORD cDlgItems;
    short x;
    short y;
    short cx;
    short cy;
};
struct DLGITEMTEMPLATEEX {
    DWORD helpID;
    DWORD exStyle;
    DWORD style;
    short x;
    short y;
    short cx;
    short cy;
    DWORD id;
};
struct MENUITEMTEMPLATEHEADER {
    WORD versionNumber;  // 0
    WORD offset;         // bytes from the end of the header to the first item
};
/// A popup item (MF_POPUP) has no mtID: its string follows mtOption directly.
struct MENUITEMTEMPLATE {
    WORD mtOption;
    WORD mtID;
    WCHAR mtString[1];
};
struct MENUEX_TEMPLATE_HEADER {
    WORD wVersion;  // 1
    WORD wOffset;   // 4: bytes from wOffset's own position to the first item
    DWORD dwHelpId;
};
/// Followed by the text, then padding to a DWORD boundary; a popup (bResInfo 0x01) then
/// carries its help id (DWORD) and its items. bResInfo 0x80 marks the last item of a level.
struct MENUEX_TEMPLATE_ITEM {
    DWORD dwType;
    DWORD dwState;
    DWORD menuId;
    WORD bResInfo;
};
#pragma pack(pop)
static_assert(sizeof(DLGTEMPLATE) == 18);
static_assert(sizeof(DLGITEMTEMPLATE) == 18);
static_assert(sizeof(DLGTEMPLATEEX) == 26);
static_assert(sizeof(DLGITEMTEMPLATEEX) == 24);
static_assert(sizeof(MENUITEMTEMPLATEHEADER) == 4);
static_assert(sizeof(MENUEX_TEMPLATE_HEADER) == 8);
static_assert(sizeof(MENUEX_TEMPLATE_ITEM) == 14);
static_assert(sizeof(ACCELTABLEENTRY) == 8);
static_assert(sizeof(ACCEL) == 6);
using LPCDLGTEMPLATEW = const DLGTEMPLATE*;

// Atoms of the predefined control classes in dialog item templates.
#define DLGITEM_BUTTON 0x0080
#define DLGITEM_EDIT 0x0081
#define DLGITEM_STATIC 0x0082
#define DLGITEM_LISTBOX 0x0083
#define DLGITEM_SCROLLBAR 0x0084
#define DLGITEM_COMBOBOX 0x0085

/// Dialog base units of the stand-in: every dialog font measures 6 x 13 pixels per
/// character (average width x height), so one horizontal dialog unit is 6/4 = 1.5 pixels and
/// one vertical unit 13/8 = 1.625 pixels (MapDialogRect rounds: (x * 6 + 2) / 4, (y * 13 + 4) / 8).
/// GetDialogBaseUnits reports MAKELONG(6, 13).
#define STANDIN_DLG_BASE_X 6
#define STANDIN_DLG_BASE_Y 13

// --- Messages ---
#define WM_NULL 0x0000u
#define WM_CREATE 0x0001u
#define WM_DESTROY 0x0002u
#define WM_MOVE 0x0003u
#define WM_SIZE 0x0005u
#define WM_ACTIVATE 0x0006u
#define WM_SETFOCUS 0x0007u
#define WM_KILLFOCUS 0x0008u
#define WM_ENABLE 0x000Au
#define WM_SETREDRAW 0x000Bu
#define WM_SETTEXT 0x000Cu
#define WM_GETTEXT 0x000Du
#define WM_GETTEXTLENGTH 0x000Eu
#define WM_PAINT 0x000Fu
#define WM_CLOSE 0x0010u
#define WM_QUERYENDSESSION 0x0011u
#define WM_QUIT 0x0012u
#define WM_ERASEBKGND 0x0014u
#define WM_SYSCOLORCHANGE 0x0015u
#define WM_ENDSESSION 0x0016u
#define WM_SHOWWINDOW 0x0018u
#define WM_SETTINGCHANGE 0x001Au
#define WM_ACTIVATEAPP 0x001Cu
#define WM_CANCELMODE 0x001Fu
#define WM_SETCURSOR 0x0020u
#define WM_MOUSEACTIVATE 0x0021u
#define WM_CHILDACTIVATE 0x0022u
#define WM_GETMINMAXINFO 0x0024u
#define WM_NEXTDLGCTL 0x0028u
#define WM_DRAWITEM 0x002Bu
#define WM_MEASUREITEM 0x002Cu
#define WM_SETFONT 0x0030u
#define WM_GETFONT 0x0031u
#define WM_WINDOWPOSCHANGING 0x0046u
#define WM_WINDOWPOSCHANGED 0x0047u
#define WM_COPYDATA 0x004Au
#define WM_NOTIFY 0x004Eu
#define WM_HELP 0x0053u
#define WM_CONTEXTMENU 0x007Bu
#define WM_STYLECHANGING 0x007Cu
#define WM_STYLECHANGED 0x007Du
#define WM_DISPLAYCHANGE 0x007Eu
#define WM_GETICON 0x007Fu
#define WM_SETICON 0x0080u
#define WM_NCCREATE 0x0081u
#define WM_NCDESTROY 0x0082u
#define WM_NCCALCSIZE 0x0083u
#define WM_NCHITTEST 0x0084u
#define WM_NCPAINT 0x0085u
#define WM_NCACTIVATE 0x0086u
#define WM_GETDLGCODE 0x0087u
#define WM_NCMOUSEMOVE 0x00A0u
#define WM_NCLBUTTONDOWN 0x00A1u
#define WM_KEYDOWN 0x0100u
#define WM_KEYUP 0x0101u
#define WM_CHAR 0x0102u
#define WM_SYSKEYDOWN 0x0104u
#define WM_SYSKEYUP 0x0105u
#define WM_SYSCHAR 0x0106u
#define WM_INITDIALOG 0x0110u
#define WM_COMMAND 0x0111u
#define WM_SYSCOMMAND 0x0112u
#define WM_TIMER 0x0113u
#define WM_HSCROLL 0x0114u
#define WM_VSCROLL 0x0115u
#define WM_INITMENU 0x0116u
#define WM_INITMENUPOPUP 0x0117u
#define WM_MENUSELECT 0x011Fu
#define WM_ENTERIDLE 0x0121u
#define WM_CHANGEUISTATE 0x0127u
#define WM_UPDATEUISTATE 0x0128u
#define WM_CTLCOLORMSGBOX 0x0132u
#define WM_CTLCOLOREDIT 0x0133u
#define WM_CTLCOLORLISTBOX 0x0134u
#define WM_CTLCOLORBTN 0x0135u
#define WM_CTLCOLORDLG 0x0136u
#define WM_CTLCOLORSCROLLBAR 0x0137u
#define WM_CTLCOLORSTATIC 0x0138u
#define WM_MOUSEMOVE 0x0200u
#define WM_LBUTTONDOWN 0x0201u
#define WM_LBUTTONUP 0x0202u
#define WM_LBUTTONDBLCLK 0x0203u
#define WM_RBUTTONDOWN 0x0204u
#define WM_RBUTTONUP 0x0205u
#define WM_MOUSEWHEEL 0x020Au
#define WM_PARENTNOTIFY 0x0210u
#define WM_ENTERMENULOOP 0x0211u
#define WM_EXITMENULOOP 0x0212u
#define WM_SIZING 0x0214u
#define WM_MOVING 0x0216u
#define WM_ENTERSIZEMOVE 0x0231u
#define WM_EXITSIZEMOVE 0x0232u
#define WM_QUERYNEWPALETTE 0x030Fu
#define WM_PALETTECHANGED 0x0311u
#define WM_PRINTCLIENT 0x0318u
#define WM_THEMECHANGED 0x031Au
#define WM_USER 0x0400u
#define WM_APP 0x8000u

#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DM_REPOSITION (WM_USER + 2)
#define DC_HASDEFID 0x534Bu  // high word of DM_GETDEFID's result when a default id is set

#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2
#define ICON_SMALL 0
#define ICON_BIG 1
#define ICON_SMALL2 2

// WM_GETDLGCODE results.
#define DLGC_WANTARROWS 0x0001u
#define DLGC_WANTTAB 0x0002u
#define DLGC_WANTALLKEYS 0x0004u
#define DLGC_WANTMESSAGE 0x0004u
#define DLGC_HASSETSEL 0x0008u
#define DLGC_DEFPUSHBUTTON 0x0010u
#define DLGC_UNDEFPUSHBUTTON 0x0020u
#define DLGC_RADIOBUTTON 0x0040u
#define DLGC_WANTCHARS 0x0080u
#define DLGC_STATIC 0x0100u
#define DLGC_BUTTON 0x2000u

// Notification codes of WM_NOTIFY common to the controls (the controls' own ranges live
// with them).
#define NM_FIRST 0u
#define NM_OUTOFMEMORY (NM_FIRST - 1)
#define NM_CLICK (NM_FIRST - 2)
#define NM_DBLCLK (NM_FIRST - 3)
#define NM_RETURN (NM_FIRST - 4)
#define NM_RCLICK (NM_FIRST - 5)
#define NM_RDBLCLK (NM_FIRST - 6)
#define NM_SETFOCUS (NM_FIRST - 7)
#define NM_KILLFOCUS (NM_FIRST - 8)
#define NM_CUSTOMDRAW (NM_FIRST - 12)

// WM_COMMAND notification codes of the predefined controls (HIWORD of wParam).
#define BN_CLICKED 0
#define BN_DBLCLK 5
#define BN_SETFOCUS 6
#define BN_KILLFOCUS 7
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_UPDATE 0x0400
#define EN_MAXTEXT 0x0501
#define CBN_SELCHANGE 1
#define CBN_DBLCLK 2
#define CBN_SETFOCUS 3
#define CBN_KILLFOCUS 4
#define CBN_EDITCHANGE 5
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8
#define CBN_SELENDOK 9
#define CBN_SELENDCANCEL 10
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2
#define STN_CLICKED 0

// Button messages: the dialog functions below forward to them.
#define BM_GETCHECK 0x00F0u
#define BM_SETCHECK 0x00F1u
#define BM_GETSTATE 0x00F2u
#define BM_SETSTATE 0x00F3u
#define BM_SETSTYLE 0x00F4u
#define BM_CLICK 0x00F5u
#define BST_UNCHECKED 0x0000u
#define BST_CHECKED 0x0001u
#define BST_INDETERMINATE 0x0002u
#define BST_PUSHED 0x0004u
#define BST_FOCUS 0x0008u

// --- Styles ---
#define WS_OVERLAPPED 0x00000000u
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_MINIMIZE 0x20000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CLIPSIBLINGS 0x04000000u
#define WS_CLIPCHILDREN 0x02000000u
#define WS_MAXIMIZE 0x01000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_DLGFRAME 0x00400000u
#define WS_VSCROLL 0x00200000u
#define WS_HSCROLL 0x00100000u
#define WS_SYSMENU 0x00080000u
#define WS_THICKFRAME 0x00040000u
#define WS_GROUP 0x00020000u
#define WS_TABSTOP 0x00010000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_TILED WS_OVERLAPPED
#define WS_ICONIC WS_MINIMIZE
#define WS_SIZEBOX WS_THICKFRAME
#define WS_CHILDWINDOW WS_CHILD
#define WS_OVERLAPPEDWINDOW (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_TILEDWINDOW WS_OVERLAPPEDWINDOW
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)

#define WS_EX_DLGMODALFRAME 0x00000001u
#define WS_EX_NOPARENTNOTIFY 0x00000004u
#define WS_EX_TOPMOST 0x00000008u
#define WS_EX_ACCEPTFILES 0x00000010u
#define WS_EX_TRANSPARENT 0x00000020u
#define WS_EX_MDICHILD 0x00000040u
#define WS_EX_TOOLWINDOW 0x00000080u
#define WS_EX_WINDOWEDGE 0x00000100u
#define WS_EX_CLIENTEDGE 0x00000200u
#define WS_EX_CONTEXTHELP 0x00000400u
#define WS_EX_RIGHT 0x00001000u
#define WS_EX_LEFT 0x00000000u
#define WS_EX_RTLREADING 0x00002000u
#define WS_EX_LEFTSCROLLBAR 0x00004000u
#define WS_EX_CONTROLPARENT 0x00010000u
#define WS_EX_STATICEDGE 0x00020000u
#define WS_EX_APPWINDOW 0x00040000u
#define WS_EX_LAYERED 0x00080000u
#define WS_EX_NOINHERITLAYOUT 0x00100000u
#define WS_EX_LAYOUTRTL 0x00400000u
#define WS_EX_COMPOSITED 0x02000000u
#define WS_EX_NOACTIVATE 0x08000000u
#define WS_EX_OVERLAPPEDWINDOW (WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE)

#define CS_VREDRAW 0x0001u
#define CS_HREDRAW 0x0002u
#define CS_DBLCLKS 0x0008u
#define CS_OWNDC 0x0020u
#define CS_CLASSDC 0x0040u
#define CS_PARENTDC 0x0080u
#define CS_NOCLOSE 0x0200u
#define CS_SAVEBITS 0x0800u
#define CS_GLOBALCLASS 0x4000u

#define DS_ABSALIGN 0x0001u
#define DS_SYSMODAL 0x0002u
#define DS_3DLOOK 0x0004u
#define DS_FIXEDSYS 0x0008u
#define DS_NOFAILCREATE 0x0010u
#define DS_LOCALEDIT 0x0020u
#define DS_SETFONT 0x0040u
#define DS_MODALFRAME 0x0080u
#define DS_NOIDLEMSG 0x0100u
#define DS_SETFOREGROUND 0x0200u
#define DS_CONTROL 0x0400u
#define DS_CENTER 0x0800u
#define DS_CENTERMOUSE 0x1000u
#define DS_CONTEXTHELP 0x2000u
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

#define BS_PUSHBUTTON 0x0000u
#define BS_DEFPUSHBUTTON 0x0001u
#define BS_CHECKBOX 0x0002u
#define BS_AUTOCHECKBOX 0x0003u
#define BS_RADIOBUTTON 0x0004u
#define BS_3STATE 0x0005u
#define BS_AUTO3STATE 0x0006u
#define BS_GROUPBOX 0x0007u
#define BS_USERBUTTON 0x0008u
#define BS_AUTORADIOBUTTON 0x0009u
#define BS_PUSHBOX 0x000Au
#define BS_OWNERDRAW 0x000Bu
#define BS_TYPEMASK 0x000Fu
#define BS_LEFTTEXT 0x0020u
#define BS_TEXT 0x0000u
#define BS_ICON 0x0040u
#define BS_BITMAP 0x0080u
#define BS_LEFT 0x0100u
#define BS_RIGHT 0x0200u
#define BS_CENTER 0x0300u
#define BS_TOP 0x0400u
#define BS_BOTTOM 0x0800u
#define BS_VCENTER 0x0C00u
#define BS_PUSHLIKE 0x1000u
#define BS_MULTILINE 0x2000u
#define BS_NOTIFY 0x4000u
#define BS_FLAT 0x8000u

#define ES_LEFT 0x0000u
#define ES_CENTER 0x0001u
#define ES_RIGHT 0x0002u
#define ES_MULTILINE 0x0004u
#define ES_UPPERCASE 0x0008u
#define ES_LOWERCASE 0x0010u
#define ES_PASSWORD 0x0020u
#define ES_AUTOVSCROLL 0x0040u
#define ES_AUTOHSCROLL 0x0080u
#define ES_NOHIDESEL 0x0100u
#define ES_OEMCONVERT 0x0400u
#define ES_READONLY 0x0800u
#define ES_WANTRETURN 0x1000u
#define ES_NUMBER 0x2000u

#define SS_LEFT 0x0000u
#define SS_CENTER 0x0001u
#define SS_RIGHT 0x0002u
#define SS_ICON 0x0003u
#define SS_BLACKRECT 0x0004u
#define SS_GRAYRECT 0x0005u
#define SS_WHITERECT 0x0006u
#define SS_BLACKFRAME 0x0007u
#define SS_GRAYFRAME 0x0008u
#define SS_WHITEFRAME 0x0009u
#define SS_USERITEM 0x000Au
#define SS_SIMPLE 0x000Bu
#define SS_LEFTNOWORDWRAP 0x000Cu
#define SS_OWNERDRAW 0x000Du
#define SS_BITMAP 0x000Eu
#define SS_ENHMETAFILE 0x000Fu
#define SS_ETCHEDHORZ 0x0010u
#define SS_ETCHEDVERT 0x0011u
#define SS_ETCHEDFRAME 0x0012u
#define SS_TYPEMASK 0x001Fu
#define SS_REALSIZECONTROL 0x0040u
#define SS_NOPREFIX 0x0080u
#define SS_NOTIFY 0x0100u
#define SS_CENTERIMAGE 0x0200u
#define SS_RIGHTJUST 0x0400u
#define SS_REALSIZEIMAGE 0x0800u
#define SS_SUNKEN 0x1000u
#define SS_EDITCONTROL 0x2000u
#define SS_ENDELLIPSIS 0x4000u
#define SS_PATHELLIPSIS 0x8000u
#define SS_WORDELLIPSIS 0xC000u

#define CBS_SIMPLE 0x0001u
#define CBS_DROPDOWN 0x0002u
#define CBS_DROPDOWNLIST 0x0003u
#define CBS_OWNERDRAWFIXED 0x0010u
#define CBS_OWNERDRAWVARIABLE 0x0020u
#define CBS_AUTOHSCROLL 0x0040u
#define CBS_OEMCONVERT 0x0080u
#define CBS_SORT 0x0100u
#define CBS_HASSTRINGS 0x0200u
#define CBS_NOINTEGRALHEIGHT 0x0400u
#define CBS_DISABLENOSCROLL 0x0800u
#define CBS_UPPERCASE 0x2000u
#define CBS_LOWERCASE 0x4000u

#define LBS_NOTIFY 0x0001u
#define LBS_SORT 0x0002u
#define LBS_NOREDRAW 0x0004u
#define LBS_MULTIPLESEL 0x0008u
#define LBS_OWNERDRAWFIXED 0x0010u
#define LBS_OWNERDRAWVARIABLE 0x0020u
#define LBS_HASSTRINGS 0x0040u
#define LBS_USETABSTOPS 0x0080u
#define LBS_NOINTEGRALHEIGHT 0x0100u
#define LBS_MULTICOLUMN 0x0200u
#define LBS_WANTKEYBOARDINPUT 0x0400u
#define LBS_EXTENDEDSEL 0x0800u
#define LBS_DISABLENOSCROLL 0x1000u
#define LBS_NODATA 0x2000u
#define LBS_NOSEL 0x4000u
#define LBS_COMBOBOX 0x8000u
#define LBS_STANDARD (LBS_NOTIFY | LBS_SORT | WS_VSCROLL | WS_BORDER)

#define TVS_HASBUTTONS 0x0001u
#define TVS_HASLINES 0x0002u
#define TVS_LINESATROOT 0x0004u
#define TVS_EDITLABELS 0x0008u
#define TVS_DISABLEDRAGDROP 0x0010u
#define TVS_SHOWSELALWAYS 0x0020u
#define TVS_RTLREADING 0x0040u
#define TVS_NOTOOLTIPS 0x0080u
#define TVS_CHECKBOXES 0x0100u
#define TVS_TRACKSELECT 0x0200u
#define TVS_SINGLEEXPAND 0x0400u
#define TVS_INFOTIP 0x0800u
#define TVS_FULLROWSELECT 0x1000u
#define TVS_NOSCROLL 0x2000u
#define TVS_NONEVENHEIGHT 0x4000u
#define TVS_NOHSCROLL 0x8000u

#define LVS_ICON 0x0000u
#define LVS_REPORT 0x0001u
#define LVS_SMALLICON 0x0002u
#define LVS_LIST 0x0003u
#define LVS_TYPEMASK 0x0003u
#define LVS_SINGLESEL 0x0004u
#define LVS_SHOWSELALWAYS 0x0008u
#define LVS_SORTASCENDING 0x0010u
#define LVS_SORTDESCENDING 0x0020u
#define LVS_SHAREIMAGELISTS 0x0040u
#define LVS_NOLABELWRAP 0x0080u
#define LVS_AUTOARRANGE 0x0100u
#define LVS_EDITLABELS 0x0200u
#define LVS_OWNERDRAWFIXED 0x0400u
#define LVS_ALIGNLEFT 0x0800u
#define LVS_OWNERDATA 0x1000u
#define LVS_NOSCROLL 0x2000u
#define LVS_NOCOLUMNHEADER 0x4000u
#define LVS_NOSORTHEADER 0x8000u

#define UDS_WRAP 0x0001u
#define UDS_SETBUDDYINT 0x0002u
#define UDS_ALIGNRIGHT 0x0004u
#define UDS_ALIGNLEFT 0x0008u
#define UDS_AUTOBUDDY 0x0010u
#define UDS_ARROWKEYS 0x0020u
#define UDS_HORZ 0x0040u
#define UDS_NOTHOUSANDS 0x0080u
#define UDS_HOTTRACK 0x0100u

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

// --- Message boxes (MessageBoxW is the controls family's) ---
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONHAND 0x00000010u
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONMASK 0x000000F0u
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u
#define MB_SETFOREGROUND 0x00010000u
#define MB_TOPMOST 0x00040000u
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDCLOSE 8
#define IDHELP 9

// --- Peek, queue and virtual keys ---
#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u
#define PM_NOYIELD 0x0002u
#define QS_KEY 0x0001u
#define QS_MOUSEMOVE 0x0002u
#define QS_MOUSEBUTTON 0x0004u
#define QS_POSTMESSAGE 0x0008u
#define QS_TIMER 0x0010u
#define QS_PAINT 0x0020u
#define QS_SENDMESSAGE 0x0040u
#define QS_ALLINPUT 0x04FFu
#define SMTO_NORMAL 0x0000u
#define SMTO_BLOCK 0x0001u
#define SMTO_ABORTIFHUNG 0x0002u

#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_F1 0x70
#define VK_F5 0x74
#define VK_F10 0x79
#define VK_F12 0x7B

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

// --- Menus ---
#define MF_INSERT 0x00000000u
#define MF_CHANGE 0x00000080u
#define MF_APPEND 0x00000100u
#define MF_DELETE 0x00000200u
#define MF_REMOVE 0x00001000u
#define MF_BYCOMMAND 0x00000000u
#define MF_BYPOSITION 0x00000400u
#define MF_SEPARATOR 0x00000800u
#define MF_ENABLED 0x00000000u
#define MF_GRAYED 0x00000001u
#define MF_DISABLED 0x00000002u
#define MF_UNCHECKED 0x00000000u
#define MF_CHECKED 0x00000008u
#define MF_USECHECKBITMAPS 0x00000200u
#define MF_STRING 0x00000000u
#define MF_BITMAP 0x00000004u
#define MF_OWNERDRAW 0x00000100u
#define MF_POPUP 0x00000010u
#define MF_MENUBARBREAK 0x00000020u
#define MF_MENUBREAK 0x00000040u
#define MF_UNHILITE 0x00000000u
#define MF_HILITE 0x00000080u
#define MF_DEFAULT 0x00001000u
#define MF_SYSMENU 0x00002000u
#define MF_HELP 0x00004000u
#define MF_RIGHTJUSTIFY 0x00004000u
#define MF_MOUSESELECT 0x00008000u
#define MF_END 0x00000080u  // last item of a level in a menu template
#define MFT_STRING MF_STRING
#define MFT_BITMAP MF_BITMAP
#define MFT_MENUBARBREAK MF_MENUBARBREAK
#define MFT_MENUBREAK MF_MENUBREAK
#define MFT_OWNERDRAW MF_OWNERDRAW
#define MFT_RADIOCHECK 0x00000200u
#define MFT_SEPARATOR MF_SEPARATOR
#define MFT_RIGHTORDER 0x00002000u
#define MFT_RIGHTJUSTIFY MF_RIGHTJUSTIFY
#define MFS_GRAYED 0x00000003u
#define MFS_DISABLED MFS_GRAYED
#define MFS_CHECKED MF_CHECKED
#define MFS_HILITE MF_HILITE
#define MFS_ENABLED MF_ENABLED
#define MFS_UNCHECKED MF_UNCHECKED
#define MFS_DEFAULT MF_DEFAULT

#define SC_SIZE 0xF000u
#define SC_MOVE 0xF010u
#define SC_MINIMIZE 0xF020u
#define SC_MAXIMIZE 0xF030u
#define SC_NEXTWINDOW 0xF040u
#define SC_CLOSE 0xF060u
#define SC_KEYMENU 0xF100u
#define SC_RESTORE 0xF120u
#define SC_CONTEXTHELP 0xF180u

#define TPM_LEFTBUTTON 0x0000u
#define TPM_RIGHTBUTTON 0x0002u
#define TPM_LEFTALIGN 0x0000u
#define TPM_CENTERALIGN 0x0004u
#define TPM_RIGHTALIGN 0x0008u
#define TPM_TOPALIGN 0x0000u
#define TPM_VCENTERALIGN 0x0010u
#define TPM_BOTTOMALIGN 0x0020u
#define TPM_NONOTIFY 0x0080u
#define TPM_RETURNCMD 0x0100u

// MENUITEMINFOW.fMask: which members InsertMenuItemW reads.
#define MIIM_STATE 0x0001u
#define MIIM_ID 0x0002u
#define MIIM_SUBMENU 0x0004u
#define MIIM_CHECKMARKS 0x0008u
#define MIIM_TYPE 0x0010u  // fType and dwTypeData together (the older form of MIIM_FTYPE | MIIM_STRING)
#define MIIM_DATA 0x0020u
#define MIIM_STRING 0x0040u
#define MIIM_BITMAP 0x0080u
#define MIIM_FTYPE 0x0100u

struct MENUITEMINFOW {
    UINT cbSize;
    UINT fMask;
    UINT fType;   // MFT_*
    UINT fState;  // MFS_*
    UINT wID;
    HMENU hSubMenu;
    HBITMAP hbmpChecked;
    HBITMAP hbmpUnchecked;
    ULONG_PTR dwItemData;
    LPWSTR dwTypeData;
    UINT cch;
    HBITMAP hbmpItem;
};
using LPMENUITEMINFOW = MENUITEMINFOW*;
using LPCMENUITEMINFOW = const MENUITEMINFOW*;

struct TPMPARAMS {
    UINT cbSize;
    RECT rcExclude;
};
using LPTPMPARAMS = TPMPARAMS*;

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

// --- Messages ---
/// Cross-thread: waits until the owner thread has handled it (the caller handles messages
/// sent to its own windows meanwhile). ERROR_INVALID_WINDOW_HANDLE: 0.
PLATFORM_API LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
/// Gives up after timeout ms of the stand-in's clock (or when the owner thread is gone):
/// 0 with ERROR_TIMEOUT.
PLATFORM_API LRESULT SendMessageTimeoutW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                                         UINT timeout, DWORD_PTR* result);
/// Posts to the window's thread queue. A NULL window posts to the calling thread.
PLATFORM_API BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
/// ERROR_INVALID_THREAD_ID when the thread has no message queue (it never called a user
/// function).
PLATFORM_API BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
PLATFORM_API void PostQuitMessage(int exitCode);
/// Order: messages sent from other threads (handled inside, never returned), posted
/// messages, WM_QUIT (once the queue is empty), WM_PAINT, WM_TIMER. Returns 0 for WM_QUIT,
/// -1 for an invalid window filter. A NULL filter window takes every message of the thread.
PLATFORM_API BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
PLATFORM_API BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
/// Waits until a message arrives for the thread.
PLATFORM_API BOOL WaitMessage();
/// WM_TIMER with a callback calls the callback instead of the window.
PLATFORM_API LRESULT DispatchMessageW(const MSG* msg);
/// Posts WM_CHAR for a WM_KEYDOWN of a printable key (and WM_SYSCHAR likewise).
PLATFORM_API BOOL TranslateMessage(const MSG* msg);
/// True while the thread handles a message sent from another thread.
PLATFORM_API BOOL InSendMessage();
PLATFORM_API BOOL ReplyMessage(LRESULT result);
PLATFORM_API DWORD GetQueueStatus(UINT flags);
PLATFORM_API LONG GetMessageTime();
PLATFORM_API UINT RegisterWindowMessageW(LPCWSTR name);
/// The stand-in's key state (standin::ui::SetKeyDown); bit 15 set while down.
PLATFORM_API SHORT GetKeyState(int virtualKey);
PLATFORM_API SHORT GetAsyncKeyState(int virtualKey);
PLATFORM_API BOOL GetCursorPos(POINT* point);
PLATFORM_API BOOL SetCursorPos(int x, int y);
PLATFORM_API HCURSOR SetCursor(HCURSOR cursor);
PLATFORM_API HWND SetCapture(HWND hwnd);
PLATFORM_API BOOL ReleaseCapture();
PLATFORM_API HWND GetCapture();

// --- Timers (WM_TIMER from the message loop, timed by the stand-in's clock) ---
/// A window timer is replaced by SetTimer with the same window and id. NULL window: a new
/// thread timer id is returned. Elapse below 10 ms counts as 10.
PLATFORM_API UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
PLATFORM_API BOOL KillTimer(HWND hwnd, UINT_PTR id);

// --- Dialogs ---
/// Parses DLGTEMPLATE or DLGTEMPLATEEX with bounds: a template shorter than it claims is
/// refused (NULL with ERROR_INVALID_DATA). The dialog gets WM_SETFONT (DS_SETFONT) then
/// WM_INITDIALOG with param; focus goes to the first WS_TABSTOP control unless
/// WM_INITDIALOG returns FALSE. These Indirect forms take no template size: the template's
/// own counts bound the read (the stand-in checks them against the resource it came from
/// when it can).
PLATFORM_API HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dlgTemplate, HWND parent,
                                             DLGPROC proc, LPARAM param);
/// The template is an RT_DIALOG resource of the module. A menu the template names is loaded
/// from the same module as the dialog's menu bar; when the module lacks it, no dialog is made.
PLATFORM_API HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc,
                                     LPARAM param);
/// Modal: the owner (parent's top-level window) is disabled until EndDialog; the dialog's
/// loop handles the thread's messages. Returns EndDialog's result, -1 when the dialog could
/// not be made. A WM_QUIT ends the loop and is posted again.
PLATFORM_API INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc,
                                     LPARAM param);
PLATFORM_API INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dlgTemplate, HWND parent,
                                             DLGPROC proc, LPARAM param);
/// Ends a modal dialog (also from WM_INITDIALOG: it is then never shown). For a modeless
/// dialog it only hides it.
PLATFORM_API BOOL EndDialog(HWND dialog, INT_PTR result);
PLATFORM_API LRESULT DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/// Tab / Shift+Tab move the focus among WS_TABSTOP controls, Enter sends WM_COMMAND with the
/// default id (DM_GETDEFID, else IDOK), Esc WM_COMMAND IDCANCEL; other messages of the
/// dialog and its controls are dispatched. Returns whether the message was for the dialog.
PLATFORM_API BOOL IsDialogMessageW(HWND dialog, LPMSG msg);
PLATFORM_API HWND GetDlgItem(HWND dialog, int id);
PLATFORM_API int GetDlgCtrlID(HWND hwnd);
PLATFORM_API BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
PLATFORM_API UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int cchMax);
PLATFORM_API BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
/// Leading and trailing blanks allowed; *translated FALSE for text that is no number or out
/// of range.
PLATFORM_API UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
PLATFORM_API LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
PLATFORM_API BOOL CheckDlgButton(HWND dialog, int id, UINT check);
PLATFORM_API UINT IsDlgButtonChecked(HWND dialog, int id);
PLATFORM_API BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId);
PLATFORM_API HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
PLATFORM_API HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);
/// Dialog units to pixels with the stand-in's fixed base units (STANDIN_DLG_BASE_X/Y).
PLATFORM_API BOOL MapDialogRect(HWND dialog, RECT* rect);
PLATFORM_API LONG GetDialogBaseUnits();

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

// --- Menus ---
PLATFORM_API HMENU CreateMenu();
PLATFORM_API HMENU CreatePopupMenu();
/// Destroys its submenus too.
PLATFORM_API BOOL DestroyMenu(HMENU menu);
PLATFORM_API BOOL IsMenu(HMENU menu);
/// MF_POPUP: newItemId is the HMENU of the submenu, which then belongs to this menu.
PLATFORM_API BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR newItemId, LPCWSTR text);
PLATFORM_API BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR newItemId, LPCWSTR text);
/// Inserts before the item at item (a position when byPosition, else a command found anywhere
/// below menu; a position past the end appends). info->cbSize must be the structure's size
/// (or that size less hbmpItem); otherwise ERROR_INVALID_PARAMETER. A MIIM_SUBMENU handle then
/// belongs to this menu.
PLATFORM_API BOOL InsertMenuItemW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info);
/// DeleteMenu destroys a submenu it removes; RemoveMenu does not.
PLATFORM_API BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
PLATFORM_API BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
/// Returns the previous state (MF_GRAYED / MF_DISABLED bits), -1 when there is no such item.
PLATFORM_API BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable);
/// Returns the previous check state, -1 (as DWORD) when there is no such item.
PLATFORM_API DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
PLATFORM_API int GetMenuItemCount(HMENU menu);
/// -1 (as UINT) for a popup or a missing item.
PLATFORM_API UINT GetMenuItemID(HMENU menu, int position);
/// Flags of the item; for a popup the item count in the high byte. -1 (as UINT) for none.
PLATFORM_API UINT GetMenuState(HMENU menu, UINT item, UINT flags);
PLATFORM_API int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int cchMax, UINT flags);
PLATFORM_API HMENU GetSubMenu(HMENU menu, int position);
/// The window's own copy of the standard system menu (Restore, Move, Size, Minimize,
/// Maximize, separator, Close); revert TRUE drops the copy and returns NULL.
PLATFORM_API HMENU GetSystemMenu(HWND hwnd, BOOL revert);
PLATFORM_API HMENU GetMenu(HWND hwnd);
PLATFORM_API BOOL SetMenu(HWND hwnd, HMENU menu);
/// An RT_MENU resource in the MENU or MENUEX layout; NULL with ERROR_INVALID_DATA when it is
/// malformed or truncated.
PLATFORM_API HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name);
/// As LoadMenuW, from a template in memory (no size is given: the template's own end
/// marks bound the read).
PLATFORM_API HMENU LoadMenuIndirectW(const void* menuTemplate);
/// The stand-in shows nothing: the command comes from the test's script
/// (standin::ui::OnTrackPopupMenu), 0 when none is set or the script cancels. With
/// TPM_RETURNCMD the command is returned; otherwise it is posted to the owner window as
/// WM_COMMAND and the call returns TRUE when one was chosen.
PLATFORM_API BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);
/// As TrackPopupMenu; params (may be NULL) must carry cbSize == sizeof(TPMPARAMS), else the
/// call fails with ERROR_INVALID_PARAMETER. Its excluded rectangle has nothing to avoid here.
PLATFORM_API BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params);

// --- Accelerators ---
/// An RT_ACCELERATOR resource; NULL with ERROR_RESOURCE_NAME_NOT_FOUND or, for a table
/// without an entry flagged last within its size, ERROR_INVALID_DATA.
PLATFORM_API HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name);
PLATFORM_API HACCEL CreateAcceleratorTableW(const ACCEL* entries, int count);
PLATFORM_API BOOL DestroyAcceleratorTable(HACCEL table);
/// NULL entries: returns the count.
PLATFORM_API int CopyAcceleratorTableW(HACCEL table, ACCEL* entries, int count);
/// WM_KEYDOWN / WM_SYSKEYDOWN (virtual keys, with FSHIFT/FCONTROL/FALT matched against
/// GetKeyState) and WM_CHAR (character keys): sends WM_COMMAND with HIWORD 1 to hwnd.
PLATFORM_API int TranslateAcceleratorW(HWND hwnd, HACCEL table, LPMSG msg);

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
PLATFORM_API BOOL DestroyCursor(HCURSOR cursor);

// --- Controls family (declared here, implemented with the controls) ---
PLATFORM_API int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
PLATFORM_API BOOL MessageBeep(UINT type);

// --- Global atoms ---
// One process-wide table of strings with reference counts, compared without regard to case.
// A string of the form "#123" (or an integer atom made with MAKEINTATOM) is the atom 123
// itself, below 0xC000; string atoms are numbered from 0xC000.
#define MAXINTATOM 0xC000u
PLATFORM_API ATOM GlobalAddAtomW(LPCWSTR text);
/// Drops one reference; the string goes with the last. Returns 0 on success, the atom when
/// it is not in the table (ERROR_INVALID_HANDLE).
PLATFORM_API ATOM GlobalDeleteAtom(ATOM atom);
PLATFORM_API ATOM GlobalFindAtomW(LPCWSTR text);
/// Characters copied without the terminator, cut to fit `cchBuffer`; 0 when unknown.
PLATFORM_API UINT GlobalGetAtomNameW(ATOM atom, LPWSTR buffer, int cchBuffer);
