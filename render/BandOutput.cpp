// DrvNextBand: the end of a graphics-only page. The band bitmap (the whole page) is cut into
// chunks of non-white rows and sent as raster images, shrunk first through the engine below
// 100 % and then placed in the N-up slot; then the page is decorated, counted, ejected when
// its sheet is full, and the band is whitened for the next page.
#include "render/BandOutput.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/HookLog.h"
#include "render/DocumentHooks.h"
#include "render/OutputStream.h"
#include "render/PageDecorations.h"
#include "render/draw/DrawingState.h"

namespace {

/// A top-down 1-bit page: rows of stride bytes from bits, every bit of a row part of the image.
struct BandView {
    BYTE* bits;
    DWORD stride;
    DWORD rows;
};

/// The engine bitmap as a band, or FALSE when it is not one this code can read safely.
bool ViewOf(const SURFOBJ* surface, BandView* view) {
    if (surface == nullptr || surface->iType != STYPE_BITMAP || surface->pvBits == nullptr) return false;
    // Bottom-up bitmaps (negative step) are never made for the band; refuse rather than misread.
    if (surface->lDelta <= 0 || surface->sizlBitmap.cy <= 0) return false;
    const uint64_t bytes = static_cast<uint64_t>(surface->lDelta) * static_cast<uint64_t>(surface->sizlBitmap.cy);
    if (bytes > surface->cjBits) return false;
    *view = BandView{static_cast<BYTE*>(surface->pvBits), static_cast<DWORD>(surface->lDelta),
                     static_cast<DWORD>(surface->sizlBitmap.cy)};
    return true;
}

bool RowIsWhite(const BYTE* row, DWORD stride) {
    return std::all_of(row, row + stride, [](BYTE b) { return b == 0xFF; });
}

/// Calls write(first row, row count) for each run of non-white rows, at most maxRows long.
template <typename Write>
void ForEachChunk(const BandView& band, DWORD maxRows, Write&& write) {
    DWORD row = 0;
    while (row < band.rows) {
        while (row < band.rows && RowIsWhite(band.bits + static_cast<size_t>(row) * band.stride, band.stride)) ++row;
        const DWORD first = row;
        while (row < band.rows && row - first < maxRows &&
               !RowIsWhite(band.bits + static_cast<size_t>(row) * band.stride, band.stride)) {
            ++row;
        }
        if (row > first) write(first, row - first);
    }
}

/// The page shrunk by the engine into a bitmap of its own; freed by its destructor.
class ReducedPage {
public:
    ReducedPage() = default;
    ~ReducedPage() {
        if (surface_ != nullptr) EngUnlockSurface(surface_);
        if (handle_ != nullptr) (void)EngDeleteSurface(handle_);
    }
    ReducedPage(const ReducedPage&) = delete;
    ReducedPage& operator=(const ReducedPage&) = delete;

    /// FALSE, with nothing kept, when a step fails.
    bool Make(PDEV* pdev, SURFOBJ* band, LONG scale) {
        const LONG width = static_cast<LONG>(static_cast<int64_t>(scale) * band->sizlBitmap.cx / 100);
        const LONG height = static_cast<LONG>(static_cast<int64_t>(scale) * band->sizlBitmap.cy / 100);
        if (width <= 0 || height <= 0) return false;
        handle_ = EngCreateBitmap(SIZEL{width, height}, (width + 7) / 8, BMF_1BPP,
                                  BMF_TOPDOWN | BMF_NOZEROINIT | BMF_USERMEM, nullptr);
        if (handle_ == nullptr) return false;
        surface_ = EngLockSurface(handle_);
        if (surface_ == nullptr || !ViewOf(surface_, &view_)) return false;
        std::memset(view_.bits, 0xFF, static_cast<size_t>(view_.stride) * view_.rows);

        RECTL to{0, 0, width, height};
        RECTL from{0, 0, band->sizlBitmap.cx, band->sizlBitmap.cy};
        POINTL halftoneOrigin{0, 0};
        return EngStretchBlt(surface_, band, nullptr, nullptr, nullptr, &pdev->Settings.ColorAdjustment,
                             &halftoneOrigin, &to, &from, nullptr, COLORONCOLOR) != FALSE;
    }
    const BandView& View() const { return view_; }

private:
    HSURF handle_ = nullptr;
    SURFOBJ* surface_ = nullptr;
    BandView view_{};
};

bool PageTurnedOnSheet(const PDEV* pdev) {
    return static_cast<DWORD>(pdev->Settings.Public.dmOrientation) != pdev->SentOrientation;
}

void SendChunks(PDEV* pdev, const BandView& band, bool reduced, WORD capacity) {
    const int dpi = Resolution(pdev);
    const DWORD maxRows = dpi > 0 ? static_cast<DWORD>(dpi) : 1;  // one inch of rows
    const bool turned = PageTurnedOnSheet(pdev);
    ForEachChunk(band, maxRows, [&](DWORD first, DWORD rows) {
        BYTE* data = band.bits + static_cast<size_t>(first) * band.stride;
        const DWORD size = rows * band.stride;
        const DWORD widthBits = band.stride * 8;
        const LONG y = static_cast<LONG>(first);
        if (!reduced || capacity == 1) {
            WriteBandRaster(pdev, widthBits, rows, 0, y, data, size, band.stride);
        } else if (!turned) {
            WriteRasterImage(pdev, widthBits, rows, 0, y, data, size, band.stride);
        } else {
            WriteRotatedRasterImage(pdev, widthBits, rows, 0, y, band.stride, data);
        }
    });
}

void DecoratePage(PDEV* pdev, bool reduced, WORD capacity) {
    if (!reduced || capacity == 1) {
        if (pdev->Settings.PageFrame != 0) {
            LeavePageControlMode(pdev);
            const BYTE mark = pdev->FrameBeingDrawn;
            pdev->FrameBeingDrawn = 1;
            DrawPageFrame(pdev, capacity);
            pdev->FrameBeingDrawn = mark;
        }
        if (pdev->PageStampSwitch != 0) WritePageStamp(pdev, capacity);
        return;
    }
    // An N-up slot is framed (and stamped by the frame code) whatever the settings say; the
    // centring offsets follow the sheet's axes for it.
    POINTL& centring = pdev->Geometry.CentringOffset;
    const bool turned = PageTurnedOnSheet(pdev);
    if (turned) std::swap(centring.x, centring.y);
    pdev->FrameBeingDrawn = 1;
    if (!pdev->SheetBlank) {
        LeavePageControlMode(pdev);
        DrawPageFrame(pdev, capacity);
    }
    pdev->FrameBeingDrawn = 0;
    if (turned) std::swap(centring.x, centring.y);
}

/// Counts the page and tells whether its sheet is complete (moving to the next slot if not).
bool CountPage(PDEV* pdev, bool reduced, WORD capacity) {
    PageSettings& page = pdev->WantedPage;
    bool complete = true;
    if (reduced && capacity > 1) {
        // An index the layout does not have starts the sheet over rather than run past its slots.
        const LONG slot = (page.SlotIndex >= 0 && page.SlotIndex < capacity) ? page.SlotIndex : 0;
        const LONG next = slot + 1;
        if (next % capacity != 0) {
            complete = false;
            if (!pdev->SheetBlank) page.SlotIndex = next;
        }
    }
    if (!pdev->SheetBlank) {
        page.PageCount += 1;
        page.SecondPageCount += 1;
    }
    return complete;
}

BOOL NextBand(PDEV* pdev, SURFOBJ* pso, POINTL* pptl) {
    if (OutputFailed(pdev)) return FALSE;
    SURFOBJ* surface = pdev->ShadowSurface != nullptr ? pdev->ShadowSurface : pso;
    BandView band{};
    if (!ViewOf(surface, &band)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    // The shrunk page is made before anything is written, so that a failure leaves the job
    // as it was.
    const LONG scale = pdev->Geometry.ScalePercent == 0 ? 100 : pdev->Geometry.ScalePercent;
    const bool reduced = scale < 100;
    ReducedPage small;
    if (reduced && !small.Make(pdev, surface, scale)) return FALSE;

    FlushPendingSetup(pdev);
    const WORD capacity = SheetCapacity(pdev);
    SendChunks(pdev, reduced ? small.View() : band, reduced, capacity);
    DecoratePage(pdev, reduced, capacity);

    const bool complete = CountPage(pdev, reduced, capacity);
    if ((pdev->FlowFlags & kFlowPageStarted) && complete) {
        (void)EjectPage(pdev);
        pdev->FlowFlags &= ~kFlowPageStarted;
    }
    pdev->FlowFlags &= ~kFlowDataWritten;

    // The chunks were inverted in place: the next page starts from white.
    std::memset(surface->pvBits, 0xFF, surface->cjBits);
    if (pptl != nullptr) *pptl = POINTL{-1, -1};
    return TRUE;
}

}  // namespace

BOOL DrvNextBand(SURFOBJ* pso, POINTL* pptl) noexcept {
    PDEV* pdev = PdevOf(pso);
    try {
        HookLog(pdev, kLogDrawingHooks, u"DDI:DrvNextBand IN");
    } catch (...) {
        // A log line that cannot be made is not worth failing the page for.
    }
    if (!ValidatePDEV(pdev)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return NextBand(pdev, pso, pptl);
}
