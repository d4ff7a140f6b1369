#include "tests/render_glyph/GlyphFixture.h"

#include <algorithm>
#include <cstring>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "render/DocumentHooks.h"
#include "render/OutputStream.h"
#include "render/draw/DrawingState.h"
#include "render/draw/GlyphDownload.h"
#include "tests/support/SamplePdev.h"
#include "tools/sample/SamplePrinter.h"

namespace glyphtest {

namespace {

DWORD ReadBE(const BYTE* at, int bytes) {
    DWORD value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | at[i];
    return value;
}

}  // namespace

// --- Glyph records --------------------------------------------------------------------------

GlyphRecord::GlyphRecord(const Picture& picture, POINTL origin, POINTL position, HGLYPH handle) {
    const LONG cy = static_cast<LONG>(picture.size());
    const LONG cx = cy == 0 ? 0 : static_cast<LONG>(picture[0].size());
    const size_t rowBytes = (static_cast<size_t>(cx) + 7) / 8;
    const std::vector<BYTE> rows = PictureRows(picture, rowBytes);
    storage_.assign(offsetof(GLYPHBITS, aj) + std::max<size_t>(rows.size(), 1), 0);
    GLYPHBITS* gb = bits();
    gb->ptlOrigin = origin;
    gb->sizlBitmap = SIZEL{cx, cy};
    std::copy(rows.begin(), rows.end(), gb->aj);
    pos_.hg = handle;
    pos_.ptl = position;
    Link();
}

GlyphRecord GlyphRecord::Claiming(LONG cx, LONG cy) {
    GlyphRecord record;
    record.storage_.assign(offsetof(GLYPHBITS, aj) + 1, 0xFF);
    record.bits()->ptlOrigin = POINTL{0, 0};
    record.bits()->sizlBitmap = SIZEL{cx, cy};
    record.pos_.hg = 0x41;
    record.pos_.ptl = POINTL{100, 100};
    record.Link();
    return record;
}

GlyphRecord::GlyphRecord(GlyphRecord&& other) noexcept : storage_(std::move(other.storage_)), pos_(other.pos_) {
    Link();
}

void GlyphRecord::Link() {
    def_.pgb = bits();
    pos_.pgdf = &def_;
}

std::vector<BYTE> GlyphRecord::Rows() const {
    const auto* gb = reinterpret_cast<const GLYPHBITS*>(storage_.data());
    const size_t bytes = (static_cast<size_t>(gb->sizlBitmap.cx) + 7) / 8 * static_cast<size_t>(gb->sizlBitmap.cy);
    return std::vector<BYTE>(gb->aj, gb->aj + bytes);
}

std::vector<BYTE> PictureRows(const Picture& picture, size_t rowBytes) {
    std::vector<BYTE> rows(picture.size() * rowBytes, 0);
    for (size_t y = 0; y < picture.size(); ++y)
        for (size_t x = 0; x < picture[y].size(); ++x)
            if (picture[y][x] == '#') rows[y * rowBytes + x / 8] |= static_cast<BYTE>(0x80u >> (x % 8));
    return rows;
}

std::vector<BYTE> Word(DWORD value) { return {static_cast<BYTE>(value >> 8), static_cast<BYTE>(value)}; }

std::vector<BYTE> Dword(DWORD value) {
    return {static_cast<BYTE>(value >> 24), static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 8),
            static_cast<BYTE>(value)};
}

std::vector<BYTE> Concat(std::initializer_list<std::vector<BYTE>> parts) {
    std::vector<BYTE> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// --- Strip decoder --------------------------------------------------------------------------

std::optional<StripBitmap> DecodeStrips(const BYTE* data, size_t size) {
    if (size < 8 || ReadBE(data, 4) != 0) return std::nullopt;
    StripBitmap out;
    out.width = ReadBE(data + 4, 2);
    out.height = ReadBE(data + 6, 2);
    if (out.width == 0 || out.width % 16 != 0 || out.height == 0) return std::nullopt;
    const size_t strips = out.width / 16;
    const size_t words = (out.height + 31) / 32;
    const size_t rowBytes = out.width / 8;
    if (size < 8 + 4 * strips) return std::nullopt;
    out.rows.assign(rowBytes * out.height, 0);
    // Strip records follow the offset table one after the other and end with the data.
    size_t expected = 8 + 4 * strips;
    for (size_t s = 0; s < strips; ++s) {
        const size_t at = static_cast<size_t>(ReadBE(data + 8 + 4 * s, 4)) * 4;
        if (at != expected || at + 4 * words > size) return std::nullopt;
        const BYTE* flags = data + at;
        size_t cursor = at + 4 * words;
        size_t stored = 0;
        BYTE high = 0;
        BYTE low = 0;
        for (size_t r = 0; r < out.height; ++r) {
            const DWORD word = ReadBE(flags + 4 * (r / 32), 4);
            const bool flagged = ((word >> (r % 32)) & 1u) != 0;
            if (r == 0 && !flagged) return std::nullopt;
            if (flagged) {
                if (cursor + 2 > size) return std::nullopt;
                high = data[cursor];
                low = data[cursor + 1];
                cursor += 2;
                ++stored;
            }
            out.rows[r * rowBytes + 2 * s] = high;
            out.rows[r * rowBytes + 2 * s + 1] = low;
        }
        // No flag beyond the last row.
        for (size_t r = out.height; r < 32 * words; ++r) {
            if (((ReadBE(flags + 4 * (r / 32), 4) >> (r % 32)) & 1u) != 0) return std::nullopt;
        }
        if (stored % 2 != 0) {
            if (cursor + 2 > size || data[cursor] != 0 || data[cursor + 1] != 0) return std::nullopt;
            cursor += 2;
        }
        out.flaggedRows += static_cast<DWORD>(stored);
        expected = cursor;
    }
    if (expected != size) return std::nullopt;
    return out;
}

// --- Fixture --------------------------------------------------------------------------------

void GlyphTest::TearDown() {
    TearDownDevice();
    SamplePdevTest::TearDown();
}

void GlyphTest::TearDownDevice() {
    if (pdev_ != nullptr) FreeFontCache(pdev_);
    pdev_ = nullptr;
    if (jobId_ != 0) EndDocPrinter(device_.printer());
    jobId_ = 0;
    taken_ = 0;
    device_.Reset();
}

void GlyphTest::MakeDevice(const DeviceOptions& options) {
    ASSERT_EQ(device_.Make(strings_, options.dpi), "");
    pdev_ = device_.pdev();

    PDEV& p = *pdev_;
    DriverDevMode& s = p.Settings;
    kvtest::PlainJobSettings(s, options.pagesPerSheet);
    s.LayoutScale = options.scale;
    s.FeatureFlags &= ~(1u << 14);

    p.Geometry.ScalePercent = options.scale;
    p.Geometry.InputPaper = kvtest::A4Paper();
    p.Geometry.OutputPaper = kvtest::A4Paper();
    p.FlowFlags = 0;
    p.SentOrientation = 1;
    ResetPageSettings(&p);
    ResetPrinterState(&p);
    ResetGraphicsState(&p);
    p.Limits.GlyphMemory = 8192;
    p.Limits.GlyphBitmapMax = 65536;
    p.Limits.GlyphExtentMax = 1024;
    ResetGlyphCache(&p);
    p.SheetBlank = 1;
    if (options.dpi == 200) p.StateFlags |= kStateDoubling;

    surface_.dhpdev = reinterpret_cast<DHPDEV>(pdev_);
    surface_.iType = STYPE_DEVICE;

    std::u16string document = u"glyph test";
    DOC_INFO_1W info{document.data(), nullptr, nullptr};
    jobId_ = StartDocPrinterW(device_.printer(), 1, reinterpret_cast<LPBYTE>(&info));
    ASSERT_NE(jobId_, 0u);
}

std::vector<BYTE> GlyphTest::Take() {
    (void)FlushOutput(pdev_);
    const std::vector<BYTE> all = standin::JobBytes(kvtest::kSamplePrinterName, jobId_);
    std::vector<BYTE> fresh(all.begin() + static_cast<std::ptrdiff_t>(std::min(taken_, all.size())), all.end());
    taken_ = all.size();
    return fresh;
}

standin::engine::Font GlyphTest::TrueTypeFont(const XFORML& matrix, ULONG_PTR file, FLONG simulations, BYTE charset,
                                              USHORT weight) {
    standin::engine::FontSpec spec;
    spec.type = FO_TYPE_TRUETYPE;
    spec.iFile = file;
    spec.iTTUniq = file + 100;
    spec.simulations = simulations;
    spec.matrix = matrix;
    spec.faceName = u"Glyph Face";
    spec.charset = charset;
    spec.weight = weight;
    return standin::engine::MakeFont(spec);
}

size_t GlyphTest::ChainBlocks() const {
    size_t n = 0;
    for (const PoolBlock* b = device_.chainHead(); b != nullptr; b = b->Next) ++n;
    return n;
}

}  // namespace glyphtest
