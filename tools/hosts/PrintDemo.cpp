// print_demo: the main print job. A three-page document of shapes, lines and text, drawn by
// the graphics engine into the rendering library's band in graphics-only mode at 600 dpi,
// two copies made by the driver, printed on the sample KV-TD520 through the GDI host with
// the platform stand-in below a fresh root folder. Writes the job's bytes to a file, reads
// them back and prints a summary: PJL lines, pages, raster commands, ejects and copies, and
// whether every page equals the engine's own drawing of it. The job then goes through the
// port language monitor, loaded as the spooler loads it, to a file port below it in pieces of
// 4,096 bytes; the demo shows where the port wrote it and whether the bytes are the job's.
// Each printed sheet, as the job stream draws it, is written as a picture beside the job.
//
//   print_demo <output-folder>     (must not exist or be empty; the job is <folder>/job.prn,
//                                   the sheets <folder>/sheet-1.png, sheet-2.png, ...)
//
// Exit status 0 on success, 1 with a message on stderr when a step fails.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/StandInDraw.h"
#include "platform/StandInMonitor.h"
#include "settings/DriverDevMode.h"
#include "tools/hosts/DemoFolder.h"
#include "tools/hosts/DemoPrint.h"
#include "tools/hosts/SampleDocument.h"
#include "tools/hosts/gdihost/GdiHost.h"
#include "tools/sample/JobReader.h"
#include "tools/sample/MonitorPass.h"
#include "tools/sample/SamplePrinter.h"
#include "tools/sample/SampleSettings.h"
#include "tools/sample/SheetPicture.h"
#include "tools/sample/Utf16.h"

namespace fs = std::filesystem;

namespace {

constexpr WCHAR kDocument[] = u"KV-TD520 print demo";
constexpr SHORT kDpi = 600;
constexpr SHORT kCopies = 2;
constexpr int kPages = 3;
constexpr DWORD kFeatureDriverCopies = 1u << 2;
constexpr DWORD kFeaturePrintOwnerName = 1u << 21;
// A sheet's picture shrinks each square of this many dots to one grey pixel.
constexpr LONG kPictureScale = 6;

int Fail(const std::string& message) {
    std::fprintf(stderr, "print_demo: %s\n", message.c_str());
    return 1;
}

/// A name into a settings text field, cut to fit and terminated.
template <size_t N>
void PutName(WCHAR (&field)[N], const std::u16string& name) {
    std::fill(std::begin(field), std::end(field), u'\0');
    std::copy_n(name.begin(), std::min(name.size(), N - 1), field);
}

/// The printer's defaults, graphics-only at 600 dpi with two copies made by the driver, with
/// the names the settings user interface stamps into a document's settings: the user running
/// the demo is the job's user (UNAME) and, with the owner's name printed, each inner job's
/// (USER).
bool JobSettings(std::vector<BYTE>* bytes) {
    *bytes = kvtest::DefaultSettingsBlock();
    if (bytes->empty()) return false;
    DriverDevMode* block = &kvtest::SettingsOf(*bytes);
    WCHAR user[64] = {};
    DWORD cch = 64;
    if (!GetUserNameW(user, &cch)) return false;
    PutName(block->PageStampUserName, user);
    PutName(block->UserName1, user);
    block->FeatureFlags |= kFeaturePrintOwnerName;
    block->FeatureFlags |= kFeatureGraphicsOnly | kFeatureDriverCopies;
    block->Public.dmPrintQuality = kDpi;
    block->Public.dmYResolution = kDpi;
    block->Public.dmCopies = kCopies;
    block->Public.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION | DM_COPIES;
    return true;
}

struct Summary {
    size_t rasters = 0;
    size_t compressed = 0;
    size_t dataBytes = 0;
    size_t rawBytes = 0;
};

int Run(int argc, char** argv) {
    fs::path out;
    if (const std::string problem = kvdemo::PrepareDemoFolder(argc, argv, "usage: print_demo <output-folder>", &out);
        !problem.empty())
        return Fail(problem);

    const kvtest::SamplePrinterResult installed = kvtest::InstallSamplePrinter();
    if (!installed.dataFileCopied) return Fail("cannot copy the data file " + kvtest::SampleModelFileSource());
    std::vector<BYTE> settings;
    if (!JobSettings(&settings)) return Fail("no model description for the printer, or no user name");

    kvdemo::PrintedJob job;
    const auto drawPage = [](gdihost::PrinterDC& dc, int n) { return kvdemo::DrawSamplePage(dc, n, kDocument); };
    if (const std::string problem = kvdemo::PrintDocument(kvtest::kSamplePrinterName, settings, kDocument, kPages, drawPage, &job);
        !problem.empty())
        return Fail(problem);
    const std::vector<BYTE>& bytes = job.bytes;
    const SIZEL pageSize = job.pageSize;
    if (const std::string problem = kvdemo::WriteJobFile(out, bytes); !problem.empty()) return Fail(problem);
    const fs::path jobFile = out / "job.prn";

    const kvtest::JobListing listing = kvtest::DecodeJobStream(bytes);
    if (const kvtest::StreamCommand* bad = listing.Error()) return Fail("the job stream does not read: " + bad->Describe());
    Summary s;
    for (const kvtest::StreamCommand* c : listing.All(kvtest::CommandKind::Raster)) {
        ++s.rasters;
        s.compressed += c->raster.compressed ? 1 : 0;
        s.dataBytes += c->raster.dataBytes;
        s.rawBytes += c->image.size();
    }
    size_t innerJobs = 0;
    for (const std::string& line : listing.PjlLines()) innerJobs += line.rfind("@PJL JOB USER=", 0) == 0 ? 1 : 0;
    const kvtest::RenderedJob pages = kvtest::RenderPages(listing, pageSize);

    std::printf("Job stream: %zu bytes, %zu commands\n", bytes.size(), listing.commands.size());
    std::printf("PJL lines:\n");
    for (const std::string& line : listing.PjlLines()) std::printf("  %s\n", line.c_str());
    std::printf("Pages:    %zu sheets ejected (%d pages x %zu passes of the inner job)\n",
                listing.Count(kvtest::CommandKind::Eject), kPages, innerJobs);
    std::printf("Raster:   %zu image commands (%zu compressed), %zu data bytes for %zu bytes of rows (%.1f%%)\n",
                s.rasters, s.compressed, s.dataBytes, s.rawBytes, s.rawBytes ? 100.0 * s.dataBytes / s.rawBytes : 0.0);
    std::printf("Copies:   %d asked, %zu inner jobs sent by the driver\n", kCopies, innerJobs);

    // Every sheet should show what the engine draws for the page by itself.
    bool same = pages.pages.size() == static_cast<size_t>(kPages) * kCopies && pages.error.empty();
    for (size_t i = 0; same && i < pages.pages.size(); ++i) {
        gdihost::PageBitmap reference;
        if (!gdihost::RenderReference(pageSize, job.pageOps[i % kPages], &reference)) return Fail("no reference page");
        for (LONG y = 0; same && y < pageSize.cy; ++y) {
            for (LONG x = 0; same && x < pageSize.cx; ++x) same = reference.Black(x, y) == pages.pages[i].Black(x, y);
        }
        if (!same) std::printf("Sheet %zu differs from the engine's drawing of page %zu\n", i + 1, i % kPages + 1);
    }
    std::printf("Check:    sheets %s the engine's drawing of their pages\n", same ? "equal" : "DO NOT equal");
    std::printf("Job file: %s\n", jobFile.string().c_str());
    if (const std::string problem = kvdemo::WriteSheetPictures(out, pages, kPictureScale); !problem.empty()) return Fail(problem);
    if (!same) return Fail("the printed sheets are not the drawn pages");
    if (innerJobs != static_cast<size_t>(kCopies)) return Fail("the driver did not make the copies");

    // The spooler's next step: the job through the language monitor to the port.
    kvtest::MonitorJob port;
    port.module = u"" KV_LANGMON_MODULE;
    port.printer = kvtest::kSamplePrinterName;
    port.port = u"LPT1:";
    port.jobId = job.jobId;
    port.document = kDocument;
    port.piece = 4096;
    standin::monitor::SetPorts({{port.port, u"Local Port", u"", PORT_TYPE_WRITE}});
    const kvtest::MonitorPass pass = kvtest::PassThroughMonitor(port, bytes);
    if (!pass.ok) return Fail("the monitor did not pass the job: " + pass.failedStep + ", error " + std::to_string(pass.error));
    const bool equal = pass.received == bytes;
    std::printf("Monitor:  %s on %s, %zu WritePort calls of up to %zu bytes\n", KV_LANGMON_MODULE,
                kvtest::U8(port.port).c_str(), pass.writes, port.piece);
    std::printf("Port:     %zu bytes written to %s\n", pass.received.size(), pass.portFile.c_str());
    std::printf("Check:    the port's bytes %s the job's\n", equal ? "equal" : "DO NOT equal");
    if (!equal) return Fail("the port did not receive the job as printed");
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return Run(argc, argv); }
