#pragma once
// The per-window-set record `lpPSWData`: one per printer, zero-filled at creation, the user
// data of the main window and the parameter of its dialogs. Its layout is our own (nothing
// outside the library reads it), so fields are laid out for the build's pointer size.
//
// Threads: every field is read and written on the window thread (the host's, where the set
// was created) only, and nothing guards it. The other threads that serve a set never touch
// the record: the settings watch thread and the status manager (its own thread or process)
// reach it by posting messages to the main window, which the window thread handles. The
// fields whose values another thread or process shares say so, with the rule that keeps
// them safe.
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

/// What DisplayStatusWindow is asked to show (its userStart; PSWDATA::userStart keeps the
/// first two for the main window while it shows).
inline constexpr UINT kShowAutomatic = 0u;  // the main window, as a popup the window set decided on
inline constexpr UINT kShowByUser = 1u;     // the main window, at the user's request
inline constexpr UINT kShowExtended = 2u;   // the extended window, at the user's request

/// Popped-up bits: the window already popped up for these jobs.
inline constexpr DWORD kPoppedMyJob = 0x1u;
inline constexpr DWORD kPoppedOtherJob = 0x2u;

/// Indices of PSWDATA::statusIcons: the error, caution and all-well icons at 16x16, then the
/// same three at 32x32 from kStatusIconLarge on. kStatusIconNone: no icon.
enum StatusIcon : int {
    kStatusIconNone = -1,
    kStatusIconError = 0,
    kStatusIconCaution,
    kStatusIconAllWell,
    kStatusIconLarge,
};

/// The per-user settings kept in the registry.
struct PSWRegSetting {
    DWORD WatchPrinter;
    DWORD PortNumber;
    DWORD GetStatus;
    DWORD PopUpCondition;
    DWORD PopUpConditionEx;
};
/// Their values when the key or a value is absent.
inline constexpr PSWRegSetting kPswDefaultSetting = {
    .WatchPrinter = 1, .PortNumber = 80, .GetStatus = 1, .PopUpCondition = 1, .PopUpConditionEx = 8};

/// A job counter: the value after the last change and the one before.
struct PSWCounter {
    DWORD latest;
    DWORD previous;
};

/// Plain data: allocated zero-filled (GlobalAlloc GPTR) and freed as a block.
struct PSWDATA {
    OSVERSIONINFOW osVersion;  // filled at creation; platform id selects the registry key form
    HACCEL accelerators;
    HWND mainWindow;  // window thread writes; the watcher and the manager only post to it (copies of the handle)
    HWND baseDialog;
    HWND ewsWindow;
    HWND ewsHead;
    HWND ewsLeft;
    HWND ewsFoot;
    HWND ewsSheet;
    EwsSheet ewsSheetShown;
    WCHAR ewsClassName[388];
    WCHAR mainClassName[388];
    POINT mainPosition;
    POINT mainPreviousPosition;
    SIZE mainSize;
    POINT ewsPosition;
    POINT ewsPreviousPosition;
    SIZE ewsSize;

    // The status resource manager.
    HMODULE managerModule;
    DWORD manager;
    PFN_OpenManagerExW openManagerExW;
    PFN_CloseManager closeManager;
    PFN_GetPrinterStatusW getPrinterStatusW;
    PFN_SetPrinterStatusDirectW setPrinterStatusDirectW;
    PFN_SetReqPrinterStatusMsgW setReqPrinterStatusMsgW;
    PFN_ResSetPrinterStatus resSetPrinterStatus;
    PFN_UpdatePrinterStatusW updatePrinterStatusW;
    PFN_SetNotificationMsgW setNotificationMsgW;
    PFN_SetNotificationMsgExW setNotificationMsgExW;
    PFN_KillNotificationMsg killNotificationMsg;
    DWORD requestId;     // window thread; the manager answers the request by posting WM_PSW_SET_REFRESHSTATUS
    DWORD notifyIds[3];  // window thread; the manager posts a variable's message while its registration lives

    WCHAR printerName[260];
    WCHAR userName[32];
    CHAR driverName[64];
    WORD statusRow;
    WORD previousStatusRow;
    PSWVariable* variables;  // 20 rows from the template; window thread, fetched on the manager's posted messages
    HWND authorityNotice;    // the user-authority notice while it is open

    DWORD popUpCondition;    // window thread; read again on the watcher's posted WM_PSW_SETTING_UPDATE
    DWORD popUpConditionEx;  // window thread; likewise
    PSWCounter myPrintingJobs;
    PSWCounter mySpoolingJobs;
    PSWCounter printerQueueJobs;
    PSWCounter spoolerQueueJobs;
    PSWCounter otherPrintingJobs;
    PSWCounter otherSpoolingJobs;
    PSWCounter myTotalJobs;
    PSWCounter allJobs;
    UINT userStart;       // kShowAutomatic or kShowByUser: how the main window was shown
    DWORD poppedUp;       // kPopped* bits; window thread, also cleared on WM_PSW_SETTING_UPDATE
    DWORD showAsIcon;     // 1: the last popup decision asks for a minimised window
    BOOL refreshPending;  // a "RefreshStatus" request is pending; window thread, ended by the posted answer
    HANDLE refreshMutex;  // named, shared by every asking process (taken without waiting); handle: window thread

    LPWSTR helpPath;         // GlobalAlloc'd by GetHelpPathName; freed with the record
    HMODULE htmlHelpModule;  // HHCTRL.OCX, loaded on first use
    FARPROC htmlHelpW;
    LANGID language;         // the window set's user-interface language
    HMODULE languageModule;  // this record's reference on its language library; the process's list of them: heldLock

    BYTE trayPicture[3];
    DWORD trayChanged;
    DWORD trayOption;
    HICON statusIcons[2 * kStatusIconLarge];  // by StatusIcon: icons 20004, 20002, 20003 in both sizes
    HWND ewsFocus;
    DWORD ewsSheetField;
    // The extended window's children: outer sizes measured at creation, the shown sheet's
    // fonts (normal, bold, bold large), each strip's own bold and large font, and the brush
    // the display sheet last handed out.
    SIZE ewsHeadSize;
    SIZE ewsLeftSize;
    SIZE ewsRightSize;
    SIZE ewsFootSize;
    HFONT ewsSheetFonts[3];
    HFONT ewsStripFonts[3][2];
    HBRUSH displaySheetBrush;

    PSWRegSetting setting;  // the registry settings; PopUpCondition(Ex) mirror popUpCondition(Ex); window thread
    HANDLE watchStopEvent;  // manual reset; window thread creates, sets, closes it after the join; watcher waits
    DWORD mainDisplayCondition;  // window thread; its kDisplayNoWatch bit follows the watcher's posted messages
    DWORD ewsDisplayCondition;   // likewise
    HANDLE watchThread;          // window thread only: started, joined and closed there

    // The window side's own state.
    WORD shownPicture;      // status picture id last drawn
    WORD shownTonerText;    // toner text id last set
    HICON shownTonerIcon;   // toner icon last set
    BOOL ownsRefreshMutex;  // the window thread holds refreshMutex (a thread-owned mutex) for the pending request
    DWORD refreshSentTick;  // GetTickCount when the pending request was sent; window thread
    LONG modalDepth;        // nesting of the authority notice's modal loop
    BOOL destroyPending;    // DestroyStatusWindow ran inside that loop: destroy when it ends
    BOOL mainPlaced;        // the stored position is read: moves from now on are kept
    HFONT baseBoldFont;     // the base dialog's caption font
    DWORD signature;        // kPswSignature while the record is alive
};
using LPPSWDATA = PSWDATA*;
static_assert(std::is_trivially_copyable_v<PSWDATA> && std::is_standard_layout_v<PSWDATA>);

/// PSWDATA::signature of a live record.
inline constexpr DWORD kPswSignature = 0x44575350u;

/// The record of a main window (its GWLP_USERDATA), or NULL for NULL or a window without one.
inline PSWDATA* RecordOf(HWND mainWindow) {
    return mainWindow ? reinterpret_cast<PSWDATA*>(GetWindowLongPtrW(mainWindow, GWLP_USERDATA)) : nullptr;
}
