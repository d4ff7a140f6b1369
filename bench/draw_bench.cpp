// Benchmarks of vector, text and bitmap drawing: pages played through the GDI host into the
// loaded rendering library in vector mode, over the platform stand-in with the sample printer:
//   DensePaths           a page of 10,000 short lines and 1,000 filled polygons: paths per
//                        second and job bytes per path.
//   DeviceText/<font>    lines of text in a resident font (Courier single-byte, Minchou
//                        Shift-JIS): characters per second.
//   DownloadedText/<hit> TrueType text at 400 dpi whose glyphs the driver downloads: every
//                        glyph new (a fresh device each round: the cache misses) or the same
//                        glyphs again (the cache hits): characters per second.
//   Bitmap/<turned>      a full-page 1-bit image at 600 dpi sent as it stands, on a page of
//                        its own (0) or turned on a two-up sheet (1): pages per second and MB/s
//                        of image rows.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/SampleRun.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "settings/DriverDevMode.h"
#include "tools/hosts/gdihost/DrawOps.h"
#include "tools/hosts/gdihost/GdiHost.h"
#include "tools/sample/SamplePrinter.h"
#include "tools/sample/SampleSettings.h"

namespace {

using gdihost::Figure;
using gdihost::PathOp;

constexpr DWORD kFeatureSubstituteTrueType = 1u << 13;

/// The printer's defaults in vector mode, without decorations.
std::vector<BYTE> VectorBlock(SHORT dpi, WORD pagesPerSheet = 1) {
    std::vector<BYTE> bytes = kvtest::DefaultSettingsBlock();
    if (bytes.empty()) return bytes;
    DriverDevMode* block = &kvtest::SettingsOf(bytes);
    block->FeatureFlags &= ~kFeatureGraphicsOnly;
    block->FeatureFlags |= kFeatureSubstituteTrueType;
    block->Public.dmPrintQuality = dpi;
    block->Public.dmYResolution = dpi;
    block->Public.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
    block->PagesPerSheet = pagesPerSheet;
    block->CoverFlags = 0;
    block->PageFrame = 0;
    block->PageStampSwitch = 0;
    return bytes;
}

/// A loaded library with one open vector device and a started document.
class VectorDevice {
public:
    VectorDevice(SHORT dpi, WORD pagesPerSheet = 1) : dc_(driver_) {
        kvbench::UseSampleRun();
        const std::vector<BYTE> block = VectorBlock(dpi, pagesPerSheet);
        ok_ = !block.empty() && driver_.Load(u"" KV_RENDER_NAME ".dll") && dc_.Open(kvtest::kSamplePrinterName, block) &&
              !dc_.Banding() && dc_.StartDoc(u"bench");
    }
    ~VectorDevice() {
        if (ok_) dc_.EndDoc();
        dc_.Close();
        driver_.Unload();
    }
    VectorDevice(const VectorDevice&) = delete;
    VectorDevice& operator=(const VectorDevice&) = delete;
    bool ok() const { return ok_; }
    gdihost::PrinterDC& dc() { return dc_; }
    size_t JobSize() const { return standin::JobBytes(kvtest::kSamplePrinterName, dc_.JobId()).size(); }

private:
    gdihost::DriverModule driver_;
    gdihost::PrinterDC dc_;
    bool ok_ = false;
};

/// Plays one page of recorded operations; the recording is outside the timing.
template <typename Draw>
bool TimedPage(benchmark::State& state, gdihost::PrinterDC& dc, Draw draw) {
    state.PauseTiming();
    const bool drawn = dc.StartPage() && draw(dc);
    state.ResumeTiming();
    return drawn && dc.EndPage();
}

void DensePaths(benchmark::State& state) {
    VectorDevice device(600);
    if (!device.ok()) return state.SkipWithError("cannot open a vector device");
    constexpr int kLines = 10000;
    constexpr int kPolygons = 1000;
    auto draw = [](gdihost::PrinterDC& dc) {
        bool ok = true;
        for (int i = 0; i < kLines; ++i) {
            const LONG x = 100 + (i % 100) * 45;
            const LONG y = 100 + (i / 100) * 30;
            ok = ok && dc.Draw(PathOp({Figure({{x, y}, {x + 30, y + 20}}, false)}, gdihost::DrawOp::PathMode::Stroke));
        }
        for (int i = 0; i < kPolygons; ++i) {
            const LONG x = 100 + (i % 40) * 110;
            const LONG y = 3300 + (i / 40) * 110;
            gdihost::DrawOp op = PathOp(
                {Figure({{x, y}, {x + 90, y + 10}, {x + 70, y + 90}, {x + 5, y + 60}, {x + 30, y + 30}}, true)},
                gdihost::DrawOp::PathMode::Fill);
            op.brush.color = 0x00808080;
            ok = ok && dc.Draw(std::move(op));
        }
        return ok;
    };
    size_t pages = 0;
    const size_t before = device.JobSize();
    for (auto _ : state) {
        if (!TimedPage(state, device.dc(), draw)) return state.SkipWithError("the page failed");
        ++pages;
    }
    const double paths = static_cast<double>(pages) * (kLines + kPolygons);
    state.counters["paths_per_s"] = benchmark::Counter(paths, benchmark::Counter::kIsRate);
    state.counters["job_bytes_per_path"] = paths > 0 ? static_cast<double>(device.JobSize() - before) / paths : 0;
}
BENCHMARK(DensePaths)->Unit(benchmark::kMillisecond)->UseRealTime();

gdihost::DrawOp TextLine(bool deviceFont, ULONG face, LONG y, const std::u16string& text, LONG height) {
    gdihost::DrawOp op;
    op.kind = deviceFont ? gdihost::DrawOp::Kind::DeviceText : gdihost::DrawOp::Kind::TrueTypeText;
    op.face = face;
    op.faceName = u"Bench Sans";
    op.origin = POINTL{100, y};
    op.text = text;
    op.heightDots = height;
    return op;
}

void DeviceText(benchmark::State& state) {
    const bool japanese = state.range(0) != 0;
    VectorDevice device(600);
    if (!device.ok()) return state.SkipWithError("cannot open a vector device");
    const std::u16string line = japanese ? u"日本語の文字を明朝体で印刷する速さを測ります。いろはにほへと"
                                         : u"The quick brown fox jumps over the lazy dog. 0123456789 ABCDEFGHIJ";
    constexpr int kLines = 100;
    auto draw = [&](gdihost::PrinterDC& dc) {
        bool ok = true;
        for (int i = 0; i < kLines; ++i) ok = ok && dc.Draw(TextLine(true, japanese ? 14 : 2, 200 + 60 * i, line, 50));
        return ok;
    };
    size_t pages = 0;
    for (auto _ : state) {
        if (!TimedPage(state, device.dc(), draw)) return state.SkipWithError("the page failed");
        ++pages;
    }
    state.counters["chars_per_s"] =
        benchmark::Counter(static_cast<double>(pages) * kLines * line.size(), benchmark::Counter::kIsRate);
}
BENCHMARK(DeviceText)->ArgName("japanese")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void DownloadedText(benchmark::State& state) {
    const bool hit = state.range(0) != 0;
    const std::u16string line = u"Glyphs downloaded once and printed by code afterwards: 0123456789";
    constexpr int kLines = 20;
    auto draw = [&](gdihost::PrinterDC& dc) {
        bool ok = true;
        for (int i = 0; i < kLines; ++i) ok = ok && dc.Draw(TextLine(false, 0, 200 + 50 * i, line, 40));
        return ok;
    };
    size_t chars = 0;
    if (hit) {
        VectorDevice device(400);
        if (!device.ok()) return state.SkipWithError("cannot open a vector device");
        // The first page downloads; the pages timed print from the cache.
        device.dc().StartPage();
        draw(device.dc());
        device.dc().EndPage();
        for (auto _ : state) {
            if (!TimedPage(state, device.dc(), draw)) return state.SkipWithError("the page failed");
            chars += kLines * line.size();
        }
    } else {
        for (auto _ : state) {
            state.PauseTiming();
            auto device = std::make_unique<VectorDevice>(400);
            if (!device->ok()) return state.SkipWithError("cannot open a vector device");
            state.ResumeTiming();
            if (!TimedPage(state, device->dc(), draw)) return state.SkipWithError("the page failed");
            chars += kLines * line.size();
            state.PauseTiming();
            device.reset();
            state.ResumeTiming();
        }
    }
    state.counters["chars_per_s"] = benchmark::Counter(static_cast<double>(chars), benchmark::Counter::kIsRate);
}
BENCHMARK(DownloadedText)->ArgName("cache_hit")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void Bitmap(benchmark::State& state) {
    const bool turned = state.range(0) != 0;
    VectorDevice device(600, turned ? 2 : 1);
    if (!device.ok()) return state.SkipWithError("cannot open a vector device");
    const SIZEL page{static_cast<LONG>(device.dc().GdiInfo().ulHorzRes), static_cast<LONG>(device.dc().GdiInfo().ulVertRes)};
    gdihost::DrawOp image;
    image.kind = gdihost::DrawOp::Kind::Blit;
    image.bitmap.size = page;
    image.bitmap.format = BMF_1BPP;
    image.bitmap.palette = {0x00000000, 0x00FFFFFF};
    const size_t row = (static_cast<size_t>(page.cx) + 31) / 32 * 4;
    image.bitmap.bits.assign(row * static_cast<size_t>(page.cy), 0xFF);
    // Text-like rows: bands of black strokes on white.
    for (LONG y = 0; y < page.cy; ++y)
        if (y % 60 < 40)
            for (size_t x = 8; x + 8 < row; x += 9) image.bitmap.bits[static_cast<size_t>(y) * row + x] = 0x3C;
    image.rect = RECTL{0, 0, page.cx, page.cy};
    image.sourceRect = image.rect;
    auto draw = [&](gdihost::PrinterDC& dc) { return dc.Draw(image); };
    size_t pages = 0;
    for (auto _ : state) {
        if (!TimedPage(state, device.dc(), draw)) return state.SkipWithError("the page failed");
        ++pages;
    }
    state.counters["pages_per_s"] = benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(pages * image.bitmap.bits.size()));
}
BENCHMARK(Bitmap)->ArgName("turned")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
