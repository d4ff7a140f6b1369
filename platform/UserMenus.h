#pragma once
// Menus and accelerators: the template layouts, item flags and structures, and their functions.
#include "platform/UserTypes.h"

// --- Binary layouts of menu templates (packed: the templates are WORD-aligned byte streams,
// the same on x86 and x64) ---
#pragma pack(push, 2)
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
static_assert(sizeof(MENUITEMTEMPLATEHEADER) == 4);
static_assert(sizeof(MENUEX_TEMPLATE_HEADER) == 8);
static_assert(sizeof(MENUEX_TEMPLATE_ITEM) == 14);

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

// --- Accelerators ---
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
static_assert(sizeof(ACCELTABLEENTRY) == 8);
static_assert(sizeof(ACCEL) == 6);

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
