#include "psw/ExtendedWindow.h"

#include <algorithm>
#include <iterator>

#include "psw/DialogText.h"
#include "psw/ExtendedDialogs.h"
#include "psw/Help.h"
#include "psw/Language.h"
#include "psw/Placement.h"
#include "psw/PswLog.h"
#include "psw/PswModule.h"
#include "psw/RegistrySettings.h"
#include "psw/StatusFetch.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/User.h"
#include "platform/WinGdi.h"
#include "resources/psw/PswIds.h"

const EwsSheetRow EwsSheetTable[6] = {
    {EwsSheet::R01, kEwsGeneralButton, kGeneralSheetTemplate, &EwsDlgProcR01},
    {EwsSheet::R02, kEwsTraysButton, kTraysSheetTemplate, &EwsDlgProcR02},
    {EwsSheet::R03, kEwsBinsButton, kBinsSheetTemplate, &EwsDlgProcR03},
    {EwsSheet::R04, kEwsCoversButton, kCoversSheetTemplate, &EwsDlgProcR04},
    {EwsSheet::R05, kEwsConsumablesButton, kConsumablesSheetTemplate, &EwsDlgProcR05},
    {EwsSheet::End, 0, 0, nullptr},  // the printer's display (R06) has no button or template yet
};

namespace {

constexpr WCHAR kEwsClassPrefix[] = u"EWSWndClass ";
constexpr DWORD kEwsStyle = 0x00CA0000u;  // caption, system menu, minimise box
constexpr DWORD kCchUserKey = 520;
constexpr DWORD kKeyReadCreate = 0x2001Fu;
constexpr LONG kFarPosition = 0x00FFFFFF;
constexpr int kFootButtons[] = {kRefreshButton, IDCLOSE, kEwsHelpButton};

PSWDATA* EwsRecord(HWND hwnd) {
    auto* d = reinterpret_cast<PSWDATA*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return d != nullptr && d->signature == kPswSignature ? d : nullptr;
}

SIZE OuterSize(HWND window) {
    RECT rect{};
    if (window != nullptr) {
        GetWindowRect(window, &rect);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

SIZE EwsOuterSize(const PSWDATA* d) {
    return {d->ewsHeadSize.cx + 2 * GetSystemMetrics(SM_CXEDGE),
            GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYEDGE) + d->ewsHeadSize.cy + d->ewsLeftSize.cy +
                d->ewsFootSize.cy};
}

void BuildTitle(const PSWDATA* d, LPWSTR title) {
    WCHAR caption[kEwsTitleChars];
    LoadStringEx(d->language, kEwsTitleText, caption, sizeof(caption));
    EwsTitle(d->language, caption, d->printerName, title, kEwsTitleChars);
}

void SetIcons(HWND hwnd) {
    struct {
        int side;
        WPARAM kind;
    } const icons[] = {{16, ICON_SMALL}, {32, ICON_BIG}};
    for (const auto& icon : icons) {
        HANDLE image =
            LoadImageW(PswModule(), MAKEINTRESOURCEW(kWindowIcon), IMAGE_ICON, icon.side, icon.side, LR_SHARED);
        if (image != nullptr) {
            SendMessageW(hwnd, WM_SETICON, icon.kind, reinterpret_cast<LPARAM>(image));
        }
    }
}

HWND CreateStrip(PSWDATA* d, UINT templateId, DLGPROC procedure) {
    const void* dialogTemplate = LoadDialog(nullptr, templateId, d->language);
    if (dialogTemplate == nullptr) {
        return nullptr;
    }
    const HWND dialog = CreateDialogIndirectParamW(PswModule(), static_cast<LPCDLGTEMPLATEW>(dialogTemplate),
                                                   d->ewsWindow, procedure, reinterpret_cast<LPARAM>(d));
    if (dialog != nullptr) {
        ShowWindow(dialog, SW_SHOW);
    }
    return dialog;
}

bool IsEwsButton(const PSWDATA* d, HWND window) {
    if (window == nullptr) {
        return false;
    }
    for (int id : kFootButtons) {
        if (GetDlgItem(d->ewsFoot, id) == window) {
            return true;
        }
    }
    for (int id = kEwsGeneralButton; id <= kEwsConsoleButton; ++id) {
        if (d->ewsLeft != nullptr && GetDlgItem(d->ewsLeft, id) == window) {
            return true;
        }
    }
    return false;
}

void OnClose(HWND hwnd, PSWDATA* d) {
    for (int id = kEwsGeneralButton; id <= kEwsConsoleButton; ++id) {
        SendDlgItemMessageW(d->ewsLeft, id, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
    SendDlgItemMessageW(d->ewsFoot, kRefreshButton, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    SendDlgItemMessageW(d->ewsFoot, kEwsHelpButton, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    if (d->ewsFoot != nullptr) {
        SendMessageW(d->ewsFoot, DM_SETDEFID, IDCLOSE, 0);
    }
    d->ewsFocus = nullptr;
    ShowWindow(hwnd, SW_HIDE);
}

LRESULT OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam, PSWDATA* d) {
    const WORD id = LOWORD(wParam);
    if (id == kRefreshButton) {
        if (!d->refreshPending) {
            CallRefreshStatus(d, kRefreshOnSpooler);
        } else {
            LogPrint(kLogCondition, "lpPSWData->fSetReqCtr\n");
        }
        return 0;
    }
    if (id == IDCLOSE) {
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
    }
    if (id >= kEwsGeneralButton && id <= kEwsConsoleButton) {
        LogPrint(kLogTrace, "BTN_GENERAL||INTRAY||OUTTRAY||COVER||CONSUM||CONSOLE\n");
        PostMessageW(hwnd, WM_COMMAND, kRefreshButton, 0);
        const EwsSheetRow* row = EwsSheetOfButton(id);
        if (row == nullptr || row->sheet == d->ewsSheetShown) {
            return 0;
        }
        d->ewsSheetShown = row->sheet;
        EWS_SetRightSheet(d);
        return 0;
    }
    if (id == kEwsHelpButton) {
        SendMessageW(hwnd, WM_HELP, wParam, lParam);
        return 0;
    }
    return DefWindowProcW(hwnd, WM_COMMAND, wParam, lParam);
}

bool IsFeederRow(WORD row) { return row == kStatusRowPaperSizeError || row == kStatusRowPaperOut; }

// The status messages the main window passes on; false for any other message.
bool OnStatusMessage(HWND hwnd, UINT message, PSWDATA* d) {
    const HWND sheet = d->ewsSheet;
    switch (message) {
    case WM_PSW_PORT:
        EWS_SetPortName(d, sheet);
        return true;
    case WM_PSW_PRINTERBINCONFIG:
    case WM_PSW_ERRNOPAPER2:
    case WM_PSW_ERRPAPERJAM:
        EWS_SetPaperInputTray(d, sheet);
        EWS_SetPrinterInformation(d, sheet);
        return true;
    case WM_PSW_PRINTEROPTCONFIG:
        EWS_SetPrinterOptConfig(d);
        EWS_SetPrinterInformation(d, sheet);
        return true;
    case WM_PSW_PRINTERNAME: {
        WCHAR title[kEwsTitleChars];
        BuildTitle(d, title);
        SetWindowTextW(hwnd, title);
        EWS_SetPrinterName(d, sheet);
        return true;
    }
    case WM_PSW_TONERREMAIN:
    case WM_PSW_ERRSUPPLIES:
        EWS_SetTonerLevel(d, sheet);
        EWS_SetConsumables(d);
        EWS_SetPrinterInformation(d, sheet);
        return true;
    case WM_PSW_PRINTERDISPLAY:
        EWS_SetPrinterDisplay(d, sheet);
        return true;
    case WM_PSW_ERRCOVEROPEN:
        EWS_SetCovers(d, sheet);
        EWS_SetPrinterInformation(d, sheet);
        return true;
    case WM_PSW_CURRENTFEEDER:
        if (IsFeederRow(d->statusRow)) {
            PostMessageW(hwnd, WM_PSW_PRINTERBINCONFIG, 0, 0);
        }
        return true;
    case WM_PSW_ERRLOADPAPER:
        LogPrint(kLogTrace, "WM_PSW_ERRLOADPAPER\n");
        return true;
    case WM_PSW_UPDATE_INFORMATION:
        if (d->statusRow != d->previousStatusRow) {
            if (IsFeederRow(d->statusRow) || IsFeederRow(d->previousStatusRow)) {
                PostMessageW(hwnd, WM_PSW_PRINTERBINCONFIG, 0, 0);
            }
            EWS_SetPrinterInformation(d, sheet);
        }
        return true;
    default:
        return false;
    }
}

void OnDisplayChange(HWND hwnd, PSWDATA* d) {
    SetIcons(hwnd);
    const HWND sheet = d->ewsSheet;
    EWS_SetPaperInputTray(d, sheet);
    EWS_SetPaperOutputBin(d, sheet);
    EWS_SetCovers(d, sheet);
    EWS_SetTonerLevel(d, sheet);
    EWS_SetConsumables(d);
    EWS_SetPrinterInformation(d, sheet);
}

bool OpenEwsKey(const PSWDATA* d, DWORD access, HKEY* key) {
    WCHAR path[kCchUserKey];
    if (!GetPswUserKey(d, d->printerName, path, kCchUserKey)) {
        return false;
    }
    WCHAR className[] = u"REG_DWORD";
    return RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, className, REG_OPTION_NON_VOLATILE, access, nullptr, key,
                           nullptr) == ERROR_SUCCESS;
}

}  // namespace

const EwsSheetRow* EwsSheetOfNumber(EwsSheet sheet) {
    for (const EwsSheetRow& row : EwsSheetTable) {
        if (row.sheet == EwsSheet::End) {
            break;
        }
        if (row.sheet == sheet) {
            return &row;
        }
    }
    return nullptr;
}

const EwsSheetRow* EwsSheetOfButton(WORD button) {
    for (const EwsSheetRow& row : EwsSheetTable) {
        if (row.sheet == EwsSheet::End) {
            break;
        }
        if (row.button == button) {
            return &row;
        }
    }
    return nullptr;
}

void EwsTitle(LANGID language, LPCWSTR caption, LPCWSTR printerName, LPWSTR out, int cchOut) {
    if (out == nullptr || cchOut <= 0) {
        return;
    }
    out[0] = u'\0';
    const bool nameFirst = language == kLangKorean || language == kLangChineseTraditional;
    LPCWSTR first = nameFirst ? printerName : caption;
    LPCWSTR second = nameFirst ? caption : printerName;
    lstrcpynW(out, first != nullptr ? first : u"", cchOut);
    const int used = lstrlenW(out);
    if (used < cchOut - 1) {
        lstrcpynW(out + used, second != nullptr ? second : u"", cchOut - used);
    }
}

BOOL EWS_CreateMainWindow(PSWDATA* d) {
    EWS_RegisterMiscWndClass(d);
    WCHAR title[kEwsTitleChars];
    BuildTitle(d, title);
    const HWND window = CreateWindowExW(0, d->ewsClassName, title, kEwsStyle, 0, 0, 0, 0, nullptr, nullptr,
                                        PswModule(), d);
    if (window == nullptr) {
        LogPrint(kLogError, "EWS CreateWindowEx() is failed.\n");
        return TRUE;
    }
    EWS_CreateChildWindow(d);
    EWS_GetRegWndPosSize(d, &d->ewsPosition, &d->ewsSize);
    d->ewsPreviousPosition = d->ewsPosition;
    EWS_ChangeWindowSize(d);
    ShowWindow(window, SW_HIDE);
    return TRUE;
}

BOOL EWS_RegisterMiscWndClass(PSWDATA* d) {
    WCHAR driver[256] = {};
    MultiByteToWideChar(CP_ACP, 0, d->driverName, -1, driver, static_cast<int>(std::size(driver)) - 1);
    const int cchClass = static_cast<int>(std::size(d->ewsClassName));
    lstrcpynW(d->ewsClassName, kEwsClassPrefix, cchClass);
    const int used = lstrlenW(d->ewsClassName);
    lstrcpynW(d->ewsClassName + used, driver, cchClass - used);
    UnregisterClassW(d->ewsClassName, PswModule());
    HICON icon = LoadIconW(PswModule(), MAKEINTRESOURCEW(kWindowIcon));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &EWS_MainWndProc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = PswModule();
    wc.hIcon = icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = d->ewsClassName;
    wc.hIconSm = icon;
    if (RegisterClassExW(&wc) == 0) {
        WNDCLASSW old{0, &EWS_MainWndProc, 0, static_cast<int>(sizeof(void*)), PswModule(), icon, wc.hCursor,
                      wc.hbrBackground, nullptr, d->ewsClassName};
        if (RegisterClassW(&old) == 0) {
            LogPrint(kLogError, "[RegisterMiscWndClass] Main RegisterClass() is failed. (%u)\n",
                     static_cast<unsigned>(GetLastError()));
        }
    }
    return TRUE;
}

BOOL EWS_CreateChildWindow(PSWDATA* d) {
    CreateStrip(d, kEwsHeadTemplate, &EwsDlgProcHead);
    CreateStrip(d, kEwsLeftTemplate, &EwsDlgProcLeft);
    d->ewsSheetShown = EwsSheet::R01;
    EWS_SetRightSheet(d);
    CreateStrip(d, kEwsFootTemplate, &EwsDlgProcFoot);
    d->ewsHeadSize = OuterSize(d->ewsHead);
    d->ewsLeftSize = OuterSize(d->ewsLeft);
    d->ewsRightSize = OuterSize(d->ewsSheet);
    d->ewsFootSize = OuterSize(d->ewsFoot);
    return TRUE;
}

BOOL EWS_SetRightSheet(PSWDATA* d) {
    if (d->ewsSheet != nullptr) {
        const HWND old = d->ewsSheet;
        d->ewsSheet = nullptr;
        DestroyWindow(old);
    }
    if (const EwsSheetRow* row = EwsSheetOfNumber(d->ewsSheetShown); row != nullptr) {
        if (const void* dialogTemplate = LoadDialog(nullptr, row->dialogTemplate, d->language);
            dialogTemplate != nullptr) {
            d->ewsSheet = CreateDialogIndirectParamW(PswModule(), static_cast<LPCDLGTEMPLATEW>(dialogTemplate),
                                                         d->ewsWindow, row->dialogProc, reinterpret_cast<LPARAM>(d));
        }
        if (d->ewsSheet != nullptr) {
            ShowWindow(d->ewsSheet, SW_SHOW);
        }
    }
    EWS_ChangeWindowSize(d);
    const HWND sheet = d->ewsSheet;
    EWS_SetPrinterName(d, sheet);
    EWS_SetPortName(d, sheet);
    EWS_SetPrinterDisplay(d, sheet);
    EWS_SetPrinterOptConfig(d);
    EWS_SetPaperInputTray(d, sheet);
    EWS_SetCovers(d, sheet);
    EWS_SetPaperOutputBin(d, sheet);
    EWS_SetTonerLevel(d, sheet);
    EWS_SetConsumables(d);
    EWS_SetPrinterInformation(d, sheet);
    return TRUE;
}

BOOL EWS_ChangeWindowSize(PSWDATA* d) {
    if (d->ewsWindow == nullptr || d->ewsHead == nullptr || d->ewsSheet == nullptr ||
        d->ewsLeft == nullptr || d->ewsFoot == nullptr) {
        LogPrint(kLogCondition, "EwsMainWnd||Head||Right||Left||Foot == NULL\n");
        return FALSE;
    }
    const SIZE head = d->ewsHeadSize;
    const SIZE left = d->ewsLeftSize;
    MoveWindow(d->ewsHead, 0, 0, head.cx, head.cy, TRUE);
    MoveWindow(d->ewsLeft, 0, head.cy, left.cx, left.cy, TRUE);
    MoveWindow(d->ewsSheet, left.cx, head.cy, d->ewsRightSize.cx, d->ewsRightSize.cy, TRUE);
    MoveWindow(d->ewsFoot, 0, head.cy + left.cy, d->ewsFootSize.cx, d->ewsFootSize.cy, TRUE);
    d->ewsSize = EwsOuterSize(d);
    // A stored position may lie anywhere: keep the window on a screen.
    const RECT want{d->ewsPosition.x, d->ewsPosition.y, d->ewsPosition.x + d->ewsSize.cx,
                    d->ewsPosition.y + d->ewsSize.cy};
    RECT placed = want;
    GetCorrectWndRect(&placed, &want, kEwsStyle);
    d->ewsPosition = {placed.left, placed.top};
    MoveWindow(d->ewsWindow, placed.left, placed.top, d->ewsSize.cx, d->ewsSize.cy, TRUE);
    UpdateWindow(d->ewsWindow);
    return TRUE;
}

BOOL EWS_GetRegWndPosSize(PSWDATA* d, POINT* position, SIZE* size) {
    *size = EwsOuterSize(d);
    HKEY key = nullptr;
    DWORD x = 0;
    DWORD y = 0;
    bool read = false;
    if (!OpenEwsKey(d, kKeyReadCreate, &key)) {
        LogPrint(kLogCondition, "RegCreateKeyEx() faild. goto Goto_Error\n");
    } else {
        read = QueryRegDword(key, u"SWPosX", &x) && QueryRegDword(key, u"SWPosY", &y);
        if (!read) {
            LogPrint(kLogCondition, "RegQueryValueEx() faild. goto Goto_Error\n");
        }
        RegCloseKey(key);
    }
    if (read) {
        // Anyone may write these values: keep them where adding a size cannot overflow; the
        // window is moved onto a screen when it is placed.
        position->x = std::clamp(static_cast<LONG>(x), -kFarPosition, kFarPosition);
        position->y = std::clamp(static_cast<LONG>(y), -kFarPosition, kFarPosition);
        return TRUE;
    }
    const RECT window{0, 0, size->cx, size->cy};
    RECT placed = window;
    AdjustWndToMon(nullptr, &placed, &window, 0, kMonitorCentre);
    *position = {placed.left, placed.top};
    return TRUE;
}

BOOL EWS_SetRegWndPosSize(PSWDATA* d, LONG x, LONG y, LONG /*cx*/, LONG /*cy*/) {
    HKEY key = nullptr;
    if (!OpenEwsKey(d, KEY_WRITE, &key)) {
        LogPrint(kLogError, "RegCreateKeyEx() failed\n");
        return FALSE;
    }
    const DWORD values[2] = {static_cast<DWORD>(x), static_cast<DWORD>(y)};
    RegSetValueExW(key, u"SWPosX", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&values[0]), sizeof(DWORD));
    RegSetValueExW(key, u"SWPosY", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&values[1]), sizeof(DWORD));
    RegCloseKey(key);
    return TRUE;
}

BOOL EWS_CheckFocus(PSWDATA* d) {
    if (d->ewsFoot == nullptr) {
        LogPrint(kLogCondition, "lpPSWData->hEwsDlgFoot == NULL\n");
        return FALSE;
    }
    const HWND focus = GetFocus();
    if (!IsEwsButton(d, focus)) {
        return TRUE;
    }
    if (IsIconic(d->ewsWindow) || !IsWindowVisible(d->ewsWindow)) {
        d->ewsFocus = GetDlgItem(d->ewsFoot, IDCLOSE);
        PostMessageW(d->ewsFoot, DM_SETDEFID, IDCLOSE, 0);
    } else {
        d->ewsFocus = focus;
    }
    return TRUE;
}

LRESULT EWS_MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* d = static_cast<PSWDATA*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(d));
        if (d == nullptr) {
            return 0;
        }
        d->ewsWindow = hwnd;
        if (HMENU menu = GetSystemMenu(hwnd, FALSE); menu != nullptr) {
            DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
        }
        SetIcons(hwnd);
        SetDialogFont(hwnd, d);
        return 0;
    }
    PSWDATA* d = EwsRecord(hwnd);
    if (message == WM_NCDESTROY) {
        // The children are gone; the record outlives this window (the main window frees it).
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (d != nullptr && d->ewsWindow == hwnd) {
            d->ewsWindow = nullptr;
            d->ewsHead = d->ewsLeft = d->ewsFoot = d->ewsSheet = nullptr;
            d->ewsFocus = nullptr;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (d == nullptr) {
        if (message == WM_GETMINMAXINFO) {
            LogPrint(kLogCondition, "lpPSWData == NULL\n");
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message >= WM_USER && OnStatusMessage(hwnd, message, d)) {
        return 0;
    }
    switch (message) {
    case WM_MOVE:
        if (!IsIconic(hwnd)) {
            RECT rect{};
            GetWindowRect(hwnd, &rect);
            d->ewsPreviousPosition = d->ewsPosition;
            d->ewsPosition = {rect.left, rect.top};
        }
        return 0;
    case WM_SIZE:
        if (wParam == SIZE_RESTORED) {
            SetWndRect(hwnd, d->ewsPosition.x, d->ewsPosition.y, d->ewsPosition.x + d->ewsSize.cx,
                       d->ewsPosition.y + d->ewsSize.cy);
            EWS_ChangeWindowSize(d);
            return 0;
        }
        if (wParam == SIZE_MINIMIZED) {
            d->ewsPosition = d->ewsPreviousPosition;
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_ACTIVATE:
    case WM_KILLFOCUS:
        EWS_CheckFocus(d);
        return 0;
    case WM_SETFOCUS:
        EWS_CheckFocus(d);
        if (d->ewsFocus == nullptr && d->ewsFoot != nullptr) {
            d->ewsFocus = GetDlgItem(d->ewsFoot, IDCLOSE);
            SendMessageW(d->ewsFoot, DM_SETDEFID, IDCLOSE, 0);
        }
        if (d->ewsFocus != nullptr) {
            SetFocus(d->ewsFocus);
        }
        return 0;
    case WM_CLOSE:
        OnClose(hwnd, d);
        return 0;
    case WM_QUERYENDSESSION:
        EWS_SetRegWndPosSize(d, d->ewsPosition.x, d->ewsPosition.y, d->ewsSize.cx, d->ewsSize.cy);
        return TRUE;
    case WM_GETMINMAXINFO:
        if (d->ewsSize.cx > 0 && d->ewsSize.cy > 0) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {d->ewsSize.cx, d->ewsSize.cy};
            info->ptMaxTrackSize = {d->ewsSize.cx, d->ewsSize.cy};
        }
        return 0;
    case WM_HELP:
        CallHelp(hwnd, HELP_FINDER, 0, d, nullptr);
        return 0;
    case WM_DISPLAYCHANGE:
        OnDisplayChange(hwnd, d);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0u) == SC_MINIMIZE) {
            EWS_CheckFocus(d);
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_COMMAND:
        return OnCommand(hwnd, wParam, lParam, d);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
