#pragma once
// Fixture of the vector-mode job tests: the sample printer, the rendering library loaded by
// name through the GDI host, a settings block with graphics-only mode off, and one call that
// prints pages of drawing operations and reads the job stream back, command by command and
// as painted sheets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "settings/DriverDevMode.h"
#include "tests/support/JobStream.h"
#include "tests/support/LoadedDriverTest.h"
#include "tests/support/TestRoot.h"
#include "tools/hosts/gdihost/DrawOps.h"
#include "tools/hosts/gdihost/GdiHost.h"
#include "tools/sample/SamplePrinter.h"

namespace vectorjobs {

/// FeatureFlags bit 13: TrueType faces of the substitution table print in device fonts.
inline constexpr DWORD kFeatureSubstituteTrueType = 1u << 13;

// The printer's resident fonts by number.
inline constexpr ULONG kOcrB = 1;
inline constexpr ULONG kCourier = 2;
inline constexpr ULONG kHelv = 6;
inline constexpr ULONG kHelvBold = 7;
inline constexpr ULONG kTmsRmn = 10;
inline constexpr ULONG kMinchou = 14;
inline constexpr ULONG kMinchouVertical = 18;
inline constexpr ULONG kGothic = 22;
inline constexpr ULONG kGothicVertical = 26;

/// A job printed in vector mode and read back.
struct PrintedJob {
    bool printed = false;       // every host call succeeded
    std::string failure;        // the step that failed, with its error
    std::vector<BYTE> bytes;
    kvtest::JobListing listing;
    SIZEL pageSize{};
    kvtest::RenderedJob sheets;
    /// The drawing of each page as the host recorded it.
    std::vector<std::vector<gdihost::DrawOp>> pages;

    /// The commands of page `index` (0-based): from the page's first drawing command after
    /// leaving page control (FS Y) up to its eject.
    std::vector<const kvtest::StreamCommand*> Page(size_t index) const;
    /// The commands of one kind on page `index`.
    std::vector<const kvtest::StreamCommand*> OnPage(size_t index, kvtest::CommandKind kind) const;
};

class VectorJobTest : public kvtest::LoadedDriverTest {
protected:
    /// The printer's default settings block in vector mode at `dpi`, no frame, no stamp.
    std::vector<BYTE> VectorBlock(SHORT dpi = 400);
    static DriverDevMode& Block(std::vector<BYTE>& bytes) { return *reinterpret_cast<DriverDevMode*>(bytes.data()); }

    /// Prints one document of these pages with the settings and reads the stream back.
    PrintedJob Print(const std::vector<BYTE>& settings, const std::vector<std::vector<gdihost::DrawOp>>& pages);
    PrintedJob PrintPage(const std::vector<BYTE>& settings, const std::vector<gdihost::DrawOp>& ops) {
        return Print(settings, {ops});
    }
};

using kvtest::EngineReference;
/// The sheet painted from page `page` of the stream is the engine's drawing of that page, up
/// to edges moved by `tolerance` dots: at most 1 % of the engine's black pixels plus `slack`
/// differ.
void ExpectSheetLikeReference(const PrintedJob& job, size_t page, LONG tolerance, size_t slack = 50);
/// The listing and the failure, for messages.
std::string Listing(const PrintedJob& job);

/// Black pixels of either page with no black pixel of the other within `tolerance` dots
/// (a square neighbourhood): the two drawings' differences beyond rounding of edges.
size_t DifferingPixels(const kvtest::PageImage& a, const kvtest::PageImage& b, LONG tolerance);
/// Black pixels of the page inside the rectangle (right and bottom exclusive).
size_t BlackIn(const kvtest::PageImage& page, const RECTL& rect);

// Drawing operations.
using gdihost::DeviceTextOp;
using gdihost::Figure;
using gdihost::PathOp;
using gdihost::TrueTypeTextOp;
/// A 1-bit bitmap of `size` with a set bit where `black(x, y)` says so, palette (white, black).
gdihost::BitmapSpec OneBitBitmap(SIZEL size, bool (*black)(LONG x, LONG y));

}  // namespace vectorjobs
