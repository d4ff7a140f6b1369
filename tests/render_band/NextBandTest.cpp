// DrvNextBand: the page end of graphics-only pages, driven as GDI drives it.
#include <cstring>
#include <utility>
#include <vector>

#include "platform/Kernel.h"
#include "render/BandOutput.h"
#include "render/OutputStream.h"
#include "tests/render_band/BandFixture.h"

namespace kvband {
namespace {

using Kind = Command::Kind;

class NextBandTest : public BandTest {};

TEST_F(NextBandTest, SmallPageGoesOutAsOneCompressedImageAndIsEjected) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice({400, 64, 16}));
    for (LONG y : {2, 3})
        for (LONG x = 8; x < 16; ++x) Band().Black(x, y);

    POINTL band{7, 7};
    ASSERT_TRUE(NextBand(&band));

    Golden expected;
    expected.Add("FS Y: leave page-control mode", {0x1C, 0x59})
        .Add("vector scale for 400 dpi", std::string("SU1,400,0;IP0,0,405,405;"))
        .Add("logical operation: image replaces", {0xA6, 0x00, 0xEE, 0xEE})
        .Add("position (0, 2): clip corner", {0xB6, 0x00, 0x00, 0x02})
        .Add("clip: 2 rows of 64 dots", {0xB1, 0x02, 0x00, 0x40})
        .Add("image, compressed: 64 px x 2 rows, 7 bytes", {0xF2, 0x00, 0x00, 0x20, 0x00, 0x40, 0x00, 0x02, 0x00, 0x00, 0x00, 0x07})
        .Add("row 2: 1 equal, literal FF, 6 equal, end", {0x01, 0x41, 0xFF, 0x06, 0x80})
        .Add("row 3: 8 equal to row 2, end", {0x08, 0x80})
        .Add("FS Z: page-control mode for the eject", {0x1C, 0x5A})
        .Add("CR FF", {0x0D, 0x0C});
    EXPECT_TRUE(expected.Matches(Spooled()));

    EXPECT_EQ(band.x, -1);
    EXPECT_EQ(band.y, -1);
    EXPECT_EQ(Band().Bytes(), std::vector<BYTE>(Band().Surface()->cjBits, 0xFF)) << "the band is white again";
    EXPECT_EQ(Pdev().WantedPage.PageCount, 2);
    EXPECT_EQ(Pdev().WantedPage.SheetCount, 1);
    EXPECT_EQ(Pdev().SheetBlank, 1u);
    EXPECT_EQ(Pdev().FlowFlags & (kFlowPageStarted | kFlowDataWritten | kFlowDataPending), 0u);
}

TEST_F(NextBandTest, BlankPageWritesNothingAndCountsNothing) {
    // With and without a point to answer: GDI may pass none.
    for (bool withPoint : {true, false}) {
        SCOPED_TRACE(withPoint ? "with pptl" : "pptl NULL");
        ASSERT_NO_FATAL_FAILURE(MakeDevice({600, 64, 32}));
        MarkSpooled();
        POINTL band{7, 7};
        EXPECT_TRUE(NextBand(withPoint ? &band : nullptr));
        EXPECT_TRUE(Spooled().empty());
        EXPECT_EQ(Pdev().WantedPage.PageCount, 1);
        EXPECT_EQ(Pdev().WantedPage.SheetCount, 0);
        EXPECT_EQ(Pdev().SheetBlank, 1u);
        if (withPoint) {
            EXPECT_EQ(std::make_pair(band.x, band.y), std::make_pair(LONG{-1}, LONG{-1}));
        }
        TearDownDevice();
    }
}

struct ChunkCase {
    const char* name;
    std::vector<std::pair<LONG, LONG>> blackRows;  // first row, count
    std::vector<std::pair<LONG, DWORD>> chunks;    // page row, rows
};

TEST_F(NextBandTest, BlackRowsAreSentInChunksOfAtMostOneInch) {
    const std::vector<ChunkCase> cases = {
        {"one pixel on row 5000", {}, {{5000, 1}}},
        {"1300 black rows", {{100, 1300}}, {{100, 600}, {700, 600}, {1300, 100}}},
        {"exactly one inch", {{0, 600}}, {{0, 600}}},
        {"two runs split by one white row", {{10, 10}, {21, 10}}, {{10, 10}, {21, 10}}},
        {"the last row", {{5999, 1}}, {{5999, 1}}},
    };
    for (const ChunkCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(MakeDevice({600, 64, 6000}));
        MarkSpooled();
        if (c.blackRows.empty()) Band().Black(37, 5000);
        for (const auto& [first, count] : c.blackRows) Band().BlackRows(first, count);

        ASSERT_TRUE(NextBand(nullptr));
        const std::vector<Command> images = ImagesOf(ParseStream(Spooled()));
        ASSERT_EQ(images.size(), c.chunks.size());
        for (size_t i = 0; i < images.size(); ++i) {
            EXPECT_EQ(images[i].at.y, c.chunks[i].first) << "chunk " << i;
            EXPECT_EQ(images[i].rows, c.chunks[i].second) << "chunk " << i;
            EXPECT_EQ(images[i].width, 64u) << "chunk " << i;
        }
        TearDownDevice();
    }
}

TEST_F(NextBandTest, DecodedImagesRebuildTheInvertedBand) {
    // 240 dpi: chunks of at most 240 rows. Rows 0-239 a regular pattern that compresses,
    // rows 240-479 noise that does not, then white rows, then a short run.
    ASSERT_NO_FATAL_FAILURE(MakeDevice({240, 64, 600}));
    DWORD noise = 12345;
    for (LONG y = 0; y < 480; ++y) {
        for (LONG x = 0; x < 64; ++x) {
            noise = noise * 1103515245u + 12345u;
            const bool black = y < 240 ? ((x * 7 + y * 3) % 11 == 0) : ((noise >> 16) & 1) != 0;
            if (black) Band().Black(x, y);
        }
    }
    Band().BlackRows(550, 3);
    std::vector<BYTE> expected = Band().Bytes();
    for (BYTE& b : expected) b = static_cast<BYTE>(~b);

    ASSERT_TRUE(NextBand(nullptr));
    const std::vector<Command> images = ImagesOf(ParseStream(Spooled()));
    std::vector<BYTE> rebuilt(expected.size(), 0x00);
    bool sawRaw = false, sawCompressed = false;
    for (const Command& image : images) {
        ASSERT_EQ(image.width, 64u);
        ASSERT_LE(static_cast<size_t>(image.at.y) + image.rows, 600u);
        std::memcpy(rebuilt.data() + static_cast<size_t>(image.at.y) * 8, image.pixels.data(), image.pixels.size());
        (image.compressed ? sawCompressed : sawRaw) = true;
    }
    EXPECT_EQ(images.size(), 3u);
    EXPECT_TRUE(sawRaw);
    EXPECT_TRUE(sawCompressed);
    for (size_t row = 0; row < 600; ++row) {
        ASSERT_EQ(std::vector<BYTE>(rebuilt.begin() + row * 8, rebuilt.begin() + row * 8 + 8),
                  std::vector<BYTE>(expected.begin() + row * 8, expected.begin() + row * 8 + 8))
            << "page row " << row;
    }
}

TEST_F(NextBandTest, TwoUpFillsTheSheetBeforeEjecting) {
    // Scale 50: the page is shrunk by the engine to 32 x 32 and placed in its slot plus the
    // centring offset.
    ASSERT_NO_FATAL_FAILURE(MakeDevice({600, 64, 64}));
    UseNup(2, 50, {RECTL{0, 0, 40, 32}, RECTL{0, 32, 40, 64}});
    Pdev().Geometry.CentringOffset = POINTL{3, 1};

    const POINTL expectedAt[] = {{3, 1 + 2}, {3, 32 + 1 + 2}};
    for (int page = 0; page < 2; ++page) {
        SCOPED_TRACE(page == 0 ? "first page" : "second page");
        MarkSpooled();
        Pdev().FlowFlags |= kFlowPageStarted;
        // Rows 4-7, columns 0-15 black: rows 2-3, columns 0-7 of the reduced page.
        for (LONG y = 4; y < 8; ++y)
            for (LONG x = 0; x < 16; ++x) Band().Black(x, y);

        ASSERT_TRUE(NextBand(nullptr));
        const std::vector<Command> commands = ParseStream(Spooled());
        const std::vector<Command> images = ImagesOf(commands);
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0].width, 32u);
        EXPECT_EQ(images[0].rows, 2u);
        EXPECT_EQ(images[0].pixels, (std::vector<BYTE>{0xFF, 0, 0, 0, 0xFF, 0, 0, 0}));
        EXPECT_EQ(images[0].at.x, expectedAt[page].x);
        EXPECT_EQ(images[0].at.y, expectedAt[page].y);
        EXPECT_EQ(CountKind(commands, Kind::Eject), page == 0 ? 0u : 1u);
        EXPECT_EQ(Pdev().WantedPage.SlotIndex, page == 0 ? 1 : 0);
        EXPECT_EQ(Pdev().WantedPage.SheetCount, page == 0 ? 0 : 1);
        EXPECT_EQ(Pdev().WantedPage.PageCount, 2 + page);
    }
}

TEST_F(NextBandTest, SlotIndexOutsideTheLayoutStartsTheSheetOver) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice({600, 64, 64}));
    UseNup(4, 50, {RECTL{0, 0, 32, 32}});
    Pdev().WantedPage.SlotIndex = 40;
    Band().BlackRows(0, 2);
    ASSERT_TRUE(NextBand(nullptr));
    EXPECT_EQ(Pdev().WantedPage.SlotIndex, 1);
    ASSERT_EQ(ImagesOf(ParseStream(Spooled())).size(), 1u);
}

TEST_F(NextBandTest, PagesPerSheetOutsideTheLayoutsPrintsOnePagePerSheet) {
    for (WORD pages : {WORD{0}, WORD{3}, WORD{17}}) {
        SCOPED_TRACE(pages);
        ASSERT_NO_FATAL_FAILURE(MakeDevice({600, 64, 64}));
        UseNup(pages, 50, {});
        MarkSpooled();
        Band().BlackRows(10, 2);
        ASSERT_TRUE(NextBand(nullptr));
        const std::vector<Command> commands = ParseStream(Spooled());
        ASSERT_EQ(ImagesOf(commands).size(), 1u);
        EXPECT_EQ(ImagesOf(commands)[0].at.y, 5) << "reduced page row 5, at the page's left edge";
        EXPECT_EQ(CountKind(commands, Kind::Eject), 1u);
        EXPECT_EQ(Pdev().WantedPage.SlotIndex, 0);
        TearDownDevice();
    }
}

TEST_F(NextBandTest, FailedReductionWritesNothingAndKeepsTheBand) {
    struct Case {
        const char* name;
        WORD scale;
        bool fourBitBand;  // the engine does not stretch 4-bit bitmaps
    };
    const Case cases[] = {{"reduced page of no pixels", 1, false}, {"engine cannot stretch", 50, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(MakeDevice({600, 64, 16}));
        MarkSpooled();
        EngineBitmap fourBit(64, 16, 32, BMF_4BPP);
        if (c.fourBitBand) {
            std::memset(fourBit.Surface()->pvBits, 0x00, fourBit.Surface()->cjBits);
            Pdev().ShadowSurface = fourBit.Surface();
        }
        Pdev().Geometry.ScalePercent = c.scale;
        Band().BlackRows(3, 2);
        const EngineBitmap& used = c.fourBitBand ? fourBit : Band();
        const std::vector<BYTE> bandBefore = used.Bytes();
        const unsigned surfacesBefore = standin::engine::LiveSurfaceCount();

        POINTL band{7, 7};
        EXPECT_FALSE(NextBand(&band));
        EXPECT_TRUE(Spooled().empty());
        EXPECT_EQ(used.Bytes(), bandBefore);
        EXPECT_EQ(std::make_pair(band.x, band.y), std::make_pair(LONG{7}, LONG{7}));
        EXPECT_EQ(standin::engine::LiveSurfaceCount(), surfacesBefore) << "the temporary bitmap is deleted";
        EXPECT_EQ(Pdev().WantedPage.PageCount, 1);
        Pdev().ShadowSurface = nullptr;
        TearDownDevice();
    }
}

TEST_F(NextBandTest, RefusedCallsWriteNothing) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice({600, 64, 16}));
    Band().BlackRows(3, 2);
    MarkSpooled();

    SURFOBJ noDevice = *Target();
    noDevice.dhpdev = nullptr;
    PDEV stale = Pdev();
    stale.SignatureEnd = 0;
    SURFOBJ staleDevice = *Target();
    staleDevice.dhpdev = reinterpret_cast<DHPDEV>(&stale);
    SURFOBJ deviceSurface = *Target();
    deviceSurface.iType = STYPE_DEVICE;
    SURFOBJ bottomUp = *Target();
    bottomUp.lDelta = -bottomUp.lDelta;

    struct Case {
        const char* name;
        SURFOBJ* surface;
        DWORD lastError;
    };
    const Case cases[] = {
        {"no surface", nullptr, ERROR_INVALID_PARAMETER},
        {"surface without a device", &noDevice, ERROR_INVALID_PARAMETER},
        {"device whose end signature is gone", &staleDevice, ERROR_INVALID_PARAMETER},
        {"device surface, not a bitmap", &deviceSurface, ERROR_INVALID_PARAMETER},
        {"bottom-up bitmap", &bottomUp, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(0xDEADBEEF);
        POINTL band{7, 7};
        EXPECT_FALSE(DrvNextBand(c.surface, &band));
        EXPECT_EQ(GetLastError(), c.lastError);
        EXPECT_EQ(band.x, 7);
    }

    // A failed output stream: FALSE at once, no last error.
    Pdev().StateFlags |= kStateOutputFailed;
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(NextBand(nullptr));
    EXPECT_EQ(GetLastError(), 0xDEADBEEFu);
    Pdev().StateFlags &= ~kStateOutputFailed;
    EXPECT_TRUE(Spooled().empty());
    EXPECT_EQ(Pdev().WantedPage.PageCount, 1);
}

TEST_F(NextBandTest, WorkBlocksAreReusedFromPageToPage) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice({240, 64, 600}));
    const size_t chainBefore = ChainLength(chain_);
    std::vector<BYTE> firstPage;
    size_t chainAfterFirst = 0;
    for (int page = 0; page < 2; ++page) {
        MarkSpooled();
        Pdev().FlowFlags |= kFlowPageStarted;
        // Runs of 1, 2, 3 ... rows, so the compression area grows within the page.
        LONG y = 0;
        for (LONG run = 1; y + run < 600; y += run + 1, ++run) Band().BlackRows(y, run);
        ASSERT_TRUE(NextBand(nullptr));
        const std::vector<BYTE> bytes = Spooled();
        if (page == 0) {
            firstPage = bytes;
            chainAfterFirst = ChainLength(chain_);
        } else {
            EXPECT_EQ(ChainLength(chain_), chainAfterFirst) << "no block is added for the same chunks again";
            const std::vector<Command> again = ImagesOf(ParseStream(bytes));
            const std::vector<Command> first = ImagesOf(ParseStream(firstPage));
            ASSERT_EQ(again.size(), first.size());
            for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(again[i].data, first[i].data) << "chunk " << i;
        }
    }
    EXPECT_LE(chainAfterFirst, chainBefore + 2) << "one compression area and at most one cut copy";
}

TEST_F(NextBandTest, ReusedCompressionAreaStillCodesAgainstAWhiteRow) {
    // Page 1 is cut to 7 bytes a row, so its stream starts at byte 7 of the work area with
    // 0x87 (a repeat of 7 bytes). Page 2 has 8-byte rows whose last byte, inverted, is 0x87:
    // coded against anything but a zero row that byte would come out "equal to above".
    ASSERT_NO_FATAL_FAILURE(MakeDevice({600, 64, 16}));
    Pdev().Geometry.OddOrigin = POINTL{10, 0};
    Band().BlackRows(2, 4);  // a larger chunk than page 2's, so page 2 reuses the area
    ASSERT_TRUE(NextBand(nullptr));
    std::vector<Command> images = ImagesOf(ParseStream(Spooled()));
    ASSERT_EQ(images.size(), 1u);
    ASSERT_TRUE(images[0].compressed);
    ASSERT_EQ(images[0].data.front(), 0x87);

    MarkSpooled();
    Pdev().Geometry.OddOrigin = POINTL{0, 0};
    Pdev().FlowFlags |= kFlowPageStarted;
    const BYTE row[8] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x78};
    std::memcpy(Band().Row(5), row, sizeof row);
    ASSERT_TRUE(NextBand(nullptr));
    images = ImagesOf(ParseStream(Spooled()));
    ASSERT_EQ(images.size(), 1u);
    ASSERT_TRUE(images[0].compressed);
    EXPECT_EQ(images[0].pixels, (std::vector<BYTE>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x87}));
}

}  // namespace
}  // namespace kvband
