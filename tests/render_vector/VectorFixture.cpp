#include "tests/render_vector/VectorFixture.h"

#include <algorithm>
#include <string>

#include "platform/Modules.h"
#include "platform/StandIn.h"
#include "platform/Spooler.h"
#include "render/DriverEntry.h"
#include "render/Geometry.h"
#include "render/DocumentHooks.h"
#include "render/draw/DrawingHooks.h"
#include "render/draw/DrawingState.h"
#include "tests/support/SamplePdev.h"
#include "tools/sample/SamplePrinter.h"

namespace vectortest {

namespace {

template <typename Hook>
PFN AsHook(Hook hook) {
    return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(hook));
}

}  // namespace

void VectorTest::TearDown() {
    DropDevice();
    SamplePdevTest::TearDown();
}

void VectorTest::MakeDevice(const DeviceOptions& options) {
    DropDevice();
    ASSERT_EQ(device_.Make(strings_, options.dpi), "");
    pdev_ = device_.pdev();

    PDEV& p = *pdev_;
    DriverDevMode& s = p.Settings;
    kvtest::PlainJobSettings(s, options.pagesPerSheet);
    s.Public.dmDuplex = 1;
    s.LayoutScale = 100;

    // The bitmap hooks' work record, as the device's enable fills it.
    p.RasterWork = static_cast<RasterWorkRecord*>(PoolAlloc(device_.chain(), sizeof(RasterWorkRecord)));
    ASSERT_NE(p.RasterWork, nullptr);
    p.RasterWork->Bytes1to3[0] = 2;
    p.RasterWork->Bytes1to3[1] = 1;
    p.RasterWork->Bytes1to3[2] = 255;
    p.RasterWork->ColorAdjustment = s.ColorAdjustment;

    p.Geometry.ScalePercent = 100;
    p.Geometry.InputPaper = kvtest::A4Paper();
    p.Geometry.OutputPaper = kvtest::A4Paper();
    p.ClipLimitRect = PrintableRectDots(p.Geometry.InputPaper, options.dpi);
    p.PageRect = p.ClipLimitRect;
    p.StateFlags = kStatePageControl;
    p.FlowFlags = kFlowHeaderPending;
    p.DownloadFontId = 0xF000;
    p.SentOrientation = 1;
    ResetPageSettings(&p);
    ResetPrinterState(&p);
    ResetGraphicsState(&p);

    const DHPDEV dhpdev = reinterpret_cast<DHPDEV>(pdev_);
    hdev_ = standin::engine::MakeDevice(dhpdev);
    ASSERT_NE(hdev_, nullptr);
    // The engine calls these back: brush realization, and the 1-bit result of its halftoning.
    ASSERT_TRUE(standin::engine::SetDeviceHook(hdev_, INDEX_DrvRealizeBrush, AsHook(&DrvRealizeBrush)));
    ASSERT_TRUE(standin::engine::SetDeviceHook(hdev_, INDEX_DrvCopyBits, AsHook(&DrvCopyBits)));
    p.EngineDevice = hdev_;
    surfaceHandle_ = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(pdev_), SIZEL{4800, 7000}, BMF_1BPP);
    ASSERT_NE(surfaceHandle_, nullptr);
    ASSERT_TRUE(EngAssociateSurface(surfaceHandle_, hdev_, kDeviceSurfaceHooks));
    surface_ = EngLockSurface(surfaceHandle_);
    ASSERT_NE(surface_, nullptr);
    ASSERT_EQ(surface_->dhpdev, dhpdev);
}

void VectorTest::MakeReadyDevice(const DeviceOptions& options) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice(options));
    PDEV& p = *pdev_;
    p.FlowFlags = kFlowJobStarted;
    p.StateFlags &= ~kStatePageControl;
    p.VectorResolution = static_cast<WORD>(options.dpi);
    if (options.dpi == 200 || options.dpi == 300) p.StateFlags |= kStateDoubling;
    p.DownloadResetDone = 1;
    (void)Take();
}

void VectorTest::DropDevice() {
    if (surface_ != nullptr) EngUnlockSurface(surface_);
    surface_ = nullptr;
    if (surfaceHandle_ != nullptr) (void)EngDeleteSurface(surfaceHandle_);
    surfaceHandle_ = nullptr;
    if (hdev_ != nullptr) standin::engine::ForgetDevice(hdev_);
    hdev_ = nullptr;
    pdev_ = nullptr;
    device_.Reset();
}

std::vector<BYTE> VectorTest::Take() {
    OutputBuffer& out = pdev_->Output;
    std::vector<BYTE> bytes(out.Data, out.Data + out.Count);
    out.Count = 0;
    out.WritePos = out.Data;
    return bytes;
}

std::vector<BYTE> Text(std::string_view text) { return std::vector<BYTE>(text.begin(), text.end()); }

}  // namespace vectortest
