#pragma once
// The start of the job tests that drive the rendering library as the engine does: the sample
// printer installed, the library loaded by name through the GDI host, and at the end the
// library unloaded with no printer handle left open. Also the engine's own drawing of a page,
// to hold the printed sheet against. Header-only: the binaries that use it link kvgdihost.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "tests/support/TestRoot.h"
#include "tools/hosts/gdihost/GdiHost.h"
#include "tools/sample/JobReader.h"
#include "tools/sample/SamplePrinter.h"

namespace kvtest {

class LoadedDriverTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        InstallSamplePrinter();
        ASSERT_TRUE(driver_.Load(u"" KV_RENDER_NAME ".dll")) << "loading the rendering library failed with " << GetLastError();
    }
    void TearDown() override {
        EXPECT_TRUE(driver_.Unload());
        EXPECT_EQ(standin::OpenPrinterHandleCount(), 0u) << "a printer handle was left open";
        StandInTest::TearDown();
    }

    gdihost::DriverModule driver_;
};

/// The engine's drawing of the operations on a page of `size`, in the printer's sense (a set
/// bit black, bits past the width clear); a blank page when the engine could not draw it.
inline PageImage EngineReference(SIZEL size, const std::vector<gdihost::DrawOp>& ops) {
    gdihost::PageBitmap bitmap;
    EXPECT_TRUE(gdihost::RenderReference(size, ops, &bitmap)) << GetLastError();
    PageImage page(size.cx, size.cy);
    if (bitmap.stride != page.stride || bitmap.bits.size() != page.bits.size()) return page;
    // The engine's set bit is white; the printer's is black.
    const BYTE lastMask = static_cast<BYTE>(0xFF00 >> (size.cx % 8 == 0 ? 8 : size.cx % 8));
    const size_t stride = static_cast<size_t>(page.stride);
    for (size_t i = 0; i < page.bits.size(); ++i) {
        page.bits[i] = static_cast<BYTE>(~bitmap.bits[i]);
        if (i % stride == stride - 1) page.bits[i] &= lastMask;
    }
    return page;
}

}  // namespace kvtest
