#include "tests/render_vector_jobs/VectorJobFixture.h"

#include <algorithm>

#include "platform/Spooler.h"
#include "tools/sample/SampleSettings.h"

namespace vectorjobs {

using kvtest::CommandKind;
using kvtest::StreamCommand;

std::vector<const StreamCommand*> PrintedJob::Page(size_t index) const {
    std::vector<const StreamCommand*> out;
    size_t page = 0;
    bool inVrtl = false;
    for (const StreamCommand& c : listing.commands) {
        if (c.kind == CommandKind::PjlLine && c.text == "@PJL ENTER LANGUAGE=VRTL") inVrtl = true;
        if (!inVrtl) continue;
        if (c.kind == CommandKind::Eject) {
            if (page++ == index) break;
            continue;
        }
        if (page == index) out.push_back(&c);
    }
    return out;
}

std::vector<const StreamCommand*> PrintedJob::OnPage(size_t index, CommandKind kind) const {
    std::vector<const StreamCommand*> out;
    for (const StreamCommand* c : Page(index))
        if (c->kind == kind) out.push_back(c);
    return out;
}

std::vector<BYTE> VectorJobTest::VectorBlock(SHORT dpi) {
    std::vector<BYTE> bytes = kvtest::DefaultSettingsBlock();
    EXPECT_FALSE(bytes.empty()) << "no default settings for the sample printer";
    if (bytes.empty()) return bytes;
    DriverDevMode& block = Block(bytes);
    block.FeatureFlags &= ~kFeatureGraphicsOnly;
    block.Public.dmPrintQuality = dpi;
    block.Public.dmYResolution = dpi;
    block.Public.dmCopies = 1;
    block.Public.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION | DM_COPIES;
    block.PageFrame = 0;
    block.PageStampSwitch = 0;
    return bytes;
}

PrintedJob VectorJobTest::Print(const std::vector<BYTE>& settings, const std::vector<std::vector<gdihost::DrawOp>>& pages) {
    PrintedJob job;
    auto fail = [&job](const std::string& step) {
        job.failure = step + ": error " + std::to_string(GetLastError());
        return job;
    };
    gdihost::PrinterDC dc(driver_);
    if (!dc.Open(kvtest::kSamplePrinterName, settings)) return fail("open");
    if (dc.Banding()) return fail("the device is in graphics-only mode");
    job.pageSize = SIZEL{static_cast<LONG>(dc.GdiInfo().ulHorzRes), static_cast<LONG>(dc.GdiInfo().ulVertRes)};
    if (!dc.StartDoc(u"Vector job")) return fail("StartDoc");
    for (size_t n = 0; n < pages.size(); ++n) {
        if (!dc.StartPage()) return fail("StartPage " + std::to_string(n + 1));
        for (const gdihost::DrawOp& op : pages[n]) {
            BOOL drawn = FALSE;
            switch (op.kind) {
                case gdihost::DrawOp::Kind::FillRect:
                    drawn = dc.FillRect(op.rect, op.black);
                    break;
                case gdihost::DrawOp::Kind::FillPolygon:
                    drawn = dc.FillPolygon(op.points);
                    break;
                case gdihost::DrawOp::Kind::Line:
                    drawn = dc.Line(op.points.at(0), op.points.at(1), op.widthDots);
                    break;
                case gdihost::DrawOp::Kind::Text:
                    drawn = dc.Text(op.origin.x, op.origin.y, op.text, op.heightDots);
                    break;
                default:
                    drawn = dc.Draw(op);
                    break;
            }
            if (!drawn) return fail("recording a drawing of page " + std::to_string(n + 1));
        }
        if (!dc.EndPage()) return fail("page " + std::to_string(n + 1) + " in " + dc.FailedHook());
        job.pages.push_back(dc.PageOps());
    }
    if (!dc.EndDoc()) return fail("EndDoc");
    job.bytes = standin::JobBytes(kvtest::kSamplePrinterName, dc.JobId());
    dc.Close();
    job.listing = kvtest::DecodeJobStream(job.bytes);
    job.sheets = kvtest::RenderPages(job.listing, job.pageSize);
    job.printed = true;
    return job;
}

void ExpectSheetLikeReference(const PrintedJob& job, size_t page, LONG tolerance, size_t slack) {
    ASSERT_EQ(job.sheets.error, "");
    ASSERT_GT(job.sheets.pages.size(), page);
    const kvtest::PageImage reference = EngineReference(job.pageSize, job.pages[page]);
    const kvtest::PageImage& sheet = job.sheets.pages[page];
    ASSERT_GT(reference.BlackCount(), 0u);
    const size_t differing = DifferingPixels(reference, sheet, tolerance);
    EXPECT_LE(differing, reference.BlackCount() / 100 + slack)
        << "the engine drew " << reference.BlackCount() << " black pixels, the sheet has " << sheet.BlackCount();
}

std::string Listing(const PrintedJob& job) { return job.failure + "\n" + job.listing.Describe(400); }

namespace {

/// Black pixels of `a` with no black pixel of `b` within the tolerance.
size_t Unmatched(const kvtest::PageImage& a, const kvtest::PageImage& b, LONG tolerance) {
    size_t count = 0;
    for (LONG y = 0; y < a.height; ++y) {
        for (LONG x = 0; x < a.width; ++x) {
            if (x % 8 == 0 && a.bits[static_cast<size_t>(y) * static_cast<size_t>(a.stride) + static_cast<size_t>(x) / 8] == 0) {
                x += 7;
                continue;
            }
            if (!a.Black(x, y)) continue;
            bool near = false;
            for (LONG v = std::max(0L, static_cast<long>(y - tolerance)); !near && v <= std::min(b.height - 1, y + tolerance); ++v)
                for (LONG u = std::max(0L, static_cast<long>(x - tolerance)); !near && u <= std::min(b.width - 1, x + tolerance); ++u)
                    near = b.Black(u, v);
            if (!near) ++count;
        }
    }
    return count;
}

}  // namespace

size_t DifferingPixels(const kvtest::PageImage& a, const kvtest::PageImage& b, LONG tolerance) {
    if (a.width != b.width || a.height != b.height) return static_cast<size_t>(-1);
    return Unmatched(a, b, tolerance) + Unmatched(b, a, tolerance);
}

size_t BlackIn(const kvtest::PageImage& page, const RECTL& rect) {
    size_t count = 0;
    for (LONG y = std::max(0L, static_cast<long>(rect.top)); y < std::min(page.height, rect.bottom); ++y)
        for (LONG x = std::max(0L, static_cast<long>(rect.left)); x < std::min(page.width, rect.right); ++x)
            if (page.Black(x, y)) ++count;
    return count;
}

gdihost::BitmapSpec OneBitBitmap(SIZEL size, bool (*black)(LONG x, LONG y)) {
    gdihost::BitmapSpec spec;
    spec.size = size;
    spec.format = BMF_1BPP;
    spec.palette = {0x00FFFFFF, 0x00000000};
    const size_t row = (static_cast<size_t>(size.cx) + 31) / 32 * 4;
    spec.bits.assign(row * static_cast<size_t>(size.cy), 0);
    for (LONG y = 0; y < size.cy; ++y)
        for (LONG x = 0; x < size.cx; ++x)
            if (black(x, y)) spec.bits[static_cast<size_t>(y) * row + static_cast<size_t>(x) / 8] |= static_cast<BYTE>(0x80u >> (x % 8));
    return spec;
}

}  // namespace vectorjobs
