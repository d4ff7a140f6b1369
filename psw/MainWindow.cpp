#include "psw/MainWindow.h"

#include <cstring>
#include <iterator>

#include "psw/BaseDialog.h"
#include "psw/DialogText.h"
#include "psw/Foreground.h"
#include "psw/Language.h"
#include "psw/MainWindowClass.h"
#include "psw/PopupConditions.h"
#include "psw/PswModule.h"
#include "psw/RegistrySettings.h"
#include "psw/SettingsWatch.h"
#include "psw/StatusDisplay.h"
#include "psw/StatusFetch.h"
#include "psw/WindowSetDisplay.h"
#include "psw/WindowSetRecord.h"
#include "platform/User.h"
#include "platform/WinGdi.h"
#include "resources/psw/PswIds.h"

namespace {

// PrinterExtStatus bits that, all set, say the monitor follows the printer on its connection.
constexpr DWORD kConnectionFollowed = 0x7u;
// Ports whose printers the extended window is offered for.
constexpr WCHAR kPortPrefixes[][7] = {u"LPT", u"USB", u"ZEVUSB"};

void UpdateBase(PSWDATA* d) {
    if (d->baseDialog != nullptr) {
        PostMessageW(d->baseDialog, WM_PSW_UPDATE_INFORMATION, 0, 0);
    }
}

void TellEws(PSWDATA* d, UINT message) {
    if (d->ewsWindow != nullptr) {
        PostMessageW(d->ewsWindow, message, 0, 0);
    }
}

bool MonitorPolls(PSWDATA* d) {
    FetchIfEmpty(d, kVarLMStatus);
    FetchIfEmpty(d, kVarCompulsivePolling);
    return PswValueBit0(d, kVarLMStatus) || PswValueBit0(d, kVarCompulsivePolling);
}

void AfterQueueChange(PSWDATA* d, UINT message) {
    if (!GetPopupJobInfo(d, message)) {
        return;
    }
    d->previousStatusRow = d->statusRow;
    CheckDisplayAndClose(d);
    if (d->allJobs.latest == 0) {
        d->poppedUp = 0;
    } else if (d->myTotalJobs.latest == 0) {
        d->poppedUp &= ~kPoppedMyJob;
    }
}

void OnCurrentStatus(PSWDATA* d) {
    d->previousStatusRow = d->statusRow;
    const DWORD oldSpooler =
        PswValueDword(d->variables[kVarCurrentStatus], offsetof(SRM_CURRENT_STATUS, dwSpoolerStatus));
    CallGetPrinterStatus(d, kVarCurrentStatus);
    ConvertStatusID(d);
    SetTonerRemain(d, d->baseDialog);
    const DWORD newSpooler =
        PswValueDword(d->variables[kVarCurrentStatus], offsetof(SRM_CURRENT_STATUS, dwSpoolerStatus));
    // A pending refresh only skips asking another one: the text and popups still follow.
    if (((oldSpooler ^ newSpooler) & SRM_SPOOLER_JOBS) != 0 && !MonitorPolls(d) && !d->refreshPending) {
        CallRefreshStatus(d, kRefreshOnSpooler);
    }
    if (GetPopupJobInfo(d, WM_PSW_CURRENTSTATUS)) {
        if (d->statusRow != d->previousStatusRow) {
            UpdateBase(d);
            CheckDisplayAndClose(d);
        }
        TellEws(d, WM_PSW_UPDATE_INFORMATION);
    }
}

void OnUserAuthority(HWND hwnd, WPARAM wParam, PSWDATA* d) {
    CallGetPrinterStatus(d, kVarUserAuthority);
    if (PswValueBit0(d, kVarUserAuthority) || !(IsWindowVisible(hwnd) || wParam == kAuthorityAskedByUser)) {
        return;
    }
    if (d->authorityNotice != nullptr) {
        MessageBeep(MB_ICONEXCLAMATION);
        CallSetForegroundWindow(d->authorityNotice);
        return;
    }
    ++d->modalDepth;
    DialogBoxParamW(PswModule(), MAKEINTRESOURCEW(kAuthorityNoticeTemplate), hwnd, &AuthorityDlgProc,
                    reinterpret_cast<LPARAM>(d));
    --d->modalDepth;
    // The loop may have run DestroyStatusWindow: finish it now that the record is unused.
    if (d->destroyPending && d->modalDepth == 0) {
        DestroyWindow(hwnd);
        return;
    }
    if (IsWindowVisible(hwnd)) {
        psw::CloseStatusWindow(hwnd, TRUE);
    }
}

void OnPrinterName(PSWDATA* d) {
    WCHAR oldName[kPswPrinterNameChars];
    lstrcpynW(oldName, d->printerName, kPswPrinterNameChars);
    if (CallGetPrinterStatus(d, kVarPrinterName) != 0) {
        return;
    }
    WCHAR newName[kPswPrinterNameChars];
    CopyWideField(d->variables[kVarPrinterName], 0, kPswPrinterNameChars, newName, kPswPrinterNameChars);
    // Only a real rename moves the settings.
    if (newName[0] == u'\0' || oldName[0] == u'\0' || lstrcmpW(newName, oldName) == 0) {
        return;
    }
    lstrcpynW(d->printerName, newName, kPswPrinterNameChars);
    if (d->authorityNotice != nullptr) {
        SetWindowTextW(d->authorityNotice, d->printerName);
    }
    UpdatePSWRegData(d, oldName);
    TellEws(d, WM_PSW_PRINTERNAME);
}

void OnMove(HWND hwnd, PSWDATA* d) {
    // The creation's own moves come before the stored position is read: they are not kept.
    if (!d->mainPlaced || IsIconic(hwnd)) {
        return;
    }
    RECT rect;
    GetWindowRect(hwnd, &rect);
    d->mainPreviousPosition = d->mainPosition;
    d->mainPosition = {rect.left, rect.top};
    SetRegMainWndPos(d, d->mainPosition.x, d->mainPosition.y, d->mainSize.cx, d->mainSize.cy);
}

/// Icon 20001 of this library as the window's small and big icon.
void SetMainIcons(HWND hwnd) {
    HICON icon = LoadIconW(PswModule(), MAKEINTRESOURCEW(kWindowIcon));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

void OnCreate(HWND hwnd, PSWDATA* d) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(d));
    d->mainWindow = hwnd;
    // The language is chosen again; a failed choice keeps the one made before.
    const LANGID chosen = d->language;
    if (!GetLangID(d)) {
        d->language = chosen;
    }
    if (HMENU menu = GetSystemMenu(hwnd, FALSE); menu != nullptr) {
        DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    }
    SetMainIcons(hwnd);
    SetDialogFont(hwnd, d);
}

/// A palette display gets its colours back: the status picture is drawn again.
void OnQueryNewPalette(HWND hwnd, PSWDATA* d) {
    HDC dc = GetDC(hwnd);
    if (dc == nullptr) {
        return;
    }
    if (GetDeviceCaps(dc, NUMCOLORS) != -1 && IsWindowVisible(hwnd) && d->baseDialog != nullptr) {
        if (HWND picture = GetDlgItem(d->baseDialog, kBasePicture); picture != nullptr) {
            InvalidateRect(picture, nullptr, TRUE);
        }
    }
    ReleaseDC(hwnd, dc);
}

void OnDisplayChange(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, PSWDATA* d) {
    ResetPicturePalette();
    SetMainIcons(hwnd);
    LoadStatusIcons(d);
    SetTonerRemain(d, d->baseDialog);
    if (d->ewsWindow != nullptr) {
        SendMessageW(d->ewsWindow, message, wParam, lParam);
    }
}

}  // namespace

void CheckSupportConnection(PSWDATA* d) {
    CallGetPrinterStatus(d, kVarPort);
    CallGetPrinterStatus(d, kVarPrinterExtStatus);
    WCHAR port[128];
    CopyWideField(d->variables[kVarPort], offsetof(SRM_PORT, szPortName), 128, port, 128);
    bool ewsSupported = false;
    if ((PswValueDword(d->variables[kVarPrinterExtStatus], 0) & kConnectionFollowed) == kConnectionFollowed) {
        d->mainDisplayCondition &= ~kDisplayNoSupport;
        for (const auto& prefix : kPortPrefixes) {
            const int n = lstrlenW(prefix);
            if (lstrlenW(port) >= n && std::memcmp(port, prefix, n * sizeof(WCHAR)) == 0) {
                d->ewsDisplayCondition &= ~kDisplayNoSupport;
                ewsSupported = true;
                break;
            }
        }
    } else {
        d->mainDisplayCondition |= kDisplayNoSupport;
        if (IsWindowVisible(d->mainWindow)) {
            SendMessageW(d->mainWindow, WM_CLOSE, 0, 0);
        }
    }
    if (!ewsSupported) {
        d->ewsDisplayCondition |= kDisplayNoSupport;
        if (d->ewsWindow != nullptr && IsWindowVisible(d->ewsWindow)) {
            SendMessageW(d->ewsWindow, WM_CLOSE, 0, 0);
        }
    }
}

void UpdateWithPortEx(PSWDATA* d) { CheckSupportConnection(d); }

BOOL UpdateWithSendingJobInfo(PSWDATA* /*data*/) { return TRUE; }

LRESULT PSWWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, PSWDATA* d) {
    switch (message) {
    case WM_PSW_PORT:
        CallGetPrinterStatus(d, kVarPort);
        // A pending refresh only skips asking another one: the port change still applies.
        if (!MonitorPolls(d) && !d->refreshPending) {
            CallRefreshStatus(d, kRefreshOnPort);
        }
        UpdateWithPortEx(d);
        TellEws(d, WM_PSW_PORT);
        return 0;
    case WM_PSW_PRINTEREXTSTATUS:
        CallGetPrinterStatus(d, kVarPrinterExtStatus);
        CheckSupportConnection(d);
        return 0;
    case WM_PSW_SPOOLERQUEUE:
    case WM_PSW_PRINTERQUEUE:
        AfterQueueChange(d, message);
        return 0;
    case WM_PSW_SENDINGJOBINFO:
        CallGetPrinterStatus(d, kVarSendingJobInfo);
        UpdateWithSendingJobInfo(d);
        return 0;
    case WM_PSW_PRINTINGJOBINFO:
        CallGetPrinterStatus(d, kVarPrintingJobInfo);
        UpdateWithPrintingJobInfo(d);
        return 0;
    case WM_PSW_PRINTERBINCONFIG:
        CallGetPrinterStatus(d, kVarPrinterBinConfig);
        TellEws(d, message);
        return 0;
    case WM_PSW_PRINTEROPTCONFIG:
        CallGetPrinterStatus(d, kVarPrinterOptConfig);
        TellEws(d, message);
        return 0;
    case WM_PSW_CURRENTFEEDER:
        CallGetPrinterStatus(d, kVarCurrentFeeder);
        TellEws(d, message);
        return 0;
    case WM_PSW_USERAUTHORITY:
        OnUserAuthority(hwnd, wParam, d);
        return 0;
    case WM_PSW_PRINTERNAME:
        OnPrinterName(d);
        return 0;
    case WM_PSW_CURRENTSTATUS:
        OnCurrentStatus(d);
        return 0;
    case WM_PSW_COMPULSIVEPOLLING:
        CallGetPrinterStatus(d, kVarCompulsivePolling);
        return 0;
    case WM_PSW_LMSTATUS:
        CallGetPrinterStatus(d, kVarLMStatus);
        return 0;
    case WM_PSW_TONERREMAIN:
        if (d->baseDialog != nullptr) {
            PostMessageW(d->baseDialog, WM_PSW_TONERREMAIN, 0, 0);
        }
        TellEws(d, message);
        return 0;
    case WM_PSW_ERRCOVEROPEN:
        CallGetPrinterStatus(d, kVarErrCoverOpen);
        if (d->statusRow == kStatusRowStackerFailure || d->statusRow == kStatusRowOpcDrumError) {
            UpdateBase(d);
        }
        TellEws(d, message);
        return 0;
    case WM_PSW_ERRSUPPLIES: {
        CallGetPrinterStatus(d, kVarErrSupplies);
        if (d->baseDialog != nullptr) {
            PostMessageW(d->baseDialog, WM_PSW_ERRSUPPLIES, 0, 0);
        }
        const WORD row = d->statusRow;
        if (row == kStatusRowTonerOut || row == kStatusRowOpcError || row == kStatusRowOpcDrumError ||
            row == kStatusRowSupplyLow) {
            UpdateBase(d);
        }
        TellEws(d, message);
        return 0;
    }
    case WM_PSW_ERRNOPAPER2:
        CallGetPrinterStatus(d, kVarErrNoPaper2);
        if (d->statusRow == kStatusRowPaperSizeError || d->statusRow == kStatusRowPaperOut) {
            UpdateBase(d);
        }
        TellEws(d, message);
        return 0;
    case WM_PSW_ERRPAPERJAM:
        CallGetPrinterStatus(d, kVarErrPaperJam);
        if (d->statusRow == kStatusRowPaperJam) {
            UpdateBase(d);
        }
        TellEws(d, message);
        return 0;
    case WM_PSW_ERRLOADPAPER:
        CallGetPrinterStatus(d, kVarErrLoadPaper);
        if (d->statusRow == kStatusRowTrayFailureDeselected) {
            UpdateBase(d);
        }
        TellEws(d, message);
        return 0;
    case WM_PSW_SET_REFRESHSTATUS:
        OnRefreshAnswer(d);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        OnCreate(hwnd, static_cast<PSWDATA*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        return 0;
    }
    PSWDATA* d = PswRecordOf(hwnd);
    if (message == WM_NCDESTROY) {
        // The window's last message: the record goes with it.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (d != nullptr) {
            // The extended window shares the record: it goes first.
            if (d->ewsWindow != nullptr) {
                DestroyWindow(d->ewsWindow);
            }
            d->mainWindow = nullptr;
            d->baseDialog = nullptr;
            PswBufferRelease(d);
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (d == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_MOVE:
        OnMove(hwnd, d);
        return 0;
    case WM_SIZE:
        if (wParam == SIZE_RESTORED) {
            ChangeWindowSize(d);
            return 0;
        }
        if (wParam == SIZE_MINIMIZED) {
            d->mainPosition = d->mainPreviousPosition;
            SetRegMainWndPos(d, d->mainPosition.x, d->mainPosition.y, d->mainSize.cx, d->mainSize.cy);
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_CLOSE:
        psw::CloseStatusWindow(hwnd, TRUE);
        return 0;
    case WM_QUERYENDSESSION:
        SetRegMainWndPos(d, d->mainPosition.x, d->mainPosition.y, d->mainSize.cx, d->mainSize.cy);
        return 1;
    case WM_ENDSESSION:
        return 0;
    case WM_SYSCOLORCHANGE:
        if (d->baseDialog != nullptr) {
            SendMessageW(d->baseDialog, message, wParam, lParam);
        }
        if (d->ewsWindow != nullptr) {
            SendMessageW(d->ewsWindow, message, wParam, lParam);
        }
        return 0;
    case WM_DISPLAYCHANGE:
        OnDisplayChange(hwnd, message, wParam, lParam, d);
        return 0;
    case WM_QUERYNEWPALETTE:
        OnQueryNewPalette(hwnd, d);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kRefreshButton) {
            if (!d->refreshPending) {
                CallRefreshStatus(d, kRefreshOnSpooler);
            }
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_PSW_SETTING_UPDATE: {
        const PslSettingChange change = ApplyPslSetting(d);
        if (change.closeMain && IsWindowVisible(hwnd)) {
            psw::CloseStatusWindow(hwnd, FALSE);  // an automatic close: popups stay armed
        }
        if (change.closeEws && d->ewsWindow != nullptr && IsWindowVisible(d->ewsWindow)) {
            SendMessageW(d->ewsWindow, WM_CLOSE, 0, 0);
        }
        return 0;
    }
    default:
        break;
    }
    if (message >= WM_USER && message <= WM_PSW_SET_LAST) {
        return PSWWindowMessage(hwnd, message, wParam, lParam, d);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
