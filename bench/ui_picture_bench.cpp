// The print-position dialog's page picture while the user drags: one mouse move of the image
// body per iteration (alternating one pixel to the right and back), each move repainting the
// picture double-buffered and writing the offsets and fields back.
//   PictureDrag/body      moving the image;
//   PictureDrag/corner    scaling it by its bottom-right corner (the aspect kept).
// Counters: frames per second, and the live GDI objects left after the run (a leak shows as a
// count above the one before the dialog opened).
#include <benchmark/benchmark.h>

#include "bench/SampleRun.h"
#include "platform/StandInDraw.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "settings/ModelCache.h"
#include "ui/dialogs/PositionDialog.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace {

LPARAM At(LONG x, LONG y) {
    return static_cast<LPARAM>(static_cast<WORD>(x) | (static_cast<DWORD>(static_cast<WORD>(y)) << 16));
}

void PictureDrag(benchmark::State& state, bool corner) {
    kvbench::UseSampleRun();
    InitSettingsLock();
    kvtest::ScopedPrinter printer;
    UiContext* context = printer.handle() != nullptr ? CreateUiContext(printer.handle(), nullptr) : nullptr;
    if (context == nullptr) {
        state.SkipWithError("no sample printer");
        FreeSettingsLock();
        return;
    }
    context->flags |= kUiMayChange | kUiDocumentSheet;
    context->workingBlock.FeatureFlags |= kFeatureScaling;
    context->workingBlock.SavedFeatureFlags |= kFeatureScaling;
    PageRecord page{};
    page.context = context;
    const unsigned gdiBefore = standin::ui::LiveGdiObjectCount();
    unsigned gdiAfter = gdiBefore;
    standin::ui::OnModalDialog([&](HWND dialog) {
        standin::ui::OnModalDialog(nullptr);
        HWND picture = GetDlgItem(dialog, kPositionPicture);
        PositionDialogState* s = page.position;
        const POINT grab = corner ? POINT{s->image.right, s->image.bottom}
                                  : POINT{(s->image.left + s->image.right) / 2, (s->image.top + s->image.bottom) / 2};
        SendMessageW(picture, WM_MOUSEMOVE, 0, At(grab.x, grab.y));
        SendMessageW(picture, WM_LBUTTONDOWN, 1, At(grab.x, grab.y));
        LONG step = 0;
        for (auto _ : state) {
            // The corner goes up and left (a shrink the drag accepts), then back.
            const LONG d = (++step & 1) != 0 ? (corner ? -2 : 1) : 0;
            SendMessageW(picture, WM_MOUSEMOVE, 0, At(grab.x + d, grab.y + d));
        }
        SendMessageW(picture, WM_LBUTTONUP, 0, At(grab.x, grab.y));
        EndDialog(dialog, 0);
    });
    ShowPrintPositionDialog(&page, nullptr);
    standin::ui::OnModalDialog(nullptr);
    gdiAfter = standin::ui::LiveGdiObjectCount();
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["gdi_left"] = static_cast<double>(gdiAfter) - static_cast<double>(gdiBefore);
    ReleaseUiContext(context);
    FreeSettingsLock();
}

}  // namespace

BENCHMARK_CAPTURE(PictureDrag, body, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PictureDrag, corner, true)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
