#include "tests/render_band/BandFixture.h"

#include <algorithm>
#include <cstring>

#include "platform/Spooler.h"
#include "render/BandOutput.h"
#include "render/Geometry.h"
#include "render/DocumentHooks.h"
#include "render/OutputStream.h"
#include "render/draw/DrawingState.h"
#include "tools/sample/RasterDecode.h"

namespace kvband {
namespace {

LONG Word(const std::vector<BYTE>& s, size_t at) { return static_cast<LONG>((s[at] << 8) | s[at + 1]); }
LONG SignedWord(const std::vector<BYTE>& s, size_t at) { return static_cast<SHORT>(Word(s, at)); }
DWORD Dword(const std::vector<BYTE>& s, size_t at) {
    return (static_cast<DWORD>(s[at]) << 24) | (static_cast<DWORD>(s[at + 1]) << 16) | (static_cast<DWORD>(s[at + 2]) << 8) |
           s[at + 3];
}

}  // namespace

std::vector<Command> ParseStream(const std::vector<BYTE>& s) {
    std::vector<Command> out;
    POINTL position{0, 0};
    size_t i = 0;
    auto need = [&](size_t n) {
        if (i + n <= s.size()) return true;
        ADD_FAILURE() << "stream ends inside the command at offset " << i;
        return false;
    };
    while (i < s.size()) {
        Command c{};
        c.offset = i;
        const BYTE b = s[i];
        if (b == 0x1C && need(2) && (s[i + 1] == 0x59 || s[i + 1] == 0x5A || s[i + 1] == 0x52)) {
            c.kind = s[i + 1] == 0x59 ? Command::Kind::ModeLeave
                     : s[i + 1] == 0x5A ? Command::Kind::ModeEnter
                                         : Command::Kind::FsR;
            i += 2;
        } else if (b == 'S') {
            // "SU...;IP...;": two statements.
            size_t end = i;
            for (int semicolons = 0; end < s.size() && semicolons < 2; ++end)
                if (s[end] == ';') ++semicolons;
            c.kind = Command::Kind::VectorScale;
            i = end;
        } else if (b == 0xA6 && need(4)) {
            c.kind = Command::Kind::Rop;
            c.values = {s[i + 2], s[i + 3]};
            i += 4;
        } else if (b == 0xB1 && need(4)) {
            c.kind = Command::Kind::Clip;
            c.values = {s[i + 1], Word(s, i + 2)};
            i += 4;
        } else if (b == 0xB2 && need(8)) {
            c.kind = Command::Kind::Clip;
            c.values = {Word(s, i + 2), Word(s, i + 4)};
            i += 8;
        } else if (b == 0xB6 && need(4)) {
            position = POINTL{static_cast<signed char>(s[i + 1]), SignedWord(s, i + 2)};
            c.kind = Command::Kind::Position;
            i += 4;
        } else if (b == 0xB7 && need(4)) {
            position = POINTL{SignedWord(s, i + 2), static_cast<signed char>(s[i + 1])};
            c.kind = Command::Kind::Position;
            i += 4;
        } else if (b == 0xB8 && need(8)) {
            position = POINTL{SignedWord(s, i + 2), static_cast<LONG>(Dword(s, i + 4))};
            c.kind = Command::Kind::Position;
            i += 8;
        } else if ((b == 0xF2 || b == 0xF4) && need(12)) {
            c.kind = Command::Kind::Image;
            c.opcode = b;
            c.compressed = s[i + 3] == 0x20;
            c.width = static_cast<DWORD>(Word(s, i + 4));
            c.rows = static_cast<DWORD>(Word(s, i + 6));
            size_t at = i + 8;
            if (b == 0xF4) {
                if (!need(16)) break;
                c.pageWidth = static_cast<DWORD>(Word(s, at));
                c.pageHeight = static_cast<DWORD>(Word(s, at + 2));
                at += 4;
            }
            const DWORD length = Dword(s, at);
            at += 4;
            i = at;
            if (!need(length)) break;
            c.data.assign(s.begin() + static_cast<ptrdiff_t>(at), s.begin() + static_cast<ptrdiff_t>(at + length));
            c.at = position;
            const size_t stride = (c.width + 7) / 8;
            if (c.compressed) {
                auto decoded = kvtest::DecodeRasterRows(c.data.data(), c.data.size(), std::vector<BYTE>(stride, 0),
                                                        c.rows, stride);
                if (decoded) c.pixels = *decoded;
                else ADD_FAILURE() << "image at offset " << c.offset << " does not decode";
            } else {
                EXPECT_EQ(c.data.size(), stride * c.rows) << "raw image at offset " << c.offset;
                c.pixels = c.data;
            }
            i += length;
        } else if (b == 0x0D && need(2) && s[i + 1] == 0x0C) {
            c.kind = Command::Kind::Eject;
            i += 2;
        } else {
            ADD_FAILURE() << "unknown byte " << std::hex << int{b} << " at offset " << std::dec << i << "\n"
                          << kvtest::HexWindow(s, i);
            break;
        }
        out.push_back(std::move(c));
    }
    return out;
}

std::vector<Command> ImagesOf(const std::vector<Command>& commands) {
    std::vector<Command> images;
    for (const Command& c : commands)
        if (c.kind == Command::Kind::Image) images.push_back(c);
    return images;
}

size_t CountKind(const std::vector<Command>& commands, Command::Kind kind) {
    return static_cast<size_t>(
        std::count_if(commands.begin(), commands.end(), [kind](const Command& c) { return c.kind == kind; }));
}

EngineBitmap::EngineBitmap(LONG width, LONG height, LONG stride, ULONG format) {
    handle_ = EngCreateBitmap(SIZEL{width, height}, stride, format, BMF_TOPDOWN | BMF_NOZEROINIT, nullptr);
    if (handle_ != nullptr) surface_ = EngLockSurface(handle_);
    if (surface_ != nullptr && surface_->pvBits != nullptr) std::memset(surface_->pvBits, 0xFF, surface_->cjBits);
}

EngineBitmap::~EngineBitmap() {
    if (surface_ != nullptr) EngUnlockSurface(surface_);
    if (handle_ != nullptr) EngDeleteSurface(handle_);
}

void EngineBitmap::BlackRows(LONG first, LONG count) const {
    for (LONG y = first; y < first + count; ++y) std::memset(Row(y), 0x00, static_cast<size_t>(surface_->lDelta));
}

std::vector<BYTE> EngineBitmap::Bytes() const {
    const BYTE* bits = static_cast<const BYTE*>(surface_->pvBits);
    return std::vector<BYTE>(bits, bits + surface_->cjBits);
}

LONG MicronsFor(LONG dots, SHORT dpi) {
    LONG microns = static_cast<LONG>(static_cast<long long>(dots) * 25400 / dpi) - 200;
    if (microns < 0) microns = 0;
    while (MicronsToDots(microns, dpi) < dots) ++microns;
    return microns;
}

size_t ChainLength(PoolBlock* head) {
    size_t n = 0;
    for (PoolBlock* b = head; b != nullptr; b = b->Next) ++n;
    return n;
}

void BandTest::SetUp() {
    StandInTest::SetUp();
    kvtest::SamplePrinterOptions options;
    options.copyDataFile = false;
    options.installLanguageLibraries = false;
    kvtest::InstallSamplePrinter(options);
    printer_ = std::make_unique<kvtest::ScopedPrinter>();
    ASSERT_NE(printer_->handle(), nullptr);
    std::u16string document = u"band test";
    DOC_INFO_1W info{document.data(), nullptr, nullptr};
    jobId_ = StartDocPrinterW(printer_->handle(), 1, reinterpret_cast<LPBYTE>(&info));
    ASSERT_NE(jobId_, 0u);
    docOpen_ = true;
}

void BandTest::TearDown() {
    TearDownDevice();
    if (docOpen_) EndDocPrinter(printer_->handle());
    printer_.reset();
    StandInTest::TearDown();
}

void BandTest::TearDownDevice() {
    band_.reset();
    if (hdev_ != nullptr) standin::engine::ForgetDevice(hdev_);
    hdev_ = nullptr;
    PoolFreeAll(&chain_);
    pdev_.reset();
}

void BandTest::MakeDevice(const PageSpec& spec) {
    TearDownDevice();
    pdev_ = std::make_unique<PDEV>();
    PDEV& p = *pdev_;
    p.Signature = p.SignatureEnd = kPdevSignature;
    p.ChainHead = &chain_;
    p.Printer = printer_->handle();
    DriverDevMode& s = p.Settings;
    s.Public.dmPrintQuality = spec.dpi;
    s.Public.dmOrientation = 1;
    s.Public.dmDuplex = 1;
    s.FeatureFlags = kFeatureGraphicsOnly;
    s.PagesPerSheet = 1;
    s.LayoutScale = 100;
    p.SentOrientation = 1;

    const LONG width = MicronsFor(spec.widthDots, spec.dpi);
    const LONG height = MicronsFor(spec.heightDots, spec.dpi);
    PaperRecord paper{};
    paper.Width = width;
    paper.Height = height;
    paper.Printable = RECTL{0, 0, width, height};
    paper.Code = 123;
    p.Geometry.InputPaper = paper;
    p.Geometry.OutputPaper = paper;
    p.Geometry.ScalePercent = 100;
    p.ClipLimitRect = RECTL{0, 0, spec.widthDots + 1, spec.heightDots + 1};
    p.PageRect = p.ClipLimitRect;
    p.OutputPaperRect = p.ClipLimitRect;

    p.Output.Capacity = kOutputBufferSize;
    p.Output.WritePos = p.Output.Data;
    p.StateFlags = kStatePageControl;
    p.FlowFlags = kFlowPageStarted;  // header already sent, page begun
    ResetPageSettings(&p);
    ResetPrinterState(&p);
    ResetGraphicsState(&p);
    p.SheetBlank = 1;

    // The band as the graphics-only surface makes it: rows DWORD-aligned from width + 31.
    const LONG stride = (spec.widthDots + 31) / 8 / 4 * 4;
    band_ = std::make_unique<EngineBitmap>(spec.widthDots, spec.heightDots, stride);
    ASSERT_NE(band_->Surface(), nullptr);
    hdev_ = standin::engine::MakeDevice(reinterpret_cast<DHPDEV>(pdev_.get()));
    ASSERT_TRUE(EngAssociateSurface(band_->Handle(), hdev_, HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_COPYBITS));
    ASSERT_EQ(PdevOf(band_->Surface()), pdev_.get());
}

void BandTest::UseNup(WORD pagesPerSheet, WORD scale, const std::vector<RECTL>& slots) {
    pdev_->Settings.PagesPerSheet = pagesPerSheet;
    pdev_->Geometry.ScalePercent = scale;
    for (size_t i = 0; i < slots.size() && i < 16; ++i) pdev_->Geometry.NupSlots[i] = slots[i];
}

BOOL BandTest::NextBand(POINTL* pptl) { return DrvNextBand(Target(), pptl); }

std::vector<BYTE> BandTest::Spooled() {
    (void)FlushOutput(pdev_.get());
    const std::vector<BYTE> all = standin::JobBytes(kvtest::kSamplePrinterName, jobId_);
    return std::vector<BYTE>(all.begin() + static_cast<ptrdiff_t>(std::min(seen_, all.size())), all.end());
}

void BandTest::MarkSpooled() {
    (void)FlushOutput(pdev_.get());
    seen_ = standin::JobBytes(kvtest::kSamplePrinterName, jobId_).size();
}

}  // namespace kvband
