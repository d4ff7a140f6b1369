#include "psw/BaseDialog.h"

#include "psw/DialogText.h"
#include "psw/Foreground.h"
#include "psw/Language.h"
#include "psw/MainWindowClass.h"
#include "psw/Placement.h"
#include "psw/PswLog.h"
#include "psw/PswModule.h"
#include "psw/StatusDisplay.h"
#include "psw/StatusFetch.h"
#include "platform/User.h"
#include "platform/WinGdi.h"
#include "resources/psw/PswIds.h"

namespace {

PSWDATA* DialogRecord(HWND dialog) {
    auto* d = reinterpret_cast<PSWDATA*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return d != nullptr && d->signature == kPswSignature ? d : nullptr;
}

/// The caption in the bold face of the dialog font; the record owns the font.
void SetCaptionFont(HWND dialog, PSWDATA* d) {
    LOGFONTW font{};
    if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font) == 0) {
        return;
    }
    font.lfWeight = FW_BOLD;
    if (d->baseBoldFont == nullptr) {
        d->baseBoldFont = CreateFontIndirectW(&font);
    }
    if (d->baseBoldFont != nullptr) {
        SendDlgItemMessageW(dialog, kBaseCaptionLabel, WM_SETFONT, reinterpret_cast<WPARAM>(d->baseBoldFont), TRUE);
    }
}

}  // namespace

BOOL CreateChildWindow(PSWDATA* d) {
    const void* dialogTemplate = LoadDialog(nullptr, kBaseDialogTemplate, d->language);
    if (dialogTemplate == nullptr) {
        return TRUE;  // ChangeWindowSize then refuses and the frame keeps its size
    }
    const HWND dialog = CreateDialogIndirectParamW(PswModule(), static_cast<LPCDLGTEMPLATEW>(dialogTemplate),
                                                   d->mainWindow, &BaseDlgProc, reinterpret_cast<LPARAM>(d));
    if (dialog != nullptr) {
        ShowWindow(dialog, SW_HIDE);
    }
    return TRUE;
}

BOOL ChangeWindowSize(PSWDATA* d) {
    if (d->mainWindow == nullptr || d->baseDialog == nullptr) {
        LogPrint(kLogCondition, "hMainWnd == NULL||hBaseDlg == NULL\n");
        return FALSE;
    }
    RECT base;
    GetWindowRect(d->baseDialog, &base);
    const LONG cx = base.right - base.left;
    const LONG cy = base.bottom - base.top;
    MoveWindow(d->baseDialog, 0, 0, cx, cy, TRUE);
    ShowWindow(d->baseDialog, SW_SHOW);
    d->mainSize = {cx + 2 * GetSystemMetrics(SM_CXEDGE),
                   cy + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYEDGE)};
    // A stored position may lie anywhere: keep the window on a screen.
    RECT want{d->mainPosition.x, d->mainPosition.y, d->mainPosition.x + d->mainSize.cx,
              d->mainPosition.y + d->mainSize.cy};
    RECT placed = want;
    GetCorrectWndRect(&placed, &want, static_cast<DWORD>(GetWindowLongPtrW(d->mainWindow, GWL_STYLE)));
    d->mainPosition = {placed.left, placed.top};
    MoveWindow(d->mainWindow, placed.left, placed.top, d->mainSize.cx, d->mainSize.cy, TRUE);
    InvalidateRect(d->mainWindow, nullptr, TRUE);
    UpdateWindow(d->mainWindow);
    return TRUE;
}

INT_PTR BaseDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* d = reinterpret_cast<PSWDATA*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        d->baseDialog = dialog;
        SetDialogFont(dialog, d);
        WCHAR caption[128] = {};
        LoadStringEx(d->language, kBaseCaptionText, caption, sizeof(caption));
        SetDlgItemTextW(dialog, kBaseCaptionLabel, caption);
        SetCaptionFont(dialog, d);
        SetPrinterStatus(d, dialog);
        CallGetPrinterStatus(d, kVarPrintingJobInfo);
        UpdateWithPrintingJobInfo(d);
        SetTonerRemain(d, dialog);
        return FALSE;
    }
    if (message == WM_CTLCOLORDLG || message == WM_CTLCOLORBTN || message == WM_CTLCOLORSTATIC) {
        return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    }
    PSWDATA* d = DialogRecord(dialog);
    if (d == nullptr) {
        return message == WM_DRAWITEM ? TRUE : FALSE;
    }
    switch (message) {
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (wParam == kBasePicture && item != nullptr && d->shownPicture != 0) {
            const bool palette = GetDeviceCaps(item->hDC, NUMCOLORS) != -1;
            DrawBMP(item->hDC, d->shownPicture + (palette ? kPaletteSetOffset : 0), 0, 2);
        }
        return TRUE;
    }
    case WM_PSW_TONERREMAIN:
    case WM_PSW_ERRSUPPLIES:
        SetTonerRemain(d, dialog);
        return TRUE;
    case WM_PSW_UPDATE_INFORMATION:
        SetPrinterStatus(d, dialog);
        return TRUE;
    case WM_NCDESTROY:
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR AuthorityDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    PSWDATA* d = PswRecordOf(GetParent(dialog));
    switch (message) {
    case WM_INITDIALOG:
        d = reinterpret_cast<PSWDATA*>(lParam);
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
        d->authorityNotice = dialog;
        SetChildWndRect(d->mainWindow, dialog, kMonitorCentre);
        SetDialogFont(dialog, d);
        SetWindowTextW(dialog, d->printerName);
        CallSetForegroundWindow(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            if (d != nullptr) {
                d->authorityNotice = nullptr;
            }
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    case WM_HELP:
        return TRUE;
    case WM_DESTROY:
        if (d != nullptr) {
            d->authorityNotice = nullptr;
        }
        return TRUE;
    default:
        return FALSE;
    }
}

void UpdateWithPrintingJobInfo(PSWDATA* d) {
    if (d->statusRow == kStatusRowOtherPrinter || d->baseDialog == nullptr) {
        return;
    }
    WCHAR name[256];
    CopyWideField(d->variables[kVarPrintingJobInfo], 0, 256, name, 256);
    SetDlgItemTextW(d->baseDialog, kBaseJobNameLabel, name);
}
