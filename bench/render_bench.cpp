// Benchmarks of the rendering library over the platform stand-in, with real files below a
// temporary root:
//   Compress/<rows>      CompressRasterRows over one inch of 600-dpi page rows (600 rows of
//                        596 bytes) of four kinds: blank, text-like, halftone-like and the
//                        worst case (every byte differs from its neighbours and the row
//                        above); bytes per second of raw rows, memcpy MB/s of the same bytes
//                        measured in the same run, and the coded size in %; CompressRatio/<rows>
//                        times both in one loop and reports coder time / memcpy time.
//   TextPage/<dpi>/<scan> CompressRasterRows over a whole Letter page of prose drawn by the
//                        bench (TextPage.h, about 9-10 % black) in one-inch chunks against a
//                        zero seed row, as the band writer sends them, with the word or the
//                        vector scanner; in the same loop memcpy of the same rows and a plain
//                        delta-row/run-length coder (ReferenceRowCoder.h): the coder's time
//                        over each (times_memcpy, times_reference), ms per page, coded size.
//   Page/<dpi>           one graphics-only page through the GDI host and the loaded library,
//                        timed from DrvStartBanding to the last DrvNextBand (the host's page
//                        end): pages per second, job bytes per page, peak resident memory, and
//                        that time split into the stand-in engine's drawing (the Eng* drawing
//                        calls of the host and of the library, timed on their way) and the rest, the
//                        driver's own part (band output, compression, output stream, spooler):
//                        engine_ms and driver_ms per page.
//   WriteOutput/<piece>/<capture>  pieces of 2, 4, 8 and 16 bytes through the output stream
//                        to the spooler, with and without the capture file of driver-made
//                        copies: ns per piece, WritePrinter and WriteFile calls per MB, and
//                        ns per piece into the buffer alone (the spooler's writes left out).
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/ReferenceRowCoder.h"
#include "bench/SampleRun.h"
#include "bench/TextPage.h"
#include "platform/Ddi.h"
#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "render/OutputStream.h"
#include "render/Pdev.h"
#include "render/RasterCompression.h"
#include "render/RasterScan.h"
#include "settings/DriverDevMode.h"
#include "settings/MemoryPool.h"
#include "tools/hosts/gdihost/GdiHost.h"
#include "tools/sample/SamplePrinter.h"
#include "tools/sample/SampleSettings.h"

namespace {

constexpr DWORD kRowBytes = 596;  // a 4,764-dot row at 600 dpi
constexpr DWORD kRows = 600;      // the longest chunk: one inch
constexpr DWORD kFeatureDriverCopies = 1u << 2;

double PeakResidentMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// --- Raster compression ----------------------------------------------------------------------

enum class RowKind { Blank, Text, Halftone, Worst };

/// Rows as the band writer sends them (a set bit black) for each kind.
std::vector<BYTE> MakeRows(RowKind kind) {
    std::vector<BYTE> rows(static_cast<size_t>(kRowBytes) * kRows, 0);
    uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 16; };
    for (DWORD r = 0; r < kRows; ++r) {
        BYTE* row = rows.data() + static_cast<size_t>(r) * kRowBytes;
        switch (kind) {
            case RowKind::Blank: break;
            case RowKind::Text:
                // Lines of glyph-like strokes: 40 rows of text, 20 of white, words apart.
                if (r % 60 < 40) {
                    for (DWORD x = 40; x + 8 < kRowBytes - 40; x += 9) {
                        for (DWORD k = 0; k < 6; ++k) row[x + k] = static_cast<BYTE>((next() & 0x3) == 0 ? next() : 0);
                    }
                }
                break;
            case RowKind::Halftone:
                // An ordered 4 x 4 dither of a left-to-right gray ramp.
                for (DWORD x = 0; x < kRowBytes; ++x) {
                    static const BYTE kThreshold[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
                    BYTE b = 0;
                    for (DWORD bit = 0; bit < 8; ++bit) {
                        const DWORD px = x * 8 + bit;
                        const DWORD level = px * 16 / (kRowBytes * 8);
                        if (level > kThreshold[r % 4][px % 4]) b |= static_cast<BYTE>(0x80 >> bit);
                    }
                    row[x] = b;
                }
                break;
            case RowKind::Worst:
                // Every byte differs from its neighbours and from the byte above.
                for (DWORD x = 0; x < kRowBytes; ++x) row[x] = static_cast<BYTE>((x + r) % 2 == 0 ? 0x55 + x % 3 : 0xAA);
                break;
        }
    }
    return rows;
}

void Compress(benchmark::State& state, RowKind kind) {
    const std::vector<BYTE> rows = MakeRows(kind);
    const std::vector<BYTE> seed(kRowBytes, 0);
    std::vector<BYTE> out(kRowBytes + 2 * rows.size());
    std::vector<BYTE> copy(rows.size());
    size_t coded = 0;
    for (auto _ : state) {
        BYTE* end = CompressRasterRows(seed.data(), rows.data(), kRows, kRowBytes, out.data(), kRowBytes);
        benchmark::DoNotOptimize(end);
        coded = end == nullptr ? rows.size() : static_cast<size_t>(end - out.data());
    }

    // memcpy of the same bytes, timed here so that both figures come from one run.
    using Clock = std::chrono::steady_clock;
    const int copies = 2000;
    const auto start = Clock::now();
    for (int i = 0; i < copies; ++i) {
        std::memcpy(copy.data(), rows.data(), rows.size());
        benchmark::ClobberMemory();
    }
    const double copySeconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double memcpyMBps = copies * static_cast<double>(rows.size()) / copySeconds / 1e6;
    state.counters["memcpy_MBps"] = memcpyMBps;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(rows.size()));
    state.counters["coded_pct"] = 100.0 * static_cast<double>(coded) / static_cast<double>(rows.size());
}

void CompressRatio(benchmark::State& state, RowKind kind) {
    // Both loops timed by hand in one run: the coder's time over memcpy's for the same bytes.
    const std::vector<BYTE> rows = MakeRows(kind);
    const std::vector<BYTE> seed(kRowBytes, 0);
    std::vector<BYTE> out(kRowBytes + 2 * rows.size());
    std::vector<BYTE> copy(rows.size());
    using Clock = std::chrono::steady_clock;
    double codeSeconds = 0;
    double copySeconds = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        benchmark::DoNotOptimize(CompressRasterRows(seed.data(), rows.data(), kRows, kRowBytes, out.data(), kRowBytes));
        auto t1 = Clock::now();
        std::memcpy(copy.data(), rows.data(), rows.size());
        benchmark::ClobberMemory();
        auto t2 = Clock::now();
        codeSeconds += std::chrono::duration<double>(t1 - t0).count();
        copySeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["times_memcpy"] = copySeconds > 0 ? codeSeconds / copySeconds : 0;
}

BENCHMARK_CAPTURE(Compress, blank, RowKind::Blank);
BENCHMARK_CAPTURE(Compress, text, RowKind::Text);
BENCHMARK_CAPTURE(Compress, halftone, RowKind::Halftone);
BENCHMARK_CAPTURE(Compress, worst, RowKind::Worst);
BENCHMARK_CAPTURE(CompressRatio, blank, RowKind::Blank);
BENCHMARK_CAPTURE(CompressRatio, text, RowKind::Text);
BENCHMARK_CAPTURE(CompressRatio, halftone, RowKind::Halftone);
BENCHMARK_CAPTURE(CompressRatio, worst, RowKind::Worst);

// --- A page of prose ----------------------------------------------------------------------------

void TextPageCompress(benchmark::State& state) {
    const int dpi = static_cast<int>(state.range(0));
    const RowScan scan = state.range(1) != 0 ? RowScan::Vectors : RowScan::Words;
    if (!RowScanAvailable(scan)) {
        state.SkipWithError("this processor lacks the scanner");
        return;
    }
    const kvbench::TextPage page = kvbench::MakeTextPage(dpi);
    const DWORD width = page.rowBytes;
    const DWORD chunkRows = static_cast<DWORD>(dpi);  // one inch, the band writer's longest chunk
    const std::vector<BYTE> seed(width, 0);
    std::vector<BYTE> out(width + 2 * static_cast<size_t>(chunkRows) * width + 64);
    std::vector<BYTE> copy(static_cast<size_t>(chunkRows) * width);
    std::vector<BYTE> refOut(static_cast<size_t>(chunkRows) * (2 * width + 2));
    std::vector<BYTE> refScratch(2 * width + 2);
    using Clock = std::chrono::steady_clock;
    double codeSeconds = 0, copySeconds = 0, refSeconds = 0;
    size_t coded = 0, refCoded = 0;
    for (auto _ : state) {
        // The three over the same rows in each iteration, so that the machine's load changes
        // all of them alike.
        coded = 0;
        auto t0 = Clock::now();
        for (DWORD row = 0; row < page.rows; row += chunkRows) {
            const DWORD rows = std::min(chunkRows, page.rows - row);
            const BYTE* first = page.bits.data() + static_cast<size_t>(row) * width;
            BYTE* end = CompressRasterRowsWith(scan, seed.data(), first, rows, width, out.data(), width);
            coded += end == nullptr ? static_cast<size_t>(rows) * width : static_cast<size_t>(end - out.data());
        }
        benchmark::DoNotOptimize(coded);
        auto t1 = Clock::now();
        // Chunk by chunk into one chunk's room, as the coder writes into its reused block.
        for (DWORD row = 0; row < page.rows; row += chunkRows) {
            const size_t bytes = static_cast<size_t>(std::min(chunkRows, page.rows - row)) * width;
            std::memcpy(copy.data(), page.bits.data() + static_cast<size_t>(row) * width, bytes);
            benchmark::ClobberMemory();
        }
        auto t2 = Clock::now();
        refCoded = 0;
        for (DWORD row = 0; row < page.rows; row += chunkRows) {
            const DWORD rows = std::min(chunkRows, page.rows - row);
            refCoded += kvbench::ReferenceRowCoder::Code(page.bits.data() + static_cast<size_t>(row) * width, rows,
                                                         width, width, refOut.data(), refScratch.data(), seed.data());
        }
        benchmark::DoNotOptimize(refCoded);
        auto t3 = Clock::now();
        codeSeconds += std::chrono::duration<double>(t1 - t0).count();
        copySeconds += std::chrono::duration<double>(t2 - t1).count();
        refSeconds += std::chrono::duration<double>(t3 - t2).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["times_memcpy"] = copySeconds > 0 ? codeSeconds / copySeconds : 0;
    state.counters["times_reference"] = refSeconds > 0 ? codeSeconds / refSeconds : 0;
    state.counters["coder_ms"] = codeSeconds * 1e3 / n;
    state.counters["memcpy_ms"] = copySeconds * 1e3 / n;
    state.counters["reference_ms"] = refSeconds * 1e3 / n;
    state.counters["coded_pct"] = 100.0 * static_cast<double>(coded) / static_cast<double>(page.bits.size());
    state.counters["reference_pct"] = 100.0 * static_cast<double>(refCoded) / static_cast<double>(page.bits.size());
    state.counters["black_pct"] = 100.0 * page.blackFraction;
}
BENCHMARK(TextPageCompress)->ArgNames({"dpi", "vectors"})->ArgsProduct({{600, 1200}, {0, 1}})->Unit(benchmark::kMillisecond);

// --- A graphics-only page through the host -----------------------------------------------------

// The engine's drawing calls, defined again here and exported from the bench (see
// bench/CMakeLists.txt) so that both the host's calls and the loaded library's (the library
// binds to the first definition in the process) come here first; each forwards to the
// engine's own and adds its time. Only the outermost call is timed: the engine may call
// these itself.
int64_t gEngineNs = 0;
int gEngineDepth = 0;

template <typename Fn>
Fn EngineEntry(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

template <typename Fn, typename... Args>
BOOL TimedEngineCall(Fn fn, Args... args) {
    if (fn == nullptr) return FALSE;
    if (gEngineDepth++ != 0) {
        const BOOL result = fn(args...);
        --gEngineDepth;
        return result;
    }
    const auto start = std::chrono::steady_clock::now();
    const BOOL result = fn(args...);
    gEngineNs += std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
    --gEngineDepth;
    return result;
}

}  // namespace

#define KV_TIMED_ENGINE_CALL(name, ...)                                        \
    static const auto real = EngineEntry<decltype(&name)>(#name);              \
    return TimedEngineCall(real, __VA_ARGS__)

BOOL EngTextOut(SURFOBJ* a, STROBJ* b, FONTOBJ* c, CLIPOBJ* d, RECTL* e, RECTL* f, BRUSHOBJ* g, BRUSHOBJ* h,
                POINTL* i, MIX j) {
    KV_TIMED_ENGINE_CALL(EngTextOut, a, b, c, d, e, f, g, h, i, j);
}
BOOL EngBitBlt(SURFOBJ* a, SURFOBJ* b, SURFOBJ* c, CLIPOBJ* d, XLATEOBJ* e, RECTL* f, POINTL* g, POINTL* h,
               BRUSHOBJ* i, POINTL* j, ROP4 k) {
    KV_TIMED_ENGINE_CALL(EngBitBlt, a, b, c, d, e, f, g, h, i, j, k);
}
BOOL EngStrokePath(SURFOBJ* a, PATHOBJ* b, CLIPOBJ* c, XFORMOBJ* d, BRUSHOBJ* e, POINTL* f, LINEATTRS* g, MIX h) {
    KV_TIMED_ENGINE_CALL(EngStrokePath, a, b, c, d, e, f, g, h);
}
BOOL EngFillPath(SURFOBJ* a, PATHOBJ* b, CLIPOBJ* c, BRUSHOBJ* d, POINTL* e, MIX f, FLONG g) {
    KV_TIMED_ENGINE_CALL(EngFillPath, a, b, c, d, e, f, g);
}
BOOL EngStrokeAndFillPath(SURFOBJ* a, PATHOBJ* b, CLIPOBJ* c, XFORMOBJ* d, BRUSHOBJ* e, LINEATTRS* f, BRUSHOBJ* g,
                          POINTL* h, MIX i, FLONG j) {
    KV_TIMED_ENGINE_CALL(EngStrokeAndFillPath, a, b, c, d, e, f, g, h, i, j);
}
BOOL EngPaint(SURFOBJ* a, CLIPOBJ* b, BRUSHOBJ* c, POINTL* d, MIX e) { KV_TIMED_ENGINE_CALL(EngPaint, a, b, c, d, e); }

#undef KV_TIMED_ENGINE_CALL

namespace {

std::vector<BYTE> GraphicsOnlyBlock(SHORT dpi) {
    std::vector<BYTE> bytes = kvtest::DefaultSettingsBlock();
    if (bytes.empty()) return bytes;
    DriverDevMode* block = &kvtest::SettingsOf(bytes);
    block->FeatureFlags |= kFeatureGraphicsOnly;
    block->Public.dmPrintQuality = dpi;
    block->Public.dmYResolution = dpi;
    block->Public.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
    return bytes;
}

/// A page of boxes, a triangle, a fan of lines and lines of text, scaled to the resolution.
void DrawPage(gdihost::PrinterDC& dc, LONG dpi) {
    const auto d = [dpi](LONG v600) { return v600 * dpi / 600; };
    dc.FillRect(RECTL{d(300), d(300), d(4400), d(480)}, true);
    for (int i = 0; i < 5; ++i) dc.FillRect(RECTL{d(400 + 700 * i), d(800), d(900 + 700 * i), d(1300)}, true);
    dc.FillPolygon({{d(2800), d(1500)}, {d(4300), d(2000)}, {d(3000), d(2600)}});
    for (int i = 0; i < 16; ++i) dc.Line({d(400), d(2800)}, {d(4300), d(2800 + 150 * i)}, 1 + i % 4);
    for (int line = 0; line < 30; ++line) {
        dc.Text(d(400), d(5200 + 40 * line), u"The quick brown fox jumps over the lazy dog 0123456789", d(36));
    }
}

void Page(benchmark::State& state) {
    kvbench::UseSampleRun();
    const SHORT dpi = static_cast<SHORT>(state.range(0));
    const std::vector<BYTE> block = GraphicsOnlyBlock(dpi);
    gdihost::DriverModule driver;
    if (block.empty() || !driver.Load(u"" KV_RENDER_NAME ".dll")) {
        state.SkipWithError("cannot load the rendering library");
        return;
    }
    size_t bytesBefore = 0;
    size_t pages = 0;
    {
        gdihost::PrinterDC dc(driver);
        if (!dc.Open(kvtest::kSamplePrinterName, block) || !dc.Banding() || !dc.StartDoc(u"bench")) {
            state.SkipWithError("cannot open a graphics-only device at this resolution");
            return;
        }
        // The job header goes out with the first page; time the pages after it.
        dc.StartPage();
        DrawPage(dc, dpi);
        dc.EndPage();
        bytesBefore = standin::JobBytes(kvtest::kSamplePrinterName, dc.JobId()).size();
        double pageSeconds = 0;
        int64_t engineNs = 0;
        for (auto _ : state) {
            state.PauseTiming();
            dc.StartPage();
            DrawPage(dc, dpi);
            gEngineNs = 0;
            state.ResumeTiming();
            const auto start = std::chrono::steady_clock::now();
            if (!dc.EndPage()) {
                state.SkipWithError("the page failed");
                break;
            }
            pageSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            engineNs += gEngineNs;
            ++pages;
        }
        const double n = pages > 0 ? static_cast<double>(pages) : 1;
        state.counters["engine_ms"] = static_cast<double>(engineNs) / 1e6 / n;
        state.counters["driver_ms"] = (pageSeconds * 1e3 - static_cast<double>(engineNs) / 1e6) / n;
        dc.EndDoc();
        const size_t total = standin::JobBytes(kvtest::kSamplePrinterName, dc.JobId()).size();
        state.counters["pages_per_s"] = benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate);
        state.counters["job_KB_per_page"] = pages ? (total - bytesBefore) / 1024.0 / static_cast<double>(pages) : 0;
        state.counters["page_dots"] = static_cast<double>(dc.GdiInfo().ulHorzRes) * dc.GdiInfo().ulVertRes;
        dc.Close();
    }
    driver.Unload();
    state.counters["peak_rss_MB"] = PeakResidentMB();
}
BENCHMARK(Page)->Arg(600)->Arg(1200)->Unit(benchmark::kMillisecond)->UseRealTime();

// --- Output stream ----------------------------------------------------------------------------

/// A device state built by hand around the output stream, writing to a spooler job.
class StreamDevice {
public:
    explicit StreamDevice(bool capture) : capture_(capture) {
        kvbench::UseSampleRun();
        if (!OpenPrinterW(const_cast<LPWSTR>(kvtest::kSamplePrinterName), &printer_, nullptr)) printer_ = nullptr;
        pdev_ = static_cast<PDEV*>(PoolAlloc(&chain_, sizeof(PDEV)));
        pdev_->Signature = kPdevSignature;
        pdev_->SignatureEnd = kPdevSignature;
        pdev_->ChainHead = &chain_;
        pdev_->Printer = printer_;
        pdev_->Settings.Public.dmCopies = capture ? 2 : 1;
        pdev_->Settings.FeatureFlags = capture ? kFeatureDriverCopies : 0;
        pdev_->Output.Capacity = kOutputBufferSize;
        pdev_->Output.WritePos = pdev_->Output.Data;
        NewJob();
    }
    ~StreamDevice() {
        EndJob();
        PoolFreeAll(&chain_);
        if (printer_ != nullptr) ClosePrinter(printer_);
    }
    StreamDevice(const StreamDevice&) = delete;
    StreamDevice& operator=(const StreamDevice&) = delete;

    /// A fresh spooler job (and capture file), so that a long run does not fill the disk.
    void NewJob() {
        EndJob();
        DOC_INFO_1W doc{const_cast<LPWSTR>(u"bench"), nullptr, nullptr};
        StartDocPrinterW(printer_, 1, reinterpret_cast<LPBYTE>(&doc));
        if (capture_) OpenCaptureFile(pdev_);
        inJob_ = true;
    }
    void EndJob() {
        if (!inJob_) return;
        FlushOutput(pdev_);
        CloseCaptureFile(pdev_);
        EndDocPrinter(printer_);
        inJob_ = false;
    }
    PDEV* pdev() const { return pdev_; }
    bool Opened() const { return printer_ != nullptr; }
    bool Capturing() const { return pdev_->CaptureFile != nullptr; }

private:
    bool capture_;
    bool inJob_ = false;
    PoolBlock* chain_ = nullptr;
    PDEV* pdev_ = nullptr;
    HANDLE printer_ = nullptr;
};

void WriteOutputPieces(benchmark::State& state) {
    const DWORD piece = static_cast<DWORD>(state.range(0));
    const bool capture = state.range(1) != 0;
    StreamDevice device(capture);
    if (!device.Opened()) {
        state.SkipWithError("cannot open the sample printer");
        return;
    }
    if (capture && !device.Capturing()) {
        state.SkipWithError("no capture file");
        return;
    }
    std::vector<BYTE> bytes(piece);
    for (DWORD i = 0; i < piece; ++i) bytes[i] = static_cast<BYTE>(0x41 + i);
    constexpr int kPiecesPerIteration = 4096;
    constexpr int kIterationsPerJob = 512;  // 4 to 32 MB per spooler job
    standin::ClearFaults();
    int64_t iterations = 0;
    double bufferedNs = 0;
    // Timed by hand as well, for a plain ns-per-piece figure.
    using Clock = std::chrono::steady_clock;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        for (int i = 0; i < kPiecesPerIteration; ++i) WriteOutput(device.pdev(), bytes.data(), piece);
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        if (++iterations % kIterationsPerJob == 0) {
            state.PauseTiming();
            device.NewJob();
            state.ResumeTiming();
        }
    }
    // The stream's own cost apart from the spooler's: pieces into the buffer only, the
    // buffer emptied by hand (untimed) before it would be sent.
    {
        PDEV* pdev = device.pdev();
        const DWORD perFill = kOutputBufferSize / piece;
        constexpr int kFills = 20000;
        double buffered = 0;
        for (int f = 0; f < kFills; ++f) {
            pdev->Output.Count = 0;
            pdev->Output.WritePos = pdev->Output.Data;
            pdev->CaptureMirrorCount = 0;
            const auto start = Clock::now();
            for (DWORD i = 0; i < perFill; ++i) WriteOutput(pdev, bytes.data(), piece);
            buffered += std::chrono::duration<double>(Clock::now() - start).count();
        }
        pdev->Output.Count = 0;
        pdev->Output.WritePos = pdev->Output.Data;
        pdev->CaptureMirrorCount = 0;
        bufferedNs = buffered * 1e9 / (static_cast<double>(kFills) * perFill);
    }
    device.EndJob();
    const double pieces = static_cast<double>(iterations) * kPiecesPerIteration;
    const double megabytes = pieces * piece / (1024.0 * 1024.0);
    state.counters["ns_per_piece"] = pieces > 0 ? seconds * 1e9 / pieces : 0;
    state.counters["ns_per_piece_buffered"] = bufferedNs;
    state.counters["WritePrinter_per_MB"] = megabytes > 0 ? standin::CallCount(standin::Fault::PrinterWrite) / megabytes : 0;
    state.counters["WriteFile_per_MB"] = megabytes > 0 ? standin::CallCount(standin::Fault::FileWrite) / megabytes : 0;
    state.SetBytesProcessed(static_cast<int64_t>(pieces) * piece);
}
BENCHMARK(WriteOutputPieces)
    ->ArgNames({"piece", "capture"})
    ->ArgsProduct({{2, 4, 8, 16}, {0, 1}});

}  // namespace

BENCHMARK_MAIN();
