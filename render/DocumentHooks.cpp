// The document and page hooks: deferred job header and page setup, page counting, ejects,
// and the reset of a device for its next job.
#include "render/DocumentHooks.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Kernel.h"
#include "platform/Process.h"
#include "platform/Spooler.h"
#include "render/DriverEntry.h"
#include "render/FlowLog.h"
#include "render/HookLog.h"
#include "render/Geometry.h"
#include "render/JobFiles.h"
#include "render/OutputStream.h"
#include "render/PageDecorations.h"
#include "render/PageSetup.h"
#include "render/PjlHeader.h"
#include "render/draw/DrawingState.h"
#include "render/draw/GlyphDownload.h"
#include "settings/DebugLog.h"

void LogHookLine(const PDEV* pdev, const char* hook, std::u16string_view tail) {
    // Hook names are ASCII; the tail may be Japanese.
    char16_t line[96];
    size_t n = 0;
    for (const char16_t c : std::u16string_view(u"DDI:")) line[n++] = c;
    for (const char* p = hook; *p != 0 && n < 40; ++p) line[n++] = static_cast<char16_t>(*p);
    for (size_t i = 0; i < tail.size() && n < std::size(line); ++i) line[n++] = tail[i];
    HookLog(pdev, kLogDeviceHooks, std::u16string_view(line, n));
}

void LogHookEntry(const PDEV* pdev, const char* hook) {
    LogHookLine(pdev, hook, u" IN");
    LogHookLine(pdev, hook, u" IN 妥当性チェックClear!");
}

void LogHookExit(const PDEV* pdev, const char* hook) { LogHookLine(pdev, hook, u" OUT"); }

WORD SheetCapacity(const PDEV* pdev) {
    // Only the layouts the slot table has; anything else prints one page per sheet.
    switch (const WORD pages = pdev->Settings.PagesPerSheet) {
    case 2:
    case 4:
    case 6:
    case 8:
    case 9:
    case 16: return pages;
    default: return 1;
    }
}

bool DownloadModel(const PDEV* pdev) {
    const int dpi = Resolution(pdev);
    return (dpi == 200 || dpi == 400) && pdev->Model != nullptr && (pdev->Model->Flags & kModelGlyphDownload) != 0;
}

namespace {

void FreePageWorkBlock(PDEV* pdev) {
    if (pdev->PageWorkBlock == nullptr) return;
    PdevFree(pdev, pdev->PageWorkBlock);
    pdev->PageWorkBlock = nullptr;
}

/// The printer forgets its downloaded glyphs: the job's table starts empty.
void ForgetDownloadedGlyphs(PDEV* pdev) { ResetGlyphCache(pdev); }

bool FeedsBlankSheets(const PDEV* pdev) { return (pdev->Settings.FeatureFlags & kFeatureEjectBlankSheets) != 0; }

/// CR FF and the sheet counters; the caller has entered page-control mode.
void FeedSheet(PDEV* pdev) {
    if (pdev->SheetBlank) return;
    const BYTE crff[] = {0x0D, 0x0C};
    (void)WriteOutput(pdev, crff, sizeof crff);
    pdev->WantedPage.SheetCount += 1;
    pdev->WantedPage.SlotIndex = 0;
    (void)FlushOutput(pdev);
    pdev->SheetBlank = FeedsBlankSheets(pdev) ? 0 : 1;
}

/// Ports the print processor drives itself keep the thread's priority.
bool PortWantsLowPriority(PDEV* pdev) {
    DWORD needed = 0;
    if (GetPrinterW(pdev->Printer, 2, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        needed < sizeof(PRINTER_INFO_2W)) {
        return false;
    }
    auto* block = static_cast<BYTE*>(PdevAlloc(pdev, needed));
    if (block == nullptr) return false;
    bool lower = false;
    DWORD again = 0;
    if (GetPrinterW(pdev->Printer, 2, block, needed, &again) && again == needed) {
        const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(block);
        const LPCWSTR port = info->pPortName;
        lower = true;
        for (const char16_t* lpt : {u"LPT1:", u"LPT2:", u"LPT3:"}) {
            if (port != nullptr && std::char_traits<char16_t>::compare(port, lpt, 5) == 0) lower = false;
        }
        if (port == nullptr) lower = false;
    }
    PdevFree(pdev, block);
    return lower;
}

void KeepDocumentName(PDEV* pdev, LPCWSTR name) {
    int n = 0;
    if (name != nullptr) {
        while (n < kDocumentNameChars && name[n] != 0) ++n;
        std::memcpy(pdev->DocumentName, name, n * sizeof(WCHAR));
    }
    pdev->DocumentName[n] = 0;
}

void LogDocumentName(const PDEV* pdev, LPCWSTR name) {
    char16_t line[16 + 128 + 1];
    size_t n = 0;
    for (const char16_t c : std::u16string_view(u"Document Name:")) line[n++] = c;
    for (int i = 0; name != nullptr && i < 128 && name[i] != 0; ++i) line[n++] = name[i];
    line[n++] = u' ';
    HookLog(pdev, kLogDeviceHooks, std::u16string_view(line, n));
}

BOOL StartDoc(PDEV* pdev, LPCWSTR docName, DWORD jobId) {
    LogDocumentName(pdev, docName);
    if (OutputFailed(pdev)) return FALSE;

    // Lowered once per job and restored by EndDoc on this thread; a second StartDoc must
    // not save the lowered value as the one to restore.
    if (!pdev->PriorityLowered) {
        const HANDLE thread = GetCurrentThread();
        pdev->SavedPriority = GetThreadPriority(thread);
        if (PortWantsLowPriority(pdev) && SetThreadPriority(thread, THREAD_PRIORITY_LOWEST)) {
            pdev->PriorityLowered = true;
        }
    }

    if (DownloadModel(pdev)) ForgetDownloadedGlyphs(pdev);
    pdev->DownloadFontId = kDownloadFontId;
    pdev->DownloadResetDone = 0;

    // Escape 9999 before the first drawing already set the scale for its settings.
    if ((pdev->FlowFlags & kFlowHeaderPending) && !(pdev->FlowFlags & kFlowSettingsEscapeSeen)) {
        ApplyPageScale(pdev);
    } else {
        ComputePageOrigins(pdev);
    }

    KeepDocumentName(pdev, docName);
    if (jobId != 0) pdev->JobId = jobId;
    return TRUE;
}

BOOL StartPage(PDEV* pdev, SURFOBJ* pso) {
    if (OutputFailed(pdev)) return FALSE;
    pdev->WantedPage.PageNumber += 1;
    pdev->FlowFlags |= kFlowPageSetupDue;
    if (DebugLogWanted(pdev->Settings, kLogDrawingHooks)) {
        char number[16];
        std::snprintf(number, sizeof number, "%04X", static_cast<unsigned>(pdev->WantedPage.PageNumber));
        char16_t line[40] = u"iPageNumRD = ";
        size_t n = std::char_traits<char16_t>::length(line);
        for (const char* p = number; *p != 0; ++p) line[n++] = static_cast<char16_t>(*p);
        for (const char16_t c : std::u16string_view(u" ページ")) line[n++] = c;
        HookLog(pdev, kLogDrawingHooks, std::u16string_view(line, n));
    }

    if (GraphicsOnly(pdev)) {
        const SIZEL size = PrintableSizeDots(pdev->Geometry.InputPaper, pdev->Settings.Public.dmPrintQuality);
        const LONG w = size.cx;
        // The whole scan line, padding bits included, starts white.
        RECTL page{0, 0, (w % 32 == 0) ? w + 1 : (w / 32 + 1) * 32, size.cy};
        if (pso != nullptr) (void)EngEraseSurface(pso, &page, 0x00FFFFFF);
        if (pdev->ShadowSurface != nullptr) (void)EngEraseSurface(pdev->ShadowSurface, &page, 0x00FFFFFF);
    }

    pdev->FlowFlags &= ~kFlowDataWritten;
    pdev->FlowFlags |= kFlowPageStarted;
    return TRUE;
}

/// Frame and stamp of the page that ends. N-up draws them round the slot, with the frame
/// code told the real layout while the mapping treats the page as a whole sheet.
void DecoratePage(PDEV* pdev) {
    DriverDevMode& s = pdev->Settings;
    const WORD pagesPerSheet = s.PagesPerSheet;
    if (pagesPerSheet != 1) {
        if (s.PageFrame == 0 && (s.FeatureFlags & kFeatureNupDecorations) == 0 && pdev->PageStampSwitch == 0) return;
        LeavePageControlMode(pdev);
        POINTL& centring = pdev->Geometry.CentringOffset;
        const bool turned = static_cast<DWORD>(s.Public.dmOrientation) != pdev->SentOrientation;
        if (turned) std::swap(centring.x, centring.y);
        const BYTE frameMark = pdev->FrameBeingDrawn;
        pdev->FrameBeingDrawn = 1;
        s.PagesPerSheet = 1;
        if (!pdev->SheetBlank) DrawPageFrame(pdev, pagesPerSheet);
        s.PagesPerSheet = pagesPerSheet;
        pdev->FrameBeingDrawn = frameMark;
        if (turned) std::swap(centring.x, centring.y);
        return;
    }
    if (s.PageFrame != 0) {
        LeavePageControlMode(pdev);
        const BYTE frameMark = pdev->FrameBeingDrawn;
        pdev->FrameBeingDrawn = 1;
        DrawPageFrame(pdev, 1);
        pdev->FrameBeingDrawn = frameMark;
    }
    if (pdev->PageStampSwitch != 0) WritePageStamp(pdev, 1);
}

BOOL SendPage(PDEV* pdev) {
    if (OutputFailed(pdev)) return FALSE;
    FlushPendingSetup(pdev);
    DecoratePage(pdev);

    PageSettings& page = pdev->WantedPage;
    const WORD capacity = SheetCapacity(pdev);
    bool sheetFull = true;
    LONG next = 0;
    if (capacity > 1) {
        next = page.SlotIndex + 1;
        sheetFull = next % capacity == 0;
    }
    if (!pdev->SheetBlank) {
        page.PageCount += 1;
        page.SecondPageCount += 1;
        if (!sheetFull) page.SlotIndex = next;
    }
    if ((pdev->FlowFlags & kFlowPageStarted) && sheetFull) {
        (void)EjectPage(pdev);
        pdev->FlowFlags &= ~kFlowPageStarted;
    }

    pdev->FlowFlags &= ~kFlowDataWritten;
    // Each page downloads into a font of its own.
    if (DownloadModel(pdev)) OpenNextDownloadFont(pdev);
    FreePageWorkBlock(pdev);
    return TRUE;
}

/// The state a device starts its next job with.
void ResetForNextJob(PDEV* pdev) {
    pdev->StateFlags = (pdev->StateFlags & kStateEndOfJobMask) | kStateEndOfJobSet;
    pdev->Draw.ClipRect = PrintableRectDots(pdev->Geometry.InputPaper, pdev->Settings.Public.dmPrintQuality);
    pdev->VectorResolution = 0;
    pdev->TextValues[0] = pdev->TextValues[1] = 0;
    if (DownloadModel(pdev)) {
        ForgetDownloadedGlyphs(pdev);
        pdev->StateFlags &= ~kStateDownloadFull;
        pdev->DownloadFontId = kDownloadFontId;
    }
    pdev->Geometry.CentringOffset = POINTL{0, 0};
    pdev->FlowFlags = kFlowHeaderPending;
    ResetPageSettings(pdev);
    pdev->SheetBlank = FeedsBlankSheets(pdev) ? 0 : 1;
}

void RestorePriority(PDEV* pdev) {
    if (!pdev->PriorityLowered) return;
    const int saved = pdev->SavedPriority == THREAD_PRIORITY_ERROR_RETURN ? THREAD_PRIORITY_NORMAL : pdev->SavedPriority;
    (void)SetThreadPriority(GetCurrentThread(), saved);
    pdev->PriorityLowered = false;
}

/// The end of a job whose output failed, before or during the trailer: the job file is
/// closed (and handed to the helper as at a normal end), the capture file deleted.
[[nodiscard]] DWORD FailJob(PDEV* pdev) {
    StartHelperProgram(pdev);
    CloseCaptureFile(pdev);
    return OutputFailureError(pdev);
}

/// ERROR_SUCCESS, or the error of the write that failed the job's output at any point,
/// the trailer's own writes and the copy replay included.
[[nodiscard]] DWORD EndDoc(PDEV* pdev) {
    RestorePriority(pdev);
    if (OutputFailed(pdev)) return FailJob(pdev);
    bool startHelper = false;
    if (pdev->FlowFlags & kFlowJobStarted) {
        (void)WriteJobTrailer(pdev);
        pdev->FlowFlags &= ~kFlowJobStarted;
        startHelper = true;
    } else {
        CloseCaptureFile(pdev);  // nothing was drawn: no header, no trailer
    }
    (void)FlushOutput(pdev);
    // The trailer's flushes, the replay and the last flush each set OutputFailed.
    if (OutputFailed(pdev)) return FailJob(pdev);
    if (startHelper) StartHelperProgram(pdev);

    ResetPrinterState(pdev);
    ResetGraphicsState(pdev);
    FreePageWorkBlock(pdev);
    ResetForNextJob(pdev);
    return ERROR_SUCCESS;
}

}  // namespace

void ResetPageSettings(PDEV* pdev) {
    PageSettings start{};
    start.Orientation = 255;
    start.Duplex = 255;
    start.PagesPerSheet = 255;
    start.PageCount = 1;
    start.NupDown = start.NupAcross = start.NupOrder = 0xFF;
    start.FurtherWord = 1;
    pdev->SentPage = start;
    pdev->WantedPage = start;
}

void ApplyPageScale(PDEV* pdev) {
    PageGeometry& g = pdev->Geometry;
    if (pdev->Settings.PagesPerSheet == 1) {
        const DWORD code = g.InputPaper.Code;
        g.ScalePercent = (code >= 109 && code <= 122) ? 100 : pdev->Settings.LayoutScale;
    } else {
        const WORD fit = ComputeFitScale(pdev, &g.InputPaper, &g.OutputPaper);
        // 100 would switch the N-up slot offsets off in the mapping.
        g.ScalePercent = fit == 100 ? 99 : fit;
        ComputeNupSlots(pdev);
    }
    ComputePageOrigins(pdev);
}

BOOL EjectPage(PDEV* pdev) {
    EnterPageControlMode(pdev);
    FeedSheet(pdev);
    return TRUE;
}

void FlushPendingSetup(PDEV* pdev) {
    if (pdev->FlowFlags & kFlowHeaderPending) {
        (void)WriteJobHeader(pdev);
        const DWORD outCode = pdev->Geometry.OutputPaper.Code;
        const bool postcard = outCode >= 106 && outCode <= 108;
        if (pdev->WantedPage.PageCount == 1 && (pdev->Settings.CoverFlags & (kCoverBefore | kCoverBeforeAndAfter)) &&
            !postcard) {
            WriteBannerPage(pdev, TRUE);
        }
        // The page language counts 200- and 300-dpi devices in 400 and 600 units.
        int unit = Resolution(pdev);
        if (unit == 300) unit = 600;
        if (unit == 200) unit = 400;
        (void)OutputPrintf(pdev, "\x1c&%d.", unit);
        const BYTE units240[] = {0x1C, 0x64, 0x32, 0x34, 0x30, 0x2E};  // FS "d240."
        (void)WriteOutput(pdev, units240, sizeof units240);
        pdev->SavedOddOrigin = pdev->Geometry.OddOrigin;
        pdev->SavedEvenOrigin = pdev->Geometry.EvenOrigin;
        pdev->SavedOrientation = pdev->Settings.Public.dmOrientation;
        pdev->FlowFlags = (pdev->FlowFlags & ~kFlowHeaderPending) | kFlowJobStarted;
    }

    if (pdev->FlowFlags & kFlowPageSetupDue) {
        BOOL changed = PageSettingsChanged(pdev, &pdev->SentPage, &pdev->WantedPage);
        // A reset device whose N-up layout changed finishes the old, partly filled sheet.
        if ((pdev->FlowFlags & kFlowEjectFirst) && pdev->WantedPage.SlotIndex >= 1) {
            EnterPageControlMode(pdev);
            FeedSheet(pdev);
            changed = TRUE;
        }
        pdev->FlowFlags &= ~kFlowEjectFirst;
        if (changed) (void)EndFormStorageAndPageSetup(pdev);
        pdev->FlowFlags &= ~kFlowPageSetupDue;
        pdev->SentPage = pdev->WantedPage;

        if (DownloadModel(pdev) && pdev->DownloadFull != 0) {
            // A glyph found the printer's memory full: the page starts an empty table.
            ForgetDownloadedGlyphs(pdev);
            LeavePageControlMode(pdev);
            const BYTE resetTable[] = {0xBC, 0x21, 0x00, 0x00};
            (void)WriteOutput(pdev, resetTable, sizeof resetTable);
            pdev->StateFlags &= ~kStateDownloadFull;
            pdev->DownloadFontId = kDownloadFontId;
        }
    }
}

// --- Hook shims ---

BOOL DrvStartDoc(SURFOBJ* pso, LPWSTR docName, DWORD jobId) noexcept {
    PDEV* pdev = PdevOf(pso);
    if (!ValidatePDEV(pdev)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LogHookEntry(pdev, "DrvStartDoc");
    if (!StartDoc(pdev, docName, jobId)) return FALSE;
    LogHookExit(pdev, "DrvStartDoc");
    return TRUE;
}

BOOL DrvStartPage(SURFOBJ* pso) noexcept {
    PDEV* pdev = PdevOf(pso);
    if (!ValidatePDEV(pdev)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LogHookEntry(pdev, "DrvStartPage");
    if (!StartPage(pdev, pso)) return FALSE;
    LogHookExit(pdev, "DrvStartPage");
    return TRUE;
}

BOOL DrvStartBanding(SURFOBJ* pso, POINTL* pptl) noexcept {
    if (pptl != nullptr) *pptl = POINTL{0, 0};
    // The band the engine draws into starts white (a set bit is white).
    const auto whiten = [](SURFOBJ* band) {
        if (band == nullptr || band->iType != STYPE_BITMAP || band->cjBits == 0 || band->pvBits == nullptr) return false;
        std::memset(band->pvBits, 0xFF, band->cjBits);
        return true;
    };
    PDEV* pdev = PdevOf(pso);
    if (ValidatePDEV(pdev) && whiten(pdev->ShadowSurface)) return TRUE;
    (void)whiten(pso);
    return TRUE;
}

BOOL DrvSendPage(SURFOBJ* pso) noexcept {
    PDEV* pdev = PdevOf(pso);
    if (!ValidatePDEV(pdev)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LogHookEntry(pdev, "DrvSendPage");
    if (!SendPage(pdev)) return FALSE;
    LogHookExit(pdev, "DrvSendPage");
    return TRUE;
}

BOOL DrvEndDoc(SURFOBJ* pso, FLONG /*flags*/) noexcept {
    PDEV* pdev = PdevOf(pso);
    if (!ValidatePDEV(pdev)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LogHookEntry(pdev, "DrvEndDoc");
    if (const DWORD error = EndDoc(pdev); error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    LogHookExit(pdev, "DrvEndDoc");
    return TRUE;
}
