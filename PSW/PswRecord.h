#pragma once
// The per-printer record of the status window: one per window set, allocated zeroed with
// GlobalAlloc by InitializeStatusWindowEx, user data (GWLP_USERDATA) of the main window and
// parameter of every dialog of the set. Every part of the library works on it; the fields are
// grouped by the part that owns them. Freed only by PswBufferRelease (from the main window's
// WM_NCDESTROY, or by a failing InitializeStatusWindowEx).
#include <cstddef>

#include "platform/Kernel.h"
#include "platform/StatusManager.h"
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"

// --- Result codes of the exports ---
#define PSW_NO_ERROR 0u
#define ERR_PSW 1u
#define PSWERR_OUTOFMEMORY 2u

// --- Display-condition bits (dwDispConditionPSW / dwDispConditionEWS) ---
#define PSWDEF_DC_NOSUPPORT 0x1u   // the connection gives no status for this window
#define PSWDEF_DC_NOWATCH 0x2u     // watching is switched off in the settings
#define PSWDEF_DC_NODISPLAY 0x3u   // either bit: the window is not shown

/// Sizes of the record's fixed text fields, in characters (bytes for the ANSI driver name).
inline constexpr int kPswClassNameChars = 388;
inline constexpr int kPswPrinterNameChars = 260;
inline constexpr int kPswUserNameChars = 32;
inline constexpr int kPswDriverNameBytes = 64;
/// Rows of the status-bit table and the variable table (its last row is the empty end row).
inline constexpr int kPswStatusRows = 31;
inline constexpr int kPswVariableRows = 20;
inline constexpr WORD kPswLastStatusRow = 30;

/// One row of the variable table: a status variable the window binds, its value as last
/// fetched and its notification. `cbValue` is the byte length of `lpValue` (0 when there is
/// none yet); `lSize` is the size to ask for (-1: ask the manager for the size first).
struct PSWVariable {
    WORD wRow;
    WCHAR szName[65];
    LPVOID lpValue;   // GlobalAlloc'd, owned by the row
    DWORD cbValue;    // bytes readable at lpValue
    LONG lSize;
    DWORD dwNotifyId;
    DWORD dwMessage;
    WORD wNtfTiming;  // notification class; 0 = none
    WORD wRefreshGroup;
};

/// A job counter: the value before and after the last queue change.
struct PswCounter {
    DWORD dwNew;
    DWORD dwOld;
};

/// The eight job counters, in the order the popup checks name them.
struct PswJobCounters {
    PswCounter myPrinting;
    PswCounter mySpooling;
    PswCounter printerQueue;
    PswCounter spoolerQueue;
    PswCounter otherPrinting;
    PswCounter otherSpooling;
    PswCounter myTotal;
    PswCounter all;
};

/// The manager's entry points, resolved by InitializeSRM in this order.
struct PswSrmEntries {
    PFN_OpenManagerExW OpenManagerExW;
    PFN_CloseManager CloseManager;
    PFN_GetPrinterStatusW GetPrinterStatusW;
    PFN_SetPrinterStatusDirectW SetPrinterStatusDirectW;
    PFN_SetReqPrinterStatusMsgW SetReqPrinterStatusMsgW;
    PFN_ResSetPrinterStatus ResSetPrinterStatus;
    PFN_UpdatePrinterStatusW UpdatePrinterStatusW;
    PFN_SetNotificationMsgW SetNotificationMsgW;
    PFN_SetNotificationMsgExW SetNotificationMsgExW;
    PFN_KillNotificationMsg KillNotificationMsg;
};

using PFN_HtmlHelpW = HWND (*)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);

struct PSWDATA {
    // --- Entry points and record ---
    OSVERSIONINFOW osVersion;
    HACCEL hAccel;
    HWND hMainWnd;
    HWND hBaseDlg;
    HWND hEwsWnd;
    HWND hEwsHeadDlg;
    HWND hEwsLeftDlg;
    HWND hEwsFootDlg;
    HWND hEwsSheetDlg;
    WORD wEwsDlgRight;
    WCHAR szEwsClassName[kPswClassNameChars];
    WCHAR szMainClassName[kPswClassNameChars];
    POINT ptMainPos;
    POINT ptMainPrevPos;
    SIZE sizeMain;
    POINT ptEwsPos;
    POINT ptEwsPrevPos;
    SIZE sizeEws;
    HMODULE SRMModule;
    DWORD dwManager;  // 0: not open
    PswSrmEntries srm;
    DWORD dwReqId[1];
    DWORD dwClassNotifyId[3];
    WCHAR szPrinterName[kPswPrinterNameChars];
    WCHAR szUserName[kPswUserNameChars];
    CHAR szDriverName[kPswDriverNameBytes];
    WORD wCurrentRow;
    WORD wPrevRow;
    PSWVariable* lpVariables;  // kPswVariableRows rows
    HWND hAuthorityDlg;
    DWORD dwPopUpCond;
    DWORD dwPopUpCondEx;
    PswJobCounters counters;
    UINT uiUserStart;
    DWORD dwPoppedUp;
    DWORD dwShowAsIcon;
    BOOL fSetReqCtr;
    HANDLE hRefreshMutex;
    DWORD dwRefreshTick;     // GetTickCount when the pending refresh was asked
    BOOL fOwnsRefreshMutex;  // this thread holds hRefreshMutex for the pending refresh
    LPWSTR lpHelpPath;       // GlobalAlloc'd
    HMODULE hHelpModule;
    PFN_HtmlHelpW pfnHtmlHelp;
    LANGID wLangId;
    // --- Drawing ---
    BYTE trayPictures[3];
    DWORD dwTrayChanged;
    DWORD dwDrawOptions;
    HICON hIcons[6];  // 16x16 of 20004, 20002, 20003, then 32x32 of the same
    HWND hEwsFocus;
    DWORD dwEwsSheetField;
    WORD wPictureCache;
    WORD wTonerTextCache;
    HICON hTonerIconCache;
    // --- Registry settings ---
    DWORD PopUpCondition;
    DWORD PopUpConditionEx;
    DWORD GetStatus;
    DWORD PortNumber;
    DWORD WatchPrinter;
    HANDLE hStopEvent;
    DWORD dwDispConditionPSW;
    DWORD dwDispConditionEWS;
    HANDLE hWatchThread;
    // --- Life of the record ---
    DWORD dwSignature;        // kPswSignature while alive
    LONG lInModal;            // nesting of the authority notice's modal loop
    BOOL fDestroyPending;     // DestroyStatusWindow ran inside the modal loop
    LONG lLanguageRef;        // the record holds a reference on the language library
};
using LPPSWDATA = PSWDATA*;

inline constexpr DWORD kPswSignature = 0x44575350u;  // "PSWD"

/// Indices of the icons in PSWDATA::hIcons.
inline constexpr int kIconError16 = 0;    // 20004
inline constexpr int kIconCaution16 = 1;  // 20002
inline constexpr int kIconInfo16 = 2;     // 20003

/// The record of a main window, or NULL when the window has none (not created yet, already
/// released, or a window of another class).
LPPSWDATA PswRecordOf(HWND mainWindow);
