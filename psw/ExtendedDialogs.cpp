#include "psw/ExtendedDialogs.h"

#include <iterator>

#include "psw/DialogText.h"
#include "psw/Language.h"
#include "psw/PswLog.h"
#include "platform/Controls.h"
#include "platform/User.h"
#include "platform/WinGdi.h"
#include "resources/psw/PswIds.h"

namespace {

// The strips keep their own fonts; the sheets keep theirs in the record.
enum Strip : int { kStripHead = 0, kStripLeft, kStripFoot, kNoStrip };

// The printer's display sheet (R06) has no template in the language libraries yet; its
// controls: the title, the panel's label and the panel's two lines.
constexpr int kDisplayTitle = 805;
constexpr int kDisplayPanelLabel = 825;
constexpr int kDisplayPanelLine1 = 821;
constexpr int kDisplayPanelLine2 = 822;

using enum TextFont;
constexpr ControlTextTable kEnd = {0, 0, Plain};
constexpr ControlTextTable kHeadTexts[] = {{kEwsHeadTitle, kEwsHeadText, Large}, kEnd};
constexpr ControlTextTable kLeftTexts[] = {
    {kEwsGeneralButton, kGeneralButtonText, Plain},
    {kEwsTraysButton, kTraysButtonText, Plain},
    {kEwsBinsButton, kBinsButtonText, Plain},
    {kEwsCoversButton, kCoversButtonText, Plain},
    {kEwsConsumablesButton, kConsumablesButtonText, Plain},
    kEnd,
};
constexpr ControlTextTable kFootTexts[] = {
    {kRefreshButton, kRefreshButtonText, Plain},
    {IDCLOSE, kCloseButtonText, Plain},
    {kEwsHelpButton, kHelpButtonText, Plain},
    kEnd,
};
constexpr ControlTextTable kR01Texts[] = {
    {kGeneralTitle, kGeneralTitleText, Large},
    {kGeneralNameLabel, kGeneralNameText, Bold},
    {kGeneralPortLabel, kGeneralPortText, Bold},
    {kGeneralStatusLabel, kGeneralStatusText, Bold},
    kEnd,
};
constexpr ControlTextTable kR02Texts[] = {
    {kTraysTitle, kTraysTitleText, Large},
    {kTraysTrayLabel, kTraysTrayText, Bold},
    {kTraysSizeLabel, kTraysSizeText, Bold},
    {kTraysTypeLabel, kTraysTypeText, Bold},
    {kTraysLevelLabel, kTraysLevelText, Bold},
    {kTraysTrayValue, kFrameText, Plain},
    kEnd,
};
constexpr ControlTextTable kR03Texts[] = {
    {kBinsTitle, kBinsTitleText, Large},
    {kBinsBinLabel, kBinsBinText, Bold},
    {kBinsCapacityLabel, kBinsCapacityText, Bold},
    {kBinsStateLabel, kBinsStateText, Bold},
    {kBinsBinValue, kFrameText, Plain},
    kEnd,
};
constexpr ControlTextTable kR04Texts[] = {
    {kCoversTitle, kCoversTitleText, Large},
    {kCoversCoverLabel, kCoversCoverText, Bold},
    {kCoversStateLabel, kCoversStateText, Bold},
    {kCoversCoverValue, kFrameText, Plain},
    kEnd,
};
constexpr ControlTextTable kR05Texts[] = {
    {kConsumablesTitle, kConsumablesTitleText, Large},
    {kConsumablesCartridgeLabel, kConsumablesCartridgeText, Bold},
    {kConsumablesLevelLabel, kConsumablesLevelText, Bold},
    {kConsumablesCartridgeValue, kFrameText, Plain},
    kEnd,
};
constexpr ControlTextTable kR06Texts[] = {
    {kDisplayTitle, kDisplayTitleText, Large},
    {kDisplayPanelLabel, kDisplayPanelText, Plain},
    kEnd,
};

constexpr COLORREF kPanelYellow = 0x0000FFFFu;

PSWDATA* DialogRecord(HWND dialog) {
    auto* d = reinterpret_cast<PSWDATA*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return d != nullptr && d->signature == kPswSignature ? d : nullptr;
}

void DeleteFont(HFONT* font) {
    if (*font != nullptr) {
        DeleteObject(*font);
        *font = nullptr;
    }
}

void ApplyTexts(HWND dialog, const PSWDATA* d, const ControlTextTable* table, HFONT bold, HFONT large) {
    for (const ControlTextTable* row = table; row->control != 0; ++row) {
        WCHAR text[256];
        LoadStringEx(d->language, row->stringId, text, sizeof(text));
        SetDlgItemTextW(dialog, row->control, text);
        HFONT font = row->font == Large ? large : row->font == Bold ? bold : nullptr;
        if (font != nullptr) {
            SendDlgItemMessageW(dialog, row->control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
    }
}

// What the strips and the sheets share: the record, fonts and texts at creation, the white
// background, and the fonts given back at WM_DESTROY.
struct DialogKind {
    Strip strip;
    EwsSheet sheet;  // None for a strip
    const ControlTextTable* texts;
};

BOOL InitDialog(HWND dialog, LPARAM lParam, const DialogKind& kind) {
    auto* d = reinterpret_cast<PSWDATA*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    if (d == nullptr) {
        return FALSE;
    }
    HFONT bold = nullptr;
    HFONT large = nullptr;
    if (kind.strip != kNoStrip) {
        HWND* slot[] = {&d->ewsHead, &d->ewsLeft, &d->ewsFoot};
        *slot[kind.strip] = dialog;
        SetDialogFont(dialog, d);
        HFONT(&fonts)[2] = d->ewsStripFonts[kind.strip];
        DeleteFont(&fonts[0]);
        DeleteFont(&fonts[1]);
        EwsMakeFonts(kind.strip == kStripHead ? 3 : 5, kind.strip == kStripHead ? 2 : 4, &fonts[0], &fonts[1]);
        bold = fonts[0];
        large = fonts[1];
    } else {
        SetDialogFont(dialog, d);
        if (kind.sheet == EwsSheet::R01) {
            LOGFONTW font{};
            GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
            DeleteFont(&d->ewsSheetFonts[0]);
            d->ewsSheetFonts[0] = CreateFontIndirectW(&font);
        }
        DeleteFont(&d->ewsSheetFonts[1]);
        DeleteFont(&d->ewsSheetFonts[2]);
        EwsMakeFonts(5, 4, &d->ewsSheetFonts[1], &d->ewsSheetFonts[2]);
        bold = d->ewsSheetFonts[1];
        large = d->ewsSheetFonts[2];
    }
    ApplyTexts(dialog, d, kind.texts, bold, large);
    return FALSE;
}

void DestroyDialog(PSWDATA* d, const DialogKind& kind) {
    if (kind.strip != kNoStrip) {
        DeleteFont(&d->ewsStripFonts[kind.strip][0]);
        DeleteFont(&d->ewsStripFonts[kind.strip][1]);
        return;
    }
    if (kind.sheet == EwsSheet::R01) {
        DeleteFont(&d->ewsSheetFonts[0]);
    }
    DeleteFont(&d->ewsSheetFonts[1]);
    DeleteFont(&d->ewsSheetFonts[2]);
    if (kind.sheet == EwsSheet::R06 && d->displaySheetBrush != nullptr) {
        DeleteObject(d->displaySheetBrush);
        d->displaySheetBrush = nullptr;
    }
}

INT_PTR CommonDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, const DialogKind& kind) {
    if (message == WM_INITDIALOG) {
        return InitDialog(dialog, lParam, kind);
    }
    if (message == WM_CTLCOLORDLG || message == WM_CTLCOLORBTN || message == WM_CTLCOLORSTATIC) {
        return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    }
    PSWDATA* d = DialogRecord(dialog);
    switch (message) {
    case WM_COMMAND: {
        // The strips never act on a button themselves: the window does.
        const WORD id = LOWORD(wParam);
        const bool sheetButton = id >= kEwsGeneralButton && id <= kEwsConsoleButton;
        const bool footButton = id == IDCLOSE || id == kRefreshButton || id == kEwsHelpButton;
        const bool passed = (kind.strip == kStripLeft && sheetButton) || (kind.strip == kStripFoot && footButton);
        if (!passed) {
            return FALSE;
        }
        if (d != nullptr && d->ewsWindow != nullptr) {
            PostMessageW(d->ewsWindow, WM_COMMAND, wParam, lParam);
        }
        return TRUE;
    }
    case WM_DESTROY:
        if (d != nullptr) {
            DestroyDialog(d, kind);
        }
        return kind.strip == kNoStrip ? TRUE : FALSE;
    case WM_NCDESTROY:
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

// Whether the extended window shows that sheet; when it does not, the log says so (with
// `more` after the sheet's name).
bool SheetShown(const PSWDATA* d, HWND sheet, EwsSheet number, const char* more = "") {
    if (d != nullptr && sheet != nullptr && d->ewsSheetShown == number) return true;
    LogPrint(kLogCondition, "lpPSWData->wEwsDlgRight != SHEET_R%02u%s\n", static_cast<unsigned>(number), more);
    return false;
}

void SetFrameText(const PSWDATA* d, HWND sheet, int control, DWORD cbBuffer) {
    WCHAR text[1024];
    LoadStringEx(d->language, kFrameText, text, cbBuffer < sizeof(text) ? cbBuffer : sizeof(text));
    SetDlgItemTextW(sheet, control, text);
}

// The frame text with the sheet's normal font selected into the control's device context.
void SetFrameTextWithFont(const PSWDATA* d, HWND sheet, int control) {
    HWND item = GetDlgItem(sheet, control);
    HDC dc = item != nullptr ? GetDC(item) : nullptr;
    HGDIOBJ old = dc != nullptr && d->ewsSheetFonts[0] != nullptr ? SelectObject(dc, d->ewsSheetFonts[0]) : nullptr;
    SetFrameText(d, sheet, control, 512);
    if (dc != nullptr) {
        if (old != nullptr) {
            SelectObject(dc, old);
        }
        ReleaseDC(item, dc);
    }
}

void ClearPicture(HWND sheet, int control) { SendDlgItemMessageW(sheet, control, STM_SETICON, 0, 0); }

// Moves `mover` to where `target` sits (target is shown only to measure it), keeping the
// mover's own client size, and shows it.
void MoveOnto(HWND sheet, int mover, int target) {
    HWND moving = GetDlgItem(sheet, mover);
    HWND place = GetDlgItem(sheet, target);
    if (moving == nullptr || place == nullptr) {
        return;
    }
    ShowWindow(place, SW_SHOW);
    RECT at{};
    RECT frame{};
    GetWindowRect(place, &at);
    GetWindowRect(sheet, &frame);
    ShowWindow(place, SW_HIDE);
    RECT client{};
    GetClientRect(moving, &client);
    MoveWindow(moving, at.left - frame.left, at.top - frame.top, client.right - client.left, client.bottom - client.top,
               TRUE);
    ShowWindow(moving, SW_SHOW);
}

}  // namespace

void EwsMakeFonts(int num, int den, HFONT* bold, HFONT* large) {
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    font.lfWeight = FW_BOLD;
    *bold = CreateFontIndirectW(&font);
    font.lfHeight = font.lfHeight * num / den;
    *large = CreateFontIndirectW(&font);
}

INT_PTR EwsDlgProcHead(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return CommonDialog(dialog, message, wParam, lParam, {kStripHead, EwsSheet::None, kHeadTexts});
}

INT_PTR EwsDlgProcLeft(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return CommonDialog(dialog, message, wParam, lParam, {kStripLeft, EwsSheet::None, kLeftTexts});
}

INT_PTR EwsDlgProcFoot(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return CommonDialog(dialog, message, wParam, lParam, {kStripFoot, EwsSheet::None, kFootTexts});
}

INT_PTR EwsDlgProcR01(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM && wParam == kGeneralPicture) {
        // The printer's picture has no source yet: the control stays blank.
        HWND item = GetDlgItem(dialog, kGeneralPicture);
        if (HDC dc = item != nullptr ? GetDC(item) : nullptr; dc != nullptr) {
            ReleaseDC(item, dc);
        }
        return TRUE;
    }
    return CommonDialog(dialog, message, wParam, lParam, {kNoStrip, EwsSheet::R01, kR01Texts});
}

INT_PTR EwsDlgProcR02(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return CommonDialog(dialog, message, wParam, lParam, {kNoStrip, EwsSheet::R02, kR02Texts});
}

INT_PTR EwsDlgProcR03(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return CommonDialog(dialog, message, wParam, lParam, {kNoStrip, EwsSheet::R03, kR03Texts});
}

INT_PTR EwsDlgProcR04(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return CommonDialog(dialog, message, wParam, lParam, {kNoStrip, EwsSheet::R04, kR04Texts});
}

INT_PTR EwsDlgProcR05(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return CommonDialog(dialog, message, wParam, lParam, {kNoStrip, EwsSheet::R05, kR05Texts});
}

INT_PTR EwsDlgProcR06(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) {
        PSWDATA* d = DialogRecord(dialog);
        if (d == nullptr) {
            return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        }
        // The brush handed out last time is no longer in use.
        if (d->displaySheetBrush != nullptr && d->displaySheetBrush != GetStockObject(WHITE_BRUSH)) {
            DeleteObject(d->displaySheetBrush);
        }
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, 0);
        SetBkMode(dc, TRANSPARENT);
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        const bool panelLine = id == kDisplayPanelLine1 || id == kDisplayPanelLine2;
        d->displaySheetBrush =
            panelLine ? CreateSolidBrush(kPanelYellow) : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        return reinterpret_cast<INT_PTR>(d->displaySheetBrush);
    }
    return CommonDialog(dialog, message, wParam, lParam, {kNoStrip, EwsSheet::R06, kR06Texts});
}

BOOL EWS_SetPrinterInformation(PSWDATA* d, HWND sheet) {
    if (!SheetShown(d, sheet, EwsSheet::R01)) {
        return TRUE;
    }
    ClearPicture(sheet, kGeneralStatusIcon);
    SetFrameText(d, sheet, kGeneralStatusValue, 2048);
    return TRUE;
}

BOOL EWS_SetPrinterName(PSWDATA* d, HWND sheet) {
    if (!SheetShown(d, sheet, EwsSheet::R01)) {
        return TRUE;
    }
    SetFrameTextWithFont(d, sheet, kGeneralNameValue);
    return TRUE;
}

BOOL EWS_SetPortName(PSWDATA* d, HWND sheet) {
    if (!SheetShown(d, sheet, EwsSheet::R01)) {
        return TRUE;
    }
    SetFrameTextWithFont(d, sheet, kGeneralPortValue);
    return TRUE;
}

BOOL EWS_SetPrinterDisplay(PSWDATA* d, HWND sheet) {
    SheetShown(d, sheet, EwsSheet::R06);
    return TRUE;
}

BOOL EWS_SetPaperInputTray(PSWDATA* d, HWND sheet) {
    if (!SheetShown(d, sheet, EwsSheet::R02)) {
        return TRUE;
    }
    MoveOnto(sheet, kTraysSizeValue, kTraysSizeIcon);
    for (int control : {kTraysSizeValue, kTraysTypeValue, kTraysLevelValue}) {
        SetFrameText(d, sheet, control, 128);
    }
    ClearPicture(sheet, kTraysTrayIcon);
    ClearPicture(sheet, kTraysSizeIcon);
    return TRUE;
}

BOOL EWS_SetPaperOutputBin(PSWDATA* d, HWND sheet) {
    if (d == nullptr || sheet == nullptr) {
        return TRUE;
    }
    SetFrameText(d, sheet, kBinsStateValue, 512);
    SetFrameText(d, sheet, kBinsCapacityValue, 512);
    ClearPicture(sheet, kBinsBinIcon);
    return TRUE;
}

BOOL EWS_SetPrinterOptConfig(PSWDATA* /*data*/) { return TRUE; }

BOOL EWS_SetCovers(PSWDATA* d, HWND sheet) {
    if (d == nullptr || sheet == nullptr) {
        return TRUE;
    }
    SetFrameText(d, sheet, kCoversStateValue, 512);
    ClearPicture(sheet, kCoversCoverIcon);
    return TRUE;
}

BOOL EWS_SetTonerLevel(PSWDATA* d, HWND sheet) {
    if (!SheetShown(d, sheet, EwsSheet::R05, ". continue")) {
        return TRUE;
    }
    MoveOnto(sheet, kTonerLabel, kConsumablesLevelIcon);
    SetFrameText(d, sheet, kTonerLabel, 256);
    ClearPicture(sheet, kTonerIcon);
    ClearPicture(sheet, kConsumablesLevelIcon);
    return TRUE;
}

BOOL EWS_SetConsumables(PSWDATA* /*data*/) { return TRUE; }
