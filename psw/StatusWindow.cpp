#include "psw/StatusWindow.h"

#include <cstring>
#include <initializer_list>
#include <iterator>

#include "psw/BaseDialog.h"
#include "psw/ExtendedWindow.h"
#include "psw/Language.h"
#include "psw/MainWindow.h"
#include "psw/MainWindowClass.h"
#include "psw/PopupConditions.h"
#include "psw/PswLog.h"
#include "psw/PswModule.h"
#include "psw/RegistrySettings.h"
#include "psw/SettingsWatch.h"
#include "psw/StatusFetch.h"
#include "psw/WindowSetRecord.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Process.h"
#include "platform/Sync.h"
#include "platform/User.h"
#include "platform/WinGdi.h"
#include "resources/psw/PswIds.h"

namespace {

constexpr DWORD kMainStyle = 0x00CA0000u;  // caption, system menu, minimise box

/// Ends a failed initialisation: the window (if any) loses its record and is destroyed, the
/// caller's handle is cleared and everything the record holds is freed. No WM_QUIT.
DWORD FailInit(PSWDATA* d, HWND* mainWindow, DWORD code, const char* text) {
    LogPrint(kLogError, "[InitializeStatusWindow] %s\n", text);
    if (d->mainWindow != nullptr) {
        const HWND window = d->mainWindow;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        d->mainWindow = nullptr;
        DestroyWindow(window);
    }
    if (mainWindow != nullptr) {
        *mainWindow = nullptr;
    }
    PswBufferRelease(d);
    return LogReturn("InitializeStatusWindowEx", code);
}

}  // namespace

DWORD psw::GetPSWStatusTable(HMODULE* module, const PSWStatusEntry** table, DWORD* count, DWORD* reserved) {
    LogPrint(kLogTrace, "GetPSWStatusTable start\n");
    if (module == nullptr || table == nullptr || count == nullptr || reserved == nullptr) {
        return LogReturn("GetPSWStatusTable", ERR_PSW);
    }
    *module = PswModule();
    *table = PswStatusTable();
    *count = kPswStatusRows;
    *reserved = 0;
    return LogReturn("GetPSWStatusTable", PSW_NO_ERROR);
}

DWORD psw::InitializeStatusWindowEx(LPCSTR printerName, LPVOID /*unused*/, HWND parent, HWND* mainWindow, HWND* dialogs,
                               HACCEL* accelerators, DWORD* extra) {
    LogPrint(kLogTrace, "InitializeStatusWindowEx start\n");
    if (parent == nullptr || mainWindow == nullptr || accelerators == nullptr) {
        LogPrint(kLogError, "[InitializeStatusWindow] \"hWndParent\" is NULL.\n");
        return LogReturn("InitializeStatusWindowEx", ERR_PSW);
    }
    *mainWindow = nullptr;
    if (dialogs == nullptr) {
        if (extra == nullptr) {
            return LogReturn("InitializeStatusWindowEx", ERR_PSW);
        }
        *extra = 2;
        return LogReturn("InitializeStatusWindowEx", PSW_NO_ERROR);
    }
    auto* d = static_cast<PSWDATA*>(GlobalAlloc(GPTR, sizeof(PSWDATA)));
    if (d == nullptr) {
        LogPrint(kLogError, "[InitializeStatusWindow] Allocation error for \"lpPSWData\".\n");
        return LogReturn("InitializeStatusWindowEx", ERR_PSW);
    }
    d->signature = kPswSignature;
    d->osVersion.dwOSVersionInfoSize = sizeof(d->osVersion);
    GetVersionExW(&d->osVersion);
    d->variables = static_cast<PSWVariable*>(GlobalAlloc(GPTR, sizeof(PSWVariable) * kPswVariableRows));
    if (d->variables == nullptr) {
        return FailInit(d, mainWindow, ERR_PSW, "Allocation error for \"lpPSWData\".");
    }
    std::memcpy(d->variables, PswVariableTemplate(), sizeof(PSWVariable) * kPswVariableRows);
    if (printerName == nullptr ||
        MultiByteToWideChar(CP_ACP, 0, printerName, -1, d->printerName, kPswPrinterNameChars - 1) == 0) {
        return FailInit(d, mainWindow, ERR_PSW, "\"lpPrinterName\" is NULL.");
    }
    d->printerName[kPswPrinterNameChars - 1] = u'\0';
    if (!GetLangID(d)) {
        return FailInit(d, mainWindow, ERR_PSW, "\"GetLangID()\" is failed.");
    }
    {
        // The user name as the queues carry it: at most 31 ANSI bytes.
        WCHAR wide[32] = {};
        DWORD cch = static_cast<DWORD>(std::size(wide));
        CHAR narrow[64] = {};
        if (GetUserNameW(wide, &cch)) {
            wide[31] = u'\0';
            WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof(narrow), nullptr, nullptr);
            narrow[31] = '\0';
            if (MultiByteToWideChar(CP_ACP, 0, narrow, -1, d->userName, 31) == 0) {
                d->userName[0] = u'\0';
            }
        }
    }
    if (GetPrinterDriverName(d, d->printerName)) {
        GetHelpPathName(d, d->driverName);
    }
    LoadStatusIcons(d);
    RegisterMiscWndClass(d, &MainWndProc);
    WCHAR title[256] = {};
    LoadStringEx(d->language, kMainTitleText, title, sizeof(title));
    const HWND window = CreateWindowExW(0, d->mainClassName, title, kMainStyle, 0, 0, 0, 0, nullptr, nullptr,
                                        PswModule(), d);
    if (window == nullptr) {
        return FailInit(d, mainWindow, ERR_PSW, "Main CreateWindowEx() is failed.");
    }
    *mainWindow = window;
    if (const DWORD srm = InitializeSRM(d); srm != 0) {
        return FailInit(d, mainWindow, srm, "PSW/InitializeSRM() is failed.");
    }
    if (GetSRMInitValue(d) != 0) {
        return FailInit(d, mainWindow, SRMERR_OPEN, "PSW/GetSRMInitValue() is failed.");
    }
    UpdateWithPortEx(d);
    CreateChildWindow(d);
    GetRegMainWndPos(d, &d->mainPosition, &d->mainSize);
    d->mainPreviousPosition = d->mainPosition;
    // Moves before this one (the creation's own) are not the user's: they must not
    // overwrite the stored position.
    d->mainPlaced = TRUE;
    ChangeWindowSize(d);
    EWS_CreateMainWindow(d);
    dialogs[0] = d->mainWindow;
    dialogs[1] = d->ewsWindow;
    d->accelerators = LoadAcceleratorsW(PswModule(), MAKEINTRESOURCEW(kAcceleratorTable));
    *accelerators = d->accelerators;
    ShowWindow(window, SW_HIDE);
    GetRegPslSetting(d);
    StartWatchPslSetting(d, window);
    // The first popup is decided once everything it reads is in place.
    CheckDisplayAndClose(d);
    return LogReturn("InitializeStatusWindowEx", PSW_NO_ERROR);
}

DWORD InitializeSRM(PSWDATA* d) {
    d->managerModule = LoadLibraryW(kSrmLibraryName);
    if (d->managerModule == nullptr) {
        LogPrint(kLogError, "LoadLibrary() {KWTQSRMZ.DLL} is failed.\n");
        return SRMERR_LOAD;
    }
    struct Entry {
        const char* name;
        FARPROC* slot;
    };
    const Entry entries[] = {
        {"OpenManagerExW", reinterpret_cast<FARPROC*>(&d->openManagerExW)},
        {"CloseManager", reinterpret_cast<FARPROC*>(&d->closeManager)},
        {"GetPrinterStatusW", reinterpret_cast<FARPROC*>(&d->getPrinterStatusW)},
        {"SetPrinterStatusDirectW", reinterpret_cast<FARPROC*>(&d->setPrinterStatusDirectW)},
        {"SetReqPrinterStatusMsgW", reinterpret_cast<FARPROC*>(&d->setReqPrinterStatusMsgW)},
        {"ResSetPrinterStatus", reinterpret_cast<FARPROC*>(&d->resSetPrinterStatus)},
        {"UpdatePrinterStatusW", reinterpret_cast<FARPROC*>(&d->updatePrinterStatusW)},
        {"SetNotificationMsgW", reinterpret_cast<FARPROC*>(&d->setNotificationMsgW)},
        {"SetNotificationMsgExW", reinterpret_cast<FARPROC*>(&d->setNotificationMsgExW)},
        {"KillNotificationMsg", reinterpret_cast<FARPROC*>(&d->killNotificationMsg)},
    };
    DWORD code = SRMERR_OPENFUNC;
    for (const Entry& e : entries) {
        *e.slot = GetProcAddress(d->managerModule, e.name);
        if (*e.slot == nullptr) {
            // Reported by the function's name, without the wide-character suffix.
            const int length = static_cast<int>(std::strlen(e.name));
            const int shown = length > 0 && e.name[length - 1] == 'W' ? length - 1 : length;
            LogPrint(kLogError, "GetProcAddress() {%.*s} is failed.\n", shown, e.name);
            return code;
        }
        ++code;
    }
    return 0;
}

DWORD GetSRMInitValue(PSWDATA* d) {
    if (d->openManagerExW(d->printerName, nullptr, kSrmModeStatusWindow, &d->manager) != SRMRES_SUCCESS) {
        d->manager = 0;
        LogPrint(kLogError, "SRM/OpenManagerEx() is failed.\n");
        return SRMERR_OPEN;
    }
    CallSetNotificationMsgEx(d, kPswNotifyClass);
    CallGetPrinterStatus(d, kVarPrinterName);
    CallGetPrinterStatus(d, kVarCurrentStatus);
    ConvertStatusID(d);
    for (int row : {kVarSendingJobInfo, kVarPrintingJobInfo}) {
        PSWVariable& var = d->variables[row];
        var.value = GlobalAlloc(GPTR, static_cast<SIZE_T>(var.requestSize));
        var.cbValue = var.value != nullptr ? static_cast<DWORD>(var.requestSize) : 0;
    }
    CallGetPrinterStatus(d, kVarPrinterQueue);
    d->printerQueueJobs.latest = QueueJobCount(d->variables[kVarPrinterQueue]);
    d->myPrintingJobs.latest = CountPrintingMyJob(d);
    d->otherPrintingJobs.latest = d->printerQueueJobs.latest - d->myPrintingJobs.latest;
    CallGetPrinterStatus(d, kVarSpoolerQueue);
    d->spoolerQueueJobs.latest = QueueJobCount(d->variables[kVarSpoolerQueue]);
    d->mySpoolingJobs.latest = CountSpoolingMyJob(d);
    d->otherSpoolingJobs.latest = d->spoolerQueueJobs.latest - d->mySpoolingJobs.latest;
    for (int row : {kVarCompulsivePolling, kVarLMStatus, kVarErrSupplies, kVarErrNoPaper2, kVarErrPaperJam,
                    kVarPrinterBinConfig, kVarPrinterOptConfig, kVarUserAuthority, kVarErrLoadPaper,
                    kVarErrCoverOpen, kVarCurrentFeeder}) {
        CallGetPrinterStatus(d, row);
    }
    d->allJobs.latest = d->spoolerQueueJobs.latest + d->printerQueueJobs.latest;
    d->myTotalJobs.latest = d->myPrintingJobs.latest + d->mySpoolingJobs.latest;
    return 0;
}

DWORD psw::DestroyStatusWindow(HWND mainWindow) {
    LogPrint(kLogTrace, "DestroyStatusWindow start\n");
    PSWDATA* d = PswRecordOf(mainWindow);
    if (d == nullptr) {
        LogPrint(kLogError, "[DestroyStatusWindow] \"hWnd\" is NULL.\n");
        return LogReturn("DestroyStatusWindow", ERR_PSW);
    }
    StopWatchPslSetting(d);
    DestroyKillNotify(d);
    SaveWindowSetRegData(d);
    if (d->modalDepth > 0) {
        // Called from inside the notice's modal loop: end the notice, destroy afterwards.
        d->destroyPending = TRUE;
        if (d->authorityNotice != nullptr) {
            EndDialog(d->authorityNotice, 1);
        }
        return LogReturn("DestroyStatusWindow", PSW_NO_ERROR);
    }
    if (d->ewsWindow != nullptr) {
        DestroyWindow(d->ewsWindow);
    }
    DestroyWindow(mainWindow);  // WM_NCDESTROY releases the record
    return LogReturn("DestroyStatusWindow", PSW_NO_ERROR);
}
