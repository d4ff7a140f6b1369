#pragma once
// The per-window-set record `lpPSWData`: one per printer, zero-filled at creation, the user
// data of the main window and the parameter of its dialogs. Every field belongs to the window
// thread except where a comment names another owner. Its layout is our own (nothing outside
// the library reads it), so fields are laid out for the build's pointer size.
#include <type_traits>

#include "platform/Kernel.h"
#include "platform/StatusManager.h"
#include "platform/User.h"
#include "platform/WinTypes.h"

/// One row of the variable table (defined with the main window's tables).
struct PSWVariable;

/// The sheets of the extended window, numbered as their dialog procedures (EwsDlgProcR01...);
/// End closes the sheet table. None: no sheet (a zero-filled record).
enum class EwsSheet : WORD { None = 0, R01 = 1, R02, R03, R04, R05, R06, End };

/// Result codes of the exports.
inline constexpr DWORD PSW_NO_ERROR = 0u;
inline constexpr DWORD ERR_PSW = 1u;
inline constexpr DWORD PSWERR_OUTOFMEMORY = 2u;

/// Display-condition bits of the main and the extended window.
inline constexpr DWORD kDisplayNoSupport = 0x1u;  // the connection has no status source for that window
inline constexpr DWORD kDisplayNoWatch = 0x2u;    // watching is switched off in the settings
inline constexpr DWORD kDisplayOff = 0x3u;        // either: the window is not shown

/// Popped-up bits: the window already popped up for these jobs.
inline constexpr DWORD kPoppedMyJob = 0x1u;
inline constexpr DWORD kPoppedOtherJob = 0x2u;

/// The per-user settings kept in the registry.
struct PSWRegSetting {
    DWORD WatchPrinter;
    DWORD PortNumber;
    DWORD GetStatus;
    DWORD PopUpCondition;
    DWORD PopUpConditionEx;
};
/// Their values when the key or a value is absent.
inline constexpr PSWRegSetting kPswDefaultSetting = {1, 80, 1, 1, 8};

/// A job counter: the value after the last change and the one before.
struct PSWCounter {
    DWORD dwNew;
    DWORD dwOld;
};

/// Plain data: allocated zero-filled (GlobalAlloc GPTR) and freed as a block.
struct PSWDATA {
    OSVERSIONINFOW osVersion;  // filled at creation; platform id selects the registry key form
    HACCEL hAccel;
    HWND hWndMain;
    HWND hWndBaseDlg;
    HWND hWndEws;
    HWND hWndEwsHead;
    HWND hWndEwsLeft;
    HWND hWndEwsFoot;
    HWND hWndEwsSheet;
    EwsSheet wEwsDlgRight;
    WCHAR szEwsClassName[388];
    WCHAR szMainClassName[388];
    POINT ptMainPos;
    POINT ptMainPrevPos;
    SIZE sizeMain;
    POINT ptEwsPos;
    POINT ptEwsPrevPos;
    SIZE sizeEws;

    // The status resource manager.
    HMODULE SRMModule;
    DWORD hManager;
    PFN_OpenManagerExW pOpenManagerExW;
    PFN_CloseManager pCloseManager;
    PFN_GetPrinterStatusW pGetPrinterStatusW;
    PFN_SetPrinterStatusDirectW pSetPrinterStatusDirectW;
    PFN_SetReqPrinterStatusMsgW pSetReqPrinterStatusMsgW;
    PFN_ResSetPrinterStatus pResSetPrinterStatus;
    PFN_UpdatePrinterStatusW pUpdatePrinterStatusW;
    PFN_SetNotificationMsgW pSetNotificationMsgW;
    PFN_SetNotificationMsgExW pSetNotificationMsgExW;
    PFN_KillNotificationMsg pKillNotificationMsg;
    DWORD dwRequestId;
    DWORD dwNotifyId[3];

    WCHAR szPrinterName[260];
    WCHAR szUserName[32];
    CHAR szDriverName[64];
    WORD wCurrentStatusRow;
    WORD wPreviousStatusRow;
    PSWVariable* lpVariable;  // 20 rows, copied from the template
    HWND hWndAuthority;       // the user-authority notice while it is open

    DWORD dwPopUpCond;
    DWORD dwPopUpCondEx;
    PSWCounter myPrintingJobs;
    PSWCounter mySpoolingJobs;
    PSWCounter printerQueueJobs;
    PSWCounter spoolerQueueJobs;
    PSWCounter otherPrintingJobs;
    PSWCounter otherSpoolingJobs;
    PSWCounter myTotalJobs;
    PSWCounter allJobs;
    UINT uiUserStart;        // 0 automatic popup, 1 opened by the user
    DWORD dwPopUpFlags;      // PSWDEF_POPPED_* bits
    DWORD dwShowAsIcon;      // 1: the last popup decision asks for a minimised window
    BOOL fSetReqCtr;         // a "RefreshStatus" request is pending
    HANDLE hRefreshMutex;

    LPWSTR lpHelpPath;       // GlobalAlloc'd by GetHelpPathName; freed with the record
    HMODULE hHtmlHelp;       // HHCTRL.OCX, loaded on first use
    FARPROC pHtmlHelpW;
    LANGID wLangID;          // the window set's user-interface language
    HMODULE hLangModule;     // the language library this record holds a reference on

    BYTE trayPicture[3];
    DWORD dwTrayChanged;
    DWORD dwTrayOption;
    HICON hStatusIcon[6];    // 16x16 of 20004, 20002, 20003, then 32x32 of the same
    HWND hWndEwsFocus;
    DWORD dwEwsSheetField;
    // The extended window's children: outer sizes measured at creation, the shown sheet's
    // fonts (normal, bold, bold large), each strip's own bold and large font, and the brush
    // the display sheet last handed out.
    SIZE sizeEwsHead;
    SIZE sizeEwsLeft;
    SIZE sizeEwsRight;
    SIZE sizeEwsFoot;
    HFONT hEwsSheetFont[3];
    HFONT hEwsStripFont[3][2];
    HBRUSH hBkBrush01;

    PSWRegSetting setting;   // the registry settings; PopUpCondition(Ex) mirror dwPopUpCond(Ex)
    HANDLE hStopEvent;       // manual reset; ends the watch thread
    DWORD dwDispConditionPSW;
    DWORD dwDispConditionEWS;
    HANDLE hWatchThread;

    // The window side's own state.
    WORD wPictureCache;       // status picture id last drawn
    WORD wTonerTextCache;     // toner text id last set
    HICON hTonerIconCache;    // toner icon last set
    BOOL fOwnsRefreshMutex;   // this thread holds hRefreshMutex for the pending request
    DWORD dwRefreshTick;      // GetTickCount when the pending request was sent
    LONG lInModal;            // nesting of the authority notice's modal loop
    BOOL fDestroyPending;     // DestroyStatusWindow ran inside that loop: destroy when it ends
    BOOL fMainPlaced;         // the stored position is read: moves from now on are kept
    HFONT hBaseBoldFont;      // the base dialog's caption font
    DWORD dwSignature;        // kPswSignature while the record is alive
};
using LPPSWDATA = PSWDATA*;
static_assert(std::is_trivially_copyable_v<PSWDATA> && std::is_standard_layout_v<PSWDATA>);

/// PSWDATA::dwSignature of a live record.
inline constexpr DWORD kPswSignature = 0x44575350u;

/// The record of a main window (its GWLP_USERDATA), or NULL for NULL or a window without one.
inline PSWDATA* RecordOf(HWND mainWindow) {
    return mainWindow ? reinterpret_cast<PSWDATA*>(GetWindowLongPtrW(mainWindow, GWLP_USERDATA)) : nullptr;
}
