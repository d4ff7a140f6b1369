#pragma once
// A graphics-only device built by hand for the band output tests: the sample printer with a
// spooler job open (so the stream reaches WritePrinter), a paper and band bitmap of a chosen
// size in dots, and a reader that splits the job's bytes into the printer's commands.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "render/Pdev.h"
#include "settings/MemoryPool.h"
#include "tests/support/ByteCompare.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"

namespace kvband {

/// One command of the stream, as the band writers and their helpers send them.
struct Command {
    enum class Kind { ModeLeave, ModeEnter, FsR, VectorScale, Rop, Clip, Position, Image, Eject };
    Kind kind;
    size_t offset;             // where it begins in the stream
    std::vector<LONG> values;  // Rop: code; Clip: dy, dx; Position: x, y
    // Image only:
    BYTE opcode = 0;           // 0xF2 or 0xF4
    bool compressed = false;
    DWORD width = 0;           // pixels of the source image
    DWORD rows = 0;
    DWORD pageWidth = 0;       // F4 only
    DWORD pageHeight = 0;
    POINTL at{};               // the printer's position when the image came
    std::vector<BYTE> data;    // as sent
    std::vector<BYTE> pixels;  // decoded rows of ceil(width / 8) bytes, a set bit black
};

/// Splits a stream; fails the test (and returns what it read) on a byte it does not know.
std::vector<Command> ParseStream(const std::vector<BYTE>& stream);
std::vector<Command> ImagesOf(const std::vector<Command>& commands);
size_t CountKind(const std::vector<Command>& commands, Command::Kind kind);

using Golden = kvtest::GoldenStream;

/// A top-down 1-bit bitmap in the engine, locked; deleted with the object.
class EngineBitmap {
public:
    EngineBitmap(LONG width, LONG height, LONG stride, ULONG format = BMF_1BPP);
    ~EngineBitmap();
    EngineBitmap(const EngineBitmap&) = delete;
    EngineBitmap& operator=(const EngineBitmap&) = delete;
    HSURF Handle() const { return handle_; }
    SURFOBJ* Surface() const { return surface_; }
    BYTE* Row(LONG y) const { return static_cast<BYTE*>(surface_->pvBits) + static_cast<size_t>(y) * surface_->lDelta; }
    /// Clears (blackens) pixel (x, y): a set bit is white on the band.
    void Black(LONG x, LONG y) const { Row(y)[x / 8] &= static_cast<BYTE>(~(0x80u >> (x % 8))); }
    void BlackRows(LONG first, LONG count) const;
    std::vector<BYTE> Bytes() const;

private:
    HSURF handle_ = nullptr;
    SURFOBJ* surface_ = nullptr;
};

struct PageSpec {
    SHORT dpi = 600;
    LONG widthDots = 64;   // printable width of the page; the band is as wide as CreateSurfaces makes it
    LONG heightDots = 16;
};

class BandTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// A graphics-only device on a paper of the given printable size, and its white band
    /// (any device made before is dropped first).
    void MakeDevice(const PageSpec& spec);
    void TearDownDevice();
    /// N-up: pages per sheet, the scale, and slots 0 and 1 at the given places.
    void UseNup(WORD pagesPerSheet, WORD scale, const std::vector<RECTL>& slots);

    BOOL NextBand(POINTL* pptl);
    /// The job's bytes so far (the device's buffer flushed first).
    std::vector<BYTE> Spooled();
    /// Forgets what the job holds so far: the next Spooled() starts after it.
    void MarkSpooled();

    PDEV& Pdev() { return *pdev_; }
    EngineBitmap& Band() { return *band_; }
    SURFOBJ* Target() { return band_->Surface(); }

    std::unique_ptr<kvtest::ScopedPrinter> printer_;
    PoolBlock* chain_ = nullptr;
    std::unique_ptr<PDEV> pdev_;
    std::unique_ptr<EngineBitmap> band_;
    HDEV hdev_ = nullptr;
    DWORD jobId_ = 0;
    bool docOpen_ = false;
    size_t seen_ = 0;
};

/// The least micrometres that make at least dots at dpi (not every count of dots is reachable:
/// the page's dots are set exactly, the paper only has to hold them).
LONG MicronsFor(LONG dots, SHORT dpi);
/// Number of blocks on an allocation chain.
size_t ChainLength(PoolBlock* head);

}  // namespace kvband
