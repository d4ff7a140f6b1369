#pragma once
// Fixture of the print-job tests: the sample printer, the rendering library loaded by name
// through the GDI host as the engine loads it, and a settings block for graphics-only jobs.
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "settings/DriverDevMode.h"
#include "tests/support/JobStream.h"
#include "tests/support/LoadedDriverTest.h"
#include "tests/support/TestRoot.h"
#include "tools/hosts/gdihost/GdiHost.h"
#include "tools/sample/SamplePrinter.h"

namespace jobtest {

/// FeatureFlags bit 2: the driver makes the copies itself.
inline constexpr DWORD kFeatureDriverCopies = 1u << 2;

class JobTest : public kvtest::LoadedDriverTest {
protected:
    /// The printer's default settings block, graphics-only at `dpi`.
    std::vector<BYTE> GraphicsOnlyBlock(SHORT dpi = 600);
    static DriverDevMode& Block(std::vector<BYTE>& bytes) { return *reinterpret_cast<DriverDevMode*>(bytes.data()); }

    /// The sample document's drawing for page `index` (0-based): rectangles, a polygon,
    /// lines and text, placed differently on each page.
    static void DrawSamplePage(gdihost::PrinterDC& dc, int index);
    /// Prints `pages` sample pages as one document; FALSE at the first step that fails.
    bool PrintSample(gdihost::PrinterDC& dc, int pages, const std::u16string& docName = u"Report");

    std::vector<BYTE> JobBytes(const gdihost::PrinterDC& dc) const;
    /// The engine's drawing of the same operations, in the printer's sense (set bit black).
    kvtest::PageImage Reference(const gdihost::PrinterDC& dc, const std::vector<gdihost::DrawOp>& ops) const;
    /// The size of the device's page (the band surface) in dots.
    static SIZEL PageSize(const gdihost::PrinterDC& dc);

    /// Drawing recorded for every page the last PrintSample played, in order.
    std::vector<std::vector<gdihost::DrawOp>> pageOps_;
};

}  // namespace jobtest
