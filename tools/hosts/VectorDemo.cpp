// vector_demo: the sample document in the printer's own vector language. Three pages drawn
// through the rendering library at 400 dpi with graphics-only mode off: vector art (lines of
// every width, dashes, joins, Bezier curves, hatched, patterned and gray fills, a complex
// clip), text (the printer's resident fonts in English and Japanese, turned text, a TrueType
// face that the printer's Minchou replaces and one whose glyphs are downloaded) and bitmaps
// (a 1-bit image sent as it stands and a gray image halftoned by the engine). Every page has
// a frame and a page-number stamp. The job stream is written to a file, read back command by
// command, and each printed sheet is written as a picture.
//
//   vector_demo <output-folder>    (must not exist or be empty; the job is <folder>/job.prn,
//                                   its decoded commands <folder>/listing.txt, the sheets
//                                   <folder>/sheet-1.png, sheet-2.png, ...)
//
// Exit status 0 on success, 1 with a message on stderr when a step fails.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "settings/DriverDevMode.h"
#include "tools/hosts/gdihost/DrawOps.h"
#include "tools/hosts/DemoFolder.h"
#include "tools/hosts/DemoPrint.h"
#include "tools/hosts/gdihost/GdiHost.h"
#include "tools/sample/JobReader.h"
#include "tools/sample/SamplePrinter.h"
#include "tools/sample/SampleSettings.h"
#include "tools/sample/SheetPicture.h"

namespace fs = std::filesystem;
namespace engine = standin::engine;
using gdihost::DeviceTextOp;
using gdihost::Figure;
using gdihost::PathOp;

namespace {

constexpr SHORT kDpi = 400;
constexpr int kPages = 3;
constexpr LONG kPictureScale = 4;
constexpr DWORD kFeatureSubstituteTrueType = 1u << 13;
constexpr WORD kFrameSolid = 1;
constexpr DWORD kStampPageNumber = 7;
constexpr DWORD kStampBottomRight = 8;

// Device fonts by number.
constexpr ULONG kCourier = 2;
constexpr ULONG kHelvBold = 7;
constexpr ULONG kTmsRmn = 10;
constexpr ULONG kMinchou = 14;
constexpr ULONG kGothic = 22;
constexpr ULONG kOcrB = 1;

int Fail(const std::string& message) {
    std::fprintf(stderr, "vector_demo: %s\n", message.c_str());
    return 1;
}

/// The printer's defaults in vector mode at 400 dpi, with a frame, a page-number stamp and
/// TrueType substitution.
bool JobSettings(std::vector<BYTE>* bytes) {
    *bytes = kvtest::DefaultSettingsBlock();
    if (bytes->empty()) return false;
    DriverDevMode* block = &kvtest::SettingsOf(*bytes);
    block->FeatureFlags &= ~kFeatureGraphicsOnly;
    block->FeatureFlags |= kFeatureSubstituteTrueType;
    block->Public.dmPrintQuality = kDpi;
    block->Public.dmYResolution = kDpi;
    block->Public.dmCopies = 1;
    block->Public.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION | DM_COPIES;
    block->PageFrame = kFrameSolid;
    block->PageStampSwitch = 1;
    block->PageStampSelector = kStampPageNumber;
    block->PageStampPosition = kStampBottomRight;
    const std::u16string user = u"demo";
    std::copy(user.begin(), user.end(), block->UserName1);
    return true;
}

bool VectorArt(gdihost::PrinterDC& dc) {
    bool ok = dc.Draw(DeviceTextOp(kHelvBold, {200, 240}, u"Vector art", 110));
    // A fan of lines: cosmetic, then geometric of growing width, some dashed.
    for (int i = 0; i < 8; ++i) {
        gdihost::DrawOp op = PathOp({Figure({{200, 400 + 60 * i}, {1500, 400 + 90 * i}}, false)},
                                    gdihost::DrawOp::PathMode::Stroke);
        op.pen.geometric = i > 0;
        op.pen.widthDots = 1 + 2 * i;
        op.pen.cap = i % 3 == 0 ? ENDCAP_ROUND : i % 3 == 1 ? ENDCAP_SQUARE : ENDCAP_BUTT;
        if (i % 2 == 1) op.pen.dashes = {24.0f, 12.0f};
        ok = ok && dc.Draw(op);
    }
    // A zigzag with mitred, bevelled and round joins.
    const ULONG joins[] = {JOIN_MITER, JOIN_BEVEL, JOIN_ROUND};
    for (int j = 0; j < 3; ++j) {
        const LONG y = 1200 + 200 * j;
        gdihost::DrawOp op = PathOp({Figure({{200, y + 150}, {400, y}, {600, y + 150}, {800, y}}, false)},
                                    gdihost::DrawOp::PathMode::Stroke);
        op.pen.geometric = true;
        op.pen.widthDots = 18;
        op.pen.join = joins[j];
        ok = ok && dc.Draw(op);
    }
    // A Bezier wave and a closed curve.
    engine::PathRecord start = Figure({{1000, 1500}}, false);
    start.flags = PD_BEGINSUBPATH;
    engine::PathRecord curve;
    curve.flags = PD_BEZIERS | PD_ENDSUBPATH;
    for (POINTL p : std::vector<POINTL>{{1150, 1200}, {1300, 1800}, {1450, 1500}, {1600, 1200}, {1750, 1800}, {1900, 1500}})
        curve.points.push_back(engine::FixPoint(p.x, p.y));
    gdihost::DrawOp wave = PathOp({start, curve}, gdihost::DrawOp::PathMode::Stroke);
    wave.pen.geometric = true;
    wave.pen.widthDots = 6;
    ok = ok && dc.Draw(wave);
    // Filled shapes: hatches, a pattern, gray, and a stroked-and-filled star.
    const ULONG hatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
    for (int h = 0; h < 6; ++h) {
        const LONG x = 2000 + 260 * (h % 3);
        const LONG y = 400 + 300 * (h / 3);
        gdihost::DrawOp op = PathOp({Figure({{x, y}, {x + 220, y}, {x + 180, y + 240}, {x + 20, y + 240}}, true)},
                                    gdihost::DrawOp::PathMode::Fill);
        op.brush.kind = gdihost::BrushSpec::Kind::Hatch;
        op.brush.hatch = hatches[h];
        ok = ok && dc.Draw(op);
    }
    gdihost::DrawOp pattern = PathOp({Figure({{2000, 1050}, {2740, 1050}, {2740, 1300}, {2000, 1300}}, true)},
                                     gdihost::DrawOp::PathMode::Fill);
    pattern.brush.kind = gdihost::BrushSpec::Kind::Pattern;
    pattern.brush.patternBits.clear();
    for (int row = 0; row < 8; ++row) {
        const BYTE bits = static_cast<BYTE>(0x81u >> (row % 4) | 0x81u << (row % 4));
        pattern.brush.patternBits.insert(pattern.brush.patternBits.end(), {bits, 0, 0, 0});
    }
    ok = ok && dc.Draw(pattern);
    std::vector<POINTL> star;
    for (int k = 0; k < 10; ++k) {
        const double a = k * 3.14159265358979 / 5 - 3.14159265358979 / 2;
        const double r = k % 2 == 0 ? 300 : 120;
        star.push_back(POINTL{2370 + static_cast<LONG>(r * std::cos(a)), 1750 + static_cast<LONG>(r * std::sin(a))});
    }
    gdihost::DrawOp starOp = PathOp({Figure(star, true)}, gdihost::DrawOp::PathMode::StrokeAndFill);
    starOp.brush.color = 0x00A0A0A0;
    starOp.pen.geometric = true;
    starOp.pen.widthDots = 8;
    ok = ok && dc.Draw(starOp);
    // A disc of lines seen through a window of three rectangles.
    gdihost::DrawOp clipped = PathOp({}, gdihost::DrawOp::PathMode::Stroke);
    for (int k = 0; k < 24; ++k) {
        const double a = k * 3.14159265358979 / 12;
        clipped.records.push_back(Figure({{1000, 2600}, {1000 + static_cast<LONG>(500 * std::cos(a)),
                                                        2600 + static_cast<LONG>(500 * std::sin(a))}},
                                         false));
    }
    clipped.clip = {RECTL{600, 2200, 1400, 2450}, RECTL{600, 2450, 900, 2750}, RECTL{1100, 2450, 1400, 3000}};
    ok = ok && dc.Draw(clipped);
    ok = ok && dc.FillRect(RECTL{1800, 2300, 3000, 2340}, true);
    gdihost::DrawOp painted;
    painted.kind = gdihost::DrawOp::Kind::Paint;
    painted.brush.kind = gdihost::BrushSpec::Kind::Hatch;
    painted.brush.hatch = HS_DIAGCROSS;
    painted.clip = {RECTL{1800, 2400, 3000, 3000}};
    ok = ok && dc.Draw(painted);
    return ok;
}

bool TextPage(gdihost::PrinterDC& dc) {
    bool ok = dc.Draw(DeviceTextOp(kHelvBold, {200, 240}, u"Text in the printer's fonts", 110));
    ok = ok && dc.Draw(DeviceTextOp(kCourier, {200, 450}, u"Courier: The quick brown fox jumps over the lazy dog.", 55));
    ok = ok && dc.Draw(DeviceTextOp(kHelvBold - 1, {200, 560}, u"Helv: The quick brown fox jumps over the lazy dog.", 55));
    ok = ok && dc.Draw(DeviceTextOp(kTmsRmn, {200, 670}, u"TmsRmn: The quick brown fox jumps over the lazy dog.", 55));
    ok = ok && dc.Draw(DeviceTextOp(kOcrB, {200, 780}, u"OCR-B 0123456789", 55));
    ok = ok && dc.Draw(DeviceTextOp(kMinchou, {200, 930}, u"明朝：いろはにほへと　ちりぬるを", 80));
    ok = ok && dc.Draw(DeviceTextOp(kGothic, {200, 1060}, u"ゴシック：日本語の文字を印刷します", 80));
    ok = ok && dc.Draw(DeviceTextOp(kHelvBold, {3000, 2400}, u"Turned by 90 degrees", 70, 90));
    gdihost::DrawOp substituted;
    substituted.kind = gdihost::DrawOp::Kind::TrueTypeText;
    substituted.faceName = u"ＭＳ 明朝";
    substituted.charset = SHIFTJIS_CHARSET;
    substituted.origin = POINTL{200, 1300};
    substituted.text = u"TrueType ＭＳ 明朝 → 明朝";
    substituted.heightDots = 70;
    ok = ok && dc.Draw(substituted);
    gdihost::DrawOp downloaded = substituted;
    downloaded.faceName = u"Demo Sans";
    downloaded.charset = 0;
    downloaded.origin = POINTL{200, 1500};
    downloaded.text = u"Downloaded glyphs: Demo Sans, Demo Sans again.";
    ok = ok && dc.Draw(downloaded);
    return ok;
}

bool BitmapPage(gdihost::PrinterDC& dc) {
    bool ok = dc.Draw(DeviceTextOp(kHelvBold, {200, 240}, u"Bitmaps", 110));
    // A 1-bit target of rings, sent as it stands.
    gdihost::DrawOp rings;
    rings.kind = gdihost::DrawOp::Kind::Blit;
    rings.bitmap.size = SIZEL{256, 256};
    rings.bitmap.format = BMF_1BPP;
    rings.bitmap.palette = {0x00000000, 0x00FFFFFF};
    rings.bitmap.bits.assign(256 / 8 * 256, 0);
    for (LONG y = 0; y < 256; ++y) {
        for (LONG x = 0; x < 256; ++x) {
            const LONG r = static_cast<LONG>(std::hypot(x - 128, y - 128));
            if ((r / 16) % 2 == 1) rings.bitmap.bits[static_cast<size_t>(y) * 32 + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
        }
    }
    rings.rect = RECTL{200, 400, 456, 656};
    rings.sourceRect = RECTL{0, 0, 256, 256};
    ok = ok && dc.Draw(rings);
    // A gray ramp, halftoned by the engine and stretched to twice its size.
    gdihost::DrawOp ramp;
    ramp.kind = gdihost::DrawOp::Kind::Stretch;
    ramp.bitmap.size = SIZEL{256, 64};
    ramp.bitmap.format = BMF_8BPP;
    for (ULONG g = 0; g < 256; ++g) ramp.bitmap.palette.push_back(g | g << 8 | g << 16);
    for (LONG y = 0; y < 64; ++y)
        for (LONG x = 0; x < 256; ++x) ramp.bitmap.bits.push_back(static_cast<BYTE>(x));
    ramp.rect = RECTL{700, 400, 1212, 528};
    ramp.sourceRect = RECTL{0, 0, 256, 64};
    ok = ok && dc.Draw(ramp);
    return ok;
}

int Run(int argc, char** argv) {
    fs::path out;
    if (const std::string problem = kvdemo::PrepareDemoFolder(argc, argv, "usage: vector_demo <output-folder>", &out);
        !problem.empty())
        return Fail(problem);

    const kvtest::SamplePrinterResult installed = kvtest::InstallSamplePrinter();
    if (!installed.dataFileCopied) return Fail("cannot copy the data file " + kvtest::SampleModelFileSource());
    std::vector<BYTE> settings;
    if (!JobSettings(&settings)) return Fail("no model description for the printer");

    kvdemo::PrintedJob job;
    const auto drawPage = [](gdihost::PrinterDC& dc, int n) {
        bool (*const pages[kPages])(gdihost::PrinterDC&) = {VectorArt, TextPage, BitmapPage};
        return pages[n](dc);
    };
    if (const std::string problem = kvdemo::PrintDocument(kvtest::kSamplePrinterName, settings, u"KV-TD520 vector demo",
                                                          kPages, drawPage, &job, true);
        !problem.empty())
        return Fail(problem);
    const std::vector<BYTE>& bytes = job.bytes;
    if (const std::string problem = kvdemo::WriteJobFile(out, bytes); !problem.empty()) return Fail(problem);
    const fs::path jobFile = out / "job.prn";

    const kvtest::JobListing listing = kvtest::DecodeJobStream(bytes);
    if (const kvtest::StreamCommand* bad = listing.Error()) return Fail("the job stream does not read: " + bad->Describe());
    // The decoded listing beside the job, one command a line.
    std::ofstream(out / "listing.txt") << listing.Describe(1000000);
    std::map<std::string, size_t> kinds;
    for (const kvtest::StreamCommand& c : listing.commands) ++kinds[kvtest::CommandKindName(c.kind)];
    std::printf("Job stream: %zu bytes, %zu commands\n", bytes.size(), listing.commands.size());
    for (const auto& [name, count] : kinds) std::printf("  %-16s %zu\n", name.c_str(), count);

    const kvtest::RenderedJob sheets = kvtest::RenderPages(listing, job.pageSize);
    if (!sheets.error.empty()) return Fail("the sheets do not draw: " + sheets.error);
    std::printf("Job file: %s\n", jobFile.string().c_str());
    if (const std::string problem = kvdemo::WriteSheetPictures(out, sheets, kPictureScale); !problem.empty()) return Fail(problem);
    if (sheets.pages.size() != kPages) return Fail("expected " + std::to_string(kPages) + " sheets");
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return Run(argc, argv); }
