#include "psw/WindowSetDisplay.h"

#include <cstddef>

#include "psw/Foreground.h"
#include "psw/MainWindowClass.h"
#include "psw/Placement.h"
#include "psw/PswLog.h"
#include "psw/StatusFetch.h"
#include "psw/StatusTables.h"
#include "platform/User.h"
#include "resources/psw/PswIds.h"

namespace {

/// Places the window at its stored rectangle, corrected to the screen.
void PlaceMain(PSWDATA* d) {
    RECT stored{d->mainPosition.x, d->mainPosition.y, d->mainPosition.x + d->mainSize.cx,
                d->mainPosition.y + d->mainSize.cy};
    RECT corrected = stored;
    GetCorrectWndRect(&corrected, &stored, static_cast<DWORD>(GetWindowLongPtrW(d->mainWindow, GWL_STYLE)));
    d->mainPosition = {corrected.left, corrected.top};
    SetWindowPos(d->mainWindow, nullptr, corrected.left, corrected.top, corrected.right - corrected.left,
                 corrected.bottom - corrected.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

/// The refresh condition of a display: no monitor-driven polling and jobs wait in the spooler.
void RefreshIfStale(PSWDATA* d) {
    FetchIfEmpty(d, kVarLMStatus);
    FetchIfEmpty(d, kVarCompulsivePolling);
    const DWORD spooler = PswValueDword(d->variables[kVarCurrentStatus], offsetof(SRM_CURRENT_STATUS, dwSpoolerStatus));
    const bool polled = PswValueBit0(d, kVarLMStatus) || PswValueBit0(d, kVarCompulsivePolling);
    if (!polled && (spooler & SRM_SPOOLER_JOBS) != 0) {
        PostMessageW(d->mainWindow, WM_COMMAND, kRefreshButton, 0);
    }
}

/// Shows the extended window (a first sheet and a refresh), or brings it back.
void ShowExtendedWindow(PSWDATA* d) {
    const HWND ews = d->ewsWindow;
    if (ews == nullptr) {
        return;
    }
    if (!IsWindowVisible(ews)) {
        RefreshIfStale(d);
        if ((d->ewsDisplayCondition & kDisplayOff) != 0) {
            return;
        }
        ShowWindow(ews, SW_RESTORE);
        SetWndRect(ews, d->ewsPosition.x, d->ewsPosition.y, d->ewsPosition.x + d->ewsSize.cx,
                   d->ewsPosition.y + d->ewsSize.cy);
        PostMessageW(ews, WM_COMMAND, kEwsGeneralButton, 0);
    } else if (IsIconic(ews)) {
        ShowWindow(ews, SW_RESTORE);
    }
    CallSetForegroundWindow(ews);
}

}  // namespace

DWORD psw::DisplayStatusWindow(HWND mainWindow, UINT userStart) {
    LogPrint(kLogTrace, "DisplayStatusWindow start\n");
    PSWDATA* d = PswRecordOf(mainWindow);
    if (d == nullptr) {
        LogPrint(kLogError, "[DisplayStatusWindow] \"hWnd\" is NULL.\n");
        return LogReturn("DisplayStatusWindow", ERR_PSW);
    }
    CallGetPrinterStatus(d, kVarUserAuthority);
    if (!PswValueBit0(d, kVarUserAuthority)) {
        if (userStart != kShowAutomatic) {
            PostMessageW(mainWindow, WM_PSW_USERAUTHORITY, kAuthorityAskedByUser, 0);
        }
        return LogReturn("DisplayStatusWindow", PSW_NO_ERROR);
    }
    if (userStart == kShowExtended) {
        ShowExtendedWindow(d);
        return LogReturn("DisplayStatusWindow", PSW_NO_ERROR);
    }
    d->userStart = userStart;
    if (userStart == kShowByUser && IsWindowVisible(mainWindow)) {
        if (!IsIconic(mainWindow)) {
            CallSetForegroundWindow(d->authorityNotice != nullptr ? d->authorityNotice : mainWindow);
        } else {
            PlaceMain(d);
            CallSetForegroundWindow(mainWindow);
            ShowWindow(mainWindow, SW_RESTORE);
        }
        return LogReturn("DisplayStatusWindow", PSW_NO_ERROR);
    }
    if (userStart == kShowAutomatic && d->showAsIcon == 1) {
        ShowWindow(mainWindow, SW_MINIMIZE);
        SetWindowPos(mainWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        return LogReturn("DisplayStatusWindow", PSW_NO_ERROR);
    }
    if (userStart != kShowAutomatic) {
        RefreshIfStale(d);
        if ((d->mainDisplayCondition & kDisplayOff) != 0) {
            return LogReturn("DisplayStatusWindow", PSW_NO_ERROR);
        }
    }
    PlaceMain(d);
    CallSetForegroundWindow(mainWindow);
    ShowWindow(mainWindow, SW_RESTORE);
    SetWindowPos(mainWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return LogReturn("DisplayStatusWindow", PSW_NO_ERROR);
}

DWORD psw::CloseStatusWindow(HWND mainWindow, BOOL byUser) {
    LogPrint(kLogTrace, "CloseStatusWindow start\n");
    PSWDATA* d = PswRecordOf(mainWindow);
    if (d == nullptr) {
        LogPrint(kLogError, "[CloseStatusWindow] \"hWnd\" is NULL.\n");
        return LogReturn("CloseStatusWindow", ERR_PSW);
    }
    if (d->userStart == kShowAutomatic) {
        d->poppedUp = byUser ? (kPoppedMyJob | kPoppedOtherJob) : 0;
    }
    if (d->authorityNotice != nullptr) {
        EndDialog(d->authorityNotice, 0);
    }
    ShowWindow(mainWindow, SW_HIDE);
    d->userStart = kShowAutomatic;
    return LogReturn("CloseStatusWindow", PSW_NO_ERROR);
}
