// The finishing conflict prompts and the finishing warnings: message boxes and small modal
// dialogs of the language library, captioned with the printer name.
#include "platform/User.h"
#include "platform/UserDialogs.h"
#include "platform/UserResources.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "ui/dialogs/Finishing.h"
#include "ui/pages/PageCommon.h"
#include "ui/pages/PropertyPages.h"

namespace {

// Paper codes the warnings single out.
constexpr int kLetter = 1;
constexpr int kA4 = 9;
constexpr int kB5 = 13;

const UiContext* ContextOf(const PageRecord* page) { return page != nullptr ? page->context : nullptr; }

void CentreOnDesktop(HWND dialog) {
    RECT desktop{};
    RECT own{};
    if (!GetWindowRect(GetDesktopWindow(), &desktop) || !GetWindowRect(dialog, &own)) return;
    const LONG width = own.right - own.left;
    const LONG height = own.bottom - own.top;
    MoveWindow(dialog, desktop.left + (desktop.right - desktop.left - width) / 2,
               desktop.top + (desktop.bottom - desktop.top - height) / 2, width, height, FALSE);
}

}  // namespace

int ShowFinishingMessage(const PageRecord* page, HWND owner, UINT textId, UINT style, bool beep) {
    const UiContext* context = ContextOf(page);
    if (beep) MessageBeep(MB_ICONEXCLAMATION);
    return ShowMessage(owner, textId, context != nullptr ? context->printerName : u"", 0, style,
                       context != nullptr ? context->languageLibrary : nullptr);
}

void WarnFirstPosition(const PageRecord* page, HWND owner, const DriverDevMode& block, int position, bool beep) {
    if (position == 0 || block.Public.dmDefaultSource != kFinishingSource) return;
    const int paper = FinishingPaper(block);
    const bool secondChosen = block.FinishPosition2 != 0;
    UINT warning = 0;
    if (paper == kA4 || paper == kLetter) {
        if (IsFinishingPortrait(block.Public.dmOrientation, block.PagesPerSheet)) {
            if (position == 1 || position == 5 || position == 6 || (position == 4 && secondChosen))
                warning = kPaperDirectionMessage;
            if (position == 2 || position == 3) warning = kManualFeedFinishingMessage;
        } else {
            if (position == 3 || position == 4 || (position == 1 && secondChosen)) warning = kPaperDirectionMessage;
            if (position == 5 || position == 6 || position == 7) warning = kManualFeedFinishingMessage;
        }
    } else if (paper == kB5) {
        warning = kPaperDirectionMessage;
    }
    if (warning != 0) ShowFinishingMessage(page, owner, warning, MB_ICONWARNING, beep);
}

void WarnSecondPosition(const PageRecord* page, HWND owner, const DriverDevMode& block, int position, bool beep) {
    if (position != 0 && block.Public.dmDefaultSource == kFinishingSource && FinishingPaper(block) == kA4) {
        ShowFinishingMessage(page, owner, kSecondPositionA4Message, MB_ICONWARNING, beep);
    }
}

void ShowFinishingWarnings(const PageRecord* page, HWND owner, const DriverDevMode& block, bool beep) {
    if ((block.CoverFlags & kOutputFinisherMode) == 0) return;
    WarnFirstPosition(page, owner, block, block.FinishPosition1, beep);
    WarnSecondPosition(page, owner, block, block.FinishPosition2, beep);
}

INT_PTR FinishConflictDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        auto* page = reinterpret_cast<PageRecord*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        if (const UiContext* context = ContextOf(page)) SetWindowTextW(dialog, context->printerName);
        SendDlgItemMessageW(dialog, kPromptIcon, STM_SETICON,
                            reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
        CentreOnDesktop(dialog);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kConflictGoOn:
        case kConflictGiveUp:
        case kConflictAlternative:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, kConflictGiveUp);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

INT_PTR ShowFinishConflictPrompt(PageRecord* page, HWND owner, int templateId) {
    const UiContext* context = ContextOf(page);
    if (context == nullptr || context->languageLibrary == nullptr) return kConflictGiveUp;
    const INT_PTR answer = DialogBoxParamW(context->languageLibrary, MAKEINTRESOURCEW(templateId), owner,
                                           &FinishConflictDlgProc, reinterpret_cast<LPARAM>(page));
    return answer == kConflictGoOn || answer == kConflictAlternative ? answer : kConflictGiveUp;
}
