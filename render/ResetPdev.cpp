// DrvResetPDEV: the running job moves from the old device state into the new one that the
// engine built for changed settings (ResetDC between pages).
#include <cstdlib>
#include <cstring>

#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/FlowLog.h"
#include "render/Geometry.h"
#include "render/Escapes.h"
#include "render/DocumentHooks.h"
#include "render/OutputStream.h"
#include "render/PjlHeader.h"
#include "render/draw/DrawingState.h"
#include "settings/ValidateSettings.h"

namespace {

/// OptionFlags bit 26: pages are counted by page number (the counters of the helper).
constexpr DWORD kOptionCountByPageNumber = 1u << 26;
/// FeatureFlags bits that escape 9999 sets.
constexpr DWORD kFeatureBit5 = 1u << 5;
/// Origins closer than this are the same place on paper.
constexpr LONG kOriginTolerance = 11;

LONG CeilDiv(LONG a, LONG b) { return a / b + (a % b > 0 ? 1 : 0); }

/// A printable edge (micrometres) in dots the way the printer measures margins: 0.1 mm,
/// then 1/240 inch, then dots, each rounding up.
LONG EdgeDots(LONG microns, SHORT dpi) {
    const LONG tenths = CeilDiv(microns, 100);
    const LONG d240 = CeilDiv(tenths * 240, 254);
    switch (dpi) {
    case 200: return CeilDiv(d240 * 400, 240) / 2;
    case 300: return CeilDiv(d240 * 600, 240) / 2;
    default: return CeilDiv(d240 * dpi, 240);
    }
}

void SetBits(DWORD* word, DWORD mask, DWORD from) { *word = (*word & ~mask) | (from & mask); }

template <typename T, size_t N>
void CopyArray(T (&to)[N], const T (&from)[N]) {
    std::memcpy(to, from, sizeof to);
}

/// Escape 9999 came before the first drawing: its page settings (and the stamp) hold for
/// the new device too.
void CarryEscapeSettings(PDEV* from, PDEV* to) {
    const DriverDevMode& a = from->Settings;
    DriverDevMode& b = to->Settings;
    CopyPageSettingsEscapeFields(b, a);
    b.PageStampSwitch = a.PageStampSwitch;
    b.PageStampSelector = a.PageStampSelector;
    b.PageStampPosition = a.PageStampPosition;
    CopyArray(b.PageStampText, a.PageStampText);

    to->PageDecorationOption = from->PageDecorationOption;
    to->PageStampSwitch = from->PageStampSwitch;
    to->PageStampPosition = from->PageStampPosition;
    to->PageNumberStamp = from->PageNumberStamp;
    to->DocumentNameStamp = from->DocumentNameStamp;
    CopyArray(to->PageStampText, from->PageStampText);

    ValidateDevMode(&b, nullptr, to->Printer, nullptr, to->Model);
    ApplyPageScale(to);
    to->ClipLimitRect = PrintableRectDots(to->Geometry.OutputPaper, b.Public.dmPrintQuality);
}

/// The job's file, folder and counters once a page has gone out.
void CarryProducedJob(PDEV* from, PDEV* to) {
    const DriverDevMode& a = from->Settings;
    DriverDevMode& b = to->Settings;
    b.PageOptionBits = a.PageOptionBits;
    b.SplitCounts = a.SplitCounts;
    if (to->WantedPage.PageCount >= 2) b.CoverFlags = a.CoverFlags;
    b.RelaydockFlags = a.RelaydockFlags;
    CopyArray(b.JobFolder, a.JobFolder);
    CopyArray(b.JobFileName, a.JobFileName);
    CopyArray(to->JobFolder, from->JobFolder);
    CopyArray(to->JobFileName, from->JobFileName);
    SetBits(&b.FeatureFlags, kFeatureBit5, a.FeatureFlags);
}

/// Handles, flags and unsent bytes that belong to the running job. What moves is cleared
/// in the old device, so that freeing it closes, deletes or sends nothing of the job.
void MoveRunningJob(PDEV* from, PDEV* to) {
    SetBits(&to->Settings.FeatureFlags, kFeatureDriverCopies, from->Settings.FeatureFlags);
    CarryOutputStream(from, to, (from->Settings.FeatureFlags & kFeatureDriverCopies) != 0);
    // The unsent bytes are the new device's now: the old one must never send them too.
    from->Output.Count = 0;
    from->Output.WritePos = from->Output.Data;

    to->FlowFlags = from->FlowFlags;
    SetBits(&to->StateFlags, kStatePageControl | kStateFsROwed, from->StateFlags);
    SetBits(&to->MappingMode, 0x1, from->MappingMode);
    std::memcpy(to->Draw.Pattern8x8, from->Draw.Pattern8x8, 8);
    to->DownloadResetDone = from->DownloadResetDone;
    to->SheetBlank = from->SheetBlank;

    to->SentOrientation = from->SentOrientation;

    // The thread's priority was lowered for this job; the new device restores it.
    to->PriorityLowered = from->PriorityLowered;
    to->SavedPriority = from->SavedPriority;
    from->PriorityLowered = false;
}

/// The job's page origins: kept while the new geometry puts the page within a few dots
/// of where the job's pages went so far, so that the sides of a sheet stay aligned.
void CarryOrigins(PDEV* from, PDEV* to) {
    const PageGeometry& g = to->Geometry;
    const bool duplexChanged = (from->Settings.Public.dmDuplex == 1) != (to->Settings.Public.dmDuplex == 1);
    const SHORT newDpi = to->Settings.Public.dmPrintQuality;
    const SHORT oldDpi = from->Settings.Public.dmPrintQuality;
    const LONG newLeft = EdgeDots(g.OutputPaper.Printable.left, newDpi);
    const LONG newTop = EdgeDots(g.OutputPaper.Printable.top, newDpi);
    const LONG oldLeft = EdgeDots(from->Geometry.OutputPaper.Printable.left, oldDpi);
    const LONG oldTop = EdgeDots(from->Geometry.OutputPaper.Printable.top, oldDpi);
    const LONG pairs[4][2] = {
        {g.OddOrigin.x + newLeft, from->SavedOddOrigin.x + oldLeft},
        {g.OddOrigin.y + newTop, from->SavedOddOrigin.y + oldTop},
        {g.EvenOrigin.x + newLeft, from->SavedEvenOrigin.x + oldLeft},
        {g.EvenOrigin.y + newTop, from->SavedEvenOrigin.y + oldTop},
    };
    bool moved = duplexChanged;
    for (const auto& pair : pairs) {
        if (std::abs(pair[0] - pair[1]) >= kOriginTolerance) moved = true;
    }
    if (moved) {
        to->SavedOddOrigin = g.OddOrigin;
        to->SavedEvenOrigin = g.EvenOrigin;
        to->SavedOrientation = to->Settings.Public.dmOrientation;
        return;
    }
    to->SavedOddOrigin = from->SavedOddOrigin;
    to->SavedEvenOrigin = from->SavedEvenOrigin;
    to->SavedOrientation = from->SavedOrientation;
    // A one-page job turned part way: its origins turn with the paper.
    if (from->Settings.PagesPerSheet == 1 && to->Settings.Public.dmOrientation != from->SavedOrientation) {
        const POINTL odd = from->SavedOddOrigin;
        const POINTL even = from->SavedEvenOrigin;
        if (from->SentOrientation == 2) {
            to->Geometry.OddOrigin = POINTL{odd.y, -odd.x};
            to->Geometry.EvenOrigin = POINTL{even.y, -even.x};
        } else {
            to->Geometry.OddOrigin = POINTL{-odd.y, odd.x};
            to->Geometry.EvenOrigin = POINTL{-even.y, even.x};
        }
    }
}

BOOL ResetPdev(PDEV* from, PDEV* to) {
    if ((from->FlowFlags & kFlowHeaderPending) && (from->FlowFlags & kFlowSettingsEscapeSeen)) {
        CarryEscapeSettings(from, to);
    }

    if ((from->FlowFlags & kFlowHeaderPending) == 0) to->Settings.Public.dmCopies = from->Settings.Public.dmCopies;
    to->Settings.OptionFlags |= from->Settings.OptionFlags & kOptionCountByPageNumber;
    CopyArray(to->DocumentName, from->DocumentName);

    // A partly filled N-up sheet stays open only when the layout stays the same.
    bool ejectFirst = false;
    bool decided = false;
    if (from->Settings.PagesPerSheet != 1 && from->WantedPage.PageCount >= 2) {
        decided = true;
        if (!PageLayoutChanged(from, to)) {
            CopyArray(to->Geometry.NupSlots, from->Geometry.NupSlots);
            to->ClipLimitRect = from->ClipLimitRect;
        } else {
            ejectFirst = true;
        }
    }

    to->SentPage = from->SentPage;
    to->WantedPage = from->WantedPage;

    const PageSettings& page = to->WantedPage;
    const bool countByNumber = (to->Settings.OptionFlags & kOptionCountByPageNumber) != 0;
    if (page.PageCount >= 2 || (page.PageCount == 1 && page.PageNumber >= 1) || (countByNumber && page.PageNumber >= 1)) {
        CarryProducedJob(from, to);
    }

    MoveRunningJob(from, to);
    // After the flow word itself moved, so that the decision above is not overwritten.
    if (decided) {
        if (ejectFirst) {
            to->FlowFlags |= kFlowEjectFirst;
        } else {
            to->FlowFlags &= ~kFlowEjectFirst;
        }
    }

    if (to->WantedPage.PageCount > 1) {
        CarryOrigins(from, to);
    } else {
        // No page went out yet: the job keeps what its header took.
        to->SavedOddOrigin = from->SavedOddOrigin;
        to->SavedEvenOrigin = from->SavedEvenOrigin;
        to->SavedOrientation = from->SavedOrientation;
    }

    to->UnitFactor = from->UnitFactor;
    if (from->JobId != 0) to->JobId = from->JobId;
    return TRUE;
}

}  // namespace

BOOL DrvResetPDEV(DHPDEV oldPdev, DHPDEV newPdev) noexcept {
    PDEV* from = PdevOf(oldPdev);
    PDEV* to = PdevOf(newPdev);
    if (!ValidatePDEV(from) || !ValidatePDEV(to)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LogHookEntry(from, "DrvResetPDEV");
    const BOOL done = ResetPdev(from, to);
    LogHookExit(to, "DrvResetPDEV");
    return done;
}
