#pragma once
// Dialogs: the binary template layouts, the dialog functions, and message boxes.
#include "platform/UserTypes.h"

// --- Binary layouts of dialog templates (packed: the templates are WORD-aligned byte
// streams, the same on x86 and x64) ---
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
#pragma pack(pop)
static_assert(sizeof(DLGTEMPLATE) == 18);
static_assert(sizeof(DLGITEMTEMPLATE) == 18);
static_assert(sizeof(DLGTEMPLATEEX) == 26);
static_assert(sizeof(DLGITEMTEMPLATEEX) == 24);
using LPCDLGTEMPLATEW = const DLGTEMPLATE*;

// Atoms of the predefined control classes in dialog item templates.
#define DLGITEM_BUTTON 0x0080
#define DLGITEM_EDIT 0x0081
#define DLGITEM_STATIC 0x0082
#define DLGITEM_LISTBOX 0x0083
#define DLGITEM_SCROLLBAR 0x0084
#define DLGITEM_COMBOBOX 0x0085

/// Dialog base units of the stand-in's system font: 6 x 13 pixels per character (average
/// width x height). A dialog whose template names a font (DS_SETFONT) takes that font's units
/// instead, as the platform does: the average width of the 52 Latin letters, rounded, and
/// the font's height (6 x 12 for the 9-point font). One horizontal dialog unit is a quarter
/// of the width, one vertical unit an eighth of the height (MapDialogRect rounds:
/// (x * width + 2) / 4, (y * height + 4) / 8). GetDialogBaseUnits reports the system
/// font's MAKELONG(6, 13).
#define STANDIN_DLG_BASE_X 6
#define STANDIN_DLG_BASE_Y 13

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
/// Dialog units to pixels with the dialog's base units (its template font's, see above).
PLATFORM_API BOOL MapDialogRect(HWND dialog, RECT* rect);
PLATFORM_API LONG GetDialogBaseUnits();

// --- Message boxes (the controls family's) ---
PLATFORM_API int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
PLATFORM_API BOOL MessageBeep(UINT type);
