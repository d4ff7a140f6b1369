#include "tests/render_bitmap/BitmapFixture.h"

#include <cstring>

#include "render/Geometry.h"
#include "render/DocumentHooks.h"
#include "render/draw/DrawingState.h"

namespace bitmaptest {

EngineBitmap::EngineBitmap(LONG width, LONG height, ULONG format, bool topDown, LONG rowStep) {
    handle_ = reinterpret_cast<HSURF>(
        EngCreateBitmap(SIZEL{width, height}, rowStep, format, topDown ? BMF_TOPDOWN : 0, nullptr));
    surface_ = handle_ != nullptr ? EngLockSurface(handle_) : nullptr;
    EXPECT_NE(surface_, nullptr) << "no engine bitmap";
}

EngineBitmap::~EngineBitmap() {
    if (surface_ != nullptr) EngUnlockSurface(surface_);
    if (handle_ != nullptr) EngDeleteSurface(handle_);
}

BYTE* EngineBitmap::Row(LONG r) const { return static_cast<BYTE*>(surface_->pvScan0) + r * surface_->lDelta; }

void EngineBitmap::SetRow(LONG r, const std::vector<BYTE>& bytes) { std::memcpy(Row(r), bytes.data(), bytes.size()); }

void BitmapTest::SetUp() {
    FlowTest::SetUp();
    MakeVectorDevice();
}

void BitmapTest::TearDown() {
    device_.reset();
    FlowTest::TearDown();
}

void BitmapTest::MakeVectorDevice(SHORT dpi, WORD pagesPerSheet) {
    device_.reset();
    flowtest::DeviceOptions options;
    options.dpi = dpi;
    options.pagesPerSheet = pagesPerSheet;
    options.startSpoolJob = false;
    device_ = MakeDevice(options);
    PDEV* p = device_->pdev();
    ASSERT_NE(p, nullptr);
    // As the device's enable and first drawing leave it: job header and vector scale sent,
    // page-control mode left, the work record prepared.
    p->FlowFlags = kFlowJobStarted;
    p->StateFlags &= ~kStatePageControl;
    if (dpi == 200 || dpi == 300) p->StateFlags |= kStateDoubling;
    p->VectorResolution = static_cast<WORD>(dpi);
    p->DownloadResetDone = 1;
    p->SentOrientation = 1;
    p->ClipLimitRect = PrintableRectDots(p->Geometry.InputPaper, dpi);
    p->PageRect = p->ClipLimitRect;
    work_ = RasterWorkRecord{};
    work_.Bytes1to3[0] = 2;
    work_.Bytes1to3[1] = 1;
    work_.Bytes1to3[2] = 255;
    work_.PaletteCodes[0] = 255;
    work_.ColorAdjustment = p->Settings.ColorAdjustment;
    p->RasterWork = &work_;
    if (pagesPerSheet != 1) ApplyPageScale(p);
    SURFOBJ* target = device_->surface();
    target->sizlBitmap = SIZEL{p->PageRect.right, p->PageRect.bottom};
}

std::vector<BYTE> BitmapTest::Position(LONG x, LONG y) {
    if (x >= -128 && x <= 127) {
        return {0xB6, static_cast<BYTE>(x), static_cast<BYTE>(y >> 8), static_cast<BYTE>(y)};
    }
    if (y >= -128 && y <= 127) {
        return {0xB7, static_cast<BYTE>(y), static_cast<BYTE>(x >> 8), static_cast<BYTE>(x)};
    }
    return {0xB8,
            0x00,
            static_cast<BYTE>(x >> 8),
            static_cast<BYTE>(x),
            static_cast<BYTE>(y >> 24),
            static_cast<BYTE>(y >> 16),
            static_cast<BYTE>(y >> 8),
            static_cast<BYTE>(y)};
}

std::vector<BYTE> BitmapTest::PageClipReset() {
    const RECTL page = Pdev()->PageRect;
    const LONG h = page.bottom - page.top;
    const LONG w = page.right - page.left;
    std::vector<BYTE> bytes = Position(0, 0);
    const std::vector<BYTE> clip = {0xB2, 0x00, static_cast<BYTE>(h >> 8), static_cast<BYTE>(h),
                                    static_cast<BYTE>(w >> 8), static_cast<BYTE>(w), 0x00, 0x00};
    bytes.insert(bytes.end(), clip.begin(), clip.end());
    return bytes;
}

}  // namespace bitmaptest
