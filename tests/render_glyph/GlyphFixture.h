#pragma once
// A device state built by hand for the glyph tests: the sample printer (a downloading model)
// at 400 dpi, one page per sheet, out of page-control mode, with a spooler job open so that
// image data that bypasses the output buffer can be read back; glyph records made by hand;
// and a decoder of the strip coding, written from the format and not from the coder.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/StandIn.h"
#include "render/Pdev.h"
#include "settings/MemoryPool.h"
#include "tests/support/ByteCompare.h"
#include "tests/support/SamplePdev.h"
#include "tests/support/TestRoot.h"

namespace glyphtest {

using Golden = kvtest::GoldenStream;

/// A 1-bit picture: rows of '#' (ink) and '.'.
using Picture = std::vector<std::string>;

/// A glyph bitmap as the engine hands it out (GLYPHBITS: origin, size, rows padded to
/// bytes) with its GLYPHDEF and a GLYPHPOS pointing at it.
class GlyphRecord {
public:
    GlyphRecord(const Picture& picture, POINTL origin, POINTL position, HGLYPH handle = 0x41);
    /// A record that claims a size its bits do not have (only the first row byte exists).
    static GlyphRecord Claiming(LONG cx, LONG cy);
    GlyphRecord(const GlyphRecord&) = delete;
    GlyphRecord& operator=(const GlyphRecord&) = delete;
    GlyphRecord(GlyphRecord&& other) noexcept;

    GLYPHPOS* pos() { return &pos_; }
    GLYPHBITS* bits() { return reinterpret_cast<GLYPHBITS*>(storage_.data()); }
    /// The rows as the printer should draw them (rows padded to bytes).
    std::vector<BYTE> Rows() const;

private:
    GlyphRecord() = default;
    void Link();
    std::vector<BYTE> storage_;
    GLYPHDEF def_{};
    GLYPHPOS pos_{};
};

/// The strip coding read back: width (padded to 16), height and rows of width / 8 bytes; empty
/// when the data is malformed (offsets, lengths, padding or a first row left unflagged).
struct StripBitmap {
    DWORD width = 0;
    DWORD height = 0;
    std::vector<BYTE> rows;
    DWORD flaggedRows = 0;  // rows stored, over all strips
};
std::optional<StripBitmap> DecodeStrips(const BYTE* data, size_t size);
/// A picture's rows padded to `rowBytes` bytes (the padded width / 8 for strip data).
std::vector<BYTE> PictureRows(const Picture& picture, size_t rowBytes);
std::vector<BYTE> Word(DWORD value);
std::vector<BYTE> Dword(DWORD value);
std::vector<BYTE> Concat(std::initializer_list<std::vector<BYTE>> parts);

struct DeviceOptions {
    SHORT dpi = 400;
    WORD scale = 100;
    WORD pagesPerSheet = 1;
};

class GlyphTest : public kvtest::SamplePdevTest {
protected:
    void TearDown() override;
    /// Builds the device; its limits are the given ones, not the model's.
    void MakeDevice(const DeviceOptions& options = {});
    /// Ends the device (and its spooler job), so that a case table can build the next one.
    void TearDownDevice();

    PDEV& Pdev() { return *pdev_; }
    /// Everything written since the last call (flushed through the spooler job).
    std::vector<BYTE> Take();
    /// A TrueType font of the engine (identity 1/1 unless given) with this transform.
    standin::engine::Font TrueTypeFont(const XFORML& matrix = {0.05f, 0, 0, 0.05f, 0, 0}, ULONG_PTR file = 1,
                                       FLONG simulations = 0, BYTE charset = 0, USHORT weight = 400);
    /// The chain's block count (to show that nothing is left behind).
    size_t ChainBlocks() const;

    kvtest::SamplePdevOwner device_;
    PDEV* pdev_ = nullptr;
    SURFOBJ surface_{};
    DWORD jobId_ = 0;
    size_t taken_ = 0;
};

}  // namespace glyphtest
