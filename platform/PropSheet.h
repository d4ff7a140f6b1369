#pragma once
// Property sheets and the outside modules the settings pages call: pages made from dialog
// templates, the sheet that hosts them, the common property sheet library's interface
// ("compstui.dll"), HTML Help ("hhctrl.ocx") and the halftone adjustment library ("htui").
//
// A sheet is a modal dialog: a row of tabs (one per page, the page template's caption), the
// current page below them and the OK, Cancel, Apply and (with PSP_HASHELP) Help buttons. Pages
// are made the first time they are shown, as children of the sheet, and are told of
// activation, apply, reset and help through WM_NOTIFY with a PSHNOTIFY; a page refuses by
// setting DWLP_MSGRESULT to a non-zero value. Nothing is shown on a screen: the test's
// modal-dialog script (standin::ui::OnModalDialog) presses the buttons and tabs.
#include "platform/Controls.h"
#include "platform/DevMode.h"

// --- Pages ---
struct PSP;
using HPROPSHEETPAGE = PSP*;
struct PROPSHEETPAGEW;
using LPFNPSPCALLBACKW = UINT (*)(HWND hwnd, UINT message, PROPSHEETPAGEW* page);
using HACTCTX = HANDLE;

/// The version that carries an activation context (52 bytes on x86).
struct PROPSHEETPAGEW {
    DWORD dwSize;
    DWORD dwFlags;
    HINSTANCE hInstance;
    union {
        LPCWSTR pszTemplate;
        LPCDLGTEMPLATEW pResource;
    };
    union {
        HICON hIcon;
        LPCWSTR pszIcon;
    };
    LPCWSTR pszTitle;
    DLGPROC pfnDlgProc;
    LPARAM lParam;
    LPFNPSPCALLBACKW pfnCallback;
    UINT* pcRefParent;
    LPCWSTR pszHeaderTitle;
    LPCWSTR pszHeaderSubTitle;
    HACTCTX hActCtx;
};
static_assert(sizeof(PROPSHEETPAGEW) == (sizeof(void*) == 4 ? 52 : 96));
using LPPROPSHEETPAGEW = PROPSHEETPAGEW*;
using LPCPROPSHEETPAGEW = const PROPSHEETPAGEW*;
/// The sizes of the earlier versions, also accepted.
#define PROPSHEETPAGEW_V1_SIZE (sizeof(void*) == 4 ? 40u : 72u)
#define PROPSHEETPAGEW_V2_SIZE (sizeof(void*) == 4 ? 48u : 88u)

#define PSP_DEFAULT 0x00000000u
#define PSP_DLGINDIRECT 0x00000001u
#define PSP_USEHICON 0x00000002u
#define PSP_USEICONID 0x00000004u
#define PSP_USETITLE 0x00000008u
#define PSP_RTLREADING 0x00000010u
#define PSP_HASHELP 0x00000020u
#define PSP_USEREFPARENT 0x00000040u
#define PSP_USECALLBACK 0x00000080u
#define PSP_PREMATURE 0x00000400u
#define PSP_HIDEHEADER 0x00000800u
#define PSP_USEHEADERTITLE 0x00001000u
#define PSP_USEHEADERSUBTITLE 0x00002000u
#define PSP_USEFUSIONCONTEXT 0x00004000u

#define PSPCB_ADDREF 0u
#define PSPCB_RELEASE 1u
#define PSPCB_CREATE 2u

/// Copies the record (dwSize bytes, at least the first version). The callback, with
/// PSP_USECALLBACK, hears PSPCB_ADDREF now, PSPCB_CREATE before the page's dialog is made
/// (0 refuses it) and PSPCB_RELEASE when the page is destroyed; it receives the copy.
/// NULL with ERROR_INVALID_PARAMETER for a bad size.
PLATFORM_API HPROPSHEETPAGE CreatePropertySheetPageW(LPCPROPSHEETPAGEW page);
/// For a page never given to a sheet (a sheet destroys its own pages). FALSE for an unknown
/// handle.
PLATFORM_API BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page);

// --- Sheets ---
using PFNPROPSHEETCALLBACK = int (*)(HWND hwnd, UINT message, LPARAM lParam);
struct PROPSHEETHEADERW {
    DWORD dwSize;
    DWORD dwFlags;
    HWND hwndParent;
    HINSTANCE hInstance;
    union {
        HICON hIcon;
        LPCWSTR pszIcon;
    };
    LPCWSTR pszCaption;
    UINT nPages;
    union {
        UINT nStartPage;
        LPCWSTR pStartPage;
    };
    union {
        LPCPROPSHEETPAGEW ppsp;
        HPROPSHEETPAGE* phpage;
    };
    PFNPROPSHEETCALLBACK pfnCallback;
};
#define PSH_DEFAULT 0x00000000u
#define PSH_PROPTITLE 0x00000001u
#define PSH_USEHICON 0x00000002u
#define PSH_USEICONID 0x00000004u
#define PSH_PROPSHEETPAGE 0x00000008u
#define PSH_NOAPPLYNOW 0x00000080u
#define PSH_USECALLBACK 0x00000100u
#define PSH_HASHELP 0x00000200u
#define PSH_MODELESS 0x00000400u
#define PSH_USEPSTARTPAGE 0x00000800u

/// Modal: returns 1 when the pages applied (OK, or Apply earlier), 0 when nothing was
/// applied, -1 when the sheet could not be made. Every page is destroyed before it returns
/// (PSPCB_RELEASE), also one never shown.
PLATFORM_API INT_PTR PropertySheetW(const PROPSHEETHEADERW* header);

struct PSHNOTIFY {
    NMHDR hdr;
    LPARAM lParam;
};
#define PSN_FIRST (0u - 200u)
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSN_HELP (PSN_FIRST - 5)
#define PSN_QUERYCANCEL (PSN_FIRST - 9)
#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2

#define PSM_SETCURSEL (WM_USER + 101)
#define PSM_REMOVEPAGE (WM_USER + 102)
#define PSM_ADDPAGE (WM_USER + 103)
#define PSM_CHANGED (WM_USER + 104)
#define PSM_CANCELTOCLOSE (WM_USER + 107)
#define PSM_UNCHANGED (WM_USER + 109)
#define PSM_APPLY (WM_USER + 110)
#define PSM_PRESSBUTTON (WM_USER + 113)
#define PSM_SETCURSELID (WM_USER + 114)
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)
#define PSM_SETTITLEW (WM_USER + 120)
#define PSBTN_OK 3
#define PSBTN_APPLYNOW 4
#define PSBTN_CANCEL 5
#define PSBTN_HELP 6
#define ID_APPLY_NOW 0x3021
#define ID_PSHELP IDHELP

// --- The common property sheet library ("compstui.dll") ---
using PFNCOMPROPSHEET = LONG_PTR (*)(HANDLE hComPropSheet, UINT function, LPARAM lParam1, LPARAM lParam2);
struct PROPSHEETUI_INFO {
    WORD cbSize;
    WORD Version;
    WORD Flags;
    WORD Reason;
    HANDLE hComPropSheet;
    PFNCOMPROPSHEET pfnComPropSheet;
    LPARAM lParamInit;
    ULONG_PTR UserData;
    ULONG_PTR Result;
};
using PPROPSHEETUI_INFO = PROPSHEETUI_INFO*;
using PFNPROPSHEETUI = LONG (*)(PPROPSHEETUI_INFO info, LPARAM lParam);
struct PROPSHEETUI_INFO_HEADER {
    WORD cbSize;
    WORD Flags;
    LPWSTR pTitle;
    HWND hWndParent;
    HINSTANCE hInst;
    union {
        HICON hIcon;
        ULONG_PTR IconID;
    };
};
using PPROPSHEETUI_INFO_HEADER = PROPSHEETUI_INFO_HEADER*;
struct SETRESULT_INFO {
    WORD cbSize;
    WORD wReserved;
    HANDLE hSetResult;
    LRESULT Result;
};
using PSETRESULT_INFO = SETRESULT_INFO*;

#define PROPSHEETUI_INFO_VERSION 0x0100
#define PROPSHEETUI_REASON_INIT 0
#define PROPSHEETUI_REASON_GET_INFO_HEADER 1
#define PROPSHEETUI_REASON_DESTROY 2
#define PROPSHEETUI_REASON_SET_RESULT 3
#define PSUIHDRF_NOAPPLYNOW 0x0002
#define PSUIHDRF_PROPTITLE 0x0004
#define PSUIHDRF_USEHICON 0x0008
#define PSUIHDRF_DEFTITLE 0x0010
#define CPSFUNC_ADD_HPROPSHEETPAGE 0
#define CPSFUNC_ADD_PROPSHEETPAGEW 1
#define CPSFUNC_GET_PAGECOUNT 8
#define CPSFUNC_SET_RESULT 9
#define CPSUI_CANCEL 0
#define CPSUI_OK 1
#define CPSUI_RESTARTWINDOWS 2
#define CPSUI_REBOOTSYSTEM 3
#define ERR_CPSUI_GETLASTERROR (-1)
#define ERR_CPSUI_ALLOCMEM_FAILED (-2)
#define ERR_CPSUI_INVALID_PDATA (-3)
#define ERR_CPSUI_NO_PROPSHEETPAGE (-17)
/// Exported by "compstui.dll" under this name.
using PFNCOMMONPROPERTYSHEETUIW = LONG (*)(HWND hWndOwner, PFNPROPSHEETUI pfnPropSheetUI, LPARAM lParam,
                                           LPDWORD pResult);

// --- HTML Help ("hhctrl.ocx", also exported as ordinal 15) ---
#define HH_DISPLAY_TOPIC 0x0000u
#define HH_HELP_FINDER 0x0000u
#define HH_DISPLAY_TOC 0x0001u
#define HH_HELP_CONTEXT 0x000Fu
#define HH_TP_HELP_CONTEXTMENU 0x0010u
#define HH_TP_HELP_WM_HELP 0x0011u
#define HH_CLOSE_ALL 0x0012u
using PFNHTMLHELPW = HWND (*)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);

// --- Halftone adjustment ("htui.dll") ---
struct DEVHTADJDATA {
    DWORD DeviceFlags;
    DWORD DeviceXDPI;
    DWORD DeviceYDPI;
    DEVHTINFO* pDefHTInfo;
    DEVHTINFO* pAdjHTInfo;
};
using PDEVHTADJDATA = DEVHTADJDATA*;
/// Both answer > 0 when the user changed the record, 0 when not, < 0 on failure.
using PFNHTUICOLORADJUSTMENTW = LONG (*)(LPWSTR callerTitle, HANDLE defaultDib, LPWSTR dibTitle,
                                         COLORADJUSTMENT* adjustment, BOOL showMonochromeOnly, BOOL updatePermission);
using PFNHTUIDEVICECOLORADJUSTMENTW = LONG (*)(LPWSTR deviceName, PDEVHTADJDATA data);
