#pragma once
// Outside user interface the libraries call: WinHelp, shell folder browsing, the file-open
// dialog and font enumeration. Nothing is shown: each call is recorded and answered from the
// test's script (platform/StandInShell.h). MessageBoxW and MessageBeep are declared in
// platform/User.h and recorded the same way.
#include "platform/User.h"
#include "platform/WinGdi.h"

// --- WinHelp ---
#define HELP_CONTEXT 0x0001u
#define HELP_QUIT 0x0002u
#define HELP_INDEX 0x0003u
#define HELP_CONTENTS 0x0003u
#define HELP_HELPONHELP 0x0004u
#define HELP_FINDER 0x000Bu
#define HELP_CONTEXTMENU 0x000Au
#define HELP_WM_HELP 0x000Cu
/// Recorded; returns TRUE.
PLATFORM_API BOOL WinHelpW(HWND hwnd, LPCWSTR helpFile, UINT command, ULONG_PTR data);

// --- Shell folders ---
struct ITEMIDLIST__;
using LPITEMIDLIST = ITEMIDLIST__*;
using PIDLIST_ABSOLUTE = ITEMIDLIST__*;
using LPCITEMIDLIST = const ITEMIDLIST__*;
using BFFCALLBACK = int (*)(HWND hwnd, UINT message, LPARAM lParam, LPARAM data);
struct BROWSEINFOW {
    HWND hwndOwner;
    LPCITEMIDLIST pidlRoot;
    LPWSTR pszDisplayName;  // MAX_PATH characters: the chosen folder's own name
    LPCWSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam;
    int iImage;
};
#define BIF_RETURNONLYFSDIRS 0x0001u
#define BIF_NEWDIALOGSTYLE 0x0040u
#define BFFM_INITIALIZED 1u
#define BFFM_SELCHANGED 2u
#define BFFM_SETSELECTIONW (WM_USER + 103)
/// The scripted folder as an item list that CoTaskMemFree frees, or NULL when the script
/// cancels (the default). The callback receives BFFM_INITIALIZED with a NULL window first.
PLATFORM_API LPITEMIDLIST SHBrowseForFolderW(BROWSEINFOW* info);
/// Copies the folder path (MAX_PATH characters); FALSE for NULL.
PLATFORM_API BOOL SHGetPathFromIDListW(LPCITEMIDLIST list, LPWSTR path);
/// Frees memory handed out by the shell; NULL is allowed.
PLATFORM_API void CoTaskMemFree(LPVOID block);

// --- File-open dialog ---
struct OPENFILENAMEW {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCWSTR lpstrFilter;
    LPWSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPWSTR lpstrFile;
    DWORD nMaxFile;
    LPWSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCWSTR lpstrInitialDir;
    LPCWSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCWSTR lpstrDefExt;
    LPARAM lCustData;
    LPVOID lpfnHook;
    LPCWSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};
#define OFN_READONLY 0x00000001u
#define OFN_OVERWRITEPROMPT 0x00000002u
#define OFN_HIDEREADONLY 0x00000004u
#define OFN_NOCHANGEDIR 0x00000008u
#define OFN_PATHMUSTEXIST 0x00000800u
#define OFN_FILEMUSTEXIST 0x00001000u
#define OFN_EXPLORER 0x00080000u
#define FNERR_BUFFERTOOSMALL 0x3003u
/// Fills lpstrFile (and lpstrFileTitle, nFileOffset, nFileExtension) with the scripted file
/// and returns TRUE; FALSE when the script cancels (the default) or lStructSize is wrong.
/// A buffer too small fails with the needed length in the first two characters.
PLATFORM_API BOOL GetOpenFileNameW(OPENFILENAMEW* info);
/// The last failure of GetOpenFileNameW: 0 for a cancel, FNERR_BUFFERTOOSMALL.
PLATFORM_API DWORD CommDlgExtendedError();

// --- Fonts ---
using FONTENUMPROCW = int (*)(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD type, LPARAM param);
#define RASTER_FONTTYPE 0x0001u
#define DEVICE_FONTTYPE 0x0002u
#define TRUETYPE_FONTTYPE 0x0004u
/// Calls proc for each scripted font (all of them, or those whose face matches face) until it
/// returns 0; returns the last answer, or 1 when no font was listed.
PLATFORM_API int EnumFontsW(HDC hdc, LPCWSTR face, FONTENUMPROCW proc, LPARAM param);
