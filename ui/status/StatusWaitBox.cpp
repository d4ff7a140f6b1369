// The status wait box: reads the printer's installed options through the status manager,
// waiting for its answer when it comes later, and takes them over when the printer allows.
#include <atomic>

#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "ui/pages/PageCommon.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/pages/PropertyPages.h"
#include "ui/status/StatusQuery.h"

namespace {

constexpr UINT_PTR kWaitTimer = 2700;
constexpr DWORD kExtStatusAvailable = 0x4;
constexpr DWORD kExtStatusAnswered = 0x10;
constexpr DWORD kPollingOn = 0x1;
constexpr DWORD kOffline = 0x100;
constexpr DWORD kBusy = 0x200;
constexpr DWORD kNotReady = 0x1000;

std::atomic<DWORD> gWaitLimitMs{kStatusWaitDefaultMs};

PageRecord* RecordOf(HWND dialog) { return reinterpret_cast<PageRecord*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

void Finish(HWND dialog, INT_PTR result) {
    KillTimer(dialog, kWaitTimer);
    EndDialog(dialog, result);
}

// The warning of a status that keeps the options from being read: the printer's middle
// status word tells which.
UINT WarningOf(const PrinterStatusSnapshot& status) {
    const DWORD word = status.printerStatus[1];
    if ((word & kOffline) != 0) return kPrinterOfflineMessage;
    if ((word & kBusy) != 0) return kPrinterBusyMessage;
    return kStatusUnreadableMessage;
}

void Warn(PageRecord* page, HWND dialog) {
    ShowPageWarning(page, dialog, WarningOf(page->context->status));
    Finish(dialog, 0);
}

// The answer is in: warn when the printer cannot give its options, else take them over.
void Evaluate(PageRecord* page, HWND dialog, bool queryFailed) {
    UiContext* context = page->context;
    const DWORD word = context->status.printerStatus[1];
    if ((word & (kOffline | kBusy | kNotReady)) != 0 || queryFailed) {
        Warn(page, dialog);
        return;
    }
    PublishDsProperties(&context->workingBlock, &context->status, context->printer, context->model);
    Finish(dialog, 1);
}

// Ends whatever is pending without waiting for it; the box ends with 0.
void GiveUp(PageRecord* page, HWND dialog) {
    if (page != nullptr && page->context != nullptr) CancelStatusRequest(&page->context->status);
    Finish(dialog, 0);
}

INT_PTR Start(HWND dialog, PageRecord* page) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
    if (page == nullptr || page->context == nullptr) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    UiContext* context = page->context;
    PrinterStatusSnapshot& status = context->status;
    const LONG result = QueryPrinterStatus(&status, context->printer, dialog);
    UpdateStatusFlag(&context->workingBlock, &status, context->printer);
    if ((status.printerExtStatus & kExtStatusAvailable) == 0) {
        GiveUp(page, dialog);
        return TRUE;
    }
    if ((status.printerExtStatus & kExtStatusAnswered) != 0 || (status.compulsivePolling & kPollingOn) != 0) {
        Evaluate(page, dialog, result != 0);
        return TRUE;
    }
    SetTimer(dialog, kWaitTimer, gWaitLimitMs.load(), nullptr);
    return TRUE;
}

}  // namespace

void SetStatusWaitTimeLimit(DWORD milliseconds) { gWaitLimitMs.store(milliseconds); }

INT_PTR StatusWaitBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return Start(dialog, reinterpret_cast<PageRecord*>(lParam));
        case kStatusRefreshDone: {
            PageRecord* page = RecordOf(dialog);
            if (page == nullptr || page->context == nullptr) return TRUE;
            UiContext* context = page->context;
            const LONG result = QueryPrinterStatus(&context->status, context->printer, dialog);
            UpdateStatusFlag(&context->workingBlock, &context->status, context->printer);
            Evaluate(page, dialog, result != 0);
            return TRUE;
        }
        case kStatusRefreshFailed: {
            PageRecord* page = RecordOf(dialog);
            if (page != nullptr && page->context != nullptr) Warn(page, dialog);
            return TRUE;
        }
        case kStatusManagerMissing: {
            PageRecord* page = RecordOf(dialog);
            if (page != nullptr && page->context != nullptr) ShowPageWarning(page, dialog, kStatusUnreadableMessage);
            Finish(dialog, 0);
            return TRUE;
        }
        case WM_TIMER:
            if (wParam != kWaitTimer) return FALSE;
            // No answer in time: the request is closed, and the box says the status could not
            // be read.
            KillTimer(dialog, kWaitTimer);
            if (PageRecord* page = RecordOf(dialog); page != nullptr && page->context != nullptr) {
                CancelStatusRequest(&page->context->status);
                ShowPageWarning(page, dialog, kStatusUnreadableMessage);
            }
            Finish(dialog, 0);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) != IDCANCEL) return FALSE;
            GiveUp(RecordOf(dialog), dialog);
            return TRUE;
        case WM_CLOSE:
            GiveUp(RecordOf(dialog), dialog);
            return TRUE;
        case WM_DESTROY:
            // However the box goes, no request is left answering a window that is gone.
            if (PageRecord* page = RecordOf(dialog); page != nullptr && page->context != nullptr) {
                CancelStatusRequest(&page->context->status);
            }
            return FALSE;
        default:
            return FALSE;
    }
}

INT_PTR ShowStatusWaitBox(PageRecord* page, HWND owner) {
    if (page == nullptr || page->context == nullptr) return -1;
    return DialogBoxParamW(page->context->languageLibrary, MAKEINTRESOURCEW(kStatusWaitBoxTemplate), owner,
                           StatusWaitBoxProc, reinterpret_cast<LPARAM>(page));
}
