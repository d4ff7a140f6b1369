#pragma once
// Messages: their numbers and parameters, the structures they carry, the queue and keyboard
// constants, and the functions that send, post and pump them, with the timers.
#include "platform/UserTypes.h"

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

// Structures that messages carry.
struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};
using LPNMHDR = NMHDR*;

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
/// Like SendMessageW without waiting: a window of this thread is called at once; one of
/// another thread gets the message as a sent one, handled before its posted messages the
/// next time its owner pumps. FALSE for an unknown window.
PLATFORM_API BOOL SendNotifyMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
/// Waits for one of the handles (all of them with waitAll) or for input of the kinds in
/// wakeMask (QS_*) in this thread's queue: WAIT_OBJECT_0 + index, WAIT_OBJECT_0 + count for
/// input, WAIT_TIMEOUT, or WAIT_FAILED. Input already waiting counts; sent messages are left
/// for the caller's PeekMessageW to handle.
PLATFORM_API DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                             DWORD wakeMask);
/// Joins (or parts) the input states of two threads; the stand-in keeps one input state, so
/// it checks the threads and records the join (standin::ui::JoinedInputCount): FALSE for the
/// same thread or a thread without a message queue.
PLATFORM_API BOOL AttachThreadInput(DWORD attach, DWORD attachTo, BOOL doAttach);
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
