#include "tests/render_jobs/JobFixture.h"

#include "platform/Spooler.h"
#include "tools/sample/SampleSettings.h"

namespace jobtest {

std::vector<BYTE> JobTest::GraphicsOnlyBlock(SHORT dpi) {
    std::vector<BYTE> bytes = kvtest::DefaultSettingsBlock();
    EXPECT_FALSE(bytes.empty()) << "no default settings for the sample printer";
    if (bytes.empty()) return bytes;
    DriverDevMode& block = Block(bytes);
    block.FeatureFlags |= kFeatureGraphicsOnly;
    block.Public.dmPrintQuality = dpi;
    block.Public.dmYResolution = dpi;
    block.Public.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
    return bytes;
}

void JobTest::DrawSamplePage(gdihost::PrinterDC& dc, int index) {
    const LONG shift = 150 * index;
    dc.FillRect(RECTL{300 + shift, 300, 1500 + shift, 420}, true);
    dc.FillRect(RECTL{400 + shift, 330, 700 + shift, 390}, false);  // a white bar cut out of it
    dc.FillRect(RECTL{2000, 900 + shift, 2600, 1700 + shift}, true);
    dc.FillPolygon({{600, 1200 + shift}, {1400, 1300 + shift}, {900, 2100 + shift}});
    dc.Line({300, 2500}, {2700 - shift, 3600}, 5);
    dc.Line({300, 3800 + shift}, {3000, 3800 + shift}, 1);
    dc.Text(400, 4200, u"KV-TD520 page " + kvtest::U16(std::to_string(index + 1)), 60);
}

bool JobTest::PrintSample(gdihost::PrinterDC& dc, int pages, const std::u16string& docName) {
    pageOps_.clear();
    if (!dc.StartDoc(docName)) return false;
    for (int i = 0; i < pages; ++i) {
        if (!dc.StartPage()) return false;
        DrawSamplePage(dc, i);
        if (!dc.EndPage()) return false;
        pageOps_.push_back(dc.PageOps());
    }
    return dc.EndDoc() != FALSE;
}

std::vector<BYTE> JobTest::JobBytes(const gdihost::PrinterDC& dc) const {
    return standin::JobBytes(kvtest::kSamplePrinterName, dc.JobId());
}

SIZEL JobTest::PageSize(const gdihost::PrinterDC& dc) {
    return SIZEL{static_cast<LONG>(dc.GdiInfo().ulHorzRes), static_cast<LONG>(dc.GdiInfo().ulVertRes)};
}

kvtest::PageImage JobTest::Reference(const gdihost::PrinterDC& dc, const std::vector<gdihost::DrawOp>& ops) const {
    return kvtest::EngineReference(PageSize(dc), ops);
}

}  // namespace jobtest
